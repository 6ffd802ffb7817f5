#include "generator/series_standard.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "gbk_texts.h"
#include "generator/limit_input.h"
#include "generator/series_key.h"
#include "history_chain.h"
#include "platform/gbk.h"
#include "platform/value_text.h"
#include "series_write.h"
#include "statements.h"
#include "stationdb/stationdb.h"

namespace generator {
namespace {

// Rows per many-row statement, and item ids per read: far below every
// dialect's parameter limit.
constexpr std::size_t kRowsPerStatement = 100;
constexpr std::size_t kItemsPerRead = 1000;

bool IsOpen(const stationdb::Connection *connection) {
    return connection != nullptr && connection->IsOpen();
}

std::string TrimmedText(const std::string &text) {
    return std::string(platform::TrimBlanks(text));
}

// One (itemid, paramid) of the series as it will be written: the names come
// from its first place in the catalogue, the limits from its last.
// Texts are UTF-8 already, converted once per name rather than per binding.
struct PendingRow {
    int32_t itemid;
    int32_t paramid;
    const std::string *devname;
    const std::string *itemname;
    std::string paramname;
    std::string hvalue;
    std::string lvalue;
};

// The UTF-8 form of a GBK text; a text that is not GBK fails like a bound one.
std::string Utf8Of(const std::string &gbk) {
    std::string utf8;
    if (!platform::GbkToUtf8(gbk, utf8))
        throw stationdb::DatabaseError("22018", "a name of the catalogue is not a valid GBK text");
    return utf8;
}

// Converts each device and item name once.
class NameCache {
  public:
    const std::string *Of(const std::string &gbk) {
        auto found = names_.find(&gbk);
        if (found == names_.end()) found = names_.emplace(&gbk, Utf8Of(gbk)).first;
        return &found->second;
    }

