#include "platform/regular_file.h"

#include <windows.h>

#include "gbk_texts.h"
#include "platform/trace.h"

namespace platform {

ReadResult RegularFile::Open(const std::string &path) {
    Close();
    // FILE_SHARE_DELETE: a writer may replace the file while it is read.
    HANDLE h = ::CreateFileA(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::kMissing
                                                                              : ReadResult::kFailed;
    }
    // Only a disk file that is not a directory is read: a pipe, a console or
    // a device is refused before any read.
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ::CloseHandle(h);
        TraceF(texts::kFileNotRegular, path.c_str());
        return ReadResult::kNotRegular;
    }
    handle_ = reinterpret_cast<std::intptr_t>(h);
    size_ = (static_cast<long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return ReadResult::kOk;
}

void RegularFile::Close() {
    if (handle_ != kClosed) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = kClosed;
    size_ = 0;
}

long long RegularFile::ReadAt(char *buffer, std::size_t size, long long offset) const {
    if (handle_ == kClosed || offset < 0) return -1;
    HANDLE h = reinterpret_cast<HANDLE>(handle_);
    std::size_t done = 0;
    while (done < size) {
        const unsigned long long at = static_cast<unsigned long long>(offset) + done;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        const std::size_t left = size - done;
        const DWORD want = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!::ReadFile(h, buffer + done, want, &got, &where)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            return -1;
        }
        if (got == 0) break;
        done += got;
    }
    return static_cast<long long>(done);
}

}  // namespace platform
