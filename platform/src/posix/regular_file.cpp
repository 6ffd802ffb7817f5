#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "gbk_texts.h"
#include "platform/trace.h"

namespace platform {

ReadResult RegularFile::Open(const std::string &path) {
    Close();
    // O_NONBLOCK: a FIFO without a writer would block the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
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
    handle_ = fd;
    size_ = static_cast<long long>(st.st_size);
    return ReadResult::kOk;
}

void RegularFile::Close() {
    if (handle_ != kClosed) ::close(static_cast<int>(handle_));
    handle_ = kClosed;
    size_ = 0;
}

long long RegularFile::ReadAt(char *buffer, std::size_t size, long long offset) const {
    if (handle_ == kClosed) return -1;
    const int fd = static_cast<int>(handle_);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::pread(fd, buffer + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

}  // namespace platform
