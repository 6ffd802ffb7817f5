#include "generator/history_read.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "history_check_rows.h"
#include "platform/value_text.h"
#include "stationdb/stationdb.h"

namespace generator {
namespace {

using history::kChangeSetColumns;

long long Number(stationdb::Statement &st, int column) {
    return platform::IntegerOf(st.View(column));
}

// The header of the current row of a statement selecting kChangeSetColumns;
// a kind the programs never write is an error here.
ChangeSet ReadSetHeader(stationdb::Statement &st) {
    ChangeSet set;
    std::string kind;
    if (!history::ReadChangeSet(st, set, kind))
        throw std::runtime_error("change set " + std::to_string(set.id) +
                                 " has the unknown kind \"" + kind + "\"");
    return set;
}

// "select [top (?)] COLUMNS REST [limit ?]": the first `limit` rows when
// `limited`. Returns where the limit's parameter goes: 1, or after the
// `others` parameters of REST.
int LimitedSelect(stationdb::Connection &connection, std::string_view columns,
                  std::string_view rest, bool limited, int others, std::string &sql) {
    const bool top = connection.GetDialect() == stationdb::Dialect::kSqlServer;
    sql = "select ";
    if (limited && top) sql += "top (?) ";
    sql.append(columns).append(" ").append(rest);
    if (limited && !top) sql += " limit ?";
    return !limited ? 0 : top ? 1 : others + 1;
}

// The rows of a change set in recorded order, at most `max` (0 all).
void ReadSetRows(stationdb::Connection &connection, ChangeSet &set, std::size_t max) {
    HistoryRowQuery query;
    query.changeset = set.id;
    query.maxRows = max;
    ReadHistoryRows(connection, query,
                    [&](long long, HistoryRow &&row) { set.rows.push_back(std::move(row)); });
}

std::vector<ChangeSet> ReadUnfiltered(stationdb::Connection &connection,
                                      const HistoryFilter &filter) {
    std::string rest = "from tb_std_history where 1 = 1";
    std::vector<std::string> times;
    for (const auto &[text, test] : {std::pair{&filter.since, " and changed_at >= ?"},
                                     std::pair{&filter.until, " and changed_at <= ?"}})
        if (!text->empty()) {
            rest += test;
            times.push_back(*text);
        }
    rest += " order by id desc";
    std::string sql;
    const int others = static_cast<int>(times.size());
    const int limitAt =
        LimitedSelect(connection, kChangeSetColumns, rest, filter.limit > 0, others, sql);
    stationdb::Statement st(connection, sql);
    const int first = limitAt == 1 ? 2 : 1;
    for (int i = 0; i < others; ++i) st.BindUtf8(first + i, times[static_cast<std::size_t>(i)]);
    if (limitAt > 0) st.BindInt(limitAt, filter.limit);
    st.Execute();
    std::vector<ChangeSet> sets;
    while (st.Fetch()) sets.push_back(ReadSetHeader(st));
    st.CloseCursor();
    for (ChangeSet &set : sets) ReadSetRows(connection, set, filter.maxRowsPerSet);
    return sets;
}

// The matching rows through the (itemid, condition) index, by change set;
// then the headers of the newest sets holding them (the headers are few:
// one per write).
std::vector<ChangeSet> ReadFiltered(stationdb::Connection &connection,
                                    const HistoryFilter &filter) {
    std::map<long long, std::vector<HistoryRow>> bySet;
    HistoryRowQuery query;
    query.itemid = filter.itemid;
    query.condition = filter.condition;
    query.paramid = filter.paramid;
    ReadHistoryRows(connection, query, [&](long long changeset, HistoryRow &&row) {
        bySet[changeset].push_back(std::move(row));
    });
    if (bySet.empty()) return {};
    std::string sql =
        std::string("select ") + kChangeSetColumns + " from tb_std_history where id >= ?";
    if (!filter.since.empty()) sql += " and changed_at >= ?";
    if (!filter.until.empty()) sql += " and changed_at <= ?";
    sql += " order by id desc";
    stationdb::Statement headers(connection, sql);
    int at = 1;
    headers.BindInt(at++, bySet.begin()->first);
    if (!filter.since.empty()) headers.BindUtf8(at++, filter.since);
    if (!filter.until.empty()) headers.BindUtf8(at++, filter.until);
    headers.Execute();
    std::vector<ChangeSet> sets;
    while (headers.Fetch()) {
        auto rows = bySet.find(Number(headers, 1));
        if (rows == bySet.end()) continue;
        sets.push_back(ReadSetHeader(headers));
        sets.back().rows = std::move(rows->second);
        if (filter.limit > 0 && static_cast<long long>(sets.size()) == filter.limit) break;
    }
    return sets;
}

}  // namespace

bool HasRowFilter(const HistoryFilter &filter) {
    return filter.itemid || filter.paramid || filter.condition;
}

std::vector<ChangeSet> ReadHistory(stationdb::Connection &connection, const HistoryFilter &filter) {
    if (!HistoryPresent(connection)) return {};
    return HasRowFilter(filter) ? ReadFiltered(connection, filter)
                                : ReadUnfiltered(connection, filter);
}

std::optional<ChangeSet> ReadChangeSet(stationdb::Connection &connection, long long id) {
    if (!HistoryPresent(connection)) return std::nullopt;
    stationdb::Statement st(connection, std::string("select ") + kChangeSetColumns +
                                            " from tb_std_history where id = ?");
    st.BindInt(1, id);
    st.Execute();
    if (!st.Fetch()) return std::nullopt;
    ChangeSet set = ReadSetHeader(st);
    st.CloseCursor();
    ReadSetRows(connection, set, 0);
    return set;
}

namespace {

// The newest change set at or before `when`, 0 when none.
long long LastSetAt(stationdb::Connection &connection, const std::string &when) {
    stationdb::Statement st(connection, "select max(id) from tb_std_history where changed_at <= ?");
    st.BindUtf8(1, when);
    st.Execute();
    return st.Fetch() ? Number(st, 1) : 0;
}

// Replays one parameter's rows: an old row leaves (the first equal one, as
// the table's rows are a multiset), a new row joins at the end.
void Replay(std::vector<LimitInForce> &rows, const HistoryRow &row, long long set,
            const std::string &changedAt) {
    if (row.before) {
        const auto gone = std::find_if(rows.begin(), rows.end(), [&](const LimitInForce &r) {
            return r.values == *row.before;
        });
        if (gone != rows.end()) rows.erase(gone);
    }
    if (row.after)
        rows.push_back({row.paramid, row.paramname, row.itemname, row.type, row.stdorder,
                        *row.after, set, changedAt});
}

}  // namespace

LimitsAtMoment LimitsAsOf(stationdb::Connection &connection, const std::string &whenUtc,
                          int32_t itemid, const std::string &condition) {
    LimitsAtMoment out;
    out.when = whenUtc;
    out.itemid = itemid;
    out.condition = condition;
    out.beforeHistory = true;
    if (!HistoryPresent(connection)) return out;
    stationdb::Statement first(connection, "select min(changed_at) from tb_std_history");
    first.Execute();
    bool none = true;
    const std::string start = first.Fetch() ? first.Utf8(1, &none) : std::string();
    if (none || whenUtc < start) return out;
    out.beforeHistory = false;
    out.lastChangeSet = LastSetAt(connection, whenUtc);

    // The item's rows through the index, read whole before the times of
    // their change sets are looked up (one statement at a time on the
    // connection); change sets after `when` are left out by their time.
    std::vector<std::pair<long long, HistoryRow>> recorded;
    HistoryRowQuery query;
    query.itemid = itemid;
    query.condition = condition;
    ReadHistoryRows(connection, query, [&](long long changeset, HistoryRow &&row) {
        recorded.emplace_back(changeset, std::move(row));
    });
    stationdb::Statement time(connection, "select changed_at from tb_std_history where id = ?");
    std::map<int32_t, std::vector<LimitInForce>> byParam;
    long long set = 0;
    std::string changedAt;
    for (const auto &[id, row] : recorded) {
        if (id != set) {
            set = id;
            time.BindInt(1, id);
            time.Execute();
            changedAt = time.Fetch() ? time.Utf8(1) : std::string();
            time.CloseCursor();
        }
        if (!changedAt.empty() && changedAt <= whenUtc)
            Replay(byParam[row.paramid], row, set, changedAt);
    }
    for (auto &[paramid, list] : byParam)
        for (LimitInForce &limit : list) out.limits.push_back(std::move(limit));
    return out;
}

}  // namespace generator
