#include "generator/series_standard.h"

#include <cstdio>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "statements.h"
#include "stationdb/stationdb.h"
#include "store/value_text.h"

namespace generator {
namespace {

// Rows per many-row statement: far below every dialect's parameter limit.
constexpr std::size_t kRowsPerStatement = 100;

bool IsOpen(const stationdb::Connection *connection) {
    return connection != nullptr && connection->IsOpen();
}

std::string TrimmedText(const std::string &text) {
    return std::string(store::TrimBlanks(text));
}

// One (itemid, paramid) of the series as it will be written: the names come
// from its first place in the catalogue, the limits from its last.
struct PendingRow {
    const CatalogueDevice *device;
    const CatalogueItem *item;
    const CatalogueParam *param;
    std::string hvalue;
    std::string lvalue;
};

struct Pending {
    std::vector<PendingRow> updates;
    std::vector<PendingRow> inserts;
};

// Splits the catalogue into rows that exist under the condition and rows to add.
Pending Classify(const Catalogue &catalogue, const std::unordered_set<uint64_t> &stored) {
    Pending pending;
    std::unordered_map<uint64_t, std::pair<bool, std::size_t>> seen;  // key -> (update?, index)
    catalogue.ForEachParam([&](const CatalogueDevice &d, const CatalogueItem &i,
                               const CatalogueParam &p, const ParamPosition &) {
        PendingRow row{&d, &i, &p, LimitText(p.hvalue), LimitText(p.lvalue)};
        const uint64_t key = ParamKey(i.itemid, p.paramid);
        auto found = seen.find(key);
        if (found != seen.end()) {
            auto &list = found->second.first ? pending.updates : pending.inserts;
            list[found->second.second].hvalue = row.hvalue;
            list[found->second.second].lvalue = row.lvalue;
            return;
        }
        const bool update = stored.count(key) > 0;
        auto &list = update ? pending.updates : pending.inserts;
        seen.emplace(key, std::make_pair(update, list.size()));
        list.push_back(std::move(row));
    });
    return pending;
}

std::unordered_set<uint64_t> StoredKeys(stationdb::Connection &connection,
                                        const GeneratorStatements &sql,
                                        const std::string &condition) {
    std::unordered_set<uint64_t> keys;
    stationdb::Statement st(connection, sql.seriesRows, stationdb::Statement::Direct{});
    st.BindText(1, condition);
    st.Execute();
    const int itemid = st.Column("itemid"), paramid = st.Column("paramid");
    while (st.Fetch())
        keys.insert(
            ParamKey(store::IntegerOf(st.View(itemid)), store::IntegerOf(st.View(paramid))));
    return keys;
}

std::string ValuesList(std::size_t rows, const char *row) {
    std::string list;
    for (std::size_t r = 0; r < rows; ++r) {
        if (r > 0) list += ", ";
        list += row;
    }
    return list;
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

constexpr char kUpdateRow[] =
    "(cast(? as integer), cast(? as integer), cast(? as varchar(20)), cast(? as varchar(20)))";
constexpr char kInsertRow[] =
    "(cast(? as varchar(64)), cast(? as integer), cast(? as varchar(64)), cast(? as varchar(150)), "
    "cast(? as integer), cast(? as varchar(64)), cast(? as varchar(20)), cast(? as varchar(20)), "
    "0)";

void WriteManyRows(stationdb::Connection &connection, const GeneratorStatements &sql,
                   const std::string &condition, const Pending &pending) {
    RunChunked(
        connection, pending.updates,
        [&](std::size_t n) {
            return std::string(sql.updateManyHead) + ValuesList(n, kUpdateRow) + sql.updateManyTail;
        },
        [](stationdb::Statement &st, int i, const PendingRow &row) {
            st.BindInt(i, row.item->itemid);
            st.BindInt(i + 1, row.param->paramid);
            st.BindText(i + 2, row.hvalue);
            st.BindText(i + 3, row.lvalue);
            return i + 4;
        },
        [&](stationdb::Statement &st, int i) { st.BindText(i, condition); });
    RunChunked(
        connection, pending.inserts,
        [&](std::size_t n) { return std::string(sql.insertManyHead) + ValuesList(n, kInsertRow); },
        [&](stationdb::Statement &st, int i, const PendingRow &row) {
            st.BindText(i, row.device->devname);
            st.BindInt(i + 1, row.item->itemid);
            st.BindText(i + 2, row.item->itemname);
            st.BindText(i + 3, condition);
            st.BindInt(i + 4, row.param->paramid);
            st.BindText(i + 5, row.param->paramname);
            st.BindText(i + 6, row.hvalue);
            st.BindText(i + 7, row.lvalue);
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
            const int32_t itemid = row.item->itemid, paramid = row.param->paramid;
            st.BindInt(1, itemid);
            st.BindText(2, condition);
            st.BindInt(3, paramid);
            st.BindText(4, row.device->devname);
            st.BindInt(5, itemid);
            st.BindText(6, row.item->itemname);
            st.BindText(7, condition);
            st.BindInt(8, paramid);
            st.BindText(9, row.param->paramname);
            st.BindText(10, row.hvalue);
            st.BindText(11, row.lvalue);
            st.BindText(12, row.hvalue);
            st.BindText(13, row.lvalue);
            st.BindInt(14, itemid);
            st.BindText(15, condition);
            st.BindInt(16, paramid);
            st.Execute();
        }
    }
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
    if (store::TrimBlanks(series).empty() || !IsOpen(connection)) return;
    const GeneratorStatements &sql = GeneratorStatementsFor(connection->GetDialect());
    stationdb::Statement st(*connection, sql.seriesRows, stationdb::Statement::Direct{});
    st.BindText(1, SeriesCondition(brand, series));
    st.Execute();
    const int itemid = st.Column("itemid"), paramid = st.Column("paramid");
    const int hvalue = st.Column("hvalue"), lvalue = st.Column("lvalue");
    std::unordered_map<uint64_t, std::pair<float, float>> stored;
    while (st.Fetch())
        stored[ParamKey(store::IntegerOf(st.View(itemid)), store::IntegerOf(st.View(paramid)))] = {
            store::FloatOf(st.View(hvalue)), store::FloatOf(st.View(lvalue))};
    catalogue.ForEachParam([&](const CatalogueDevice &, const CatalogueItem &item,
                               CatalogueParam &param, const ParamPosition &) {
        auto found = stored.find(ParamKey(item.itemid, param.paramid));
        param.hvalue = found == stored.end() ? 0.0f : found->second.first;
        param.lvalue = found == stored.end() ? 0.0f : found->second.second;
    });
}

GenerationResult GenerateSeriesStandard(stationdb::Connection *connection,
                                        const Catalogue &catalogue, const std::string &brand,
                                        const std::string &series) {
    GenerationResult result;
    if (store::TrimBlanks(series).empty() || !IsOpen(connection)) return result;
    const GeneratorStatements &sql = GeneratorStatementsFor(connection->GetDialect());
    const std::string condition = SeriesCondition(brand, series);
    stationdb::Transaction transaction(*connection);
    connection->Execute(sql.writeLock);
    const Pending pending = Classify(catalogue, StoredKeys(*connection, sql, condition));
    if (sql.upsertBatch != nullptr)
        WriteBatches(*connection, sql, condition, pending);
    else
        WriteManyRows(*connection, sql, condition, pending);
    transaction.Commit();
    result.updated = static_cast<long long>(pending.updates.size());
    result.inserted = static_cast<long long>(pending.inserts.size());
    result.ran = true;
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

bool ClearStandards(stationdb::Connection *connection) {
    if (!IsOpen(connection)) return false;
    connection->Execute(GeneratorStatementsFor(connection->GetDialect()).clear);
    return true;
}

}  // namespace generator
