#pragma once
// The database's modification stamp (DBModifyTime of tb_status_memstd): the
// limits plug-in of every line reloads its standard table when the stamp
// differs from the one it loaded. Every write of tb_id_standard moves the
// stamp on, inside the write's own transaction, so that a line either sees
// the new limits and the new stamp or neither.
#include <string>
#include <string_view>

namespace stationdb {
class Connection;
}

namespace generator {

// The stamp before and after a bump, as stored (trimmed).
struct StampChange {
    std::string before;  // "" when the table held no row
    std::string after;
};

// Today's stamp: the local date as "YYYYMMDD".
std::string TodayStamp();

// The stamp that follows `current`: one more than it when it is a decimal
// number, or `today` when that is larger; `today` when `current` is not a
// decimal number (a date-time text, blank). A number too long for the
// column (20 characters) also gives `today`. Digits are counted as text, so
// a stamp beyond 64 bits still moves on.
std::string NextModifyStamp(std::string_view current, std::string_view today);

// Reads the stamp and writes the next one (the row inserted when the table
// is empty). Runs inside the caller's transaction. Throws
// stationdb::DatabaseError.
StampChange BumpModifyStamp(stationdb::Connection &connection);

}  // namespace generator
