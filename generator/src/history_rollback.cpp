// Putting back what one change set changed: the rows it touched become what
// they were before it, in one transaction under the table's write lock,
// recorded as a change set of its own.
#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "generator/history_check.h"
#include "history_chain.h"
#include "history_check_rows.h"
#include "history_replay.h"
#include "limit_rows_write.h"
#include "platform/value_text.h"
#include "series_write.h"
#include "stationdb/stationdb.h"

namespace generator {
namespace {

using history::KeyView;

// The most keys read one by one through the index rather than with one
// read of the table.
constexpr std::size_t kKeysReadOneByOne = 200;

// A row as it stands in the table.
struct StoredRow {
    LimitValues limits;
    std::string type, itemname, paramname;
    int32_t stdorder = 0;
};

// One key the change set touched: its rows before the change set (the
// target), what it left, and what the table holds now.
struct Touched {
    LimitKey key;
    std::vector<HistoryRow> target;  // rows with their `before` limits
    std::vector<LimitValues> left;
    std::vector<StoredRow> current;
    long long laterSet = 0;  // the last later change set seen touching it
};

struct Plan {
    RollbackResult result;
    std::vector<Touched> keys;
    std::unordered_map<LimitKey, std::size_t, history::KeyHash, history::KeyEqual> index;
};

bool SameLimits(std::vector<LimitValues> a, std::vector<LimitValues> b) {
    auto less = [](const LimitValues &x, const LimitValues &y) {
        return std::tie(x.hvalue, x.lvalue) < std::tie(y.hvalue, y.lvalue);
    };
    std::sort(a.begin(), a.end(), less);
    std::sort(b.begin(), b.end(), less);
    return a == b;
}

std::vector<LimitValues> CurrentLimits(const Touched &t) {
    std::vector<LimitValues> out;
    for (const StoredRow &row : t.current) out.push_back(row.limits);
    return out;
}

std::vector<LimitValues> TargetLimits(const Touched &t) {
    std::vector<LimitValues> out;
    for (const HistoryRow &row : t.target) out.push_back(*row.before);
    return out;
}

// Reads the change set's header and rows; false (status set) when refused.
bool ReadChange(stationdb::Connection &connection, long long id, Plan &plan) {
    RollbackResult &r = plan.result;
    r.changeSet = id;
    if (!HistoryPresent(connection)) {
        r.status = RollbackStatus::kNoHistory;
        return false;
    }
    ChangeSet set;
    std::string kindText;
    {
        stationdb::Statement st(connection, history::kChangeSetWhereId);
        st.BindInt(1, id);
        st.Execute();
        if (!st.Fetch()) {
            r.status = RollbackStatus::kUnknownId;
            return false;
        }
        history::ReadChangeSet(st, set, kindText);
    }
    r.kind = set.kind;
    r.scope = set.scope;
    r.changedAt = set.changedAt;
    if (set.kind == ChangeKind::kBaseline) {
        r.status = RollbackStatus::kBaseline;
        return false;
    }
    bool damaged = false;
    HistoryRowQuery query;
    query.changeset = id;
    ReadHistoryRows(
        connection, query,
        [&](long long, HistoryRow &&row) {
            const KeyView key{row.itemid, row.condition, row.paramid};
            auto found = plan.index.find(key);
            if (found == plan.index.end()) {
                found =
                    plan.index
                        .emplace(LimitKey{row.itemid, row.condition, row.paramid}, plan.keys.size())
                        .first;
                plan.keys.push_back({found->first, {}, {}, {}, 0});
            }
            Touched &t = plan.keys[found->second];
            if (row.after) t.left.push_back(*row.after);
            if (row.before) t.target.push_back(std::move(row));
        },
        [&](long long, long long) { damaged = true; });
    if (damaged)
        throw std::runtime_error("the recorded rows of change set " + std::to_string(id) +
                                 " cannot be read (edited by hand?): run stdhost verify");
    return true;
}

// The later change sets that touched the same keys.
void ReadLaterChanges(stationdb::Connection &connection, long long id, Plan &plan) {
    std::map<long long, std::pair<std::string, std::string>> sets;  // id -> kind, time
    {
        stationdb::Statement st(connection,
                                "select id, kind, changed_at from tb_std_history where id > ?");
        st.BindInt(1, id);
        st.Execute();
        while (st.Fetch())
            sets[history::NumberOf(st.View(1))] = {std::string(st.View(2)),
                                                   std::string(st.View(3))};
    }
    HistoryRowQuery query;
    query.fromChangeset = id + 1;
    ReadHistoryRows(connection, query, [&](long long later, HistoryRow &&row) {
        const auto found = plan.index.find(KeyView{row.itemid, row.condition, row.paramid});
        if (found == plan.index.end()) return;
        Touched &t = plan.keys[found->second];
        if (t.laterSet == later) return;
        t.laterSet = later;
        const auto header = sets.find(later);
        plan.result.conflicts.push_back({t.key, later,
                                         header == sets.end() ? "(deleted)" : header->second.first,
                                         header == sets.end() ? "" : header->second.second});
    });
}

void ReadStored(stationdb::Statement &st, int first, StoredRow &row) {
    row.limits.hvalue = st.View(first);
    row.limits.lvalue = st.View(first + 1);
    row.type = st.View(first + 2);
    row.itemname = st.View(first + 3);
    row.paramname = st.View(first + 4);
    row.stdorder = platform::IntegerOf(st.View(first + 5));
}

// What the table holds now under each key: through the index for a few
// keys, with one read of the table for many.
void ReadCurrent(stationdb::Connection &connection, Plan &plan) {
    constexpr char kColumns[] = "hvalue, lvalue, type, itemname, paramname, stdorder";
    StoredRow row;
    if (plan.keys.size() <= kKeysReadOneByOne) {
        stationdb::Statement st(connection, std::string("select ") + kColumns +
                                                " from tb_id_standard where itemid = ? and "
                                                "condition = ? and paramid = ?");
        for (Touched &t : plan.keys) {
            st.BindInt(1, t.key.itemid);
            st.BindUtf8(2, t.key.condition);
            st.BindInt(3, t.key.paramid);
            st.Execute();
            while (st.Fetch()) {
                ReadStored(st, 1, row);
                t.current.push_back(row);
            }
        }
        return;
    }
    stationdb::Statement st(
        connection,
        std::string("select itemid, condition, paramid, ") + kColumns + " from tb_id_standard",
        stationdb::Statement::Direct{});
    st.Execute();
    while (st.Fetch()) {
        const int32_t itemid = platform::IntegerOf(st.View(1));
        const std::string_view condition = st.View(2);
        const auto found =
            plan.index.find(KeyView{itemid, condition, platform::IntegerOf(st.View(3))});
        if (found == plan.index.end()) continue;
        ReadStored(st, 4, row);
        plan.keys[found->second].current.push_back(row);
    }
}

// Conflicts with what the table holds, and the rows the rollback changes.
void Compare(Plan &plan) {
    for (const Touched &t : plan.keys) {
        const std::vector<LimitValues> current = CurrentLimits(t);
        if (t.laterSet == 0 && !SameLimits(current, t.left))
            plan.result.conflicts.push_back({t.key, 0, "outside", ""});
        const std::vector<LimitValues> target = TargetLimits(t);
        if (SameLimits(current, target)) continue;
        if (current.size() == 1 && target.size() == 1) {
            plan.result.rows.push_back({t.key, current[0], target[0]});
            continue;
        }
        for (const LimitValues &c : current) plan.result.rows.push_back({t.key, c, std::nullopt});
        for (const LimitValues &g : target) plan.result.rows.push_back({t.key, std::nullopt, g});
    }
}

// Reads everything the rollback of `id` needs; false when it is refused.
bool MakePlan(stationdb::Connection &connection, long long id, Plan &plan) {
    if (!ReadChange(connection, id, plan)) return false;
    ReadLaterChanges(connection, id, plan);
    ReadCurrent(connection, plan);
    Compare(plan);
    return true;
}

HistoryRow Recorded(const Touched &t, const StoredRow *from, const HistoryRow *to) {
    HistoryRow row;
    row.itemid = t.key.itemid;
    row.condition = t.key.condition;
    row.paramid = t.key.paramid;
    const StoredRow *names = from;
    if (names != nullptr) {
        row.type = names->type;
        row.itemname = names->itemname;
        row.paramname = names->paramname;
        row.stdorder = names->stdorder;
        row.before = names->limits;
    } else {
        row.type = to->type;
        row.itemname = to->itemname;
        row.paramname = to->paramname;
        row.stdorder = to->stdorder;
    }
    if (to != nullptr) row.after = to->before;
    return row;
}

void BindKey(stationdb::Statement &st, int first, const LimitKey &key) {
    st.BindInt(first, key.itemid);
    st.BindUtf8(first + 1, key.condition);
    st.BindInt(first + 2, key.paramid);
}

// Makes each key's rows its target, recording every change.
void PutBack(stationdb::Connection &connection, Plan &plan, history::ChangeRecorder &recorder) {
    constexpr char kWhere[] = " where itemid = ? and condition = ? and paramid = ?";
    std::unique_ptr<stationdb::Statement> update, remove;
    std::vector<const HistoryRow *> inserts;
    std::deque<HistoryRow> named;  // stable addresses for `inserts`
    for (const Touched &t : plan.keys) {
        if (SameLimits(CurrentLimits(t), TargetLimits(t))) continue;
        if (t.current.size() == 1 && t.target.size() == 1) {
            if (!update)
                update = std::make_unique<stationdb::Statement>(
                    connection,
                    std::string("update tb_id_standard set hvalue = ?, lvalue = ?") + kWhere);
            update->BindUtf8(1, t.target[0].before->hvalue);
            update->BindUtf8(2, t.target[0].before->lvalue);
            BindKey(*update, 3, t.key);
            update->Execute();
            recorder.Add(Recorded(t, &t.current[0], &t.target[0]));
            continue;
        }
        if (!t.current.empty()) {
            if (!remove)
                remove = std::make_unique<stationdb::Statement>(
                    connection, std::string("delete from tb_id_standard") + kWhere);
            BindKey(*remove, 1, t.key);
            remove->Execute();
            for (const StoredRow &row : t.current) recorder.Add(Recorded(t, &row, nullptr));
        }
        for (const HistoryRow &row : t.target) {
            // The history keeps the names of deleted rows only; a row put
            // back in place of another takes that one's names.
            named.push_back(row);
            HistoryRow &put = named.back();
            if (put.type.empty() && put.itemname.empty() && !t.current.empty()) {
                put.type = t.current[0].type;
                put.itemname = t.current[0].itemname;
                put.paramname = t.current[0].paramname;
                put.stdorder = t.current[0].stdorder;
            }
            inserts.push_back(&put);
            recorder.Add(Recorded(t, nullptr, &put));
        }
    }
    InsertRows(connection, inserts, &HistoryRow::before);
}

}  // namespace

RollbackResult RollbackChangeSet(stationdb::Connection &connection, long long id, bool force,
                                 const ChangeOrigin &origin) {
    stationdb::Transaction transaction(connection);
    LockStandards(connection);
    Plan plan;
    if (!MakePlan(connection, id, plan)) return plan.result;
    RollbackResult &r = plan.result;
    if (!r.conflicts.empty() && !force) {
        r.status = RollbackStatus::kConflicts;
        return r;
    }
    r.status = RollbackStatus::kDone;
    if (r.rows.empty()) return r;
    history::ChangeRecorder recorder(connection, ChangeKind::kRollback, r.scope, origin, id);
    PutBack(connection, plan, recorder);
    r.rowsPutBack = static_cast<long long>(recorder.Size());
    r.recordedId = recorder.Write();
    r.stamp = BumpModifyStamp(connection);
    transaction.Commit();
    return r;
}

RollbackResult PreviewRollback(stationdb::Connection &connection, long long id) {
    Plan plan;
    if (MakePlan(connection, id, plan)) plan.result.status = RollbackStatus::kPreview;
    return plan.result;
}

}  // namespace generator
