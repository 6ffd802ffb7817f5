// SQL scripts and tab-separated imports: the schema and the seed data.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "odbc_check.h"
#include "platform/ascii_case.h"
#include "platform/atomic_file.h"
#include "platform/number_text.h"
#include "platform/text_fields.h"
#include "platform/value_text.h"
#include "stationdb/stationdb.h"

namespace stationdb {
namespace {

using platform::TrimLineBlanks;

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

// An integer column's value: the number up to a NUL byte, blanks before it
// and a '+' allowed, as the C library read the field.
std::optional<long long> IntegerField(std::string_view digits) {
    platform::NumberRules rules;
    rules.leadingBlanks = true;
    rules.plusSign = true;
    return platform::ParseInteger(digits.substr(0, digits.find('\0')), rules);
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
        std::string_view trimmed = TrimLineBlanks(line);
        if (IsSkippedLine(trimmed)) continue;
        if (!statement.empty()) statement += '\n';
        if (trimmed.back() == ';') {
            // The terminator is not part of the statement: drivers differ on it.
            std::string_view body = line.substr(0, line.rfind(';'));
            statement.append(body);
            if (!TrimLineBlanks(statement).empty()) RunScriptStatement(connection, statement);
            statement.clear();
        } else {
            statement.append(line);
        }
    }
    if (!TrimLineBlanks(statement).empty()) RunScriptStatement(connection, statement);
}

long long ImportTsv(Connection &connection, const std::string &table, const std::string &tsvPath) {
    std::string bytes;
    if (!platform::ReadWholeFile(tsvPath, bytes))
        throw DatabaseError("HY000", "cannot read " + tsvPath);
    std::vector<std::string_view> lines = Lines(bytes);
    if (lines.empty() || TrimLineBlanks(lines[0]).empty())
        ThrowAtLine(tsvPath, 1, "the first line must name the columns");

    struct ColumnSpec {
        std::string name;
        bool integer;
    };
    std::vector<ColumnSpec> columns;
    for (std::string_view field : platform::SplitFields(lines[0])) {
        field = TrimLineBlanks(field);
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
        std::vector<std::string_view> fields = platform::SplitFields(line);
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
            const std::string_view digits = TrimLineBlanks(fields[i]);
            if (digits.empty()) {
                insert.BindNullInt(index);
                continue;
            }
            const std::optional<long long> value = IntegerField(digits);
            if (!value) ThrowAtLine(tsvPath, n + 1, columns[i].name + " is not an integer");
            insert.BindInt(index, *value);
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
