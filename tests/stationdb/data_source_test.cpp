// Data sources written to an odbc.ini.
#include <gtest/gtest.h>

#include "platform/ini_file.h"
#include "stationdb/stationdb.h"
#include "temp_dir.h"

namespace {

using platform::GetProfileString;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

TEST(StationDbDataSource, SqliteSourceKeepsOtherSections) {
    TempDir dir;
    std::string ini = dir.File("odbc.ini");
    WriteBytes(ini,
               "; the station's sources\n[pg]\nDriver = PostgreSQL ANSI\nPort=5432\n\n"
               "[Station]\nDriver = FreeTDS\nServer = old\n[tail]\nkey = value\n");
    ASSERT_TRUE(stationdb::WriteSqliteDataSource(ini, "station", "/data/station.db"));
    EXPECT_EQ(GetProfileString(ini, "station", "Driver", ""), "SQLite3");
    EXPECT_EQ(GetProfileString(ini, "station", "Database", ""), "/data/station.db");
    EXPECT_EQ(GetProfileString(ini, "station", "Timeout", ""), "2000");
    EXPECT_EQ(GetProfileString(ini, "station", "NoCreat", ""), "1");
    EXPECT_EQ(GetProfileString(ini, "station", "JournalMode", ""), "WAL");
    // The old definition is replaced, not merged.
    EXPECT_EQ(GetProfileString(ini, "station", "Server", "none"), "none");
    std::string bytes = ReadBytes(ini);
    EXPECT_EQ(bytes.rfind("; the station's sources\n[pg]\nDriver = PostgreSQL ANSI\nPort=5432\n\n"
                          "[tail]\nkey = value\n",
                          0),
              0u)
        << bytes;
}

TEST(StationDbDataSource, GeneralSourceCreatesTheFileAndKeepsOrder) {
    TempDir dir;
    std::string ini = dir.File("odbc.ini");
    ASSERT_TRUE(stationdb::WriteDataSource(
        ini, "mssql", {{"Driver", "FreeTDS"}, {"Server", "10.0.0.1"}, {"TDS_Version", "7.4"}}));
    ASSERT_TRUE(stationdb::WriteSqliteDataSource(ini, "local", "/tmp/x.db"));
    EXPECT_EQ(ReadBytes(ini).rfind("[mssql]\nDriver = FreeTDS\nServer = 10.0.0.1\n"
                                   "TDS_Version = 7.4\n\n[local]\nDriver = SQLite3\n",
                                   0),
              0u)
        << ReadBytes(ini);
}

TEST(StationDbDataSource, UnwritablePathFailsAndBadNamesAreRefused) {
    TempDir dir;
    WriteBytes(dir.File("file"), "x");
    EXPECT_FALSE(stationdb::WriteSqliteDataSource(dir.File("file/odbc.ini"), "s", "/a.db"));
    EXPECT_FALSE(stationdb::WriteDataSource(dir.File("odbc.ini"), "bad]name", {{"Driver", "x"}}));
    EXPECT_FALSE(stationdb::WriteDataSource(dir.File("odbc.ini"), "s", {{"Driver", "x\ny"}}));
}

}  // namespace
