// stdhost verify and rollback on a station of their own (SQLite), run as a
// user runs stdhost: a separate process. The station's history starts with
// init-station's baseline.
#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "stationdb/stationdb.h"
#include "stdhost_runner.h"
#include "temp_dir.h"

namespace {

using stdhost_test::kDataDir;
using stdhost_test::Outcome;
using testing_support::ReadBytes;
using testing_support::TempDir;

class HistoryCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        Outcome init = stdhost_test::RunStdhost("init-station " + Dir());
        ASSERT_EQ(init.exitCode, 0) << init.out;
    }
    std::string Dir() const { return dir_.File("station"); }
    Outcome Stdhost(const std::string &args) {
        return stdhost_test::RunStdhost("--station " + Dir() + " " + args + " < /dev/null");
    }
    // Runs a statement as another program would; returns the first column
    // of the first row, "" when none.
    std::string Sql(const std::string &sql) {
        ::setenv("ODBCSYSINI", kDataDir.c_str(), 0);  // before this process's first ODBC call
        stationdb::Connection db;
        db.Open("Driver=SQLite3;Database=" + Dir() + "/station.db;");
        stationdb::Statement st(db, sql);
        st.Execute();
        return st.ColumnCount() > 0 && st.Fetch() ? st.Utf8(1) : "";
    }
    long long LastSet() { return std::stoll("0" + Sql("select max(id) from tb_std_history")); }
    std::string Stamp() { return Sql("select DBModifyTime from tb_status_memstd"); }
    // "lower,upper" of parameter 2231 of 大众 捷达 as series show gives it.
    std::string Limits2231() {
        Outcome run = Stdhost("series show 大众 捷达 --json");
        EXPECT_EQ(run.exitCode, 0) << run.out;
        const nlohmann::json shown = nlohmann::json::parse(run.out);
        for (const auto &p : shown["params"])
            if (p["paramid"] == 2231) return p["lower"].dump() + "," + p["upper"].dump();
        return "";
    }
    void Generate(const std::string &set) {
        Outcome run = Stdhost("series generate 大众 捷达 --set " + set);
        ASSERT_EQ(run.exitCode, 0) << run.out;
    }
    static bool Has(const Outcome &run, const std::string &text) {
        return run.out.find(text) != std::string::npos;
    }
    TempDir dir_;
};

TEST_F(HistoryCheck, VerifyFindsLimitsChangedBehindTheProgramsBack) {
    Generate("2231=65,0");
    Outcome clean = Stdhost("verify");
    EXPECT_EQ(clean.exitCode, 0) << clean.out;
    EXPECT_TRUE(Has(clean, "history consistent")) << clean.out;

    Sql("update tb_id_standard set hvalue = '99.00' where paramid = 2231 and "
        "condition = '大众_捷达'");
    Outcome changed = Stdhost("verify");
    EXPECT_EQ(changed.exitCode, 1) << changed.out;
    EXPECT_TRUE(Has(changed, "item 223 parameter 2231 condition '大众_捷达'")) << changed.out;
    Outcome json = Stdhost("verify --json");
    EXPECT_EQ(json.exitCode, 1);
    const auto report = nlohmann::json::parse(json.out);
    EXPECT_EQ(report["outcome"], "differences");
    ASSERT_EQ(report["findings"].size(), 1u) << json.out;
    EXPECT_EQ(report["findings"][0]["kind"], "limits-changed");
    EXPECT_EQ(report["findings"][0]["found"]["upper"], "99.00");
    EXPECT_EQ(report["findings"][0]["expected"]["upper"], "65.00");

    Sql("drop table tb_std_history_row");
    Sql("drop table tb_std_history");
    Outcome none = Stdhost("verify");
    EXPECT_EQ(none.exitCode, 2) << none.out;
    EXPECT_TRUE(Has(none, "upgrade-station")) << none.out;
}

TEST_F(HistoryCheck, VerifyNamesDeletedEditedAndGarbledChangeSets) {
    Generate("2231=65,0");
    const long long first = LastSet();
    Generate("2231=66,1");
    Generate("2231=67,2");
    const std::string gone = std::to_string(first + 1);
    Sql("delete from tb_std_history where id = " + gone);
    Sql("delete from tb_std_history_row where changeset = " + gone);
    Outcome deleted = Stdhost("verify");
    EXPECT_EQ(deleted.exitCode, 1) << deleted.out;
    EXPECT_TRUE(Has(deleted, "change set " + gone + " is missing")) << deleted.out;

    Sql("update tb_std_history_row set changes = replace(changes, '65.00', '70.00') where "
        "changeset = " +
        std::to_string(first));
    Outcome edited = Stdhost("verify");
    EXPECT_EQ(edited.exitCode, 1) << edited.out;
    EXPECT_TRUE(Has(edited, "change set " + std::to_string(first) + " was edited")) << edited.out;

    Sql("update tb_std_history set hash = 'not a hash', table_digest = 'zz' where id = " +
        std::to_string(LastSet()));
    // Rows that are not in the recorded form at all.
    Sql("update tb_std_history_row set changes = 'x\\q' where changeset = " +
        std::to_string(LastSet()));
    Outcome garbled = Stdhost("verify --json");
    EXPECT_EQ(garbled.exitCode, 1) << garbled.out;
    EXPECT_NE(garbled.out.find("its hash is not 64 hex digits"), std::string::npos) << garbled.out;
    EXPECT_NE(garbled.out.find("its table digest is not 64 hex digits"), std::string::npos);
}

