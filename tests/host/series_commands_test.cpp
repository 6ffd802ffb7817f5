// The series editor's commands on a station of their own (SQLite), run as a
// user runs stdhost: a separate process.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "stationdb/stationdb.h"
#include "stdhost_runner.h"
#include "temp_dir.h"

namespace {

using stdhost_test::kDataDir;
using stdhost_test::kSedan;
using stdhost_test::Outcome;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

class SeriesCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        Outcome init = stdhost_test::RunStdhost("init-station " + Dir());
        ASSERT_EQ(init.exitCode, 0) << init.out;
    }
    std::string Dir() const { return dir_.File("station"); }
    Outcome Stdhost(const std::string &args) {
        return stdhost_test::RunStdhost("--station " + Dir() + " " + args);
    }
    nlohmann::json Json(const std::string &args) {
        Outcome run = Stdhost(args);
        EXPECT_EQ(run.exitCode, 0) << run.out;
        return nlohmann::json::parse(run.out, nullptr, false);
    }
    // A statement on the station's database, as another program would run it.
    void Sql(const std::string &sql) {
        ::setenv("ODBCSYSINI", kDataDir.c_str(), 0);  // before this process's first ODBC call
        stationdb::Connection db;
        db.Open("Driver=SQLite3;Database=" + Dir() + "/station.db;");
        db.Execute(sql);
    }
    static bool Has(const Outcome &run, const std::string &text) {
        return run.out.find(text) != std::string::npos;
    }
    // "A -> B" of the stamp line a write prints, "" when it printed none.
    static std::string StampChange(const Outcome &run) {
        const std::size_t at = run.out.find("DBModifyTime ");
        if (at == std::string::npos) return "";
        const std::size_t end = run.out.find(':', at);
        return run.out.substr(at + 13, end - at - 13);
    }
    TempDir dir_;
};

// The default standard is what the limits plug-in judges for the same
// vehicle values; a masked parameter keeps its stored limit, an edit wins
// over both.
TEST_F(SeriesCommands, GenerateFromADefaultStandardAsTheLimitsPluginJudges) {
    // The eleven values of the conditions dialog for a sedan, two left empty.
    const std::string sedan = dir_.File("sedan.vehicle");
    WriteBytes(sedan,
               "1088=1580\n1089=5\n1066=185\n1083=1230\n1006=10060001\n1082=10820001\n"
               "1005=10050001\n1009=10090002\n1048=10480002\n1011=\n1038=\n");
    ASSERT_EQ(Stdhost("mask set 2162").exitCode, 0);
    Outcome gen = Stdhost("series generate 大众 捷达 --default " + sedan + " --set 2232=1,2");
    ASSERT_EQ(gen.exitCode, 0) << gen.out;
    EXPECT_NE(gen.out.find("series 大众_捷达: 99 rows inserted, 0 updated"), std::string::npos)
        << gen.out;

    std::map<int, std::pair<double, double>> judged;  // paramid -> (lower, upper)
    const nlohmann::json verdict = Json("judge --json --vehicle " + sedan);
    for (const auto &l : verdict["limits"])
        judged[l["param"].get<int>()] = {l["lower"].get<double>(), l["upper"].get<double>()};
    const nlohmann::json shown = Json("series show 大众 捷达 --json");
    int compared = 0;
    for (const auto &p : shown["params"]) {
        const int id = p["paramid"].get<int>();
        const std::pair<double, double> limits{p["lower"].get<double>(), p["upper"].get<double>()};
        if (id == 2232) {
            EXPECT_EQ(limits, std::make_pair(2.0, 1.0));
        } else if (id == 2162) {
            EXPECT_TRUE(p["masked"].get<bool>());
            EXPECT_EQ(limits, std::make_pair(0.0, 0.0));
        } else if (judged.count(id) > 0) {
            EXPECT_EQ(limits, judged[id]) << id;
            ++compared;
        }
    }
    EXPECT_GT(compared, 50);
    // Generating again changes rows in place.
    EXPECT_EQ(Json("series generate 大众 捷达 --json")["inserted"], 0);
}

