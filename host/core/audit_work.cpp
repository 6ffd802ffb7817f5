// stdhost audit's work on a station: the table, what the database lists
// besides it, and the conditions the limits plug-in gives real vehicles.
#include "audit_work.h"

#include <memory>

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

// The conditions of the limits plug-in, or, in series mode (where the
// plug-in answers with series keys), of the same intake and rules in here.
struct ConditionSources {
    platform::DynamicLibrary library;
    std::unique_ptr<audit::PluginConditions> plugin;
    std::unique_ptr<audit::EngineConditions> rules;
    audit::ConditionSource *chosen = nullptr;
};

bool OpenSources(const Station &station, const bridges::PlinthBridge &plinth, bool seriesMode,
                 ConditionSources &sources, AuditSource &info) {
    if (OpenLimitsPlugin(station, sources.library) != kExitOk) return false;
    auto initInfo =
        reinterpret_cast<decltype(&::ExtInitInfo)>(sources.library.Symbol("ExtInitInfo"));
    auto getCondition =
        reinterpret_cast<decltype(&::ExtGetCondition)>(sources.library.Symbol("ExtGetCondition"));
    if (initInfo == nullptr || getCondition == nullptr) {
        Complain(station.libraryDir + "/" + kLimitsPluginFile +
                 " has no ExtInitInfo or ExtGetCondition");
        return false;
    }
    sources.plugin = std::make_unique<audit::PluginConditions>(plinth, initInfo, getCondition);
    sources.rules = std::make_unique<audit::EngineConditions>(plinth);
    info.seriesMode = seriesMode;
    info.confirmedBy = seriesMode
                           ? "the engine's intake and rules (the plug-in serves series)"
                           : std::string(kLimitsPluginFile) + " (ExtInitInfo, ExtGetCondition)";
    sources.chosen = seriesMode ? static_cast<audit::ConditionSource *>(sources.rules.get())
                                : sources.plugin.get();
    return true;
}

std::optional<audit::AuditReport> RunWithPlugin(AuditedStation &s,
                                                const audit::StationCatalogue *catalogue) {
    ConditionSources sources;
    if (!OpenSources(s.station, s.plinth, s.settings.seriesMode == 1, sources, s.source))
        return std::nullopt;
    return audit::RunAudit(s.table, catalogue, *sources.chosen);
}

// A name of the environment library's dictionary, in UTF-8.
std::string DictionaryName(const bridges::PlinthBridge &plinth, int code) {
    char name[PLINTH_NAME_BYTES] = {};
    if (plinth.GetZK2IDInfo(code, name) <= 0) return "";
    name[PLINTH_NAME_BYTES - 1] = '\0';
    return platform::GbkToUtf8Lossy(name);
}

}  // namespace

struct StationAudit::State {
    const Station &station;
    const bridges::PlinthBridge &plinth;
    const StationSettings &settings;
    StationLists lists;
    ConditionSources sources;
    AuditSource info;
};

StationAudit::StationAudit(const Station &station, const bridges::PlinthBridge &plinth,
                           const StationSettings &settings)
    : state_(new State{station, plinth, settings, {}, {}, {}}) {}

StationAudit::~StationAudit() = default;

bool StationAudit::Open(stationdb::Connection &connection) {
    State &s = *state_;
    try {
        s.lists.catalogue.itemParams = generator::ReadItemParams(connection);
        s.lists.catalogue.brands = generator::ReadBrandNames(connection);
        for (const generator::SeriesId &id : ListedSeries(connection))
            s.lists.catalogue.series[std::string(platform::TrimBlanks(id.brand))].insert(
                std::string(platform::TrimBlanks(id.series)));
    } catch (const stationdb::DatabaseError &e) {
        Complain(std::string("reading the catalogue failed: ") + e.what());
        return false;
    }
    return OpenSources(s.station, s.plinth, s.settings.seriesMode == 1, s.sources, s.info);
}

audit::AuditReport StationAudit::Run(const store::StandardTable &table) {
    return audit::RunAudit(table, &state_->lists.catalogue, *state_->sources.chosen);
}

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
