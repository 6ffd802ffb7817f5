// The parameter mask and its file CXmask.cfg.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "generator/mask_table.h"
#include "platform/coding.h"
#include "temp_dir.h"

namespace {

using generator::MaskChangeResult;
using generator::MaskLoadResult;
using generator::MaskTable;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

std::string MaskFile(int32_t count, std::initializer_list<std::pair<int32_t, int32_t>> entries) {
    std::string bytes(generator::kMaskFileBytes, '\0');
    platform::EncodeFixed32(bytes.data(), static_cast<uint32_t>(count));
    std::size_t n = 0;
    for (auto [paramid, flag] : entries) {
        platform::EncodeFixed32(bytes.data() + 4 + 8 * n, static_cast<uint32_t>(paramid));
        platform::EncodeFixed32(bytes.data() + 8 + 8 * n, static_cast<uint32_t>(flag));
        ++n;
    }
    return bytes;
}

class Mask : public ::testing::Test {
  protected:
    std::string Path() const { return dir_.File("CXmask.cfg"); }
    TempDir dir_;
    MaskTable mask_;
};

TEST_F(Mask, MaskUnmaskMaskLeavesAHoleAndTheFileSaysSo) {
    EXPECT_EQ(mask_.ChangeMask({{2231, true}}, Path()), MaskChangeResult::kSaved);
    EXPECT_EQ(mask_.ChangeMask({{2231, false}}, Path()), MaskChangeResult::kSaved);
    EXPECT_FALSE(mask_.IsMasked(2231));
    EXPECT_EQ(mask_.ChangeMask({{2231, true}, {2232, false}}, Path()), MaskChangeResult::kSaved);
    EXPECT_EQ(ReadBytes(Path()), MaskFile(2, {{0, 0}, {2231, 1}}));
    MaskTable loaded;
    loaded.LoadMask(Path());
    EXPECT_TRUE(loaded.IsMasked(2231));
    EXPECT_EQ(loaded.FindMaskEntry(2231), 2);
    EXPECT_EQ(loaded.MaskedParams(), std::vector<int32_t>{2231});
}

TEST_F(Mask, CountBoundsIsMaskedButNotFindMaskEntry) {
    WriteBytes(Path(), MaskFile(1, {{2231, 1}, {2232, 1}}));
    mask_.LoadMask(Path());
    EXPECT_TRUE(mask_.IsMasked(2231));
    EXPECT_FALSE(mask_.IsMasked(2232));
    EXPECT_EQ(mask_.FindMaskEntry(2232), 2);
    // Count 0 masks nothing, whatever the slots hold.
    WriteBytes(Path(), MaskFile(0, {{2231, 1}}));
    mask_.LoadMask(Path());
    EXPECT_FALSE(mask_.IsMasked(2231));
}

// Only a missing file is an empty mask: a file that is cut, too long, holds
// a count outside the table, is a directory or a FIFO is an error and leaves
// the table empty (a FIFO without a writer does not hang the reader).
TEST_F(Mask, OnlyAMissingFileIsAnEmptyMask) {
    WriteBytes(Path(), MaskFile(1, {{2231, 1}}));
    ASSERT_EQ(mask_.LoadMask(Path()), MaskLoadResult::kLoaded);
    EXPECT_EQ(mask_.LoadMask(dir_.File("missing.cfg")), MaskLoadResult::kMissing);
    EXPECT_EQ(mask_.Count(), 0);
    EXPECT_EQ(generator::MaskLoadProblem(MaskLoadResult::kMissing, Path()), "");

    const std::string whole = MaskFile(1, {{2231, 1}});
    for (const auto &[bytes, expected] :
         {std::pair{whole.substr(0, 8), MaskLoadResult::kWrongSize},
          std::pair{whole.substr(0, 4), MaskLoadResult::kWrongSize},
          std::pair{whole + "x", MaskLoadResult::kWrongSize},
          std::pair{MaskFile(999999, {{2231, 1}}), MaskLoadResult::kBadCount},
          std::pair{MaskFile(-1, {{2231, 1}}), MaskLoadResult::kBadCount}}) {
        WriteBytes(Path(), whole);
        ASSERT_EQ(mask_.LoadMask(Path()), MaskLoadResult::kLoaded);
        WriteBytes(Path(), bytes);
        EXPECT_EQ(mask_.LoadMask(Path()), expected) << bytes.size();
        EXPECT_EQ(mask_.Count(), 0);
        EXPECT_FALSE(mask_.IsMasked(2231));
        EXPECT_EQ(mask_.FindMaskEntry(2231), -1);
        EXPECT_NE(generator::MaskLoadProblem(expected, Path()).find(Path()), std::string::npos);
    }

    std::filesystem::create_directory(dir_.File("directory.cfg"));
    EXPECT_EQ(mask_.LoadMask(dir_.File("directory.cfg")), MaskLoadResult::kNotRegular);
    ASSERT_EQ(::mkfifo(dir_.File("fifo.cfg").c_str(), 0600), 0);
    EXPECT_EQ(mask_.LoadMask(dir_.File("fifo.cfg")), MaskLoadResult::kNotRegular);
    EXPECT_EQ(mask_.LoadMask("/dev/zero"), MaskLoadResult::kNotRegular);
    EXPECT_EQ(mask_.Count(), 0);
}

TEST_F(Mask, AFullTableIsCompactedAndOnlyRefusedWhenTrulyFull) {
    std::vector<generator::MaskChoice> all;
    for (int32_t p = 1; p <= static_cast<int32_t>(generator::kMaskSlots); ++p)
        all.push_back({p, true});
    ASSERT_EQ(mask_.ChangeMask(all, Path()), MaskChangeResult::kSaved);
    EXPECT_EQ(mask_.ChangeMask({{99999, true}}, Path()), MaskChangeResult::kFull);
    EXPECT_FALSE(mask_.IsMasked(99999));
    // Unmasking one frees a slot: the next mask compacts the hole away.
    ASSERT_EQ(mask_.ChangeMask({{7, false}}, Path()), MaskChangeResult::kSaved);
    ASSERT_EQ(mask_.ChangeMask({{99999, true}}, Path()), MaskChangeResult::kSaved);
    EXPECT_EQ(mask_.Count(), static_cast<int32_t>(generator::kMaskSlots));
    EXPECT_TRUE(mask_.IsMasked(99999));
    EXPECT_TRUE(mask_.IsMasked(8));
    EXPECT_EQ(mask_.FindMaskEntry(8), 7);
}

TEST_F(Mask, AnUnwritableFileKeepsTheOldOne) {
    ASSERT_EQ(mask_.ChangeMask({{2231, true}}, Path()), MaskChangeResult::kSaved);
    const std::string before = ReadBytes(Path());
    // A path under a regular file cannot be created, even by root.
    EXPECT_EQ(mask_.ChangeMask({{2232, true}}, Path() + "/sub"), MaskChangeResult::kWriteFailed);
    EXPECT_EQ(ReadBytes(Path()), before);
}

}  // namespace
