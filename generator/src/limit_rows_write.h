#pragma once
// Writing many rows of tb_id_standard inside the caller's transaction.
#include <optional>
#include <vector>

#include "generator/limit_history.h"

namespace stationdb {
class Connection;
}

namespace generator {

// Inserts `rows` with the limits of `values` (&HistoryRow::before or
// &HistoryRow::after, which must be set), their type, names and stdorder,
// in statements of many rows each. Throws stationdb::DatabaseError.
void InsertRows(stationdb::Connection &connection, const std::vector<const HistoryRow *> &rows,
                std::optional<LimitValues> HistoryRow::*values);

}  // namespace generator
