// stdhost on stations a careless or hostile user leaves behind: a --station
// that is a file, a missing or incomplete plinth.ini, a damaged standard
// file, a standard file that cannot be written, a database that cannot be
// reached or whose pass fails, a station path too long for plinth.ini, and
// numbers with a NUL byte inside in the files stdhost reads.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

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

namespace {

// stdhost under `timeout`: a command that hangs fails the test (124) instead
// of stopping it.
Outcome Bounded(const std::string &args) {
    return RunStdhost(args, "timeout 60");
}

std::string WithoutLine(std::string text, const std::string &key) {
    const std::size_t at = text.find("\n" + key + "=");
    if (at != std::string::npos) text.erase(at + 1, text.find('\n', at + 1) - at);
    return text;
}

}  // namespace

// Only a missing mask file is an empty mask. A cut one, one whose count lies
// outside the table, a directory or a FIFO in its place stops every command
// that opens the series editor (exit 7, the file named, nothing written or
// cleared), and a FIFO never hangs them.
TEST_F(StdHostFaults, ADamagedMaskStopsEverySeriesCommand) {
    Init();
    ASSERT_EQ(Stdhost("mask set 2161").exitCode, 0);
    ASSERT_EQ(Stdhost("series generate 大众 捷达 --set 2161=7,1").exitCode, 0);
    const std::string mask = File("config/CXmask.cfg");
    const std::string whole = ReadBytes(mask);
    ASSERT_EQ(whole.size(), 40004u);
    std::string badCount = whole;
    badCount[1] = 0x20;  // 8193 entries

    const std::vector<std::pair<std::string, std::function<void()>>> damages{
        {"cut", [&] { WriteBytes(mask, whole.substr(0, 4)); }},
        {"count", [&] { WriteBytes(mask, badCount); }},
        {"directory",
         [&] {
             std::filesystem::remove(mask);
             std::filesystem::create_directory(mask);
         }},
        {"fifo",
         [&] {
             std::filesystem::remove(mask);
             ASSERT_EQ(::mkfifo(mask.c_str(), 0600), 0);
         }},
    };
    for (const auto &[name, damage] : damages) {
        damage();
        const std::string before = std::filesystem::is_regular_file(mask) ? ReadBytes(mask) : "";
        for (const std::string &command : std::vector<std::string>{
                 "mask show", "mask set 2162", "mask clear 2161", "series show 大众 捷达",
                 "series generate 大众 捷达 --default " + kSedan, "brands", "series-list 大众",
                 "series export " + File("out.tsv"), "clear-standards --yes"}) {
            Outcome run = Bounded("--station " + Dir() + " " + command);
            EXPECT_EQ(run.exitCode, 7) << name << ": " << command << "\n" << run.out;
            EXPECT_TRUE(Has(run, mask)) << name << ": " << command << "\n" << run.out;
        }
        if (!before.empty()) {
            EXPECT_EQ(ReadBytes(mask), before) << name;
        }
        EXPECT_FALSE(FileExists(File("out.tsv")));
        std::filesystem::remove_all(mask);
    }

    WriteBytes(mask, whole);
    Outcome shown = Stdhost("series show 大众 捷达 --json");
    ASSERT_EQ(shown.exitCode, 0) << shown.out;
    const nlohmann::json series = nlohmann::json::parse(shown.out);
    int found = 0;
    for (const auto &p : series["params"]) {
        if (p["paramid"].get<int>() != 2161) continue;
        ++found;
        EXPECT_EQ(p["upper"].get<double>(), 7.0);
        EXPECT_EQ(p["lower"].get<double>(), 1.0);
        EXPECT_TRUE(p["masked"].get<bool>());
    }
    EXPECT_EQ(found, 1);
}

// An empty or cut configDirectory or moduleDirectory is not used: no mask
// is written to the root directory, no module loaded from it.
TEST_F(StdHostFaults, UnusableDirectoriesOfPlinthIniAreNotUsed) {
    Init();
    const std::string plinth = ReadBytes(File("plinth.ini"));
    const bool rootMask = FileExists("/CXmask.cfg");

    WriteBytes(File("plinth.ini"), WithoutLine(plinth, "configDirectory"));
    for (const char *command : {"mask set 2161", "mask show"}) {
        Outcome run = Stdhost(command);
        EXPECT_EQ(run.exitCode, 7) << command << "\n" << run.out;
        EXPECT_TRUE(Has(run, "configDirectory is empty or cut")) << run.out;
    }
    if (!rootMask) {
        EXPECT_FALSE(FileExists("/CXmask.cfg"));
    }

    // 259 bytes that name the config directory, so a cut one names another.
    std::string longDir = File("config");
    while (longDir.size() < 259) longDir.insert(Dir().size(), "/.");
    WriteBytes(File("plinth.ini"),
               WithoutLine(plinth, "configDirectory") + "configDirectory=" + longDir + "\n");
    Outcome cut = Stdhost("mask set 2161");
    EXPECT_EQ(cut.exitCode, 7) << cut.out;
    EXPECT_FALSE(FileExists(File("config/CXmask.cfg")));
    EXPECT_FALSE(FileExists(File("CXmask.cfg")));

    WriteBytes(File("plinth.ini"), WithoutLine(plinth, "moduleDirectory"));
    Outcome generated = Stdhost("series generate 大众 捷达 --default " + kSedan);
    EXPECT_EQ(generated.exitCode, 7) << generated.out;
    EXPECT_TRUE(Has(generated, "moduleDirectory is empty or cut")) << generated.out;
    EXPECT_FALSE(Has(generated, "rows inserted")) << generated.out;
    // Without a default standard the module is not needed.
    EXPECT_EQ(Stdhost("series generate 大众 捷达 --set 2161=7,1").exitCode, 0);
}

