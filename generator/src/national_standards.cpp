// A national standards update: the plan (what changes, by row) and its
// recorded write.
#include "generator/national_standards.h"

#include <algorithm>
#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>

#include "generator/series_key.h"
#include "generator/station_lists.h"
#include "history_chain.h"
#include "history_replay.h"
#include "national_write.h"
#include "platform/gbk.h"
#include "platform/value_text.h"
#include "series_write.h"
#include "statements.h"
#include "stationdb/stationdb.h"

namespace generator {
namespace {

using history::KeyView;
constexpr std::size_t kNone = NationalPlan::kNoChange;

// The national rows of the table by key: the first row of each key, and
// for each row the next one of the same key (a table may repeat a key).
struct KeyIndex {
    std::unordered_map<KeyView, std::size_t, history::KeyHash, history::KeyEqual> first;
    std::vector<std::size_t> next;
};

enum RowState : char { kSeriesRow, kNationalRow, kMatchedRow };

KeyView KeyOf(std::int32_t itemid, const std::string &condition, std::int32_t paramid) {
    return {itemid, platform::TrimBlanks(condition), paramid};
}

// Which stored conditions are series keys; each text converted once.
class SeriesRule {
  public:
    explicit SeriesRule(stationdb::Connection &connection)
        : keys_(ReadSeriesList(connection).series) {}
    bool IsSeries(const std::string &utf8) {
        // A series key joins brand and series with '_'.
        if (utf8.find('_') == std::string::npos) return false;
        const auto [at, added] = seen_.try_emplace(utf8, false);
        if (added) {
            std::string gbk;
            at->second = platform::Utf8ToGbk(utf8, gbk) && keys_.IsSeries(gbk);
        }
        return at->second;
    }

  private:
    SeriesKeys keys_;
    std::unordered_map<std::string, bool> seen_;
};

std::string LineOf(const NationalRow &row) {
    return row.line ? "line " + std::to_string(row.line) + ": " : "";
}

void CheckSeries(const std::vector<NationalRow> &rows, SeriesRule &rule) {
    for (const NationalRow &row : rows)
        if (rule.IsSeries(row.condition))
            throw NationalRowRefused(LineOf(row) + "the condition \"" + row.condition +
                                     "\" is a series key of this station (brand_series of "
                                     "tb_type_vehicle): a national update cannot write it");
}

[[noreturn]] void RefuseRepeat(const NationalRow &row, const NationalRow &first) {
    throw NationalRowRefused(LineOf(row) + "item " + std::to_string(row.itemid) + ", condition \"" +
                             row.condition + "\", parameter " + std::to_string(row.paramid) +
                             " again (" + LineOf(first) + "the first)");
}

// The catalogue's names of items (tb_id_item) and parameters (tb_id_param),
// UTF-8, read once when first needed.
class CatalogueNames {
  public:
    explicit CatalogueNames(stationdb::Connection &connection) : connection_(connection) {}
    void Fill(HistoryRow &row) {
        if (!read_) Read();
        if (const auto item = items_.find(row.itemid); item != items_.end())
            row.itemname = item->second;
        if (const auto param = params_.find(ParamKey(row.itemid, row.paramid));
            param != params_.end())
            row.paramname = param->second;
    }

