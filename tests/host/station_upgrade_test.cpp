// upgrade-station on the database of a station made by the release before
// the history (tests/host/data: its init-station and one series generated):
// the history starts with a baseline of the whole table, a second run
// changes nothing, and the writes after it are recorded.
#include <gtest/gtest.h>

#include <filesystem>

#include "stationdb/stationdb.h"
#include "stdhost_runner.h"
#include "temp_dir.h"

namespace {

using stdhost_test::kDataDir;
using stdhost_test::Outcome;
using testing_support::TempDir;

class StationUpgrade : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(stdhost_test::RunStdhost("init-station " + Dir()).exitCode, 0);
        std::filesystem::copy_file(
            std::string(STATION_TEST_SOURCE_DIR) + "/tests/host/data/previous-release-station.db",
            Dir() + "/station.db", std::filesystem::copy_options::overwrite_existing);
    }
    std::string Dir() const { return dir_.File("station"); }
    Outcome Stdhost(const std::string &args) {
        return stdhost_test::RunStdhost("--station " + Dir() + " " + args);
    }
    std::string Query(const std::string &sql) {
        ::setenv("ODBCSYSINI", kDataDir.c_str(), 0);
        stationdb::Connection db;
        db.Open("Driver=SQLite3;Database=" + Dir() + "/station.db;");
        stationdb::Statement st(db, sql);
        st.Execute();
        std::string rows;
        while (st.Fetch()) {
            for (int c = 1; c <= st.ColumnCount(); ++c) rows += (c > 1 ? "|" : "") + st.Utf8(c);
            rows += "\n";
        }
        return rows;
    }
    TempDir dir_;
};

TEST_F(StationUpgrade, StartsTheHistoryWithABaselineOnceAndRecordsWhatFollows) {
    EXPECT_EQ(Query("select count(*) from sqlite_master where name like 'tb_std_history%'"), "0\n");
    const std::string table = Query("select * from tb_id_standard order by rowid");
    const std::string stamp = Query("select DBModifyTime from tb_status_memstd");

    Outcome first = Stdhost("upgrade-station --operator 站长");
    ASSERT_EQ(first.exitCode, 0) << first.out;
    EXPECT_NE(first.out.find("history tables created; baseline change set 1 records the 1408 rows"),
              std::string::npos)
        << first.out;
    Outcome second = Stdhost("upgrade-station");
    ASSERT_EQ(second.exitCode, 0) << second.out;
    EXPECT_NE(second.out.find("history tables already there; the history already has its "
                              "baseline, nothing recorded"),
              std::string::npos)
        << second.out;
    // The limits and the stamp are as they were: the baseline only reads them.
    EXPECT_EQ(Query("select * from tb_id_standard order by rowid"), table);
    EXPECT_EQ(Query("select DBModifyTime from tb_status_memstd"), stamp);
    EXPECT_EQ(Query("select id, kind, operator_name, row_count, table_rows from tb_std_history"),
              "1|baseline|站长|1408|1408\n");

    Outcome generated = Stdhost("series generate 大众 宝来 --set 2231=62,0 --operator 张三");
    ASSERT_EQ(generated.exitCode, 0) << generated.out;
    EXPECT_NE(generated.out.find("recorded in the history as change set 2"), std::string::npos);
    EXPECT_EQ(
        Query("select item_block, condition, changes from tb_std_history_row where changeset = 2"),
        "6|大众_宝来|223\t2231\t0\t60.00\t0.00\t62.00\t0.00\t\t\t\n\n");
}

}  // namespace
