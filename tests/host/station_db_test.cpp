// Stations on a database: init-station, a first judge that makes the plug-in
// load the database, reload and mark-changed. The SQLite cases always run;
// the PostgreSQL case runs when $STATION_TEST_PG names a data source in the
// odbc.ini of $ODBCINI (user postgres).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

#include "platform/ini_file.h"
#include "stationdb/stationdb.h"
#include "stdhost_runner.h"
#include "temp_dir.h"

using stdhost_test::kDataDir;
using stdhost_test::kSedan;
using stdhost_test::Outcome;
using stdhost_test::RunStdhost;
using testing_support::FileExists;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {

// Rows of each seed table: the data lines of db/seed/<table>.tsv.
std::map<std::string, long long> SeedRows() {
    std::map<std::string, long long> rows;
    for (const auto &entry : std::filesystem::directory_iterator(kDataDir + "/db/seed")) {
        if (entry.path().extension() != ".tsv") continue;
        std::ifstream in(entry.path());
        std::string line;
        long long n = -1;  // the first line names the columns
        while (std::getline(in, line))
            if (!line.empty() && line != "\r") ++n;
        rows[entry.path().stem().string()] = n;
    }
    return rows;
}

// The "  table  N rows" lines of init-station's summary.
std::map<std::string, long long> ReportedRows(const std::string &out) {
    std::map<std::string, long long> rows;
    static const std::regex line(R"(\n  (tb_\w+) +(\d+) rows)");
    for (std::sregex_iterator i(out.begin(), out.end(), line), e; i != e; ++i)
        rows[(*i)[1]] = std::stoll((*i)[2]);
    return rows;
}

// A judge's output without its first line, which says where the table came from.
std::string Verdict(const std::string &out) {
    return out.substr(std::min(out.find('\n'), out.size()));
}

class StationDb : public ::testing::Test {
  protected:
    // A station a few directories down, so that init-station makes the parents.
    std::string Dir() const { return root_.File("line/one/station"); }
    std::string File(const std::string &name) const { return Dir() + "/" + name; }

    Outcome Stdhost(const std::string &args) {
        return RunStdhost("--station " + Dir() + " " + args);
    }
    Outcome Init(const std::string &options = "") {
        return RunStdhost("init-station " + Dir() + " " + options);
    }
    Outcome JudgeSedan() { return Stdhost("judge --vehicle " + kSedan + " --explain"); }
    std::string Stamp() {
        return platform::GetProfileString(File("config/memstd.ini"), "CREATETIME", "TIME", "");
    }

    // What a station on a database goes through: the first judge loads the
    // database and writes the standard file, reload finds nothing new until
    // the stamp changes.
    void ExpectLoadsAndReloads() {
        Outcome first = JudgeSedan();
        EXPECT_EQ(first.exitCode, 0) << first.out;
        EXPECT_NE(first.out.find("no standard file, so the plug-in loaded the database"),
                  std::string::npos)
            << first.out;
        EXPECT_TRUE(FileExists(File("config/StandarFile.sfd")));
        const std::string stamp = Stamp();
        EXPECT_FALSE(stamp.empty()) << ReadBytes(File("config/memstd.ini"));

        Outcome second = JudgeSedan();
        EXPECT_EQ(second.exitCode, 0) << second.out;
        EXPECT_NE(second.out.find("standards: the standard file"), std::string::npos);
        EXPECT_EQ(Verdict(second.out), Verdict(first.out));

        Outcome unchanged = Stdhost("reload");
        EXPECT_EQ(unchanged.exitCode, 0) << unchanged.out;
        EXPECT_NE(unchanged.out.find("ExtParamSave gave -1000"), std::string::npos);
        EXPECT_NE(unchanged.out.find("nothing reloaded:"), std::string::npos) << unchanged.out;

        Outcome marked = Stdhost("mark-changed 77");
        ASSERT_EQ(marked.exitCode, 0) << marked.out;
        EXPECT_NE(marked.out.find("-> 77"), std::string::npos) << marked.out;
        Outcome reloaded = Stdhost("reload");
        EXPECT_EQ(reloaded.exitCode, 0) << reloaded.out;
        EXPECT_NE(reloaded.out.find("database stamp:       \"77\""), std::string::npos)
            << reloaded.out;
        EXPECT_NE(reloaded.out.find("reloaded:"), std::string::npos) << reloaded.out;
        EXPECT_EQ(Stamp(), "77");
        EXPECT_EQ(Verdict(JudgeSedan().out), Verdict(first.out));
    }

    TempDir root_;
};

TEST_F(StationDb, InitMakesASqliteStationWithTheSeedData) {
    Outcome run = Init();
    ASSERT_EQ(run.exitCode, 0) << run.out;
    for (const char *name :
         {"plinth.ini", "odbc.ini", "odbcinst.ini", "station.db", "config", "modules"})
        EXPECT_TRUE(FileExists(File(name))) << name;
    const std::string plinthIni = File("plinth.ini");
    EXPECT_EQ(platform::GetProfileString(plinthIni, "env", "databaseLine", ""),
              "station_limits,,,,,,");
    EXPECT_EQ(platform::GetProfileString(plinthIni, "env", "configDirectory", ""), File("config"));
    EXPECT_EQ(platform::GetProfileString(File("odbc.ini"), "station_limits", "Database", ""),
              File("station.db"));
    EXPECT_EQ(ReadBytes(File("odbcinst.ini")), ReadBytes(kDataDir + "/odbcinst.ini"));
    const auto seed = SeedRows();
    EXPECT_FALSE(seed.empty());
    EXPECT_EQ(ReportedRows(run.out), seed) << run.out;
}

TEST_F(StationDb, InitRefusesAnExistingStationUnlessForced) {
    ASSERT_EQ(Init().exitCode, 0);
    ASSERT_EQ(JudgeSedan().exitCode, 0);
    const std::string database = ReadBytes(File("station.db"));
    const std::string plinthIni = ReadBytes(File("plinth.ini"));

    Outcome again = Init();
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.out.find("already holds a station"), std::string::npos) << again.out;
    EXPECT_EQ(ReadBytes(File("station.db")), database);
    EXPECT_EQ(ReadBytes(File("plinth.ini")), plinthIni);
    EXPECT_TRUE(FileExists(File("config/StandarFile.sfd")));

    // Only plinth.ini left (a station on another data source): refused too.
    std::filesystem::remove(File("station.db"));
    EXPECT_EQ(Init().exitCode, 1);
    EXPECT_FALSE(FileExists(File("station.db")));

    // --force makes a new database and drops what was made from the old one.
    Outcome forced = Init("--force");
    EXPECT_EQ(forced.exitCode, 0) << forced.out;
    EXPECT_EQ(ReportedRows(forced.out), SeedRows());
    EXPECT_FALSE(FileExists(File("config/StandarFile.sfd")));
    EXPECT_FALSE(FileExists(File("config/memstd.ini")));
}

