// Input files a user names: "-" for the standard input, every other path
// through ReadFileAtMost (a regular file, opened without blocking), both
// read up to a bound that fits what the file holds.
#include <cstdio>
#include <string>

#include "platform/atomic_file.h"

namespace platform {

ReadResult ReadInputFile(const std::string &path, std::size_t maxBytes, std::string &bytes) {
    if (path != "-") return ReadFileAtMost(path, maxBytes, bytes);
    bytes.clear();
    char chunk[65536];
    for (;;) {
        // One byte beyond the cap tells an input of exactly maxBytes from a longer one.
        const std::size_t room = maxBytes - bytes.size();
        const std::size_t want = room < sizeof chunk ? room + 1 : sizeof chunk;
        const std::size_t n = std::fread(chunk, 1, want, stdin);
        if (n > room) {
            bytes.append(chunk, room);
            return ReadResult::kCut;
        }
        bytes.append(chunk, n);
        if (n < want) return std::ferror(stdin) ? ReadResult::kFailed : ReadResult::kOk;
    }
}

std::string InputFileProblem(ReadResult result, const std::string &path, const std::string &kind,
                             std::size_t maxBytes) {
    const std::string name = path == "-" ? kind + " on standard input" : kind + " " + path;
    switch (result) {
        case ReadResult::kOk:
            return {};
        case ReadResult::kCut:
            return name + " is larger than " + std::to_string(maxBytes) + " bytes: not read";
        case ReadResult::kMissing:
            return name + " does not exist";
        case ReadResult::kNotRegular:
            return name + " is not a regular file (a directory, a FIFO or a device): not read";
        case ReadResult::kFailed:
            break;
    }
    return "cannot read " + name;
}

}  // namespace platform
