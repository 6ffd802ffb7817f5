#include "station.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace stdhost {
namespace {

std::string Absolute(const std::string &path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd) == nullptr) return path;
    return std::string(cwd) + "/" + path;
}

// The directory of this program's file, whatever the name it was started by.
std::string ProgramDirectory() {
    char path[4096];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string file(path, static_cast<std::size_t>(n));
    return file.substr(0, file.rfind('/'));
}

void ExportDefault(const char *name, const std::string &value) {
    ::setenv(name, value.c_str(), 0);
}

}  // namespace

Station ResolveStation(const std::string &stationOption) {
    Station s;
    const char *env = std::getenv("STATION_DIR");
    if (!stationOption.empty())
        s.directory = stationOption;
    else if (env != nullptr && env[0] != '\0')
        s.directory = env;
    else
        s.directory = "station";
    s.directory = Absolute(s.directory);
    s.libraryDir = ProgramDirectory() + "/../lib";
    return s;
}

void ExportStationEnvironment(const Station &station) {
    ExportDefault("PLINTH_ENV", station.directory + "/plinth.ini");
    ExportDefault("ODBCINI", station.directory + "/odbc.ini");
    ExportDefault("ODBCSYSINI", station.directory);
    ExportDefault("STATION_SYSDIR", station.libraryDir);
}

std::string LimitText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

void Complain(const std::string &utf8Message) {
    std::fprintf(stderr, "stdhost: %s\n", utf8Message.c_str());
}

}  // namespace stdhost
