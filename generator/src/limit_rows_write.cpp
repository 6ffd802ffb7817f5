#include "limit_rows_write.h"

#include <algorithm>
#include <memory>
#include <string>

#include "stationdb/stationdb.h"

namespace generator {
namespace {

// Rows per many-row insert: 9 parameters a row, far below every dialect's
// parameter limit.
constexpr std::size_t kRowsPerInsert = 100;

std::string InsertSql(std::size_t rows) {
    std::string sql =
        "insert into tb_id_standard (type, itemid, itemname, condition, paramid, paramname, "
        "hvalue, lvalue, stdorder) values ";
    for (std::size_t r = 0; r < rows; ++r)
        sql += r ? ", (?, ?, ?, ?, ?, ?, ?, ?, ?)" : "(?, ?, ?, ?, ?, ?, ?, ?, ?)";
    return sql;
}

}  // namespace

// The statement of a full chunk is prepared once.
void InsertRows(stationdb::Connection &connection, const std::vector<const HistoryRow *> &rows,
                std::optional<LimitValues> HistoryRow::*values) {
    std::unique_ptr<stationdb::Statement> full;
    for (std::size_t start = 0; start < rows.size(); start += kRowsPerInsert) {
        const std::size_t n = std::min(kRowsPerInsert, rows.size() - start);
        std::unique_ptr<stationdb::Statement> partial;
        if (n == kRowsPerInsert && !full)
            full = std::make_unique<stationdb::Statement>(connection, InsertSql(n));
        if (n < kRowsPerInsert)
            partial = std::make_unique<stationdb::Statement>(connection, InsertSql(n));
        stationdb::Statement &st = partial ? *partial : *full;
        int i = 1;
        for (std::size_t r = start; r < start + n; ++r, i += 9) {
            const HistoryRow &row = *rows[r];
            const LimitValues &limits = *(row.*values);
            st.BindUtf8(i, row.type);
            st.BindInt(i + 1, row.itemid);
            st.BindUtf8(i + 2, row.itemname);
            st.BindUtf8(i + 3, row.condition);
            st.BindInt(i + 4, row.paramid);
            st.BindUtf8(i + 5, row.paramname);
            st.BindUtf8(i + 6, limits.hvalue);
            st.BindUtf8(i + 7, limits.lvalue);
            st.BindInt(i + 8, row.stdorder);
        }
        st.Execute();
    }
}

}  // namespace generator
