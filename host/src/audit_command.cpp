// stdhost audit: which vehicles the station's standard table leaves without
// limits, and which of its conditions no vehicle reaches.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <map>
#include <memory>
#include <set>

#include "audit_report.h"
#include "bridges/plinth_bridge.h"
#include "commands.h"
#include "condition_sources.h"
#include "coverage_audit.h"
#include "ext_family.h"
#include "generator/series_key.h"
#include "generator/series_standard.h"
#include "host_platform.h"
#include "platform/atomic_file.h"
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

// Exit codes of the audit: a station runs it after every edit.
constexpr int kAuditCovered = 0;
constexpr int kAuditGaps = 1;
constexpr int kAuditError = 2;

struct AuditOptions {
    std::string sfd;
    bool json = false;
    std::string html;
};

std::string Utf8(const std::string &gbk) {
    return platform::GbkToUtf8Lossy(gbk);
}

std::string Trimmed(const std::string &text) {
    return std::string(platform::TrimBlanks(text));
}

// The catalogue, item names and vehicle list of the station's database.
// Vehicle-list rows without a GBK form are left out with one warning.
void ReadCatalogue(stationdb::Connection &connection, audit::StationCatalogue &catalogue,
                   std::map<int, std::string> &itemNames,
                   std::vector<generator::SeriesId> &listed) {
    stationdb::Statement params(connection, "select ItemId, ParamId from tb_id_param");
    params.Execute();
    while (params.Fetch())
        catalogue.itemParams[std::atoi(params.Text(1).c_str())].insert(
            std::atoi(params.Text(2).c_str()));
    stationdb::Statement items(connection, "select ItemId, ItemName from tb_id_item");
    items.Execute();
    while (items.Fetch()) itemNames[std::atoi(items.Text(1).c_str())] = Trimmed(items.Text(2));
    stationdb::Statement brands(connection, "select CPMC from tb_type_index");
    brands.Execute();
    while (brands.Fetch()) {
        std::string brand;
        if (platform::Utf8ToGbk(brands.Utf8(1), brand)) catalogue.brands.insert(Trimmed(brand));
    }
    listed = ListedSeries(connection);
    for (const generator::SeriesId &id : listed)
        catalogue.series[Trimmed(id.brand)].insert(Trimmed(id.series));
}

// The conditions tb_id_standard holds, folded, whole (the table cuts long
// ones). Rows without a GBK form cannot be any series key.
std::set<std::string> StoredConditions(stationdb::Connection &connection) {
    std::set<std::string> held;
    stationdb::Statement st(connection, "select distinct condition from tb_id_standard",
                            stationdb::Statement::Direct{});
    st.Execute();
    std::string gbk;
    while (st.Fetch())
        if (platform::Utf8ToGbk(st.Utf8(1), gbk)) held.insert(store::FoldCondition(Trimmed(gbk)));
    return held;
}

// Series keys the lines cannot serve right: keys that two listed brand and
// series pairs form (the line finds one standard for both), and stored keys
// whose brand or series the line's intake cuts (the line finds nothing).
Json SeriesKeysJson(const std::vector<generator::SeriesId> &listed,
                    const std::set<std::string> &held) {
    std::map<std::string, std::vector<const generator::SeriesId *>> byKey;
    for (const generator::SeriesId &id : listed)
        byKey[store::FoldCondition(generator::SeriesCondition(id.brand, id.series))].push_back(&id);
    Json shared = Json::array(), cut = Json::array();
    for (const auto &[key, ids] : byKey) {
        const std::string condition = generator::SeriesCondition(ids[0]->brand, ids[0]->series);
        if (ids.size() > 1) {
            Json pairs = Json::array();
            for (const generator::SeriesId *id : ids)
                pairs.push_back(Json{{"brand", Utf8(Trimmed(id->brand))},
                                     {"series", Utf8(Trimmed(id->series))}});
            shared.push_back(Json{{"condition", Utf8(condition)},
                                  {"series", std::move(pairs)},
                                  {"stored", held.count(key) != 0}});
        }
        for (const generator::SeriesId *id : ids) {
            const std::string brand = Trimmed(id->brand), series = Trimmed(id->series);
            if (held.count(key) == 0 || generator::SeriesKeyCut(brand, series).empty()) continue;
            cut.push_back(Json{{"condition", Utf8(condition)},
                               {"brandBytes", brand.size()},
                               {"seriesBytes", series.size()},
                               {"intakeBytes", generator::kIntakeNameBytes}});
        }
    }
    return Json{{"shared", std::move(shared)}, {"cut", std::move(cut)}};
}

