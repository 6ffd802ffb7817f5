#include "bridges/plinth_bridge.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gbk_texts.h"
#include "platform/trace.h"
#include "temp_dir.h"

namespace {

const void *Here() {
    return reinterpret_cast<const void *>(&Here);
}

// Points the bridge at `dir` for one test and collects the notices.
class PlinthBridgeTest : public ::testing::Test {
  protected:
    void UseSystemDirectory(const std::string &dir) { ::setenv("STATION_SYSDIR", dir.c_str(), 1); }
    void SetUp() override {
        platform::SetNoticeHook([this](std::string_view t) { notices_.emplace_back(t); });
    }
    void TearDown() override {
        ::setenv("STATION_SYSDIR", STATION_TEST_LIB_DIR, 1);
        platform::SetNoticeHook({});
    }
    std::vector<std::string> notices_;
};

}  // namespace

TEST_F(PlinthBridgeTest, EveryOperationIsAbsentBeforeLoading) {
    bridges::PlinthBridge plinth;
    StdHead head{};
    char text[8] = " x ";
    EXPECT_EQ(plinth.GetPlinthStrSize(), -1000);
    EXPECT_EQ(plinth.ParseStdHead(text, &head), -1000);
    EXPECT_EQ(plinth.WriteStdHead_Std(text, 1, 0, 0), -1000);
    EXPECT_EQ(plinth.GetMainID(10820001), -1000);
    plinth.TrimLeft(text, ' ');
    EXPECT_STREQ(text, " x ");
}

TEST_F(PlinthBridgeTest, LoadsTheRealLibrary) {
    bridges::PlinthBridge plinth;
    ASSERT_EQ(plinth.LoadPlinth(1, Here()), 1);
    EXPECT_EQ(plinth.GetPlinthStrSize(), PLINTH_ENV_SIZE);
    char text[8] = "  x";
    plinth.TrimLeft(text, ' ');
    EXPECT_STREQ(text, "x");
    plinth.UnloadPlinth();
    EXPECT_FALSE(plinth.IsLoaded());
    EXPECT_EQ(plinth.GetPlinthStrSize(), -1000);
    EXPECT_TRUE(notices_.empty());
}

TEST_F(PlinthBridgeTest, MissingFileGivesNoticeAndMinusOne) {
    testing_support::TempDir empty;
    UseSystemDirectory(empty.Path());
    bridges::PlinthBridge plinth;
    EXPECT_EQ(plinth.LoadPlinth(1, Here()), -1);
    EXPECT_EQ(notices_, std::vector<std::string>{texts::kPlinthMissing});
    EXPECT_EQ(plinth.GetField("a,b", nullptr, 0), -1000);
}

TEST_F(PlinthBridgeTest, MissingNameGivesItsPosition) {
    UseSystemDirectory(FAKE_PLINTH_DIR);
    bridges::PlinthBridge plinth;
    // GetPlinthStrSize, GetPlinth and GetField resolve; ParseStdHead (position 3) is missing.
    EXPECT_EQ(plinth.LoadPlinth(4, Here()), -5);
    char out[PLINTH_FIELD_BYTES];
    EXPECT_EQ(plinth.GetField("a", out, 0), 1);
    EXPECT_STREQ(out, "fake");
    StdHead head{};
    EXPECT_EQ(plinth.ParseStdHead(out, &head), -1000);
    EXPECT_EQ(plinth.GetMainID(1), -1000);
    EXPECT_TRUE(notices_.empty());
}

TEST_F(PlinthBridgeTest, WrongRecordSize) {
    UseSystemDirectory(FAKE_PLINTH_DIR);
    bridges::PlinthBridge plinth;
    EXPECT_EQ(plinth.LoadPlinth(8, Here()), -9999);
    EXPECT_EQ(plinth.GetMainID(10820001), 10820001);  // what resolved stays usable
}

TEST_F(PlinthBridgeTest, NoSystemDirectory) {
    ::unsetenv("STATION_SYSDIR");
    bridges::PlinthBridge plinth;
    EXPECT_EQ(plinth.LoadPlinth(1, nullptr), -1000);
    EXPECT_TRUE(notices_.empty());
}

TEST(PlinthFileName, PerVariant) {
    EXPECT_STREQ(bridges::PlinthFileName(1), "libplinth.so");
    EXPECT_STREQ(bridges::PlinthFileName(2), "libplinth2b.so");
    EXPECT_STREQ(bridges::PlinthFileName(4), "libplinth4b.so");
    EXPECT_STREQ(bridges::PlinthFileName(8), "libplinth8b.so");
    EXPECT_STREQ(bridges::PlinthFileName(16), "libplinth16b.so");
    EXPECT_STREQ(bridges::PlinthFileName(3), "libplinth.so");
}
