#include "history_check_work.h"

#include "series_station.h"
#include "station.h"

namespace stdhost {
namespace {

constexpr char kNoHistory[] =
    "the station keeps no history of tb_id_standard: run stdhost upgrade-station first";

// The exit code of a refused or previewed rollback, after a complaint.
int RefusalCode(const generator::RollbackResult &r, bool force) {
    const std::string set = "change set " + std::to_string(r.changeSet);
    switch (r.status) {
        case generator::RollbackStatus::kDone:
            return kExitOk;
        case generator::RollbackStatus::kPreview:
            if (r.conflicts.empty() || force) return kExitOk;
            [[fallthrough]];
        case generator::RollbackStatus::kConflicts:
            Complain(set + " not rolled back: " + std::to_string(r.conflicts.size()) +
                     " of its rows were changed since; add --force to put them back anyway "
                     "(nothing was written)");
            return kExitFailure;
        case generator::RollbackStatus::kNoHistory:
            Complain(kNoHistory);
            return kExitFailure;
        case generator::RollbackStatus::kUnknownId:
            Complain("there is no " + set + " in the history");
            return kExitUnknown;
        case generator::RollbackStatus::kBaseline:
            Complain(set +
                     " is the baseline: it records the table as it was found, not a "
                     "change, so there is nothing before it to put back");
            return kExitFailure;
    }
    return kExitFailure;
}

}  // namespace

HistoryVerification VerifyStationHistory(const std::string &stationOption) {
    HistoryVerification out;
    SeriesStation s;
    if (ConnectSeriesStation(stationOption, s) != kExitOk) {
        out.exitCode = kExitUsage;
        out.report.error = "the station's database cannot be reached";
        return out;
    }
    out.report = generator::VerifyHistory(s.connection);
    switch (out.report.outcome) {
        case generator::VerifyOutcome::kConsistent:
            out.exitCode = kExitOk;
            break;
        case generator::VerifyOutcome::kDifferences:
            out.exitCode = kExitFailure;
            break;
        case generator::VerifyOutcome::kError:
            Complain(out.report.noHistory ? std::string(kNoHistory)
                                          : "cannot read the history: " + out.report.error);
            out.exitCode = kExitUsage;
            break;
    }
    return out;
}

HistoryRollback RollbackStationChange(const std::string &stationOption,
                                      const RollbackRequest &request,
                                      const RollbackConfirm &confirm) {
    HistoryRollback out;
    SeriesStation s;
    if (out.exitCode = ConnectSeriesStation(stationOption, s); out.exitCode != kExitOk) return out;
    const std::string action =
        "rolling back change set " + std::to_string(request.id) + " (nothing was written)";
    try {
        if (confirm) {
            out.result = generator::PreviewRollback(s.connection, request.id);
            if (out.exitCode = RefusalCode(out.result, request.force); out.exitCode != kExitOk)
                return out;
            if (!out.result.rows.empty() && !confirm(out.result)) {
                out.exitCode = kExitFailure;
                return out;
            }
        }
        const generator::ChangeOrigin origin{request.operatorName, "stdhost rollback",
                                             request.comment};
        out.result = generator::RollbackChangeSet(s.connection, request.id, request.force, origin);
        out.exitCode = RefusalCode(out.result, request.force);
    } catch (const stationdb::DatabaseError &e) {
        out.exitCode = DatabaseFailure(action, e);
    } catch (const std::exception &e) {
        Complain(action + ": " + e.what());
        out.exitCode = kExitFailure;
    }
    return out;
}

}  // namespace stdhost
