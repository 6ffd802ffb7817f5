// Windows: text crosses odbc32 as UTF-16 (SQL_C_WCHAR and the W functions),
// so neither the stored text nor what is read back passes through the
// system's ANSI code page.
#include <windows.h>

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <cstring>
#include <string>

#include "../odbc_check.h"
#include "../odbc_text.h"
#include "stationdb/stationdb.h"

namespace stationdb::detail {
namespace {

constexpr UINT kGbkCodePage = 936;

bool ToUtf16(UINT codePage, std::string_view in, std::wstring &out) {
    out.clear();
    if (in.empty()) return true;
    const int n = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                                        static_cast<int>(in.size()), nullptr, 0);
    if (n <= 0) return false;
    out.resize(static_cast<std::size_t>(n));
    return ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                                 static_cast<int>(in.size()), out.data(), n) == n;
}

bool ToUtf8(const wchar_t *in, std::size_t count, std::string &out) {
    out.clear();
    if (count == 0) return true;
    const int n = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, in, static_cast<int>(count),
                                        nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    out.resize(static_cast<std::size_t>(n));
    return ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, in, static_cast<int>(count),
                                 out.data(), n, nullptr, nullptr) == n;
}

// Driver texts that are not valid UTF-16 are shown with U+FFFD in messages.
std::string ToUtf8Lenient(const wchar_t *in, std::size_t count) {
    std::string out;
    if (ToUtf8(in, count, out)) return out;
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, in, static_cast<int>(count), nullptr, 0,
                                        nullptr, nullptr);
    out.assign(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, in, static_cast<int>(count), out.data(), n, nullptr,
                              nullptr);
    return out;
}

std::size_t WideLength(const SQLWCHAR *text, std::size_t capacity) {
    std::size_t n = 0;
    while (n < capacity && text[n] != 0) ++n;
    return n;
}

// Statements and names are ours and UTF-8; a text that is not is refused.
std::wstring StatementText(const std::string &utf8) {
    std::wstring wide;
    if (!ToUtf16(CP_UTF8, utf8, wide))
        throw DatabaseError("22018", "the statement is not a valid UTF-8 text");
    return wide;
}

}  // namespace

SQLRETURN DriverConnect(SQLHDBC dbc, const std::string &connectString) {
    // The data source, user and password come from the station's files,
    // which hold GBK: a connect string that is not UTF-8 is read as GBK.
    std::wstring in;
    if (!ToUtf16(CP_UTF8, connectString, in) && !ToUtf16(kGbkCodePage, connectString, in))
        throw DatabaseError("22018", "the connect string is neither UTF-8 nor GBK");
    in.push_back(L'\0');
    SQLWCHAR out[1024];
    SQLSMALLINT outLength = 0;
    return SQLDriverConnectW(dbc, nullptr, reinterpret_cast<SQLWCHAR *>(in.data()), SQL_NTS, out,
                             static_cast<SQLSMALLINT>(sizeof out / sizeof out[0]), &outLength,
                             SQL_DRIVER_NOPROMPT);
}

std::string InfoText(SQLHDBC dbc, SQLUSMALLINT info, const char *what) {
    SQLWCHAR text[256] = {};
    SQLSMALLINT bytes = 0;
    Check(SQLGetInfoW(dbc, info, text, static_cast<SQLSMALLINT>(sizeof text), &bytes),
          SQL_HANDLE_DBC, dbc, what);
    return ToUtf8Lenient(reinterpret_cast<const wchar_t *>(text),
                         WideLength(text, sizeof text / sizeof text[0] - 1));
}

SQLRETURN Prepare(SQLHSTMT stmt, const std::string &sql) {
    std::wstring text = StatementText(sql);
    return SQLPrepareW(stmt, reinterpret_cast<SQLWCHAR *>(text.data()),
                       static_cast<SQLINTEGER>(text.size()));
}

