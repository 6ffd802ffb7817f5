// stdhost reload: loads the limits plug-in and calls ExtParamSave, which
// reloads the table from the database when the database's stamp
// (tb_status_memstd) differs from the one recorded in memstd.ini. The plug-in
// reports nothing (ExtParamSave always gives -1000), so this command looks at
// the standard file and memstd.ini before and after, and at the database's
// stamp, and says in words what happened.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include "bridges/plinth_bridge.h"
#include "commands.h"
#include "ext_family.h"
#include "gbk_texts.h"
#include "host_platform.h"
#include "platform/dynamic_library.h"
#include "platform/gbk.h"
#include "platform/ini_file.h"
#include "station.h"
#include "stationdb/stationdb.h"
#include "store/database_loader.h"
#include "store/database_stamp.h"
#include "store/standard_file_format.h"
#include "store/standard_table.h"

namespace stdhost {
namespace {

// The plug-in's state files as seen from outside. The standard file is
// replaced by a rename, so a rewrite shows as a new inode or modification time.
struct Snapshot {
    std::string version;  // FileVersion: "" for no file
    std::string summary;  // StandardFileSummary
    std::string stamp;    // memstd.ini [CREATETIME] TIME, "" when absent

    bool SameFileAs(const Snapshot &other) const { return version == other.version; }
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
long long StampValue(const std::string &text) {
    return std::strtoll(text.c_str(), nullptr, 10);
}

// Whether the plug-in finds memstd.ini current: TIME equal as a number and,
// when memstd.ini records the stamp's text, that text equal too.
bool StampIsCurrent(const StationSettings &settings, const Snapshot &loaded,
                    const std::string &stamp) {
    const std::string text =
        platform::GetProfileString(settings.MemstdIni(), "CREATETIME", "STAMPTEXT", "");
    return StampValue(loaded.stamp) >= 1 && StampValue(loaded.stamp) == StampValue(stamp) &&
           (text.empty() || text == stamp);
}

// The stamps differ, so the plug-in ran a pass that left the file as it
// was. Reading the database as the plug-in does tells which step failed.
int ExplainFailedPass(const StationSettings &settings) {
    stationdb::Connection connection;
    store::StandardTable table;
    std::string why;
    int read = 0;
    try {
        ConnectStation(connection, settings.ConnectString());
        read = store::ReadStandardTable(connection, table, store::ReadPath::kStaged, &why);
    } catch (const stationdb::DatabaseError &e) {
        std::printf("nothing reloaded:     the database cannot be reached now\n");
        Complain("cannot reach the station's database (data source " + settings.dataSource +
                 "): " + e.what());
        return kExitNoDatabase;
    }
    if (read < 1) {
        std::printf("nothing reloaded:     the database pass failed; the table stays as it was\n");
        Complain("reading the standards failed (data source " + settings.dataSource + "): " + why);
        return kExitNotReloaded;
    }
    if (table.Devices().empty() || table.RecordCount() == 0) {
        const char *notice =
            table.Devices().empty() ? texts::kNoStandardFound : texts::kNoStandardFound2;
        std::printf(
            "nothing reloaded:     the database holds no standards for the line (%s); the\n"
            "                      plug-in keeps serving the table it had and the file stays\n",
            platform::GbkToUtf8Lossy(notice).c_str());
        Complain(table.Devices().empty()
                     ? "tb_login_lineindex lists no device of the line: no standards found"
                     : "tb_id_standard holds no limit for the line's items: no standards found");
        return kExitNotReloaded;
    }
    std::string cannot;
    if (!StandardFileWritable(
            settings, cannot,
            store::sfd::kHeaderSize + store::sfd::kRecordSize * table.RecordCount())) {
        std::printf(
            "nothing reloaded:     the database was read but the standard file could not be "
            "written\n");
        Complain("cannot write the standard file " + settings.StandardFile() + ": " + cannot);
        return kExitFileNotWritten;
    }
    std::printf(
        "nothing reloaded:     the database reads and the file can be written now, but the\n"
        "                      plug-in's pass failed (locked or busy at that moment?)\n");
    Complain("the database pass failed (data source " + settings.dataSource +
             "); nothing reloaded");
    return kExitNotReloaded;
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
        // The loader's reading: a decimal prefix, 0 for anything else.
        const long long old = StampValue(store::ReadDatabaseStamp(connection).value_or(""));
        if (wanted == 0) wanted = old >= 1 && old < 2147483647 ? old + 1 : 1;
        store::WriteDatabaseStamp(connection, std::to_string(wanted));
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
    const StampRead stampRead = ReadStamp(settings, stamp);
    switch (stampRead) {
        case StampRead::kNoConnection:
            std::printf("database stamp:       cannot be read\n");
            Complain("cannot reach the station's database (data source " + settings.dataSource +
                     "): " + stamp);
            break;
        case StampRead::kQueryFailed:
            std::printf("database stamp:       cannot be read\n");
            Complain("cannot read tb_status_memstd (data source " + settings.dataSource +
                     "): " + stamp);
            break;
        case StampRead::kEmpty:
            std::printf("database stamp:       none (tb_status_memstd is empty)\n");
            break;
        case StampRead::kRead:
            std::printf("database stamp:       \"%s\"\n", stamp.c_str());
            break;
    }

    const int result = paramSave(nullptr);
    const Snapshot after = Take(settings);
    std::printf("ExtParamSave gave %d\n", result);
    if (!loaded.SameFileAs(after)) {
        std::printf("reloaded:             %s\n", after.Describe().c_str());
        if (stampRead == StampRead::kRead && !StampIsCurrent(settings, after, stamp)) {
            // Without the stamp recorded every later pass reads the database again.
            std::error_code ec;
            const bool regular = std::filesystem::is_regular_file(settings.MemstdIni(), ec) ||
                                 !std::filesystem::exists(settings.MemstdIni(), ec);
            Complain("the stamp could not be recorded in " + settings.MemstdIni() +
                     (regular ? "" : " (not a regular file)") +
                     ": every reload will read the database again");
            return kExitFileNotWritten;
        }
        return kExitOk;
    }
    switch (stampRead) {
        case StampRead::kNoConnection:
            std::printf(
                "nothing reloaded:     the database cannot be reached; the table stays as it "
                "was\n");
            return kExitNoDatabase;
        case StampRead::kQueryFailed:
            std::printf(
                "nothing reloaded:     the database's stamp cannot be read; the table stays as "
                "it was\n");
            return kExitNotReloaded;
        case StampRead::kEmpty:
            std::printf(
                "nothing reloaded:     tb_status_memstd is empty, so the database has no stamp to\n"
                "                      compare with memstd.ini and the plug-in never reloads;\n"
                "                      'stdhost mark-changed' sets one\n");
            return kExitOk;
        case StampRead::kRead:
            break;
    }
    if (StampIsCurrent(settings, loaded, stamp)) {
        std::printf("nothing reloaded:     the database's stamp is the one in memstd.ini\n");
        return kExitOk;
    }
    return ExplainFailedPass(settings);
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
    CLI::App *reload = AddCommand(
        app, line, "reload",
        std::string("Have ") + kLimitsPluginFile + " reload a changed database (ExtParamSave).",
        [&line] { return Reload(line.station); });
    reload->fallthrough();  // --station after the command name too
}

}  // namespace stdhost
