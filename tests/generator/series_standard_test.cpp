// The series editor's database work on every backend: the catalogue and the
// brand and series queries, loading and generating a series standard, and
// clearing the standard table.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <cmath>
#include <stdexcept>

#include "gbk_texts.h"
#include "generator/series_key.h"
#include "generator/series_standard.h"
#include "generator_fixture.h"
#include "temp_dir.h"

namespace {

using generator_test::SeriesDatabase;
using testing_support::Gbk;

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

class Catalogue : public SeriesDatabase {};
class SeriesStandard : public SeriesDatabase {
  protected:
    void SetUp() override {
        SeriesDatabase::SetUp();
        ASSERT_EQ(generator::LoadCatalogue(Connection(), catalogue_, messages_), 1);
        brand_ = Gbk("大众");
        series_ = Gbk("捷达");
        condition_ = Gbk("大众_捷达");
    }
    generator::CatalogueParam &Param(int paramid) { return *catalogue_.FindParam(paramid); }
    std::string brand_, series_, condition_;
};

TEST_P(Catalogue, LoadsDevicesItemsAndNamedParameters) {
    ASSERT_EQ(generator::LoadCatalogue(Connection(), catalogue_, messages_), 1);
    ASSERT_EQ(catalogue_.devices.size(), 3u);
    std::vector<std::string> names;
    for (const auto &d : catalogue_.devices) names.push_back(d.devname);
    EXPECT_EQ(Sorted(names), Sorted({Gbk("制动台"), Gbk("灯光仪"), Gbk("空设备")}));
    // The blank-named parameter 2249 is not in the catalogue.
    EXPECT_EQ(catalogue_.ParamCount(), 4u);
    EXPECT_EQ(catalogue_.FindParam(2249), nullptr);
    // The device without items is named to the user once and kept empty.
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text,
              Gbk("空设备,没有项目,无法处理当前数据,请检查该设备!确认后再试!"));
    EXPECT_EQ(messages_.shown[0].caption, Gbk("提示"));
}

TEST_P(Catalogue, WithoutDevicesOrConnectionGivesZero) {
    EXPECT_EQ(generator::LoadCatalogue(nullptr, catalogue_, messages_), 0);
    db_->Exec("delete from tb_line_info");
    EXPECT_EQ(generator::LoadCatalogue(Connection(), catalogue_, messages_), 0);
    EXPECT_TRUE(catalogue_.devices.empty());
}

TEST_P(Catalogue, RowsBeyondTheCapacitiesAreDroppedAndNamesCutOnACharacter) {
    for (int d = 10; d < 110; ++d)
        db_->Exec("insert into tb_line_info (devid, devname) values (" + std::to_string(d) +
                  ", 'd')");
    std::string longName;
    for (int i = 0; i < 40; ++i) longName += "名";
    db_->Exec("update tb_id_param set ParamName = '" + longName + "' where ParamId = 2231");
    ASSERT_EQ(generator::LoadCatalogue(Connection(), catalogue_, messages_), 1);
    EXPECT_EQ(catalogue_.devices.size(), generator::kMaxDevices);
    // 40 two-byte characters cut to 31: the 32nd would end past byte 63.
    EXPECT_EQ(catalogue_.FindParam(2231)->paramname, Gbk(longName.substr(0, 31 * 3)));
}

TEST_P(Catalogue, BrandPrefixMatchesLiterallyIgnoringCase) {
    auto brands = [&](const std::string &prefix) {
        auto q = generator::QueryBrands(Connection(), prefix);
        EXPECT_EQ(q.result, 1);
        return Sorted(q.brands);
    };
    EXPECT_EQ(brands("d"), Sorted({Gbk("大众"), Gbk("东风"), Gbk("百分")}));
    EXPECT_EQ(brands("dz"), std::vector<std::string>{Gbk("大众")});
    // '%' and '_' are letters of the code, not wildcards; an apostrophe is just text.
    EXPECT_EQ(brands("D%"), std::vector<std::string>{Gbk("百分")});
    EXPECT_EQ(brands("_"), std::vector<std::string>{});
    EXPECT_EQ(brands("D'"), std::vector<std::string>{});
    EXPECT_EQ(brands("").size(), 4u);
    EXPECT_EQ(generator::QueryBrands(nullptr, "D").result, 0);
}

