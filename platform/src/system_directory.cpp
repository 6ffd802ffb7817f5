#include "platform/system_directory.h"

#include <dlfcn.h>

#include <cstdlib>

namespace platform {

std::string ModuleDirectory(const void *addressInModule) {
    Dl_info info{};
    if (addressInModule == nullptr || ::dladdr(addressInModule, &info) == 0 ||
        info.dli_fname == nullptr || info.dli_fname[0] == '\0')
        return {};
    std::string file(info.dli_fname);
    auto slash = file.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return file.substr(0, slash);
}

std::string SystemDirectory(const void *addressInModule) {
    const char *env = std::getenv("STATION_SYSDIR");
    if (env != nullptr && env[0] != '\0') return env;
    return ModuleDirectory(addressInModule);
}

}  // namespace platform
