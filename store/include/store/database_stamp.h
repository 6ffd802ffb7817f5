#pragma once
// The station database's modification stamp, DBModifyTime of
// tb_status_memstd: the limits plug-in reloads when it differs from the one
// recorded in memstd.ini, and every write of the limits moves it on. The one
// place that reads and writes it.
#include <optional>
#include <string>

namespace stationdb {
class Connection;
}

namespace store {

// The statement the loader reads the stamp with (the trailing blank is the
// line software's).
inline constexpr char kDatabaseStampQuery[] = "select DBModifyTime from tb_status_memstd ";

// The stamp of the first row, without blanks at both ends ("" for NULL);
// nullopt when the table has no row. Throws stationdb::DatabaseError.
std::optional<std::string> ReadDatabaseStamp(stationdb::Connection &connection);

// Sets the stamp of every row, or inserts the one row when the table has
// none; in the caller's transaction. Throws stationdb::DatabaseError.
void WriteDatabaseStamp(stationdb::Connection &connection, const std::string &stamp);

}  // namespace store
