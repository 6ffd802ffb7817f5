#include <charconv>
#include <climits>
#include <string>

#include "generator/limit_history.h"
#include "platform/number_text.h"
#include "platform/value_text.h"
#include "stationdb/stationdb.h"

namespace generator {
namespace {

constexpr char kAbsent[] = "\\N";
constexpr std::size_t kFields = 10;

void AppendEscaped(std::string &out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
}

void AppendValues(std::string &out, const std::optional<LimitValues> &values) {
    if (!values) {
        out += kAbsent;
        out += '\t';
        out += kAbsent;
        return;
    }
    AppendEscaped(out, values->hvalue);
    out += '\t';
    AppendEscaped(out, values->lvalue);
}

// The text of an escaped field; false for an escape PackChanges never writes.
bool Unescape(std::string_view field, std::string &text) {
    text.clear();
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            text += field[i];
            continue;
        }
        if (++i == field.size()) return false;
        switch (field[i]) {
            case '\\':
                text += '\\';
                break;
            case 't':
                text += '\t';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            default:
                return false;
        }
    }
    return true;
}

bool Whole(std::string_view field, std::int32_t &value) {
    const std::optional<long long> parsed = platform::ParseInteger(field);
    if (!parsed || *parsed < INT32_MIN || *parsed > INT32_MAX) return false;
    value = static_cast<std::int32_t>(*parsed);
    return true;
}

bool Values(std::string_view high, std::string_view low, std::optional<LimitValues> &values) {
    if (high == kAbsent || low == kAbsent) {
        values.reset();
        return high == low;  // both absent, or the line was edited
    }
    values.emplace();
    return Unescape(high, values->hvalue) && Unescape(low, values->lvalue);
}

bool UnpackLine(std::string_view line, HistoryRow &row) {
    std::string_view fields[kFields];
    std::size_t count = 0;
    for (;;) {
        const std::size_t tab = line.find('\t');
        if (count == kFields) return false;  // a field too many
        fields[count++] = line.substr(0, tab);
        if (tab == std::string_view::npos) break;
        line.remove_prefix(tab + 1);
    }
    if (count != kFields) return false;
    return Whole(fields[0], row.itemid) && Whole(fields[1], row.paramid) &&
           Whole(fields[2], row.stdorder) && Values(fields[3], fields[4], row.before) &&
           Values(fields[5], fields[6], row.after) && (row.before || row.after) &&
           Unescape(fields[7], row.type) && Unescape(fields[8], row.itemname) &&
           Unescape(fields[9], row.paramname);
}

}  // namespace

std::string PackChanges(const HistoryRow *begin, const HistoryRow *end) {
    std::string text;
    const auto number = [&](long long value) {
        char digits[24];
        text.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
        text += '\t';
    };
    for (const HistoryRow *row = begin; row != end; ++row) {
        number(row->itemid);
        number(row->paramid);
        number(row->stdorder);
        AppendValues(text, row->before);
        text += '\t';
        AppendValues(text, row->after);
        text += '\t';
        AppendEscaped(text, row->type);
        text += '\t';
        AppendEscaped(text, row->itemname);
        text += '\t';
        AppendEscaped(text, row->paramname);
        text += '\n';
    }
    return text;
}

bool UnpackChanges(const std::string &condition, std::string_view changes,
                   std::vector<HistoryRow> &rows) {
    if (changes.empty() || changes.back() != '\n') return false;
    const std::size_t first = rows.size();
    while (!changes.empty()) {
        const std::size_t end = changes.find('\n');
        HistoryRow row;
        row.condition = condition;
        if (!UnpackLine(changes.substr(0, end), row)) {
            rows.resize(first);
            return false;
        }
        rows.push_back(std::move(row));
        changes.remove_prefix(end + 1);
    }
    return true;
}

void ReadHistoryRows(stationdb::Connection &connection, const HistoryRowQuery &query,
                     const std::function<void(long long, HistoryRow &&)> &onRow,
                     const std::function<void(long long, long long)> &onMalformed,
                     const HistoryPartSink &onPart) {
    std::string sql =
        "select changeset, part, condition, changes, item_block from tb_std_history_row where "
        "changeset >= ?";
    if (query.changeset) sql += " and changeset = ?";
    if (query.itemid) sql += " and item_block = ?";
    if (query.condition) sql += " and condition = ?";
    sql += " order by changeset, part";
    stationdb::Statement st(connection, sql, stationdb::Statement::Direct{});
    int index = 1;
    st.BindInt(index++, query.fromChangeset);
    if (query.changeset) st.BindInt(index++, *query.changeset);
    if (query.itemid) st.BindInt(index++, ItemBlock(*query.itemid));
    if (query.condition) st.BindUtf8(index++, *query.condition);
    st.Execute();
    std::vector<HistoryRow> rows;
    std::size_t delivered = 0;
    while (st.Fetch()) {
        const long long changeset = platform::IntegerOf(st.View(1));
        const long long part = platform::IntegerOf(st.View(2));
        const std::string condition = st.Utf8(3);
        const std::string changes = st.Utf8(4);
        if (onPart) onPart(changeset, platform::IntegerOf(st.View(5)), condition, changes);
        rows.clear();
        if (!UnpackChanges(condition, changes, rows)) {
            if (onMalformed) onMalformed(changeset, part);
            continue;
        }
        for (HistoryRow &row : rows) {
            if ((query.paramid && row.paramid != *query.paramid) ||
                (query.itemid && row.itemid != *query.itemid))
                continue;
            onRow(changeset, std::move(row));
            if (++delivered == query.maxRows) return;
        }
    }
}

}  // namespace generator
