// SQL scripts and tab-separated imports: the schema and the seed data.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "odbc_check.h"
#include "platform/ascii_case.h"
#include "platform/atomic_file.h"
#include "stationdb/stationdb.h"

namespace stationdb {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Lines of `text` without their endings ("\n" or "\r\n").
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        auto nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    return lines;
}

bool IsSkippedLine(std::string_view trimmed) {
    return trimmed.empty() || trimmed.substr(0, 2) == "--" ||
           platform::EqualsAsciiNoCase(trimmed, "GO");
}

void RunScriptStatement(Connection &connection, const std::string &sql) {
    try {
        connection.Execute(sql);
    } catch (const DatabaseError &e) {
        throw DatabaseError(e.SqlState(), e.Message() + " (in: " + sql + ")", e.NativeError());
    }
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        auto tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) break;
        line.remove_prefix(tab + 1);
    }
    return fields;
}

[[noreturn]] void ThrowAtLine(const std::string &path, std::size_t line, const std::string &what,
                              const char *state = "HY000", int native = 0) {
    char where[48];
    std::snprintf(where, sizeof where, ", line %zu: ", line);
    throw DatabaseError(state, path + where + what, native);
}

}  // namespace

void ExecuteScript(Connection &connection, std::string_view script) {
    std::string statement;
    for (std::string_view line : Lines(script)) {
        std::string_view trimmed = Trim(line);
        if (IsSkippedLine(trimmed)) continue;
        if (!statement.empty()) statement += '\n';
        if (trimmed.back() == ';') {
            // The terminator is not part of the statement: drivers differ on it.
            std::string_view body = line.substr(0, line.rfind(';'));
            statement.append(body);
            if (!Trim(statement).empty()) RunScriptStatement(connection, statement);
            statement.clear();
        } else {
            statement.append(line);
        }
    }
    if (!Trim(statement).empty()) RunScriptStatement(connection, statement);
}

long long ImportTsv(Connection &connection, const std::string &table, const std::string &tsvPath) {
    std::string bytes;
    if (!platform::ReadWholeFile(tsvPath, bytes))
        throw DatabaseError("HY000", "cannot read " + tsvPath);
    std::vector<std::string_view> lines = Lines(bytes);
    if (lines.empty() || Trim(lines[0]).empty())
        ThrowAtLine(tsvPath, 1, "the first line must name the columns");

    struct ColumnSpec {
        std::string name;
        bool integer;
    };
    std::vector<ColumnSpec> columns;
    for (std::string_view field : SplitTabs(lines[0])) {
        field = Trim(field);
        bool integer = field.size() > 4 && field.substr(field.size() - 4) == ":int";
        if (integer) field.remove_suffix(4);
        if (field.empty()) ThrowAtLine(tsvPath, 1, "a column has no name");
        columns.push_back({std::string(field), integer});
    }
    std::string sql = "INSERT INTO " + table + " (";
    for (std::size_t i = 0; i < columns.size(); ++i) sql += (i == 0 ? "" : ", ") + columns[i].name;
    sql += ") VALUES (";
    for (std::size_t i = 0; i < columns.size(); ++i) sql += i == 0 ? "?" : ", ?";
    sql += ")";

    Transaction transaction(connection);
    Statement insert(connection, sql);
    long long rows = 0;
    for (std::size_t n = 1; n < lines.size(); ++n) {
        std::string_view line = lines[n];
        if (line.empty()) continue;  // the blank line a file may end with
        std::vector<std::string_view> fields = SplitTabs(line);
        if (fields.size() != columns.size()) {
            char what[96];
            std::snprintf(what, sizeof what, "%zu fields where the first line names %zu",
                          fields.size(), columns.size());
            ThrowAtLine(tsvPath, n + 1, what);
        }
        for (std::size_t i = 0; i < fields.size(); ++i) {
            int index = static_cast<int>(i + 1);
            if (!columns[i].integer) {
                insert.BindUtf8(index, fields[i]);
                continue;
            }
            std::string digits(Trim(fields[i]));
            if (digits.empty()) {
                insert.BindNullInt(index);
                continue;
            }
            char *end = nullptr;
            errno = 0;
            long long value = std::strtoll(digits.c_str(), &end, 10);
            if (*end != '\0' || errno == ERANGE)
                ThrowAtLine(tsvPath, n + 1, columns[i].name + " is not an integer");
            insert.BindInt(index, value);
        }
        try {
            insert.Execute();
        } catch (const DatabaseError &e) {
            ThrowAtLine(tsvPath, n + 1, e.Message(), e.SqlState().c_str(), e.NativeError());
        }
        ++rows;
    }
    transaction.Commit();
    return rows;
}

}  // namespace stationdb
