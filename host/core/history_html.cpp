// The history as one HTML page: each change set's header, then its rows
// with the old and the new limits side by side. A value that differs from
// the other side is marked "changed"; the side of an inserted or a deleted
// row is marked "absent".
#include "history_render.h"
#include "html_text.h"

namespace stdhost {
namespace {

const char kHead[] =
    "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
    "<title>Limit history</title><style>\n"
    "body{font-family:'WenQuanYi Micro Hei',sans-serif;margin:24px;color:#222;"
    "max-width:1100px}\n"
    "h1{font-size:22px;margin:0 0 4px}h2{font-size:16px;margin:24px 0 6px;"
    "border-bottom:1px solid #ccc;padding-bottom:4px}\n"
    ".meta{color:#555;font-size:13px;margin:0 0 6px}\n"
    "table{border-collapse:collapse;font-size:13px}td,th{padding:3px 8px;"
    "text-align:left;vertical-align:top}th{background:#f0f0f0}\n"
    "tr:nth-child(even) td{background:#fafafa}.num{text-align:right}\n"
    "tr td.changed{background:#fff3c4;font-weight:bold}td.absent{color:#999}\n"
    ".old{border-left:2px solid #ddd}.more{color:#555;font-style:italic;margin:4px 0}\n"
    "code{background:#f4f4f4;padding:1px 4px;font-size:12px;word-break:break-all}\n"
    "</style></head><body>\n";

const char kRowsHead[] =
    "<table><tr><th class=\"num\">item</th><th>condition</th><th class=\"num\">param</th>"
    "<th>name</th><th class=\"num old\">old upper</th><th class=\"num\">old lower</th>"
    "<th class=\"num old\">new upper</th><th class=\"num\">new lower</th></tr>\n";

std::string H(const std::string &text) {
    return HtmlEscaped(text);
}

std::string H(long long n) {
    return std::to_string(n);
}

// One limit's cell: `value` of this side, `other` of the other side.
std::string Cell(const std::optional<generator::LimitValues> &side,
                 const std::optional<generator::LimitValues> &other, bool upper, bool first) {
    std::string cls = first ? "num old" : "num";
    if (!side) return "<td class=\"" + cls + " absent\">&mdash;</td>";
    const std::string &value = upper ? side->hvalue : side->lvalue;
    if (!other || value != (upper ? other->hvalue : other->lvalue)) cls += " changed";
    return "<td class=\"" + cls + "\">" + H(value) + "</td>";
}

void Row(std::string &page, const generator::HistoryRow &row) {
    page += "<tr><td class=\"num\">" + H(row.itemid) + "</td><td>" + H(row.condition) +
            "</td><td class=\"num\">" + H(row.paramid) + "</td><td>" + H(row.paramname) + "</td>";
    page += Cell(row.before, row.after, true, true) + Cell(row.before, row.after, false, false);
    page += Cell(row.after, row.before, true, true) + Cell(row.after, row.before, false, false);
    page += "</tr>\n";
}

void Set(std::string &page, const generator::ChangeSet &set, bool filtered) {
    page += "<h2>#" + H(set.id) + " " + H(generator::ChangeKindName(set.kind)) + " " +
            H(set.scope) + "</h2>\n<p class=\"meta\">" + H(set.changedAt) + " UTC &middot; " +
            H(set.operatorName) + " &middot; " + H(set.program) + " &middot; " + H(set.rowCount) +
            " rows";
    if (set.kind == generator::ChangeKind::kRollback)
        page += " &middot; reverts #" + H(set.reverts);
    if (!set.comment.empty()) page += " &middot; &ldquo;" + H(set.comment) + "&rdquo;";
    page += "</p>\n";
    if (set.rows.empty()) return;
    page += kRowsHead;
    for (const generator::HistoryRow &row : set.rows) Row(page, row);
    page += "</table>\n";
    const long long more = set.rowCount - static_cast<long long>(set.rows.size());
    if (!filtered && more > 0)
        page += "<p class=\"more\">&hellip; and " + H(more) + " more (<code>stdhost history show " +
                H(set.id) + "</code>)</p>\n";
}

}  // namespace

std::string HistoryHtml(const HistoryList &list) {
    std::string page = kHead;
    page += "<h1>Limit history</h1>\n<p class=\"meta\">" +
            H(static_cast<long long>(list.sets.size())) + " change sets, newest first" +
            (list.filtered ? ", only the matching rows" : "") + "</p>\n";
    if (!list.kept) page += "<p>" + H(kNoHistory) + "</p>\n";
    for (const generator::ChangeSet &set : list.sets) Set(page, set, list.filtered);
    page += "</body></html>\n";
    return page;
}

}  // namespace stdhost