  private:
    void Read() {
        read_ = true;
        for (const auto &[id, name] : ReadItemNames(connection_))
            items_.try_emplace(id, platform::GbkToUtf8Lossy(name));
        stationdb::Statement st(connection_, "select ItemId, ParamId, ParamName from tb_id_param",
                                stationdb::Statement::Direct{});
        st.Execute();
        while (st.Fetch())
            params_.try_emplace(
                ParamKey(platform::IntegerOf(st.View(1)), platform::IntegerOf(st.View(2))),
                std::string(platform::TrimBlanks(st.View(3))));
    }
    stationdb::Connection &connection_;
    std::unordered_map<std::int32_t, std::string> items_;
    std::unordered_map<std::uint64_t, std::string> params_;
    bool read_ = false;
};

// What a plan compares of every row: its key and limits (the names and
// type are read for the rows an update removes, see FillRemovedRows).
std::vector<HistoryRow> ReadLimitRows(stationdb::Connection &connection) {
    std::vector<HistoryRow> rows;
    stationdb::Statement st(connection,
                            "select itemid, condition, paramid, hvalue, lvalue from tb_id_standard",
                            stationdb::Statement::Direct{});
    st.Execute();
    while (st.Fetch()) {
        HistoryRow &row = rows.emplace_back();
        row.itemid = platform::IntegerOf(st.View(1));
        row.condition = st.View(2);
        row.paramid = platform::IntegerOf(st.View(3));
        row.after = LimitValues{std::string(st.View(4)), std::string(st.View(5))};
    }
    return rows;
}

// The national rows of the table by key, the series rows counted.
KeyIndex IndexNational(NationalPlan &plan, SeriesRule &rule, std::vector<RowState> &state) {
    KeyIndex index;
    index.first.reserve(plan.table.size());
    index.next.assign(plan.table.size(), kNone);
    state.assign(plan.table.size(), kSeriesRow);
    for (std::size_t i = 0; i < plan.table.size(); ++i) {
        const HistoryRow &row = plan.table[i];
        if (rule.IsSeries(row.condition)) {
            ++plan.seriesRows;
            continue;
        }
        ++plan.nationalBefore;
        state[i] = kNationalRow;
        const auto [at, added] =
            index.first.try_emplace(KeyOf(row.itemid, row.condition, row.paramid), i);
        if (added) continue;
        std::size_t tail = at->second;
        while (index.next[tail] != kNone) tail = index.next[tail];
        index.next[tail] = i;
    }
    return index;
}

void AddChange(NationalPlan &plan, HistoryRow row, std::size_t tableRow) {
    if (tableRow != NationalPlan::kNoChange) plan.changeOfRow[tableRow] = plan.changes.size();
    plan.changes.push_back(std::move(row));
}

// Each row of the update against the stored rows of its key. A key the
// update gives twice (blanks at both ends ignored) is refused.
void MatchRows(const std::vector<NationalRow> &rows, const KeyIndex &index, NationalPlan &plan,
               CatalogueNames &names, std::vector<RowState> &state) {
    std::vector<const NationalRow *> matchedBy(plan.table.size(), nullptr);
    std::unordered_map<KeyView, const NationalRow *, history::KeyHash, history::KeyEqual> addedKeys;
    for (const NationalRow &row : rows) {
        const KeyView key = KeyOf(row.itemid, row.condition, row.paramid);
        const auto found = index.first.find(key);
        const LimitValues values{row.hvalue, row.lvalue};
        if (found != index.first.end() && matchedBy[found->second] != nullptr)
            RefuseRepeat(row, *matchedBy[found->second]);
        if (found == index.first.end()) {
            if (const auto [at, fresh] = addedKeys.try_emplace(key, &row); !fresh)
                RefuseRepeat(row, *at->second);
            HistoryRow added{row.itemid, row.condition, row.paramid, row.type, "", "",
                             0,          std::nullopt,  values};
            names.Fill(added);
            AddChange(plan, std::move(added), NationalPlan::kNoChange);
            continue;
        }
        matchedBy[found->second] = &row;
        for (std::size_t i = found->second; i != kNone; i = index.next[i]) {
            state[i] = kMatchedRow;
            const HistoryRow &stored = plan.table[i];
            if (*stored.after == values) {
                ++plan.unchanged;
                continue;
            }
            HistoryRow changed = stored;
            changed.before = stored.after;
            changed.after = values;
            names.Fill(changed);
            AddChange(plan, std::move(changed), i);
        }
    }
}

}  // namespace

std::vector<store::StoredLimitRow> NationalPlan::RowsBefore() const {
    std::vector<store::StoredLimitRow> rows;
    rows.reserve(table.size());
    for (const HistoryRow &row : table)
        rows.push_back(
            {row.itemid, row.condition, row.paramid, row.after->hvalue, row.after->lvalue});
    return rows;
}

std::vector<store::StoredLimitRow> NationalPlan::RowsAfter() const {
    std::vector<store::StoredLimitRow> rows;
    rows.reserve(table.size() + changes.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        const HistoryRow &row = table[i];
        const std::size_t c = i < changeOfRow.size() ? changeOfRow[i] : kNoChange;
        const std::optional<LimitValues> &values = c == kNoChange ? row.after : changes[c].after;
        if (values)
            rows.push_back(
                {row.itemid, row.condition, row.paramid, values->hvalue, values->lvalue});
    }
    for (const HistoryRow &row : changes)
        if (!row.before)
            rows.push_back(
                {row.itemid, row.condition, row.paramid, row.after->hvalue, row.after->lvalue});
    return rows;
}

std::vector<NationalRow> ReadNationalRows(stationdb::Connection &connection,
                                          std::size_t *seriesRows) {
    SeriesRule rule(connection);
    std::vector<NationalRow> rows;
    std::size_t series = 0;
    for (HistoryRow &row : history::ReadTableRows(connection, false)) {
        if (rule.IsSeries(row.condition)) {
            ++series;
            continue;
        }
        rows.push_back({row.itemid, std::move(row.type),
                        std::string(platform::TrimBlanks(row.condition)), row.paramid,
                        std::move(row.after->hvalue), std::move(row.after->lvalue), 0});
    }
    std::sort(rows.begin(), rows.end(), [](const NationalRow &a, const NationalRow &b) {
        return std::tie(a.itemid, a.condition, a.paramid) <
               std::tie(b.itemid, b.condition, b.paramid);
    });
    if (seriesRows != nullptr) *seriesRows = series;
    return rows;
}

NationalPlan PlanNationalUpdate(stationdb::Connection &connection,
                                const std::vector<NationalRow> &rows) {
    SeriesRule rule(connection);
    CheckSeries(rows, rule);
    NationalPlan plan;
    plan.table = ReadLimitRows(connection);
    plan.changeOfRow.assign(plan.table.size(), NationalPlan::kNoChange);
    std::vector<RowState> state;
    const KeyIndex index = IndexNational(plan, rule, state);
    CatalogueNames names(connection);
    MatchRows(rows, index, plan, names, state);
    for (std::size_t i = 0; i < plan.table.size(); ++i)
        if (state[i] == kNationalRow) {
            HistoryRow removed = plan.table[i];
            removed.before = std::move(removed.after);
            removed.after.reset();
            AddChange(plan, std::move(removed), i);
        }
    FillRemovedRows(connection, plan.changes);
    plan.nationalAfter = plan.nationalBefore;
    for (const HistoryRow &row : plan.changes)
        plan.nationalAfter += (row.after ? 1 : 0) - (row.before ? 1 : 0);
    return plan;
}

NationalUpdateResult ApplyNationalUpdate(
    stationdb::Connection &connection, const std::vector<NationalRow> &rows,
    const ChangeOrigin &origin, bool dryRun,
    const std::function<bool(const NationalPlan &plan)> &approve) {
    NationalUpdateResult result;
    stationdb::Transaction transaction(connection);
    LockStandards(connection);
    result.plan = PlanNationalUpdate(connection, rows);
    if (result.plan.Empty()) return result;
    result.approved = !approve || approve(result.plan);
    if (!result.approved) return result;
    history::ChangeRecorder recorder(connection, ChangeKind::kApply, "*", origin);
    recorder.Reserve(result.plan.changes.size());
    WriteChanges(connection, result.plan, recorder);
    result.changeSet = recorder.Write();
    result.stamp = BumpModifyStamp(connection);
    if (dryRun) return result;  // the transaction rolls back
    transaction.Commit();
    result.committed = true;
    return result;
}

}  // namespace generator
