// Reading the history of the standard table on every backend, from change
// sets written here with SQL as the recorder stores them.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "generator/history_read.h"
#include "platform/atomic_file.h"
#include "stationdb/stationdb.h"
#include "test_database.h"

namespace {

using generator::ChangeSet;
using generator::HistoryFilter;

class HistoryRead : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        db_ = std::make_unique<testdb::TestDatabase>(GetParam());
        const std::string dialect =
            db_->GetDialect() == stationdb::Dialect::kPostgreSql ? "postgresql" : "sqlite";
        std::string script;
        ASSERT_TRUE(platform::ReadWholeFile(
            std::string(STATION_TEST_SOURCE_DIR) + "/db/" + dialect + "/history.sql", script));
        stationdb::ExecuteScript(db_->Admin(), script);
    }
    void Set(long long id, const std::string &at, const std::string &kind, long long rows) {
        db_->Admin().Execute("insert into tb_std_history values (" + std::to_string(id) + ", '" +
                             at + "', '张工', 'stdhost series generate', '" + kind +
                             "', '大众_捷达', '', " + (kind == "rollback" ? "1" : "NULL") + ", " +
                             std::to_string(rows) + ", 0, '', '', '')");
    }
    // One stored part of one changed row; `old` and `now` are "H,L" or ""
    // for no row.
    void Row(long long set, int part, int item, const std::string &condition, int param,
             const std::string &old, const std::string &now) {
        const auto values = [](const std::string &v) {
            if (v.empty()) return std::string("\\N\t\\N");
            const std::size_t comma = v.find(',');
            return v.substr(0, comma) + "\t" + v.substr(comma + 1);
        };
        db_->Admin().Execute("insert into tb_std_history_row values (" + std::to_string(set) +
                             ", " + std::to_string(part) + ", " + std::to_string(item / 32) +
                             ", '" + condition + "', '" + std::to_string(item) + "\t" +
                             std::to_string(param) + "\t1\t" + values(old) + "\t" + values(now) +
                             "\t制动台\t行车制动\t整车制动率\n')");
    }
    // A baseline, a generation changing 2231 and adding a second row of
    // 2232, and a clear of the series.
    void ThreeSets() {
        Set(1, "2026-03-01 08:00:00", "baseline", 3);
        Row(1, 1, 223, "大众_捷达", 2231, "", "60,0");
        Row(1, 2, 223, "大众_捷达", 2232, "", "50,0");
        Row(1, 3, 223, "丰田_卡罗拉", 2231, "", "70,0");
        Set(2, "2026-03-02 09:30:00", "generate", 2);
        Row(2, 1, 223, "大众_捷达", 2231, "60,0", "65,5");
        Row(2, 2, 223, "大众_捷达", 2232, "", "55,0");
        Set(3, "2026-03-03 10:00:00", "clear", 3);
        Row(3, 1, 223, "大众_捷达", 2231, "65,5", "");
        Row(3, 2, 223, "大众_捷达", 2232, "50,0", "");
        Row(3, 3, 223, "大众_捷达", 2232, "55,0", "");
    }
    static std::vector<long long> Ids(const std::vector<ChangeSet> &sets) {
        std::vector<long long> ids;
        for (const ChangeSet &s : sets) ids.push_back(s.id);
        return ids;
    }
    stationdb::Connection &Db() { return db_->Admin(); }
    std::unique_ptr<testdb::TestDatabase> db_;
};

