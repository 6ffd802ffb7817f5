// The series editor's commands on a station of their own (SQLite), run as a
// user runs stdhost: a separate process.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "stdhost_runner.h"
#include "temp_dir.h"

namespace {

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

}  // namespace
