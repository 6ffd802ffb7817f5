// DatabaseError, the dialect names and the checked driver call.
#include <cstring>
#include <string_view>

#include "odbc_check.h"
#include "odbc_text.h"

#include "stationdb/stationdb.h"

namespace stationdb {

DatabaseError::DatabaseError(std::string sqlState, std::string message, int nativeError)
    : std::runtime_error("[" + sqlState + "] " + message),
      sqlState_(std::move(sqlState)),
      message_(std::move(message)),
      nativeError_(nativeError) {}

// Out of line so the type information has one home, this library, and an
// exception thrown here is caught by type in every other module.
DatabaseError::~DatabaseError() = default;

const char *DialectName(Dialect dialect) {
    switch (dialect) {
        case Dialect::kSqlServer:
            return "SQL Server";
        case Dialect::kPostgreSql:
            return "PostgreSQL";
        case Dialect::kSqlite:
            return "SQLite";
        case Dialect::kOther:
            break;
    }
    return "other";
}

namespace detail {
namespace {

struct Diagnostic {
    std::string state;
    std::string message;
    int native = 0;
    bool found = false;
};

Diagnostic FirstDiagnostic(SQLSMALLINT handleType, SQLHANDLE handle) {
    Diagnostic d;
    if (handle == SQL_NULL_HANDLE) return d;
    d.found = FirstDiagnosticRecord(handleType, handle, d.state, d.native, d.message);
    return d;
}

[[noreturn]] void Throw(SQLRETURN rc, const Diagnostic &d, const char *what) {
    if (d.found) throw DatabaseError(d.state, d.message, d.native);
    std::string message = std::string(what) + " failed";
    if (rc == SQL_INVALID_HANDLE) message += " (invalid handle)";
    throw DatabaseError("HY000", message);
}

bool Succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA;
}

}  // namespace

SQLRETURN Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char *what) {
    if (Succeeded(rc)) return rc;
    Throw(rc, FirstDiagnostic(handleType, handle), what);
}

bool CheckOptional(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char *what) {
    if (Succeeded(rc)) return true;
    Diagnostic d = FirstDiagnostic(handleType, handle);
    if (d.state == "HYC00" || d.state == "HY092" || d.state == "HY024" || d.state == "01S02")
        return false;
    Throw(rc, d, what);
}

}  // namespace detail
}  // namespace stationdb
