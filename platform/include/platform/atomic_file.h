#pragma once
// Replacing a file so that a reader sees the old content or the new, never a
// part: the bytes go to a temporary file in the same directory, which is
// flushed to disk and renamed over the target.
#include <string>
#include <string_view>

namespace platform {

enum class AtomicWriteResult {
    kOk,
    kCannotCreate,  // no temporary file could be created in the directory
    kWriteFailed,   // a write, flush or rename failed; the temporary file is removed
};

AtomicWriteResult WriteFileAtomically(const std::string &path, std::string_view bytes);

// Reads the whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string &path, std::string &bytes);

}  // namespace platform
