// Windows: the system directory is GetSystemDirectoryA's, as line programs
// install Plinth.dll there; $STATION_SYSDIR overrides it (tests, stdhost).
#include "platform/system_directory.h"

#include <windows.h>

#include <cstdlib>

namespace platform {

std::string ModuleDirectory(const void *addressInModule) {
    if (addressInModule == nullptr) return {};
    HMODULE module = nullptr;
    if (!::GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCSTR>(addressInModule), &module))
        return {};
    char file[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameA(module, file, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string path(file, n);
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

std::string SystemDirectory(const void *) {
    const char *env = std::getenv("STATION_SYSDIR");
    if (env != nullptr && env[0] != '\0') return env;
    char directory[MAX_PATH + 1] = {};
    const UINT n = ::GetSystemDirectoryA(directory, MAX_PATH);
    if (n == 0 || n > MAX_PATH) return {};
    return std::string(directory, n);
}

}  // namespace platform
