#include "reload.h"

#include <cstdlib>
#include <filesystem>

#include "bridges/plinth_bridge.h"
#include "ext_family.h"
#include "host_platform.h"
#include "platform/dynamic_library.h"
#include "platform/ini_file.h"
#include "standard_file_text.h"
#include "stationdb/stationdb.h"
#include "store/database_loader.h"
#include "store/database_stamp.h"
#include "store/standard_file_format.h"
#include "store/standard_table.h"

namespace stdhost {
namespace {

PluginFiles Take(const StationSettings &settings) {
    PluginFiles s;
    const std::string file = settings.StandardFile();
    s.version = FileVersion(file);
    s.summary = StandardFileSummary(file);
    s.stamp = platform::GetProfileString(settings.MemstdIni(), "CREATETIME", "TIME", "");
    return s;
}

// The loader's reading of a stamp: a decimal prefix, 0 for anything else.
long long StampValue(const std::string &text) {
    return std::strtoll(text.c_str(), nullptr, 10);
}

// Whether the plug-in finds memstd.ini current: TIME equal as a number and,
// when memstd.ini records the stamp's text, that text equal too.
bool StampIsCurrent(const StationSettings &settings, const PluginFiles &loaded,
                    const std::string &stamp) {
    const std::string text =
        platform::GetProfileString(settings.MemstdIni(), "CREATETIME", "STAMPTEXT", "");
    return StampValue(loaded.stamp) >= 1 && StampValue(loaded.stamp) == StampValue(stamp) &&
           (text.empty() || text == stamp);
}

// The stamps differ, so the plug-in ran a pass that left the file as it
// was. Reading the database as the plug-in does tells which step failed.
void ExplainFailedPass(const StationSettings &settings, ReloadReport &r) {
    stationdb::Connection connection;
    store::StandardTable table;
    int read = 0;
    try {
        ConnectStation(connection, settings.ConnectString());
        read = store::ReadStandardTable(connection, table, store::ReadPath::kStaged, &r.why);
    } catch (const stationdb::DatabaseError &e) {
        r.outcome = ReloadOutcome::kUnreachableNow;
        r.why = e.what();
        r.exitCode = kExitNoDatabase;
        return;
    }
    r.exitCode = kExitNotReloaded;
    if (read < 1) {
        r.outcome = ReloadOutcome::kReadFailed;
        return;
    }
    if (table.Devices().empty() || table.RecordCount() == 0) {
        r.outcome = ReloadOutcome::kNoStandards;
        r.noDevices = table.Devices().empty();
        return;
    }
    if (!StandardFileWritable(
            settings, r.why,
            store::sfd::kHeaderSize + store::sfd::kRecordSize * table.RecordCount())) {
        r.outcome = ReloadOutcome::kFileNotWritable;
        r.exitCode = kExitFileNotWritten;
        return;
    }
    r.outcome = ReloadOutcome::kPluginPassFailed;
}

// The file was rewritten: whether the stamp was recorded with it. Without
// it every later pass reads the database again.
void CheckRecordedStamp(const StationSettings &settings, ReloadReport &r) {
    r.outcome = ReloadOutcome::kReloaded;
    r.exitCode = kExitOk;
    if (r.stampRead != StampRead::kRead || StampIsCurrent(settings, r.after, r.stamp)) return;
    std::error_code ec;
    r.memstdIniRegular = std::filesystem::is_regular_file(settings.MemstdIni(), ec) ||
                         !std::filesystem::exists(settings.MemstdIni(), ec);
    r.outcome = ReloadOutcome::kStampNotRecorded;
    r.exitCode = kExitFileNotWritten;
}

// The file was left as it was: why, from the stamp.
void ExplainNoReload(const StationSettings &settings, ReloadReport &r) {
    r.exitCode = kExitOk;
    switch (r.stampRead) {
        case StampRead::kNoConnection:
            r.outcome = ReloadOutcome::kNoDatabase;
            r.exitCode = kExitNoDatabase;
            return;
        case StampRead::kQueryFailed:
            r.outcome = ReloadOutcome::kStampUnreadable;
            r.exitCode = kExitNotReloaded;
            return;
        case StampRead::kEmpty:
            r.outcome = ReloadOutcome::kNoStamp;
            return;
        case StampRead::kRead:
            break;
    }
    if (StampIsCurrent(settings, r.loaded, r.stamp))
        r.outcome = ReloadOutcome::kStampCurrent;
    else
        ExplainFailedPass(settings, r);
}

}  // namespace

ReloadReport RunReload(const std::string &stationOption) {
    ReloadReport r;
    Station station;
    bridges::PlinthBridge plinth;
    StationSettings settings;
    r.exitCode = EnterStation(stationOption, station, plinth, settings);
    if (r.exitCode != kExitOk) return r;
    r.entered = true;
    r.stationDirectory = station.directory;
    r.dataSource = settings.dataSource;
    r.memstdIni = settings.MemstdIni();
    r.standardFile = settings.StandardFile();

    r.before = Take(settings);
    platform::DynamicLibrary limbank;
    if (!OpenLimitsPlugin(station, limbank, r.problem)) {
        r.exitCode = kExitNoPlugin;
        return r;
    }
    auto paramSave = reinterpret_cast<decltype(&::ExtParamSave)>(limbank.Symbol("ExtParamSave"));
    if (paramSave == nullptr) {
        r.problem = station.libraryDir + "/" + kLimitsPluginFile + " has no ExtParamSave";
        r.exitCode = kExitNoPlugin;
        return r;
    }
    r.pluginLoaded = true;
    r.loaded = Take(settings);
    r.stampRead = ReadStamp(settings, r.stamp);
    r.paramSaveResult = paramSave(nullptr);
    r.after = Take(settings);
    if (!r.loaded.SameFileAs(r.after))
        CheckRecordedStamp(settings, r);
    else
        ExplainNoReload(settings, r);
    return r;
}

MarkChangedReport MarkStandardsChanged(const std::string &stationOption, long long wanted) {
    MarkChangedReport r;
    Station station;
    bridges::PlinthBridge plinth;
    StationSettings settings;
    r.exitCode = EnterStation(stationOption, station, plinth, settings);
    if (r.exitCode != kExitOk) return r;
    try {
        stationdb::Connection connection;
        ConnectStation(connection, settings.ConnectString());
        stationdb::Transaction transaction(connection);
        r.old = StampValue(store::ReadDatabaseStamp(connection).value_or(""));
        r.stamp = wanted != 0 ? wanted : r.old >= 1 && r.old < 2147483647 ? r.old + 1 : 1;
        store::WriteDatabaseStamp(connection, std::to_string(r.stamp));
        transaction.Commit();
    } catch (const stationdb::DatabaseError &e) {
        r.problem = "data source " + settings.dataSource + ": " + e.what();
        r.exitCode = kExitFailure;
    }
    return r;
}

}  // namespace stdhost