  private:
    std::unordered_map<const std::string *, std::string> names_;
};

struct Pending {
    NameCache names;
    std::vector<PendingRow> updates;
    std::vector<PendingRow> inserts;
};

// Splits the catalogue into rows that exist under the condition and rows to add.
void Classify(const Catalogue &catalogue, const std::unordered_set<uint64_t> &stored,
              Pending &pending) {
    std::unordered_map<uint64_t, std::pair<bool, std::size_t>> seen;  // key -> (update?, index)
    catalogue.ForEachParam([&](const CatalogueDevice &d, const CatalogueItem &i,
                               const CatalogueParam &p, const ParamPosition &) {
        const uint64_t key = ParamKey(i.itemid, p.paramid);
        auto found = seen.find(key);
        if (found != seen.end()) {
            auto &list = found->second.first ? pending.updates : pending.inserts;
            list[found->second.second].hvalue = LimitText(p.hvalue);
            list[found->second.second].lvalue = LimitText(p.lvalue);
            return;
        }
        PendingRow row{i.itemid,
                       p.paramid,
                       pending.names.Of(d.devname),
                       pending.names.Of(i.itemname),
                       Utf8Of(p.paramname),
                       LimitText(p.hvalue),
                       LimitText(p.lvalue)};
        const bool update = stored.count(key) > 0;
        auto &list = update ? pending.updates : pending.inserts;
        seen.emplace(key, std::make_pair(update, list.size()));
        list.push_back(std::move(row));
    });
}

std::string ValuesList(std::size_t rows, const char *row) {
    std::string list;
    for (std::size_t r = 0; r < rows; ++r) {
        if (r > 0) list += ", ";
        list += row;
    }
    return list;
}

// Reads the rows stored under `condition` for the catalogue's items, through
// the (itemid, condition, paramid) index: onRow(itemid, paramid, statement)
// for each. Nothing is read for an empty catalogue.
template <typename OnRow>
void ReadSeriesRows(stationdb::Connection &connection, const GeneratorStatements &sql,
                    const Catalogue &catalogue, const std::string &condition, OnRow onRow) {
    std::vector<int32_t> items;
    std::unordered_set<int32_t> seen;
    for (const auto &d : catalogue.devices)
        for (const auto &i : d.items)
            if (seen.insert(i.itemid).second) items.push_back(i.itemid);
    const std::string utf8Condition = Utf8Of(condition);
    for (std::size_t start = 0; start < items.size(); start += kItemsPerRead) {
        const std::size_t n = std::min(kItemsPerRead, items.size() - start);
        stationdb::Statement st(connection, sql.seriesRows + ValuesList(n, "?") + ")",
                                stationdb::Statement::Direct{});
        st.BindUtf8(1, utf8Condition);
        for (std::size_t k = 0; k < n; ++k) st.BindInt(static_cast<int>(k) + 2, items[start + k]);
        st.Execute();
        const int itemid = st.Column("itemid"), paramid = st.Column("paramid");
        while (st.Fetch())
            onRow(platform::IntegerOf(st.View(itemid)), platform::IntegerOf(st.View(paramid)), st);
    }
}

// Runs `rows` in statements of up to kRowsPerStatement rows; `bind` binds
// one row from a parameter index and returns the next index. The statement
// of a full chunk is prepared once. (Row counts are not read: drivers report
// none for a statement that starts with WITH.)
template <typename MakeSql, typename Bind, typename Tail>
void RunChunked(stationdb::Connection &connection, const std::vector<PendingRow> &rows,
                MakeSql makeSql, Bind bind, Tail tail) {
    std::unique_ptr<stationdb::Statement> full;
    for (std::size_t start = 0; start < rows.size(); start += kRowsPerStatement) {
        const std::size_t n = std::min(kRowsPerStatement, rows.size() - start);
        std::unique_ptr<stationdb::Statement> partial;
        stationdb::Statement *st;
        if (n == kRowsPerStatement) {
            if (!full) full = std::make_unique<stationdb::Statement>(connection, makeSql(n));
            st = full.get();
        } else {
            partial = std::make_unique<stationdb::Statement>(connection, makeSql(n));
            st = partial.get();
        }
        int index = 1;
        for (std::size_t r = start; r < start + n; ++r) index = bind(*st, index, rows[r]);
        tail(*st, index);
        st->Execute();
    }
}

// The limits are cast without a length: a cast to varchar(20) would cut a
// longer text without a word, where the column itself refuses it.
constexpr char kUpdateRow[] =
    "(cast(? as integer), cast(? as integer), cast(? as varchar), cast(? as varchar))";
// An INSERT's VALUES take their types from the target columns.
constexpr char kInsertRow[] = "(?, ?, ?, ?, ?, ?, ?, ?, 0)";

// `condition` is UTF-8 here and below.
void WriteManyRows(stationdb::Connection &connection, const GeneratorStatements &sql,
                   const std::string &condition, const Pending &pending) {
    RunChunked(
        connection, pending.updates,
        [&](std::size_t n) {
            return std::string(sql.updateManyHead) + ValuesList(n, kUpdateRow) + sql.updateManyTail;
        },
        [](stationdb::Statement &st, int i, const PendingRow &row) {
            st.BindInt(i, row.itemid);
            st.BindInt(i + 1, row.paramid);
            st.BindUtf8(i + 2, row.hvalue);
            st.BindUtf8(i + 3, row.lvalue);
            return i + 4;
        },
        [&](stationdb::Statement &st, int i) { st.BindUtf8(i, condition); });
    RunChunked(
        connection, pending.inserts,
        [&](std::size_t n) { return std::string(sql.insertManyHead) + ValuesList(n, kInsertRow); },
        [&](stationdb::Statement &st, int i, const PendingRow &row) {
            st.BindUtf8(i, *row.devname);
            st.BindInt(i + 1, row.itemid);
            st.BindUtf8(i + 2, *row.itemname);
            st.BindUtf8(i + 3, condition);
            st.BindInt(i + 4, row.paramid);
            st.BindUtf8(i + 5, row.paramname);
            st.BindUtf8(i + 6, row.hvalue);
            st.BindUtf8(i + 7, row.lvalue);
            return i + 8;
        },
        [](stationdb::Statement &, int) {});
}

// The T-SQL batch, one execution per parameter.
void WriteBatches(stationdb::Connection &connection, const GeneratorStatements &sql,
                  const std::string &condition, const Pending &pending) {
    stationdb::Statement st(connection, sql.upsertBatch);
    for (const auto *list : {&pending.updates, &pending.inserts}) {
        for (const PendingRow &row : *list) {
            st.BindInt(1, row.itemid);
            st.BindUtf8(2, condition);
            st.BindInt(3, row.paramid);
            st.BindUtf8(4, *row.devname);
            st.BindInt(5, row.itemid);
            st.BindUtf8(6, *row.itemname);
            st.BindUtf8(7, condition);
            st.BindInt(8, row.paramid);
            st.BindUtf8(9, row.paramname);
            st.BindUtf8(10, row.hvalue);
            st.BindUtf8(11, row.lvalue);
            st.BindUtf8(12, row.hvalue);
            st.BindUtf8(13, row.lvalue);
            st.BindInt(14, row.itemid);
            st.BindUtf8(15, condition);
            st.BindInt(16, row.paramid);
            st.Execute();
        }
    }
}

void RecordRows(history::ChangeRecorder &recorder, const Pending &pending,
                std::unordered_map<uint64_t, std::vector<LimitValues>> &before,
                const std::string &utf8Condition) {
    // The history keeps no names for rows that stay (see ChangeRecorder::Add).
    recorder.Reserve(pending.updates.size() + pending.inserts.size());
    const auto add = [&](const PendingRow &written, std::optional<LimitValues> old) {
        HistoryRow row;
        row.itemid = written.itemid;
        row.condition = utf8Condition;
        row.paramid = written.paramid;
        row.before = std::move(old);
        row.after = LimitValues{written.hvalue, written.lvalue};
        recorder.Add(std::move(row));
    };
    for (const PendingRow &written : pending.updates)
        for (LimitValues &old : before[ParamKey(written.itemid, written.paramid)])
            add(written, std::move(old));
    for (const PendingRow &written : pending.inserts) add(written, std::nullopt);
}

}  // namespace

std::string SeriesCondition(const std::string &brand, const std::string &series) {
    return TrimmedText(brand) + "_" + TrimmedText(series);
}

std::string LimitText(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(value));
    return text;
}

