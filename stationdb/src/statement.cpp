// Statement: a prepared statement, its bound parameters and its cursor.
#include <cstdio>

#include "odbc_check.h"
#include "odbc_text.h"
#include "platform/ascii_case.h"
#include "platform/gbk.h"
#include "stationdb/stationdb.h"

namespace stationdb {

using detail::Check;

// A parameter's value and indicator; the driver reads them at Execute, so
// they live (at a fixed address) as long as the statement or until rebound.
struct Statement::BoundParam {
    detail::DriverText text;
    SQLBIGINT integer = 0;
    SQLLEN indicator = 0;
};

namespace {

SQLHSTMT Handle(void *stmt) {
    return static_cast<SQLHSTMT>(stmt);
}

}  // namespace

Statement::Statement(Connection &connection, std::string_view sql, Direct)
    : connection_(connection), direct_(true) {
    Open(sql);
}

Statement::Statement(Connection &connection, std::string_view sql) : connection_(connection) {
    Open(sql);
}

void Statement::Open(std::string_view sql) {
    if (!connection_.IsOpen()) throw DatabaseError("08003", "the connection is not open");
    SQLHDBC dbc = static_cast<SQLHDBC>(connection_.dbc_);
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    Check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_HANDLE_DBC, dbc, "SQLAllocHandle(STMT)");
    stmt_ = stmt;
    generation_ = connection_.generation_;
    try {
        if (connection_.queryTimeout_ != 0) {
            detail::CheckOptional(
                SQLSetStmtAttr(
                    stmt, SQL_ATTR_QUERY_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(connection_.queryTimeout_)),
                    0),
                SQL_HANDLE_STMT, stmt, "SQLSetStmtAttr(QUERY_TIMEOUT)");
        }
        if (direct_) {
            directSql_.assign(sql);
        } else {
            Check(detail::Prepare(stmt, std::string(sql)), SQL_HANDLE_STMT, stmt, "SQLPrepare");
        }
    } catch (...) {
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        stmt_ = nullptr;
        throw;
    }
}

// Closing the connection freed its statements already.
bool Statement::Alive() const {
    return stmt_ != nullptr && connection_.IsOpen() && generation_ == connection_.generation_;
}

void *Statement::LiveHandle() const {
    if (!Alive()) throw DatabaseError("08003", "the connection of the statement was closed");
    return stmt_;
}

Statement::~Statement() {
    if (Alive()) SQLFreeHandle(SQL_HANDLE_STMT, Handle(stmt_));
}

void Statement::Bind(int index, std::unique_ptr<BoundParam> param) {
    if (index < 1) throw DatabaseError("07009", "parameter numbers start at 1");
    if (params_.size() < static_cast<std::size_t>(index)) params_.resize(index);
    // The old value stays alive until the driver has the new address.
    std::swap(params_[index - 1], param);
}

void Statement::BindText(int index, std::string_view gbk) {
    std::string utf8;
    if (!platform::GbkToUtf8(gbk, utf8)) {
        char message[96];
        std::snprintf(message, sizeof message, "parameter %d is not a valid GBK text", index);
        throw DatabaseError("22018", message);
    }
    BindUtf8(index, utf8);
}

void Statement::BindUtf8(int index, std::string_view utf8) {
    SQLHSTMT stmt = Handle(LiveHandle());
    auto param = std::make_unique<BoundParam>();
    if (!detail::ToDriverText(utf8, param->text)) {
        char message[96];
        std::snprintf(message, sizeof message, "parameter %d is not a valid UTF-8 text", index);
        throw DatabaseError("22018", message);
    }
    param->indicator = param->text.length;
    // Zero is no size for a varchar: an empty text is bound as one unit of
    // buffer holding nothing.
    const detail::DriverText &t = param->text;
    Check(SQLBindParameter(stmt, static_cast<SQLUSMALLINT>(index), SQL_PARAM_INPUT, t.cType,
                           t.sqlType, t.columnSize, 0, param->text.bytes.data(), t.bufferLength,
                           &param->indicator),
          SQL_HANDLE_STMT, stmt, "SQLBindParameter");
    Bind(index, std::move(param));
}

void Statement::BindInt(int index, long long value) {
    SQLHSTMT stmt = Handle(LiveHandle());
    auto param = std::make_unique<BoundParam>();
    param->integer = static_cast<SQLBIGINT>(value);
    param->indicator = 0;
    Check(SQLBindParameter(stmt, static_cast<SQLUSMALLINT>(index), SQL_PARAM_INPUT, SQL_C_SBIGINT,
                           SQL_BIGINT, 0, 0, &param->integer, 0, &param->indicator),
          SQL_HANDLE_STMT, stmt, "SQLBindParameter");
    Bind(index, std::move(param));
}

void Statement::BindNullText(int index) {
    SQLHSTMT stmt = Handle(LiveHandle());
    auto param = std::make_unique<BoundParam>();
    detail::ToDriverText("", param->text);
    param->indicator = SQL_NULL_DATA;
    const detail::DriverText &t = param->text;
    Check(SQLBindParameter(stmt, static_cast<SQLUSMALLINT>(index), SQL_PARAM_INPUT, t.cType,
                           t.sqlType, t.columnSize, 0, param->text.bytes.data(), t.bufferLength,
                           &param->indicator),
          SQL_HANDLE_STMT, stmt, "SQLBindParameter");
    Bind(index, std::move(param));
}

