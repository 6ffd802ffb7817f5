// The audit's text report: the summary, then each kind of finding, then the
// items.
#include <algorithm>

#include "audit_report.h"
#include "terminal_text.h"

namespace stdhost {
namespace {

std::string Quoted(const std::string &text) {
    return "\"" + text + "\"";
}

std::string Plural(std::size_t n, const char *one, const char *many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string N(std::size_t n) {
    return std::to_string(n);
}

void Line(std::string &out, const std::string &text) {
    out += text + "\n";
}

void VehicleSection(std::string &out, const char *title, const std::vector<AuditVehicle> &list) {
    if (list.empty()) return;
    Line(out, "");
    Line(out, title);
    for (const AuditVehicle &m : list) {
        Line(out, "  item " + std::to_string(m.item) + " " + Quoted(m.condition) +
                      (m.heldEmpty ? " (held without parameters)" : ""));
        std::size_t w = 0;
        for (const AuditVehicleValue &v : m.vehicle) w = std::max(w, DisplayWidth(v.name));
        for (const AuditVehicleValue &v : m.vehicle) {
            Line(out, Printed("      %-5d ", v.param) + Pad(v.name, w) + "  " + v.value +
                          (v.meaning.empty() ? "" : "  " + v.meaning));
        }
        Line(out, "    " + m.judge);
    }
}

void TableRowSections(std::string &out, const AuditReport &a) {
    if (!a.unreachable.empty()) {
        Line(out, "");
        Line(out, "Rows no vehicle reaches");
        for (const AuditUnreachable &u : a.unreachable) {
            std::string text = "  item " + N(u.item) + " device " + N(u.device) + " " +
                               Quoted(u.condition) + " (" + N(u.limits) + " limits)";
            if (u.suggestion)
                text += ": did you mean " + Quoted(*u.suggestion) + "? (" +
                        Plural(u.distance, "character", "characters") + " off)";
            else
                text += ": the rules give this item no condition";
            Line(out, text);
        }
    }
    if (!a.orphanSeries.empty()) {
        Line(out, "");
        Line(out, "Series standards of a brand or series the vehicle list no longer has");
        for (const AuditOrphanSeries &o : a.orphanSeries)
            Line(out, "  item " + N(o.item) + " " + Quoted(o.condition) +
                          (o.brand ? ": brand " + *o.brand + " has no such series"
                                   : std::string(": no such brand")));
    }
}

void SeriesKeySections(std::string &out, const AuditSeriesKeys &keys) {
    for (const AuditSharedKey &k : keys.shared) {
        std::string pairs;
        for (const AuditSeriesPair &p : k.series)
            pairs += (pairs.empty() ? "" : " and ") + p.brand + "/" + p.series;
        Line(out, "");
        Line(out, "Series key " + Quoted(k.condition) + " is formed by " + pairs +
                      ": the line serves one standard to both" +
                      (k.stored ? "" : " (none stored yet)"));
    }
    for (const AuditCutKey &k : keys.cut) {
        Line(out, "");
        Line(out, "Series key " + Quoted(k.condition) + " is stored, but its brand (" +
                      N(k.brandBytes) + " bytes) or series (" + N(k.seriesBytes) +
                      " bytes) is longer than the line's intake reads (" + N(k.intakeBytes) +
                      " bytes each): no vehicle finds it");
    }
}

void DeviceSections(std::string &out, const AuditReport &a) {
    if (!a.deviceGaps.empty()) {
        Line(out, "");
        Line(out, "Conditions missing under a device that performs the item");
        for (const AuditDeviceGap &g : a.deviceGaps)
            Line(out, "  item " + N(g.item) + ": device " + N(g.device) + " lacks " +
                          Quoted(g.condition) + " (device " + N(g.heldBy) + " has it)");
    }
    if (!a.caseVariants.empty()) {
        Line(out, "");
        Line(out, "Conditions shadowed by a case variant (the lookup finds the first)");
        for (const AuditCaseVariant &v : a.caseVariants)
            Line(out, "  item " + N(v.item) + ": device " + N(v.device) + " " +
                          Quoted(v.condition) + " is shadowed by " + Quoted(v.shadowedBy) +
                          " (device " + N(v.shadowedByDevice) + ")");
    }
}

void ParameterSections(std::string &out, const AuditReport &a) {
    if (!a.emptyConditions.empty()) {
        Line(out, "");
        Line(out, "Conditions without parameters");
        for (const AuditTableCondition &e : a.emptyConditions)
            Line(out, "  item " + N(e.item) + " device " + N(e.device) + " " + Quoted(e.condition));
    }
    if (!a.missingParams.empty()) {
        Line(out, "");
        Line(out, "Conditions lacking parameters of the item's catalogue (tb_id_param)");
        for (const AuditMissingParams &m : a.missingParams) {
            std::string params;
            for (const AuditParam &p : m.params)
                params += (params.empty() ? "" : ", ") + N(p.param) +
                          (p.name.empty() ? "" : " " + p.name);
            Line(out, "  item " + N(m.item) + " device " + N(m.device) + " " + Quoted(m.condition) +
                          ": no limit for " + params);
        }
    }
    if (!a.unknownItems.empty()) {
        std::string ids;
        for (int id : a.unknownItems) ids += (ids.empty() ? "" : ", ") + N(id);
        Line(out, "");
        Line(out,
             "Items the rules do not judge, with conditions that are not series standards: " + ids);
    }
}

void ItemTable(std::string &out, const std::vector<AuditItem> &items) {
    Line(out, "");
    Line(out, "Items");
    std::size_t nameWidth = 4;
    for (const AuditItem &i : items) nameWidth = std::max(nameWidth, DisplayWidth(i.name));
    Line(out, Printed("  %-5s ", "item") + Pad("name", nameWidth) +
                  "  reachable  covered  missing  only-impossible  table  unreachable");
    for (const AuditItem &i : items) {
        Line(out, Printed("  %-5d ", i.item) + Pad(i.name, nameWidth) +
                      Printed("  %9zu  %7zu  %7zu  %15zu  %5zu  %11zu", i.reachable, i.covered,
                              i.missing, i.impossibleOnly, i.tableConditions, i.unreachable));
    }
}

}  // namespace

std::string AuditSourceLine(const AuditSource &source) {
    return source.fromFile ? "standard file " + source.name
                           : "database table tb_id_standard (data source " + source.name + ")";
}

std::vector<std::pair<std::string, std::string>> AuditSummaryLines(const AuditSummary &s) {
    const auto conditions = [](std::size_t n) { return Plural(n, "condition", "conditions"); };
    return {
        {"items fully covered", N(s.itemsFullyCovered) + " of " + N(s.items)},
        {"vehicles without limits", conditions(s.missing)},
        {"rows no vehicle reaches", conditions(s.unreachable)},
        {"reached only by profiles no registration data gives", N(s.impossibleOnly)},
        {"series standards", N(s.seriesStandards) + " listed, " + N(s.orphanSeries) +
                                 " of a brand or series no longer listed"},
        {"series keys the lines cannot serve", N(s.sharedSeriesKeys) + " formed by two series, " +
                                                   N(s.cutSeriesKeys) +
                                                   " cut by the line's intake"},
        {"conditions missing under a device", N(s.deviceGaps)},
        {"conditions shadowed by a case variant", N(s.caseVariants)},
        {"conditions without parameters", N(s.emptyConditions)},
        {"conditions lacking catalogue parameters",
         s.catalogueChecked ? N(s.missingParams) : "not checked (no database)"},
        {"items the rules do not judge", N(s.unknownItems)},
        {"rule space", conditions(s.reachableConditions) + ", " + N(s.confirmedConditions) +
                           " confirmed by a vehicle (" + N(s.vehiclesTried) + " tried)"},
    };
}

std::string AuditText(const AuditReport &a) {
    std::string out;
    Line(out, "Coverage audit of the " + AuditSourceLine(a.source));
    Line(out, a.covered ? "Every condition a vehicle reaches has limits."
                        : "Some vehicles get no limits: the line cannot judge them.");
    Line(out, "");
    Line(out, "Summary");
    const auto summary = AuditSummaryLines(a.summary);
    std::size_t width = 0;
    for (const auto &[label, value] : summary) width = std::max(width, DisplayWidth(label));
    for (const auto &[label, value] : summary) Line(out, "  " + Pad(label, width) + "  " + value);
    VehicleSection(out, "Vehicles without limits (a vehicle that reaches each condition)",
                   a.missing);
    VehicleSection(out, "Reached only by profiles no registration data gives (not in the table)",
                   a.impossibleOnly);
    TableRowSections(out, a);
    SeriesKeySections(out, a.seriesKeys);
    DeviceSections(out, a);
    ParameterSections(out, a);
    ItemTable(out, a.items);
    return out;
}

}  // namespace stdhost
