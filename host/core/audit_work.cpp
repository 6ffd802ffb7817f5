// stdhost audit's work on a station: the table, what the database lists
// besides it, and the conditions the limits plug-in gives real vehicles.
#include "audit_work.h"

#include "bridges/plinth_bridge.h"
#include "condition_sources.h"
#include "ext_family.h"
#include "generator/station_lists.h"
#include "host_platform.h"
#include "platform/dynamic_library.h"
#include "platform/gbk.h"
#include "platform/value_text.h"
#include "plinth.h"
#include "series_station.h"
#include "station.h"
#include "stationdb/stationdb.h"
#include "store/condition_compare.h"
#include "store/database_loader.h"

namespace stdhost {
namespace {

// The station as the audit holds it open.
struct AuditedStation {
    Station station;
    bridges::PlinthBridge plinth;
    StationSettings settings;
    stationdb::Connection connection;
    std::string databaseError;  // why `connection` is not open, or the lists not read
    store::StandardTable table;
    AuditSource source;
};

// What the database lists besides the table.
struct StationLists {
    audit::StationCatalogue catalogue;
    std::map<int, std::string> itemNames;
    std::vector<generator::SeriesId> listed;
    std::set<std::string> held;  // stored conditions, folded
};

bool LoadFile(const AuditRequest &request, AuditedStation &s) {
    store::StandardFileReport fileReport;
    if (s.table.LoadFromFile(request.sfd, &fileReport) != 1) {
        Complain("cannot load the standard file " + request.sfd);
        return false;
    }
    s.source.fromFile = true;
    s.source.name = request.sfd;
    if (!request.sfdDamage.empty()) {
        Complain(request.sfdDamage);
        s.source.damage = request.sfdDamage;
    }
    return true;
}

bool LoadDatabaseTable(AuditedStation &s) {
    if (!s.connection.IsOpen()) {
        Complain("cannot reach the station's database (data source " + s.settings.dataSource +
                 "): " + s.databaseError);
        return false;
    }
    try {
        if (store::ReadStandardTable(s.connection, s.table, store::ReadPath::kStaged) != 1) {
            Complain(
                "reading the standard table from the database failed (STATION_TRACE=- "
                "shows why)");
            return false;
        }
    } catch (const stationdb::DatabaseError &e) {
        Complain(std::string("reading the standard table from the database failed: ") + e.what());
        return false;
    }
    s.source.name = s.settings.dataSource;
    return true;
}

// Enters the station, connects to its database when it names one, and
// loads the table to audit.
bool OpenTable(const std::string &stationOption, const AuditRequest &request, AuditedStation &s) {
    const bool fromFile = !request.sfd.empty();
    if (EnterStation(stationOption, s.station, s.plinth, s.settings,
                     fromFile ? StationNeeds::kStandards : StationNeeds::kDatabase) != kExitOk)
        return false;
    if (!s.settings.dataSource.empty()) {
        try {
            ConnectStation(s.connection, s.settings.ConnectString());
        } catch (const stationdb::DatabaseError &e) {
            s.databaseError = e.what();
        }
    }
    return fromFile ? LoadFile(request, s) : LoadDatabaseTable(s);
}

// The catalogue and the vehicle list; false when they could not be read.
// Auditing the database's table needs them; a standard file is audited
// without them (after a complaint).
bool ReadLists(AuditedStation &s, StationLists &lists, bool &checked) {
    checked = false;
    if (s.connection.IsOpen()) {
        try {
            lists.catalogue.itemParams = generator::ReadItemParams(s.connection);
            lists.itemNames = generator::ReadItemNames(s.connection);
            lists.catalogue.brands = generator::ReadBrandNames(s.connection);
            lists.listed = ListedSeries(s.connection);
            for (const generator::SeriesId &id : lists.listed)
                lists.catalogue.series[std::string(platform::TrimBlanks(id.brand))].insert(
                    std::string(platform::TrimBlanks(id.series)));
            for (const std::string &condition : generator::ReadStandardConditions(s.connection))
                lists.held.insert(store::FoldCondition(condition));
            checked = true;
        } catch (const stationdb::DatabaseError &e) {
            if (!s.source.fromFile) {
                Complain(std::string("reading the catalogue failed: ") + e.what());
                return false;
            }
            s.databaseError = e.what();
        }
    }
    if (!checked) {
        Complain(
            "the catalogue and the vehicle list are not checked: the station's database "
            "cannot be read (" +
            s.databaseError + ")");
        s.source.catalogueUnread = s.databaseError;
    }
    return true;
}

// Runs the core audit with the conditions of the limits plug-in (or, in
// series mode, of the same intake and rules in here).
std::optional<audit::AuditReport> RunWithPlugin(AuditedStation &s,
                                                const audit::StationCatalogue *catalogue) {
    platform::DynamicLibrary library;
    if (OpenLimitsPlugin(s.station, library) != kExitOk) return std::nullopt;
    auto initInfo = reinterpret_cast<decltype(&::ExtInitInfo)>(library.Symbol("ExtInitInfo"));
    auto getCondition =
        reinterpret_cast<decltype(&::ExtGetCondition)>(library.Symbol("ExtGetCondition"));
    if (initInfo == nullptr || getCondition == nullptr) {
        Complain(s.station.libraryDir + "/" + kLimitsPluginFile +
                 " has no ExtInitInfo or ExtGetCondition");
        return std::nullopt;
    }
    audit::PluginConditions plugin(s.plinth, initInfo, getCondition);
    audit::EngineConditions rules(s.plinth);
    // In series mode the plug-in answers with series keys: the national
    // conditions are then confirmed by the same intake and rules in here.
    const bool seriesMode = s.settings.seriesMode == 1;
    s.source.seriesMode = seriesMode;
    s.source.confirmedBy = seriesMode
                               ? "the engine's intake and rules (the plug-in serves series)"
                               : std::string(kLimitsPluginFile) + " (ExtInitInfo, ExtGetCondition)";
    audit::ConditionSource &conditions =
        seriesMode ? static_cast<audit::ConditionSource &>(rules) : plugin;
    return audit::RunAudit(s.table, catalogue, conditions);
}

// A name of the environment library's dictionary, in UTF-8.
std::string DictionaryName(const bridges::PlinthBridge &plinth, int code) {
    char name[PLINTH_NAME_BYTES] = {};
    if (plinth.GetZK2IDInfo(code, name) <= 0) return "";
    name[PLINTH_NAME_BYTES - 1] = '\0';
    return platform::GbkToUtf8Lossy(name);
}

}  // namespace

std::optional<AuditReport> AuditStation(const std::string &stationOption,
                                        const AuditRequest &request) {
    AuditedStation s;
    if (!OpenTable(stationOption, request, s)) return std::nullopt;
    StationLists lists;
    bool checked = false;
    if (!ReadLists(s, lists, checked)) return std::nullopt;
    const std::optional<audit::AuditReport> found =
        RunWithPlugin(s, checked ? &lists.catalogue : nullptr);
    if (!found) return std::nullopt;
    AuditNames names;
    names.param = [&s](int code) { return DictionaryName(s.plinth, code); };
    names.items = std::move(lists.itemNames);
    return ReportOf(*found, s.source, names, lists.listed, lists.held);
}

}  // namespace stdhost
