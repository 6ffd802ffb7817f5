// What both platforms share of the file functions: reading a file a user
// or a station names through RegularFile, so that a FIFO, a device or a
// directory is refused before any read, and the words for a write's result.
#include <limits>
#include <string>

#include "platform/atomic_file.h"
#include "platform/regular_file.h"

namespace platform {

const char *AtomicWriteProblem(AtomicWriteResult result) {
    switch (result) {
        case AtomicWriteResult::kOk:
            return "";
        case AtomicWriteResult::kCannotCreate:
            return "it cannot be created or opened";
        case AtomicWriteResult::kWriteFailed:
            return "the write failed";
        case AtomicWriteResult::kNotRegular:
            return "it is not a regular file, a device or a FIFO: left as it is";
    }
    return "";
}

ReadResult ReadFileAtMost(const std::string &path, std::size_t maxBytes, std::string &bytes) {
    bytes.clear();
    RegularFile file;
    const ReadResult opened = file.Open(path);
    if (opened != ReadResult::kOk) return opened;
    char chunk[65536];
    long long offset = 0;
    for (;;) {
        // One byte beyond the cap tells a file of exactly maxBytes from a longer one.
        const std::size_t room = maxBytes - bytes.size();
        const std::size_t want = room < sizeof chunk ? room + 1 : sizeof chunk;
        const long long n = file.ReadAt(chunk, want, offset);
        if (n < 0) {
            bytes.clear();
            return ReadResult::kFailed;
        }
        if (n == 0) break;
        if (static_cast<std::size_t>(n) > room) {
            bytes.append(chunk, room);
            return ReadResult::kCut;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
        offset += n;
    }
    return ReadResult::kOk;
}

bool ReadWholeFile(const std::string &path, std::string &bytes) {
    return ReadFileAtMost(path, std::numeric_limits<std::size_t>::max(), bytes) == ReadResult::kOk;
}

}  // namespace platform
