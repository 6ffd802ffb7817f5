// The history of the standard table as the write paths keep it: every
// write recorded with its old and new limits in the write's transaction,
// chained, and nothing of it left when the write fails.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "generator/history_check.h"
#include "generator/limit_history.h"
#include "generator/series_standard.h"
#include "generator/series_transfer.h"
#include "generator_fixture.h"
#include "temp_dir.h"

namespace {

using generator_test::SeriesDatabase;
using testing_support::Gbk;

class LimitHistory : public SeriesDatabase {
  protected:
    void SetUp() override {
        SeriesDatabase::SetUp();
        ASSERT_EQ(generator::LoadCatalogue(Connection(), catalogue_, messages_), 1);
        baseline_ = generator::UpgradeHistory(*Connection(), {"基线", "test", ""});
    }
    // One text per change set: "id kind scope operator rows table_rows".
    std::vector<std::string> ChangeSets() {
        stationdb::Statement st(*Connection(),
                                "select id, kind, scope, operator_name, row_count, table_rows "
                                "from tb_std_history order by id");
        st.Execute();
        std::vector<std::string> sets;
        while (st.Fetch()) {
            std::string text;
            for (int c = 1; c <= 6; ++c) text += (c > 1 ? " " : "") + st.Utf8(c);
            sets.push_back(text);
        }
        return sets;
    }
    // "old->new" of the rows of change set `id` for `paramid`.
    std::vector<std::string> Changes(long long id, int paramid) {
        std::vector<std::string> changes;
        generator::HistoryRowQuery query;
        query.changeset = id;
        query.paramid = paramid;
        generator::ReadHistoryRows(
            *Connection(), query, [&](long long, generator::HistoryRow &&row) {
                changes.push_back((row.before ? row.before->hvalue : "none") + "->" +
                                  (row.after ? row.after->hvalue : "none"));
            });
        return changes;
    }
    std::string Stamp() {
        stationdb::Statement st(*Connection(), "select DBModifyTime from tb_status_memstd");
        st.Execute();
        return st.Fetch() ? st.Utf8(1) : "";
    }
    generator::HistoryUpgrade baseline_;
};

TEST_P(LimitHistory, EveryWriteIsRecordedChainedWithItsOldAndNewLimits) {
    const long long tableRows = RowCount();
    EXPECT_TRUE(baseline_.createdTables);
    EXPECT_EQ(baseline_.baselineId, 1);
    EXPECT_EQ(baseline_.baselineRows, tableRows);
    // Run again, the upgrade finds everything there and records nothing.
    const auto again = generator::UpgradeHistory(*Connection(), {});
    EXPECT_FALSE(again.createdTables);
    EXPECT_EQ(again.baselineId, 0);

    catalogue_.FindParam(2231)->hvalue = 60;
    auto first = generator::GenerateSeriesStandard(Connection(), catalogue_, Gbk("大众"),
                                                   Gbk("捷达"), {"张三", "test generate", ""});
    EXPECT_EQ(first.changeSet, 2);
    catalogue_.FindParam(2231)->hvalue = 65;
    auto second = generator::GenerateSeriesStandard(Connection(), catalogue_, Gbk("大众"),
                                                    Gbk("捷达"), {"张三", "test generate", ""});
    EXPECT_EQ(second.changeSet, 3);
    // The same limits again change nothing and record nothing.
    EXPECT_EQ(generator::GenerateSeriesStandard(Connection(), catalogue_, Gbk("大众"), Gbk("捷达"))
                  .changeSet,
              0);
    generator::SeriesStandard imported{{Gbk("大众"), Gbk("捷达")}, {{223, 2231, 70, 0}}};
    const auto imports =
        generator::ImportSeriesStandards(*Connection(), catalogue_, {imported}, {"李四", "", ""});
    ASSERT_EQ(imports.size(), 1u);
    EXPECT_EQ(imports[0].changeSet, 4);
    // The same file again finds its limits stored: nothing to record.
    EXPECT_EQ(
        generator::ImportSeriesStandards(*Connection(), catalogue_, {imported}, {"李四", "", ""})[0]
            .changeSet,
        0);
    const auto cleared = generator::ClearStandardTable(Connection(), {"王五", "", ""});
    EXPECT_EQ(cleared.changeSet, 5);

    const long long series = static_cast<long long>(catalogue_.ParamCount());
    const std::string all = std::to_string(tableRows + series);
    EXPECT_EQ(
        ChangeSets(),
        (std::vector<std::string>{
            "1 baseline * 基线 " + std::to_string(tableRows) + " " + std::to_string(tableRows),
            "2 generate 大众_捷达 张三 " + std::to_string(series) + " " + all,
            "3 generate 大众_捷达 张三 1 " + all, "4 import 大众_捷达 李四 1 " + all,
            "5 clear * 王五 " + all + " 0"}));
    EXPECT_EQ(Changes(2, 2231), std::vector<std::string>{"none->60.00"});
    EXPECT_EQ(Changes(3, 2231), std::vector<std::string>{"60.00->65.00"});
    EXPECT_EQ(Changes(4, 2231), std::vector<std::string>{"65.00->70.00"});
    EXPECT_EQ(Changes(5, 2231), std::vector<std::string>{"70.00->none"});

    // Each change set continues the one before it.
    stationdb::Statement st(*Connection(),
                            "select prev_hash, hash from tb_std_history order by id");
    st.Execute();
    std::string previous(64, '0');
    while (st.Fetch()) {
        EXPECT_EQ(st.Utf8(1), previous);
        previous = st.Utf8(2);
        EXPECT_EQ(previous.size(), 64u);
    }
}

// A failure after the limits are written and before their history is: the
// limits, the history and the stamp all stay as they were.
TEST_P(LimitHistory, AWriteWhoseHistoryFailsChangesNothing) {
    generator::GenerateSeriesStandard(Connection(), catalogue_, Gbk("大众"), Gbk("捷达"));
    const std::string rowsBefore = Stored(Gbk("大众_捷达"), 223, 2231);
    const std::string stamp = Stamp();
    const auto sets = ChangeSets();
    // The next change set's first row is taken already.
    Connection()->Execute(
        "insert into tb_std_history_row(changeset, part, item_block, changes) values (3, 1, 1, "
        "'x')");
    catalogue_.FindParam(2231)->hvalue = 99;
    EXPECT_THROW(
        generator::GenerateSeriesStandard(Connection(), catalogue_, Gbk("大众"), Gbk("捷达")),
        stationdb::DatabaseError);
    EXPECT_THROW(generator::ClearStandardTable(Connection()), stationdb::DatabaseError);
    EXPECT_EQ(Stored(Gbk("大众_捷达"), 223, 2231), rowsBefore);
    EXPECT_EQ(Stamp(), stamp);
    EXPECT_EQ(ChangeSets(), sets);
}

// Two processes generating at once: the chain's write runs under the
// generation's lock, so the change sets follow one another without a gap
// or a fork.
TEST_P(LimitHistory, ConcurrentGenerationsLeaveOneChain) {
    constexpr int kSeries = 6;
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            ::close(go[1]);
            char byte;
            int failed = ::read(go[0], &byte, 1) == 1 ? 0 : 1;
            try {
                stationdb::Connection own;
                own.Open(db_->ConnectString());
                for (int s = 0; s < kSeries; ++s)
                    generator::GenerateSeriesStandard(&own, catalogue_, Gbk("大众"),
                                                      "S" + std::to_string(c * kSeries + s));
            } catch (const std::exception &e) {
                std::fprintf(stderr, "generation failed: %s\n", e.what());
                failed = 1;
            }
            ::_exit(failed);
        }
    }
    ::close(go[0]);
    ASSERT_EQ(::write(go[1], "gg", 2), 2);
    ::close(go[1]);
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    stationdb::Statement st(
        *Connection(), "select id, prev_hash, hash, table_rows from tb_std_history order by id");
    st.Execute();
    std::string previous(64, '0');
    long long id = 0, rows = 0;
    while (st.Fetch()) {
        EXPECT_EQ(st.Utf8(1), std::to_string(++id));
        EXPECT_EQ(st.Utf8(2), previous);
        previous = st.Utf8(3);
        rows = std::stoll(st.Utf8(4));
    }
    EXPECT_EQ(id, 1 + 2 * kSeries);
    EXPECT_EQ(rows, RowCount());
}

