#include "station.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "bridges/plinth_bridge.h"
#include "generator/editor_session.h"
#include "host_platform.h"
#include "platform/atomic_file.h"
#include "platform/dynamic_library.h"
#include "platform/gbk.h"
#include "platform/paths.h"
#include "platform/value_text.h"
#include "stationdb/stationdb.h"
#include "store/database_stamp.h"

namespace stdhost {
namespace {

void Export(const char *name, const std::string &value, bool replace) {
    SetEnvironment(name, value, replace);
}

std::string Field(const bridges::PlinthBridge &plinth, const char *line, int n) {
    char field[PLINTH_FIELD_BYTES] = {};
    plinth.GetField(line, field, n);
    field[PLINTH_FIELD_BYTES - 1] = '\0';
    return field;
}

}  // namespace

std::string AbsolutePath(const std::string &path) {
    if (platform::IsAbsolutePath(path)) return path;
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd) == nullptr) return path;
    return platform::JoinPath(cwd, path);
}

Station ResolveStation(const std::string &stationOption) {
    Station s;
    const char *env = std::getenv("STATION_DIR");
    if (!stationOption.empty())
        s.directory = stationOption;
    else if (env != nullptr && env[0] != '\0')
        s.directory = env;
    else
        s.directory = "station";
    s.directory = AbsolutePath(s.directory);
    s.libraryDir = LibraryDirectoryOf(ProgramDirectory());
    return s;
}

std::string DataDirectory(const std::string &dataOption) {
    if (!dataOption.empty()) return AbsolutePath(dataOption);
    return DataDirectoryOf(ProgramDirectory());
}

void ExportStationEnvironment(const Station &station, OdbcFiles odbcFiles) {
    // A station that has its own ODBC files is reached through them, whatever
    // the shell says: otherwise its data source would not be found.
    const bool stations = odbcFiles == OdbcFiles::kStations;
    const std::string odbcIni = station.directory + "/odbc.ini";
    Export("PLINTH_ENV", station.directory + "/plinth.ini", false);
    Export("ODBCINI", odbcIni, stations || ::access(odbcIni.c_str(), R_OK) == 0);
    Export("ODBCSYSINI", station.directory,
           stations || ::access((station.directory + "/odbcinst.ini").c_str(), R_OK) == 0);
    Export("STATION_SYSDIR", station.libraryDir, false);
}

std::string StationSettings::ConnectString() const {
    return stationdb::ConnectStringFor(dataSource, user, password);
}

StationSettings ReadStationSettings(const bridges::PlinthBridge &plinth) {
    StationSettings s;
    std::vector<char> env(PLINTH_ENV_SIZE + 1, '\0');
    if (plinth.GetPlinth(env.data()) != 1) return s;
    env[PLINTH_ENV_CONFIG_DIRECTORY + 259] = '\0';
    s.configDirectory = env.data() + PLINTH_ENV_CONFIG_DIRECTORY;
    const char *databaseLine = env.data() + PLINTH_ENV_DATABASE_LINE;
    env[PLINTH_ENV_DATABASE_LINE + 1231] = '\0';
    s.dataSource = Field(plinth, databaseLine, 0);
    s.user = Field(plinth, databaseLine, 5);
    s.password = Field(plinth, databaseLine, 6);
    env[PLINTH_ENV_STATION_LINE + 1023] = '\0';
    s.seriesMode = platform::IntegerOf(Field(plinth, env.data() + PLINTH_ENV_STATION_LINE, 17));
    return s;
}

int LoadEnvironmentLibrary(const Station &station, bridges::PlinthBridge &plinth) {
    if (plinth.LoadPlinth(1, reinterpret_cast<const void *>(&LoadEnvironmentLibrary)) == 1)
        return kExitOk;
    Complain(std::string("cannot load the environment library ") + kEnvironmentLibraryFile +
             " from " + station.libraryDir);
    return kExitNoPlugin;
}