// Every output of stdhost goes through one writer: a device (a link to
// /dev/null) or a FIFO is written in place and stays what it was, "-" is
// the standard output, and a directory is refused, never renamed over.
TEST_F(StdHostFaults, OutputsAreWrittenInPlaceOrRefusedNeverRenamedOver) {
    Init();
    WriteBytes(File("s.tsv"), "1\t223\tx\t2231\t60\t0\n");
    const std::string null = root_.File("null");
    std::filesystem::create_symlink("/dev/null", null);
    const std::string directory = root_.File("directory");
    std::filesystem::create_directory(directory);
    WriteBytes(directory + "/inside", "keep");
    for (const std::string &target : {null, directory}) {
        const bool device = target == null;
        for (const std::string &command : std::vector<std::string>{
                 "series export " + target, "build-standards " + File("s.tsv") + " " + target,
                 "audit --html " + target}) {
            Outcome run = Stdhost(command);
            if (device)
                EXPECT_TRUE(run.exitCode == 0 ||
                            (command.rfind("audit", 0) == 0 && run.exitCode == 1))
                    << command << "\n"
                    << run.out;
            else
                EXPECT_NE(run.exitCode, 0) << command << "\n" << run.out;
        }
    }
    EXPECT_TRUE(std::filesystem::is_symlink(null));
    EXPECT_TRUE(std::filesystem::is_character_file(null));
    EXPECT_EQ(ReadBytes(directory + "/inside"), "keep");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory), {}), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root_.Path()), {}), 3);

    Outcome toStdout = Stdhost("series export -");
    EXPECT_EQ(toStdout.exitCode, 0) << toStdout.out;
    EXPECT_EQ(toStdout.out.rfind("brand\tseries\tdevice", 0), 0u) << toStdout.out;
    EXPECT_FALSE(FileExists(File("-")));

    const std::string fifo = root_.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    Outcome piped = Bounded("--station " + Dir() + " series export " + fifo);
    EXPECT_EQ(piped.exitCode, 0) << piped.out;
    char got[32] = {};
    EXPECT_GT(::read(reader, got, sizeof got - 1), 0);
    EXPECT_EQ(std::string(got).rfind("brand\tseries", 0), 0u) << got;
    ::close(reader);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

// Every input file is a regular file (or "-") read up to a bound fitting its
// kind: a device, a FIFO or an oversized file is refused at once, by name.
TEST_F(StdHostFaults, InputFilesAreRegularAndBounded) {
    Init();
    const std::string fifo = root_.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string &input : {std::string("/dev/zero"), fifo}) {
        for (const std::string &command : std::vector<std::string>{
                 "judge --vehicle " + input, "series generate 大众 捷达 --default " + input,
                 "build-standards " + input + " " + File("x.sfd"), "series import " + input}) {
            Outcome run = Bounded("--station " + Dir() + " " + command);
            EXPECT_NE(run.exitCode, 0) << command << "\n" << run.out;
            EXPECT_NE(run.exitCode, 124) << command << "\n" << run.out;
            EXPECT_TRUE(Has(run, input + " is not a regular file")) << command << "\n" << run.out;
        }
    }
    EXPECT_FALSE(FileExists(File("x.sfd")));

    const std::string big = File("big.vehicle");
    WriteBytes(big, "1082=10820001\n" + std::string(20000, '#') + "\n");
    Outcome judged = Stdhost("judge --vehicle " + big);
    EXPECT_EQ(judged.exitCode, 2) << judged.out;
    EXPECT_TRUE(Has(judged, "the vehicle file " + big + " is larger than 16384 bytes"))
        << judged.out;

    Outcome fromStdin = Stdhost("judge --vehicle - < " + kSedan);
    EXPECT_EQ(fromStdin.exitCode, 0) << fromStdin.out;

    // A UTF-8 byte order mark, as an editor or a spreadsheet writes one, is not text.
    WriteBytes(File("bom.vehicle"), "\xef\xbb\xbf" + ReadBytes(kSedan));
    Outcome bom = Stdhost("judge --vehicle " + File("bom.vehicle"));
    EXPECT_EQ(bom.exitCode, 0) << bom.out;
    WriteBytes(File("bom.tsv"),
               "\xef\xbb\xbf"
               "1\t223\tx\t2231\t60\t0\n");
    Outcome built = Stdhost("build-standards - " + File("x.sfd") + " < " + File("bom.tsv"));
    EXPECT_EQ(built.exitCode, 0) << built.out;
    EXPECT_TRUE(Has(built, "1 limits from 1 rows")) << built.out;

    ASSERT_EQ(Stdhost("series generate 大众 捷达 --set 2161=1,0").exitCode, 0);
    ASSERT_EQ(Stdhost("series export " + File("s.tsv")).exitCode, 0);
    WriteBytes(File("bom-series.tsv"), "\xef\xbb\xbf" + ReadBytes(File("s.tsv")));
    Outcome imported = Stdhost("series import " + File("bom-series.tsv"));
    EXPECT_EQ(imported.exitCode, 0) << imported.out;
    Outcome directory = Stdhost("series import " + root_.Path());
    EXPECT_EQ(directory.exitCode, 7) << directory.out;
    EXPECT_TRUE(Has(directory, "is not a regular file")) << directory.out;
}

