#pragma once
// The renderings of stdhost standards export, diff and apply: text for a
// terminal, JSON, and the diff as one self-contained HTML page.
#include <string>

#include "json_output.h"
#include "standards_update.h"

namespace stdhost {

std::string StandardsDiffText(const StandardsDiff &diff);
Json StandardsDiffJson(const StandardsDiff &diff);
std::string StandardsDiffHtml(const StandardsDiff &diff);

// What apply did (or refused), after the diff's text.
std::string StandardsApplyText(const StandardsApplyResult &result);

std::string StandardsExportText(const StandardsExportResult &result);

}  // namespace stdhost
