// stdhost audit on a station of its own (SQLite), run as a user runs it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "stationdb/stationdb.h"
#include "stdhost_runner.h"
#include "temp_dir.h"

namespace {

using stdhost_test::kDataDir;
using stdhost_test::Outcome;
using stdhost_test::RunStdhost;
using testing_support::ReadBytes;
using testing_support::TempDir;

// Item 216 reaches this condition for a foreign car of 2000-07-01 with a
// reference mass in (1020, 1250]; its rows are what the tests take away.
const std::string kForeign = "外籍车_标准1/1020<RM<=1250";

class Audit : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // One seeded station, copied for each test: seeding is the slow part.
        seed_ = new TempDir;
        ASSERT_EQ(RunStdhost("init-station " + seed_->File("station")).exitCode, 0);
    }
    static void TearDownTestSuite() {
        delete seed_;
        seed_ = nullptr;
    }
    void SetUp() override {
        std::filesystem::copy(seed_->File("station"), Dir(),
                              std::filesystem::copy_options::recursive);
        // The copied plinth.ini names the seed's directories: point it here.
        const std::string ini = ReadBytes(File("plinth.ini"));
        std::string moved = ini;
        for (std::size_t at; (at = moved.find(seed_->File("station"))) != std::string::npos;)
            moved.replace(at, seed_->File("station").size(), Dir());
        testing_support::WriteBytes(File("plinth.ini"), moved);
        const std::string odbc = ReadBytes(File("odbc.ini"));
        std::string odbcMoved = odbc;
        for (std::size_t at; (at = odbcMoved.find(seed_->File("station"))) != std::string::npos;)
            odbcMoved.replace(at, seed_->File("station").size(), Dir());
        testing_support::WriteBytes(File("odbc.ini"), odbcMoved);
    }
    std::string Dir() const { return dir_.File("station"); }
    std::string File(const std::string &name) const { return Dir() + "/" + name; }
    Outcome Stdhost(const std::string &args) {
        return RunStdhost("--station " + Dir() + " " + args);
    }
    nlohmann::json AuditJson(const std::string &args, int exitCode) {
        Outcome run = RunStdhost("--station " + Dir() + " audit --json " + args + " 2>/dev/null");
        EXPECT_EQ(run.exitCode, exitCode) << run.out;
        return nlohmann::json::parse(run.out, nullptr, false);
    }
    void Sql(const std::string &sql) {
        ::setenv("ODBCSYSINI", kDataDir.c_str(), 0);  // before this process's first ODBC call
        stationdb::Connection db;
        db.Open("Driver=SQLite3;Database=" + File("station.db") + ";");
        db.Execute(sql);
    }

    static TempDir *seed_;
    TempDir dir_;
};
TempDir *Audit::seed_ = nullptr;

TEST_F(Audit, TheSeedStationIsFullyCoveredWithEveryConditionConfirmedByTheLimitsPlugin) {
    Outcome text = Stdhost("audit --html " + dir_.File("audit.html"));
    EXPECT_EQ(text.exitCode, 0) << text.out;
    EXPECT_EQ(text.out.find("Coverage audit of the database table tb_id_standard"), 0u) << text.out;
    EXPECT_NE(text.out.find("items fully covered"), std::string::npos);

    const nlohmann::json a = AuditJson("", 0);
    const nlohmann::json &s = a["summary"];
    EXPECT_TRUE(a["covered"].get<bool>());
    EXPECT_EQ(s["items"], 43);
    EXPECT_EQ(s["itemsFullyCovered"], 43);
    EXPECT_GT(s["reachableConditions"].get<int>(), 400);
    EXPECT_EQ(s["confirmedConditions"], s["reachableConditions"]);
    for (const char *key : {"missing", "impossibleOnly", "unreachable", "orphanSeries",
                            "deviceGaps", "caseVariants", "emptyConditions", "missingParams"})
        EXPECT_EQ(s[key], 0) << key;
    EXPECT_TRUE(s["catalogueChecked"].get<bool>());

    // The page stands alone: no script, nothing fetched.
    const std::string page = ReadBytes(dir_.File("audit.html"));
    EXPECT_NE(page.find("<!DOCTYPE html>"), std::string::npos);
    for (const char *outside : {"<script", "http://", "https://", "src=", "@import", "url("})
        EXPECT_EQ(page.find(outside), std::string::npos) << outside;
}

