#pragma once
// The history of the standard table: every write our programs make to
// tb_id_standard is recorded, in the write's own transaction, as a change
// set (tb_std_history) and one row per changed limit row
// (tb_std_history_row). A change set carries a SHA-256 chained over the
// previous change set's hash and its own content, and a digest of the whole
// table after the change, so that an edited or deleted change set and a
// limit changed behind the programs' back can be found.
//
// Texts here are UTF-8 (the history is read by stdhost and written from the
// GBK texts of the editor through the connection's conversion). A limit
// value is the stored text; NULL reads as "", as the limits plug-in reads it.
//
// A database without the history tables works as before: nothing is
// recorded and the writes do not fail for it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generator/modify_stamp.h"

namespace stationdb {
class Connection;
}

namespace generator {

// Who makes a change and through what. Empty operator: STATION_OPERATOR,
// else the login name of the process.
struct ChangeOrigin {
    std::string operatorName;
    std::string program;  // "stdhost series generate", "Sergen 生成", ...
    std::string comment;
};

// The operator a change is recorded under: `given` when not blank, else
// STATION_OPERATOR when set and not blank, else the login name, else "unknown".
std::string ResolvedOperator(const std::string &given);

enum class ChangeKind { kBaseline, kGenerate, kImport, kClear, kRollback, kApply };
// "baseline", "generate", "import", "clear", "rollback", "apply".
const char *ChangeKindName(ChangeKind kind);
std::optional<ChangeKind> ChangeKindFromName(std::string_view name);

struct LimitValues {
    std::string hvalue;
    std::string lvalue;
    bool operator==(const LimitValues &other) const = default;
};

// One changed row of tb_id_standard: its identity, the texts a re-insert
// needs, and its limits before and after.
struct HistoryRow {
    int32_t itemid = 0;
    std::string condition;
    int32_t paramid = 0;
    std::string type;  // the device type text
    std::string itemname;
    std::string paramname;
    int32_t stdorder = 0;
    std::optional<LimitValues> before;  // none: the change inserted the row
    std::optional<LimitValues> after;   // none: the change deleted the row
};

struct ChangeSet {
    long long id = 0;       // 1, 2, ... in the order of the chain
    std::string changedAt;  // UTC, "YYYY-MM-DD HH:MM:SS"
    std::string operatorName;
    std::string program;
    ChangeKind kind = ChangeKind::kGenerate;
    std::string scope;  // the series condition, or "*" for the whole table
    std::string comment;
    long long reverts = 0;    // a rollback: the change set it put back
    long long rowCount = 0;   // changed rows recorded
    long long tableRows = 0;  // rows of tb_id_standard after the change
    std::string prevHash;     // lowercase hex; 64 zeros for the first
    std::string hash;
    std::string tableDigest;
    std::vector<HistoryRow> rows;  // in recorded order (may be a filtered part)
};

// The changed rows are stored packed: one row of tb_std_history_row per
// change set, block of item ids (itemid / kItemsPerBlock) and condition
// (`part`, in recorded order), whose `changes` text holds one line per
// changed row:
//   itemid TAB paramid TAB stdorder TAB old_hvalue TAB old_lvalue TAB
//   new_hvalue TAB new_lvalue TAB type TAB itemname TAB paramname LF
// Texts escape backslash, TAB, LF and CR as \\, \t, \n, \r; a row that had
// no old (new) limits has \N for both. The names are kept only for a deleted
// row (a rollback inserts it again); elsewhere they are empty.
inline constexpr std::int32_t kItemsPerBlock = 32;
inline std::int32_t ItemBlock(std::int32_t itemid) {
    return itemid >= 0 ? itemid / kItemsPerBlock : -1 - (-1 - itemid) / kItemsPerBlock;
}
// `rows` all of one item block and condition.
std::string PackChanges(const HistoryRow *begin, const HistoryRow *end);
// Appends the rows of one stored part; false (nothing appended) when the
// text is not what PackChanges writes (a history edited by hand).
bool UnpackChanges(const std::string &condition, std::string_view changes,
                   std::vector<HistoryRow> &rows);

// Which stored rows ReadHistoryRows reads; unset fields select all.
struct HistoryRowQuery {
    std::optional<long long> changeset;
    long long fromChangeset = 0;  // change sets with an id at least this
    std::optional<std::int32_t> itemid;
    std::optional<std::string> condition;  // UTF-8, compared exactly
    std::optional<std::int32_t> paramid;   // filtered after unpacking
    std::size_t maxRows = 0;               // stop after this many rows (0: all)
};
// Reads the selected changed rows in (changeset, part, line) order, one
// query, through the index on (item_block, condition) when both are given:
// onRow(changeset, row). A part that does not unpack goes to
// onMalformed(changeset, part) when given and is skipped. Throws
// stationdb::DatabaseError.
// onPart, when given, sees every stored part first, as stored (the
// change sets' hashes cover these texts).
using HistoryPartSink =
    std::function<void(long long changeset, std::int32_t itemBlock, const std::string &condition,
                       const std::string &changes)>;
void ReadHistoryRows(
    stationdb::Connection &connection, const HistoryRowQuery &query,
    const std::function<void(long long changeset, HistoryRow &&row)> &onRow,
    const std::function<void(long long changeset, long long part)> &onMalformed = {},
    const HistoryPartSink &onPart = {});

// True when the database has both history tables. Throws stationdb::DatabaseError.
bool HistoryPresent(stationdb::Connection &connection);

// Creates what is missing of the history (tables, indexes), idempotently,
// and records a baseline change set of the whole table when the history
// holds none, in one transaction under the table's write lock.
struct HistoryUpgrade {
    bool createdTables = false;  // the tables were missing
    long long baselineId = 0;    // 0: the history already had change sets
    long long baselineRows = 0;
};
HistoryUpgrade UpgradeHistory(stationdb::Connection &connection, const ChangeOrigin &origin);

}  // namespace generator
