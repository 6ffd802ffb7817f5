// The plug-in's life as a host sees it: load, start-up, exports, unload.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include <cstring>
#include <vector>

#include "gbk_texts.h"
#include "plinth.h"
#include "plugin_fixture.h"

using testing_support::CountOf;
using testing_support::LimbankPlugin;

TEST_F(LimbankPlugin, FullStandardModuleCopyLoadsUnloadsAndLoadsAgain) {
    ASSERT_TRUE(Load("Zk2GBStdALL.std")) << library_.LastError();
    Unload();
    ASSERT_TRUE(Load("Zk2GBStdALL.std")) << library_.LastError();
    Unload();
    const std::string trace = TraceText();
    EXPECT_EQ(CountOf(trace, texts::kLimbankInitializing), 2) << trace;
    EXPECT_EQ(CountOf(trace, texts::kLimbankTerminating), 2) << trace;
    EXPECT_LT(trace.find(texts::kLimbankTerminating), trace.rfind(texts::kLimbankInitializing));
}

TEST_F(LimbankPlugin, MissingEnvironmentLibraryDoesNotEndTheHost) {
    testing_support::TempDir empty;
    ::setenv("STATION_SYSDIR", empty.Path().c_str(), 1);
    ASSERT_TRUE(Load()) << library_.LastError();
    // The host is still here, and the plug-in answers with an empty table.
    auto getStand = Entry<int (*)(void *)>("ExtGetStand");
    ASSERT_NE(getStand, nullptr);
    std::vector<unsigned char> buffer(PLINTH_BUFFER_BYTES);
    EXPECT_EQ(getStand(buffer.data()), 0);
    const std::string trace = TraceText();
    EXPECT_EQ(CountOf(trace, texts::kPlinthMissing), 1) << trace;
    EXPECT_EQ(CountOf(trace, texts::kPlinthLoadError), 0) << trace;
}

TEST_F(LimbankPlugin, EnvironmentRecordIsNeverLargerThanItsKnownSize) {
#if defined(_WIN32)
    GTEST_SKIP() << "getrusage has no Windows form; the record size check runs on Linux";
#else
    // A library of another version claims INT_MAX bytes: the module neither
    // allocates that nor lets the library write past its record.
    ::setenv("STATION_SYSDIR", OVERSIZED_PLINTH_DIR, 1);
    struct rusage before {};
    ::getrusage(RUSAGE_SELF, &before);
    ASSERT_TRUE(Load()) << library_.LastError();
    struct rusage after {};
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64L * 1024);  // kB
    EXPECT_EQ(CountOf(TraceText(), texts::kPlinthLoadError), 1);
#endif
}

TEST_F(LimbankPlugin, FixedAnswersOfTheFamily) {
    ASSERT_TRUE(Load()) << library_.LastError();
    auto getDevData = Entry<void *(*)()>("GetDevData");
    auto init = Entry<int (*)(void *)>("ExtInit");
    auto errorInfo = Entry<void (*)(char *)>("ExtGetErrorInfo");
    auto show = Entry<int (*)(int, ExtRect)>("ExtShow");
    auto release = Entry<int (*)()>("ExtRelease");
    auto stop = Entry<int (*)()>("ExtStop");
    auto paramSave = Entry<int (*)(void *)>("ExtParamSave");
    ASSERT_TRUE(getDevData && init && errorInfo && show && release && stop && paramSave);

    auto *record = static_cast<unsigned char *>(getDevData());
    EXPECT_EQ(record[39], 0);
    EXPECT_EQ(init(nullptr), 1);
    EXPECT_EQ(record[39], 1);
    EXPECT_EQ(record[1], 2);

    char text[1000];
    std::memset(text, 'x', sizeof text);
    errorInfo(text);
    EXPECT_EQ(text[0], '\0');
    EXPECT_EQ(text[1], 'x');
    errorInfo(nullptr);

    EXPECT_EQ(show(1, ExtRect{0, 0, 100, 100}), -1000);
    EXPECT_EQ(release(), 1);
    EXPECT_EQ(stop(), -1000);
    EXPECT_EQ(paramSave(nullptr), -1000);
    for (const char *name :
         {"ExtInitStd", "ExtInitResult", "ExtInitCalib", "ExtRun", "ExtMove", "ExtGetType",
          "ExtGetInfo", "ExtGetItem", "ExtGetResult", "ExtGetCalib"}) {
        auto entry = Entry<int (*)(void *)>(name);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_EQ(entry(nullptr), -1000) << name;
    }
}

TEST_F(LimbankPlugin, ExportsExactlyTheFamily) {
    ASSERT_TRUE(Load()) << library_.LastError();
    // Internal names stay hidden behind the version script.
    EXPECT_EQ(
        library_.Symbol(
            "_ZN5store13StandardTable11FindStandardEiSt17basic_string_viewIcSt11char_traitsIcEE"),
        nullptr);
    EXPECT_EQ(library_.Symbol("GetPlinth"), nullptr);
    EXPECT_NE(library_.Symbol("ExtGetCondition"), nullptr);
}
