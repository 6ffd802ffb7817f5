#pragma once
// Replacing a file so that a reader sees the old content or the new, never a
// part: the bytes go to a temporary file in the same directory, which is
// flushed to disk and renamed over the target. Only a regular file or a new
// path is replaced so: a device or a FIFO is written in place, and anything
// else (a directory, a socket, a block device) is refused, never renamed over.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

enum class AtomicWriteResult {
    kOk,
    kCannotCreate,  // no temporary file could be created in the directory
    kWriteFailed,   // a write, flush or rename failed; the temporary file is removed
    kNotRegular,    // the path names a directory, a socket or a block device: nothing written
};

// Writes `bytes` to `path`:
// - a new path, or a regular file (through a symbolic link: the file it
//   names), is replaced atomically as above;
// - an existing character device or FIFO (/dev/null, /dev/stdout, a pipe) is
//   opened and written in place; a FIFO without a reader is not waited for
//   (kCannotCreate);
// - "-" is the standard output (stdio's buffer is flushed first);
// - anything else is refused (kNotRegular) and left as it is.
AtomicWriteResult WriteFileAtomically(const std::string &path, std::string_view bytes);

// Why a write failed, in a few English words ("" for kOk).
const char *AtomicWriteProblem(AtomicWriteResult result);

enum class NewFileResult {
    kOk,
    kExists,        // something is there already (a dangling symbolic link too): left as it is
    kCannotCreate,  // the directory is missing or not writable
    kWriteFailed,   // a write or flush failed; the new file is removed
};

// Creates `path`, which must not exist, with `bytes` in it, flushed to disk;
// never replaces nor follows anything in its place. `ownerOnly`: readable and
// writable by its owner alone (mode 0600 on Linux; on Windows the
// directory's access rules apply), else as the umask leaves it.
NewFileResult CreateNewFile(const std::string &path, std::string_view bytes, bool ownerOnly);

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

// ReadFileAtMost for a file a user names: "-" is the standard input, read
// up to `maxBytes` like a file.
ReadResult ReadInputFile(const std::string &path, std::size_t maxBytes, std::string &bytes);

// "PATH: not a regular file", "PATH: larger than N bytes, not read" and the
// like for a result other than kOk, in English; `kind` names what the file
// should have been ("the vehicle file").
std::string InputFileProblem(ReadResult result, const std::string &path, const std::string &kind,
                             std::size_t maxBytes);

// Reads the whole of a regular file; false when it is missing, not a regular
// file (see ReadFileAtMost) or cannot be read.
bool ReadWholeFile(const std::string &path, std::string &bytes);

}  // namespace platform
