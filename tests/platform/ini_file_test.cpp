#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/trace.h"
#include "temp_dir.h"

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

TEST(IniFile, ReadsWithWindowsSemantics) {
    TempDir dir;
    const std::string path = dir.File("a.ini");
    WriteBytes(path,
               "; comment\r\n[Other]\r\nTIME=1\r\n[CreateTime]\r\n  time =  \"42\"  \r\n"
               "Text = hello world \r\nbad=x12\r\nneg=-7\r\n[CREATETIME]\r\nTIME=99\r\n");
    EXPECT_EQ(platform::GetProfileString(path, "CREATETIME", "TIME", "d"), "42");
    EXPECT_EQ(platform::GetProfileString(path, "createtime", "text", "d"), "hello world");
    EXPECT_EQ(platform::GetProfileString(path, "CREATETIME", "missing", "dflt"), "dflt");
    EXPECT_EQ(platform::GetProfileString(path, "nosection", "TIME", "dflt"), "dflt");
    EXPECT_EQ(platform::GetProfileString(dir.File("none.ini"), "a", "b", "dflt"), "dflt");
    EXPECT_EQ(platform::GetProfileInt(path, "CREATETIME", "TIME", 5), 42);
    EXPECT_EQ(platform::GetProfileInt(path, "CREATETIME", "bad", 5), 0);
    EXPECT_EQ(platform::GetProfileInt(path, "CREATETIME", "neg", 5), -7);
    EXPECT_EQ(platform::GetProfileInt(path, "CREATETIME", "missing", 5), 5);
}

TEST(IniFile, WriteKeepsEveryOtherLine) {
    TempDir dir;
    const std::string path = dir.File("memstd.ini");
    WriteBytes(path, "; keep me\n[A]\nx=1\n\n[CREATETIME]\nTIME=1\nother=\xd6\xd0\n");
    ASSERT_TRUE(platform::WriteProfileString(path, "createtime", "time", "77"));
    EXPECT_EQ(ReadBytes(path), "; keep me\n[A]\nx=1\n\n[CREATETIME]\ntime=77\nother=\xd6\xd0\n");
    ASSERT_TRUE(platform::WriteProfileString(path, "A", "y", "2"));
    EXPECT_EQ(platform::GetProfileString(path, "A", "y", ""), "2");
    EXPECT_EQ(platform::GetProfileString(path, "A", "x", ""), "1");
    ASSERT_TRUE(platform::WriteProfileString(path, "New", "k", "v"));
    EXPECT_EQ(platform::GetProfileString(path, "new", "K", ""), "v");
    EXPECT_EQ(platform::GetProfileInt(path, "CREATETIME", "TIME", 0), 77);
}

TEST(IniFile, WriteCreatesTheFile) {
    TempDir dir;
    const std::string path = dir.File("fresh.ini");
    ASSERT_TRUE(platform::WriteProfileString(path, "CREATETIME", "TIME", "5"));
    EXPECT_EQ(ReadBytes(path), "[CREATETIME]\nTIME=5\n");
}

TEST(IniFile, FailedWriteLeavesOldFile) {
    TempDir dir;
    WriteBytes(dir.File("regular"), "x");
    // A directory under a regular file cannot exist, even for root.
    EXPECT_FALSE(platform::WriteProfileString(dir.File("regular/sub.ini"), "A", "b", "c"));
    EXPECT_EQ(ReadBytes(dir.File("regular")), "x");
}

TEST(IniFile, SectionIsReadWholeAndReplacedWhole) {
    TempDir dir;
    const std::string path = dir.File("odbc.ini");
    WriteBytes(path,
               "[one]\r\nDriver = SQLite3\r\n; note\r\nDatabase=\"a b\"\r\n\r\n"
               "[Two]\nx=1\n[ONE]\nlate=1\n");
    const platform::ProfileSection one = platform::GetProfileSection(path, "One");
    EXPECT_EQ(one, (platform::ProfileSection{{"Driver", "SQLite3"}, {"Database", "a b"}}));
    EXPECT_TRUE(platform::GetProfileSection(path, "missing").empty());

    // Every section of the name goes; the others stay as they were.
    ASSERT_TRUE(platform::WriteProfileSection(path, "one", {{"Driver", "FreeTDS"}}));
    EXPECT_EQ(ReadBytes(path), "[Two]\nx=1\n\n[one]\nDriver = FreeTDS\n");
    EXPECT_FALSE(platform::WriteProfileSection(path, "bad]name", {}));
    EXPECT_FALSE(platform::WriteProfileSection(path, "ok", {{"k=", "v"}}));
    EXPECT_FALSE(platform::WriteProfileSection(path, "ok", {{"k", "v\n"}}));
    EXPECT_EQ(ReadBytes(path), "[Two]\nx=1\n\n[one]\nDriver = FreeTDS\n");
}

// The reading of a FIFO or device through GetPlinth is tested with plinth.
// The alarm turns a reader blocked on the FIFO into a failure, not a hang.
TEST(IniFileFaults, FifoIsNotReplacedAndHugeFilesAreCutWithATrace) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no FIFOs: devices and pipes are refused in windows_platform_test";
#else
    TempDir dir;
    const std::string fifo = dir.File("memstd.ini"), big = dir.File("big.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string text =
        "[A]\nk=1\n" + std::string(platform::kProfileReadLimit, ';') + "\n[B]\nk=2\n";
    WriteBytes(big, text);
    std::vector<std::string> traces;
    platform::SetTraceHook([&](std::string_view t) { traces.emplace_back(t); });
    ::alarm(20);
    EXPECT_FALSE(platform::WriteProfileString(fifo, "CREATETIME", "TIME", "1"));
    EXPECT_EQ(platform::GetProfileString(big, "B", "k", "d"), "d") << "beyond the cap";
    EXPECT_FALSE(platform::WriteProfileString(big, "A", "k", "3")) << "would lose the tail";
    ::alarm(0);
    platform::SetTraceHook({});
    EXPECT_EQ(ReadBytes(big), text);
    const std::string cut = big + ": larger than " + std::to_string(platform::kProfileReadLimit) +
                            " bytes, read stopped there\n";
    EXPECT_EQ(traces,
              (std::vector<std::string>{fifo + ": not a regular file, not read\n", cut, cut}));
#endif
}
