#pragma once
// stdhost verify and rollback: the history of the standard table checked,
// and one change set put back, on the station's database. Each function
// returns what it found or did; a failure has been reported on standard
// error and leaves exitCode other than kExitOk.
#include <functional>
#include <string>

#include "generator/history_check.h"

namespace stdhost {

// verify: kExitOk consistent, kExitFailure differences found, kExitUsage (2)
// when the history or the table cannot be read, or the station keeps none.
struct HistoryVerification {
    int exitCode = 0;
    generator::VerifyReport report;
};
HistoryVerification VerifyStationHistory(const std::string &stationOption);

struct RollbackRequest {
    long long id = 0;
    bool force = false;        // put the rows back despite conflicts
    std::string operatorName;  // "" lets generator::ResolvedOperator decide
    std::string comment;
};

// rollback ID: kExitOk written (or nothing to put back); kExitFailure refused
// (conflicts without force, a baseline, no history, not confirmed) or
// failed; kExitUnknown for an unknown id; the station's own codes when it
// cannot be entered. When `confirm` is given it is asked with the preview
// (status kPreview) first and nothing is written unless it says yes.
struct HistoryRollback {
    int exitCode = 0;
    generator::RollbackResult result;
};
using RollbackConfirm = std::function<bool(const generator::RollbackResult &preview)>;
HistoryRollback RollbackStationChange(const std::string &stationOption,
                                      const RollbackRequest &request,
                                      const RollbackConfirm &confirm = {});

}  // namespace stdhost
