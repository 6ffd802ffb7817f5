#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/wait.h>
#endif

#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "allocation_counter.h"
#include "gbk_texts.h"
#include "platform/trace.h"
#include "store/standard_file_format.h"
#include "store/standard_table.h"
#include "store_records.h"
#include "temp_dir.h"

namespace store {
namespace {

using store_test::FileHeader;
using store_test::FileRecord;
using store_test::Rec;
using testing_support::Gbk;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

// Collects the notices given while it is alive.
class NoticeRecorder {
  public:
    NoticeRecorder() {
        platform::SetNoticeHook([this](std::string_view t) { notices_.emplace_back(t); });
    }
    ~NoticeRecorder() { platform::SetNoticeHook({}); }
    const std::vector<std::string> &Notices() const { return notices_; }

  private:
    std::vector<std::string> notices_;
};

std::size_t FileCount(const std::string &dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(dir)) ++n;
    return n;
}

TEST(StandardFile, WritesTheExactBytesInTableOrder) {
    StandardTable table;
    table.InsertRecord(Rec(5, 276, "A", 7001, 1.5f, 0.25f));
    table.InsertRecord(Rec(3, 216, "x", 1, -2.0f, 0.0f));
    table.InsertRecord(Rec(5, 276, "A", 7003, 2.0f, 0.0f));
    TempDir dir;
    const std::string path = dir.File(sfd::kFileName);
    ASSERT_EQ(table.WriteFile(path), 1);

    const std::string zeros149(149, '\0');
    const std::string expected =
        Bytes("\x03\x00\x00\x00\xFE\x01\x00\x00") +  // 3 records, 510 bytes
        Bytes("\x05\x00\x00\x00\x14\x01\x00\x00") + "A" + zeros149 +
        Bytes("\x59\x1B\x00\x00\x00\x00\xC0\x3F\x00\x00\x80\x3E") +  // 7001, 1.5, 0.25
        Bytes("\x05\x00\x00\x00\x14\x01\x00\x00") + "A" + zeros149 +
        Bytes("\x5B\x1B\x00\x00\x00\x00\x00\x40\x00\x00\x00\x00") +  // 7003, 2.0, 0
        Bytes("\x03\x00\x00\x00\xD8\x00\x00\x00") + "x" + zeros149 +
        Bytes("\x01\x00\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00");  // 1, -2.0, 0
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST(StandardFile, GbkConditionOf149BytesRoundTrips) {
    std::string condition;
    for (int i = 0; i < 74; ++i) condition += Gbk("汽");
    condition += "a";
    ASSERT_EQ(condition.size(), 149u);
    StandardTable table;
    table.InsertRecord(Rec(7, 204, condition, 3, 4.5f, -1.0f));
    TempDir dir;
    const std::string path = dir.File(sfd::kFileName);
    ASSERT_EQ(table.WriteFile(path), 1);
    const std::string bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 8u + 170u);
    EXPECT_EQ(bytes[8 + 8 + 149], '\0');  // the terminator is the field's last byte

    StandardTable loaded;
    ASSERT_EQ(loaded.LoadFromFile(path), 1);
    ASSERT_EQ(loaded.RecordCount(), 1u);
    const StdCondition &c = loaded.Devices()[0].items[0].conditions[0];
    EXPECT_EQ(c.condition, condition);
    EXPECT_EQ(c.params[0].hvalue, 4.5f);
    EXPECT_EQ(c.params[0].lvalue, -1.0f);
}

TEST(StandardFile, FieldWithoutTerminatorGivesItsFirst149Bytes) {
    TempDir dir;
    const std::string path = dir.File(sfd::kFileName);
    WriteBytes(path, FileHeader(1, 170) + FileRecord(1, 216, std::string(150, 'w'), 1));
    StandardTable table;
    ASSERT_EQ(table.LoadFromFile(path), 1);
    EXPECT_EQ(table.Devices()[0].items[0].conditions[0].condition, std::string(149, 'w'));
}

// Malformed files: what the loader returns and how many records it takes.
struct MalformedCase {
    const char *name;
    std::string bytes;
    int result;
    std::size_t records;
    bool damaged;  // header, size and what was read disagree
};

const std::string kR1 = FileRecord(1, 216, "a", 1);
const std::string kR2 = FileRecord(1, 216, "b", 2);
const std::string kR3 = FileRecord(2, 223, "c", 3);
const std::string kThree = kR1 + kR2 + kR3;

void PrintTo(const MalformedCase &c, std::ostream *os) {
    *os << c.name;
}

class StandardFileMalformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(StandardFileMalformed, TakesOnlyWholeRecordsWithinBytesAndCount) {
    const MalformedCase &c = GetParam();
    TempDir dir;
    const std::string path = dir.File(sfd::kFileName);
    WriteBytes(path, c.bytes);
    StandardTable table;
    table.InsertRecord(Rec(9, 216, "stale", 1));  // a load starts from an empty table
    std::size_t traces = 0;
    platform::SetTraceHook([&](std::string_view) { ++traces; });
    StandardFileReport report;
    store_test::AllocationCounter allocations;
    EXPECT_EQ(table.LoadFromFile(path, &report), c.result);
    const std::size_t largest = allocations.Largest();
    platform::SetTraceHook({});
    EXPECT_EQ(table.RecordCount(), c.records);
    // The buffer follows the file, never the header's byte count.
    EXPECT_LT(largest, c.bytes.size() + 4096);
    EXPECT_EQ(report.readRecords, c.records);
    EXPECT_EQ(report.Damaged(), c.damaged);
    EXPECT_EQ(traces, c.damaged ? 1u : 0u) << "a damaged file leaves one trace line";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StandardFileMalformed,
    ::testing::Values(
        MalformedCase{"Whole", FileHeader(3, 510) + kThree, 1, 3, false},
        MalformedCase{"ZeroLength", "", 0, 0, false},
        MalformedCase{"ShortHeader", FileHeader(1, 170).substr(0, 5), 0, 0, false},
        MalformedCase{"ByteCountZero", FileHeader(3, 0) + kThree, 0, 0, true},
        MalformedCase{"ByteCountNegative", FileHeader(3, -510) + kThree, 0, 0, true},
        MalformedCase{"HeaderOnly", FileHeader(1, 170), 1, 0, true},
        MalformedCase{"Truncated", FileHeader(3, 510) + kR1 + kR2 + kR3.substr(0, 85), 1, 2, true},
        MalformedCase{"MoreBytesThanHeader", FileHeader(2, 340) + kThree, 1, 2, true},
        MalformedCase{"HugeByteCount", FileHeader(3, 0x7FFFFFFF) + kThree, 1, 3, true},
        MalformedCase{"CountAboveBytes", FileHeader(1000, 510) + kThree, 1, 3, true},
        MalformedCase{"CountBelowBytes", FileHeader(1, 510) + kThree, 1, 1, true},
        MalformedCase{"CountZero", FileHeader(0, 510) + kThree, 1, 0, true},
        MalformedCase{"CountNegative", FileHeader(-1, 510) + kThree, 1, 0, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(StandardFile, MissingFileDirectoryOrFifoFails) {
    TempDir dir;
    StandardTable table;
    table.InsertRecord(Rec(1, 216, "a", 1));
    EXPECT_EQ(table.LoadFromFile(dir.File("absent.sfd")), 0);
    EXPECT_EQ(table.RecordCount(), 0u);
    EXPECT_EQ(table.LoadFromFile(dir.Path()), 0);
#if !defined(_WIN32)  // Windows has no FIFOs: windows_platform_test refuses devices and pipes
    // A FIFO without a writer would block a plain open for ever: the alarm
    // makes that a failure, not a hang.
    const std::string fifo = dir.File(sfd::kFileName);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::string> traces;
    platform::SetTraceHook([&](std::string_view t) { traces.emplace_back(t); });
    ::alarm(10);
    EXPECT_EQ(table.LoadFromFile(fifo), 0);
    ::alarm(0);
    platform::SetTraceHook({});
    EXPECT_EQ(traces, std::vector<std::string>{fifo + ": not a regular file, not read\n"});
#endif
}

TEST(StandardFile, GarbageNeverBreaksTheTableInvariants) {
    std::mt19937 rng(1234);
    TempDir dir;
    const std::string path = dir.File(sfd::kFileName);
    for (int round = 0; round < 40; ++round) {
        std::string bytes = round % 2 == 0 ? FileHeader(60, 60 * 170) : std::string();
        const std::size_t size = rng() % (70 * 170);
        for (std::size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>(rng() % 256));
        // Half of the records get a device id the loader accepts.
        for (std::size_t at = 8; round % 2 == 0 && at + 4 <= bytes.size(); at += 340)
            bytes.replace(at, 4, store_test::Le32(1 + rng() % 200));
        WriteBytes(path, bytes);
        StandardTable table;
        const int result = table.LoadFromFile(path);
        ASSERT_TRUE(result == 0 || result == 1);
        EXPECT_LE(table.Devices().size(), static_cast<std::size_t>(kMaxDevices));
        for (const StdDevice &d : table.Devices()) {
            EXPECT_GE(d.devid, 1);
            EXPECT_LE(d.devid, kMaxDeviceId);
            for (const StdItem &item : d.items)
                for (const StdCondition &c : item.conditions) {
                    EXPECT_LE(c.condition.size(), 149u);
                    EXPECT_EQ(c.condition.find('\0'), std::string::npos);
                }
        }
    }
}

// The whole table as text, for comparing two tables.
std::string Dump(const StandardTable &table) {
    std::string out;
    for (const StdDevice &d : table.Devices()) {
        out += "D" + std::to_string(d.devid) + "\n";
        for (const StdItem &item : d.items) {
            out += " I" + std::to_string(item.itemid) + "\n";
            for (const StdCondition &c : item.conditions) {
                out += "  C[" + c.condition + "]";
                for (const StdParam &p : c.params)
                    out += " " + std::to_string(p.paramid) + "=" + std::to_string(p.hvalue) + "/" +
                           std::to_string(p.lvalue);
                out += "\n";
            }
        }
    }
    return out;
}

TEST(StandardFile, LoadEqualsInsertingTheRecordsInFileOrder) {
    std::mt19937 rng(99);
    const std::string texts[] = {"a",
                                 "ab",
                                 "abc",
                                 "AB",
                                 "",
                                 std::string(149, 'z'),
                                 std::string(150, 'z'),
                                 std::string("ab\0junk", 7)};
    TempDir dir;
    const std::string path = dir.File(sfd::kFileName);
    for (int round = 0; round < 20; ++round) {
        std::string bytes;
        StandardTable expected;
        int records = 0;
        while (records < 400) {
            // Runs of records with one key, as a written file has them.
            const int32_t devid = static_cast<int32_t>(rng() % 8) - 1 + (rng() % 10 == 0 ? 200 : 0);
            const int32_t itemid = 216 + static_cast<int32_t>(rng() % 3);
            const std::string &text = texts[rng() % std::size(texts)];
            for (int run = 1 + static_cast<int>(rng() % 5); run > 0; --run, ++records) {
                const int32_t paramid = static_cast<int32_t>(rng() % 6);
                const float h = static_cast<float>(records);
                bytes += FileRecord(devid, itemid, text, paramid, h, -h);
                if (devid >= 1 && devid <= kMaxDeviceId) {
                    std::string_view cut(text.data(), std::min<std::size_t>(text.find('\0'), 149));
                    expected.InsertRecord(Rec(devid, itemid, cut, paramid, h, -h));
                }
            }
        }
        WriteBytes(path, FileHeader(records, records * 170) + bytes);
        StandardTable loaded;
        ASSERT_EQ(loaded.LoadFromFile(path), 1);
        ASSERT_EQ(Dump(loaded), Dump(expected)) << "round " << round;
    }
}

TEST(StandardFile, DeviceIdsOutside1To200AreSkipped) {
    TempDir dir;
    const std::string path = dir.File(sfd::kFileName);
    WriteBytes(path, FileHeader(5, 850) + FileRecord(0, 216, "a", 1) + FileRecord(-1, 223, "a", 1) +
                         FileRecord(201, 224, "a", 1) + FileRecord(200, 225, "a", 1) +
                         FileRecord(1, 226, "a", 1));
    StandardTable table;
    StandardFileReport report;
    std::vector<std::string> traces;
    platform::SetTraceHook([&](std::string_view t) { traces.emplace_back(t); });
    ASSERT_EQ(table.LoadFromFile(path, &report), 1);
    platform::SetTraceHook({});
    EXPECT_EQ(report.refusedRecords, 3u);
    EXPECT_TRUE(report.Damaged()) << "refused records make a file damaged";
    EXPECT_EQ(traces,
              std::vector<std::string>{path + ": header announces 5 records (850 bytes), the file "
                                              "has 858 bytes; 5 records read, 3 refused\n"});
    ASSERT_EQ(table.Devices().size(), 2u);
    EXPECT_EQ(table.Devices()[0].devid, 200);
    EXPECT_EQ(table.Devices()[1].devid, 1);
    const store::ItemSet &present = table.PresentItems();
    EXPECT_EQ(present.IsItemSelected(216), 0);
    EXPECT_EQ(present.IsItemSelected(223), 0);
    EXPECT_EQ(present.IsItemSelected(224), 0);
    EXPECT_EQ(present.IsItemSelected(225), 1);
    EXPECT_EQ(present.IsItemSelected(226), 1);
}

TEST(StandardFile, PresentItemsOnlyGainFlags) {
    TempDir dir;
    const std::string a = dir.File("a.sfd"), b = dir.File("b.sfd");
    WriteBytes(a, FileHeader(2, 340) + FileRecord(1, 216, "a", 1) + FileRecord(1, 999, "a", 1));
    WriteBytes(b, FileHeader(1, 170) + FileRecord(1, 223, "a", 1));
    std::vector<std::string> traces;
    platform::SetTraceHook([&](std::string_view t) { traces.emplace_back(t); });
    StandardTable table;
    EXPECT_EQ(table.LoadFromFile(a), 1);
    platform::SetTraceHook({});
    EXPECT_EQ(table.RecordCount(), 2u);  // an unknown item is stored all the same
    EXPECT_EQ(traces, std::vector<std::string>{std::string(Gbk("没有这个项目??[999]"))});
    EXPECT_EQ(table.LoadFromFile(b), 1);
    EXPECT_EQ(table.LoadFromFile(dir.File("absent.sfd")), 0);
    EXPECT_EQ(table.PresentItems().IsItemSelected(216), 1);
    EXPECT_EQ(table.PresentItems().IsItemSelected(223), 1);
}

// Writer failures: result, notice, and the old file stays as it was.
class StandardFileWriter : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = dir_.File(sfd::kFileName);
        WriteBytes(path_, "old content");
    }
    void ExpectOldFileOnly() {
        EXPECT_EQ(ReadBytes(path_), "old content");
        EXPECT_EQ(FileCount(dir_.Path()), 1u);  // no temporary file left behind
    }
    TempDir dir_;
    std::string path_;
};

TEST_F(StandardFileWriter, EmptyTableGivesZero) {
    StandardTable table;
    NoticeRecorder notices;
    EXPECT_EQ(table.WriteFile(path_), 0);
    EXPECT_EQ(notices.Notices(), std::vector<std::string>{texts::kNoStandardFound});
    ExpectOldFileOnly();
}

TEST_F(StandardFileWriter, DevicesWithoutParametersGiveMinus5) {
    StandardTable table;
    ASSERT_TRUE(table.AppendDevice(1));
    ASSERT_TRUE(table.AppendItem(0, 216));
    ASSERT_TRUE(table.AppendCondition(0, 0, "a"));
    NoticeRecorder notices;
    EXPECT_EQ(table.WriteFile(path_), -5);
    EXPECT_EQ(notices.Notices(), std::vector<std::string>{texts::kNoStandardFound2});
    ExpectOldFileOnly();
}

TEST_F(StandardFileWriter, UncreatableFileGivesMinus8WithoutNotice) {
    StandardTable table;
    table.InsertRecord(Rec(1, 216, "a", 1));
    NoticeRecorder notices;
    EXPECT_EQ(table.WriteFile(path_ + "/sub/" + sfd::kFileName), -8);  // under a regular file
    EXPECT_TRUE(notices.Notices().empty());
    ExpectOldFileOnly();
}

TEST_F(StandardFileWriter, DiskFullGivesMinus7) {
#if defined(_WIN32)
    GTEST_SKIP() << "no fork or RLIMIT_FSIZE on Windows to make a disk full";
#else
    StandardTable table;
    for (int p = 1; p <= 3; ++p) table.InsertRecord(Rec(1, 216, "a", p));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Writes past 100 bytes fail with EFBIG instead of raising SIGXFSZ.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string notice;
        platform::SetNoticeHook([&](std::string_view t) { notice.assign(t); });
        const int result = table.WriteFile(path_);
        ::_exit(notice == texts::kException ? static_cast<unsigned char>(result) : 99);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(static_cast<signed char>(WEXITSTATUS(status)), -7);
    ExpectOldFileOnly();
#endif
}

TEST_F(StandardFileWriter, SuccessReplacesTheFile) {
    StandardTable table;
    table.InsertRecord(Rec(1, 216, "a", 1));
    table.InsertRecord(Rec(1, 216, "a", 2));
    EXPECT_EQ(table.WriteFile(path_), 1);
    const std::string bytes = ReadBytes(path_);
    ASSERT_EQ(bytes.size(), 8u + 2 * 170u);
    EXPECT_EQ(bytes.substr(0, 8), FileHeader(2, 340));
    EXPECT_EQ(FileCount(dir_.Path()), 1u);
}

}  // namespace
}  // namespace store