TEST_P(Catalogue, NamesWithoutAGbkFormAreLeftOutOfTheLists) {
    db_->Exec("insert into tb_type_vehicle (CPMC, CXXL) values ('大众', '\xf0\x9f\x98\x80')");
    db_->Exec("insert into tb_type_index (CPMC, CPZM) values ('\xf0\x9f\x98\x80', 'DQ')");
    EXPECT_EQ(Sorted(generator::QuerySeries(Connection(), Gbk("大众"), messages_)),
              Sorted({Gbk("捷达"), Gbk("朗逸")}));
    EXPECT_TRUE(messages_.shown.empty());
    const auto brands = generator::QueryBrands(Connection(), "D");
    EXPECT_EQ(brands.result, 1);
    EXPECT_EQ(brands.brands.size(), 3u);
}

TEST_P(Catalogue, SeriesOfABrandTrimmedAndDistinct) {
    EXPECT_EQ(Sorted(generator::QuerySeries(Connection(), Gbk("大众"), messages_)),
              Sorted({Gbk("捷达"), Gbk("朗逸")}));
    EXPECT_TRUE(generator::QuerySeries(Connection(), Gbk("大众'"), messages_).empty());
    EXPECT_TRUE(messages_.shown.empty());
    // No connection: the user is told, with the query's own words.
    EXPECT_TRUE(generator::QuerySeries(nullptr, Gbk("大众"), messages_).empty());
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text.rfind("1-Get tb_type_vehicle:CXXL??", 0), 0u);
}

TEST_P(SeriesStandard, GeneratingTwiceUpdatesInPlace) {
    Param(2231).hvalue = 0;
    Param(2231).lvalue = 60;
    Param(2351).hvalue = 1.005f;
    auto first = generator::GenerateSeriesStandard(Connection(), catalogue_, brand_, series_);
    EXPECT_TRUE(first.ran);
    EXPECT_EQ(first.inserted, 4);
    EXPECT_EQ(first.updated, 0);
    Param(2231).lvalue = 65.5f;
    auto second = generator::GenerateSeriesStandard(Connection(), catalogue_, brand_, series_);
    EXPECT_EQ(second.inserted, 0);
    EXPECT_EQ(second.updated, 4);
    EXPECT_EQ(RowCount(), 4);
    EXPECT_EQ(Stored(condition_, 223, 2231), "0.00,65.50");
    EXPECT_EQ(Stored(condition_, 223, 2232), "0.00,0.00");
    // The row as a station reads it: device, item and parameter names, stdorder 0.
    stationdb::Statement st(db_->Admin(),
                            "select type, itemname, paramname, stdorder from tb_id_standard "
                            "where paramid = 2351");
    st.Execute();
    ASSERT_TRUE(st.Fetch());
    EXPECT_EQ(st.Text(1), Gbk("灯光仪"));
    EXPECT_EQ(st.Text(2), Gbk("远光强度"));
    EXPECT_EQ(st.Text(3), Gbk("左远光强度"));
    EXPECT_EQ(st.Text(4), "0");
}

TEST_P(SeriesStandard, BlanksAroundBrandAndSeriesAreNotPartOfTheCondition) {
    Param(2241).hvalue = 12;
    generator::GenerateSeriesStandard(Connection(), catalogue_, brand_ + "  ", "  " + series_);
    EXPECT_EQ(Stored(condition_, 224, 2241), "12.00,0.00");
    Param(2241).hvalue = 0;
    generator::LoadSeriesLimits(Connection(), catalogue_, " " + brand_, series_ + " ");
    EXPECT_EQ(Param(2241).hvalue, 12.0f);
}

TEST_P(SeriesStandard, LoadsStoredTextsLikeAtofAndMissingRowsAsZero) {
    db_->Exec(
        "insert into tb_id_standard (itemid, condition, paramid, hvalue, lvalue) values "
        "(223, ?, 2231, 'abc', ' 7.25 ')",
        {condition_});
    db_->Exec(
        "insert into tb_id_standard (itemid, condition, paramid, hvalue, lvalue) values "
        "(235, ?, 2351, '3e2x', '')",
        {condition_});
    Param(2232).hvalue = 99;  // no row: becomes 0
    generator::LoadSeriesLimits(Connection(), catalogue_, brand_, series_);
    EXPECT_EQ(Param(2231).hvalue, 0.0f);
    EXPECT_EQ(Param(2231).lvalue, 7.25f);
    EXPECT_EQ(Param(2351).hvalue, 300.0f);
    EXPECT_EQ(Param(2232).hvalue, 0.0f);
    // ... and the next generation writes the missing row back as 0.00.
    auto result = generator::GenerateSeriesStandard(Connection(), catalogue_, brand_, series_);
    EXPECT_EQ(result.inserted, 2);
    EXPECT_EQ(Stored(condition_, 223, 2232), "0.00,0.00");
    EXPECT_EQ(Stored(condition_, 223, 2231), "0.00,7.25");
}

