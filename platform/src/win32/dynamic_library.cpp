// Windows: LoadLibraryA / GetProcAddress / FreeLibrary.
#include "platform/dynamic_library.h"

#include <windows.h>

#include <cstdio>
#include <utility>

namespace platform {
namespace {

std::string LoadErrorText(const std::string &path, DWORD error) {
    char text[512] = {};
    DWORD n =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                         MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
        text[--n] = '\0';
    char code[32];
    std::snprintf(code, sizeof code, "error %lu", static_cast<unsigned long>(error));
    return path + ": " + (n > 0 ? std::string(text) + " (" + code + ")" : std::string(code));
}

}  // namespace

DynamicLibrary::DynamicLibrary(DynamicLibrary &&other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_)) {}

DynamicLibrary &DynamicLibrary::operator=(DynamicLibrary &&other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool DynamicLibrary::Open(const std::string &path) {
    Close();
    error_.clear();
    // No "the program can't start" box for a missing dependency: the caller
    // reports the failure in its own way.
    const UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = ::LoadLibraryA(path.c_str());
    const DWORD error = module == nullptr ? ::GetLastError() : 0;
    ::SetErrorMode(oldMode);
    if (module == nullptr) {
        error_ = LoadErrorText(path, error);
        return false;
    }
    handle_ = reinterpret_cast<void *>(module);
    return true;
}

void *DynamicLibrary::Symbol(const char *name) const {
    if (handle_ == nullptr || name == nullptr) return nullptr;
    return reinterpret_cast<void *>(::GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void DynamicLibrary::Close() {
    if (handle_ != nullptr) {
        ::FreeLibrary(static_cast<HMODULE>(handle_));
        handle_ = nullptr;
    }
}

}  // namespace platform
