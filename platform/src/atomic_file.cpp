#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

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

bool ReadWholeFile(const std::string &path, std::string &bytes) {
    bytes.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char chunk[65536];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

}  // namespace platform
