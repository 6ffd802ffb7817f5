// The editor session's own bookkeeping over a real station database: a
// limit edit reaches every place of its parameter, the session knows when
// the catalogue holds edits not yet generated, and a clearing is counted
// before it is done.
#include "generator/editor_session.h"

#include <gtest/gtest.h>

#include "generator/history_check.h"
#include "generator/history_read.h"
#include "generator/limit_history.h"
#include "generator_fixture.h"
#include "temp_dir.h"

namespace generator_test {
namespace {

using testing_support::Gbk;

class EditorSessionTest : public SeriesDatabase {
  protected:
    void SetUp() override {
        SeriesDatabase::SetUp();
        // 2231 measured on the lamp tester's line too: one parameter of item
        // 223, listed under two devices.
        db_->Exec(
            "insert into tb_id_param (devid, ItemId, ParamId, ParamName) values (2, 223, 2231, "
            "'整车制动率')");
        session_ = std::make_unique<generator::EditorSession>(
            state_, [this] { return Connection(); }, messages_);
        session_->LoadCatalogue();
    }
    // The catalogue places of a parameter.
    std::vector<generator::ParamPosition> Places(int32_t paramid) {
        std::vector<generator::ParamPosition> places;
        state_.catalogue.ForEachParam([&](auto &, auto &, auto &p, const auto &at) {
            if (p.paramid == paramid) places.push_back(at);
        });
        return places;
    }

    generator::EditorState state_;
    std::unique_ptr<generator::EditorSession> session_;
};

TEST_P(EditorSessionTest, AnEditReachesEveryPlaceOfItsParameterAndIsStored) {
    const std::vector<generator::ParamPosition> twins = Places(2231);
    ASSERT_EQ(twins.size(), 2u);
    session_->LoadSeries(Gbk("大众"), Gbk("捷达"));
    EXPECT_FALSE(session_->Dirty());

    // An edit in the first place: the twin listed later would be written
    // last and win if it kept its old limit.
    EXPECT_EQ(session_->SetLimits(twins[0], 0.5f, 0.25f), 2);
    EXPECT_TRUE(session_->Dirty());
    for (const auto &at : twins) {
        EXPECT_EQ(state_.catalogue.Find(at)->hvalue, 0.5f);
        EXPECT_EQ(state_.catalogue.Find(at)->lvalue, 0.25f);
    }
    // Another parameter of the same item keeps its limits.
    EXPECT_EQ(state_.catalogue.FindParam(2232)->hvalue, 0.0f);
    EXPECT_EQ(session_->SetLimits({9, 0, 0}, 1, 1), 0);

    const generator::GenerationResult written = session_->Generate(Gbk("大众"), Gbk("捷达"));
    ASSERT_TRUE(written.ran);
    EXPECT_FALSE(session_->Dirty());
    EXPECT_EQ(Stored(Gbk("大众_捷达"), 223, 2231), "0.50,0.25");
    EXPECT_NE(written.stamp.after, written.stamp.before);

    // A load that read the database ends the edits; one that did not (no
    // series) leaves them.
    session_->SetLimits(twins[1], 2, 1);
    session_->LoadSeries(Gbk("大众"), "  ");
    EXPECT_TRUE(session_->Dirty());
    EXPECT_EQ(state_.catalogue.Find(twins[0])->hvalue, 2.0f);
    session_->LoadSeries(Gbk("大众"), Gbk("捷达"));
    EXPECT_FALSE(session_->Dirty());
    EXPECT_EQ(state_.catalogue.Find(twins[0])->hvalue, 0.5f);
}

TEST_P(EditorSessionTest, CountsSeriesAndNationalRowsBeforeAClearing) {
    EXPECT_EQ(session_->CountStandards().Total(), 0);
    ASSERT_TRUE(session_->Generate(Gbk("大众"), Gbk("捷达")).ran);
    const long long generated = RowCount();
    ASSERT_GT(generated, 0);
    // National rows, a series whose CXXL ends in blanks, and a condition
    // that only looks like a series (奥迪 has no vehicle series).
    for (const char *sql : {
             "insert into tb_id_standard (type, itemid, itemname, condition, paramid, paramname, "
             "hvalue, lvalue, stdorder) values ('制动台', 223, '行车制动', 'VEH', 2231, "
             "'整车制动率', '0', '60', 0)",
             "insert into tb_id_standard (type, itemid, itemname, condition, paramid, paramname, "
             "hvalue, lvalue, stdorder) values ('制动台', 223, '行车制动', 'VEH_M1', 2231, "
             "'整车制动率', '0', '50', 0)",
             "insert into tb_id_standard (type, itemid, itemname, condition, paramid, paramname, "
             "hvalue, lvalue, stdorder) values ('制动台', 223, '行车制动', '奥迪_A4', 2231, "
             "'整车制动率', '0', '60', 0)",
             "insert into tb_id_standard (type, itemid, itemname, condition, paramid, paramname, "
             "hvalue, lvalue, stdorder) values ('制动台', 223, '行车制动', '大众_朗逸', 2231, "
             "'整车制动率', '0', '60', 0)",
         })
        db_->Exec(sql);
    const generator::StandardCounts counts = session_->CountStandards();
    EXPECT_EQ(counts.series, generated + 1);
    EXPECT_EQ(counts.national, 3);
    ASSERT_TRUE(session_->ClearStandards());
    EXPECT_EQ(session_->CountStandards().Total(), 0);
}

// The editor's "生成" and "清除标准" are recorded in the history under the
// editor's name and the operator of the process, and can be put back.
TEST_P(EditorSessionTest, TheEditorsWritesAreRecordedAndCanBePutBack) {
    ::setenv("STATION_OPERATOR", "检测员", 1);
    generator::UpgradeHistory(*Connection(), {});
    session_->LoadSeries(Gbk("大众"), Gbk("捷达"));
    session_->SetLimits(Places(2231)[0], 0.5f, 0.25f);
    const long long generated = session_->Generate(Gbk("大众"), Gbk("捷达")).changeSet;
    ASSERT_TRUE(session_->ClearStandards());
    ::unsetenv("STATION_OPERATOR");
    const auto sets = generator::ReadHistory(*Connection(), {});
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_EQ(sets[1].id, generated);
    EXPECT_EQ(sets[1].program, "Sergen 生成");
    EXPECT_EQ(sets[0].program, "Sergen 清除标准");
    EXPECT_EQ(sets[0].operatorName, "检测员");
    EXPECT_EQ(sets[0].rowCount, RowCount() + static_cast<long long>(sets[1].rowCount));

    EXPECT_EQ(generator::RollbackChangeSet(*Connection(), sets[0].id, false, {}).status,
              generator::RollbackStatus::kDone);
    EXPECT_EQ(Stored(Gbk("大众_捷达"), 223, 2231), "0.50,0.25");
}

INSTANTIATE_TEST_SUITE_P(Backends, EditorSessionTest, ::testing::ValuesIn(testdb::Backends()),
                         testdb::BackendName);

}  // namespace
}  // namespace generator_test
