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
#include "limit_rows_write.h"
#include "platform/gbk.h"
#include "platform/value_text.h"
#include "series_write.h"
#include "stationdb/stationdb.h"

namespace generator {
namespace {

using history::KeyView;
using KeyIndex =
    std::unordered_map<KeyView, std::vector<std::size_t>, history::KeyHash, history::KeyEqual>;

KeyView KeyOf(std::int32_t itemid, const std::string &condition, std::int32_t paramid) {
    return {itemid, platform::TrimBlanks(condition), paramid};
}

// Which stored conditions are series keys; each text converted once.
class SeriesRule {
  public:
    explicit SeriesRule(stationdb::Connection &connection)
        : keys_(ReadSeriesList(connection).series) {}
    bool IsSeries(const std::string &utf8) {
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

// Names for added rows: those of a stored row of the same item and
// parameter, else the catalogue's (read once, when first needed).
class RowNames {
  public:
    RowNames(stationdb::Connection &connection, const std::vector<HistoryRow> &table)
        : connection_(connection) {
        for (const HistoryRow &row : table) {
            items_.try_emplace(row.itemid, row.itemname);
            params_.try_emplace(Key(row.itemid, row.paramid), row.paramname);
        }
    }
    void Fill(HistoryRow &row) {
        auto param = params_.find(Key(row.itemid, row.paramid));
        auto item = items_.find(row.itemid);
        if ((param == params_.end() || item == items_.end()) && !catalogueRead_) {
            ReadCatalogue();
            param = params_.find(Key(row.itemid, row.paramid));
            item = items_.find(row.itemid);
        }
        if (item != items_.end()) row.itemname = item->second;
        if (param != params_.end()) row.paramname = param->second;
    }

  private:
    static std::uint64_t Key(std::int32_t item, std::int32_t param) {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(item)) << 32) |
               static_cast<std::uint32_t>(param);
    }
    void ReadCatalogue() {
        catalogueRead_ = true;
        for (const auto &[id, name] : ReadItemNames(connection_))
            items_.try_emplace(id, platform::GbkToUtf8Lossy(name));
        stationdb::Statement st(connection_, "select ItemId, ParamId, ParamName from tb_id_param",
                                stationdb::Statement::Direct{});
        st.Execute();
        while (st.Fetch())
            params_.try_emplace(
                Key(platform::IntegerOf(st.View(1)), platform::IntegerOf(st.View(2))),
                std::string(platform::TrimBlanks(st.View(3))));
    }
    stationdb::Connection &connection_;
    std::unordered_map<std::int32_t, std::string> items_;
    std::unordered_map<std::uint64_t, std::string> params_;
    bool catalogueRead_ = false;
};

// The national rows of the table by key, the series rows counted.
KeyIndex IndexNational(NationalPlan &plan, SeriesRule &rule) {
    KeyIndex index;
    index.reserve(plan.table.size());
    for (std::size_t i = 0; i < plan.table.size(); ++i) {
        const HistoryRow &row = plan.table[i];
        if (rule.IsSeries(row.condition)) {
            ++plan.seriesRows;
            continue;
        }
        ++plan.nationalBefore;
        index[KeyOf(row.itemid, row.condition, row.paramid)].push_back(i);
    }
    return index;
}

void AddChange(NationalPlan &plan, HistoryRow row, std::size_t tableRow) {
    if (tableRow != NationalPlan::kNoChange) plan.changeOfRow[tableRow] = plan.changes.size();
    plan.changes.push_back(std::move(row));
}

// Each row of the update against the stored rows of its key.
void MatchRows(const std::vector<NationalRow> &rows, const KeyIndex &index, NationalPlan &plan,
               RowNames &names, std::vector<bool> &matched) {
    for (const NationalRow &row : rows) {
        const auto found = index.find(KeyOf(row.itemid, row.condition, row.paramid));
        const LimitValues values{row.hvalue, row.lvalue};
        if (found == index.end()) {
            HistoryRow added{row.itemid, row.condition, row.paramid, row.type, "", "",
                             0,          std::nullopt,  values};
            names.Fill(added);
            AddChange(plan, std::move(added), NationalPlan::kNoChange);
            continue;
        }
        for (std::size_t i : found->second) {
            matched[i] = true;
            const HistoryRow &stored = plan.table[i];
            if (*stored.after == values) {
                ++plan.unchanged;
                continue;
            }
            HistoryRow changed = stored;
            changed.before = stored.after;
            changed.after = values;
            AddChange(plan, std::move(changed), i);
        }
    }
}

void CheckRows(const std::vector<NationalRow> &rows, SeriesRule &rule) {
    std::unordered_map<KeyView, const NationalRow *, history::KeyHash, history::KeyEqual> seen;
    seen.reserve(rows.size());
    for (const NationalRow &row : rows) {
        if (rule.IsSeries(row.condition))
            throw NationalRowRefused(LineOf(row) + "the condition \"" + row.condition +
                                     "\" is a series key of this station (brand_series of "
                                     "tb_type_vehicle): a national update cannot write it");
        const auto [at, added] =
            seen.try_emplace(KeyOf(row.itemid, row.condition, row.paramid), &row);
        if (!added)
            throw NationalRowRefused(LineOf(row) + "item " + std::to_string(row.itemid) +
                                     ", condition \"" + row.condition + "\", parameter " +
                                     std::to_string(row.paramid) + " again (" +
                                     LineOf(*at->second) + "the first)");
    }
}

void WriteChanges(stationdb::Connection &connection, const NationalPlan &plan,
                  history::ChangeRecorder &recorder) {
    constexpr char kWhere[] = " where itemid = ? and condition = ? and paramid = ?";
    std::unique_ptr<stationdb::Statement> update, remove;
    std::vector<const HistoryRow *> inserts;
    for (const HistoryRow &row : plan.changes) {
        recorder.Add(row);
        if (!row.before) {
            inserts.push_back(&row);
            continue;
        }
        std::unique_ptr<stationdb::Statement> &st = row.after ? update : remove;
        if (!st)
            st = std::make_unique<stationdb::Statement>(
                connection,
                row.after ? std::string("update tb_id_standard set hvalue = ?, lvalue = ?") + kWhere
                          : std::string("delete from tb_id_standard") + kWhere);
        int at = 1;
        if (row.after) {
            st->BindUtf8(1, row.after->hvalue);
            st->BindUtf8(2, row.after->lvalue);
            at = 3;
        }
        st->BindInt(at, row.itemid);
        st->BindUtf8(at + 1, row.condition);
        st->BindInt(at + 2, row.paramid);
        st->Execute();
    }
    InsertRows(connection, inserts, &HistoryRow::after);
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
    CheckRows(rows, rule);
    NationalPlan plan;
    plan.table = history::ReadTableRows(connection, false);
    plan.changeOfRow.assign(plan.table.size(), NationalPlan::kNoChange);
    const KeyIndex index = IndexNational(plan, rule);
    RowNames names(connection, plan.table);
    std::vector<bool> matched(plan.table.size(), false);
    MatchRows(rows, index, plan, names, matched);
    for (std::size_t i = 0; i < plan.table.size(); ++i)
        if (!matched[i] && !rule.IsSeries(plan.table[i].condition)) {
            HistoryRow removed = plan.table[i];
            removed.before = std::move(removed.after);
            removed.after.reset();
            AddChange(plan, std::move(removed), i);
        }
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