// Names from the environment library's dictionary.
class Dictionary {
  public:
    explicit Dictionary(const bridges::PlinthBridge &plinth) : plinth_(plinth) {}
    std::string Name(int code) const {
        char name[PLINTH_NAME_BYTES] = {};
        if (plinth_.GetZK2IDInfo(code, name) <= 0) return "";
        name[PLINTH_NAME_BYTES - 1] = '\0';
        return Utf8(name);
    }
    // The name of a coded value ("10820001"), "" for numbers and dates.
    std::string ValueName(const std::string &text) const {
        if (text.size() < 5 || text.find_first_not_of("0123456789") != std::string::npos) return "";
        return Name(std::atoi(text.c_str()));
    }

  private:
    const bridges::PlinthBridge &plinth_;
};

Json VehicleJson(const audit::Registration &registration, const Dictionary &names) {
    Json vehicle = Json::array();
    for (const audit::RegistrationValue &v : registration) {
        Json entry = Json::object();
        entry["param"] = v.paramId;
        entry["name"] = names.Name(v.paramId);
        entry["value"] = v.text;
        entry["meaning"] = names.ValueName(v.text);
        vehicle.push_back(std::move(entry));
    }
    return vehicle;
}

std::string JudgeLine(int itemId, const audit::Registration &registration) {
    std::string line = "stdhost judge --explain --items " + std::to_string(itemId);
    for (const audit::RegistrationValue &v : registration)
        line += " --set " + std::to_string(v.paramId) + "=" + v.text;
    return line;
}

Json MissingJson(const std::vector<audit::MissingCondition> &list, const Dictionary &names) {
    Json out = Json::array();
    for (const audit::MissingCondition &m : list) {
        Json entry = Json::object();
        entry["item"] = m.itemId;
        entry["condition"] = Utf8(m.condition);
        entry["heldEmpty"] = m.heldEmpty;
        entry["vehicle"] = VehicleJson(m.witness, names);
        entry["judge"] = JudgeLine(m.itemId, m.witness);
        out.push_back(std::move(entry));
    }
    return out;
}

