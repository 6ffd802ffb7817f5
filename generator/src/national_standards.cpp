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

enum RowState : char { kKeptRow, kNationalRow, kMatchedRow };

KeyView KeyOf(std::int32_t itemid, const std::string &condition, std::int32_t paramid) {
    return {itemid, platform::TrimBlanks(condition), paramid};
}

enum class RowKind : char { kNational, kSeries, kOther };

// Which rows an update may write: not those under a series key of the
// station, nor those whose condition is blank or has no GBK form (the
// lines never judge by them). Each text is looked at once.
class RowRule {
  public:
    explicit RowRule(stationdb::Connection &connection)
        : keys_(ReadSeriesList(connection).series) {}
    RowKind KindOf(const std::string &utf8) {
        const std::string_view text = platform::TrimBlanks(utf8);
        if (text.empty()) return RowKind::kOther;
        // A series key joins brand and series with '_'; ASCII has a GBK form.
        if (text.find('_') == std::string_view::npos &&
            std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; }))
            return RowKind::kNational;
        const auto [at, added] = seen_.try_emplace(utf8, RowKind::kOther);
        std::string gbk;
        if (added && platform::Utf8ToGbk(utf8, gbk))
            at->second = keys_.IsSeries(gbk) ? RowKind::kSeries : RowKind::kNational;
        return at->second;
    }

  private:
    SeriesKeys keys_;
    std::unordered_map<std::string, RowKind> seen_;
};

std::string LineOf(const NationalRow &row) {
    return row.line ? "line " + std::to_string(row.line) + ": " : "";
}

void CheckKinds(const std::vector<NationalRow> &rows, RowRule &rule) {
    for (const NationalRow &row : rows) {
        const RowKind kind = rule.KindOf(row.condition);
        if (kind == RowKind::kSeries)
            throw NationalRowRefused(LineOf(row) + "the condition \"" + row.condition +
                                     "\" is a series key of this station (brand_series of "
                                     "tb_type_vehicle): a national update cannot write it");
        if (kind == RowKind::kOther)
            throw NationalRowRefused(LineOf(row) + "the condition \"" + row.condition +
                                     "\" is blank or has no GBK form: no line judges by it");
    }
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
KeyIndex IndexNational(NationalPlan &plan, RowRule &rule, std::vector<RowState> &state) {
    KeyIndex index;
    index.first.reserve(plan.table.size());
    index.next.assign(plan.table.size(), kNone);
    state.assign(plan.table.size(), kKeptRow);
    for (std::size_t i = 0; i < plan.table.size(); ++i) {
        const HistoryRow &row = plan.table[i];
        const RowKind kind = rule.KindOf(row.condition);
        if (kind != RowKind::kNational) {
            ++(kind == RowKind::kSeries ? plan.seriesRows : plan.otherRows);
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

// The stored rows of one key against the update's row. One row changes in
// place. A key stored more than once is written as one row, unless every
// copy holds the update's limits already: the copies are removed and the
// row added, so that the history records each copy as it was.
void MatchStored(const NationalRow &row, std::size_t first, const KeyIndex &index,
                 NationalPlan &plan, CatalogueNames &names, std::vector<RowState> &state) {
    const LimitValues values{row.hvalue, row.lvalue};
    std::size_t copies = 0;
    bool same = true;
    for (std::size_t i = first; i != kNone; i = index.next[i]) {
        state[i] = kMatchedRow;
        ++copies;
        same = same && *plan.table[i].after == values;
    }
    if (same) {
        plan.unchanged += copies;
        return;
    }
    if (copies == 1) {
        HistoryRow changed = plan.table[first];
        changed.before = changed.after;
        changed.after = values;
        names.Fill(changed);
        AddChange(plan, std::move(changed), first);
        return;
    }
    for (std::size_t i = first; i != kNone; i = index.next[i]) {
        HistoryRow removed = plan.table[i];
        removed.before = std::move(removed.after);
        removed.after.reset();
        AddChange(plan, std::move(removed), i);
    }
    HistoryRow added{row.itemid, row.condition, row.paramid, row.type, "", "",
                     0,          std::nullopt,  values};
    names.Fill(added);
    AddChange(plan, std::move(added), NationalPlan::kNoChange);
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
        MatchStored(row, found->second, index, plan, names, state);
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
                                          std::size_t *keptRows) {
    RowRule rule(connection);
    std::vector<NationalRow> rows;
    std::size_t kept = 0;
    for (HistoryRow &row : history::ReadTableRows(connection, false)) {
        if (rule.KindOf(row.condition) != RowKind::kNational) {
            ++kept;
            continue;
        }
        rows.push_back({row.itemid, std::move(row.type),
                        std::string(platform::TrimBlanks(row.condition)), row.paramid,
                        std::move(row.after->hvalue), std::move(row.after->lvalue), 0});
    }
    std::sort(rows.begin(), rows.end(), [](const NationalRow &a, const NationalRow &b) {
        return std::tie(a.itemid, a.condition, a.paramid, a.hvalue, a.lvalue) <
               std::tie(b.itemid, b.condition, b.paramid, b.hvalue, b.lvalue);
    });
    // A key stored more than once: one row when the copies agree.
    auto same = [](const NationalRow &a, const NationalRow &b) {
        return a.itemid == b.itemid && a.condition == b.condition && a.paramid == b.paramid;
    };
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (same(rows[i - 1], rows[i]) &&
            (rows[i - 1].hvalue != rows[i].hvalue || rows[i - 1].lvalue != rows[i].lvalue))
            throw NationalRowRefused(
                "the table holds item " + std::to_string(rows[i].itemid) + ", condition \"" +
                rows[i].condition + "\", parameter " + std::to_string(rows[i].paramid) +
                " more than once with different limits (" + rows[i - 1].hvalue + "/" +
                rows[i - 1].lvalue + " and " + rows[i].hvalue + "/" + rows[i].lvalue +
                "): which one a line judges by is not certain; correct the table first");
    rows.erase(std::unique(rows.begin(), rows.end(), same), rows.end());
    if (keptRows != nullptr) *keptRows = kept;
    return rows;
}

NationalPlan PlanNationalUpdate(stationdb::Connection &connection,
                                const std::vector<NationalRow> &rows) {
    RowRule rule(connection);
    CheckKinds(rows, rule);
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
