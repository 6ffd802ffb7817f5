#include "posix_shim.h"

#include <direct.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" {

int setenv(const char *name, const char *value, int overwrite) {
    if (name == nullptr || name[0] == '\0' || std::strchr(name, '=') != nullptr) {
        errno = EINVAL;
        return -1;
    }
    if (!overwrite && std::getenv(name) != nullptr) return 0;
    // An empty value would remove the variable: Windows has no empty ones.
    std::string entry = std::string(name) + "=" + (value != nullptr ? value : "");
    return ::_putenv(entry.c_str()) == 0 ? 0 : -1;
}

int unsetenv(const char *name) {
    if (name == nullptr || name[0] == '\0' || std::strchr(name, '=') != nullptr) {
        errno = EINVAL;
        return -1;
    }
    std::string entry = std::string(name) + "=";
    return ::_putenv(entry.c_str()) == 0 ? 0 : -1;
}

char *mkdtemp(char *tmpl) {
    const std::size_t n = tmpl != nullptr ? std::strlen(tmpl) : 0;
    if (n < 6 || std::strcmp(tmpl + n - 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return nullptr;
    }
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static unsigned long long state = 0;
    if (state == 0)
        state = (static_cast<unsigned long long>(::GetCurrentProcessId()) << 32) ^
                ::GetTickCount() ^ 0x9e3779b97f4a7c15ull;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        for (std::size_t i = n - 6; i < n; ++i) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            tmpl[i] = kLetters[(state >> 33) % (sizeof kLetters - 1)];
        }
        if (::_mkdir(tmpl) == 0) return tmpl;
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

}  // extern "C"