SQLRETURN ExecDirect(SQLHSTMT stmt, const std::string &sql) {
    std::wstring text = StatementText(sql);
    return SQLExecDirectW(stmt, reinterpret_cast<SQLWCHAR *>(text.data()),
                          static_cast<SQLINTEGER>(text.size()));
}

std::string ColumnName(SQLHSTMT stmt, SQLUSMALLINT column) {
    SQLWCHAR name[256] = {};
    SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    Check(
        SQLDescribeColW(stmt, column, name, static_cast<SQLSMALLINT>(sizeof name / sizeof name[0]),
                        &nameLength, &type, &size, &digits, &nullable),
        SQL_HANDLE_STMT, stmt, "SQLDescribeColW");
    return ToUtf8Lenient(reinterpret_cast<const wchar_t *>(name),
                         WideLength(name, sizeof name / sizeof name[0] - 1));
}

bool FirstDiagnosticRecord(SQLSMALLINT handleType, SQLHANDLE handle, std::string &state,
                           int &native, std::string &message) {
    SQLWCHAR stateText[6] = {};
    SQLINTEGER nativeError = 0;
    SQLWCHAR text[1024] = {};
    SQLSMALLINT textLength = 0;
    SQLRETURN rc =
        SQLGetDiagRecW(handleType, handle, 1, stateText, &nativeError, text,
                       static_cast<SQLSMALLINT>(sizeof text / sizeof text[0]), &textLength);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return false;
    state = ToUtf8Lenient(reinterpret_cast<const wchar_t *>(stateText), WideLength(stateText, 5));
    // The record may be longer than the buffer; keep what arrived.
    message = ToUtf8Lenient(reinterpret_cast<const wchar_t *>(text),
                            WideLength(text, sizeof text / sizeof text[0] - 1));
    native = static_cast<int>(nativeError);
    return true;
}

bool ToDriverText(std::string_view utf8, DriverText &out) {
    std::wstring wide;
    if (!ToUtf16(CP_UTF8, utf8, wide)) return false;
    const std::size_t units = wide.size();
    out.cType = SQL_C_WCHAR;
    out.sqlType = SQL_WVARCHAR;
    out.length = static_cast<SQLLEN>(units * sizeof(SQLWCHAR));
    out.columnSize = units == 0 ? 1 : units;
    out.bufferLength = static_cast<SQLLEN>(out.columnSize * sizeof(SQLWCHAR));
    out.bytes.assign((out.columnSize + 1) * sizeof(SQLWCHAR), '\0');
    if (units > 0) std::memcpy(out.bytes.data(), wide.data(), units * sizeof(SQLWCHAR));
    return true;
}

bool ReadTextColumn(SQLHSTMT stmt, SQLUSMALLINT column, std::string &utf8, bool &null) {
    utf8.clear();
    null = false;
    std::wstring wide;
    SQLWCHAR buffer[1024];
    constexpr std::size_t kUnits = sizeof buffer / sizeof buffer[0];
    for (;;) {
        SQLLEN length = 0;  // bytes
        SQLRETURN rc = Check(SQLGetData(stmt, column, SQL_C_WCHAR, buffer, sizeof buffer, &length),
                             SQL_HANDLE_STMT, stmt, "SQLGetData");
        if (rc == SQL_NO_DATA) break;  // the previous part was the last
        if (length == SQL_NULL_DATA) {
            null = true;
            break;
        }
        // A part that did not fit fills the buffer but for its terminator.
        std::size_t part = (length == SQL_NO_TOTAL || length >= static_cast<SQLLEN>(sizeof buffer))
                               ? kUnits - 1
                               : static_cast<std::size_t>(length) / sizeof(SQLWCHAR);
        wide.append(reinterpret_cast<const wchar_t *>(buffer), part);
        if (rc == SQL_SUCCESS) break;
    }
    return ToUtf8(wide.data(), wide.size(), utf8);
}

}  // namespace stationdb::detail
