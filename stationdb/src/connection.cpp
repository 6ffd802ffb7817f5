// Connection: one ODBC environment and connection, opened without prompting.
#include <cstring>

#include "odbc_check.h"
#include "odbc_text.h"
#include "platform/ascii_case.h"
#include "platform/gbk.h"
#include "stationdb/stationdb.h"

namespace stationdb {

using detail::Check;
using detail::CheckOptional;

namespace {

Dialect DialectOf(const std::string &dbmsName) {
    if (dbmsName == "Microsoft SQL Server") return Dialect::kSqlServer;
    if (dbmsName == "PostgreSQL") return Dialect::kPostgreSql;
    if (dbmsName == "SQLite") return Dialect::kSqlite;
    return Dialect::kOther;
}

// The single value of a one-row query such as SHOW.
std::string QueryValue(Connection &connection, const char *sql) {
    Statement statement(connection, sql);
    statement.Execute();
    if (!statement.Fetch()) throw DatabaseError("HY000", std::string(sql) + " returned no row");
    return statement.Utf8(1);
}

}  // namespace

Connection::Connection() = default;

Connection::~Connection() {
    Close();
}

void Connection::Open(const std::string &connectString) {
    Close();
    try {
        SQLHENV env = SQL_NULL_HENV;
        Check(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env), SQL_HANDLE_ENV,
              SQL_NULL_HANDLE, "SQLAllocHandle(ENV)");
        env_ = env;
        Check(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                            0),
              SQL_HANDLE_ENV, env, "SQLSetEnvAttr(ODBC_VERSION)");
        SQLHDBC dbc = SQL_NULL_HDBC;
        Check(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_HANDLE_ENV, env,
              "SQLAllocHandle(DBC)");
        dbc_ = dbc;
        if (loginTimeout_ != 0) {
            CheckOptional(SQLSetConnectAttr(
                              dbc, SQL_ATTR_LOGIN_TIMEOUT,
                              reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginTimeout_)), 0),
                          SQL_HANDLE_DBC, dbc, "SQLSetConnectAttr(LOGIN_TIMEOUT)");
        }
        Check(detail::DriverConnect(dbc, connectString), SQL_HANDLE_DBC, dbc, "SQLDriverConnect");
        open_ = true;
        dialect_ = DialectOf(detail::InfoText(dbc, SQL_DBMS_NAME, "SQLGetInfo(DBMS_NAME)"));
        if (dialect_ == Dialect::kPostgreSql) CheckEncoding();
    } catch (...) {
        Close();
        throw;
    }
}

// Texts reach this library as UTF-8, so the session must speak UTF-8, and a
// SQL_ASCII database stores bytes without any encoding we could rely on.
void Connection::CheckEncoding() {
    Execute("SET client_encoding TO 'UTF8'");
    std::string client = QueryValue(*this, "SHOW client_encoding");
    if (!platform::EqualsAsciiNoCase(client, "UTF8"))
        throw DatabaseError("HY000", "client_encoding is " + client + ", not UTF8");
    std::string server = QueryValue(*this, "SHOW server_encoding");
    if (platform::EqualsAsciiNoCase(server, "SQL_ASCII"))
        throw DatabaseError("HY000",
                            "the database encoding is SQL_ASCII; a UTF8 database is required");
}

bool Connection::IsOpen() const {
    return open_;
}

bool Connection::IsDead() const noexcept {
    if (!open_) return false;
    SQLUINTEGER dead = SQL_CD_FALSE;
    const SQLRETURN rc =
        SQLGetConnectAttr(static_cast<SQLHDBC>(dbc_), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
    return SQL_SUCCEEDED(rc) && dead == SQL_CD_TRUE;
}

void Connection::Close() noexcept {
    SQLHDBC dbc = static_cast<SQLHDBC>(dbc_);
    if (dbc != SQL_NULL_HDBC) {
        if (open_) {
            SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
            SQLDisconnect(dbc);
        }
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    }
    if (env_ != nullptr) SQLFreeHandle(SQL_HANDLE_ENV, static_cast<SQLHENV>(env_));
    dbc_ = nullptr;
    env_ = nullptr;
    open_ = false;
    dialect_ = Dialect::kOther;
    transactionDepth_ = 0;
    ++generation_;
}

void Connection::SetLoginTimeout(unsigned seconds) {
    loginTimeout_ = seconds;
}

void Connection::SetQueryTimeout(unsigned seconds) {
    queryTimeout_ = seconds;
}

long long Connection::Execute(std::string_view sql, const std::vector<std::string> &params) {
    Statement statement(*this, sql);
    for (std::size_t i = 0; i < params.size(); ++i)
        statement.BindText(static_cast<int>(i + 1), params[i]);
    statement.Execute();
    return statement.RowsAffected();
}

void Connection::SetAutoCommit(bool on) {
    if (!open_) throw DatabaseError("08003", "the connection is not open");
    SQLHDBC dbc = static_cast<SQLHDBC>(dbc_);
    SQLULEN value = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
    Check(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(value), 0),
          SQL_HANDLE_DBC, dbc, "SQLSetConnectAttr(AUTOCOMMIT)");
}

void Connection::Commit() {
    if (!open_) throw DatabaseError("08003", "the connection is not open");
    Check(SQLEndTran(SQL_HANDLE_DBC, static_cast<SQLHDBC>(dbc_), SQL_COMMIT), SQL_HANDLE_DBC,
          static_cast<SQLHDBC>(dbc_), "SQLEndTran(COMMIT)");
}

void Connection::Rollback() {
    if (!open_) throw DatabaseError("08003", "the connection is not open");
    Check(SQLEndTran(SQL_HANDLE_DBC, static_cast<SQLHDBC>(dbc_), SQL_ROLLBACK), SQL_HANDLE_DBC,
          static_cast<SQLHDBC>(dbc_), "SQLEndTran(ROLLBACK)");
}

// A Transaction inside another joins it: only the outermost one commits or
// rolls back and restores auto-commit.
Transaction::Transaction(Connection &connection) : connection_(connection) {
    if (connection_.transactionDepth_ == 0) connection_.SetAutoCommit(false);
    ++connection_.transactionDepth_;
}

Transaction::~Transaction() {
    if (connection_.transactionDepth_ > 0) --connection_.transactionDepth_;
    if (connection_.transactionDepth_ != 0 || !connection_.IsOpen()) return;
    // Rolling back first matters: switching auto-commit on commits what is pending.
    if (!done_) {
        try {
            connection_.Rollback();
        } catch (...) {
        }
    }
    try {
        connection_.SetAutoCommit(true);
    } catch (...) {
    }
}

void Transaction::Commit() {
    if (done_) return;
    if (connection_.transactionDepth_ == 1) connection_.Commit();
    done_ = true;
}

}  // namespace stationdb
