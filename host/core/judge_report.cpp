#include "judge_report.h"

#include <algorithm>
#include <cstdio>

#include "table_text.h"
#include "terminal_text.h"

namespace stdhost {
namespace {

std::string LimitsTable(const std::vector<JudgedLimit> &limits, const char *indent) {
    std::size_t nameWidth = 4;
    for (const JudgedLimit &l : limits) nameWidth = std::max(nameWidth, DisplayWidth(l.name));
    std::string text = Printed("%s%-7s %s %12s %12s\n", indent, "param",
                               Pad("name", nameWidth).c_str(), "lower", "upper");
    for (const JudgedLimit &l : limits)
        text += Printed("%s%-7d %s %12s %12s\n", indent, l.paramId, Pad(l.name, nameWidth).c_str(),
                        LimitText(l.lower).c_str(), LimitText(l.upper).c_str());
    return text;
}

std::string ExplanationText(const JudgeResult &result) {
    std::string text;
    for (const std::string &line : result.source) text += line + "\n";
    for (const ItemExplanation &e : result.explanation) {
        if (!e.hasCondition)
            text += Printed("item %d: no condition\n", e.itemId);
        else
            text += Printed("item %d: \"%s\" %s\n", e.itemId, e.condition.c_str(),
                            e.limits.empty() ? "not in the table" : "in the table");
        if (!e.limits.empty()) text += LimitsTable(e.limits, "    ");
    }
    return text + "\n";
}

}  // namespace

std::string JudgeText(const JudgeResult &result) {
    std::string text = result.explained ? ExplanationText(result) : "";
    text += Printed("%d items with limits, %zu limits\n", result.items, result.limits.size());
    if (!result.limits.empty()) text += LimitsTable(result.limits, "");
    return text;
}

void to_json(Json &out, const JudgedLimit &limit) {
    out = LimitEntryJson(limit.paramId, limit.name, limit.lower, limit.upper);
}

void to_json(Json &out, const ItemExplanation &item) {
    out = Json::object();
    out["item"] = item.itemId;
    out["condition"] = item.hasCondition ? Json(item.condition) : Json(nullptr);
    out["held"] = !item.limits.empty();
    out["limits"] = Json::array();
    for (const JudgedLimit &l : item.limits) out["limits"].push_back(l);
}

void to_json(Json &out, const JudgeResult &result) {
    out = Json::object();
    out["items"] = result.items;
    out["limits"] = Json::array();
    for (const JudgedLimit &l : result.limits) out["limits"].push_back(l);
    if (result.explained) {
        out["explain"] = Json::array();
        for (const ItemExplanation &e : result.explanation) out["explain"].push_back(e);
    }
}

}  // namespace stdhost