TEST_F(SeriesCommands, ExportThenImportOnAnEmptyStationGivesTheSameRows) {
    ASSERT_EQ(Stdhost("series generate 大众 捷达 --default " + kSedan).exitCode, 0);
    ASSERT_EQ(Stdhost("series generate 丰田 卡罗拉 --set 2231=0,65").exitCode, 0);
    const std::string exported = dir_.File("series.tsv");
    ASSERT_EQ(Stdhost("series export " + exported).exitCode, 0);

    TempDir other;
    const std::string station = other.File("station");
    ASSERT_EQ(stdhost_test::RunStdhost("init-station " + station).exitCode, 0);
    Outcome import =
        stdhost_test::RunStdhost("--station " + station + " series import " + exported);
    ASSERT_EQ(import.exitCode, 0) << import.out;
    ASSERT_EQ(stdhost_test::RunStdhost("--station " + station + " series export " +
                                       other.File("again.tsv"))
                  .exitCode,
              0);
    EXPECT_EQ(ReadBytes(other.File("again.tsv")), ReadBytes(exported));
}

TEST_F(SeriesCommands, ClearErrorsAndNothingWritten) {
    EXPECT_EQ(Stdhost("series show 大众 无此车系").exitCode, 6);
    EXPECT_EQ(Stdhost("series generate 无此品牌 捷达").exitCode, 6);
    EXPECT_EQ(Stdhost("series generate 大众 捷达 --set 2232=1").exitCode, 2);

    const std::string file = dir_.File("bad.tsv");
    WriteBytes(file,
               "brand\tseries\tdevice\titemid\titem\tparamid\tparameter\tupper\tlower\n"
               "大众\t捷达\tx\t223\tx\t2231\tx\t1\t2\n"
               "大众\t朗逸\tx\t223\tx\t2231\tx\t1\tzwei\n");
    Outcome bad = Stdhost("series import " + file);
    EXPECT_EQ(bad.exitCode, 7);
    EXPECT_NE(bad.out.find(file + ":3:9: not a number"), std::string::npos) << bad.out;
    EXPECT_EQ(Stdhost("series export " + dir_.File("none.tsv")).out.find("exported 0 series"), 0u);

    EXPECT_EQ(Stdhost("clear-standards").exitCode, 2);
    EXPECT_EQ(stdhost_test::RunStdhost("--station " + dir_.File("nowhere") + " brands").exitCode,
              8);
}

// Two listed series that form one key: the line would judge both with the
// limits of whichever was stored last.
TEST_F(SeriesCommands, ASeriesKeyThatAnotherListedSeriesFormsIsRefused) {
    Sql("insert into tb_type_vehicle (CPMC, CXXL) values ('A_B', 'C')");
    Sql("insert into tb_type_vehicle (CPMC, CXXL) values ('A', 'B_C')");
    Outcome gen = Stdhost("series generate A_B C --set 2161=1,0");
    EXPECT_EQ(gen.exitCode, 2) << gen.out;
    EXPECT_TRUE(Has(gen, "品牌\"A_B\"车系\"C\"与品牌\"A\"车系\"B_C\"")) << gen.out;
    EXPECT_TRUE(Has(Stdhost("series export " + dir_.File("x.tsv")), "exported 0 series"));

    const std::string file = dir_.File("both.tsv");
    WriteBytes(file,
               "brand\tseries\tdevice\titemid\titem\tparamid\tparameter\tupper\tlower\n"
               "A\tB_C\tx\t216\tx\t2161\tx\t2\t0\n");
    Outcome import = Stdhost("series import " + file);
    EXPECT_EQ(import.exitCode, 7) << import.out;
    EXPECT_TRUE(Has(import, "品牌\"A\"车系\"B_C\"与品牌\"A_B\"车系\"C\"")) << import.out;
    EXPECT_TRUE(Has(Stdhost("series export " + dir_.File("x.tsv")), "exported 0 series"));

    // The audit names the pair, whether a standard is stored under it or not.
    Outcome audit = Stdhost("audit");
    EXPECT_EQ(audit.exitCode, 1) << audit.out;
    EXPECT_TRUE(Has(audit, "Series key \"A_B_C\" is formed by A/B_C and A_B/C")) << audit.out;
}

