// The audit as one HTML page: the summary, each kind of finding, and the
// items with bars of their coverage.
#include <algorithm>

#include "audit_report.h"
#include "html_text.h"
#include "terminal_text.h"

namespace stdhost {
namespace {

const char kStyle[] =
    "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
    "<title>Coverage audit</title><style>\n"
    "body{font-family:'WenQuanYi Micro Hei',sans-serif;margin:24px;color:#222;"
    "max-width:1100px}\n"
    "h1{font-size:22px;margin:0 0 4px}h2{font-size:17px;margin:28px 0 8px;"
    "border-bottom:1px solid #ccc;padding-bottom:4px}\n"
    ".verdict{padding:8px 12px;border-radius:4px;margin:12px 0;font-weight:bold}\n"
    ".ok{background:#e3f4e1;color:#1d5e1a}.bad{background:#fbe4e2;color:#8a1c12}\n"
    "table{border-collapse:collapse;font-size:13px}td,th{padding:3px 8px;"
    "text-align:left;vertical-align:top}th{background:#f0f0f0}\n"
    "tr:nth-child(even) td{background:#fafafa}.num{text-align:right}\n"
    ".bar{display:flex;width:260px;height:12px;background:#eee;border-radius:2px;"
    "overflow:hidden}\n"
    ".cov{background:#4caf50}.gap{background:#e53935}.imp{background:#9e9e9e}\n"
    ".legend span{display:inline-block;width:10px;height:10px;margin:0 4px 0 12px}\n"
    "code{background:#f4f4f4;padding:1px 4px;font-size:12px;word-break:break-all}\n"
    ".card{border:1px solid #ddd;border-radius:4px;padding:8px 12px;margin:8px 0}\n"
    ".vehicle{columns:3;column-gap:28px;font-size:13px;margin:6px 0}\n"
    ".vehicle div{break-inside:avoid;padding:1px 0}.id{color:#777;display:inline-block;"
    "width:38px}\n"
    "</style></head><body>\n";

const char kItemsHead[] =
    "<h2>Items</h2><div class=\"legend\"><span class=\"cov\"></span>covered"
    "<span class=\"gap\"></span>without limits<span class=\"imp\"></span>reached only by "
    "impossible profiles</div><table><tr><th>item</th><th>name</th><th>conditions</th>"
    "<th class=\"num\">reachable</th><th class=\"num\">covered</th><th class=\"num\">"
    "missing</th><th class=\"num\">table</th><th class=\"num\">unreachable</th></tr>\n";

std::string H(const std::string &text) {
    return HtmlEscaped(text);
}

std::string H(std::size_t n) {
    return std::to_string(n);
}

std::string H(int n) {
    return std::to_string(n);
}

std::string Quoted(const std::string &text) {
    return "&ldquo;" + H(text) + "&rdquo;";
}

void Vehicles(std::string &page, const char *title, const std::vector<AuditVehicle> &list) {
    if (list.empty()) return;
    page += std::string("<h2>") + title + "</h2>\n";
    for (const AuditVehicle &m : list) {
        page += "<div class=\"card\"><b>item " + H(m.item) + "</b> " + Quoted(m.condition) +
                (m.heldEmpty ? " (held without parameters)" : "") + "<div class=\"vehicle\">";
        for (const AuditVehicleValue &v : m.vehicle)
            page += "<div><span class=\"id\">" + H(v.param) + "</span> " + H(v.name) + " <b>" +
                    H(v.value) + "</b> " + H(v.meaning) + "</div>";
        page += "</div><code>" + H(m.judge) + "</code></div>\n";
    }
}

// A titled list, one entry per finding; nothing when there is none.
template <typename T, typename Describe>
void List(std::string &page, const char *title, const std::vector<T> &entries,
          Describe &&describe) {
    if (entries.empty()) return;
    page += std::string("<h2>") + title + "</h2><ul>\n";
    for (const T &e : entries) page += "<li>" + describe(e) + "</li>\n";
    page += "</ul>\n";
}

std::string Unreachable(const AuditUnreachable &u) {
    std::string text = "item " + H(u.item) + " device " + H(u.device) + " " + Quoted(u.condition) +
                       " (" + H(u.limits) + " limits)";
    if (!u.suggestion) return text + ": the rules give this item no condition";
    return text + ": did you mean &ldquo;<b>" + H(*u.suggestion) + "</b>&rdquo;? (" +
           std::to_string(u.distance) + (u.distance == 1 ? " character" : " characters") + " off)";
}

std::string Orphan(const AuditOrphanSeries &o) {
    return "item " + H(o.item) + " " + Quoted(o.condition) +
           (o.brand ? ": brand " + H(*o.brand) + " has no such series"
                    : std::string(": no such brand"));
}

std::string SharedKey(const AuditSharedKey &k) {
    std::string pairs;
    for (const AuditSeriesPair &p : k.series)
        pairs += (pairs.empty() ? "" : " and ") + H(p.brand) + "/" + H(p.series);
    return Quoted(k.condition) + ": " + pairs;
}

std::string CutKey(const AuditCutKey &k) {
    return Quoted(k.condition) + ": brand " + H(k.brandBytes) + " bytes, series " +
           H(k.seriesBytes) + " bytes, the intake reads " + H(k.intakeBytes);
}

std::string DeviceGap(const AuditDeviceGap &g) {
    return "item " + H(g.item) + ": device " + H(g.device) + " lacks " + Quoted(g.condition) +
           " (device " + H(g.heldBy) + " has it)";
}

std::string CaseVariant(const AuditCaseVariant &v) {
    return "item " + H(v.item) + ": device " + H(v.device) + " " + Quoted(v.condition) +
           " is shadowed by " + Quoted(v.shadowedBy) + " (device " + H(v.shadowedByDevice) + ")";
}

std::string EmptyCondition(const AuditTableCondition &e) {
    return "item " + H(e.item) + " device " + H(e.device) + " " + Quoted(e.condition);
}

std::string MissingParams(const AuditMissingParams &m) {
    std::string params;
    for (const AuditParam &p : m.params)
        params += (params.empty() ? "" : ", ") + H(p.param) + " " + H(p.name);
    return "item " + H(m.item) + " device " + H(m.device) + " " + Quoted(m.condition) +
           ": no limit for " + params;
}

std::string ItemRow(const AuditItem &i) {
    const std::size_t total = std::max<std::size_t>(1, i.reachable + i.impossibleOnly);
    const auto percent = [&](std::size_t n) {
        return Printed("%.2f%%", 100.0 * static_cast<double>(n) / total);
    };
    return "<tr><td>" + H(i.item) + "</td><td>" + H(i.name) +
           "</td><td><div class=\"bar\"><div class=\"cov\" style=\"width:" + percent(i.covered) +
           "\"></div><div class=\"gap\" style=\"width:" + percent(i.reachable - i.covered) +
           "\"></div><div class=\"imp\" style=\"width:" + percent(i.impossibleOnly) +
           "\"></div></div></td><td class=\"num\">" + H(i.reachable) + "</td><td class=\"num\">" +
           H(i.covered) + "</td><td class=\"num\">" + H(i.missing) + "</td><td class=\"num\">" +
           H(i.tableConditions) + "</td><td class=\"num\">" + H(i.unreachable) + "</td></tr>\n";
}

}  // namespace

std::string AuditHtml(const AuditReport &a) {
    std::string page = kStyle;
    page += "<h1>Coverage audit</h1><div>" + H(AuditSourceLine(a.source)) + "</div>\n";
    page += std::string("<div class=\"verdict ") + (a.covered ? "ok" : "bad") + "\">" +
            (a.covered ? "Every condition a vehicle reaches has limits."
                       : "Some vehicles get no limits: the line cannot judge them.") +
            "</div>\n<table>";
    for (const auto &[label, value] : AuditSummaryLines(a.summary))
        page += "<tr><td>" + H(label) + "</td><td>" + H(value) + "</td></tr>";
    page += "</table>\n";
    Vehicles(page, "Vehicles without limits", a.missing);
    Vehicles(page, "Reached only by profiles no registration data gives", a.impossibleOnly);
    List(page, "Rows no vehicle reaches", a.unreachable, Unreachable);
    List(page, "Series standards of a brand or series no longer listed", a.orphanSeries, Orphan);
    List(page, "Series keys two series form (the line serves one standard to both)",
         a.seriesKeys.shared, SharedKey);
    List(page, "Stored series keys the line's intake cuts (no vehicle finds them)",
         a.seriesKeys.cut, CutKey);
    List(page, "Conditions missing under a device", a.deviceGaps, DeviceGap);
    List(page, "Conditions shadowed by a case variant", a.caseVariants, CaseVariant);
    List(page, "Conditions without parameters", a.emptyConditions, EmptyCondition);
    List(page, "Conditions lacking catalogue parameters", a.missingParams, MissingParams);
    page += kItemsHead;
    for (const AuditItem &i : a.items) page += ItemRow(i);
    page += "</table>\n";
    page += "</body></html>\n";
    return page;
}

}  // namespace stdhost
