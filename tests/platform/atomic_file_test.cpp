#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_dir.h"

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

TEST(AtomicFile, ReplacesContentAndLeavesNoTemporary) {
    TempDir dir;
    const std::string path = dir.File("f.bin");
    WriteBytes(path, "old");
    ASSERT_EQ(platform::WriteFileAtomically(path, std::string("new\0bytes", 9)),
              platform::AtomicWriteResult::kOk);
    EXPECT_EQ(ReadBytes(path), std::string("new\0bytes", 9));
    int entries = 0;
    for (auto &e : std::filesystem::directory_iterator(dir.Path())) (void)e, ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(AtomicFile, CannotCreateInAMissingDirectory) {
    TempDir dir;
    WriteBytes(dir.File("regular"), "x");
    EXPECT_EQ(platform::WriteFileAtomically(dir.File("regular/f.bin"), "data"),
              platform::AtomicWriteResult::kCannotCreate);
}

TEST(AtomicFile, RenameOntoADirectoryFailsAndCleansUp) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("target"));
    WriteBytes(dir.File("target/inside"), "keep");
    EXPECT_EQ(platform::WriteFileAtomically(dir.File("target"), "data"),
              platform::AtomicWriteResult::kWriteFailed);
    EXPECT_EQ(ReadBytes(dir.File("target/inside")), "keep");
    int entries = 0;
    for (auto &e : std::filesystem::directory_iterator(dir.Path())) (void)e, ++entries;
    EXPECT_EQ(entries, 1);
}
