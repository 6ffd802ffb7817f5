#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstring>
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

static int Entries(const std::string &dir) {
    int entries = 0;
    for (auto &e : std::filesystem::directory_iterator(dir)) (void)e, ++entries;
    return entries;
}

// Only a regular file or a new path is renamed over; a directory or a socket
// is left as it is and nothing is written beside it.
TEST(AtomicFile, WhatIsNotARegularFileDeviceOrFifoIsRefused) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("target"));
    WriteBytes(dir.File("target/inside"), "keep");
    EXPECT_EQ(platform::WriteFileAtomically(dir.File("target"), "data"),
              platform::AtomicWriteResult::kNotRegular);
    EXPECT_EQ(ReadBytes(dir.File("target/inside")), "keep");
    EXPECT_EQ(Entries(dir.Path()), 1);

#if !defined(_WIN32)  // sockets, devices, FIFOs and links: POSIX only
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir.File("s");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    EXPECT_EQ(platform::WriteFileAtomically(socketPath, "data"),
              platform::AtomicWriteResult::kNotRegular);
    struct stat st {};
    ASSERT_EQ(::lstat(socketPath.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    ::close(sock);
    EXPECT_EQ(Entries(dir.Path()), 2);
#endif
}

#if !defined(_WIN32)
// A character device or a FIFO is written in place, never replaced: a link
// to /dev/null stays a link to a device, a FIFO stays a FIFO and its reader
// gets the bytes; a FIFO nobody reads is not waited for.
TEST(AtomicFile, DevicesAndFifosAreWrittenInPlace) {
    TempDir dir;
    const std::string null = dir.File("null");
    std::filesystem::create_symlink("/dev/null", null);
    EXPECT_EQ(platform::WriteFileAtomically(null, "gone"), platform::AtomicWriteResult::kOk);
    EXPECT_TRUE(std::filesystem::is_symlink(null));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_EQ(Entries(dir.Path()), 1);

    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(platform::WriteFileAtomically(fifo, "nobody"),
              platform::AtomicWriteResult::kCannotCreate);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(platform::WriteFileAtomically(fifo, "through"), platform::AtomicWriteResult::kOk);
    char got[16] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 7);
    EXPECT_STREQ(got, "through");
    ::close(reader);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_EQ(Entries(dir.Path()), 2);
}

// A link to a regular file stays a link: the file it names is replaced.
TEST(AtomicFile, ALinkToARegularFileKeepsTheLink) {
    TempDir dir;
    WriteBytes(dir.File("real"), "old");
    std::filesystem::create_symlink(dir.File("real"), dir.File("link"));
    EXPECT_EQ(platform::WriteFileAtomically(dir.File("link"), "new"),
              platform::AtomicWriteResult::kOk);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link")));
    EXPECT_EQ(ReadBytes(dir.File("real")), "new");
    EXPECT_EQ(Entries(dir.Path()), 2);
}

// A user's input file: "-" is the standard input; a FIFO, a device or a
// directory is refused at once; a file past its bound is not taken.
TEST(InputFile, ReadsRegularFilesAndStandardInputUpToTheirBound) {
    TempDir dir;
    std::string bytes;
    WriteBytes(dir.File("f"), "12345");
    EXPECT_EQ(platform::ReadInputFile(dir.File("f"), 5, bytes), platform::ReadResult::kOk);
    EXPECT_EQ(bytes, "12345");
    EXPECT_EQ(platform::ReadInputFile(dir.File("f"), 4, bytes), platform::ReadResult::kCut);
    EXPECT_NE(platform::InputFileProblem(platform::ReadResult::kCut, dir.File("f"), "the file", 4)
                  .find("larger than 4 bytes"),
              std::string::npos);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    for (const std::string &path : {dir.File("fifo"), std::string("/dev/zero"), dir.Path()})
        EXPECT_EQ(platform::ReadInputFile(path, 1 << 20, bytes), platform::ReadResult::kNotRegular)
            << path;
    EXPECT_EQ(platform::ReadInputFile(dir.File("missing"), 5, bytes),
              platform::ReadResult::kMissing);

    FILE *saved = std::tmpfile();
    ASSERT_NE(saved, nullptr);
    const int stdinCopy = ::dup(STDIN_FILENO);
    std::fputs("from stdin", saved);
    std::rewind(saved);
    ::dup2(::fileno(saved), STDIN_FILENO);
    std::clearerr(stdin);
    const platform::ReadResult cut = platform::ReadInputFile("-", 4, bytes);
    ::dup2(stdinCopy, STDIN_FILENO);
    ::close(stdinCopy);
    std::fclose(saved);
    std::clearerr(stdin);
    EXPECT_EQ(cut, platform::ReadResult::kCut);
    EXPECT_EQ(bytes, "from");
}
#endif
