// Windows: the new bytes go to a temporary file in the target's directory,
// FlushFileBuffers puts them on disk, and MoveFileExA with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH puts the file in place.
#include "platform/atomic_file.h"

#include <windows.h>

#include <cstdio>
#include <limits>

#include "platform/regular_file.h"

namespace platform {
namespace {

// "path.tmp.<pid>.<n>", created exclusively (CREATE_NEW), so two writers
// never share one.
HANDLE CreateTemporary(const std::string &path, std::string &tmpPath) {
    static volatile LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".tmp.%lu.%ld",
                      static_cast<unsigned long>(::GetCurrentProcessId()),
                      static_cast<long>(::InterlockedIncrement(&counter)));
        tmpPath = path + suffix;
        HANDLE h = ::CreateFileA(tmpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) return h;
        if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE h, std::string_view bytes) {
    const char *p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const DWORD want = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD done = 0;
        if (!::WriteFile(h, p, want, &done, nullptr) || done == 0) return false;
        p += done;
        left -= done;
    }
    return true;
}

AtomicWriteResult ReplaceRegular(const std::string &path, std::string_view bytes) {
    std::string tmpPath;
    HANDLE h = CreateTemporary(path, tmpPath);
    if (h == INVALID_HANDLE_VALUE) return AtomicWriteResult::kCannotCreate;
    bool ok = WriteAll(h, bytes) && ::FlushFileBuffers(h);
    ok = ::CloseHandle(h) && ok;
    if (ok)
        ok = ::MoveFileExA(tmpPath.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) {
        ::DeleteFileA(tmpPath.c_str());
        return AtomicWriteResult::kWriteFailed;
    }
    return AtomicWriteResult::kOk;
}

}  // namespace

AtomicWriteResult WriteFileAtomically(const std::string &path, std::string_view bytes) {
    if (path == "-") {
        std::fflush(stdout);
        HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
        if (out == INVALID_HANDLE_VALUE || out == nullptr) return AtomicWriteResult::kCannotCreate;
        return WriteAll(out, bytes) ? AtomicWriteResult::kOk : AtomicWriteResult::kWriteFailed;
    }
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return AtomicWriteResult::kNotRegular;
    // A device (NUL, CON, COM1) or a named pipe is written in place.
    HANDLE existing = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (existing != INVALID_HANDLE_VALUE) {
        const DWORD type = ::GetFileType(existing);
        if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) {
            const bool ok = WriteAll(existing, bytes);
            ::CloseHandle(existing);
            return ok ? AtomicWriteResult::kOk : AtomicWriteResult::kWriteFailed;
        }
        ::CloseHandle(existing);
        if (type != FILE_TYPE_DISK) return AtomicWriteResult::kNotRegular;
    }
    return ReplaceRegular(path, bytes);
}

NewFileResult CreateNewFile(const std::string &path, std::string_view bytes, bool) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_FILE_EXISTS || ::GetLastError() == ERROR_ALREADY_EXISTS
                   ? NewFileResult::kExists
                   : NewFileResult::kCannotCreate;
    bool ok = WriteAll(h, bytes) && ::FlushFileBuffers(h);
    ok = ::CloseHandle(h) && ok;
    if (ok) return NewFileResult::kOk;
    ::DeleteFileA(path.c_str());
    return NewFileResult::kWriteFailed;
}

}  // namespace platform
