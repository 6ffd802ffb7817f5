// stdhost on stations a careless or hostile user leaves behind: a --station
// that is a file, a missing or incomplete plinth.ini, a damaged standard
// file, a standard file that cannot be written, a database that cannot be
// reached or whose pass fails, a station path too long for plinth.ini, and
// numbers with a NUL byte inside in the files stdhost reads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

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

bool Has(const Outcome &run, const std::string &text) {
    return run.out.find(text) != std::string::npos;
}

class StdHostFaults : public ::testing::Test {
  protected:
    std::string Dir() const { return root_.File("station"); }
    std::string File(const std::string &name) const { return Dir() + "/" + name; }
    Outcome Stdhost(const std::string &args) {
        return RunStdhost("--station " + Dir() + " " + args);
    }
    void Init() { ASSERT_EQ(RunStdhost("init-station " + Dir()).exitCode, 0); }
    // Runs `sql` on the station's SQLite database from this process.
    void Sql(const std::string &sql) {
        ::setenv("ODBCSYSINI", kDataDir.c_str(), 0);  // before this process's first ODBC call
        stationdb::Connection db;
        db.Open("Driver=SQLite3;Database=" + File("station.db") + ";");
        db.Execute(sql);
    }

    TempDir root_;
};

}  // namespace

TEST_F(StdHostFaults, AStationThatIsAFileIsRefusedByEveryCommand) {
    WriteBytes(Dir(), "not a station\n");
    for (const char *command : {"judge --set 1082=10820001", "reload", "mark-changed", "brands",
                                "series-list x", "show-standards x.sfd", "mask show"}) {
        Outcome run = Stdhost(command);
        EXPECT_EQ(run.exitCode, 2) << command << "\n" << run.out;
        EXPECT_TRUE(Has(run, "the station " + Dir() + " is not a directory")) << run.out;
    }
}

// Said before anything connects: no SQLite file named after the empty
// connect string appears in the current directory.
TEST_F(StdHostFaults, AMissingPlinthIniOrOneWithoutADataSourceIsSaid) {
    std::filesystem::create_directories(File("config"));
    const std::string stray = "DSN=;UID=;PWD=;";
    std::filesystem::remove(stray);
    for (const char *command : {"judge --set 1082=10820001", "reload", "mark-changed", "brands"}) {
        Outcome run = Stdhost(command);
        EXPECT_EQ(run.exitCode, 8) << command << "\n" << run.out;
        EXPECT_TRUE(Has(run, "plinth.ini " + File("plinth.ini") + " is missing")) << run.out;
    }
    WriteBytes(File("plinth.ini"), "[env]\nconfigDirectory=" + File("config") + "\n");
    for (const char *command :
         {"judge --set 1082=10820001", "reload", "mark-changed 5", "brands"}) {
        Outcome run = Stdhost(command);
        EXPECT_EQ(run.exitCode, 8) << command << "\n" << run.out;
        EXPECT_TRUE(Has(run, "names no data source")) << run.out;
    }
    EXPECT_FALSE(FileExists(stray));
}

TEST_F(StdHostFaults, ADamagedStandardFileIsReported) {
    std::filesystem::create_directories(File("config"));
    WriteBytes(File("plinth.ini"), "[env]\nconfigDirectory=" + File("config") + "\n");
    WriteBytes(File("s.tsv"),
               "1\t223\tx\t2231\t60\t0\n1\t223\tx\t2232\t0\t20\n8\t231\ty\t2311\t-5\t5\n");
    const std::string sfd = File("config/StandarFile.sfd");
    ASSERT_EQ(Stdhost("build-standards " + File("s.tsv") + " " + sfd).exitCode, 0);
    const std::string whole = ReadBytes(sfd);
    ASSERT_EQ(Stdhost("show-standards " + sfd).exitCode, 0);

    WriteBytes(sfd, whole.substr(0, whole.size() - 100));  // the last record cut
    Outcome cut = Stdhost("show-standards " + sfd);
    EXPECT_EQ(cut.exitCode, 7) << cut.out;
    EXPECT_TRUE(Has(cut, "announces 3 records")) << cut.out;
    EXPECT_TRUE(Has(cut, "2 whole records were read")) << cut.out;
    Outcome judged = Stdhost("judge --set 1082=10820001 --items 231 --explain");
    EXPECT_TRUE(Has(judged, "standards: " + sfd + " is damaged")) << judged.out;

    std::string refused = whole;
    refused[8] = 0;  // the first record's device id: 0
    WriteBytes(sfd, refused);
    Outcome zero = Stdhost("show-standards " + sfd);
    EXPECT_EQ(zero.exitCode, 7) << zero.out;
    EXPECT_TRUE(Has(zero, "1 refused")) << zero.out;
}

