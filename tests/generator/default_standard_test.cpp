// The default standard computed by the real limits plug-in, installed as the
// full standard module in the station's module directory, on the seed data.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "generator/editor_session.h"
#include "generator_fixture.h"
#include "platform/dynamic_library.h"
#include "temp_dir.h"
#include "test_database.h"

namespace {

using generator_test::RecordingSink;
using testing_support::Gbk;
using testing_support::TempDir;
using testing_support::WriteBytes;

// A sedan as the conditions dialog gives it: numbers as typed, coded values by name.
generator::VehicleConditions Sedan() {
    return {"1580",      "",          "5",           "185", "1230",         Gbk("4x2前驱"),
            Gbk("轿车"), Gbk("汽油"), Gbk("两灯制"), "",    Gbk("自然进气")};
}

class DefaultStandard : public ::testing::Test {
  protected:
    void SetUp() override {
        db_ = testdb::MakeEditorStation(station_);
        connection_.Open(db_->ConnectString());
        session_ = std::make_unique<generator::EditorSession>(
            state_, [this] { return &connection_; }, messages_);
        session_->Open(reinterpret_cast<const void *>(&Sedan));
        ASSERT_EQ(session_->LoadCatalogue(), 1);
    }
    void TearDown() override {
        session_.reset();
        ::unsetenv("PLINTH_ENV");
    }

    TempDir station_;
    std::unique_ptr<testdb::TestDatabase> db_;
    stationdb::Connection connection_;
    generator::EditorState state_;
    RecordingSink messages_;
    std::unique_ptr<generator::EditorSession> session_;
};

TEST_F(DefaultStandard, LimitsAreThoseTheLimitsPluginJudgesForTheSameVehicle) {
    ASSERT_TRUE(session_->FullModuleLoaded());
    ASSERT_EQ(session_->ComputeDefault(Sedan()), generator::DefaultStandardResult::kComputed);
    // Names became codes; numbers stayed as typed.
    InfoEntry fuel{}, mass{};
    ASSERT_EQ(session_->Plinth().ParseStdHead_Info(state_.buffers.info.data(), 1005, &fuel), 1);
    ASSERT_EQ(session_->Plinth().ParseStdHead_Info(state_.buffers.info.data(), 1088, &mass), 1);
    EXPECT_STREQ(fuel.text, "10050001");
    EXPECT_STREQ(mass.text, "1580");

    // The same information buffer judged by a separately loaded liblimbank.so.
    platform::DynamicLibrary limbank;
    ASSERT_TRUE(limbank.Open(std::string(STATION_TEST_LIB_DIR) + "/liblimbank.so"));
    auto initInfo = reinterpret_cast<int (*)(void *)>(limbank.Symbol("ExtInitInfo"));
    auto getStand = reinterpret_cast<int (*)(void *)>(limbank.Symbol("ExtGetStand"));
    ASSERT_EQ(initInfo(state_.buffers.info.data()), 1);
    std::vector<unsigned char> judged(PLINTH_BUFFER_BYTES);
    ASSERT_GT(getStand(judged.data()), 0);

    const generator::AppliedDefault applied = session_->ApplyDefault();
    ASSERT_TRUE(applied.applied);
    ASSERT_FALSE(applied.rows.empty());
    for (const auto &row : applied.rows) {
        StdEntry e{};
        ASSERT_EQ(session_->Plinth().ParseStdHead_Std(judged.data(), row.paramid, &e), 1)
            << row.paramid;
        const float upper = e.hvalue, lower = e.lvalue;  // packed fields, read by value
        EXPECT_EQ(row.hvalue, upper) << row.paramid;
        EXPECT_EQ(row.lvalue, lower) << row.paramid;
        EXPECT_EQ(state_.catalogue.Find(row.at)->hvalue, upper);
    }
    // A hydraulic-brake passenger car: at least 60 % braking ratio.
    EXPECT_EQ(state_.catalogue.FindParam(2231)->lvalue, 60.0f);
}

TEST_F(DefaultStandard, MaskedParametersKeepTheirLimitsButAreStillGenerated) {
    ASSERT_EQ(session_->ChangeMask({{2231, true}}), generator::MaskChangeResult::kSaved);
    // 2231 is measured on two devices: both places keep their limit.
    state_.catalogue.ForEachParam([](auto &, auto &, generator::CatalogueParam &p, const auto &) {
        if (p.paramid == 2231) p.lvalue = 12.5f;
    });
    ASSERT_EQ(session_->ComputeDefault(Sedan()), generator::DefaultStandardResult::kComputed);
    const generator::AppliedDefault applied = session_->ApplyDefault();
    for (const auto &row : applied.rows) EXPECT_NE(row.paramid, 2231);
    state_.catalogue.ForEachParam([](auto &, auto &, generator::CatalogueParam &p, const auto &) {
        if (p.paramid == 2231) {
            EXPECT_EQ(p.lvalue, 12.5f);
        }
    });
    EXPECT_EQ(state_.catalogue.FindParam(2232)->lvalue, 50.0f);

    ASSERT_TRUE(session_->Generate(Gbk("大众"), Gbk("捷达")).ran);
    stationdb::Statement st(
        db_->Admin(), "select lvalue from tb_id_standard where paramid = 2231 and condition = ?");
    st.BindText(1, Gbk("大众_捷达"));
    st.Execute();
    ASSERT_TRUE(st.Fetch());
    EXPECT_EQ(st.Text(1), "12.50");
    // The mask file is where the editor's next session finds it.
    generator::MaskTable reread;
    reread.LoadMask(station_.File("config/CXmask.cfg"));
    EXPECT_TRUE(reread.IsMasked(2231));
}

TEST_F(DefaultStandard, WithoutTheModuleNothingIsComputedAndTheUserIsTold) {
    session_->Close();
    std::filesystem::remove(station_.File("modules/Zk2GBStdALL.std"));
    session_->Open(reinterpret_cast<const void *>(&Sedan));
    EXPECT_FALSE(session_->FullModuleLoaded());
    state_.catalogue.FindParam(2231)->lvalue = 7;
    EXPECT_EQ(session_->ComputeDefault(Sedan()), generator::DefaultStandardResult::kModuleMissing);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, Gbk("全标准模块不存在?[ZK2STDALL.DLL]"));
    EXPECT_FALSE(session_->ApplyDefault().applied);
    EXPECT_EQ(state_.catalogue.FindParam(2231)->lvalue, 7.0f);
}

}  // namespace
