// stdhost as a user runs it: a separate process on a station directory.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "stdhost_runner.h"
#include "store/standard_table.h"
#include "temp_dir.h"

using testing_support::Gbk;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {

using stdhost_test::Outcome;
using Json = nlohmann::ordered_json;  // keeps the keys in the order they were written

std::vector<std::string> Keys(const Json &object) {
    std::vector<std::string> keys;
    for (const auto &entry : object.items()) keys.push_back(entry.key());
    return keys;
}

class StdHost : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directory(station_.File("config"));
        WriteBytes(station_.File("plinth.ini"),
                   "[env]\nconfigDirectory=" + station_.File("config") + "\n");
        WriteBytes(station_.File("standards.tsv"),
                   "# devid itemid condition paramid lower upper\n"
                   "1\t223\t液压制动/乘用车,总质量<=3500kg的货车\t2231\t60\t0\n"
                   "1\t223\t液压制动/乘用车,总质量<=3500kg的货车\t2232\t0\t20\n"
                   "8\t231\t侧滑\t2311\t-5\t5\n");
        WriteBytes(station_.File("sedan.vehicle"),
                   "# a sedan\n1082=10820001\n1088=1580\n1083=1230\n1089=5\n"
                   "1014=2015-06-18\n1037=10370001\n");
    }

    Outcome Stdhost(const std::string &args, const std::string &env = "") {
        return stdhost_test::RunStdhost("--station " + station_.Path() + " " + args, env);
    }

    Outcome BuildStandards() {
        return Stdhost("build-standards " + station_.File("standards.tsv") + " " +
                       station_.File("config/StandarFile.sfd"));
    }

    TempDir station_;
};

}  // namespace

TEST_F(StdHost, JudgesAVehicleFromTheStationsStandardFile) {
    ASSERT_EQ(BuildStandards().exitCode, 0);
    Outcome run = Stdhost("judge --vehicle " + station_.File("sedan.vehicle") + " --explain");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("item 223: \"液压制动/乘用车,总质量<=3500kg的货车\" in the table"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("2 items with limits, 3 limits"), std::string::npos) << run.out;
}

TEST_F(StdHost, JsonWithAnItemList) {
    ASSERT_EQ(BuildStandards().exitCode, 0);
    Outcome run = Stdhost("judge --set 1082=10820001 --set=1088=1580 --items 231 --json");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    const Json out = Json::parse(run.out);
    EXPECT_EQ(Keys(out), (std::vector<std::string>{"items", "limits"}));
    EXPECT_EQ(out["items"], 1);
    ASSERT_EQ(out["limits"].size(), 1u) << run.out;
    const Json &limit = out["limits"][0];
    EXPECT_EQ(Keys(limit), (std::vector<std::string>{"param", "name", "lower", "upper"}));
    EXPECT_EQ(limit["param"], 2311);
    EXPECT_TRUE(limit["name"].is_string());
    EXPECT_EQ(limit["lower"], -5);
    EXPECT_EQ(limit["upper"], 5);
}

// Limits in JSON are the numbers the table shows, and a limit beyond float
// (which the loader makes of a database value such as 1e39) is null.
TEST_F(StdHost, JsonLimitsAreTheShownNumbersOrNull) {
    ASSERT_EQ(BuildStandards().exitCode, 0);
    const std::string file = station_.File("config/StandarFile.sfd");
    const std::string condition = Gbk("侧滑");
    store::StandardTable table;
    ASSERT_EQ(table.LoadFromFile(file), 1);
    table.InsertRecord({8, 231, condition, 2312, INFINITY, 0.55f});
    table.InsertRecord({8, 231, condition, 2313, NAN, -INFINITY});
    ASSERT_EQ(table.WriteFile(file), 1);

    Outcome run = Stdhost("judge --set 1082=10820001 --items 231 --json --explain");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out.find("0.550000"), std::string::npos) << run.out;
    const Json out = Json::parse(run.out);
    EXPECT_EQ(Keys(out), (std::vector<std::string>{"items", "limits", "explain"}));
    ASSERT_EQ(out["limits"].size(), 3u) << run.out;
    EXPECT_EQ(out["limits"][1]["param"], 2312);
    EXPECT_EQ(out["limits"][1]["lower"], 0.55);
    EXPECT_TRUE(out["limits"][1]["upper"].is_null()) << run.out;
    EXPECT_TRUE(out["limits"][2]["lower"].is_null()) << run.out;
    EXPECT_TRUE(out["limits"][2]["upper"].is_null()) << run.out;
    for (const char *word : {"inf", "nan", "NaN"})
        EXPECT_EQ(run.out.find(word), std::string::npos) << run.out;

    ASSERT_EQ(out["explain"].size(), 1u) << run.out;
    const Json &item = out["explain"][0];
    EXPECT_EQ(Keys(item), (std::vector<std::string>{"item", "condition", "held", "limits"}));
    EXPECT_EQ(item["item"], 231);
    EXPECT_EQ(item["condition"], "侧滑");
    EXPECT_EQ(item["held"], true);
    EXPECT_EQ(item["limits"], out["limits"]);
}

