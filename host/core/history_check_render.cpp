#include "history_check_render.h"

#include <cstdio>

#include "series_render.h"

namespace stdhost {
namespace {

constexpr std::size_t kRowsShown = 50;

const char *OutcomeName(generator::VerifyOutcome outcome) {
    switch (outcome) {
        case generator::VerifyOutcome::kConsistent:
            return "consistent";
        case generator::VerifyOutcome::kDifferences:
            return "differences";
        case generator::VerifyOutcome::kError:
            break;
    }
    return "error";
}

Json LimitsJson(const std::optional<generator::LimitValues> &limits) {
    if (!limits) return nullptr;
    Json j;
    j["upper"] = limits->hvalue;
    j["lower"] = limits->lvalue;
    return j;
}

Json FindingJson(const generator::VerifyFinding &f) {
    Json j;
    j["kind"] = generator::FindingKindName(f.kind);
    j["changeSet"] = f.changeSet;
    if (!f.missing.empty()) j["missing"] = f.missing;
    if (f.key) {
        j["itemid"] = f.key->itemid;
        j["condition"] = f.key->condition;
        j["paramid"] = f.key->paramid;
        j["expected"] = LimitsJson(f.expected);
        j["found"] = LimitsJson(f.found);
    }
    j["text"] = f.text;
    return j;
}

std::string LimitsText(const std::optional<generator::LimitValues> &limits) {
    return limits ? "upper " + limits->hvalue + " lower " + limits->lvalue : "(no row)";
}

}  // namespace

Json VerifyJson(const HistoryVerification &v) {
    const generator::VerifyReport &r = v.report;
    Json j;
    j["outcome"] = OutcomeName(r.outcome);
    if (r.outcome == generator::VerifyOutcome::kError) {
        j["error"] = r.noHistory ? "the station keeps no history of tb_id_standard" : r.error;
        return j;
    }
    j["changeSets"] = r.changeSets;
    j["historyRows"] = r.historyRows;
    j["lastId"] = r.lastId;
    j["tableRows"] = r.tableRows;
    j["tableDigest"] = r.tableDigest;
    j["lastDigest"] = r.lastDigest;
    j["lastHash"] = r.lastHash;
    j["findings"] = Json::array();
    for (const generator::VerifyFinding &f : r.findings) j["findings"].push_back(FindingJson(f));
    j["moreFindings"] = r.moreFindings;
    return j;
}

void PrintVerifyText(const HistoryVerification &v) {
    const generator::VerifyReport &r = v.report;
    if (r.outcome == generator::VerifyOutcome::kError) return;  // complained already
    for (const generator::VerifyFinding &f : r.findings) std::printf("%s\n", f.text.c_str());
    if (r.moreFindings > 0) std::printf("... and %lld more rows differ\n", r.moreFindings);
    std::printf("%lld change set%s (last %lld, hash %s), %lld history row%s\n", r.changeSets,
                r.changeSets == 1 ? "" : "s", r.lastId, r.lastHash.c_str(), r.historyRows,
                r.historyRows == 1 ? "" : "s");
    std::printf("tb_id_standard: %lld row%s, digest %s\n", r.tableRows, r.tableRows == 1 ? "" : "s",
                r.tableDigest.c_str());
    const std::size_t found = r.findings.size() + static_cast<std::size_t>(r.moreFindings);
    if (r.outcome == generator::VerifyOutcome::kConsistent)
        std::printf("history consistent with tb_id_standard\n");
    else
        std::printf("%zu difference%s found\n", found, found == 1 ? "" : "s");
}

void PrintRollbackPreview(const generator::RollbackResult &p) {
    std::printf("change set %lld (%s, %s, scope %s): %zu rows to put back\n", p.changeSet,
                generator::ChangeKindName(p.kind), p.changedAt.c_str(), p.scope.c_str(),
                p.rows.size());
    for (std::size_t i = 0; i < p.rows.size() && i < kRowsShown; ++i) {
        const generator::RollbackRow &row = p.rows[i];
        std::printf("  %s: %s -> %s\n", generator::LimitKeyText(row.key).c_str(),
                    LimitsText(row.current).c_str(), LimitsText(row.target).c_str());
    }
    if (p.rows.size() > kRowsShown) std::printf("  ... and %zu more\n", p.rows.size() - kRowsShown);
    PrintRollbackConflicts(p);
}

void PrintRollbackConflicts(const generator::RollbackResult &r) {
    for (const generator::RollbackConflict &c : r.conflicts) {
        if (c.changeSet == 0)
            std::printf("conflict: %s was changed outside the programs\n",
                        generator::LimitKeyText(c.key).c_str());
        else
            std::printf("conflict: %s was changed later by change set %lld (%s, %s)\n",
                        generator::LimitKeyText(c.key).c_str(), c.changeSet, c.kind.c_str(),
                        c.changedAt.c_str());
    }
}

void PrintRollbackText(const generator::RollbackResult &r) {
    if (r.recordedId == 0 && r.rowsPutBack == 0) {
        std::printf("change set %lld: nothing to put back, its rows are as they were before it\n",
                    r.changeSet);
        return;
    }
    std::printf("change set %lld recorded: rollback of change set %lld (%s), %lld rows put back\n",
                r.recordedId, r.changeSet, generator::ChangeKindName(r.kind), r.rowsPutBack);
    PrintStampChange(r.stamp);
}

}  // namespace stdhost
