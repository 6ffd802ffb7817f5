#include "store/database_stamp.h"

#include <vector>

#include "platform/value_text.h"
#include "stationdb/stationdb.h"

namespace store {

std::optional<std::string> ReadDatabaseStamp(stationdb::Connection &connection) {
    stationdb::Statement query(connection, kDatabaseStampQuery);
    query.Execute();
    if (!query.Fetch()) return std::nullopt;
    return std::string(platform::TrimBlanks(query.Utf8(query.Column("DBModifyTime"))));
}

void WriteDatabaseStamp(stationdb::Connection &connection, const std::string &stamp) {
    const std::vector<std::string> value{stamp};
    if (connection.Execute("update tb_status_memstd set DBModifyTime = ?", value) == 0)
        connection.Execute("insert into tb_status_memstd (DBModifyTime) values (?)", value);
}

}  // namespace store