// A condition without rows is found with a vehicle that reaches it, and
// that vehicle, handed to judge, gets no limit for the item.
TEST_F(Audit, ARemovedConditionComesWithAVehicleThatJudgeCannotJudge) {
    Sql("delete from tb_id_standard where itemid = 216 and condition = '" + kForeign + "'");
    const nlohmann::json a = AuditJson("", 1);
    ASSERT_EQ(a["missing"].size(), 1u) << a["missing"].dump();
    const nlohmann::json &gap = a["missing"][0];
    EXPECT_EQ(gap["item"], 216);
    EXPECT_EQ(gap["condition"], kForeign);
    EXPECT_EQ(a["summary"]["unreachable"], 0);
    EXPECT_EQ(a["summary"]["itemsFullyCovered"], 42);

    std::string sets;
    bool named = false;
    for (const auto &v : gap["vehicle"]) {
        sets +=
            " --set " + std::to_string(v["param"].get<int>()) + "=" + v["value"].get<std::string>();
        named = named || (v["param"] == 1164 && !v["name"].get<std::string>().empty());
    }
    EXPECT_TRUE(named) << "the dictionary names the parameters";
    // The standard file the plug-in wrote at the audit's load is older than
    // the edit: without it, the plug-in loads the edited database.
    std::filesystem::remove(File("config/StandarFile.sfd"));
    Outcome judge = Stdhost("judge --explain --items 216" + sets);
    EXPECT_EQ(judge.exitCode, 5) << judge.out;
    EXPECT_NE(judge.out.find("item 216: \"" + kForeign + "\" not in the table"), std::string::npos)
        << judge.out;
    // The same vehicle as the report's own command line.
    EXPECT_EQ(gap["judge"], "stdhost judge --explain --items 216" + sets);
}

// A typed condition no vehicle reaches is named with the rule's text; a
// series standard counts as one while its brand and series are listed.
TEST_F(Audit, TyposCaseVariantsSeriesAndMissingParametersAreNamed) {
    const std::string typo = "外藉车_标准1/1020<RM<=1250";  // 藉 for 籍
    Sql("update tb_id_standard set condition = '" + typo +
        "' where itemid = 216 and condition = '" + kForeign + "'");
    // A case variant after the original, and a condition short of one parameter.
    Sql("insert into tb_id_standard (itemid, condition, paramid, hvalue, lvalue) "
        "select itemid, lower(condition), paramid, hvalue, lvalue from tb_id_standard "
        "where itemid = 212 and condition = '4000kg<RM<=5000kg/单轴'");
    Sql("delete from tb_id_standard where itemid = 224 and paramid = 2244 and condition = "
        "'其他制动/乘用车,总质量<=3500kg的货车'");
    Sql("insert into tb_id_standard (itemid, condition, paramid, hvalue, lvalue) values "
        "(231, '大众_捷达', 2311, '5', '-5'), (231, '大众_不存在', 2311, '5', '-5'), "
        "(231, '无此品牌_甲', 2311, '5', '-5')");

    const nlohmann::json a = AuditJson("", 1);
    ASSERT_EQ(a["missing"].size(), 1u);
    EXPECT_EQ(a["missing"][0]["condition"], kForeign);
    ASSERT_EQ(a["unreachable"].size(), 1u) << a["unreachable"].dump();
    EXPECT_EQ(a["unreachable"][0]["condition"], typo);
    EXPECT_EQ(a["unreachable"][0]["suggestion"], kForeign);
    EXPECT_EQ(a["unreachable"][0]["distance"], 1);

    EXPECT_EQ(a["summary"]["seriesStandards"], 1);
    ASSERT_EQ(a["orphanSeries"].size(), 2u) << a["orphanSeries"].dump();
    EXPECT_EQ(a["orphanSeries"][0]["condition"], "大众_不存在");
    EXPECT_EQ(a["orphanSeries"][0]["brand"], "大众");
    EXPECT_TRUE(a["orphanSeries"][1]["brand"].is_null());

    ASSERT_EQ(a["caseVariants"].size(), 1u) << a["caseVariants"].dump();
    EXPECT_EQ(a["caseVariants"][0]["condition"], "4000kg<rm<=5000kg/单轴");
    EXPECT_EQ(a["caseVariants"][0]["shadowedBy"], "4000kg<RM<=5000kg/单轴");

    // The short condition, and the series rows of item 231 hold all of its one parameter.
    ASSERT_EQ(a["missingParams"].size(), 1u) << a["missingParams"].dump();
    EXPECT_EQ(a["missingParams"][0]["condition"], "其他制动/乘用车,总质量<=3500kg的货车");
    EXPECT_EQ(a["missingParams"][0]["params"],
              nlohmann::json::parse(R"([{"param":2244,"name":"一轴左轮阻滞率"}])"));
}

