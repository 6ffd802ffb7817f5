#pragma once
// reload and mark-changed: the limits plug-in's ExtParamSave reloads the
// table from the database when the database's stamp (tb_status_memstd)
// differs from the one recorded in memstd.ini. The plug-in reports nothing
// (ExtParamSave always gives -1000), so RunReload looks at the standard file
// and memstd.ini before and after, and at the database's stamp, and says
// what happened as data for the renderer (reload_report.h).
#include <string>

#include "station.h"

namespace stdhost {

// The plug-in's state files as seen from outside. The standard file is
// replaced by a rename, so a rewrite shows as a new inode or modification time.
struct PluginFiles {
    std::string version;  // FileVersion: "" for no file
    std::string summary;  // StandardFileSummary
    std::string stamp;    // memstd.ini [CREATETIME] TIME, "" when absent

    bool SameFileAs(const PluginFiles &other) const { return version == other.version; }
};

// How a reload ended.
enum class ReloadOutcome {
    kNotRun,            // the station or the plug-in could not be used (exitCode says which)
    kReloaded,          // the standard file was rewritten and the stamp recorded
    kStampNotRecorded,  // rewritten, but memstd.ini does not record the stamp
    kNoDatabase,        // the stamp could not be read: the database cannot be reached
    kStampUnreadable,   // the database was reached but its stamp table not read
    kNoStamp,           // tb_status_memstd is empty: the plug-in never reloads
    kStampCurrent,      // memstd.ini already records the database's stamp
    // The stamps differ and the plug-in's pass left the file as it was; a
    // read of the database as the plug-in does tells which step failed:
    kUnreachableNow,    // the database cannot be reached now
    kReadFailed,        // the database pass failed
    kNoStandards,       // the database holds no standards for the line
    kFileNotWritable,   // read, but the standard file cannot be written
    kPluginPassFailed,  // everything works now: locked or busy at that moment
};

struct ReloadReport {
    int exitCode = 0;
    ReloadOutcome outcome = ReloadOutcome::kNotRun;
    bool entered = false;  // the station was entered: the fields below are set
    std::string problem;   // kNotRun after the station was entered: why, for standard error
    std::string stationDirectory;
    std::string dataSource;
    std::string memstdIni;
    std::string standardFile;
    PluginFiles before;  // before the plug-in was loaded
    PluginFiles loaded;  // once loaded (a missing file makes it load the database)
    PluginFiles after;   // after ExtParamSave
    bool pluginLoaded = false;
    StampRead stampRead = StampRead::kEmpty;
    std::string stamp;  // the database's stamp, or the driver's message
    int paramSaveResult = 0;
    std::string why;               // the driver's or loader's message for the outcome
    bool noDevices = false;        // kNoStandards: no device of the line at all
    bool memstdIniRegular = true;  // kStampNotRecorded: memstd.ini is a regular file or absent
};

// Enters the station (EnterStation complains on its own), loads the limits
// plug-in, calls ExtParamSave and finds out what happened.
ReloadReport RunReload(const std::string &stationOption);

struct MarkChangedReport {
    int exitCode = 0;     // kExitOk, else kExitFailure with `problem`
    std::string problem;  // for standard error
    long long old = 0;    // the stamp before, as the loader reads it
    long long stamp = 0;  // the stamp written
};

// Sets the database's stamp to `wanted`, or with 0 to one more than it is.
MarkChangedReport MarkStandardsChanged(const std::string &stationOption, long long wanted);

}  // namespace stdhost