void LoadSeriesLimits(stationdb::Connection *connection, Catalogue &catalogue,
                      const std::string &brand, const std::string &series) {
    if (platform::TrimBlanks(series).empty() || !IsOpen(connection)) return;
    const GeneratorStatements &sql = GeneratorStatementsFor(connection->GetDialect());
    std::unordered_map<uint64_t, std::pair<float, float>> stored;
    ReadSeriesRows(*connection, sql, catalogue, SeriesCondition(brand, series),
                   [&](int32_t itemid, int32_t paramid, stationdb::Statement &st) {
                       stored[ParamKey(itemid, paramid)] = {
                           platform::FloatOf(st.View(st.Column("hvalue"))),
                           platform::FloatOf(st.View(st.Column("lvalue")))};
                   });
    catalogue.ForEachParam([&](const CatalogueDevice &, const CatalogueItem &item,
                               CatalogueParam &param, const ParamPosition &) {
        auto found = stored.find(ParamKey(item.itemid, param.paramid));
        param.hvalue = found == stored.end() ? 0.0f : found->second.first;
        param.lvalue = found == stored.end() ? 0.0f : found->second.second;
    });
}

void CheckParamLimits(const CatalogueParam &p) {
    for (const bool upper : {true, false}) {
        const float value = upper ? p.hvalue : p.lvalue;
        const LimitInput checked = CheckLimitValue(value);
        if (checked) continue;
        char given[64], text[512];
        std::snprintf(given, sizeof given, "%g", static_cast<double>(value));
        std::snprintf(text, sizeof text, texts::kLimitRefused, p.paramid, p.paramname.c_str(),
                      upper ? texts::kLimitUpperWord : texts::kLimitLowerWord, given,
                      LimitInputReason(checked.error));
        throw std::invalid_argument(text);
    }
}

void CheckCatalogueLimits(const Catalogue &catalogue) {
    catalogue.ForEachParam([](const CatalogueDevice &, const CatalogueItem &,
                              const CatalogueParam &p,
                              const ParamPosition &) { CheckParamLimits(p); });
}

GenerationResult WriteSeries(stationdb::Connection &connection, const Catalogue &catalogue,
                             const std::string &brand, const std::string &series,
                             history::ChangeRecorder &recorder) {
    GenerationResult result;
    const GeneratorStatements &sql = GeneratorStatementsFor(connection.GetDialect());
    const std::string condition = SeriesCondition(brand, series);
    const std::string utf8Condition = Utf8Of(condition);
    std::unordered_set<uint64_t> stored;
    std::unordered_map<uint64_t, std::vector<LimitValues>> before;  // recorded rows only
    ReadSeriesRows(connection, sql, catalogue, condition,
                   [&](int32_t itemid, int32_t paramid, stationdb::Statement &st) {
                       stored.insert(ParamKey(itemid, paramid));
                       if (recorder.Active())
                           before[ParamKey(itemid, paramid)].push_back(
                               {std::string(st.View(3)), std::string(st.View(4))});
                   });
    Pending pending;
    Classify(catalogue, stored, pending);
    if (sql.upsertBatch != nullptr)
        WriteBatches(connection, sql, utf8Condition, pending);
    else
        WriteManyRows(connection, sql, utf8Condition, pending);
    if (recorder.Active()) RecordRows(recorder, pending, before, utf8Condition);
    result.updated = static_cast<long long>(pending.updates.size());
    result.inserted = static_cast<long long>(pending.inserts.size());
    result.ran = true;
    return result;
}