TEST_F(Audit, AStandardFileAndTheDatabaseItWasWrittenFromGiveTheSameReport) {
    Sql("delete from tb_id_standard where itemid = 216 and condition = '" + kForeign + "'");
    Sql("update tb_id_standard set condition = 'rm<=1020' where itemid = 276 and condition = "
        "(select min(condition) from tb_id_standard where itemid = 276)");
    std::filesystem::remove(File("config/StandarFile.sfd"));
    nlohmann::json fromDatabase = AuditJson("", 1);  // the plug-in writes the file at its load
    ASSERT_TRUE(std::filesystem::exists(File("config/StandarFile.sfd")));
    nlohmann::json fromFile = AuditJson("--sfd " + File("config/StandarFile.sfd"), 1);
    EXPECT_EQ(fromFile["source"]["table"], "file");
    fromDatabase.erase("source");
    fromFile.erase("source");
    EXPECT_EQ(fromFile, fromDatabase);
    EXPECT_EQ(fromFile["missing"].size(), 2u);
}

TEST_F(Audit, UsageAndDatabaseErrorsExitWithTwo) {
    EXPECT_EQ(Stdhost("audit --sfd " + dir_.File("none.sfd")).exitCode, 2);
    EXPECT_EQ(Stdhost("audit --bogus").exitCode, 2);
    std::filesystem::remove(File("station.db"));  // NoCreat: the driver will not make it anew
    Outcome run = Stdhost("audit");
    EXPECT_EQ(run.exitCode, 2) << run.out;
    EXPECT_NE(run.out.find("cannot reach the station's database"), std::string::npos) << run.out;
}

// The page as a browser draws it: headless Chromium, when the machine has it.
TEST_F(Audit, TheHtmlPageRendersInAHeadlessBrowser) {
    const char *chromium = "/usr/bin/chromium";
    if (!std::filesystem::exists(chromium)) GTEST_SKIP() << "no " << chromium;
    Sql("delete from tb_id_standard where itemid = 216 and condition = '" + kForeign + "'");
    ASSERT_EQ(Stdhost("audit --html " + dir_.File("audit.html")).exitCode, 1);
    const std::string png = dir_.File("audit.png");
    // A browser that hangs fails the test instead of the suite's time limit.
    const std::string command = "timeout 120 " + std::string(chromium) +
                                " --headless --no-sandbox --disable-gpu --hide-scrollbars "
                                "--user-data-dir=" +
                                dir_.File("profile") +
                                " --window-size=1100,1600 --screenshot=" + png + " file://" +
                                dir_.File("audit.html") + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string bytes = ReadBytes(png);
    ASSERT_GT(bytes.size(), 20000u);  // a page of text and bars, not a blank one
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    if (const char *keep = std::getenv("STATION_AUDIT_SCREENSHOT"))
        std::filesystem::copy_file(png, keep, std::filesystem::copy_options::overwrite_existing);
}

}  // namespace