TEST_P(HistoryRead, ListsNewestFirstFilteredByRowAndTime) {
    ThreeSets();
    std::vector<ChangeSet> all = generator::ReadHistory(Db(), {});
    ASSERT_EQ(Ids(all), (std::vector<long long>{3, 2, 1}));
    EXPECT_EQ(all[1].operatorName, "张工");
    EXPECT_EQ(all[1].kind, generator::ChangeKind::kGenerate);
    ASSERT_EQ(all[1].rows.size(), 2u);
    EXPECT_EQ(all[1].rows[0].before, (generator::LimitValues{"60", "0"}));
    EXPECT_EQ(all[1].rows[0].after, (generator::LimitValues{"65", "5"}));
    EXPECT_FALSE(all[1].rows[1].before);
    EXPECT_FALSE(all[0].rows[2].after);
    EXPECT_EQ(all[1].rows[0].condition, "大众_捷达");

    // Only the head of big sets; the header still counts every row.
    HistoryFilter heads;
    heads.maxRowsPerSet = 1;
    heads.limit = 2;
    std::vector<ChangeSet> cut = generator::ReadHistory(Db(), heads);
    ASSERT_EQ(Ids(cut), (std::vector<long long>{3, 2}));
    EXPECT_EQ(cut[0].rows.size(), 1u);
    EXPECT_EQ(cut[0].rowCount, 3);

    HistoryFilter one;
    one.itemid = 223;
    one.condition = "大众_捷达";
    one.paramid = 2232;
    std::vector<ChangeSet> param = generator::ReadHistory(Db(), one);
    ASSERT_EQ(Ids(param), (std::vector<long long>{3, 2, 1}));
    EXPECT_EQ(param[0].rows.size(), 2u);  // only the rows of 2232
    one.condition = "丰田_卡罗拉";
    one.paramid = 2231;
    EXPECT_EQ(Ids(generator::ReadHistory(Db(), one)), (std::vector<long long>{1}));

    HistoryFilter times;
    times.paramid = 2231;
    times.since = "2026-03-02 00:00:00";
    times.until = "2026-03-02 23:59:59";
    EXPECT_EQ(Ids(generator::ReadHistory(Db(), times)), (std::vector<long long>{2}));
    times.paramid.reset();
    times.until.clear();
    EXPECT_EQ(Ids(generator::ReadHistory(Db(), times)), (std::vector<long long>{3, 2}));

    EXPECT_EQ(generator::ReadChangeSet(Db(), 3)->rows.size(), 3u);
    EXPECT_FALSE(generator::ReadChangeSet(Db(), 4));
}

TEST_P(HistoryRead, LimitsAsOfReplayTheRowsAsAMultiset) {
    ThreeSets();
    const auto at = [&](const std::string &when) {
        std::string out;
        for (const auto &l : generator::LimitsAsOf(Db(), when, 223, "大众_捷达").limits)
            out += std::to_string(l.paramid) + "=" + l.values.hvalue + "," + l.values.lvalue + "#" +
                   std::to_string(l.changeSet) + " ";
        return out;
    };
    EXPECT_EQ(at("2026-03-01 12:00:00"), "2231=60,0#1 2232=50,0#1 ");
    EXPECT_EQ(at("2026-03-02 09:30:00"), "2231=65,5#2 2232=50,0#1 2232=55,0#2 ");
    EXPECT_EQ(at("2026-03-05 00:00:00"), "");
    EXPECT_EQ(generator::LimitsAsOf(Db(), "2026-03-02 10:00:00", 223, "大众_捷达").lastChangeSet,
              2);
    const generator::LimitsAtMoment before =
        generator::LimitsAsOf(Db(), "2026-02-28 23:59:59", 223, "大众_捷达");
    EXPECT_TRUE(before.beforeHistory);
    EXPECT_TRUE(before.limits.empty());
    EXPECT_FALSE(
        generator::LimitsAsOf(Db(), "2026-03-01 08:00:00", 223, "大众_捷达").beforeHistory);
}

TEST_P(HistoryRead, WithoutTheHistoryTablesReadsNothing) {
    db_->Exec("drop table tb_std_history_row");
    db_->Exec("drop table tb_std_history");
    EXPECT_TRUE(generator::ReadHistory(Db(), {}).empty());
    EXPECT_FALSE(generator::ReadChangeSet(Db(), 1));
    EXPECT_TRUE(generator::LimitsAsOf(Db(), "2026-03-01 00:00:00", 223, "x").beforeHistory);
}

INSTANTIATE_TEST_SUITE_P(Backends, HistoryRead, ::testing::ValuesIn(testdb::Backends()),
                         testdb::BackendName);

}  // namespace
