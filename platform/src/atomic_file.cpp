#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

AtomicWriteResult WriteInPlace(int fd, std::string_view bytes) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const bool ok = WriteAll(fd, bytes);
    return ok ? AtomicWriteResult::kOk : AtomicWriteResult::kWriteFailed;
}

AtomicWriteResult ReplaceRegular(const std::string &path, std::string_view bytes) {
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

}  // namespace

AtomicWriteResult WriteFileAtomically(const std::string &path, std::string_view bytes) {
    if (path == "-") {
        std::fflush(stdout);
        return WriteAll(STDOUT_FILENO, bytes) ? AtomicWriteResult::kOk
                                              : AtomicWriteResult::kWriteFailed;
    }
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? ReplaceRegular(path, bytes) : AtomicWriteResult::kCannotCreate;
    if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) {
        // O_NONBLOCK: a FIFO that nobody reads fails (ENXIO) instead of waiting.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return AtomicWriteResult::kCannotCreate;
        struct stat opened;
        AtomicWriteResult result = AtomicWriteResult::kNotRegular;
        // What was opened is what was looked at: no swap for a regular file in between.
        if (::fstat(fd, &opened) == 0 && (S_ISCHR(opened.st_mode) || S_ISFIFO(opened.st_mode)))
            result = WriteInPlace(fd, bytes);
        return ::close(fd) == 0 || result != AtomicWriteResult::kOk
                   ? result
                   : AtomicWriteResult::kWriteFailed;
    }
    if (!S_ISREG(st.st_mode)) return AtomicWriteResult::kNotRegular;
    // A symbolic link stays: the file it names is replaced.
    struct stat link;
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char *target = ::realpath(path.c_str(), nullptr)) {
            const std::string resolved(target);
            std::free(target);
            return ReplaceRegular(resolved, bytes);
        }
    }
    return ReplaceRegular(path, bytes);
}

NewFileResult CreateNewFile(const std::string &path, std::string_view bytes, bool ownerOnly) {
    // O_EXCL with O_CREAT fails on any existing name, a symbolic link included.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                          ownerOnly ? 0600 : 0666);
    if (fd < 0) return errno == EEXIST ? NewFileResult::kExists : NewFileResult::kCannotCreate;
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) return NewFileResult::kOk;
    ::unlink(path.c_str());
    return NewFileResult::kWriteFailed;
}

}  // namespace platform