TEST_P(SeriesStandard, BlankSeriesOrNoConnectionDoesNothing) {
    EXPECT_FALSE(generator::GenerateSeriesStandard(Connection(), catalogue_, brand_, "  ").ran);
    EXPECT_FALSE(generator::GenerateSeriesStandard(nullptr, catalogue_, brand_, series_).ran);
    Param(2231).hvalue = 5;
    generator::LoadSeriesLimits(nullptr, catalogue_, brand_, series_);
    EXPECT_EQ(Param(2231).hvalue, 5.0f);
    EXPECT_EQ(RowCount(), 0);
}

TEST_P(SeriesStandard, AnApostropheInBrandOrNamesIsStoredAndLoaded) {
    const std::string brand = Gbk("雪铁龙'C");
    catalogue_.devices[0].devname = "O'Brien";
    Param(2231).paramname = "it's";
    Param(2231).hvalue = 1.5f;
    generator::GenerateSeriesStandard(Connection(), catalogue_, brand, "x'); drop table t;--");
    const std::string condition = brand + "_x'); drop table t;--";
    EXPECT_EQ(Stored(condition, 223, 2231), "1.50,0.00");
    Param(2231).hvalue = 0;
    generator::LoadSeriesLimits(Connection(), catalogue_, brand, "x'); drop table t;--");
    EXPECT_EQ(Param(2231).hvalue, 1.5f);
}

TEST_P(SeriesStandard, AFailedGenerationChangesNothingAndIsReported) {
    Param(2231).hvalue = 1;
    generator::GenerateSeriesStandard(Connection(), catalogue_, brand_, series_);
    // A new parameter whose name cannot be sent fails the generation after
    // the existing rows were updated: all of it is rolled back.
    catalogue_.devices[1].items[0].params.push_back({2352, "\x81", 1, 1});
    Param(2231).hvalue = 2;
    EXPECT_THROW(generator::GenerateSeriesStandard(Connection(), catalogue_, brand_, series_),
                 stationdb::DatabaseError);
    EXPECT_EQ(Stored(condition_, 223, 2231), "1.00,0.00");
    EXPECT_EQ(RowCount(), 4);
    // The connection is usable afterwards.
    catalogue_.devices[1].items[0].params.pop_back();
    EXPECT_EQ(generator::GenerateSeriesStandard(Connection(), catalogue_, brand_, series_).updated,
              4);
}

TEST_P(SeriesStandard, ClearStandardsEmptiesTheTable) {
    const auto generated =
        generator::GenerateSeriesStandard(Connection(), catalogue_, brand_, series_);
    ASSERT_EQ(RowCount(), 4);
    const generator::ClearResult cleared = generator::ClearStandardTable(Connection());
    EXPECT_TRUE(cleared.ran);
    EXPECT_EQ(cleared.removed, 4);
    EXPECT_EQ(cleared.stamp.before, generated.stamp.after);
    EXPECT_NE(cleared.stamp.after, cleared.stamp.before);
    EXPECT_EQ(RowCount(), 0);
    EXPECT_TRUE(generator::ClearStandards(Connection()));
    EXPECT_FALSE(generator::ClearStandards(nullptr));
}

