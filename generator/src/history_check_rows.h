#pragma once
// Reading the stored history the way the verification and the rollback
// both need it: the change sets' headers and their rows in fixed column
// orders, read with Statement::View in column order (some drivers read
// columns only forwards) into objects the caller reuses.
#include <string>
#include <string_view>

#include "generator/limit_history.h"

namespace stationdb {
class Statement;
}

namespace generator::history {

// Every header column, ordered by id; kChangeSetWhereId reads one.
extern const char kChangeSetsById[];
extern const char kChangeSetWhereId[];
// changeset, then every row column from itemid on (seq only orders them:
// one column less to read); kRowsInOrder orders all rows by
// (changeset, seq), kRowsOfChangeSet reads one change set's (? id).
extern const char kRowsInOrder[];
extern const char kRowsOfChangeSet[];

// The number of a stored integer text; 0 for NULL or no number.
long long NumberOf(std::string_view text);

// Reads the current header row into `set`. False (with `set.kind` left as
// it was) when the stored kind is not one the programs write; `kindText`
// then holds it.
bool ReadChangeSet(stationdb::Statement &st, ChangeSet &set, std::string &kindText);

// Reads the current row from column `first` (itemid) on into `row`,
// reusing its strings' storage.
void ReadHistoryRow(stationdb::Statement &st, int first, HistoryRow &row);

}  // namespace generator::history
