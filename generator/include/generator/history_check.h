#pragma once
// Checking the history of the standard table against itself and against the
// table, and putting back what one change set changed.
//
// Texts are UTF-8. Both functions read the history as stored; neither trusts
// it further than it checks.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "generator/limit_history.h"
#include "generator/modify_stamp.h"

namespace stationdb {
class Connection;
}

namespace generator {

// What a row of tb_id_standard is known by.
struct LimitKey {
    int32_t itemid = 0;
    std::string condition;
    int32_t paramid = 0;
    bool operator==(const LimitKey &other) const = default;
};

// "item 223 parameter 2231 condition 大众_捷达".
std::string LimitKeyText(const LimitKey &key);

// One thing the verification found wrong.
enum class FindingKind {
    kMissingChangeSets,  // ids left out of the chain: change sets deleted
    kEditedChangeSet,    // the recomputed hash differs from the stored one
    kBrokenLink,         // prev_hash is not the previous change set's hash
    kMalformedField,     // a hash or digest that is not 64 hex digits, an unknown kind
    kChangedBefore,      // a recorded old value the replay does not hold
    kDigestMismatch,     // the stored table digest is not the replay's
    kRowCountMismatch,   // the stored table_rows is not the replay's count
    kAddedOutside,       // a row of the table the history never wrote
    kRemovedOutside,     // a row the history wrote that the table lacks
    kLimitsChanged,      // the limits of a row differ from the history's
};
// "missing-change-sets", "edited-change-set", ...
const char *FindingKindName(FindingKind kind);

struct VerifyFinding {
    FindingKind kind = FindingKind::kEditedChangeSet;
    long long changeSet = 0;              // the change set concerned; 0 for the table
    std::vector<long long> missing;       // kMissingChangeSets: the ids left out
    std::optional<LimitKey> key;          // a row finding
    std::optional<LimitValues> expected;  // the history's limits of the row
    std::optional<LimitValues> found;     // the table's (or the record's) limits
    std::string text;                     // one sentence saying what is wrong
};

enum class VerifyOutcome { kConsistent, kDifferences, kError };

struct VerifyReport {
    VerifyOutcome outcome = VerifyOutcome::kError;
    bool noHistory = false;     // the station keeps no history (an error)
    std::string error;          // kError: why the history or the table could not be read
    long long changeSets = 0;   // change sets read
    long long historyRows = 0;  // their rows read
    long long lastId = 0;
    std::string lastHash;     // the last change set's stored hash: keep it outside the station
    long long tableRows = 0;  // rows of tb_id_standard
    std::string tableDigest;  // the digest of tb_id_standard as read
    std::string lastDigest;   // the last change set's stored table_digest
    std::vector<VerifyFinding> findings;
    long long moreFindings = 0;  // row findings beyond the first thousand, counted only
};

// Reads the change sets and their rows once, in chain order, and the table
// once: checks each change set's hash and link, replays the rows to check
// each stored digest and row count and every recorded old value, then
// compares the table with the replay. Never throws for what it reads: a
// database error gives kError with the driver's message.
VerifyReport VerifyHistory(stationdb::Connection &connection);

// A later change, or one made behind the programs' back, to a row that the
// change set being put back changed.
struct RollbackConflict {
    LimitKey key;
    long long changeSet = 0;  // the later change set; 0: changed outside the programs
    std::string kind;         // its kind ("generate", ...), "outside" for 0
    std::string changedAt;    // its time (UTC), "" for 0
};

// What the rollback does to one row: the limits from, and the limits to
// (none: the row is removed, or was absent).
struct RollbackRow {
    LimitKey key;
    std::optional<LimitValues> current;
    std::optional<LimitValues> target;
};

enum class RollbackStatus {
    kDone,       // written and recorded (or nothing differed: recordedId 0)
    kPreview,    // PreviewRollback: nothing written
    kNoHistory,  // the station keeps no history
    kUnknownId,  // no change set with that id
    kBaseline,   // a baseline records no change: there is nothing before it
    kConflicts,  // refused: later or outside changes, nothing written
};

struct RollbackResult {
    RollbackStatus status = RollbackStatus::kNoHistory;
    long long changeSet = 0;  // the change set put back
    ChangeKind kind = ChangeKind::kGenerate;
    std::string scope;
    std::string changedAt;
    std::vector<RollbackConflict> conflicts;
    std::vector<RollbackRow> rows;  // the rows that change, in the change set's order
    long long recordedId = 0;       // the rollback's own change set
    long long rowsPutBack = 0;      // rows written (updated, removed, inserted)
    StampChange stamp;
};

// Puts the rows change set `id` changed back as they were before it, in one
// transaction under the table's write lock: refused (nothing written, the
// conflicts listed) when a later change set or a change outside the
// programs touched one of them, unless `force`. Records the rollback as a
// change set of its own (kind rollback, reverts `id`) and moves
// DBModifyTime on. Throws stationdb::DatabaseError (nothing written).
RollbackResult RollbackChangeSet(stationdb::Connection &connection, long long id, bool force,
                                 const ChangeOrigin &origin);

// What RollbackChangeSet would do, conflicts included, without writing:
// status kPreview unless the id is refused as above.
RollbackResult PreviewRollback(stationdb::Connection &connection, long long id);

}  // namespace generator