// Two stations generating the same series at the same moment: one row per
// (itemid, condition, paramid) afterwards.
TEST_P(SeriesStandard, ConcurrentGenerationsLeaveOneRowPerParameter) {
    // A wider catalogue makes the two writers overlap.
    auto &params = catalogue_.devices[0].items[0].params;
    for (int p = 0; p < 300; ++p) params.push_back({30000 + p, "p" + std::to_string(p), 1, 2});
    constexpr int kSeries = 8;
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    pid_t children[2];
    for (pid_t &child : children) {
        child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(go[1]);
            char byte;
            int failed = ::read(go[0], &byte, 1) == 1 ? 0 : 1;
            try {
                stationdb::Connection own;
                own.Open(db_->ConnectString());
                for (int s = 0; s < kSeries; ++s)
                    generator::GenerateSeriesStandard(&own, catalogue_, brand_,
                                                      "S" + std::to_string(s));
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
    const long long perSeries = static_cast<long long>(catalogue_.ParamCount());
    EXPECT_EQ(RowCount(), perSeries * kSeries);
    stationdb::Statement st(db_->Admin(),
                            "select count(*) from (select itemid, condition, paramid from "
                            "tb_id_standard group by itemid, condition, paramid having count(*) > "
                            "1) d");
    st.Execute();
    ASSERT_TRUE(st.Fetch());
    EXPECT_EQ(st.Text(1), "0");
}

// What the lines would judge wrongly is refused before anything is written,
// and the stamp stays: a key that another listed pair forms, a name the
// line's intake cuts, a limit that cannot be stored as its "%.2f" text.
TEST_P(SeriesStandard, RefusalsWriteNothingAndLeaveTheStamp) {
    auto stamp = [&] {
        stationdb::Statement st(db_->Admin(), "select DBModifyTime from tb_status_memstd");
        st.Execute();
        return st.Fetch() ? st.Text(1) : std::string("none");
    };
    const auto first = generator::GenerateSeriesStandard(Connection(), catalogue_, brand_, series_);
    EXPECT_EQ(first.stamp.after, stamp());
    const long long rows = RowCount();
    const std::string before = stamp();
    auto refused = [&](const std::string &brand, const std::string &series) {
        try {
            generator::GenerateSeriesStandard(Connection(), catalogue_, brand, series);
        } catch (const std::invalid_argument &e) {
            return std::string(e.what());
        }
        return std::string("written");
    };
    db_->Exec("insert into tb_type_vehicle (CPMC, CXXL) values ('A_B', 'C')");
    db_->Exec("insert into tb_type_vehicle (CPMC, CXXL) values ('a', 'B_C  ')");
    EXPECT_NE(refused("A_B", "C").find(Gbk("品牌\"A_B\"车系\"C\"与品牌\"a\"车系\"B_C\"")),
              std::string::npos);
    EXPECT_NE(refused(" A", "b_c").find(Gbk("都是\"A_b_c\"")), std::string::npos);
    std::string long24;
    for (int i = 0; i < 24; ++i) long24 += Gbk("长");
    EXPECT_EQ(generator::SeriesKeyCut(long24 + "x", series_), "");
    EXPECT_EQ(generator::SeriesKeyCut(brand_, " " + long24 + "x "), "");
    EXPECT_EQ(refused(long24 + "xy", series_), Gbk("品牌\"") + long24 + "xy" +
                                                   Gbk("\"有50字节,检测线只读入49字节(24个汉字),"
                                                       "该车系标准将无法匹配,未写入任何数据!"));
    EXPECT_NE(refused(brand_, long24 + Gbk("长")).find(Gbk("车系\"")), std::string::npos);
    Param(2231).hvalue = 1e30f;  // "%.2f" gives 34 characters
    EXPECT_EQ(refused(brand_, series_),
              Gbk("参数2231(整车制动率)的上限 1e+30 无法保存:超过20个字符,未写入任何数据!"));
    Param(2231).hvalue = 1;
    Param(2351).lvalue = INFINITY;
    EXPECT_NE(refused(brand_, series_).find(Gbk("的下限 inf 无法保存:超出范围")),
              std::string::npos);
    EXPECT_EQ(RowCount(), rows);
    EXPECT_EQ(Stored(condition_, 223, 2231), "0.00,0.00");
    EXPECT_EQ(stamp(), before);
}

// A vehicle-list row that has no GBK form cannot be a series: it is named
// and left out, and the rest of the work goes on.
TEST_P(SeriesStandard, VehicleRowsWithoutAGbkFormAreLeftOutAndNamed) {
    db_->Exec("insert into tb_type_vehicle (CPMC, CXXL) values ('\xf0\x9f\x98\x80', 'X1')");
    const generator::SeriesList list = generator::ReadSeriesList(*Connection());
    EXPECT_EQ(list.series.size(), 2u);
    ASSERT_EQ(list.skipped.size(), 1u);
    EXPECT_EQ(list.skipped[0], "\xf0\x9f\x98\x80/X1");
    EXPECT_TRUE(generator::GenerateSeriesStandard(Connection(), catalogue_, brand_, series_).ran);
}

INSTANTIATE_TEST_SUITE_P(Backends, Catalogue, ::testing::ValuesIn(testdb::Backends()),
                         testdb::BackendName);
INSTANTIATE_TEST_SUITE_P(Backends, SeriesStandard, ::testing::ValuesIn(testdb::Backends()),
                         testdb::BackendName);

}  // namespace
