// The database's modification stamp: what follows a stamp, and that it moves
// with the limits, in their transaction, so that a line sees both or neither.
#include <gtest/gtest.h>

#include "generator/modify_stamp.h"
#include "generator/series_standard.h"
#include "generator_fixture.h"
#include "temp_dir.h"

namespace {

using generator_test::SeriesDatabase;
using testing_support::Gbk;

TEST(NextModifyStamp, OneMoreOrTodayWhicheverIsLarger) {
    const struct {
        const char *current;
        const char *next;
    } cases[] = {
        {"20261208", "20261209"},  // today is larger
        {"20261209", "20261210"},
        {" 20261215 ", "20261216"},
        {"99999999999999999998", "99999999999999999999"},  // beyond 64 bits, as text
        {"99999999999999999999", "20261209"},              // one more would not fit the column
        {"2026-12-10 10:00:00", "20261209"},               // not a number: today's
        {"", "20261209"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(generator::NextModifyStamp(c.current, "20261209"), c.next);
}

class ModifyStamp : public SeriesDatabase {
  protected:
    std::string DbStamp() {
        stationdb::Statement st(*Connection(), "select DBModifyTime from tb_status_memstd");
        st.Execute();
        return st.Fetch() ? st.Utf8(1) : "(no row)";
    }
};

TEST_P(ModifyStamp, MovesWithEveryWriteAndIsMadeWhenMissing) {
    Connection()->Execute("delete from tb_status_memstd");
    ASSERT_EQ(generator::LoadCatalogue(Connection(), catalogue_, messages_), 1);
    const generator::GenerationResult generated =
        generator::GenerateSeriesStandard(Connection(), catalogue_, Gbk("大众"), Gbk("捷达"));
    EXPECT_EQ(generated.stamp.before, "");
    EXPECT_EQ(generated.stamp.after, generator::TodayStamp());
    EXPECT_EQ(DbStamp(), generated.stamp.after);
    ASSERT_TRUE(generator::ClearStandards(Connection()));
    EXPECT_EQ(DbStamp(),
              generator::NextModifyStamp(generated.stamp.after, generator::TodayStamp()));
}

// Without the stamp table the write cannot tell the lines: nothing is written.
TEST_P(ModifyStamp, AWriteThatCannotMoveTheStampWritesNothing) {
    ASSERT_EQ(generator::LoadCatalogue(Connection(), catalogue_, messages_), 1);
    const long long rows = RowCount();
    Connection()->Execute("drop table tb_status_memstd");
    EXPECT_THROW(
        generator::GenerateSeriesStandard(Connection(), catalogue_, Gbk("大众"), Gbk("捷达")),
        stationdb::DatabaseError);
    EXPECT_EQ(RowCount(), rows);
    EXPECT_THROW(generator::ClearStandards(Connection()), stationdb::DatabaseError);
    EXPECT_EQ(RowCount(), rows);
}

INSTANTIATE_TEST_SUITE_P(Backends, ModifyStamp, ::testing::ValuesIn(testdb::Backends()),
                         testdb::BackendName);

}  // namespace
