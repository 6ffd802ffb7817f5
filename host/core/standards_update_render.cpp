// stdhost standards diff, apply and export as text and JSON.
#include "standards_update_render.h"

#include <cstdio>

namespace stdhost {
namespace {

std::string Plural(std::size_t n, const char *one, const char *many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Limits(const std::optional<generator::LimitValues> &v) {
    if (!v) return "-";
    return (v->hvalue.empty() ? "\"\"" : v->hvalue) + "/" +
           (v->lvalue.empty() ? "\"\"" : v->lvalue);
}

std::string ItemTitle(int itemid, const std::string &name) {
    return "item " + std::to_string(itemid) + (name.empty() ? "" : " " + name);
}

void ItemText(std::string &out, const ItemChanges &item) {
    out += "\n" + ItemTitle(item.itemid, item.itemName) + "\n";
    for (const std::string &c : item.conditionsAdded) out += "  condition added:   " + c + "\n";
    for (const std::string &c : item.conditionsRemoved) out += "  condition removed: " + c + "\n";
    for (const RowChange &row : item.rows) {
        const char mark = !row.before ? '+' : (!row.after ? '-' : '~');
        out += std::string("  ") + mark + " " + row.condition + "  " + std::to_string(row.paramid) +
               (row.paramName.empty() ? "" : " " + row.paramName) + "  " + Limits(row.before) +
               " -> " + Limits(row.after) + "\n";
    }
}

void EntriesText(std::string &out, const std::vector<CoverageEntry> &entries) {
    for (const CoverageEntry &e : entries)
        out += "  " + ItemTitle(e.itemid, e.itemName) + ": " + e.condition + "\n";
}

Json EntriesJson(const std::vector<CoverageEntry> &entries) {
    Json list = Json::array();
    for (const CoverageEntry &e : entries)
        list.push_back({{"item", e.itemid}, {"name", e.itemName}, {"condition", e.condition}});
    return list;
}

Json SideJson(const CoverageSide &side) {
    return {{"reachable", side.reachable},
            {"covered", side.covered},
            {"withoutLimits", EntriesJson(side.withoutLimits)},
            {"unreached", EntriesJson(side.unreached)}};
}

Json LimitsJson(const std::optional<generator::LimitValues> &v) {
    if (!v) return nullptr;
    return {{"upper", v->hvalue}, {"lower", v->lvalue}};
}

}  // namespace

std::string StandardsDiffText(const StandardsDiff &diff) {
    const PackageHeader &h = diff.header;
    std::string out = "package " + diff.file + ": " + h.name + " " + h.version + ", effective " +
                      h.effective + ", issued by " + h.issuer + " (" +
                      Plural(h.rows, "row", "rows") + ", sha256 " + h.sha256 + ")\n";
    if (!diff.signature.empty()) out += "signature: " + diff.signature + "\n";
    out += "national rows: " + std::to_string(diff.nationalBefore) + " now, " +
           std::to_string(diff.nationalAfter) + " after; " + std::to_string(diff.added) +
           " added, " + std::to_string(diff.removed) + " removed, " + std::to_string(diff.changed) +
           " changed, " + std::to_string(diff.unchanged) + " unchanged; " +
           Plural(diff.seriesRows, "series row", "series rows") + " untouched\n";
    if (diff.otherRows)
        out += Plural(diff.otherRows, "row", "rows") +
               " with a blank condition or one without a GBK form left as they are\n";
    for (const ItemChanges &item : diff.items) ItemText(out, item);
    out += "\ncoverage                                  now    after\n";
    auto line = [&](const char *what, std::size_t a, std::size_t b) {
        char text[128];
        std::snprintf(text, sizeof text, "  %-38s %6zu %6zu\n", what, a, b);
        out += text;
    };
    line("conditions real vehicles reach", diff.before.reachable, diff.after.reachable);
    line("  of them given limits", diff.before.covered, diff.after.covered);
    line("vehicle conditions without limits", diff.before.withoutLimits.size(),
         diff.after.withoutLimits.size());
    line("conditions no vehicle reaches", diff.before.unreached.size(),
         diff.after.unreached.size());
    if (!diff.newlyWithoutLimits.empty()) {
        out += "\nvehicles that would lose their limits (" +
               std::to_string(diff.newlyWithoutLimits.size()) + "):\n";
        EntriesText(out, diff.newlyWithoutLimits);
    }
    return out;
}

Json StandardsDiffJson(const StandardsDiff &diff) {
    const PackageHeader &h = diff.header;
    Json items = Json::array();
    for (const ItemChanges &item : diff.items) {
        Json rows = Json::array();
        for (const RowChange &r : item.rows)
            rows.push_back({{"condition", r.condition},
                            {"param", r.paramid},
                            {"name", r.paramName},
                            {"before", LimitsJson(r.before)},
                            {"after", LimitsJson(r.after)}});
        items.push_back({{"item", item.itemid},
                         {"name", item.itemName},
                         {"conditionsAdded", item.conditionsAdded},
                         {"conditionsRemoved", item.conditionsRemoved},
                         {"rows", std::move(rows)}});
    }
    return {{"file", diff.file},
            {"package",
             {{"name", h.name},
              {"version", h.version},
              {"effective", h.effective},
              {"issuer", h.issuer},
              {"rows", h.rows},
              {"sha256", h.sha256}}},
            {"signature", diff.signature},
            {"changes", diff.HasChanges()},
            {"rows",
             {{"added", diff.added},
              {"removed", diff.removed},
              {"changed", diff.changed},
              {"unchanged", diff.unchanged},
              {"nationalBefore", diff.nationalBefore},
              {"nationalAfter", diff.nationalAfter},
              {"seriesRows", diff.seriesRows},
              {"otherRows", diff.otherRows}}},
            {"items", std::move(items)},
            {"coverage",
             {{"before", SideJson(diff.before)},
              {"after", SideJson(diff.after)},
              {"newlyWithoutLimits", EntriesJson(diff.newlyWithoutLimits)}}}};
}

std::string StandardsApplyText(const StandardsApplyResult &result) {
    const PackageHeader &h = result.diff.header;
    const std::string package = h.name + " " + h.version;
    switch (result.outcome) {
        case ApplyOutcome::kNothingToDo:
            return "nothing to change: the national rows already are " + package + " (" +
                   Plural(result.diff.unchanged, "row", "rows") + "); nothing was written\n";
        case ApplyOutcome::kCoverageLoss:
            return "refused: after " + package + " " +
                   Plural(result.diff.newlyWithoutLimits.size(), "vehicle condition",
                          "vehicle conditions") +
                   " would have no limits (listed above); nothing was written (--force applies it "
                   "anyway)\n";
        case ApplyOutcome::kDryRun:
            return "dry run: " + package + " would be applied as change set #" +
                   std::to_string(result.changeSet) + ", DBModifyTime " + result.stampBefore +
                   " -> " + result.stampAfter + "; rolled back, nothing was written\n";
        case ApplyOutcome::kApplied:
            return std::string(result.forced ? "applied with --force: " : "applied: ") + package +
                   (result.changeSet ? " as change set #" + std::to_string(result.changeSet) : "") +
                   ", DBModifyTime " + result.stampBefore + " -> " + result.stampAfter + "\n";
        case ApplyOutcome::kFailed:
            break;
    }
    return "";
}

std::string StandardsExportText(const StandardsExportResult &result) {
    std::string out = "wrote " + result.file + ": " + result.header.name + " " +
                      result.header.version + ", " +
                      Plural(result.rows, "national row", "national rows") + ", sha256 " +
                      result.header.sha256 + "\n";
    if (result.rowsLeftOut)
        out += Plural(result.rowsLeftOut, "row", "rows") +
               " left out: the station's own series, and conditions that are blank or have no "
               "GBK form\n";
    return out;
}

}  // namespace stdhost
