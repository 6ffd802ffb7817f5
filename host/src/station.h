#pragma once
// The station directory a host command works on, and the environment the
// plug-ins read, set before the first plug-in is loaded.
#include <string>

namespace stdhost {

// Exit codes of stdhost.
enum ExitCode {
    kExitOk = 0,
    kExitFailure = 1,     // a command failed (file not written, ...)
    kExitUsage = 2,       // a bad option or argument
    kExitNoPlugin = 3,    // a plug-in or the environment library cannot be loaded
    kExitBadVehicle = 4,  // the vehicle information was not taken over
    kExitNoLimits = 5,    // the table gives no limits for the vehicle
};

struct Station {
    std::string directory;   // holds plinth.ini, odbc.ini, the database, the configuration
    std::string libraryDir;  // where libplinth.so and liblimbank.so are
};

// --station DIR, else $STATION_DIR, else ./station; the library directory is
// ../lib beside this program.
Station ResolveStation(const std::string &stationOption);

// Exports PLINTH_ENV, ODBCINI, ODBCSYSINI and STATION_SYSDIR for the plug-ins
// (variables already set by the caller are kept).
void ExportStationEnvironment(const Station &station);

// A limit as stdhost prints it ("%g"): the same text in the readable
// standards table and in a verdict.
std::string LimitText(float value);

// Prints a message in UTF-8 to standard error, prefixed with "stdhost: ".
void Complain(const std::string &utf8Message);

}  // namespace stdhost
