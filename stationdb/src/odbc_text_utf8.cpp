// Linux: text crosses unixODBC as UTF-8 in SQL_C_CHAR.
#include <cstring>

#include "odbc_check.h"
#include "odbc_text.h"

namespace stationdb::detail {

SQLRETURN DriverConnect(SQLHDBC dbc, const std::string &connectString) {
    std::string in = connectString;
    SQLCHAR out[1024];
    SQLSMALLINT outLength = 0;
    return SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR *>(in.data()), SQL_NTS, out,
                            static_cast<SQLSMALLINT>(sizeof out), &outLength, SQL_DRIVER_NOPROMPT);
}

std::string InfoText(SQLHDBC dbc, SQLUSMALLINT info, const char *what) {
    SQLCHAR text[256] = {};
    SQLSMALLINT length = 0;
    Check(SQLGetInfo(dbc, info, text, static_cast<SQLSMALLINT>(sizeof text), &length),
          SQL_HANDLE_DBC, dbc, what);
    return std::string(reinterpret_cast<const char *>(text),
                       strnlen(reinterpret_cast<const char *>(text), sizeof text));
}

SQLRETURN Prepare(SQLHSTMT stmt, const std::string &sql) {
    std::string text(sql);
    return SQLPrepare(stmt, reinterpret_cast<SQLCHAR *>(text.data()),
                      static_cast<SQLINTEGER>(text.size()));
}

SQLRETURN ExecDirect(SQLHSTMT stmt, const std::string &sql) {
    std::string text(sql);
    return SQLExecDirect(stmt, reinterpret_cast<SQLCHAR *>(text.data()),
                         static_cast<SQLINTEGER>(text.size()));
}

std::string ColumnName(SQLHSTMT stmt, SQLUSMALLINT column) {
    SQLCHAR name[256] = {};
    SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    Check(SQLDescribeCol(stmt, column, name, static_cast<SQLSMALLINT>(sizeof name), &nameLength,
                         &type, &size, &digits, &nullable),
          SQL_HANDLE_STMT, stmt, "SQLDescribeCol");
    return std::string(reinterpret_cast<const char *>(name),
                       strnlen(reinterpret_cast<const char *>(name), sizeof name));
}

bool FirstDiagnosticRecord(SQLSMALLINT handleType, SQLHANDLE handle, std::string &state,
                           int &native, std::string &message) {
    SQLCHAR stateText[6] = {};
    SQLINTEGER nativeError = 0;
    SQLCHAR text[1024] = {};
    SQLSMALLINT textLength = 0;
    SQLRETURN rc = SQLGetDiagRec(handleType, handle, 1, stateText, &nativeError, text,
                                 static_cast<SQLSMALLINT>(sizeof text), &textLength);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return false;
    state.assign(reinterpret_cast<const char *>(stateText));
    // The record may be longer than the buffer; keep what arrived.
    message.assign(reinterpret_cast<const char *>(text),
                   strnlen(reinterpret_cast<const char *>(text), sizeof text));
    native = static_cast<int>(nativeError);
    return true;
}

bool ToDriverText(std::string_view utf8, DriverText &out) {
    out.bytes.assign(utf8);
    out.cType = SQL_C_CHAR;
    out.sqlType = SQL_VARCHAR;
    out.length = static_cast<SQLLEN>(utf8.size());
    out.columnSize = utf8.empty() ? 1 : utf8.size();
    out.bufferLength = static_cast<SQLLEN>(out.columnSize);
    out.bytes.resize(out.columnSize + 1, '\0');
    return true;
}

bool ReadTextColumn(SQLHSTMT stmt, SQLUSMALLINT column, std::string &utf8, bool &null) {
    utf8.clear();
    null = false;
    char buffer[1024];
    for (;;) {
        SQLLEN length = 0;
        SQLRETURN rc = Check(SQLGetData(stmt, column, SQL_C_CHAR, buffer, sizeof buffer, &length),
                             SQL_HANDLE_STMT, stmt, "SQLGetData");
        if (rc == SQL_NO_DATA) break;  // the previous part was the last
        if (length == SQL_NULL_DATA) {
            null = true;
            break;
        }
        // A part that did not fit fills the buffer but for its terminator.
        std::size_t part = (length == SQL_NO_TOTAL || length >= static_cast<SQLLEN>(sizeof buffer))
                               ? sizeof buffer - 1
                               : static_cast<std::size_t>(length);
        utf8.append(buffer, part);
        if (rc == SQL_SUCCESS) break;
    }
    return true;
}

}  // namespace stationdb::detail
