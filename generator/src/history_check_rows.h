#pragma once
// Reading the change sets' headers the way the verification, the rollback
// and the listings all need them, in a fixed column order read with
// Statement::View in column order (some drivers read columns only
// forwards). Their rows come through ReadHistoryRows.
#include <string>
#include <string_view>

#include "generator/limit_history.h"

namespace stationdb {
class Statement;
}

namespace generator::history {

// Every header column, in the order ReadChangeSet reads them; the
// statements of all change sets ordered by id and of one (? id).
extern const char kChangeSetColumns[];
extern const char kChangeSetsById[];
extern const char kChangeSetWhereId[];
// The number of a stored integer text; 0 for NULL or no number.
long long NumberOf(std::string_view text);

// Reads the current header row into `set`. False (with `set.kind` left as
// it was) when the stored kind is not one the programs write; `kindText`
// then holds it.
bool ReadChangeSet(stationdb::Statement &st, ChangeSet &set, std::string &kindText);

}  // namespace generator::history
