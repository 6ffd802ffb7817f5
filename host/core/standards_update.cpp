// stdhost standards export, diff and apply: the station opened, the package
// read and checked, the update planned, audited before and after, and
// written as one recorded change set.
#include "standards_update.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <unordered_set>

#include "audit_work.h"
#include "bridges/plinth_bridge.h"
#include "generator/national_standards.h"
#include "generator/station_lists.h"
#include "package_signature.h"
#include "platform/atomic_file.h"
#include "platform/gbk.h"
#include "platform/paths.h"
#include "platform/value_text.h"
#include "series_station.h"
#include "station.h"
#include "stationdb/stationdb.h"
#include "store/database_loader.h"

namespace stdhost {
namespace {

constexpr std::size_t kMaxPackageBytes = 512u << 20;  // as much as sign takes

// The station as the update holds it open.
struct UpdateStation {
    Station station;
    bridges::PlinthBridge plinth;
    StationSettings settings;
    stationdb::Connection connection;
    std::map<int, std::string> itemNames;  // UTF-8
};

int OpenStation(const std::string &stationOption, UpdateStation &s, std::string &problem) {
    const int entered = EnterStation(stationOption, s.station, s.plinth, s.settings);
    if (entered != kExitOk) return entered;
    try {
        ConnectStation(s.connection, s.settings.ConnectString());
        for (const auto &[id, name] : generator::ReadItemNames(s.connection))
            s.itemNames[id] = platform::GbkToUtf8Lossy(name);
    } catch (const stationdb::DatabaseError &e) {
        problem = std::string("cannot reach the station's database: ") + e.what();
        return kExitNoDatabase;
    }
    return kExitOk;
}

std::vector<generator::NationalRow> NationalRowsOf(const StandardsPackage &package) {
    std::vector<generator::NationalRow> rows;
    rows.reserve(package.rows.size());
    for (const PackageRow &r : package.rows)
        rows.push_back({r.itemid, r.type, r.condition, r.paramid, r.upper, r.lower, r.line});
    return rows;
}

std::string ItemName(const UpdateStation &s, int itemid) {
    const auto found = s.itemNames.find(itemid);
    return found == s.itemNames.end() ? "" : found->second;
}

struct ConditionKey {
    int itemid;
    std::string_view condition;
    bool operator==(const ConditionKey &) const = default;
};
struct ConditionKeyHash {
    std::size_t operator()(const ConditionKey &k) const {
        return std::hash<std::string_view>()(k.condition) ^ static_cast<std::size_t>(k.itemid);
    }
};
using ConditionKeys = std::unordered_set<ConditionKey, ConditionKeyHash>;

// Of `keys`, those that some row of `rows` has.
ConditionKeys Held(const ConditionKeys &keys, const std::vector<store::StoredLimitRow> &rows) {
    ConditionKeys held;
    for (const store::StoredLimitRow &row : rows) {
        const ConditionKey key{row.itemid, platform::TrimBlanks(row.condition)};
        if (keys.count(key) != 0) held.insert(key);
    }
    return held;
}

// The table's rows before and after a plan.
struct PlanRows {
    std::vector<store::StoredLimitRow> before, after;
    explicit PlanRows(const generator::NationalPlan &plan)
        : before(plan.RowsBefore()), after(plan.RowsAfter()) {}
};

// The plan's rows per item, with the conditions the item gains or loses.
void DescribeChanges(const UpdateStation &s, const generator::NationalPlan &plan,
                     const PlanRows &rows, StandardsDiff &diff) {
    ConditionKeys touched;
    for (const generator::HistoryRow &row : plan.changes)
        touched.insert({row.itemid, platform::TrimBlanks(row.condition)});
    const ConditionKeys had = Held(touched, rows.before), has = Held(touched, rows.after);
    std::map<int, ItemChanges> items;
    ConditionKeys named;
    for (const generator::HistoryRow &row : plan.changes) {
        ItemChanges &item = items[row.itemid];
        item.itemid = row.itemid;
        const std::string_view condition = platform::TrimBlanks(row.condition);
        item.rows.push_back(
            {std::string(condition), row.paramid, row.paramname, row.before, row.after});
        (row.before ? (row.after ? diff.changed : diff.removed) : diff.added) += 1;
        const ConditionKey key{row.itemid, condition};
        if (!named.insert(key).second) continue;
        if (!had.count(key)) item.conditionsAdded.emplace_back(condition);
        if (!has.count(key)) item.conditionsRemoved.emplace_back(condition);
    }
    for (auto &[id, item] : items) {
        item.itemName = ItemName(s, id);
        std::sort(item.rows.begin(), item.rows.end(), [](const RowChange &a, const RowChange &b) {
            return std::tie(a.condition, a.paramid) < std::tie(b.condition, b.paramid);
        });
        std::sort(item.conditionsAdded.begin(), item.conditionsAdded.end());
        std::sort(item.conditionsRemoved.begin(), item.conditionsRemoved.end());
        diff.items.push_back(std::move(item));
    }
    diff.unchanged = plan.unchanged;
    diff.nationalBefore = plan.nationalBefore;
    diff.nationalAfter = plan.nationalAfter;
    diff.seriesRows = plan.seriesRows;
    diff.otherRows = plan.otherRows;
}

CoverageSide CoverageOf(const UpdateStation &s, const audit::AuditReport &report) {
    CoverageSide side;
    auto entry = [&](int itemid, const std::string &gbk) {
        return CoverageEntry{itemid, ItemName(s, itemid), platform::GbkToUtf8Lossy(gbk)};
    };
    for (const audit::MissingCondition &m : report.missing)
        side.withoutLimits.push_back(entry(m.itemId, m.condition));
    for (const audit::UnreachableRow &u : report.unreachable)
        side.unreached.push_back(entry(u.itemId, u.condition));
    for (const audit::ItemCoverage &item : report.items) {
        side.reachable += item.reachable;
        side.covered += item.covered;
    }
    return side;
}

// The coverage audit of the table before and after the plan. False after a
// complaint in `problem`.
bool AuditPlan(UpdateStation &s, StationAudit &audit, const PlanRows &rows, StandardsDiff &diff,
               std::string &problem) {
    store::StandardTable before, after;
    std::string why;
    if (store::ReadStandardTableWithRows(s.connection, rows.before, before, &why) != 1 ||
        store::ReadStandardTableWithRows(s.connection, rows.after, after, &why) != 1) {
        problem = "reading the line's devices and items failed: " + why;
        return false;
    }
    diff.before = CoverageOf(s, audit.Run(before));
    diff.after = CoverageOf(s, audit.Run(after));
    for (const CoverageEntry &e : diff.after.withoutLimits)
        if (std::find(diff.before.withoutLimits.begin(), diff.before.withoutLimits.end(), e) ==
            diff.before.withoutLimits.end())
            diff.newlyWithoutLimits.push_back(e);
    return true;
}

std::string SignatureStatus(const PackageRead &read, const std::string &file,
                            const Station &station) {
    if (!SignaturesAvailable()) return "not checked: signatures need the Linux build of stdhost";
    const SignatureCheck check =
        CheckPackageSignature(read.bytes, file + ".sig", TrustedKeysDirectory(station.directory));
    return check.verified ? "signed by " + check.keyName + " (trusted)"
                          : "not trusted: " + check.problem;
}

}  // namespace

std::string TrustedKeysDirectory(const std::string &stationDirectory) {
    return platform::JoinPath(platform::JoinPath(stationDirectory, "config"), "trusted-keys");
}

PackageRead ReadPackageFile(const std::string &path) {
    PackageRead read;
    const platform::ReadResult got = platform::ReadFileAtMost(path, kMaxPackageBytes, read.bytes);
    if (got != platform::ReadResult::kOk) {
        read.exitCode = kExitBadFile;
        read.problem =
            platform::InputFileProblem(got, path, "the standards package", kMaxPackageBytes);
        return read;
    }
    try {
        if (!ReadStandardsPackage(read.bytes, path, read.package, read.problem))
            read.exitCode = kExitBadFile;
    } catch (const std::exception &e) {  // no memory for the rows
        read.exitCode = kExitBadFile;
        read.problem = path + ": cannot be read whole: " + e.what();
    }
    return read;
}

StandardsDiffResult DiffStandards(const std::string &stationOption, const std::string &file) {
    StandardsDiffResult result;
    const PackageRead read = ReadPackageFile(file);
    if (read.exitCode != kExitOk) return {read.exitCode, read.problem, {}};
    UpdateStation s;
    result.exitCode = OpenStation(stationOption, s, result.problem);
    if (result.exitCode != kExitOk) return result;
    StandardsDiff &diff = result.diff;
    diff.file = file;
    diff.header = read.package.header;
    diff.signature = SignatureStatus(read, file, s.station);
    StationAudit audit(s.station, s.plinth, s.settings);
    try {
        const generator::NationalPlan plan =
            generator::PlanNationalUpdate(s.connection, NationalRowsOf(read.package));
        const PlanRows rows(plan);
        DescribeChanges(s, plan, rows, diff);
        if (!audit.Open(s.connection)) return {kExitFailure, "", {}};
        if (!AuditPlan(s, audit, rows, diff, result.problem)) result.exitCode = kExitFailure;
    } catch (const generator::NationalRowRefused &e) {
        return {kExitBadFile, file + ": " + e.what(), {}};
    } catch (const std::exception &e) {
        return {kExitFailure, std::string("reading the standard table failed: ") + e.what(), {}};
    }
    return result;
}

namespace {

// Whether the package may be applied at all: its signature, unless the
// operator takes it unsigned. Signatures are available here.
bool SignatureAccepted(const PackageRead &read, const std::string &file, const Station &station,
                       const ApplyOptions &options, StandardsApplyResult &result) {
    if (options.unsignedOk) {
        result.diff.signature = "not checked (--unsigned)";
        return true;
    }
    const SignatureCheck check =
        CheckPackageSignature(read.bytes, file + ".sig", TrustedKeysDirectory(station.directory));
    if (!check.verified) {
        result.exitCode = kExitBadFile;
        result.problem = file + ": " + check.problem + "; nothing was written";
        return false;
    }
    result.diff.signature = "signed by " + check.keyName + " (trusted)";
    return true;
}

generator::ChangeOrigin OriginOf(const ApplyOptions &options, const PackageHeader &header) {
    generator::ChangeOrigin origin = options.origin;
    std::string note = header.name + " " + header.version + " sha256 " + header.sha256;
    if (!origin.comment.empty()) note += "; " + origin.comment;
    origin.comment = note;
    return origin;
}

}  // namespace

StandardsApplyResult ApplyStandards(const std::string &stationOption, const std::string &file,
                                    const ApplyOptions &options) {
    StandardsApplyResult result;
    const PackageRead read = ReadPackageFile(file);
    if (read.exitCode != kExitOk) {
        result.exitCode = read.exitCode;
        result.problem = read.problem;
        return result;
    }
    result.diff.file = file;
    result.diff.header = read.package.header;
    if (!options.unsignedOk && !SignaturesAvailable()) {
        result.exitCode = kExitFailure;
        result.problem =
            "verifying the package's signature needs the Linux build of stdhost; nothing was "
            "done (--unsigned applies it without the check)";
        return result;
    }
    UpdateStation s;
    result.exitCode = OpenStation(stationOption, s, result.problem);
    if (result.exitCode != kExitOk) return result;
    if (!SignatureAccepted(read, file, s.station, options, result)) return result;
    StationAudit audit(s.station, s.plinth, s.settings);
    if (!audit.Open(s.connection)) {
        result.exitCode = kExitFailure;
        return result;
    }
    std::string auditProblem;
    try {
        const generator::NationalUpdateResult done = generator::ApplyNationalUpdate(
            s.connection, NationalRowsOf(read.package), OriginOf(options, read.package.header),
            options.dryRun, [&](const generator::NationalPlan &plan) {
                const PlanRows rows(plan);
                DescribeChanges(s, plan, rows, result.diff);
                if (!AuditPlan(s, audit, rows, result.diff, auditProblem)) return false;
                result.forced = !result.diff.newlyWithoutLimits.empty();
                return !result.forced || options.force;
            });
        if (!auditProblem.empty()) {
            result.exitCode = kExitFailure;
            result.problem = auditProblem + "; nothing was written";
        } else if (done.plan.Empty()) {
            result.outcome = ApplyOutcome::kNothingToDo;
            DescribeChanges(s, done.plan, PlanRows(done.plan), result.diff);
        } else if (!done.approved) {
            result.outcome = ApplyOutcome::kCoverageLoss;
            result.exitCode = kExitFailure;
        } else {
            result.outcome = options.dryRun ? ApplyOutcome::kDryRun : ApplyOutcome::kApplied;
            result.changeSet = done.changeSet;
            result.stampBefore = done.stamp.before;
            result.stampAfter = done.stamp.after;
        }
    } catch (const generator::NationalRowRefused &e) {
        result.exitCode = kExitBadFile;
        result.problem = file + ": " + e.what() + "; nothing was written";
    } catch (const std::exception &e) {
        result.exitCode = kExitFailure;
        result.problem = std::string("the update failed, nothing was written: ") + e.what();
    }
    return result;
}

StandardsExportResult ExportStandards(const std::string &stationOption, const std::string &file,
                                      const ExportOptions &options) {
    StandardsExportResult result;
    result.file = file;
    if (!OutputPathUsable(file)) return {kExitFailure, "", file, 0, 0, {}};
    UpdateStation s;
    result.exitCode = OpenStation(stationOption, s, result.problem);
    if (result.exitCode != kExitOk) return result;
    std::vector<PackageRow> rows;
    try {
        for (generator::NationalRow &r :
             generator::ReadNationalRows(s.connection, &result.rowsLeftOut))
            rows.push_back({r.itemid, std::move(r.type), std::move(r.condition), r.paramid,
                            std::move(r.hvalue), std::move(r.lvalue), 0});
    } catch (const std::exception &e) {  // NationalRowRefused names the row
        return {kExitFailure,
                std::string("reading the standard table failed: ") + e.what(),
                file,
                0,
                0,
                {}};
    }
    std::string text;
    try {
        text = WriteStandardsPackage(options.header, rows, &result.header);
    } catch (const std::invalid_argument &e) {
        return {kExitFailure,
                std::string("the package cannot hold the table: ") + e.what(),
                file,
                0,
                0,
                {}};
    }
    const platform::AtomicWriteResult written = platform::WriteFileAtomically(file, text);
    if (written != platform::AtomicWriteResult::kOk)
        return {kExitFailure, file + ": " + platform::AtomicWriteProblem(written), file, 0, 0, {}};
    result.rows = rows.size();
    return result;
}

}  // namespace stdhost
