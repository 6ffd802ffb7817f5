// The core's findings as the report names them: UTF-8 texts, the witness
// vehicles with the dictionary's names, the items with their names.
#include <map>

#include "audit_work.h"
#include "generator/series_standard.h"
#include "platform/gbk.h"
#include "platform/value_text.h"
#include "store/condition_compare.h"

namespace stdhost {
namespace {

std::string Utf8(const std::string &gbk) {
    return platform::GbkToUtf8Lossy(gbk);
}

std::string Trimmed(const std::string &text) {
    return std::string(platform::TrimBlanks(text));
}

// The name of a coded value ("10820001"), "" for numbers and dates.
std::string ValueName(const AuditNames &names, const std::string &text) {
    if (text.size() < 5 || text.find_first_not_of("0123456789") != std::string::npos) return "";
    return names.param(std::atoi(text.c_str()));
}

std::string JudgeLine(int itemId, const audit::Registration &registration) {
    std::string line = "stdhost judge --explain --items " + std::to_string(itemId);
    for (const audit::RegistrationValue &v : registration)
        line += " --set " + std::to_string(v.paramId) + "=" + v.text;
    return line;
}

std::vector<AuditVehicle> Vehicles(const std::vector<audit::MissingCondition> &list,
                                   const AuditNames &names) {
    std::vector<AuditVehicle> out;
    for (const audit::MissingCondition &m : list) {
        AuditVehicle vehicle{
            m.itemId, Utf8(m.condition), m.heldEmpty, {}, JudgeLine(m.itemId, m.witness)};
        for (const audit::RegistrationValue &v : m.witness)
            vehicle.vehicle.push_back(
                {v.paramId, names.param(v.paramId), v.text, ValueName(names, v.text)});
        out.push_back(std::move(vehicle));
    }
    return out;
}

std::vector<AuditItem> Items(const audit::AuditReport &r, const AuditNames &names) {
    std::vector<AuditItem> out;
    for (const audit::ItemCoverage &i : r.items) {
        const auto name = names.items.find(i.itemId);
        out.push_back({i.itemId, name == names.items.end() ? std::string() : Utf8(name->second),
                       i.reachable, i.covered, i.reachable - i.covered, i.impossibleOnly,
                       i.tableConditions, i.unreachable});
    }
    return out;
}

// The findings about the table's own rows.
void TableFindings(const audit::AuditReport &r, const AuditNames &names, AuditReport &out) {
    for (const audit::UnreachableRow &u : r.unreachable)
        out.unreachable.push_back(
            {u.itemId, u.devid, Utf8(u.condition), u.paramCount,
             u.suggestion.empty() ? std::nullopt : std::optional<std::string>(Utf8(u.suggestion)),
             u.distance});
    for (const audit::OrphanSeries &o : r.orphanSeries)
        out.orphanSeries.push_back(
            {o.itemId, Utf8(o.condition),
             o.brandKnown ? std::optional<std::string>(Utf8(o.brand)) : std::nullopt});
    for (const audit::DeviceGap &g : r.deviceGaps)
        out.deviceGaps.push_back({g.itemId, g.devid, g.heldBy, Utf8(g.condition)});
    for (const audit::CaseVariant &v : r.caseVariants)
        out.caseVariants.push_back(
            {v.itemId, v.devid, Utf8(v.condition), v.firstDevid, Utf8(v.firstCondition)});
    for (const audit::TableCondition &e : r.emptyConditions)
        out.emptyConditions.push_back({e.itemId, e.devid, Utf8(e.condition)});
    for (const audit::MissingParams &m : r.missingParams) {
        AuditMissingParams lacking{m.itemId, m.devid, Utf8(m.condition), {}};
        for (int id : m.params) lacking.params.push_back({id, names.param(id)});
        out.missingParams.push_back(std::move(lacking));
    }
    out.unknownItems = r.unknownItems;
}

// Series keys the lines cannot serve right: keys that two listed brand and
// series pairs form (the line finds one standard for both), and stored keys
// whose brand or series the line's intake cuts (the line finds nothing).
AuditSeriesKeys SeriesKeys(const std::vector<generator::SeriesId> &listed,
                           const std::set<std::string> &held) {
    std::map<std::string, std::vector<const generator::SeriesId *>> byKey;
    for (const generator::SeriesId &id : listed)
        byKey[store::FoldCondition(generator::SeriesCondition(id.brand, id.series))].push_back(&id);
    AuditSeriesKeys keys;
    for (const auto &[key, ids] : byKey) {
        const std::string condition = generator::SeriesCondition(ids[0]->brand, ids[0]->series);
        if (ids.size() > 1) {
            AuditSharedKey shared{Utf8(condition), {}, held.count(key) != 0};
            for (const generator::SeriesId *id : ids)
                shared.series.push_back({Utf8(Trimmed(id->brand)), Utf8(Trimmed(id->series))});
            keys.shared.push_back(std::move(shared));
        }
        for (const generator::SeriesId *id : ids) {
            const std::string brand = Trimmed(id->brand), series = Trimmed(id->series);
            if (held.count(key) == 0 || generator::SeriesKeyCut(brand, series).empty()) continue;
            keys.cut.push_back(
                {Utf8(condition), brand.size(), series.size(), generator::kIntakeNameBytes});
        }
    }
    return keys;
}

AuditSummary Summary(const audit::AuditReport &r, const AuditReport &out) {
    AuditSummary s;
    for (const audit::ItemCoverage &item : r.items) s.items += item.reachable > 0 ? 1 : 0;
    s.itemsFullyCovered = r.ItemsFullyCovered();
    s.reachableConditions = r.reachableConditions;
    s.confirmedConditions = r.confirmedConditions;
    s.vehiclesTried = r.sourceCalls;
    s.missing = r.missing.size();
    s.impossibleOnly = r.impossibleOnly.size();
    s.unreachable = r.unreachable.size();
    s.seriesStandards = r.seriesConditions;
    s.orphanSeries = r.orphanSeries.size();
    s.deviceGaps = r.deviceGaps.size();
    s.caseVariants = r.caseVariants.size();
    s.emptyConditions = r.emptyConditions.size();
    s.missingParams = r.missingParams.size();
    s.unknownItems = r.unknownItems.size();
    s.catalogueChecked = r.catalogueChecked;
    s.sharedSeriesKeys = out.seriesKeys.shared.size();
    s.cutSeriesKeys = out.seriesKeys.cut.size();
    return s;
}

}  // namespace

AuditReport ReportOf(const audit::AuditReport &found, const AuditSource &source,
                     const AuditNames &names, const std::vector<generator::SeriesId> &listed,
                     const std::set<std::string> &held) {
    AuditReport report;
    report.source = source;
    report.items = Items(found, names);
    report.missing = Vehicles(found.missing, names);
    report.impossibleOnly = Vehicles(found.impossibleOnly, names);
    TableFindings(found, names, report);
    report.seriesKeys = SeriesKeys(listed, held);
    report.summary = Summary(found, report);
    report.covered =
        found.FullyCovered() && report.seriesKeys.shared.empty() && report.seriesKeys.cut.empty();
    return report;
}

}  // namespace stdhost
