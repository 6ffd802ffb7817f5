// Data sources: their sections in an odbc.ini, and their connect strings.
#include <string>
#include <vector>

#include "platform/ini_file.h"
#include "stationdb/stationdb.h"

namespace stationdb {

std::string ConnectStringFor(const std::string &dsn, const std::string &user,
                             const std::string &password) {
    return "DSN=" + dsn + ";UID=" + user + ";PWD=" + password + ";";
}

// The old [name] section (every one of that name, ignoring case) is dropped
// and the new one appended, so no key of an earlier definition survives.
bool WriteDataSource(const std::string &odbcIniPath, const std::string &name,
                     const std::vector<std::pair<std::string, std::string>> &settings) {
    return platform::WriteProfileSection(odbcIniPath, name, settings);
}

bool WriteSqliteDataSource(const std::string &odbcIniPath, const std::string &name,
                           const std::string &databaseFile) {
    return WriteDataSource(odbcIniPath, name,
                           {{"Driver", "SQLite3"},
                            {"Database", databaseFile},
                            {"Timeout", "2000"},
                            {"NoCreat", "1"},
                            {"JournalMode", "WAL"}});
}

}  // namespace stationdb