// The line reads brand and series as 49-byte texts: a longer name would be
// stored under a key no vehicle forms.
TEST_F(SeriesCommands, NamesTheLinesIntakeWouldCutAreRefusedAndAudited) {
    std::string brand, series24;
    for (int i = 0; i < 25; ++i) brand += "长";
    for (int i = 0; i < 24; ++i) series24 += "系";
    Sql("insert into tb_type_vehicle (CPMC, CXXL) values ('" + brand + "', '" + series24 + "')");
    Sql("insert into tb_type_vehicle (CPMC, CXXL) values ('大众', '" + series24 + "')");
    Outcome cut = Stdhost("series generate " + brand + " " + series24);
    EXPECT_EQ(cut.exitCode, 2) << cut.out;
    EXPECT_TRUE(Has(cut, "有50字节,检测线只读入49字节(24个汉字)")) << cut.out;
    EXPECT_EQ(Stdhost("series generate 大众 " + series24).exitCode, 0);

    // A key stored before the check (by another program) is named by the audit.
    Sql("insert into tb_id_standard (itemid, condition, paramid, hvalue, lvalue) values (216, '" +
        brand + "_" + series24 + "', 2161, '1', '0')");
    Outcome audit = Stdhost("audit --json");
    EXPECT_EQ(audit.exitCode, 1) << audit.out;
    const auto a = nlohmann::json::parse(audit.out.substr(audit.out.find('{')), nullptr, false);
    ASSERT_EQ(a["seriesKeys"]["cut"].size(), 1u) << audit.out;
    EXPECT_EQ(a["seriesKeys"]["cut"][0]["brandBytes"], 50);
    EXPECT_EQ(a["summary"]["cutSeriesKeys"], 1);
}

TEST_F(SeriesCommands, LimitsThatCannotBeStoredAreRefusedAndRoundingIsSaid) {
    Outcome big = Stdhost("series generate 大众 捷达 --set 2161=1e30,0");
    EXPECT_EQ(big.exitCode, 2);
    EXPECT_TRUE(Has(big, "upper limit \"1e30\" of parameter 2161 cannot be stored: 超过20个字符"))
        << big.out;
    EXPECT_EQ(Stdhost("series generate 大众 捷达 --set 2161=inf,0").exitCode, 2);
    Outcome rounded = Stdhost("series generate 大众 捷达 --set 2161=0.125,７５０");
    ASSERT_EQ(rounded.exitCode, 0) << rounded.out;
    EXPECT_TRUE(Has(rounded, "parameter 2161: the upper limit 0.125 is stored as 0.12"))
        << rounded.out;
    EXPECT_FALSE(Has(rounded, "lower limit")) << rounded.out;

    // A stored value beyond a float is exported as nothing import refuses.
    Sql("update tb_id_standard set hvalue = '1e39' where paramid = 2161");
    const std::string file = dir_.File("series.tsv");
    Outcome exported = Stdhost("series export " + file);
    EXPECT_EQ(exported.exitCode, 1) << exported.out;
    EXPECT_TRUE(Has(exported, "parameter 2161 (inf)")) << exported.out;
    EXPECT_EQ(::access(file.c_str(), F_OK), -1);
    Outcome kept = Stdhost("series generate 大众 捷达");
    EXPECT_EQ(kept.exitCode, 2);
    EXPECT_TRUE(Has(kept, "参数2161")) << kept.out;

    Sql("update tb_id_standard set hvalue = '1' where paramid = 2161");
    WriteBytes(file,
               "brand\tseries\tdevice\titemid\titem\tparamid\tparameter\tupper\tlower\n"
               "大众\t捷达\tx\t216\tx\t2161\tx\t0.005\t2\n"
               "大众\t朗逸\tx\t216\tx\t2161\tx\t1\t1e21\n");
    Outcome refused = Stdhost("series import " + file);
    EXPECT_EQ(refused.exitCode, 7);
    EXPECT_TRUE(Has(refused, ":3:9: the lower limit 1e21 of parameter 2161 cannot be stored"))
        << refused.out;
    WriteBytes(file,
               "brand\tseries\tdevice\titemid\titem\tparamid\tparameter\tupper\tlower\n"
               "大众\t捷达\tx\t216\tx\t2161\tx\t0.005\t2\n");
    Outcome noted = Stdhost("series import " + file);
    EXPECT_EQ(noted.exitCode, 0) << noted.out;
    EXPECT_TRUE(Has(noted, ":2:8: the upper limit 0.005 of parameter 2161 is stored as 0.00"))
        << noted.out;
}

