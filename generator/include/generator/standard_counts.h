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

// Counts the rows per condition in one grouped query; a condition (blanks
// at its end ignored) is a series one when it equals SeriesCondition of one
// (CPMC, CXXL) pair of tb_type_vehicle. Throws stationdb::DatabaseError.
StandardCounts CountStandards(stationdb::Connection &connection);

}  // namespace generator
