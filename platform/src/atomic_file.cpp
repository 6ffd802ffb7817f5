#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <vector>

#include "gbk_texts.h"
#include "platform/trace.h"

namespace platform {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
    const char *p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

AtomicWriteResult WriteFileAtomically(const std::string &path, std::string_view bytes) {
    std::vector<char> tmpl(path.begin(), path.end());
    static const char kSuffix[] = ".tmp.XXXXXX";
    tmpl.insert(tmpl.end(), kSuffix, kSuffix + sizeof kSuffix);  // with its NUL
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return AtomicWriteResult::kCannotCreate;
    const std::string tmpPath(tmpl.data());
    // mkstemp creates 0600; a standard file is shared with other programs of the station.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(tmpPath.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(tmpPath.c_str());
        return AtomicWriteResult::kWriteFailed;
    }
    return AtomicWriteResult::kOk;
}

ReadResult ReadFileAtMost(const std::string &path, std::size_t maxBytes, std::string &bytes) {
    bytes.clear();
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for one.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return errno == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return ReadResult::kFailed;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        TraceF(texts::kFileNotRegular, path.c_str());
        return ReadResult::kNotRegular;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (st.st_size > 0) bytes.reserve(std::min(static_cast<std::size_t>(st.st_size), maxBytes));
    char chunk[65536];
    for (;;) {
        // One byte beyond the cap tells a file of exactly maxBytes from a longer one.
        const std::size_t room = maxBytes - bytes.size();
        const std::size_t want = room < sizeof chunk ? room + 1 : sizeof chunk;
        ssize_t n = ::read(fd, chunk, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            bytes.clear();
            return ReadResult::kFailed;
        }
        if (n == 0) break;
        if (static_cast<std::size_t>(n) > room) {
            bytes.append(chunk, room);
            ::close(fd);
            return ReadResult::kCut;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadResult::kOk;
}

bool ReadWholeFile(const std::string &path, std::string &bytes) {
    return ReadFileAtMost(path, std::numeric_limits<std::size_t>::max(), bytes) == ReadResult::kOk;
}

}  // namespace platform