// Parameters reach the plug-in in command-line order, so the later of a
// vehicle file and a --set wins. The sedan's file says 1083=1230.
TEST_F(StdHost, VehicleFileAndSetApplyInCommandLineOrder) {
    ASSERT_EQ(BuildStandards().exitCode, 0);
    const std::string sedan = " --vehicle " + station_.File("sedan.vehicle") + " ";
    Outcome setLast = Stdhost("judge" + sedan + "--set 1083=900 --items 216 --explain");
    EXPECT_NE(setLast.out.find("item 216: \"标准1/RM<=1020\""), std::string::npos) << setLast.out;
    // --station after the command name as well.
    Outcome fileLast = stdhost_test::RunStdhost("judge --set 1083=900" + sedan + "--items 216 " +
                                                "--explain --station " + station_.Path());
    EXPECT_NE(fileLast.out.find("item 216: \"标准1/1250<RM<=1470\""), std::string::npos)
        << fileLast.out;
}

TEST_F(StdHost, EveryCommandHasItsOwnHelp) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> commands{
        {"",
         {"--station", "judge", "init-station", "reload", "mark-changed", "build-standards",
          "show-standards"}},
        {"judge", {"--set", "--vehicle", "--items", "--json", "--explain"}},
        {"init-station",
         {"DIR", "--force", "--data", "--dsn", "--odbc-ini", "--user", "--password", "--no-seed"}},
        {"reload", {"stdhost reload"}},
        {"mark-changed", {"STAMP"}},
        {"build-standards", {"SOURCE", "OUT"}},
        {"show-standards", {"FILE"}},
    };
    for (const auto &[command, names] : commands) {
        Outcome run = stdhost_test::RunStdhost(command + " --help");
        EXPECT_EQ(run.exitCode, 0) << command << "\n" << run.out;
        EXPECT_NE(run.out.find("Usage: stdhost " + command), std::string::npos) << run.out;
        for (const std::string &name : names)
            EXPECT_NE(run.out.find(name), std::string::npos) << command << ": " << name;
    }
}

// Bad usage of any command: exit 2, the reason and where to find help on
// standard error, and nothing done.
TEST_F(StdHost, BadUsageExitsWithTwo) {
    for (const char *args :
         {"", "--station", "frobnicate", "judge --set", "judge --set 1082=1 --json x",
          "judge --set 1082=1 --items", "judge --set 1082=1 --vehicle", "init-station",
          "init-station DIR --data", "init-station DIR --dsn", "reload x", "mark-changed 1 2",
          "mark-changed 010x", "build-standards DIR/a.tsv", "show-standards",
          "show-standards a b"}) {
        std::string line = args;
        for (std::size_t at; (at = line.find("DIR")) != std::string::npos;)
            line.replace(at, 3, station_.File("new"));
        Outcome run = stdhost_test::RunStdhost(line);
        EXPECT_EQ(run.exitCode, 2) << args << "\n" << run.out;
        EXPECT_EQ(run.out.rfind("stdhost: ", 0), 0u) << args << "\n" << run.out;
        EXPECT_NE(run.out.find("--help"), std::string::npos) << args << "\n" << run.out;
    }
    EXPECT_FALSE(testing_support::FileExists(station_.File("new")));
}

TEST_F(StdHost, DistinctExitCodes) {
    ASSERT_EQ(BuildStandards().exitCode, 0);
    EXPECT_EQ(Stdhost("judge --bogus").exitCode, 2);
    EXPECT_EQ(Stdhost("judge").exitCode, 2);
    EXPECT_EQ(Stdhost("judge --set x=1").exitCode, 2);
    EXPECT_EQ(Stdhost("judge --items 1,,2 --set 1082=10820001").exitCode, 2);
    EXPECT_EQ(Stdhost("frobnicate").exitCode, 2);
    // A vehicle the table has nothing for: a motorcycle.
    EXPECT_EQ(Stdhost("judge --set 1082=10820010 --items 223").exitCode, 5);
    TempDir empty;
    Outcome missing = Stdhost("judge --set 1082=10820001", "STATION_SYSDIR=" + empty.Path());
    EXPECT_EQ(missing.exitCode, 3) << missing.out;
    EXPECT_NE(missing.out.find("libplinth.so"), std::string::npos) << missing.out;
}

TEST_F(StdHost, StandardsRoundTripThroughTheReadableForm) {
    ASSERT_EQ(BuildStandards().exitCode, 0);
    Outcome shown = Stdhost("show-standards " + station_.File("config/StandarFile.sfd"));
    ASSERT_EQ(shown.exitCode, 0);
    EXPECT_EQ(shown.out,
              "# devid\titemid\tcondition\tparamid\tlower\tupper\n"
              "1\t223\t液压制动/乘用车,总质量<=3500kg的货车\t2231\t60\t0\n"
              "1\t223\t液压制动/乘用车,总质量<=3500kg的货车\t2232\t0\t20\n"
              "8\t231\t侧滑\t2311\t-5\t5\n");
}

TEST_F(StdHost, BadReadableRowsAreRefusedAndNothingIsWritten) {
    const std::string out = station_.File("config/StandarFile.sfd");
    for (const char *row : {"0\t223\tx\t1\t0\t1\n", "1\t223\tx\t1\tlow\t1\n", "1\t223\tx\t1\t0\n",
                            "1\t223\t\xF0\x9F\x98\x80\t1\t0\t1\n"}) {
        WriteBytes(station_.File("bad.tsv"), row);
        Outcome run = Stdhost("build-standards " + station_.File("bad.tsv") + " " + out);
        EXPECT_EQ(run.exitCode, 1) << row;
        EXPECT_NE(run.out.find("bad.tsv:1:"), std::string::npos) << run.out;
        EXPECT_FALSE(testing_support::FileExists(out));
    }
}
