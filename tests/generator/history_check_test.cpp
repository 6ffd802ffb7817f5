// The history checks of the series editor's core on a real database: a
// rollback that fails half-way leaves nothing behind, and the speed of a
// verification against one read of the table.

#include "generator/history_check.h"
#include "generator/limit_history.h"
#include "generator/series_standard.h"
#include "generator_fixture.h"
#include "temp_dir.h"

namespace {

using generator_test::SeriesDatabase;
using testing_support::Gbk;

class HistoryCheck : public SeriesDatabase {
  protected:
    void SetUp() override {
        SeriesDatabase::SetUp();
        ASSERT_EQ(generator::LoadCatalogue(Connection(), catalogue_, messages_), 1);
        generator::UpgradeHistory(*Connection(), origin_);
    }
    // Generates 大众 捷达 with parameter 2231's limits; returns the change set.
    long long Generate(float upper, float lower) {
        catalogue_.FindParam(2231)->hvalue = upper;
        catalogue_.FindParam(2231)->lvalue = lower;
        generator::GenerateSeriesStandard(Connection(), catalogue_, Gbk("大众"), Gbk("捷达"));
        return std::stoll(Scalar("select max(id) from tb_std_history"));
    }
    std::string Scalar(const std::string &sql) {
        stationdb::Statement st(db_->Admin(), sql);
        st.Execute();
        return st.Fetch() ? st.Utf8(1) : "";
    }
    generator::ChangeOrigin origin_{"tester", "history check test", ""};
};

// The history is written after the table: a failure there must take the
// table's rows and the stamp back with it.
TEST_P(HistoryCheck, ARollbackWhoseHistoryWriteFailsChangesNothing) {
    Generate(65, 0);
    const long long second = Generate(80, 1);
    // The rollback's first stored row is taken already: its history write fails.
    db_->Exec("insert into tb_std_history_row(changeset, part, item_block, changes) values (" +
              std::to_string(second + 1) + ", 1, 1, 'x')");
    const std::string limits = Stored(Gbk("大众_捷达"), 223, 2231);
    const std::string stamp = Scalar("select DBModifyTime from tb_status_memstd");
    const std::string history = Scalar("select count(*) || ' ' || max(id) from tb_std_history") +
                                "/" + Scalar("select count(*) from tb_std_history_row");

    EXPECT_THROW(generator::RollbackChangeSet(*Connection(), second, false, origin_),
                 stationdb::DatabaseError);
    EXPECT_EQ(Stored(Gbk("大众_捷达"), 223, 2231), limits);
    EXPECT_EQ(Scalar("select DBModifyTime from tb_status_memstd"), stamp);
    EXPECT_EQ(Scalar("select count(*) || ' ' || max(id) from tb_std_history") + "/" +
                  Scalar("select count(*) from tb_std_history_row"),
              history);

    db_->Exec("delete from tb_std_history_row where changeset = " + std::to_string(second + 1));
    const generator::RollbackResult done =
        generator::RollbackChangeSet(*Connection(), second, false, origin_);
    EXPECT_EQ(done.status, generator::RollbackStatus::kDone);
    EXPECT_EQ(done.recordedId, second + 1);
    EXPECT_EQ(Stored(Gbk("大众_捷达"), 223, 2231), "65.00,0.00");
    EXPECT_EQ(generator::VerifyHistory(*Connection()).outcome,
              generator::VerifyOutcome::kConsistent);
}

INSTANTIATE_TEST_SUITE_P(Backends, HistoryCheck, ::testing::ValuesIn(testdb::Backends()),
                         testdb::BackendName);

}  // namespace