void LockStandards(stationdb::Connection &connection) {
    connection.Execute(GeneratorStatementsFor(connection.GetDialect()).writeLock);
}

GenerationResult GenerateSeriesStandard(stationdb::Connection *connection,
                                        const Catalogue &catalogue, const std::string &brand,
                                        const std::string &series, const ChangeOrigin &origin) {
    if (platform::TrimBlanks(series).empty() || !IsOpen(connection)) return {};
    CheckCatalogueLimits(catalogue);
    if (std::string cut = SeriesKeyCut(brand, series); !cut.empty())
        throw std::invalid_argument(cut);
    stationdb::Transaction transaction(*connection);
    LockStandards(*connection);
    CheckSeriesKey(ReadSeriesList(*connection).series, brand, series);
    history::ChangeRecorder recorder(*connection, ChangeKind::kGenerate,
                                     Utf8Of(SeriesCondition(brand, series)), origin);
    GenerationResult result = WriteSeries(*connection, catalogue, brand, series, recorder);
    result.changeSet = recorder.Write();
    result.stamp = BumpModifyStamp(*connection);
    transaction.Commit();
    return result;
}

GenerationResult GenerateSeriesStandardPerParameter(stationdb::Connection &connection,
                                                    const Catalogue &catalogue,
                                                    const std::string &brand,
                                                    const std::string &series) {
    GenerationResult result;
    const GeneratorStatements &sql = GeneratorStatementsFor(connection.GetDialect());
    const std::string condition = SeriesCondition(brand, series);
    catalogue.ForEachParam([&](const CatalogueDevice &d, const CatalogueItem &i,
                               const CatalogueParam &p, const ParamPosition &) {
        const std::string h = LimitText(p.hvalue), l = LimitText(p.lvalue);
        stationdb::Statement update(connection, sql.updateOne, stationdb::Statement::Direct{});
        update.BindText(1, h);
        update.BindText(2, l);
        update.BindInt(3, i.itemid);
        update.BindText(4, condition);
        update.BindInt(5, p.paramid);
        update.Execute();
        if (update.RowsAffected() > 0) {
            result.updated += update.RowsAffected();
            return;
        }
        stationdb::Statement insert(connection, sql.insertOne, stationdb::Statement::Direct{});
        insert.BindText(1, d.devname);
        insert.BindInt(2, i.itemid);
        insert.BindText(3, i.itemname);
        insert.BindText(4, condition);
        insert.BindInt(5, p.paramid);
        insert.BindText(6, p.paramname);
        insert.BindText(7, h);
        insert.BindText(8, l);
        insert.Execute();
        ++result.inserted;
    });
    result.ran = true;
    return result;
}

ClearResult ClearStandardTable(stationdb::Connection *connection, const ChangeOrigin &origin) {
    ClearResult result;
    if (!IsOpen(connection)) return result;
    stationdb::Transaction transaction(*connection);
    LockStandards(*connection);
    history::ChangeRecorder recorder(*connection, ChangeKind::kClear, "*", origin);
    if (recorder.Active()) {
        for (HistoryRow &row : history::ReadTableRows(*connection, true))
            recorder.Add(std::move(row));
        result.removed = static_cast<long long>(recorder.Size());
    } else {
        stationdb::Statement count(*connection, "select count(*) from tb_id_standard",
                                   stationdb::Statement::Direct{});
        count.Execute();
        if (count.Fetch()) result.removed = std::stoll("0" + std::string(count.View(1)));
    }
    connection->Execute(GeneratorStatementsFor(connection->GetDialect()).clear);
    result.changeSet = recorder.Write();
    result.stamp = BumpModifyStamp(*connection);
    transaction.Commit();
    result.ran = true;
    return result;
}

bool ClearStandards(stationdb::Connection *connection, const ChangeOrigin &origin) {
    return ClearStandardTable(connection, origin).ran;
}

}  // namespace generator
