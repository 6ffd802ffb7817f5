#include "platform/trace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "temp_dir.h"

using testing_support::ReadBytes;
using testing_support::TempDir;

namespace {

class TraceTest : public ::testing::Test {
  protected:
    void TearDown() override {
        ::unsetenv("STATION_TRACE");
        platform::SetTraceHook({});
        platform::SetNoticeHook({});
    }
};

}  // namespace

TEST_F(TraceTest, AppendsGbkLinesToTheTraceFile) {
    TempDir dir;
    const std::string path = dir.File("trace.log");
    ::setenv("STATION_TRACE", path.c_str(), 1);
    platform::Trace("first\n");
    platform::TraceF("item [%d]", 999);
    platform::Trace("\xd6\xd0");
    EXPECT_EQ(ReadBytes(path), "first\nitem [999]\n\xd6\xd0\n");
}

TEST_F(TraceTest, GoesNowhereWithoutTarget) {
    ::unsetenv("STATION_TRACE");
    std::vector<std::string> seen;
    platform::SetTraceHook([&](std::string_view t) { seen.emplace_back(t); });
    platform::Trace("x");
    EXPECT_EQ(seen, std::vector<std::string>{"x"});
}

TEST_F(TraceTest, NoticeGoesToStderrAsUtf8AndToTheTrace) {
    TempDir dir;
    const std::string path = dir.File("trace.log");
    ::setenv("STATION_TRACE", path.c_str(), 1);
    std::vector<std::string> notices;
    platform::SetNoticeHook([&](std::string_view t) { notices.emplace_back(t); });
    ::testing::internal::CaptureStderr();
    platform::Notice("\xd2\xec\xb3\xa3");  // 异常
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "异常\n");
    EXPECT_EQ(notices, std::vector<std::string>{"\xd2\xec\xb3\xa3"});
    EXPECT_EQ(ReadBytes(path), "\xd2\xec\xb3\xa3\n");
}

TEST_F(TraceTest, DashMeansStderrInUtf8) {
    ::setenv("STATION_TRACE", "-", 1);
    ::testing::internal::CaptureStderr();
    platform::Trace("\xd2\xec\xb3\xa3");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "异常\n");
}