TEST_F(StationDb, InitRejectsBadUseAndChangesNothing) {
    for (const char *args :
         {"", "--force", "DIR --dsn x", "DIR --odbc-ini f", "DIR --user u", "DIR --no-seed",
          "DIR --dsn a,b --odbc-ini f", "DIR --bogus", "DIR DIR2"}) {
        std::string line = args;
        for (std::size_t at; (at = line.find("DIR")) != std::string::npos;)
            line.replace(at, 3, Dir());
        EXPECT_EQ(RunStdhost("init-station " + line).exitCode, 2) << args;
    }
    TempDir empty;
    Outcome noData = Init("--data " + empty.Path());
    EXPECT_EQ(noData.exitCode, 1);
    EXPECT_NE(noData.out.find("odbcinst.ini"), std::string::npos) << noData.out;
    Outcome noIni = Init("--dsn x --odbc-ini " + root_.File("missing.ini"));
    EXPECT_EQ(noIni.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(root_.File("line"))) << "nothing is made";

    // A directory that cannot be made: under a regular file.
    WriteBytes(root_.File("file"), "x");
    EXPECT_EQ(RunStdhost("init-station " + root_.File("file/station")).exitCode, 1);
}

TEST_F(StationDb, SqliteStationLoadsTheDatabaseAndReloadsOnAChangedStamp) {
    ASSERT_EQ(Init().exitCode, 0);
    ExpectLoadsAndReloads();
}

