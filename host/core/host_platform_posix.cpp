#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include <cstdlib>

#include "host_platform.h"

namespace stdhost {

const char kLimitsPluginFile[] = "liblimbank.so";
const char kEnvironmentLibraryFile[] = "libplinth.so";

std::string ProgramDirectory() {
    char path[4096];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string file(path, static_cast<std::size_t>(n));
    return file.substr(0, file.rfind('/'));
}

std::string LibraryDirectoryOf(const std::string &programDirectory) {
    return programDirectory + "/../lib";
}

std::string DataDirectoryOf(const std::string &programDirectory) {
    return programDirectory + "/../share/station-limits";
}

std::string FileVersion(const std::string &path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    char text[96];
    std::snprintf(text, sizeof text, "%llu %llu %lld.%09ld",
                  static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino),
                  static_cast<long long>(st.st_mtim.tv_sec), st.st_mtim.tv_nsec);
    return text;
}

void SetEnvironment(const char *name, const std::string &value, bool replace) {
    ::setenv(name, value.c_str(), replace ? 1 : 0);
}

void PrepareStandardStreams() {}

}  // namespace stdhost