int CheckStationDirectory(const std::string &directory) {
    struct stat st {};
    if (::stat(directory.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return kExitOk;
    Complain("the station " + directory + " is not a directory");
    return kExitUsage;
}

int EnterStation(const std::string &stationOption, Station &station, bridges::PlinthBridge &plinth,
                 StationSettings &settings, StationNeeds needs) {
    station = ResolveStation(stationOption);
    if (int rc = CheckStationDirectory(station.directory); rc != kExitOk) return rc;
    ExportStationEnvironment(station);
    // PLINTH_ENV may be the caller's: it names the file libplinth.so reads.
    const char *env = std::getenv("PLINTH_ENV");
    const std::string ini =
        env != nullptr && env[0] != '\0' ? env : station.directory + "/plinth.ini";
    struct stat st {};
    if (::stat(ini.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        Complain("the station's plinth.ini " + ini +
                 (::stat(ini.c_str(), &st) != 0 ? " is missing" : " is not a regular file") +
                 " (stdhost init-station DIR makes a station)");
        return kExitNoDatabase;
    }
    if (int rc = LoadEnvironmentLibrary(station, plinth); rc != kExitOk) return rc;
    settings = ReadStationSettings(plinth);
    if (!settings.dataSource.empty()) {
        // A plug-in loaded without a standard file connects at once.
        std::string why;
        if (OdbcFilesUsable(why) || (needs == StationNeeds::kStandards &&
                                     ::stat(settings.StandardFile().c_str(), &st) == 0))
            return kExitOk;
        Complain("cannot reach the station's database (data source " + settings.dataSource +
                 "): " + why);
        return kExitNoDatabase;
    }
    if (needs == StationNeeds::kStandards && ::stat(settings.StandardFile().c_str(), &st) == 0)
        return kExitOk;
    Complain("the station's plinth.ini " + ini + " names no data source (databaseLine, field 0)" +
             (needs == StationNeeds::kStandards
                  ? " and there is no standard file " + settings.StandardFile()
                  : std::string()));
    return kExitNoDatabase;
}

StampRead ReadStamp(const StationSettings &settings, std::string &text) {
    stationdb::Connection connection;
    try {
        ConnectStation(connection, settings.ConnectString());
    } catch (const stationdb::DatabaseError &e) {
        text = e.what();
        return StampRead::kNoConnection;
    }
    try {
        const std::optional<std::string> stamp = store::ReadDatabaseStamp(connection);
        if (!stamp) return StampRead::kEmpty;
        text = *stamp;
        return StampRead::kRead;
    } catch (const stationdb::DatabaseError &e) {
        text = e.what();
        return StampRead::kQueryFailed;
    }
}

bool StandardFileWritable(const StationSettings &settings, std::string &why, std::size_t bytes) {
    const std::string &dir = settings.configDirectory;
    struct stat st {};
    if (dir.empty()) {
        why = "plinth.ini names no configDirectory";
        return false;
    }
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        why = "the configuration directory " + dir + " does not exist";
        return false;
    }
    const std::string file = settings.StandardFile();
    std::error_code ec;
    const auto link = std::filesystem::symlink_status(file, ec);
    if (!ec && std::filesystem::exists(link) && !std::filesystem::is_regular_file(link)) {
        why = file + " is not a regular file";
        return false;
    }
    std::string probe = dir + "/.stdhost-probe-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        why = "cannot create a file in " + dir + ": " + std::strerror(errno);
        return false;
    }
    const std::vector<char> zeros(64 * 1024, '\0');
    bool ok = true;
    for (std::size_t left = bytes; ok && left > 0;) {
        const auto n = ::write(fd, zeros.data(), std::min(left, zeros.size()));
        if (n <= 0)
            ok = false;
        else
            left -= static_cast<std::size_t>(n);
    }
    if (!ok)
        why = "writing " + std::to_string(bytes) + " bytes in " + dir + ": " + std::strerror(errno);
    ::close(fd);
    ::unlink(probe.c_str());
    return ok;
}

bool OdbcFilesUsable(std::string &why) {
    std::vector<std::string> files;
    if (const char *ini = std::getenv("ODBCINI"); ini != nullptr && ini[0] != '\0')
        files.emplace_back(ini);
    if (const char *dir = std::getenv("ODBCSYSINI"); dir != nullptr && dir[0] != '\0')
        files.push_back(std::string(dir) + "/odbcinst.ini");
    for (const std::string &file : files) {
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0) continue;  // the driver manager goes without it
        if (!S_ISREG(st.st_mode))
            why = "the ODBC file " + file + " is not a regular file";
        else if (st.st_size > kOdbcFileBytes)
            why = "the ODBC file " + file + " is larger than " + std::to_string(kOdbcFileBytes) +
                  " bytes";
        else
            continue;
        return false;
    }
    return true;
}

void ConnectStation(stationdb::Connection &connection, const std::string &connectString) {
    if (std::string why; !OdbcFilesUsable(why))
        throw stationdb::DatabaseError("HY000", why + " (not used: nothing connected)");
    connection.SetLoginTimeout(15);
    connection.Open(connectString);
}

bool OpenLimitsPlugin(const Station &station, platform::DynamicLibrary &library, std::string &why) {
    const std::string path = platform::JoinPath(station.libraryDir, kLimitsPluginFile);
    if (library.Open(path)) return true;
    why = "cannot load the limits plug-in " + path + ": " + library.LastError();
    return false;
}

int OpenLimitsPlugin(const Station &station, platform::DynamicLibrary &library) {
    std::string why;
    if (OpenLimitsPlugin(station, library, why)) return kExitOk;
    Complain(why);
    return kExitNoPlugin;
}

int CheckSeriesOpen(const generator::OpenReport &report, bool needsFullModule) {
    for (const std::string &problem : report.problems) Complain(platform::GbkToUtf8Lossy(problem));
    if (!report.plinthLoaded) return kExitNoPlugin;
    if (!report.configUsable) {
        Complain(
            "plinth.ini's configDirectory is empty or cut: the mask file is neither read nor "
            "written there; nothing done");
        return kExitBadFile;
    }
    if (report.mask != generator::MaskLoadResult::kLoaded &&
        report.mask != generator::MaskLoadResult::kMissing) {
        Complain(
            "the mask file cannot be used (only a missing file is an empty mask); nothing done");
        return kExitBadFile;
    }
    if (needsFullModule && !report.moduleDirUsable) {
        Complain(
            "plinth.ini's moduleDirectory is empty or cut: no full standard module is loaded from "
            "there; nothing done");
        return kExitBadFile;
    }
    return kExitOk;
}

bool OutputPathUsable(const std::string &path) {
    struct stat st {};
    if (path == "-" || ::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode) ||
        S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode))
        return true;
    Complain("cannot write " + path + ": " +
             platform::AtomicWriteProblem(platform::AtomicWriteResult::kNotRegular));
    return false;
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
