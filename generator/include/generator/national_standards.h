#pragma once
// Replacing the national rows of tb_id_standard with a new set, as a
// national standards update does: rows added, removed and changed, the
// station's own series standards untouched, the whole recorded as one
// change set of the history.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "generator/limit_history.h"
#include "generator/modify_stamp.h"
#include "store/database_loader.h"

namespace stationdb {
class Connection;
}

namespace generator {

// One national row as an update gives it. Texts UTF-8, as stored.
struct NationalRow {
    std::int32_t itemid = 0;
    std::string type;
    std::string condition;
    std::int32_t paramid = 0;
    std::string hvalue;
    std::string lvalue;
    std::size_t line = 0;  // where the row came from, for messages (0: unknown)
};

// An update the station cannot take: a row stored under one of the station's
// series keys, which only its own series editor may write. The text is
// UTF-8 and names the row.
class NationalRowRefused : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

// What an update does to the table. A row is known by (itemid, condition
// with blanks at both ends ignored, paramid); it changes when its limit
// texts do.
struct NationalPlan {
    std::vector<HistoryRow> table;    // every row before (values in `after`)
    std::vector<HistoryRow> changes;  // added (no `before`), removed (no `after`), changed
    std::size_t unchanged = 0;        // national rows the update leaves as they are
    std::size_t nationalBefore = 0;   // national rows before
    std::size_t nationalAfter = 0;    // and after
    std::size_t seriesRows = 0;       // rows under a series key, untouched
    std::size_t otherRows = 0;        // rows whose condition is blank or has no GBK form, untouched
    // Per row of `table`, the index of its change, or kNoChange.
    static constexpr std::size_t kNoChange = static_cast<std::size_t>(-1);
    std::vector<std::size_t> changeOfRow;
    bool Empty() const { return changes.empty(); }
    // The rows of the table before and after, for building a standard
    // table from them (the views point into this plan).
    std::vector<store::StoredLimitRow> RowsBefore() const;
    std::vector<store::StoredLimitRow> RowsAfter() const;
};

// The national rows of the table (conditions without blanks at both ends),
// ordered by item, condition bytes and parameter; a key stored more than
// once with the same limits is one row. `keptRows` (when given) counts the
// rows left out: series rows, and rows whose condition is blank or has no
// GBK form. Throws NationalRowRefused for a key stored with different
// limits, stationdb::DatabaseError.
std::vector<NationalRow> ReadNationalRows(stationdb::Connection &connection,
                                          std::size_t *keptRows = nullptr);

// Reads the table and the station's series and plans the update to `rows`.
// Added rows take the names of tb_id_item and tb_id_param and stdorder 0.
// A key stored more than once becomes one row when the update changes it.
// Throws NationalRowRefused (a row under a series key, with a blank
// condition or one without a GBK form, a key given twice),
// stationdb::DatabaseError.
NationalPlan PlanNationalUpdate(stationdb::Connection &connection,
                                const std::vector<NationalRow> &rows);

struct NationalUpdateResult {
    NationalPlan plan;
    bool approved = false;    // `approve` accepted the plan (an empty plan is not asked)
    bool committed = false;   // the changes are in the database
    long long changeSet = 0;  // the change set recorded, 0 when none
    StampChange stamp;        // DBModifyTime before and after (empty when nothing was written)
};

// Applies the update in one transaction after the table's write lock: plans
// it, hands the plan to `approve` (false: nothing is written), writes the
// changes, records them as one change set of kind apply (scope "*"),
// bumps DBModifyTime, and commits unless `dryRun` (then everything is
// rolled back). An empty plan writes nothing. Throws as PlanNationalUpdate;
// on any throw nothing is written.
NationalUpdateResult ApplyNationalUpdate(
    stationdb::Connection &connection, const std::vector<NationalRow> &rows,
    const ChangeOrigin &origin, bool dryRun,
    const std::function<bool(const NationalPlan &plan)> &approve);

}  // namespace generator
