// stdhost reload: loads the limits plug-in and calls ExtParamSave, which
// reloads the table from the database when the database's stamp
// (tb_status_memstd) differs from the one recorded in memstd.ini. The plug-in
// reports nothing (ExtParamSave always gives -1000), so this command looks at
// the standard file and memstd.ini before and after, and at the database's
// stamp, and says in words what happened.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "bridges/plinth_bridge.h"
#include "commands.h"
#include "ext_family.h"
#include "host_platform.h"
#include "platform/dynamic_library.h"
#include "platform/ini_file.h"
#include "station.h"
#include "stationdb/stationdb.h"

namespace stdhost {
namespace {

// The plug-in's state files as seen from outside. The standard file is
// replaced by a rename, so a rewrite shows as a new inode or modification time.
struct Snapshot {
    std::string version;  // FileVersion: "" for no file
    std::string summary;  // StandardFileSummary
    std::string stamp;    // memstd.ini [CREATETIME] TIME, "" when absent

    bool SameFileAs(const Snapshot &other) const {
        return version == other.version;
    }
    std::string Describe() const {
        return summary + ", memstd.ini TIME " + (stamp.empty() ? "not recorded" : "= " + stamp);
    }
};

Snapshot Take(const StationSettings &settings) {
    Snapshot s;
    const std::string file = settings.StandardFile();
    s.version = FileVersion(file);
    s.summary = StandardFileSummary(file);
    s.stamp = platform::GetProfileString(settings.MemstdIni(), "CREATETIME", "TIME", "");
    return s;
}

// The loader's reading of a stamp: a decimal prefix, 0 for anything else.
long StampValue(const std::string &text) {
    return std::strtol(text.c_str(), nullptr, 10);
}

// Decimal only: CLI11's own integer conversion would read 010 as octal.
bool ParseStamp(const std::string &text, long long &value) {
    char *end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= 1 && value <= 2147483647;
}

// `wanted` 0: one more than the database's stamp.
int MarkChanged(const std::string &stationOption, long long wanted) {
    Station station;
    bridges::PlinthBridge plinth;
    StationSettings settings;
    if (int rc = EnterStation(stationOption, station, plinth, settings); rc != kExitOk) return rc;
    try {
        stationdb::Connection connection;
        ConnectStation(connection, settings.ConnectString());
        stationdb::Transaction transaction(connection);
        long long old = 0;
        {
            stationdb::Statement query(connection, "select DBModifyTime from tb_status_memstd ");
            query.Execute();
            // The loader's reading: a decimal prefix, 0 for anything else.
            if (query.Fetch()) old = StampValue(query.Utf8(1));
        }
        if (wanted == 0) wanted = old >= 1 && old < 2147483647 ? old + 1 : 1;
        const std::vector<std::string> value{std::to_string(wanted)};
        if (connection.Execute("update tb_status_memstd set DBModifyTime = ?", value) == 0)
            connection.Execute("insert into tb_status_memstd (DBModifyTime) values (?)", value);
        transaction.Commit();
        std::printf("tb_status_memstd: DBModifyTime %lld -> %lld\n", old, wanted);
    } catch (const stationdb::DatabaseError &e) {
        Complain("data source " + settings.dataSource + ": " + e.what());
        return kExitFailure;
    }
    return kExitOk;
}

int Reload(const std::string &stationOption) {
    Station station;
    bridges::PlinthBridge plinth;
    StationSettings settings;
    if (int rc = EnterStation(stationOption, station, plinth, settings); rc != kExitOk) return rc;
    std::printf("station %s, data source %s\n", station.directory.c_str(),
                settings.dataSource.c_str());

    const Snapshot before = Take(settings);
    std::printf("before loading:       %s\n", before.Describe().c_str());
    platform::DynamicLibrary limbank;
    if (int rc = OpenLimitsPlugin(station, limbank); rc != kExitOk) return rc;
    auto paramSave = reinterpret_cast<decltype(&::ExtParamSave)>(limbank.Symbol("ExtParamSave"));
    if (paramSave == nullptr) {
        Complain(station.libraryDir + "/" + kLimitsPluginFile + " has no ExtParamSave");
        return kExitNoPlugin;
    }
    const Snapshot loaded = Take(settings);
    if (!before.SameFileAs(loaded))
        std::printf(
            "after loading:        %s\n"
            "                      (no standard file, so the plug-in loaded the database)\n",
            loaded.Describe().c_str());

    std::string stamp;
    bool present = false;
    const bool reachable = ReadDatabaseStamp(settings, stamp, present);
    if (!reachable) {
        std::printf("database stamp:       cannot be read\n");
        Complain("cannot reach the station's database (data source " + settings.dataSource +
                 "): " + stamp);
    } else if (!present)
        std::printf("database stamp:       none (tb_status_memstd is empty)\n");
    else
        std::printf("database stamp:       \"%s\"\n", stamp.c_str());

    const int result = paramSave(nullptr);
    const Snapshot after = Take(settings);
    std::printf("ExtParamSave gave %d\n", result);
    if (!loaded.SameFileAs(after)) {
        std::printf("reloaded:             %s\n", after.Describe().c_str());
        return kExitOk;
    }
    if (!reachable) {
        std::printf(
            "nothing reloaded:     the database cannot be reached; the table stays as it "
            "was\n");
        return kExitNoDatabase;
    }
    if (!present) {
        std::printf(
            "nothing reloaded:     tb_status_memstd is empty, so the database has no stamp to\n"
            "                      compare with memstd.ini and the plug-in never reloads;\n"
            "                      'stdhost mark-changed' sets one\n");
        return kExitOk;
    }
    if (StampValue(loaded.stamp) >= 1 && StampValue(loaded.stamp) == StampValue(stamp)) {
        std::printf("nothing reloaded:     the database's stamp is the one in memstd.ini\n");
        return kExitOk;
    }
    // The stamps differ, so the plug-in ran its pass: either the database
    // failed it or the file could not be written afterwards.
    std::string why;
    if (!StandardFileWritable(settings, why)) {
        std::printf(
            "nothing reloaded:     the database was read but the standard file could not be "
            "written\n");
        Complain("cannot write the standard file " + settings.StandardFile() + ": " + why);
        return kExitFileNotWritten;
    }
    std::printf(
        "nothing reloaded:     the stamps differ but the database pass failed (locked or busy?\n"
        "                      the plug-in's notice says why; STATION_TRACE=- shows more)\n");
    Complain("the database pass failed (data source " + settings.dataSource +
             "); nothing reloaded");
    return kExitNotReloaded;
}

}  // namespace

void AddMarkChangedCommand(CLI::App &app, CommandLine &line) {
    struct Options {
        std::string stamp;
        long long wanted = 0;
    };
    auto o = std::make_shared<Options>();
    CLI::App *mark = AddCommand(
        app, line, "mark-changed",
        "Set the database's stamp (tb_status_memstd) so that reload reloads.",
        [&line, o] { return MarkChanged(line.station, o->wanted); },
        [o](const CLI::App &command) {
            if (command.count("STAMP") > 0 && !ParseStamp(o->stamp, o->wanted))
                throw CLI::ValidationError("STAMP",
                                           "expected 1 to 2147483647, not \"" + o->stamp + "\"");
        });
    mark->fallthrough();  // --station after the command name too
    mark->add_option("STAMP", o->stamp, "the new stamp, 1 to 2147483647 (default: one more)")
        ->type_name("");
}

void AddReloadCommand(CLI::App &app, CommandLine &line) {
    CLI::App *reload = AddCommand(app, line, "reload",
                                  std::string("Have ") + kLimitsPluginFile +
                                      " reload a changed database (ExtParamSave).",
                                  [&line] { return Reload(line.station); });
    reload->fallthrough();  // --station after the command name too
}

}  // namespace stdhost
