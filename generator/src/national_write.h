#pragma once
// The writes of a national standards update, inside the caller's
// transaction, in statements of many rows each where the dialect allows.
#include <vector>

#include "generator/national_standards.h"

namespace stationdb {
class Connection;
}

namespace generator {
namespace history {
class ChangeRecorder;
}

// The type, names and order of each removed row of `changes`, which the
// history keeps so that a rollback can insert the row again: one read per
// item and condition.
void FillRemovedRows(stationdb::Connection &connection, std::vector<HistoryRow> &changes);

// Writes the plan's changes and hands each to `recorder`. Throws
// stationdb::DatabaseError.
void WriteChanges(stationdb::Connection &connection, const NationalPlan &plan,
                  history::ChangeRecorder &recorder);

}  // namespace generator