// An import is one change set over several series; putting it back
// restores the limits it changed and removes the rows it added, in every
// series it wrote.
TEST_P(LimitHistory, ARollbackOfAnImportPutsEverySeriesBack) {
    catalogue_.FindParam(2231)->hvalue = 60;
    generator::GenerateSeriesStandard(Connection(), catalogue_, Gbk("大众"), Gbk("捷达"));
    const long long rows = RowCount();
    const std::vector<generator::SeriesStandard> standards = {
        {{Gbk("大众"), Gbk("捷达")}, {{223, 2231, 61, 0}}},
        {{Gbk("大众"), Gbk("朗逸")}, {{223, 2231, 62, 0}}},
    };
    const long long imported =
        generator::ImportSeriesStandards(*Connection(), catalogue_, standards, {})[0].changeSet;
    ASSERT_GT(imported, 0);
    EXPECT_GT(RowCount(), rows);
    const generator::RollbackResult back =
        generator::RollbackChangeSet(*Connection(), imported, false, {"", "test", ""});
    ASSERT_EQ(back.status, generator::RollbackStatus::kDone);
    EXPECT_EQ(Stored(Gbk("大众_捷达"), 223, 2231), "60.00,0.00");
    EXPECT_EQ(Stored(Gbk("大众_朗逸"), 223, 2231), "");
    EXPECT_EQ(RowCount(), rows);
    EXPECT_EQ(generator::VerifyHistory(*Connection()).outcome,
              generator::VerifyOutcome::kConsistent);
}

TEST(ChangeOperator, GivenElseTheEnvironmentElseTheLogin) {
    ::setenv("STATION_OPERATOR", "  值班员 ", 1);
    EXPECT_EQ(generator::ResolvedOperator(" 张三 "), "张三");
    EXPECT_EQ(generator::ResolvedOperator("  "), "值班员");
    ::setenv("STATION_OPERATOR", " ", 1);
    const std::string login = generator::ResolvedOperator("");
    ::unsetenv("STATION_OPERATOR");
    EXPECT_EQ(generator::ResolvedOperator(""), login);
    EXPECT_FALSE(login.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, LimitHistory, ::testing::ValuesIn(testdb::Backends()),
                         testdb::BackendName);

}  // namespace