// A table that cannot be read is a database fault with the driver's reason,
// never "no such brand" or an empty answer.
TEST_F(StdHostFaults, UnreadableVehicleTablesAreDatabaseFaults) {
    Init();
    Sql("drop table tb_type_index");
    Outcome brands = Stdhost("brands D");
    EXPECT_EQ(brands.exitCode, 1) << brands.out;
    EXPECT_TRUE(Has(brands, "tb_type_index")) << brands.out;
    EXPECT_FALSE(Has(brands, "STATION_TRACE")) << brands.out;
    Sql("drop table tb_type_vehicle");
    Outcome series = Stdhost("series-list 大众");
    EXPECT_EQ(series.exitCode, 1) << series.out;
    EXPECT_TRUE(Has(series, "no such table: tb_type_vehicle")) << series.out;
    EXPECT_FALSE(Has(series, "has no series")) << series.out;
}

// The driver manager reads odbc.ini and odbcinst.ini with blocking reads of
// its own: a FIFO or /dev/zero in their place is refused before anything
// connects.
TEST_F(StdHostFaults, OdbcFilesThatAreNotRegularAreRefusedBeforeConnecting) {
    Init();
    for (const char *name : {"odbc.ini", "odbcinst.ini"}) {
        const std::string file = File(name);
        const std::string saved = ReadBytes(file);
        for (bool fifo : {true, false}) {
            std::filesystem::remove(file);
            if (fifo)
                ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
            else
                std::filesystem::create_symlink("/dev/zero", file);
            for (const std::string &command :
                 std::vector<std::string>{"brands", "reload", "judge --vehicle " + kSedan}) {
                Outcome run = Bounded("--station " + Dir() + " " + command);
                EXPECT_EQ(run.exitCode, 8) << name << ": " << command << "\n" << run.out;
                EXPECT_TRUE(Has(run, file + " is not a regular file")) << run.out;
            }
        }
        std::filesystem::remove(file);
        WriteBytes(file, saved);
    }
    EXPECT_EQ(Stdhost("brands").exitCode, 0);
}

// A damaged standard file is named by plain judge as by --explain; an empty
// one or one with only a header too.
TEST_F(StdHostFaults, EveryDamagedStandardFileIsNamedByPlainJudge) {
    Init();
    ASSERT_EQ(Stdhost("judge --vehicle " + kSedan).exitCode, 0);
    const std::string sfd = File("config/StandarFile.sfd");
    const std::string whole = ReadBytes(sfd);
    for (const auto &[bytes, words] :
         {std::pair{whole.substr(0, whole.size() - 100), std::string("whole records were read")},
          std::pair{std::string(), std::string("holds 0 bytes")},
          std::pair{std::string(8, '\0'), std::string("announces no records")}}) {
        WriteBytes(sfd, bytes);
        Outcome judged = Stdhost("judge --vehicle " + kSedan);
        EXPECT_TRUE(Has(judged, "stdhost: standards: " + sfd + " is damaged")) << judged.out;
        EXPECT_TRUE(Has(judged, words)) << judged.out;
        Outcome shown = Stdhost("show-standards " + sfd);
        EXPECT_EQ(shown.exitCode, 7) << shown.out;
        EXPECT_TRUE(Has(shown, sfd + " is damaged")) << shown.out;
    }
    WriteBytes(sfd, whole);
    EXPECT_FALSE(Has(Stdhost("judge --vehicle " + kSedan), "damaged"));
}
