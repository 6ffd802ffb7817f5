// stdhost standards diff --html: one self-contained page. Per item the rows
// an update adds, removes and changes with the limits before and after side
// by side (a value that differs is marked), then the coverage of the table
// now and after.
#include "html_text.h"
#include "standards_update_render.h"

namespace stdhost {
namespace {

const char kHead[] =
    "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
    "<title>Standards update</title><style>\n"
    "body{font-family:'WenQuanYi Micro Hei',sans-serif;margin:24px;color:#222;max-width:1100px}\n"
    "h1{font-size:22px;margin:0 0 4px}h2{font-size:16px;margin:24px 0 6px;"
    "border-bottom:1px solid #ccc;padding-bottom:4px}\n"
    ".meta{color:#555;font-size:13px;margin:2px 0}ul{margin:4px 0;font-size:13px}\n"
    "table{border-collapse:collapse;font-size:13px}td,th{padding:3px 8px;text-align:left;"
    "vertical-align:top}th{background:#f0f0f0}.num{text-align:right}\n"
    "td.changed{background:#fff3c4;font-weight:bold}td.absent{color:#999}\n"
    ".new{border-left:2px solid #ddd}.add{color:#1a7f37}.del{color:#b42318}\n"
    ".loss{background:#fde7e7;border:1px solid #e5a0a0;padding:6px 10px;margin:8px 0}\n"
    ".summary td{padding:2px 10px}\n"
    "</style></head><body>\n";

std::string H(const std::string &text) {
    return HtmlEscaped(text);
}

std::string N(std::size_t n) {
    return std::to_string(n);
}

std::string Cell(const std::optional<generator::LimitValues> &side,
                 const std::optional<generator::LimitValues> &other, bool upper, bool first) {
    std::string cls = first ? "num new" : "num";
    if (!side) return "<td class=\"" + cls + " absent\">&mdash;</td>";
    const std::string &value = upper ? side->hvalue : side->lvalue;
    if (!other || value != (upper ? other->hvalue : other->lvalue)) cls += " changed";
    return "<td class=\"" + cls + "\">" + H(value) + "</td>";
}

void Item(std::string &page, const ItemChanges &item) {
    page += "<h2>" + N(static_cast<std::size_t>(item.itemid)) + " " + H(item.itemName) + "</h2>\n";
    if (!item.conditionsAdded.empty() || !item.conditionsRemoved.empty()) {
        page += "<ul>";
        for (const std::string &c : item.conditionsAdded)
            page += "<li class=\"add\">condition added: " + H(c) + "</li>";
        for (const std::string &c : item.conditionsRemoved)
            page += "<li class=\"del\">condition removed: " + H(c) + "</li>";
        page += "</ul>\n";
    }
    page +=
        "<table><tr><th>condition</th><th class=\"num\">param</th><th>name</th>"
        "<th class=\"num new\">upper now</th><th class=\"num\">lower now</th>"
        "<th class=\"num new\">upper after</th><th class=\"num\">lower after</th></tr>\n";
    for (const RowChange &r : item.rows) {
        page += "<tr><td>" + H(r.condition) + "</td><td class=\"num\">" +
                N(static_cast<std::size_t>(r.paramid)) + "</td><td>" + H(r.paramName) + "</td>";
        page += Cell(r.before, r.after, true, true) + Cell(r.before, r.after, false, false);
        page += Cell(r.after, r.before, true, true) + Cell(r.after, r.before, false, false);
        page += "</tr>\n";
    }
    page += "</table>\n";
}

void Entries(std::string &page, const char *title, const std::vector<CoverageEntry> &entries) {
    page += "<p class=\"meta\">" + std::string(title) + " (" + N(entries.size()) + ")</p>";
    if (entries.empty()) return;
    page += "<ul>";
    for (const CoverageEntry &e : entries)
        page += "<li>" + N(static_cast<std::size_t>(e.itemid)) + " " + H(e.itemName) + ": " +
                H(e.condition) + "</li>";
    page += "</ul>\n";
}

void Coverage(std::string &page, const StandardsDiff &diff) {
    page +=
        "<h2>Coverage now and after</h2>\n<table class=\"summary\"><tr><th></th>"
        "<th class=\"num\">now</th><th class=\"num\">after</th></tr>\n";
    auto row = [&](const char *what, std::size_t a, std::size_t b) {
        page += "<tr><td>" + std::string(what) + "</td><td class=\"num\">" + N(a) +
                "</td><td class=\"num" + (a != b ? " changed" : "") + "\">" + N(b) + "</td></tr>\n";
    };
    row("conditions real vehicles reach", diff.before.reachable, diff.after.reachable);
    row("of them given limits", diff.before.covered, diff.after.covered);
    row("vehicle conditions without limits", diff.before.withoutLimits.size(),
        diff.after.withoutLimits.size());
    row("conditions no vehicle reaches", diff.before.unreached.size(), diff.after.unreached.size());
    page += "</table>\n";
    if (!diff.newlyWithoutLimits.empty()) {
        page += "<div class=\"loss\">";
        Entries(page, "Vehicles that would lose their limits", diff.newlyWithoutLimits);
        page += "</div>\n";
    }
    Entries(page, "Without limits now", diff.before.withoutLimits);
    Entries(page, "Without limits after", diff.after.withoutLimits);
    Entries(page, "Reached by no vehicle now", diff.before.unreached);
    Entries(page, "Reached by no vehicle after", diff.after.unreached);
}

}  // namespace

std::string StandardsDiffHtml(const StandardsDiff &diff) {
    const PackageHeader &h = diff.header;
    std::string page = kHead;
    page += "<h1>" + H(h.name) + " " + H(h.version) + "</h1>\n";
    page += "<p class=\"meta\">effective " + H(h.effective) + " &middot; issued by " + H(h.issuer) +
            " &middot; " + N(h.rows) + " rows &middot; sha256 " + H(h.sha256) +
            "</p>\n<p class=\"meta\">" + H(diff.file) +
            " &middot; signature: " + H(diff.signature) + "</p>\n";
    page += "<p class=\"meta\">national rows " + N(diff.nationalBefore) + " now, " +
            N(diff.nationalAfter) + " after: <span class=\"add\">" + N(diff.added) +
            " added</span>, <span class=\"del\">" + N(diff.removed) + " removed</span>, " +
            N(diff.changed) + " changed, " + N(diff.unchanged) + " unchanged; " +
            N(diff.seriesRows) + " rows of the station's series untouched</p>\n";
    if (!diff.HasChanges())
        page +=
            "<p class=\"meta\">The package changes nothing: the national rows already are "
            "its rows.</p>\n";
    Coverage(page, diff);
    for (const ItemChanges &item : diff.items) Item(page, item);
    page += "</body></html>\n";
    return page;
}

}  // namespace stdhost