Json ReportJson(const audit::AuditReport &r, const Json &source, const Dictionary &names,
                const std::map<int, std::string> &itemNames) {
    const auto itemName = [&](int id) {
        auto it = itemNames.find(id);
        return it == itemNames.end() ? std::string() : Utf8(it->second);
    };
    Json out = Json::object();
    out["source"] = source;
    out["covered"] = r.FullyCovered();
    Json summary = Json::object();
    std::size_t judged = 0;
    for (const auto &item : r.items) judged += item.reachable > 0 ? 1 : 0;
    summary["items"] = judged;
    summary["itemsFullyCovered"] = r.ItemsFullyCovered();
    summary["reachableConditions"] = r.reachableConditions;
    summary["confirmedConditions"] = r.confirmedConditions;
    summary["vehiclesTried"] = r.sourceCalls;
    summary["missing"] = r.missing.size();
    summary["impossibleOnly"] = r.impossibleOnly.size();
    summary["unreachable"] = r.unreachable.size();
    summary["seriesStandards"] = r.seriesConditions;
    summary["orphanSeries"] = r.orphanSeries.size();
    summary["deviceGaps"] = r.deviceGaps.size();
    summary["caseVariants"] = r.caseVariants.size();
    summary["emptyConditions"] = r.emptyConditions.size();
    summary["missingParams"] = r.missingParams.size();
    summary["unknownItems"] = r.unknownItems.size();
    summary["catalogueChecked"] = r.catalogueChecked;
    out["summary"] = std::move(summary);

    Json items = Json::array();
    for (const audit::ItemCoverage &i : r.items) {
        Json item = Json::object();
        item["item"] = i.itemId;
        item["name"] = itemName(i.itemId);
        item["reachable"] = i.reachable;
        item["covered"] = i.covered;
        item["missing"] = i.reachable - i.covered;
        item["impossibleOnly"] = i.impossibleOnly;
        item["tableConditions"] = i.tableConditions;
        item["unreachable"] = i.unreachable;
        items.push_back(std::move(item));
    }
    out["items"] = std::move(items);
    out["missing"] = MissingJson(r.missing, names);
    out["impossibleOnly"] = MissingJson(r.impossibleOnly, names);

    Json unreachable = Json::array();
    for (const audit::UnreachableRow &u : r.unreachable) {
        Json entry = Json::object();
        entry["item"] = u.itemId;
        entry["device"] = u.devid;
        entry["condition"] = Utf8(u.condition);
        entry["limits"] = u.paramCount;
        entry["suggestion"] = u.suggestion.empty() ? Json(nullptr) : Json(Utf8(u.suggestion));
        entry["distance"] = u.suggestion.empty() ? Json(nullptr) : Json(u.distance);
        unreachable.push_back(std::move(entry));
    }
    out["unreachable"] = std::move(unreachable);

    Json orphans = Json::array();
    for (const audit::OrphanSeries &o : r.orphanSeries) {
        Json entry = Json::object();
        entry["item"] = o.itemId;
        entry["condition"] = Utf8(o.condition);
        entry["brand"] = o.brandKnown ? Json(Utf8(o.brand)) : Json(nullptr);
        orphans.push_back(std::move(entry));
    }
    out["orphanSeries"] = std::move(orphans);

    Json gaps = Json::array();
    for (const audit::DeviceGap &g : r.deviceGaps)
        gaps.push_back(Json{{"item", g.itemId},
                            {"device", g.devid},
                            {"heldBy", g.heldBy},
                            {"condition", Utf8(g.condition)}});
    out["deviceGaps"] = std::move(gaps);

    Json variants = Json::array();
    for (const audit::CaseVariant &v : r.caseVariants)
        variants.push_back(Json{{"item", v.itemId},
                                {"device", v.devid},
                                {"condition", Utf8(v.condition)},
                                {"shadowedByDevice", v.firstDevid},
                                {"shadowedBy", Utf8(v.firstCondition)}});
    out["caseVariants"] = std::move(variants);

    Json empty = Json::array();
    for (const audit::TableCondition &e : r.emptyConditions)
        empty.push_back(
            Json{{"item", e.itemId}, {"device", e.devid}, {"condition", Utf8(e.condition)}});
    out["emptyConditions"] = std::move(empty);

    Json lacking = Json::array();
    for (const audit::MissingParams &m : r.missingParams) {
        Json params = Json::array();
        for (int id : m.params) params.push_back(Json{{"param", id}, {"name", names.Name(id)}});
        lacking.push_back(Json{{"item", m.itemId},
                               {"device", m.devid},
                               {"condition", Utf8(m.condition)},
                               {"params", std::move(params)}});
    }
    out["missingParams"] = std::move(lacking);
    out["unknownItems"] = r.unknownItems;
    return out;
}

