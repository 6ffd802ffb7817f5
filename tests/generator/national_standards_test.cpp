// A national standards update on tables a station may really hold: series
// rows under a key in another case, conditions stored with blanks, and a
// key stored twice.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "generator/history_check.h"
#include "generator/limit_history.h"
#include "generator/national_standards.h"
#include "stationdb/stationdb.h"
#include "test_database.h"

namespace {

using generator::NationalRow;

class NationalStandards : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        db_ = std::make_unique<testdb::TestDatabase>(GetParam());
        db_->Exec("insert into tb_type_vehicle (CPMC, CXXL) values ('VW', 'Golf')");
        Insert(201, "A", 1, "10.00", "1.00");
        Insert(201, "A", 2, "20.00", "2.00");
        Insert(201, "B  ", 1, "30.00", "3.00");
        Insert(202, "D", 1, "40.00", "4.00");
        Insert(202, "D", 1, "40.00", "4.00");  // a key stored twice
        Insert(202, "E", 1, "7.00", "0.00");
        Insert(202, "E", 1, "8.00", "0.00");  // twice, with different limits
        Insert(201, "VW_Golf", 1, "5.00", "0.00");
        Insert(201, "vw_golf", 2, "6.00", "0.00");
        generator::UpgradeHistory(Db(), {"tester", "test", ""});
    }
    void Insert(int item, const std::string &condition, int param, const std::string &upper,
                const std::string &lower) {
        db_->Exec(
            "insert into tb_id_standard (type, itemid, itemname, condition, paramid, "
            "paramname, hvalue, lvalue, stdorder) values ('dev', " +
            std::to_string(item) + ", 'item', '" + condition + "', " + std::to_string(param) +
            ", 'param', '" + upper + "', '" + lower + "', 0)");
    }
    stationdb::Connection &Db() { return db_->Admin(); }
    std::string Rows() {
        stationdb::Statement st(Db(),
                                "select itemid, condition, paramid, hvalue, lvalue from "
                                "tb_id_standard order by itemid, condition, paramid");
        st.Execute();
        std::string out;
        while (st.Fetch())
            out += st.Utf8(1) + "|" + st.Utf8(2) + "|" + st.Utf8(3) + "|" + st.Utf8(4) + "|" +
                   st.Utf8(5) + "\n";
        return out;
    }
    std::unique_ptr<testdb::TestDatabase> db_;
};

// The history of an update must let a rollback give every stored row back,
// copies of one key included.
TEST_P(NationalStandards, SeriesRowsStayAndKeysStoredTwiceBecomeOneRow) {
    const std::string before = Rows();
    const std::vector<NationalRow> rows = {{201, "dev", "A", 1, "10.00", "1.00", 1},
                                           {201, "dev", "A", 2, "21.00", "2.00", 2},
                                           {201, "dev", "B", 1, "30.00", "3.00", 3},
                                           {203, "dev", "C", 1, "50.00", "5.00", 4},
                                           {202, "dev", "E", 1, "7.00", "0.00", 5}};
    const generator::NationalPlan plan = generator::PlanNationalUpdate(Db(), rows);
    EXPECT_EQ(plan.seriesRows, 2u);  // "vw_golf" too: the lines ignore case
    EXPECT_EQ(plan.nationalBefore, 7u);
    EXPECT_EQ(plan.unchanged, 2u);  // A/1 and "B  "/1
    EXPECT_EQ(plan.nationalAfter, 5u);
    // A/2 changed, C added, both copies of D removed, both of E removed and one added.
    EXPECT_EQ(plan.changes.size(), 7u);

    const generator::NationalUpdateResult done =
        generator::ApplyNationalUpdate(Db(), rows, {"tester", "test", ""}, false,
                                       [](const generator::NationalPlan &) { return true; });
    EXPECT_TRUE(done.committed);
    EXPECT_EQ(Rows(),
              "201|A|1|10.00|1.00\n201|A|2|21.00|2.00\n201|B  |1|30.00|3.00\n"
              "201|VW_Golf|1|5.00|0.00\n201|vw_golf|2|6.00|0.00\n202|E|1|7.00|0.00\n"
              "203|C|1|50.00|5.00\n");
    EXPECT_TRUE(generator::PlanNationalUpdate(Db(), rows).Empty());

    const generator::RollbackResult back =
        generator::RollbackChangeSet(Db(), done.changeSet, false, {"tester", "test", ""});
    EXPECT_EQ(back.status, generator::RollbackStatus::kDone);
    EXPECT_EQ(Rows(), before);
    EXPECT_EQ(generator::VerifyHistory(Db()).outcome, generator::VerifyOutcome::kConsistent);
}

TEST_P(NationalStandards, RowsTheStationCannotTakeAreRefusedBeforeAnyWrite) {
    const std::string before = Rows();
    const std::vector<std::vector<NationalRow>> refused = {
        {{201, "dev", "vw_GOLF ", 1, "1.00", "0.00", 7}},  // a series key of the station
        {{203, "dev", "C", 1, "1.00", "0.00", 3}, {203, "dev", " C", 1, "2.00", "0.00", 9}},
        {{201, "dev", "A", 1, "1.00", "0.00", 4}, {201, "dev", "A ", 1, "2.00", "0.00", 5}}};
    for (const auto &rows : refused)
        EXPECT_THROW(generator::ApplyNationalUpdate(Db(), rows, {}, false, {}),
                     generator::NationalRowRefused);
    try {
        generator::PlanNationalUpdate(Db(), refused[1]);
        ADD_FAILURE() << "a key given twice was taken";
    } catch (const generator::NationalRowRefused &e) {
        EXPECT_STREQ(e.what(),
                     "line 9: item 203, condition \" C\", parameter 1 again (line 3: the first)");
    }
    EXPECT_EQ(Rows(), before);
}

INSTANTIATE_TEST_SUITE_P(Backends, NationalStandards, ::testing::ValuesIn(testdb::Backends()),
                         testdb::BackendName);

}  // namespace
