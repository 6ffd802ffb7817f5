#include "national_write.h"

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <unordered_map>

#include "history_chain.h"
#include "limit_rows_write.h"
#include "platform/value_text.h"
#include "statements.h"
#include "stationdb/stationdb.h"

namespace generator {
namespace {

// A statement that wrote other rows than the plan's: a collation that
// matches more than the bytes (SQL Server's ignores case), a row changed
// since it was read. The transaction must not commit.
void CheckWritten(long long written, std::size_t planned, const char *what) {
    if (written == static_cast<long long>(planned)) return;
    throw std::runtime_error(std::string(what) + " reached " + std::to_string(written) +
                             " rows of tb_id_standard where the update planned " +
                             std::to_string(planned));
}

// Keys per statement: 5 parameters a key for the updates, 1 for the
// deletes, far below every dialect's parameter limit.
constexpr std::size_t kRowsPerStatement = 100;

using Condition = std::pair<std::int32_t, std::string>;  // itemid, stored condition

// The rows of `changes` that `take` selects, by item and stored condition.
template <typename Take>
std::map<Condition, std::vector<HistoryRow *>> ByCondition(std::vector<HistoryRow> &changes,
                                                           Take &&take) {
    std::map<Condition, std::vector<HistoryRow *>> groups;
    for (HistoryRow &row : changes)
        if (take(row)) groups[{row.itemid, row.condition}].push_back(&row);
    return groups;
}

std::string List(std::size_t n, const char *one, const char *separator = ", ") {
    std::string list;
    for (std::size_t i = 0; i < n; ++i) list += (i ? separator : "") + std::string(one);
    return list;
}

// Deletes the rows of one item and condition, by parameter (a parameter
// stored more than once goes with all its copies, each one planned).
void DeleteRows(stationdb::Connection &connection, const Condition &key,
                const std::vector<const HistoryRow *> &rows) {
    std::map<std::int32_t, std::size_t> copies;
    for (const HistoryRow *row : rows) ++copies[row->paramid];
    auto next = copies.begin();
    while (next != copies.end()) {
        std::vector<std::int32_t> params;
        std::size_t planned = 0;
        for (; next != copies.end() && params.size() < kRowsPerStatement; ++next) {
            params.push_back(next->first);
            planned += next->second;
        }
        stationdb::Statement st(connection,
                                "delete from tb_id_standard where itemid = ? and condition = ? "
                                "and paramid in (" +
                                    List(params.size(), "?") + ")",
                                stationdb::Statement::Direct{});
        st.BindInt(1, key.first);
        st.BindUtf8(2, key.second);
        for (std::size_t i = 0; i < params.size(); ++i)
            st.BindInt(static_cast<int>(i) + 3, params[i]);
        st.Execute();
        CheckWritten(st.RowsAffected(), planned, "a delete");
    }
}

// The new limits of changed rows: many rows a statement where the dialect
// has UPDATE ... FROM (SQLite, PostgreSQL), else one by one. The rows are a
// UNION ALL of selects rather than a WITH list, whose affected rows the
// SQLite driver does not count; their values may reach the server as text,
// so the ids are cast.
void UpdateRows(stationdb::Connection &connection, const std::vector<const HistoryRow *> &rows) {
    const bool many = GeneratorStatementsFor(connection.GetDialect()).updateManyHead != nullptr;
    const std::size_t perStatement = many ? kRowsPerStatement : 1;
    std::unique_ptr<stationdb::Statement> full;
    for (std::size_t start = 0; start < rows.size(); start += perStatement) {
        const std::size_t n = std::min(perStatement, rows.size() - start);
        const std::string sql =
            many ? "update tb_id_standard set hvalue = v.hvalue, lvalue = v.lvalue from (" +
                       List(n,
                            "select ? as itemid, ? as condition, ? as paramid, ? as hvalue, "
                            "? as lvalue",
                            " union all ") +
                       ") as v where tb_id_standard.itemid = cast(v.itemid as integer) and "
                       "tb_id_standard.condition = v.condition and tb_id_standard.paramid = "
                       "cast(v.paramid as integer)"
                 : "update tb_id_standard set hvalue = ?, lvalue = ? where itemid = ? and "
                   "condition = ? and paramid = ?";
        std::unique_ptr<stationdb::Statement> partial;
        if (n == perStatement && !full)
            full = std::make_unique<stationdb::Statement>(connection, sql);
        if (n < perStatement) partial = std::make_unique<stationdb::Statement>(connection, sql);
        stationdb::Statement &st = partial ? *partial : *full;
        for (std::size_t i = 0; i < n; ++i) {
            const HistoryRow &row = *rows[start + i];
            const int at = static_cast<int>(i) * 5 + 1;
            if (many) {
                st.BindInt(at, row.itemid);
                st.BindUtf8(at + 1, row.condition);
                st.BindInt(at + 2, row.paramid);
                st.BindUtf8(at + 3, row.after->hvalue);
                st.BindUtf8(at + 4, row.after->lvalue);
            } else {
                st.BindUtf8(at, row.after->hvalue);
                st.BindUtf8(at + 1, row.after->lvalue);
                st.BindInt(at + 2, row.itemid);
                st.BindUtf8(at + 3, row.condition);
                st.BindInt(at + 4, row.paramid);
            }
        }
        st.Execute();
        CheckWritten(st.RowsAffected(), n, "an update");
    }
}

}  // namespace

void FillRemovedRows(stationdb::Connection &connection, std::vector<HistoryRow> &changes) {
    const auto groups = ByCondition(changes, [](const HistoryRow &row) { return !row.after; });
    if (groups.empty()) return;
    stationdb::Statement st(connection,
                            "select paramid, type, itemname, paramname, stdorder from "
                            "tb_id_standard where itemid = ? and condition = ?");
    for (const auto &[key, rows] : groups) {
        // A key stored more than once: each removed copy takes one stored row.
        std::unordered_map<std::int32_t, std::vector<HistoryRow *>> byParam;
        for (HistoryRow *row : rows) byParam[row->paramid].push_back(row);
        st.BindInt(1, key.first);
        st.BindUtf8(2, key.second);
        st.Execute();
        while (st.Fetch()) {
            const auto found = byParam.find(platform::IntegerOf(st.View(1)));
            if (found == byParam.end() || found->second.empty()) continue;
            HistoryRow &row = *found->second.back();
            found->second.pop_back();
            row.type = st.View(2);
            row.itemname = st.View(3);
            row.paramname = st.View(4);
            row.stdorder = platform::IntegerOf(st.View(5));
        }
        st.CloseCursor();
    }
}

void WriteChanges(stationdb::Connection &connection, const NationalPlan &plan,
                  history::ChangeRecorder &recorder) {
    std::vector<const HistoryRow *> inserts, updates;
    std::map<Condition, std::vector<const HistoryRow *>> deletes;
    for (const HistoryRow &row : plan.changes) {
        recorder.Add(row);
        if (!row.before)
            inserts.push_back(&row);
        else if (row.after)
            updates.push_back(&row);
        else
            deletes[{row.itemid, row.condition}].push_back(&row);
    }
    for (const auto &[key, rows] : deletes) DeleteRows(connection, key, rows);
    UpdateRows(connection, updates);
    InsertRows(connection, inserts, &HistoryRow::after);
}

}  // namespace generator
