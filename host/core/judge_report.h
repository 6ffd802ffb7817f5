#pragma once
// What judge prints: the verdict of RunJudge as text or JSON.
#include <string>

#include "json_output.h"
#include "judge.h"

namespace stdhost {

// "N items with limits, M limits" and the limits table, after the
// explanation and a blank line when the request asked for one.
std::string JudgeText(const JudgeResult &result);

// {"param", "name", "lower", "upper"} (LimitEntryJson).
void to_json(Json &out, const JudgedLimit &limit);
// {"item", "condition" (null without one), "held", "limits"}.
void to_json(Json &out, const ItemExplanation &item);
// {"items", "limits"} and "explain" when the request asked for it.
void to_json(Json &out, const JudgeResult &result);

}  // namespace stdhost
