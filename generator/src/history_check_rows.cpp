#include "history_check_rows.h"

#include <charconv>

#include "platform/value_text.h"
#include "stationdb/stationdb.h"

namespace generator::history {

#define HISTORY_HEADER_COLUMNS                                                                    \
    "id, changed_at, operator_name, program, kind, scope, note, reverts, row_count, table_rows, " \
    "prev_hash, hash, table_digest"
const char kChangeSetColumns[] = HISTORY_HEADER_COLUMNS;
const char kChangeSetsById[] = "select " HISTORY_HEADER_COLUMNS " from tb_std_history order by id";
const char kChangeSetWhereId[] =
    "select " HISTORY_HEADER_COLUMNS " from tb_std_history where id = ?";

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

}  // namespace generator::history
