// Every series standard of a station out of the database and back.
#include <stdexcept>

#include "generator/modify_stamp.h"
#include "generator/series_transfer.h"
#include "generator_fixture.h"
#include "temp_dir.h"

namespace {

using generator_test::SeriesDatabase;
using testing_support::Gbk;

class SeriesTransfer : public SeriesDatabase {
  protected:
    void SetUp() override {
        SeriesDatabase::SetUp();
        ASSERT_EQ(generator::LoadCatalogue(Connection(), catalogue_, messages_), 1);
    }
    // Every row of tb_id_standard as text, sorted.
    std::vector<std::string> Rows() {
        stationdb::Statement st(db_->Admin(),
                                "select type, itemid, itemname, condition, paramid, paramname, "
                                "hvalue, lvalue, stdorder from tb_id_standard order by condition, "
                                "itemid, paramid");
        st.Execute();
        std::vector<std::string> rows;
        while (st.Fetch()) {
            std::string row;
            for (int c = 1; c <= 9; ++c) row += st.Text(c) + "|";
            rows.push_back(row);
        }
        return rows;
    }
};

TEST_P(SeriesTransfer, ExportThenImportOnAnEmptyStationGivesTheSameRows) {
    catalogue_.FindParam(2231)->lvalue = 60;
    generator::GenerateSeriesStandard(Connection(), catalogue_, Gbk("大众"), Gbk("捷达"));
    catalogue_.FindParam(2351)->hvalue = 15000;
    generator::GenerateSeriesStandard(Connection(), catalogue_, Gbk("大众"), Gbk("朗逸"));
    // Rows of conditions that are no series are not part of the export.
    db_->Exec(
        "insert into tb_id_standard (itemid, condition, paramid, hvalue, lvalue) values "
        "(223, 'national', 2231, '1', '2')");
    const std::vector<std::string> before = Rows();

    auto exported = generator::ExportSeriesStandards(*Connection(), catalogue_);
    ASSERT_EQ(exported.size(), 2u);
    EXPECT_EQ(exported[0].id.series, Gbk("捷达"));
    EXPECT_EQ(exported[1].id.series, Gbk("朗逸"));
    ASSERT_EQ(exported[1].limits.size(), catalogue_.ParamCount());

    db_->Exec("delete from tb_id_standard where condition <> 'national'");
    for (auto &d : catalogue_.devices)
        for (auto &i : d.items)
            for (auto &p : i.params) p.hvalue = p.lvalue = 99;
    auto results = generator::ImportSeriesStandards(*Connection(), catalogue_, exported);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[1].inserted, 4);
    EXPECT_EQ(Rows(), before);
}

TEST_P(SeriesTransfer, ImportIsAllOrNothing) {
    std::vector<generator::SeriesStandard> standards = {
        {{Gbk("大众"), Gbk("捷达")}, {{223, 2231, 1, 2}}},
        {{Gbk("大众"), "\x81"}, {{223, 2231, 3, 4}}},  // a series text the server cannot take
    };
    EXPECT_THROW(generator::ImportSeriesStandards(*Connection(), catalogue_, standards),
                 stationdb::DatabaseError);
    EXPECT_EQ(RowCount(), 0);
    standards.pop_back();
    standards[0].limits.push_back({223, 9999, 0, 0});
    EXPECT_THROW(generator::ImportSeriesStandards(*Connection(), catalogue_, standards),
                 std::invalid_argument);
    EXPECT_EQ(RowCount(), 0);
}

// An import is one write for the lines: the stamp moves on once, with the
// rows; a refused import leaves rows and stamp as they were.
TEST_P(SeriesTransfer, ImportMovesTheStampOnceOrNotAtAll) {
    auto stamp = [&] {
        stationdb::Statement st(db_->Admin(), "select DBModifyTime from tb_status_memstd");
        st.Execute();
        return st.Fetch() ? st.Text(1) : std::string("none");
    };
    generator::GenerateSeriesStandard(Connection(), catalogue_, Gbk("大众"), Gbk("捷达"));
    const std::string before = stamp();
    std::vector<generator::SeriesStandard> standards = {
        {{Gbk("大众"), Gbk("捷达")}, {{223, 2231, 1, 2}}},
        {{Gbk("大众"), Gbk("朗逸")}, {{223, 2231, 3, 4}}},
    };
    const auto results = generator::ImportSeriesStandards(*Connection(), catalogue_, standards);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].stamp.before, before);
    EXPECT_EQ(results[1].stamp.after, stamp());
    EXPECT_EQ(results[1].stamp.after, generator::NextModifyStamp(before, generator::TodayStamp()));
    const long long rows = RowCount();
    const std::string imported = stamp();

    // A limit that cannot be stored, or a key that another listed series forms.
    standards[1].limits[0].lvalue = 1e21f;
    EXPECT_THROW(generator::ImportSeriesStandards(*Connection(), catalogue_, standards),
                 std::invalid_argument);
    standards[1].limits[0].lvalue = 4;
    db_->Exec("insert into tb_type_vehicle (CPMC, CXXL) values ('大众_朗', '逸')");
    standards[0].limits[0].hvalue = 7;
    standards.push_back({{Gbk("大众"), Gbk("朗_逸")}, {{223, 2231, 5, 6}}});
    EXPECT_THROW(generator::ImportSeriesStandards(*Connection(), catalogue_, standards),
                 std::invalid_argument);
    EXPECT_EQ(RowCount(), rows);
    EXPECT_EQ(Stored(Gbk("大众_捷达"), 223, 2231), "1.00,2.00");
    EXPECT_EQ(stamp(), imported);
}

INSTANTIATE_TEST_SUITE_P(Backends, SeriesTransfer, ::testing::ValuesIn(testdb::Backends()),
                         testdb::BackendName);

}  // namespace
