#include "generator/limit_history.h"
#include "history_chain.h"
#include "history_schema.h"
#include "series_write.h"
#include "stationdb/stationdb.h"

namespace generator {
namespace {

const char *HistorySchema(stationdb::Dialect dialect) {
    switch (dialect) {
        case stationdb::Dialect::kSqlite:
            return history::kSchemaSqlite;
        case stationdb::Dialect::kSqlServer:
            return history::kSchemaSqlServer;
        case stationdb::Dialect::kPostgreSql:
        case stationdb::Dialect::kOther:
            break;
    }
    return history::kSchemaPostgreSql;
}

}  // namespace

HistoryUpgrade UpgradeHistory(stationdb::Connection &connection, const ChangeOrigin &origin) {
    HistoryUpgrade upgrade;
    upgrade.createdTables = !HistoryPresent(connection);
    stationdb::ExecuteScript(connection, HistorySchema(connection.GetDialect()));
    stationdb::Transaction transaction(connection);
    LockStandards(connection);
    history::ChangeRecorder recorder(connection, ChangeKind::kBaseline, "*", origin);
    if (!recorder.Active())
        throw stationdb::DatabaseError("42S02", "the history tables are missing");
    if (history::ReadChainHead(connection)->id != 0) return upgrade;
    for (HistoryRow &row : history::ReadTableRows(connection, false)) recorder.Add(std::move(row));
    upgrade.baselineRows = static_cast<long long>(recorder.Size());
    upgrade.baselineId = recorder.Write(true);
    transaction.Commit();
    return upgrade;
}

}  // namespace generator
