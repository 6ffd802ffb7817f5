// The history as text and as JSON.
#include "history_render.h"

#include <algorithm>

namespace stdhost {
namespace {

Json ValuesJson(const std::optional<generator::LimitValues> &values) {
    if (!values) return nullptr;
    return Json{{"hvalue", values->hvalue}, {"lvalue", values->lvalue}};
}

Json RowJson(const generator::HistoryRow &row) {
    return Json{{"itemid", row.itemid},        {"condition", row.condition},
                {"paramid", row.paramid},      {"type", row.type},
                {"itemname", row.itemname},    {"paramname", row.paramname},
                {"stdorder", row.stdorder},    {"old", ValuesJson(row.before)},
                {"new", ValuesJson(row.after)}};
}

std::string ValuesText(const std::optional<generator::LimitValues> &values) {
    return values ? values->hvalue + "," + values->lvalue : "(none)";
}

// "#ID TIME UTC OPERATOR PROGRAM KIND SCOPE ..." on one line.
std::string HeaderText(const generator::ChangeSet &set) {
    std::string line = "#" + std::to_string(set.id) + " " + set.changedAt + " UTC  " +
                       set.operatorName + "  \"" + set.program + "\"  " +
                       generator::ChangeKindName(set.kind) + " " + set.scope;
    if (set.kind == generator::ChangeKind::kRollback)
        line += "  reverts #" + std::to_string(set.reverts);
    if (!set.comment.empty()) line += "  \"" + set.comment + "\"";
    return line + "  rows " + std::to_string(set.rowCount);
}

// The header and at most `maxRows` rows (0 all); `more` the rows left
// unshown beyond those read.
// The header and at most `maxRows` rows.
std::string SetText(const generator::ChangeSet &set, std::size_t maxRows, long long more) {
    std::string text = HeaderText(set) + "\n";
    const std::size_t shown = std::min(maxRows, set.rows.size());
    for (std::size_t i = 0; i < shown; ++i) {
        const generator::HistoryRow &row = set.rows[i];
        text += "  " + std::to_string(row.itemid) + " " + row.condition + " " +
                std::to_string(row.paramid) + ": " + ValuesText(row.before) + " -> " +
                ValuesText(row.after) + "\n";
    }
    const long long left = static_cast<long long>(set.rows.size() - shown) + more;
    if (left > 0)
        text += "  ... and " + std::to_string(left) + " more (stdhost history show " +
                std::to_string(set.id) + ")\n";
    return text;
}

}  // namespace

Json ChangeSetJson(const generator::ChangeSet &set) {
    Json rows = Json::array();
    for (const generator::HistoryRow &row : set.rows) rows.push_back(RowJson(row));
    Json j = Json::object();
    j["id"] = set.id;
    j["changedAt"] = set.changedAt;
    j["operator"] = set.operatorName;
    j["program"] = set.program;
    j["kind"] = generator::ChangeKindName(set.kind);
    j["scope"] = set.scope;
    j["comment"] = set.comment;
    j["reverts"] = set.kind == generator::ChangeKind::kRollback ? Json(set.reverts) : Json();
    j["rowCount"] = set.rowCount;
    j["tableRows"] = set.tableRows;
    j["prevHash"] = set.prevHash;
    j["hash"] = set.hash;
    j["tableDigest"] = set.tableDigest;
    j["rows"] = rows;
    return j;
}

void to_json(Json &j, const HistoryList &list) {
    Json sets = Json::array();
    for (const generator::ChangeSet &set : list.sets) sets.push_back(ChangeSetJson(set));
    j = Json{{"history", list.kept}, {"filtered", list.filtered}, {"changeSets", sets}};
}

void to_json(Json &j, const HistoryShow &show) {
    j = ChangeSetJson(show.set);
}

void to_json(Json &j, const HistoryAsOf &asOf) {
    const generator::LimitsAtMoment &m = asOf.limits;
    Json limits = Json::array();
    for (const generator::LimitInForce &l : m.limits)
        limits.push_back(Json{{"paramid", l.paramid},
                              {"paramname", l.paramname},
                              {"hvalue", l.values.hvalue},
                              {"lvalue", l.values.lvalue},
                              {"changeSet", l.changeSet},
                              {"changedAt", l.changedAt}});
    j = Json{{"history", asOf.kept},
             {"asOf", m.when},
             {"itemid", m.itemid},
             {"condition", m.condition},
             {"beforeHistory", m.beforeHistory},
             {"lastChangeSet", m.lastChangeSet},
             {"limits", limits}};
}

std::string HistoryListText(const HistoryList &list, std::size_t rowsPerSet) {
    if (!list.kept) return std::string(kNoHistory) + "\n";
    if (list.sets.empty()) return "no change set matches\n";
    std::string text;
    for (const generator::ChangeSet &set : list.sets) {
        // Without a row filter the rows read may be fewer than the set's.
        const long long unread =
            list.filtered ? 0 : set.rowCount - static_cast<long long>(set.rows.size());
        text += SetText(set, rowsPerSet, std::max(0LL, unread));
    }
    return text;
}

std::string ChangeSetText(const HistoryShow &show) {
    const generator::ChangeSet &set = show.set;
    return SetText(set, set.rows.size(), 0) + "  previous hash " + set.prevHash + "\n  hash " +
           set.hash + "\n  table digest " + set.tableDigest + " (" + std::to_string(set.tableRows) +
           " rows)\n";
}

std::string LimitsAsOfText(const HistoryAsOf &asOf) {
    if (!asOf.kept) return std::string(kNoHistory) + "\n";
    const generator::LimitsAtMoment &m = asOf.limits;
    std::string text =
        "item " + std::to_string(m.itemid) + " " + m.condition + " as of " + m.when + " UTC";
    if (m.beforeHistory) return text + ": before the first change set of the history; not known\n";
    text += " (change sets up to #" + std::to_string(m.lastChangeSet) +
            "): " + std::to_string(m.limits.size()) + " limits\n";
    for (const generator::LimitInForce &l : m.limits)
        text += "  " + std::to_string(l.paramid) + " " + l.paramname + ": " + l.values.hvalue +
                "," + l.values.lvalue + "  (#" + std::to_string(l.changeSet) + " " + l.changedAt +
                " UTC)\n";
    return text;
}

}  // namespace stdhost