int Audit(const std::string &stationOption, const AuditOptions &options) {
    Station station;
    bridges::PlinthBridge plinth;
    StationSettings settings;
    const bool fromFile = !options.sfd.empty();
    if (EnterStation(stationOption, station, plinth, settings,
                     fromFile ? StationNeeds::kStandards : StationNeeds::kDatabase) != kExitOk)
        return kAuditError;

    Json source = Json::object();
    store::StandardTable table;
    stationdb::Connection connection;
    std::string databaseError;
    if (!settings.dataSource.empty()) {
        try {
            ConnectStation(connection, settings.ConnectString());
        } catch (const stationdb::DatabaseError &e) {
            databaseError = e.what();
        }
    }
    if (fromFile) {
        store::StandardFileReport fileReport;
        if (table.LoadFromFile(options.sfd, &fileReport) != 1) {
            Complain("cannot load the standard file " + options.sfd);
            return kAuditError;
        }
        source["table"] = "file";
        source["name"] = options.sfd;
        const std::string damage = StandardFileDamage(options.sfd);
        if (!damage.empty()) {
            Complain(damage);
            source["damage"] = damage;
        }
    } else {
        if (!connection.IsOpen()) {
            Complain("cannot reach the station's database (data source " + settings.dataSource +
                     "): " + databaseError);
            return kAuditError;
        }
        try {
            if (store::ReadStandardTable(connection, table, store::ReadPath::kStaged) != 1) {
                Complain(
                    "reading the standard table from the database failed (STATION_TRACE=- "
                    "shows why)");
                return kAuditError;
            }
        } catch (const stationdb::DatabaseError &e) {
            Complain(std::string("reading the standard table from the database failed: ") +
                     e.what());
            return kAuditError;
        }
        source["table"] = "database";
        source["name"] = settings.dataSource;
    }

    audit::StationCatalogue catalogue;
    std::map<int, std::string> itemNames;
    std::vector<generator::SeriesId> listed;
    std::set<std::string> held;
    bool haveCatalogue = false;
    if (connection.IsOpen()) {
        try {
            ReadCatalogue(connection, catalogue, itemNames, listed);
            held = StoredConditions(connection);
            haveCatalogue = true;
        } catch (const stationdb::DatabaseError &e) {
            if (!fromFile) {
                Complain(std::string("reading the catalogue failed: ") + e.what());
                return kAuditError;
            }
            databaseError = e.what();
        }
    }
    if (!haveCatalogue) {
        Complain(
            "the catalogue and the vehicle list are not checked: the station's database "
            "cannot be read (" +
            databaseError + ")");
        source["catalogue"] = databaseError;
    }

    platform::DynamicLibrary library;
    if (OpenLimitsPlugin(station, library) != kExitOk) return kAuditError;
    auto initInfo = reinterpret_cast<decltype(&::ExtInitInfo)>(library.Symbol("ExtInitInfo"));
    auto getCondition =
        reinterpret_cast<decltype(&::ExtGetCondition)>(library.Symbol("ExtGetCondition"));
    if (initInfo == nullptr || getCondition == nullptr) {
        Complain(station.libraryDir + "/" + kLimitsPluginFile +
                 " has no ExtInitInfo or ExtGetCondition");
        return kAuditError;
    }
    audit::PluginConditions plugin(plinth, initInfo, getCondition);
    audit::EngineConditions rules(plinth);
    // In series mode the plug-in answers with series keys: the national
    // conditions are then confirmed by the same intake and rules in here.
    const bool seriesMode = settings.seriesMode == 1;
    source["seriesMode"] = seriesMode;
    source["confirmedBy"] =
        seriesMode ? "the engine's intake and rules (the plug-in serves series)"
                   : std::string(kLimitsPluginFile) + " (ExtInitInfo, ExtGetCondition)";
    audit::ConditionSource &conditions =
        seriesMode ? static_cast<audit::ConditionSource &>(rules) : plugin;
    const audit::AuditReport report =
        audit::RunAudit(table, haveCatalogue ? &catalogue : nullptr, conditions);

    Json out = ReportJson(report, source, Dictionary(plinth), itemNames);
    out["seriesKeys"] = SeriesKeysJson(listed, held);
    const bool keysServed = out["seriesKeys"]["shared"].empty() && out["seriesKeys"]["cut"].empty();
    out["summary"]["sharedSeriesKeys"] = out["seriesKeys"]["shared"].size();
    out["summary"]["cutSeriesKeys"] = out["seriesKeys"]["cut"].size();
    out["covered"] = report.FullyCovered() && keysServed;
    if (!options.html.empty()) {
        const std::string page = AuditHtml(out);
        const platform::AtomicWriteResult written =
            platform::WriteFileAtomically(options.html, page);
        if (written != platform::AtomicWriteResult::kOk) {
            Complain("cannot write " + options.html + ": " + platform::AtomicWriteProblem(written));
            return kAuditError;
        }
    }
    if (options.json)
        PrintJson(out);
    else
        std::fputs(AuditText(out).c_str(), stdout);
    return report.FullyCovered() && keysServed ? kAuditCovered : kAuditGaps;
}

}  // namespace

void AddAuditCommand(CLI::App &app, CommandLine &line) {
    auto o = std::make_shared<AuditOptions>();
    CLI::App *audit = AddCommand(
        app, line, "audit",
        "The standard table's coverage: vehicles it leaves without limits, conditions no "
        "vehicle reaches (exit 0 covered, 1 not, 2 an error).",
        [&line, o] { return Audit(line.station, *o); });
    audit->fallthrough();
    audit->add_option("--sfd", o->sfd, "audit this standard file instead of the database's table")
        ->type_name("FILE")
        ->check(CLI::ExistingFile);
    audit->add_flag("--json", o->json, "print the report as JSON");
    audit->add_option("--html", o->html, "also write the report as one HTML page")
        ->type_name("FILE");
}

}  // namespace stdhost
