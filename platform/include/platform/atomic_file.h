#pragma once
// Replacing a file so that a reader sees the old content or the new, never a
// part: the bytes go to a temporary file in the same directory, which is
// flushed to disk and renamed over the target.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

enum class AtomicWriteResult {
    kOk,
    kCannotCreate,  // no temporary file could be created in the directory
    kWriteFailed,   // a write, flush or rename failed; the temporary file is removed
};

AtomicWriteResult WriteFileAtomically(const std::string &path, std::string_view bytes);

enum class ReadResult {
    kOk,
    kCut,         // the file holds more than asked: `bytes` has the first maxBytes
    kMissing,     // no such file
    kNotRegular,  // a FIFO, device, directory or socket: refused, a trace line says so
    kFailed,      // it could not be opened or read
};

// Reads at most `maxBytes` of a regular file into `bytes` (emptied first).
// The file is opened without blocking and checked before any read, so a FIFO
// or a device in its place never hangs nor feeds the reader without end.
ReadResult ReadFileAtMost(const std::string &path, std::size_t maxBytes, std::string &bytes);

// Reads the whole of a regular file; false when it is missing, not a regular
// file (see ReadFileAtMost) or cannot be read.
bool ReadWholeFile(const std::string &path, std::string &bytes);

}  // namespace platform