// A NUL byte ends strtol's and strtof's reading, not the field: a number with
// one inside is refused, with its line, by every reader of a text file.
TEST_F(StdHostFaults, ANumberWithANulByteInsideIsRefused) {
    using namespace std::string_literals;
    Init();
    WriteBytes(File("s.tsv"), "1\t223\tx\t2231\t60\t0\n1\t223\tx\t2232\t0\t20\0junk\n"s);
    Outcome built = Stdhost("build-standards " + File("s.tsv") + " " + File("s.sfd"));
    EXPECT_EQ(built.exitCode, 1) << built.out;
    EXPECT_TRUE(Has(built, File("s.tsv") + ":2: expected devid")) << built.out;
    EXPECT_FALSE(FileExists(File("s.sfd")));

    WriteBytes(File("v.vehicle"), "1082=10820001\n1088\0junk=1580\n"s);
    Outcome judged = Stdhost("judge --vehicle " + File("v.vehicle"));
    EXPECT_EQ(judged.exitCode, 2) << judged.out;
    EXPECT_TRUE(Has(judged, File("v.vehicle") + ":2: expected ID=TEXT")) << judged.out;

    WriteBytes(File("series.tsv"),
               "brand\tseries\tdevice\titemid\titem\tparamid\tparameter\tupper\tlower\n"
               "大众\t捷达\t制动检验台\t223\t整车制动\t2231\t整车制动率\t0\0junk\t60\n"s);
    Outcome imported = Stdhost("series import " + File("series.tsv"));
    EXPECT_EQ(imported.exitCode, 7) << imported.out;
    EXPECT_TRUE(Has(imported, File("series.tsv") + ":2:8: not a number")) << imported.out;
}

// The database served; only the file write failed: reload says so with its
// own exit code, and judge does not claim that nothing was loaded.
TEST_F(StdHostFaults, AStandardFileThatCannotBeWrittenIsBlamed) {
    Init();
    std::filesystem::remove_all(File("config"));
    Outcome judged = Stdhost("judge --vehicle " + kSedan + " --explain");
    EXPECT_EQ(judged.exitCode, 0) << judged.out;
    EXPECT_FALSE(Has(judged, "nothing loaded")) << judged.out;
    EXPECT_TRUE(Has(judged, "loaded the database (data source station_limits) but could not write"))
        << judged.out;
    Outcome reload = Stdhost("reload");
    EXPECT_EQ(reload.exitCode, 10) << reload.out;
    EXPECT_TRUE(Has(reload, "the standard file could not be written")) << reload.out;
    EXPECT_TRUE(Has(reload, "configuration directory " + File("config") + " does not exist"))
        << reload.out;
}

TEST_F(StdHostFaults, ReloadSaysWhyTheDatabaseGaveNothing) {
    Init();
    ASSERT_EQ(Stdhost("judge --vehicle " + kSedan).exitCode, 0);

    Sql("delete from tb_status_memstd");
    Outcome empty = Stdhost("reload");
    EXPECT_EQ(empty.exitCode, 0) << empty.out;
    EXPECT_TRUE(Has(empty, "tb_status_memstd is empty")) << empty.out;
    EXPECT_TRUE(Has(empty, "'stdhost mark-changed' sets one")) << empty.out;

    ASSERT_EQ(Stdhost("mark-changed 90").exitCode, 0);
    Sql("drop table tb_id_standard");
    Outcome failed = Stdhost("reload");
    EXPECT_EQ(failed.exitCode, 9) << failed.out;
    EXPECT_TRUE(Has(failed, "the database pass failed")) << failed.out;

    std::filesystem::remove(File("config/StandarFile.sfd"));
    std::filesystem::remove(File("station.db"));  // NoCreat: the driver will not make it anew
    Outcome judged = Stdhost("judge --vehicle " + kSedan);
    EXPECT_TRUE(Has(judged,
                    "stdhost: cannot reach the station's database (data source "
                    "station_limits): "))
        << judged.out;
}

// plinth.ini keeps configDirectory and moduleDirectory in 259 bytes.
TEST_F(StdHostFaults, InitRefusesAStationPathTooLongForPlinthIni) {
    const std::string base = root_.File("d/");
    for (const auto &[length, field] :
         {std::pair{253, "configDirectory"}, std::pair{252, "moduleDirectory"}}) {
        const std::string dir = base + std::string(length - base.size(), 'a');
        Outcome run = RunStdhost("init-station " + dir);
        EXPECT_EQ(run.exitCode, 2) << run.out;
        EXPECT_TRUE(Has(run, std::string(field) + " holds at most 259")) << run.out;
        EXPECT_FALSE(FileExists(dir));
    }
    const std::string fits = base + std::string(251 - base.size(), 'a');
    Outcome run = RunStdhost("init-station " + fits);
    EXPECT_EQ(run.exitCode, 0) << run.out;
}
