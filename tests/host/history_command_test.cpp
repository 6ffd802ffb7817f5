// stdhost history on a station of its own (SQLite), after writes the
// station's programs record, run as a user runs stdhost.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "stationdb/stationdb.h"
#include "stdhost_runner.h"
#include "temp_dir.h"

namespace {

using stdhost_test::kDataDir;
using stdhost_test::Outcome;
using testing_support::ReadBytes;
using testing_support::TempDir;

class HistoryCommand : public ::testing::Test {
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
    void Sql(const std::string &sql) {
        ::setenv("ODBCSYSINI", kDataDir.c_str(), 0);  // before this process's first ODBC call
        stationdb::Connection db;
        db.Open("Driver=SQLite3;Database=" + Dir() + "/station.db;");
        db.Execute(sql);
    }
    // Two generations of 大众 捷达, a second apart so that a moment lies
    // between them, then a clear of the table.
    void GenerateTwiceAndClear() {
        ASSERT_EQ(Stdhost("series generate 大众 捷达 --set 2231=60,0").exitCode, 0);
        ::usleep(1100 * 1000);
        ASSERT_EQ(Stdhost("series generate 大众 捷达 --set 2231=65,5").exitCode, 0);
        Outcome cleared = Stdhost("clear-standards --yes");
        ASSERT_EQ(cleared.exitCode, 0) << cleared.out;
    }
    static std::vector<std::string> Kinds(const nlohmann::json &list) {
        std::vector<std::string> kinds;
        for (const auto &set : list["changeSets"]) kinds.push_back(set["kind"]);
        return kinds;
    }
    static bool Has(const Outcome &run, const std::string &text) {
        return run.out.find(text) != std::string::npos;
    }
    TempDir dir_;
};

TEST_F(HistoryCommand, ListsTheWritesNewestFirstWithOldAndNewValues) {
    GenerateTwiceAndClear();
    const nlohmann::json list = Json("history --limit 3 --json");
    ASSERT_EQ(Kinds(list), (std::vector<std::string>{"clear", "generate", "generate"}));
    const auto &sets = list["changeSets"];
    EXPECT_GT(sets[0]["id"], sets[1]["id"]);
    EXPECT_GT(sets[1]["id"], sets[2]["id"]);

    Outcome text = Stdhost("history --limit 3");
    ASSERT_EQ(text.exitCode, 0) << text.out;
    EXPECT_TRUE(Has(text, " UTC ")) << text.out;
    EXPECT_TRUE(Has(text, "223 大众_捷达 2231: 60.00,0.00 -> 65.00,5.00\n")) << text.out;
    // The clear removed the whole table; the list shows 20 of its rows.
    EXPECT_TRUE(Has(text, " more (stdhost history show " + sets[0]["id"].dump() + ")\n"))
        << text.out;
    Outcome one = Stdhost("history --series 大众 捷达 --param 2231");
    EXPECT_TRUE(Has(one, "223 大众_捷达 2231: 65.00,5.00 -> (none)\n")) << one.out;
    EXPECT_TRUE(Has(one, "223 大众_捷达 2231: (none) -> 60.00,0.00\n")) << one.out;

    // One parameter of the series: the three writes; its rows only.
    const nlohmann::json param = Json("history --series 大众 捷达 --item 223 --param 2231 --json");
    ASSERT_EQ(Kinds(param), (std::vector<std::string>{"clear", "generate", "generate"}));
    for (const auto &set : param["changeSets"]) {
        ASSERT_EQ(set["rows"].size(), 1u);
        EXPECT_EQ(set["rows"][0]["paramid"], 2231);
    }
    EXPECT_EQ(param["changeSets"][1]["rows"][0]["new"]["hvalue"], "65.00");
    // 2232 was written by the first generation only (the second left it) and cleared.
    EXPECT_EQ(Kinds(Json("history --condition 大众_捷达 --param 2232 --json")),
              (std::vector<std::string>{"clear", "generate"}));
    EXPECT_TRUE(Json("history --condition 丰田_卡罗拉 --json")["changeSets"].empty());
    Outcome future = Stdhost("history --since 2999-01-01");
    EXPECT_EQ(future.exitCode, 0);
    EXPECT_EQ(future.out, "no change set matches\n");
    EXPECT_EQ(
        Json("history --since 2000-01-01 --limit 0 --series 大众 捷达 --json")["changeSets"].size(),
        3u);

    const nlohmann::json shown = Json("history show " + sets[0]["id"].dump() + " --json");
    EXPECT_EQ(shown["rows"].size(), shown["rowCount"].get<std::size_t>());
}

TEST_F(HistoryCommand, AsOfAMomentBetweenTwoGenerationsGivesTheFirst) {
    GenerateTwiceAndClear();
    const nlohmann::json list = Json("history --limit 3 --json");
    ASSERT_EQ(Kinds(list), (std::vector<std::string>{"clear", "generate", "generate"}));
    const std::string first = list["changeSets"][2]["changedAt"];
    const nlohmann::json asOf =
        Json("history --as-of '" + first + "' --item 223 --series 大众 捷达 --json");
    EXPECT_FALSE(asOf["beforeHistory"]);
    bool found = false;
    for (const auto &limit : asOf["limits"])
        if (limit["paramid"] == 2231) {
            EXPECT_EQ(limit["hvalue"], "60.00");
            EXPECT_EQ(limit["lvalue"], "0.00");
            EXPECT_EQ(limit["changeSet"], list["changeSets"][2]["id"]);
            found = true;
        }
    EXPECT_TRUE(found) << asOf.dump();
    // After the clear the series has no row; before any history nothing is known.
    EXPECT_TRUE(Json("history --as-of 2999-01-01 --item 223 --condition 大众_捷达 --json")["limits"]
                    .empty());
    Outcome before = Stdhost("history --as-of 2000-01-01 --item 223 --condition 大众_捷达");
    EXPECT_EQ(before.exitCode, 0);
    EXPECT_TRUE(Has(before, "before the first change set")) << before.out;
}

TEST_F(HistoryCommand, BadDatesAndUnknownChangeSetsAreRefused) {
    for (const std::string bad :
         {"history --as-of 2026-02-30 --item 223 --condition x", "history --since 2026-13-01",
          "history --until '2026-03-01 24:00'", "history --since 2026-3-1",
          "history --as-of 2026-03-01 --item 223", "history --series 大众 捷达 --condition x"}) {
        Outcome run = Stdhost(bad);
        EXPECT_EQ(run.exitCode, 2) << bad << "\n" << run.out;
        EXPECT_TRUE(Has(run, "Run 'stdhost history --help' for the options.")) << run.out;
    }
    Outcome unknown = Stdhost("history show 999999");
    EXPECT_EQ(unknown.exitCode, 6);
    EXPECT_TRUE(Has(unknown, "the history has no change set 999999")) << unknown.out;
}

TEST_F(HistoryCommand, HtmlPageMarksTheChangedValues) {
    GenerateTwiceAndClear();
    const std::string page = dir_.File("history.html");
    Outcome run = Stdhost("history --series 大众 捷达 --param 2231 --html " + page);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    const std::string html = ReadBytes(page);
    EXPECT_EQ(html.find("<link"), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    // The second generation: 60.00 -> 65.00 and 0.00 -> 5.00 marked both sides.
    for (const char *cell :
         {"<td class=\"num old changed\">60.00</td><td class=\"num changed\">0.00</td>"
          "<td class=\"num old changed\">65.00</td><td class=\"num changed\">5.00</td>",
          "<td class=\"num old absent\">&mdash;</td>"})
        EXPECT_NE(html.find(cell), std::string::npos) << cell << "\n" << html;
}

TEST_F(HistoryCommand, AStationWithoutHistoryTablesSaysSo) {
    Sql("drop table if exists tb_std_history_row");
    Sql("drop table if exists tb_std_history");
    Outcome run = Stdhost("history");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "this station keeps no history yet: run stdhost upgrade-station\n");
    EXPECT_FALSE(Json("history --json")["history"]);
}

}  // namespace
