#pragma once
// A regular file opened for reading at offsets. Opening never blocks and
// refuses what is not a regular file (FIFO, device, directory), so a reader
// is never stalled nor fed without end.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/atomic_file.h"

namespace platform {

class RegularFile {
  public:
    RegularFile() = default;
    ~RegularFile() { Close(); }
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    // kOk, kMissing, kNotRegular (with a trace line) or kFailed.
    ReadResult Open(const std::string &path);
    void Close();
    bool IsOpen() const { return handle_ != kClosed; }
    // The size when it was opened.
    long long Size() const { return size_; }
    // Reads up to `size` bytes at `offset`; the number read (short at the
    // end of the file), or -1 on an error.
    long long ReadAt(char *buffer, std::size_t size, long long offset) const;

  private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t handle_ = kClosed;  // a descriptor or a HANDLE
    long long size_ = 0;
};

}  // namespace platform
