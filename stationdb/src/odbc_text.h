#pragma once
// How text crosses the ODBC driver: every call of this library that passes
// or receives text goes through these functions. On Linux text crosses as
// UTF-8 (SQL_C_CHAR, the narrow functions of unixODBC); on Windows as UTF-16
// (SQL_C_WCHAR and the W functions of odbc32), so that what is stored and
// read does not depend on the system's code page. Callers hand in and get
// back UTF-8 either way.
#include <sql.h>
#include <sqlext.h>

#include <string>
#include <string_view>

namespace stationdb::detail {

// SQLDriverConnect without a prompt; returns the driver's code (unchecked).
SQLRETURN DriverConnect(SQLHDBC dbc, const std::string &connectString);

// A text-valued SQLGetInfo (SQL_DBMS_NAME, ...); throws DatabaseError.
std::string InfoText(SQLHDBC dbc, SQLUSMALLINT info, const char *what);

// SQLPrepare / SQLExecDirect of a UTF-8 statement; the driver's code (unchecked).
SQLRETURN Prepare(SQLHSTMT stmt, const std::string &sql);
SQLRETURN ExecDirect(SQLHSTMT stmt, const std::string &sql);

// The name of result column `column` (from 1); throws DatabaseError.
std::string ColumnName(SQLHSTMT stmt, SQLUSMALLINT column);

// The first diagnostic record of a handle; false when there is none.
bool FirstDiagnosticRecord(SQLSMALLINT handleType, SQLHANDLE handle, std::string &state,
                           int &native, std::string &message);

// A text parameter in the driver's form, kept alive by the statement until
// it executes. `column size` counts characters of the driver's form (bytes
// of UTF-8, or UTF-16 units), at least 1, so an empty text is bound as one
// unit of buffer holding nothing.
struct DriverText {
    std::string bytes;  // the driver's form, with room for a terminator
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    SQLULEN columnSize = 1;
    SQLLEN bufferLength = 1;
    SQLLEN length = 0;  // bytes of text, the indicator's value
};
// False when `utf8` is not valid UTF-8 where the driver's form needs it.
bool ToDriverText(std::string_view utf8, DriverText &out);

// Reads column `column` of the current row whole (SQLGetData until done)
// into `utf8`; `null` says whether it was NULL. Throws DatabaseError on a
// driver error; false when the driver's text is not valid in its encoding.
bool ReadTextColumn(SQLHSTMT stmt, SQLUSMALLINT column, std::string &utf8, bool &null);

}  // namespace stationdb::detail
