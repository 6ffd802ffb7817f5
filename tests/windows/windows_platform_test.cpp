// What the Windows implementation of the platform layer adds to the shared
// platform tests: devices and pipes refused by every reader, the system
// directory of GetSystemDirectoryA, backslash paths, code page 936 without
// best-fit characters, LoadLibraryA's errors, and replacing a file that a
// reader holds open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/dynamic_library.h"
#include "platform/gbk.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/regular_file.h"
#include "platform/system_directory.h"
#include "platform/trace.h"
#include "temp_dir.h"

// After the platform headers: windows.h names its own profile functions
// GetProfileStringA & co. through macros of the same names.
#include <windows.h>
#undef GetProfileString
#undef WriteProfileString

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {

// A pipe server end, so that one client open of `Name()` succeeds at once.
class NamedPipe {
  public:
    explicit NamedPipe(const char *suffix) {
        name_ = "\\\\.\\pipe\\station-test-" + std::to_string(::GetCurrentProcessId()) + suffix;
        handle_ = ::CreateNamedPipeA(name_.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT,
                                     1, 4096, 4096, 0, nullptr);
    }
    ~NamedPipe() {
        if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    }
    bool Ok() const { return handle_ != INVALID_HANDLE_VALUE; }
    const std::string &Name() const { return name_; }

  private:
    std::string name_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

class ScopedVariable {
  public:
    ScopedVariable(const char *name, const char *value) : name_(name) {
        if (const char *old = std::getenv(name)) old_ = old, had_ = true;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedVariable() {
        if (had_)
            ::setenv(name_.c_str(), old_.c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }

  private:
    std::string name_, old_;
    bool had_ = false;
};

}  // namespace

TEST(WindowsFiles, DevicesPipesAndDirectoriesAreNeverRead) {
    TempDir dir;
    std::vector<std::string> traces;
    platform::SetTraceHook([&](std::string_view t) { traces.emplace_back(t); });
    // A pipe takes one client: each reader gets a pipe of its own.
    NamedPipe first("a"), second("b");
    ASSERT_TRUE(first.Ok() && second.Ok());
    for (const std::string &path : {std::string("NUL"), first.Name(), dir.Path()}) {
        std::string bytes = "stale";
        EXPECT_EQ(platform::ReadFileAtMost(path, 100, bytes), platform::ReadResult::kNotRegular)
            << path;
        EXPECT_TRUE(bytes.empty()) << path;
    }
    for (const std::string &path : {std::string("NUL"), second.Name(), dir.Path()}) {
        platform::RegularFile file;
        EXPECT_EQ(file.Open(path), platform::ReadResult::kNotRegular) << path;
        EXPECT_FALSE(file.IsOpen());
    }
    // The INI reader takes a device for a missing file and never replaces it.
    EXPECT_EQ(platform::GetProfileString("NUL", "env", "configDirectory", "none"), "none");
    EXPECT_FALSE(platform::WriteProfileString("NUL", "CREATETIME", "TIME", "1"));
    platform::SetTraceHook({});
    ASSERT_EQ(traces.size(), 8u);
    EXPECT_EQ(traces[0], "NUL: not a regular file, not read\n");
    EXPECT_EQ(traces[1], first.Name() + ": not a regular file, not read\n");
    EXPECT_EQ(traces[4], second.Name() + ": not a regular file, not read\n");
}

TEST(WindowsFiles, MissingFileIsMissingAndRegularFileReadsAtOffsets) {
    TempDir dir;
    platform::RegularFile file;
    EXPECT_EQ(file.Open(dir.File("absent.sfd")), platform::ReadResult::kMissing);
    EXPECT_EQ(file.Open(dir.File("no\\such\\dir.sfd")), platform::ReadResult::kMissing);
    WriteBytes(dir.File("f.bin"), std::string("0123456789", 10));
    ASSERT_EQ(file.Open(dir.File("f.bin")), platform::ReadResult::kOk);
    EXPECT_EQ(file.Size(), 10);
    char buffer[8] = {};
    EXPECT_EQ(file.ReadAt(buffer, 4, 3), 4);
    EXPECT_EQ(std::string(buffer, 4), "3456");
    EXPECT_EQ(file.ReadAt(buffer, 8, 8), 2) << "short at the end";
    EXPECT_EQ(file.ReadAt(buffer, 8, 10), 0);
}

// A reader holding the standard file open (another line program loading
// it) keeps Windows from replacing it: the write fails whole, the reader's
// file stays as it was, no temporary file is left, and the next write after
// the reader is done succeeds.
TEST(WindowsFiles, ReplacementWhileAReaderHoldsTheFileFailsWhole) {
    TempDir dir;
    const std::string path = dir.File("StandarFile.sfd");
    WriteBytes(path, "old bytes");
    auto temporaries = [&] {
        int n = 0;
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA(dir.File("*.tmp.*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return 0;
        do ++n;
        while (::FindNextFileA(search, &found));
        ::FindClose(search);
        return n;
    };
    {
        platform::RegularFile reader;
        ASSERT_EQ(reader.Open(path), platform::ReadResult::kOk);
        const platform::AtomicWriteResult held = platform::WriteFileAtomically(path, "new bytes");
        char buffer[9] = {};
        EXPECT_EQ(reader.ReadAt(buffer, 9, 0), 9);
        EXPECT_EQ(std::string(buffer, 9), "old bytes");
        if (held == platform::AtomicWriteResult::kOk) {
            // A system that renames over a file open with delete sharing:
            // the reader still sees the old bytes, the name the new ones.
            EXPECT_EQ(ReadBytes(path), "new bytes");
        } else {
            EXPECT_EQ(held, platform::AtomicWriteResult::kWriteFailed);
            EXPECT_EQ(ReadBytes(path), "old bytes");
        }
        EXPECT_EQ(temporaries(), 0);
    }
    ASSERT_EQ(platform::WriteFileAtomically(path, "newer bytes"), platform::AtomicWriteResult::kOk);
    EXPECT_EQ(ReadBytes(path), "newer bytes");
    EXPECT_EQ(temporaries(), 0);
}

TEST(WindowsSystemDirectory, IsGetSystemDirectoryUnlessStationSysdirIsSet) {
    char system[MAX_PATH + 1] = {};
    ASSERT_GT(::GetSystemDirectoryA(system, MAX_PATH), 0u);
    {
        ScopedVariable unset("STATION_SYSDIR", nullptr);
        EXPECT_EQ(platform::SystemDirectory(nullptr), system);
    }
    {
        ScopedVariable set("STATION_SYSDIR", "D:\\station\\lib");
        EXPECT_EQ(platform::SystemDirectory(nullptr), "D:\\station\\lib");
    }
    char program[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    ASSERT_GT(n, 0u);
    std::string expected(program, n);
    expected.erase(expected.find_last_of('\\'));
    static const char anchor = 0;  // an object of this program
    EXPECT_EQ(platform::ModuleDirectory(&anchor), expected);
}

TEST(WindowsPaths, JoinWithBackslash) {
    EXPECT_EQ(platform::JoinPath("C:\\station\\config", "StandarFile.sfd"),
              "C:\\station\\config\\StandarFile.sfd");
    EXPECT_EQ(platform::JoinPath("C:\\", "Plinth.dll"), "C:\\Plinth.dll");
    EXPECT_EQ(platform::JoinPath("/tmp/station/config", "memstd.ini"),
              "/tmp/station/config\\memstd.ini");
    EXPECT_EQ(platform::JoinPath("", "Plinth.dll"), "Plinth.dll");
    for (const char *absolute : {"C:\\x", "c:/x", "\\\\server\\share", "/tmp/x", "\\x"})
        EXPECT_TRUE(platform::IsAbsolutePath(absolute)) << absolute;
    for (const char *relative : {"station", "C:station", ".\\x", ""})
        EXPECT_FALSE(platform::IsAbsolutePath(relative)) << relative;
}

// Code page 936 has best-fit look-alikes for many characters GBK lacks
// (accented capitals become plain letters): strict conversion refuses them,
// as iconv does on Linux.
TEST(WindowsGbk, NoBestFitCharacters) {
    std::string gbk = "untouched";
    EXPECT_FALSE(platform::Utf8ToGbk("\xC3\x80", gbk)) << "U+00C0";  // À
    EXPECT_TRUE(gbk.empty());
    EXPECT_FALSE(platform::Utf8ToGbk("a\xC3\xA4", gbk)) << "U+00E4";     // ä
    EXPECT_FALSE(platform::Utf8ToGbk("\xE2\x84\xA2", gbk)) << "U+2122";  // ™
    EXPECT_FALSE(platform::Utf8ToGbk("\xED\xA0\x80", gbk)) << "a UTF-8 surrogate";
    ASSERT_TRUE(platform::Utf8ToGbk("\xC3\xA0", gbk));  // à is GBK (pinyin)
    EXPECT_EQ(gbk, "\xa8\xa4");
    std::string utf8;
    EXPECT_FALSE(platform::GbkToUtf8("\x81\x20", utf8)) << "a lead byte before a space";
    EXPECT_EQ(platform::GbkToUtf8Lossy("\xd6\xd0\x81"), "\xe4\xb8\xad?");
}

TEST(WindowsLibraries, LoadFailureNamesTheFileAndTheSystemError) {
    TempDir dir;
    platform::DynamicLibrary library;
    const std::string missing = dir.File("Plinth.dll");
    EXPECT_FALSE(library.Open(missing));
    EXPECT_NE(library.LastError().find(missing), std::string::npos) << library.LastError();
    EXPECT_NE(library.LastError().find("126"), std::string::npos) << library.LastError();
    WriteBytes(missing, "not a DLL");
    EXPECT_FALSE(library.Open(missing));
    EXPECT_FALSE(library.IsOpen());
    ASSERT_TRUE(library.Open("kernel32.dll")) << library.LastError();
    EXPECT_NE(library.Symbol("GetSystemDirectoryA"), nullptr);
    EXPECT_EQ(library.Symbol("NoSuchExport"), nullptr);
}