// One vehicle-list row that cannot be a series of the line does not stop
// the work on the others.
TEST_F(SeriesCommands, AVehicleRowWithoutAGbkFormIsSkippedWithOneWarning) {
    Sql("insert into tb_type_vehicle (CPMC, CXXL) values ('😀牌', 'X1')");
    Sql("insert into tb_type_vehicle (CPMC, CXXL) values ('大众', '😀')");
    Outcome list = Stdhost("series-list 大众");
    EXPECT_EQ(list.exitCode, 0) << list.out;
    EXPECT_TRUE(Has(list, "捷达")) << list.out;
    for (const std::string &args :
         std::vector<std::string>{"series generate 大众 捷达", "series show 大众 捷达",
                                  "series export " + dir_.File("s.tsv")}) {
        Outcome run = Stdhost(args);
        EXPECT_EQ(run.exitCode, 0) << args << run.out;
        EXPECT_TRUE(Has(run, "warning: 2 series of tb_type_vehicle skipped")) << run.out;
        EXPECT_TRUE(Has(run, "😀牌/X1") && Has(run, "大众/😀")) << run.out;
    }
    Outcome import = Stdhost("series import " + dir_.File("s.tsv"));
    EXPECT_EQ(import.exitCode, 0) << import.out;
    Outcome audit = Stdhost("audit");
    EXPECT_LE(audit.exitCode, 1) << audit.out;
    EXPECT_TRUE(Has(audit, "😀牌/X1")) << audit.out;
}

// Every write says how the stamp moved; a line that reloads then takes the
// new limits. A refused write moves nothing.
TEST_F(SeriesCommands, WritesMoveTheStampOnceAndTheLineReloads) {
    Stdhost("reload");
    EXPECT_TRUE(Has(Stdhost("reload"), "nothing reloaded"));
    Outcome gen = Stdhost("series generate 大众 捷达 --set 2161=1,0");
    ASSERT_EQ(gen.exitCode, 0) << gen.out;
    const std::string first = StampChange(gen);
    ASSERT_NE(first, "") << gen.out;
    EXPECT_TRUE(Has(gen, "the lines load the new limits at their next reload")) << gen.out;
    EXPECT_TRUE(Has(Stdhost("reload"), "reloaded:"));
    EXPECT_TRUE(Has(Stdhost("reload"), "nothing reloaded"));

    EXPECT_EQ(Stdhost("series generate 大众 捷达 --set 2161=1e30,0").exitCode, 2);
    EXPECT_TRUE(Has(Stdhost("reload"), "nothing reloaded"));

    const std::string file = dir_.File("two.tsv");
    WriteBytes(file,
               "brand\tseries\tdevice\titemid\titem\tparamid\tparameter\tupper\tlower\n"
               "大众\t捷达\tx\t216\tx\t2161\tx\t2\t0\n"
               "丰田\t卡罗拉\tx\t216\tx\t2161\tx\t3\t0\n");
    Outcome import = Stdhost("series import " + file);
    ASSERT_EQ(import.exitCode, 0) << import.out;
    const std::string after = first.substr(first.find("-> ") + 3);
    const std::string imported = StampChange(import);
    // One step for the whole import, from where the generation left it.
    EXPECT_EQ(imported.substr(0, imported.find(' ')), after) << import.out;
    EXPECT_EQ(std::count(import.out.begin(), import.out.end(), '>'), 1) << import.out;
    EXPECT_TRUE(Has(Stdhost("reload"), "reloaded:"));

    Outcome cleared = Stdhost("clear-standards --yes");
    ASSERT_EQ(cleared.exitCode, 0) << cleared.out;
    EXPECT_TRUE(Has(cleared, "rows removed from tb_id_standard")) << cleared.out;
    EXPECT_NE(StampChange(cleared), "") << cleared.out;
}

// A default standard needs a vehicle: its kind and masses, from a small
// regular file, and a module that answers.
TEST_F(SeriesCommands, ADefaultStandardFromNoVehicleOrNoModuleAnswerIsRefused) {
    const std::string empty = dir_.File("empty.vehicle"), partial = dir_.File("partial.vehicle");
    WriteBytes(empty, "");
    WriteBytes(partial, "1088=1580\n1083=abc\n1089=5\n");
    const std::map<std::string, std::string> refusals = {
        {empty, "gives no value"},
        {dir_.File(""), "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {partial, "needs the vehicle kind (1082), the kerb mass (1083)"},
    };
    for (const auto &[file, why] : refusals) {
        Outcome run = Stdhost("series generate 大众 捷达 --default " + file);
        EXPECT_EQ(run.exitCode, 7) << file << run.out;
        EXPECT_TRUE(Has(run, why)) << file << run.out;
    }
    WriteBytes(dir_.File("station/config/StandarFile.sfd"), "");
    Outcome none = Stdhost("series generate 大众 捷达 --default " + kSedan);
    EXPECT_EQ(none.exitCode, 5) << none.out;
    EXPECT_TRUE(Has(none, "answered no limit")) << none.out;
    EXPECT_TRUE(Has(Stdhost("series export " + dir_.File("x.tsv")), "exported 0 series"));
}

}  // namespace