// A rollback puts the limits back, is a change set of its own and moves the
// stamp; asked without --yes and nobody to answer, it writes nothing.
TEST_F(HistoryCheck, RollbackOfAGenerationRestoresThePreviousLimits) {
    Generate("2231=65,0");
    Generate("2231=80,1");
    const long long generation = LastSet();
    const std::string id = std::to_string(generation);
    const std::string stamp = Stamp();

    Outcome unasked = Stdhost("rollback " + id);
    EXPECT_EQ(unasked.exitCode, 1) << unasked.out;
    EXPECT_TRUE(Has(unasked,
                    "item 223 parameter 2231 condition '大众_捷达': upper 80.00 lower "
                    "1.00 -> upper 65.00 lower 0.00"))
        << unasked.out;
    EXPECT_TRUE(Has(unasked, "--yes")) << unasked.out;
    EXPECT_EQ(Stamp(), stamp);
    EXPECT_EQ(LastSet(), generation);
    EXPECT_EQ(Stdhost("rollback 999 --yes").exitCode, 6);

    Outcome rolled = Stdhost("rollback " + id + " --yes --operator 质检员 --comment 误操作");
    ASSERT_EQ(rolled.exitCode, 0) << rolled.out;
    const std::string recorded = std::to_string(generation + 1);
    EXPECT_TRUE(Has(rolled, "change set " + recorded + " recorded: rollback of change set " + id))
        << rolled.out;
    EXPECT_TRUE(Has(rolled, "DBModifyTime " + stamp + " -> ")) << rolled.out;
    EXPECT_NE(Stamp(), stamp);
    EXPECT_EQ(Limits2231(), "0,65");
    EXPECT_EQ(Sql("select kind || ' ' || reverts || ' ' || operator_name || ' ' || note || ' ' || "
                  "program from tb_std_history where id = " +
                  recorded),
              "rollback " + id + " 质检员 误操作 stdhost rollback");
    EXPECT_EQ(Stdhost("verify").exitCode, 0);

    // A rollback of the rollback is a change like any other.
    ASSERT_EQ(Stdhost("rollback " + recorded + " --yes").exitCode, 0);
    EXPECT_EQ(Limits2231(), "1,80");
}

TEST_F(HistoryCheck, RollbackOfAClearRestoresEveryRow) {
    Generate("2231=65,0");
    ASSERT_EQ(Stdhost("series generate 丰田 卡罗拉 --set 2231=90,3").exitCode, 0);
    const std::string before = dir_.File("before.tsv"), after = dir_.File("after.tsv");
    ASSERT_EQ(Stdhost("series export " + before).exitCode, 0);
    const std::string rows = Sql("select count(*) from tb_id_standard");
    ASSERT_EQ(Stdhost("clear-standards --yes").exitCode, 0);
    ASSERT_EQ(Sql("select count(*) from tb_id_standard"), "0");

    Outcome rolled = Stdhost("rollback " + std::to_string(LastSet()) + " --yes");
    ASSERT_EQ(rolled.exitCode, 0) << rolled.out;
    EXPECT_TRUE(Has(rolled, rows + " rows put back")) << rolled.out;
    EXPECT_EQ(Sql("select count(*) from tb_id_standard"), rows);
    ASSERT_EQ(Stdhost("series export " + after).exitCode, 0);
    EXPECT_EQ(ReadBytes(after), ReadBytes(before));
    EXPECT_EQ(Stdhost("verify").exitCode, 0);

    Outcome baseline = Stdhost("rollback 1 --yes");
    EXPECT_EQ(baseline.exitCode, 1);
    EXPECT_TRUE(Has(baseline, "baseline")) << baseline.out;
}

TEST_F(HistoryCheck, ConflictsAreRefusedUnlessForced) {
    Generate("2231=65,0");
    Generate("2231=80,1");
    const std::string id = std::to_string(LastSet());
    Generate("2231=90,2");
    const std::string later = std::to_string(LastSet());
    const std::string stamp = Stamp();

    Outcome refused = Stdhost("rollback " + id + " --yes");
    EXPECT_EQ(refused.exitCode, 1) << refused.out;
    EXPECT_TRUE(Has(refused,
                    "conflict: item 223 parameter 2231 condition '大众_捷达' was "
                    "changed later by change set " +
                        later + " (generate"))
        << refused.out;
    EXPECT_EQ(Stamp(), stamp);
    EXPECT_EQ(LastSet(), std::stoll(later));
    EXPECT_EQ(Limits2231(), "2,90");

    Outcome forced = Stdhost("rollback " + id + " --yes --force");
    ASSERT_EQ(forced.exitCode, 0) << forced.out;
    EXPECT_EQ(Limits2231(), "0,65");

    // A change behind the programs' back is a conflict too.
    const std::string last = std::to_string(LastSet());
    Sql("update tb_id_standard set lvalue = '5.00' where paramid = 2231 and "
        "condition = '大众_捷达'");
    Outcome outside = Stdhost("rollback " + last + " --yes");
    EXPECT_EQ(outside.exitCode, 1) << outside.out;
    EXPECT_TRUE(Has(outside, "was changed outside the programs")) << outside.out;
}

}  // namespace