void Statement::BindNullInt(int index) {
    SQLHSTMT stmt = Handle(LiveHandle());
    auto param = std::make_unique<BoundParam>();
    param->indicator = SQL_NULL_DATA;
    Check(SQLBindParameter(stmt, static_cast<SQLUSMALLINT>(index), SQL_PARAM_INPUT, SQL_C_SBIGINT,
                           SQL_BIGINT, 0, 0, &param->integer, 0, &param->indicator),
          SQL_HANDLE_STMT, stmt, "SQLBindParameter");
    Bind(index, std::move(param));
}

void Statement::Execute() {
    SQLHSTMT stmt = Handle(LiveHandle());
    CloseCursor();
    columnNames_.clear();
    rowsAffected_ = 0;
    row_ = 0;
    valuesRead_ = 0;
    // SQL_NO_DATA: an UPDATE or DELETE that matched no row.
    SQLRETURN rc = direct_ ? Check(detail::ExecDirect(stmt, directSql_), SQL_HANDLE_STMT, stmt,
                                   "SQLExecDirect")
                           : Check(SQLExecute(stmt), SQL_HANDLE_STMT, stmt, "SQLExecute");
    if (rc == SQL_NO_DATA) return;
    SQLLEN count = 0;
    Check(SQLRowCount(stmt, &count), SQL_HANDLE_STMT, stmt, "SQLRowCount");
    rowsAffected_ = count > 0 ? count : 0;
    DescribeColumns();
    cursorOpen_ = !columnNames_.empty();
}

void Statement::DescribeColumns() {
    SQLHSTMT stmt = Handle(LiveHandle());
    SQLSMALLINT count = 0;
    Check(SQLNumResultCols(stmt, &count), SQL_HANDLE_STMT, stmt, "SQLNumResultCols");
    for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(count); ++i)
        columnNames_.push_back(detail::ColumnName(stmt, i));
}

bool Statement::Fetch() {
    if (!cursorOpen_) throw DatabaseError("24000", "the statement has no open result");
    valuesRead_ = 0;
    SQLHSTMT stmt = Handle(LiveHandle());
    SQLRETURN rc = Check(SQLFetch(stmt), SQL_HANDLE_STMT, stmt, "SQLFetch");
    if (rc == SQL_NO_DATA) return false;
    ++row_;
    return true;
}

long long Statement::RowsAffected() const {
    return rowsAffected_;
}

int Statement::ColumnCount() const {
    return static_cast<int>(columnNames_.size());
}

int Statement::Column(std::string_view name) const {
    for (std::size_t i = 0; i < columnNames_.size(); ++i)
        if (platform::EqualsAsciiNoCase(columnNames_[i], name)) return static_cast<int>(i + 1);
    throw DatabaseError("42S22", "the result has no column named " + std::string(name));
}

void Statement::CheckColumn(int column) const {
    if (row_ == 0 || !cursorOpen_) throw DatabaseError("24000", "no current row");
    if (column < 1 || column > ColumnCount()) {
        char message[64];
        std::snprintf(message, sizeof message, "no column number %d", column);
        throw DatabaseError("07009", message);
    }
}

std::string Statement::Utf8(int column, bool *isNull) {
    return std::string(View(column, isNull));
}

std::string_view Statement::View(int column, bool *isNull) {
    CheckColumn(column);
    if (values_.size() < columnNames_.size()) {
        values_.resize(columnNames_.size());
        nulls_.resize(columnNames_.size());
    }
    SQLHSTMT stmt = Handle(LiveHandle());
    // Read every column up to this one, in order, into the row's values.
    while (valuesRead_ < column) {
        int n = valuesRead_ + 1;
        std::string &value = values_[n - 1];
        bool null = false;
        if (!detail::ReadTextColumn(stmt, static_cast<SQLUSMALLINT>(n), value, null)) {
            char message[64];
            std::snprintf(message, sizeof message, "row %lld, column ", row_);
            throw DatabaseError("22018", message + columnNames_[n - 1] +
                                             ": the driver's text is not valid in its encoding");
        }
        nulls_[n - 1] = null;
        valuesRead_ = n;
    }
    if (isNull != nullptr) *isNull = nulls_[column - 1];
    return values_[column - 1];
}

std::string Statement::Text(int column, bool *isNull) {
    std::string_view utf8 = View(column, isNull);
    std::string gbk;
    if (!platform::Utf8ToGbk(utf8, gbk)) {
        char message[64];
        std::snprintf(message, sizeof message, "row %lld, column ", row_);
        throw DatabaseError("22018",
                            message + columnNames_[column - 1] + ": the text has no GBK form");
    }
    return gbk;
}

void Statement::CloseCursor() noexcept {
    if (cursorOpen_ && Alive()) SQLFreeStmt(Handle(stmt_), SQL_CLOSE);
    cursorOpen_ = false;
    valuesRead_ = 0;
}

}  // namespace stationdb
