#pragma once
// The station directory a host command works on, and the environment the
// plug-ins read, set before the first plug-in is loaded.
#include <cstddef>
#include <string>

namespace bridges {
class PlinthBridge;
}
namespace generator {
struct OpenReport;
}
namespace platform {
class DynamicLibrary;
}
namespace stationdb {
class Connection;
}

namespace stdhost {

// Exit codes of stdhost.
enum ExitCode {
    kExitOk = 0,
    kExitFailure = 1,      // a command failed (file not written, ...)
    kExitUsage = 2,        // a bad option or argument
    kExitNoPlugin = 3,     // a plug-in or the environment library cannot be loaded
    kExitBadVehicle = 4,   // the vehicle information was not taken over
    kExitNoLimits = 5,     // the table gives no limits for the vehicle
    kExitUnknown = 6,      // an unknown brand, series or parameter
    kExitBadFile = 7,      // a malformed input file; nothing was written
    kExitNoDatabase = 8,   // the station's database cannot be reached
    kExitNotReloaded = 9,  // reload: the database was reached but its pass failed (locked, busy)
    kExitFileNotWritten = 10,  // reload: the database was read but the standard file not written
};

struct Station {
    std::string directory;   // holds plinth.ini, odbc.ini, the database, the configuration
    std::string libraryDir;  // where libplinth.so and liblimbank.so are
};

// --station DIR, else $STATION_DIR, else ./station; the library directory is
// ../lib beside this program.
Station ResolveStation(const std::string &stationOption);

// The shipped data (odbcinst.ini, schemas, seed data, the plinth.ini
// template): `dataOption` when given, else ../share/station-limits beside
// this program, which is where both the build and an install put it.
std::string DataDirectory(const std::string &dataOption);

// A path made absolute against the current directory.
std::string AbsolutePath(const std::string &path);

enum class OdbcFiles {
    kCallersFirst,  // the station's odbc.ini / odbcinst.ini when it has them, else the caller's
    kStations,      // always the station's own odbc.ini and odbcinst.ini
};

// Exports PLINTH_ENV, ODBCINI, ODBCSYSINI and STATION_SYSDIR for the plug-ins
// (variables already set by the caller are kept, except the ODBC pair when
// the station has its own files or with OdbcFiles::kStations). unixODBC reads them once per
// process: this runs before the first ODBC call and the first plug-in load.
void ExportStationEnvironment(const Station &station,
                              OdbcFiles odbcFiles = OdbcFiles::kCallersFirst);

// What the plug-ins take from the environment library's record.
struct StationSettings {
    std::string configDirectory;
    std::string dataSource;  // databaseLine fields 0, 5 and 6
    std::string user;
    std::string password;
    int seriesMode = 0;  // stationLine field 17: 1 when series standards are served
    std::string StandardFile() const { return configDirectory + "/StandarFile.sfd"; }
    std::string MemstdIni() const { return configDirectory + "/memstd.ini"; }
    // "DSN=%s;UID=%s;PWD=%s;", the connect string the limits plug-in uses.
    std::string ConnectString() const;
};
StationSettings ReadStationSettings(const bridges::PlinthBridge &plinth);

// kExitOk when `directory` is a directory or does not exist yet; kExitUsage
// after a complaint when it names something else (a regular file).
int CheckStationDirectory(const std::string &directory);

// What a command needs of the station's plinth.ini besides its existence.
enum class StationNeeds {
    kDatabase,   // a data source: the command connects to the database
    kStandards,  // a data source, or a standard file already in place
};

// What every command on an existing station does first: resolve the
// station, check that its plinth.ini exists and names a data source (as
// `needs` asks), export its environment, load libplinth.so into `plinth` and
// read the plug-ins' settings. Everything is checked before a plug-in that
// would connect is loaded. kExitOk; else after a complaint kExitUsage (the
// station is not a directory), kExitNoPlugin, or kExitNoDatabase (no
// plinth.ini, or one that names no data source; ODBC files that are not
// usable when the database is needed, see OdbcFilesUsable).
int EnterStation(const std::string &stationOption, Station &station, bridges::PlinthBridge &plinth,
                 StationSettings &settings, StationNeeds needs = StationNeeds::kDatabase);

// Reads the first DBModifyTime of tb_status_memstd as the limits plug-in
// does: kRead with the stamp in `text`, kEmpty when the table has no row,
// else the driver's message in `text`. A station whose database cannot be
// reached (kNoConnection) differs from one whose stamp table cannot be read
// (kQueryFailed).
enum class StampRead { kRead, kEmpty, kNoConnection, kQueryFailed };
StampRead ReadStamp(const StationSettings &settings, std::string &text);

// Whether the limits plug-in could write the standard file now: the
// configuration directory exists and takes a new file of `bytes` bytes (a
// full disk refuses what an empty probe would not show), and the file's path
// is free or a regular file. False with the reason in `why`.
bool StandardFileWritable(const StationSettings &settings, std::string &why, std::size_t bytes = 0);

// The ODBC configuration files the driver manager will read ($ODBCINI and
// $ODBCSYSINI/odbcinst.ini): each, when present, must be a regular file of
// at most kOdbcFileBytes. The driver manager reads them with a blocking read
// of its own, so a FIFO or /dev/zero in their place would hang it or feed it
// without end. False with the reason in `why`.
inline constexpr long long kOdbcFileBytes = 1024 * 1024;
bool OdbcFilesUsable(std::string &why);

// Opens `connection` with `connectString` as the station's programs do
// (without prompting, 15 seconds to log in). Throws stationdb::DatabaseError,
// also (SQLSTATE HY000) when OdbcFilesUsable is false.
void ConnectStation(stationdb::Connection &connection, const std::string &connectString);

// Loads libplinth.so into `plinth` and opens liblimbank.so from the library
// directory, as a line program does. Complains and returns kExitNoPlugin on
// failure, kExitOk otherwise. The environment must be exported first.
int LoadEnvironmentLibrary(const Station &station, bridges::PlinthBridge &plinth);
int OpenLimitsPlugin(const Station &station, platform::DynamicLibrary &library);
// OpenLimitsPlugin without the complaint: false with the reason in `why`.
bool OpenLimitsPlugin(const Station &station, platform::DynamicLibrary &library, std::string &why);

// Whether stdhost may write the output file `path`: "-", a new path, a
// regular file, a character device or a FIFO (platform::WriteFileAtomically).
// False after a complaint for a directory, a socket or a block device.
bool OutputPathUsable(const std::string &path);

// Acts on what the series editor's start-up found, as every command that
// opens it does: each problem is said on standard error; then kExitNoPlugin
// when the environment library is not whole, kExitBadFile when
// configDirectory is empty or cut (the mask would be read from and written
// to another place), when the mask file is there but cannot be used (only
// a missing file is an empty mask), or when `needsFullModule` and
// moduleDirectory is empty or cut; else kExitOk. Nothing is read or written
// in a directory that is not usable.
int CheckSeriesOpen(const generator::OpenReport &report, bool needsFullModule);

// A limit as stdhost prints it ("%g"): the same text in the readable
// standards table and in a verdict.
std::string LimitText(float value);

// Prints a message in UTF-8 to standard error, prefixed with "stdhost: ".
void Complain(const std::string &utf8Message);

}  // namespace stdhost
