#pragma once
// stdhost standards export, diff and apply: the national rows of a station
// as a package, what a package would change (rows and coverage), and the
// checked, recorded update. Texts are UTF-8.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "generator/limit_history.h"
#include "standards_package.h"

namespace stdhost {

// A package file read and checked against its header.
struct PackageRead {
    int exitCode = 0;     // kExitOk; kExitBadFile (with `problem`) for a package refused
    std::string problem;  // the reason, naming line and column where there is one
    std::string bytes;    // the file as read (what its signature covers)
    StandardsPackage package;
};
PackageRead ReadPackageFile(const std::string &path);

// One row an update adds (no `before`), removes (no `after`) or changes.
struct RowChange {
    std::string condition;
    int paramid = 0;
    std::string paramName;
    std::optional<generator::LimitValues> before, after;
};

struct ItemChanges {
    int itemid = 0;
    std::string itemName;
    std::vector<std::string> conditionsAdded;    // conditions the item did not have
    std::vector<std::string> conditionsRemoved;  // conditions the item no longer has
    std::vector<RowChange> rows;                 // by condition, then parameter
};

// A condition of the coverage audit: reached by vehicles the table gives no
// limit, or held by the table and reached by none.
struct CoverageEntry {
    int itemid = 0;
    std::string itemName;
    std::string condition;
    bool operator==(const CoverageEntry &o) const {
        return itemid == o.itemid && condition == o.condition;
    }
};

struct CoverageSide {
    std::vector<CoverageEntry> withoutLimits;  // vehicles the table leaves without limits
    std::vector<CoverageEntry> unreached;      // conditions no vehicle reaches (series excluded)
    std::size_t reachable = 0;                 // conditions real vehicles reach
    std::size_t covered = 0;                   // of those, the table gives limits for
};

struct StandardsDiff {
    std::string file;
    PackageHeader header;
    std::string signature;           // who signed it, or why it is not trusted
    std::vector<ItemChanges> items;  // the items with a change, by id
    std::size_t added = 0, removed = 0, changed = 0, unchanged = 0;
    std::size_t nationalBefore = 0, nationalAfter = 0, seriesRows = 0;
    std::size_t otherRows = 0;  // blank conditions or none with a GBK form, untouched
    CoverageSide before, after;
    std::vector<CoverageEntry> newlyWithoutLimits;  // without limits after, not before
    bool HasChanges() const { return added + removed + changed != 0; }
};

struct StandardsDiffResult {
    int exitCode = 0;  // kExitOk (then 0 or 1 by HasChanges), or the failure's
    std::string problem;
    StandardsDiff diff;
};
StandardsDiffResult DiffStandards(const std::string &stationOption, const std::string &file);

struct ApplyOptions {
    bool dryRun = false;
    bool force = false;       // apply although vehicles lose their limits
    bool unsignedOk = false;  // apply without a trusted signature
    generator::ChangeOrigin origin;
};

enum class ApplyOutcome {
    kFailed,        // see exitCode and problem; nothing written
    kNothingToDo,   // the national rows already are the package's
    kCoverageLoss,  // refused: vehicles would lose their limits (newlyWithoutLimits)
    kDryRun,        // everything done, then rolled back
    kApplied,
};

struct StandardsApplyResult {
    int exitCode = 0;
    std::string problem;
    ApplyOutcome outcome = ApplyOutcome::kFailed;
    StandardsDiff diff;
    bool forced = false;  // applied with vehicles losing limits
    long long changeSet = 0;
    std::string stampBefore, stampAfter;
};
StandardsApplyResult ApplyStandards(const std::string &stationOption, const std::string &file,
                                    const ApplyOptions &options);

struct ExportOptions {
    PackageHeader header;  // name, version, effective date, issuer (rows and digest computed)
};
struct StandardsExportResult {
    int exitCode = 0;
    std::string problem;
    std::string file;
    std::size_t rows = 0;
    std::size_t rowsLeftOut = 0;  // series rows, blank conditions, none with a GBK form
    PackageHeader header;
};
StandardsExportResult ExportStandards(const std::string &stationOption, const std::string &file,
                                      const ExportOptions &options);

// The station's trusted keys: config/trusted-keys/ of the station directory.
std::string TrustedKeysDirectory(const std::string &stationDirectory);

}  // namespace stdhost