TEST_F(StationDb, ReloadWithAnUnreachableDatabaseChangesNothing) {
    ASSERT_EQ(Init().exitCode, 0);
    ASSERT_EQ(JudgeSedan().exitCode, 0);
    const std::string file = ReadBytes(File("config/StandarFile.sfd"));
    std::filesystem::remove(File("station.db"));  // NoCreat: the driver will not make it anew
    Outcome run = Stdhost("reload");
    EXPECT_EQ(run.exitCode, 8) << run.out;
    EXPECT_NE(run.out.find("stdhost: cannot reach the station's database"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("nothing reloaded:     the database cannot be reached"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(ReadBytes(File("config/StandarFile.sfd")), file);
    EXPECT_EQ(Stdhost("mark-changed").exitCode, 1);
    EXPECT_EQ(Stdhost("mark-changed 0").exitCode, 2);
}

// A station on PostgreSQL, in a database of its own that is dropped afterwards.
TEST_F(StationDb, PostgresStationThroughAnExistingDataSource) {
    const char *dsn = std::getenv("STATION_TEST_PG");
    const char *odbcIni = std::getenv("ODBCINI");
    if (dsn == nullptr || *dsn == '\0' || odbcIni == nullptr)
        GTEST_SKIP() << "STATION_TEST_PG and ODBCINI name no PostgreSQL data source";
    ::setenv("ODBCSYSINI", kDataDir.c_str(), 0);  // before this process's first ODBC call

    const std::string database = "stdhost_test_" + std::to_string(::getpid());
    stationdb::Connection admin;
    admin.Open(std::string("DSN=") + dsn + ";UID=postgres;PWD=;");
    ASSERT_EQ(admin.GetDialect(), stationdb::Dialect::kPostgreSql);
    admin.Execute("CREATE DATABASE " + database + " TEMPLATE template0 ENCODING 'UTF8'");
    struct Drop {
        stationdb::Connection &admin;
        std::string database;
        ~Drop() {
            try {
                admin.Execute("DROP DATABASE IF EXISTS " + database + " WITH (FORCE)");
            } catch (const stationdb::DatabaseError &) {
            }
        }
    } drop{admin, database};

    // The given data source with the test's database in place of its own.
    const std::string ini = root_.File("odbc.ini");
    std::vector<std::pair<std::string, std::string>> settings;
    for (const char *key : {"Driver", "Servername", "Port"})
        settings.emplace_back(key, platform::GetProfileString(odbcIni, dsn, key, ""));
    settings.emplace_back("Database", database);
    ASSERT_TRUE(stationdb::WriteDataSource(ini, "station_host", settings));

    Outcome run = Init("--dsn station_host --odbc-ini " + ini + " --user postgres");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("PostgreSQL, user postgres"), std::string::npos) << run.out;
    EXPECT_EQ(ReportedRows(run.out), SeedRows());
    EXPECT_EQ(platform::GetProfileString(File("plinth.ini"), "env", "databaseLine", ""),
              "station_host,,,,,postgres,");
    EXPECT_EQ(ReadBytes(File("odbc.ini")), ReadBytes(ini));
    EXPECT_FALSE(FileExists(File("station.db")));
    ExpectLoadsAndReloads();

    // --no-seed on the same database: only the files, the tables are kept.
    Outcome noSeed =
        Init("--dsn station_host --odbc-ini " + ini + " --user postgres --no-seed --force");
    EXPECT_EQ(noSeed.exitCode, 0) << noSeed.out;
    EXPECT_NE(noSeed.out.find("--no-seed"), std::string::npos);
    EXPECT_EQ(JudgeSedan().exitCode, 0);
}

}  // namespace
