#pragma once
// What stdhost verify and rollback print: text for a person, JSON for a
// program. Nothing here queries anything.
#include "history_check_work.h"
#include "json_output.h"

namespace stdhost {

// {"outcome": "consistent"|"differences"|"error", counts, digests,
// "findings": [{"kind", "changeSet", ...}]}.
Json VerifyJson(const HistoryVerification &verification);
// The findings, one a line, then a summary line.
void PrintVerifyText(const HistoryVerification &verification);

// The rows a rollback would put back (at most the first 50), and its conflicts.
void PrintRollbackPreview(const generator::RollbackResult &preview);
void PrintRollbackConflicts(const generator::RollbackResult &result);
// The change set recorded, the rows put back and the DBModifyTime change.
void PrintRollbackText(const generator::RollbackResult &result);

}  // namespace stdhost
