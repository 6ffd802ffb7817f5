// stdhost as a user runs it: a separate process on a station directory.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "stdhost_runner.h"
#include "temp_dir.h"

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {

using stdhost_test::Outcome;

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
    Outcome run = Stdhost("judge --set 1082=10820001 --set 1088=1580 --items 231 --json");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out.substr(0, run.out.find(", \"name\"")),
              "{\"items\": 1, \"limits\": [{\"param\": 2311");
    EXPECT_NE(run.out.find("\"lower\": -5, \"upper\": 5}]}"), std::string::npos) << run.out;
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
