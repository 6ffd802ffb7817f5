#include "history_check_rows.h"

#include <charconv>

#include "platform/value_text.h"
#include "stationdb/stationdb.h"

namespace generator::history {

#define HISTORY_HEADER_COLUMNS                                                               \
    "select id, changed_at, operator_name, program, kind, scope, note, reverts, row_count, " \
    "table_rows, prev_hash, hash, table_digest from tb_std_history "
#define HISTORY_ROW_COLUMNS                                                               \
    "select changeset, itemid, condition, paramid, type, itemname, paramname, stdorder, " \
    "old_hvalue, old_lvalue, new_hvalue, new_lvalue from tb_std_history_row "

const char kChangeSetsById[] = HISTORY_HEADER_COLUMNS "order by id";
const char kChangeSetWhereId[] = HISTORY_HEADER_COLUMNS "where id = ?";
const char kRowsInOrder[] = HISTORY_ROW_COLUMNS "order by changeset, seq";
const char kRowsOfChangeSet[] = HISTORY_ROW_COLUMNS "where changeset = ? order by seq";

long long NumberOf(std::string_view text) {
    text = platform::TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long long value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

bool ReadChangeSet(stationdb::Statement &st, ChangeSet &set, std::string &kindText) {
    set.id = NumberOf(st.View(1));
    set.changedAt = st.View(2);
    set.operatorName = st.View(3);
    set.program = st.View(4);
    kindText = st.View(5);
    set.scope = st.View(6);
    set.comment = st.View(7);
    set.reverts = NumberOf(st.View(8));
    set.rowCount = NumberOf(st.View(9));
    set.tableRows = NumberOf(st.View(10));
    set.prevHash = st.View(11);
    set.hash = st.View(12);
    set.tableDigest = st.View(13);
    const std::optional<ChangeKind> kind = ChangeKindFromName(kindText);
    if (!kind) return false;
    set.kind = *kind;
    return true;
}

namespace {

// Limits stored as NULL read as "", as the limits plug-in reads them; a
// missing pair (both old or both new NULL) is no limits at all.
void ReadLimits(stationdb::Statement &st, int column, std::optional<LimitValues> &limits) {
    bool hNull = false, lNull = false;
    const std::string_view h = st.View(column, &hNull);
    if (hNull) {
        st.View(column + 1);
        limits.reset();
        return;
    }
    if (!limits) limits.emplace();
    limits->hvalue = h;
    limits->lvalue = st.View(column + 1, &lNull);
}

}  // namespace

void ReadHistoryRow(stationdb::Statement &st, int first, HistoryRow &row) {
    row.itemid = platform::IntegerOf(st.View(first));
    row.condition = st.View(first + 1);
    row.paramid = platform::IntegerOf(st.View(first + 2));
    row.type = st.View(first + 3);
    row.itemname = st.View(first + 4);
    row.paramname = st.View(first + 5);
    row.stdorder = platform::IntegerOf(st.View(first + 6));
    ReadLimits(st, first + 7, row.before);
    ReadLimits(st, first + 9, row.after);
}

}  // namespace generator::history
