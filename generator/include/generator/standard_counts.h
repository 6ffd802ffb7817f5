#pragma once
// How many rows of tb_id_standard a clearing takes: the series standards the
// editor generated and the national standard the limits plug-in judges with
// when a vehicle has no series standard.
#include <string>

namespace stationdb {
class Connection;
}

namespace generator {

struct StandardCounts {
    long long national = 0;  // rows under any other condition
    long long series = 0;    // rows under the condition of a series of tb_type_vehicle
    long long Total() const { return national + series; }
};

// Counts the rows per condition in one grouped query; a condition is a
// series one when SeriesKeys of the (CPMC, CXXL) pairs of tb_type_vehicle
// holds it. Throws stationdb::DatabaseError.
StandardCounts CountStandards(stationdb::Connection &connection);

}  // namespace generator
