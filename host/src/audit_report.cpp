// The audit's text report and HTML page, both made from its JSON.
#include "audit_report.h"

#include <algorithm>
#include <cstdio>

#include "terminal_text.h"

namespace stdhost {
namespace {

std::string Str(const Json &value) {
    return value.is_string() ? value.get<std::string>() : value.dump();
}

std::string Quoted(const Json &text) {
    return "\"" + Str(text) + "\"";
}

std::string Plural(std::size_t n, const char *one, const char *many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string SourceLine(const Json &a) {
    const Json &s = a["source"];
    std::string line = s["table"] == "file"
                           ? "standard file " + Str(s["name"])
                           : "database table tb_id_standard (data source " + Str(s["name"]) + ")";
    return line;
}

// Label and value pairs of the summary, in report order.
std::vector<std::pair<std::string, std::string>> SummaryLines(const Json &a) {
    const Json &s = a["summary"];
    const auto n = [&](const char *key) { return Str(s[key]); };
    const auto conditions = [&](const char *key) {
        return Plural(s[key].get<std::size_t>(), "condition", "conditions");
    };
    std::vector<std::pair<std::string, std::string>> lines = {
        {"items fully covered", n("itemsFullyCovered") + " of " + n("items")},
        {"vehicles without limits", conditions("missing")},
        {"rows no vehicle reaches", conditions("unreachable")},
        {"reached only by profiles no registration data gives", n("impossibleOnly")},
        {"series standards", n("seriesStandards") + " listed, " + n("orphanSeries") +
                                 " of a brand or series no longer listed"},
        {"series keys the lines cannot serve", n("sharedSeriesKeys") + " formed by two series, " +
                                                   n("cutSeriesKeys") +
                                                   " cut by the line's intake"},
        {"conditions missing under a device", n("deviceGaps")},
        {"conditions shadowed by a case variant", n("caseVariants")},
        {"conditions without parameters", n("emptyConditions")},
        {"conditions lacking catalogue parameters",
         s["catalogueChecked"].get<bool>() ? n("missingParams") : "not checked (no database)"},
        {"items the rules do not judge", n("unknownItems")},
        {"rule space", conditions("reachableConditions") + ", " + n("confirmedConditions") +
                           " confirmed by a vehicle (" + n("vehiclesTried") + " tried)"},
    };
    return lines;
}

std::string EscapeHtml(const std::string &text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string H(const Json &value) {
    return EscapeHtml(Str(value));
}

}  // namespace

std::string AuditText(const Json &a) {
    std::string out;
    const auto line = [&](const std::string &text) { out += text + "\n"; };
    line("Coverage audit of the " + SourceLine(a));
    line(a["covered"].get<bool>() ? "Every condition a vehicle reaches has limits."
                                  : "Some vehicles get no limits: the line cannot judge them.");
    line("");
    line("Summary");
    auto summary = SummaryLines(a);
    std::size_t width = 0;
    for (const auto &[label, value] : summary) width = std::max(width, DisplayWidth(label));
    for (const auto &[label, value] : summary) line("  " + Pad(label, width) + "  " + value);
    char row[256];

    const auto vehicles = [&](const char *title, const Json &list) {
        if (list.empty()) return;
        line("");
        line(title);
        for (const Json &m : list) {
            line("  item " + Str(m["item"]) + " " + Quoted(m["condition"]) +
                 (m["heldEmpty"].get<bool>() ? " (held without parameters)" : ""));
            std::size_t w = 0;
            for (const Json &v : m["vehicle"]) w = std::max(w, DisplayWidth(Str(v["name"])));
            for (const Json &v : m["vehicle"]) {
                std::snprintf(row, sizeof row, "      %-5d ", v["param"].get<int>());
                std::string meaning = Str(v["meaning"]);
                line(std::string(row) + Pad(Str(v["name"]), w) + "  " + Str(v["value"]) +
                     (meaning.empty() ? "" : "  " + meaning));
            }
            line("    " + Str(m["judge"]));
        }
    };
    vehicles("Vehicles without limits (a vehicle that reaches each condition)", a["missing"]);
    vehicles("Reached only by profiles no registration data gives (not in the table)",
             a["impossibleOnly"]);

    if (!a["unreachable"].empty()) {
        line("");
        line("Rows no vehicle reaches");
        for (const Json &u : a["unreachable"]) {
            std::string text = "  item " + Str(u["item"]) + " device " + Str(u["device"]) + " " +
                               Quoted(u["condition"]) + " (" + Str(u["limits"]) + " limits)";
            if (!u["suggestion"].is_null())
                text += ": did you mean " + Quoted(u["suggestion"]) + "? (" +
                        Plural(u["distance"].get<std::size_t>(), "character", "characters") +
                        " off)";
            else
                text += ": the rules give this item no condition";
            line(text);
        }
    }
    if (!a["orphanSeries"].empty()) {
        line("");
        line("Series standards of a brand or series the vehicle list no longer has");
        for (const Json &o : a["orphanSeries"])
            line("  item " + Str(o["item"]) + " " + Quoted(o["condition"]) +
                 (o["brand"].is_null() ? ": no such brand"
                                       : ": brand " + Str(o["brand"]) + " has no such series"));
    }
    for (const Json &k : a["seriesKeys"]["shared"]) {
        std::string pairs;
        for (const Json &p : k["series"])
            pairs += (pairs.empty() ? "" : " and ") + Str(p["brand"]) + "/" + Str(p["series"]);
        line("");
        line("Series key " + Quoted(k["condition"]) + " is formed by " + pairs +
             ": the line serves one standard to both" +
             (k["stored"].get<bool>() ? "" : " (none stored yet)"));
    }
    for (const Json &k : a["seriesKeys"]["cut"]) {
        line("");
        line("Series key " + Quoted(k["condition"]) + " is stored, but its brand (" +
             Str(k["brandBytes"]) + " bytes) or series (" + Str(k["seriesBytes"]) +
             " bytes) is longer than the line's intake reads (" + Str(k["intakeBytes"]) +
             " bytes each): no vehicle finds it");
    }
    if (!a["deviceGaps"].empty()) {
        line("");
        line("Conditions missing under a device that performs the item");
        for (const Json &g : a["deviceGaps"])
            line("  item " + Str(g["item"]) + ": device " + Str(g["device"]) + " lacks " +
                 Quoted(g["condition"]) + " (device " + Str(g["heldBy"]) + " has it)");
    }
    if (!a["caseVariants"].empty()) {
        line("");
        line("Conditions shadowed by a case variant (the lookup finds the first)");
        for (const Json &v : a["caseVariants"])
            line("  item " + Str(v["item"]) + ": device " + Str(v["device"]) + " " +
                 Quoted(v["condition"]) + " is shadowed by " + Quoted(v["shadowedBy"]) +
                 " (device " + Str(v["shadowedByDevice"]) + ")");
    }
    if (!a["emptyConditions"].empty()) {
        line("");
        line("Conditions without parameters");
        for (const Json &e : a["emptyConditions"])
            line("  item " + Str(e["item"]) + " device " + Str(e["device"]) + " " +
                 Quoted(e["condition"]));
    }
    if (!a["missingParams"].empty()) {
        line("");
        line("Conditions lacking parameters of the item's catalogue (tb_id_param)");
        for (const Json &m : a["missingParams"]) {
            std::string params;
            for (const Json &p : m["params"])
                params += (params.empty() ? "" : ", ") + Str(p["param"]) +
                          (Str(p["name"]).empty() ? "" : " " + Str(p["name"]));
            line("  item " + Str(m["item"]) + " device " + Str(m["device"]) + " " +
                 Quoted(m["condition"]) + ": no limit for " + params);
        }
    }
    if (!a["unknownItems"].empty()) {
        std::string ids;
        for (const Json &id : a["unknownItems"]) ids += (ids.empty() ? "" : ", ") + Str(id);
        line("");
        line("Items the rules do not judge, with conditions that are not series standards: " + ids);
    }
    line("");
    line("Items");
    std::size_t nameWidth = 4;
    for (const Json &i : a["items"]) nameWidth = std::max(nameWidth, DisplayWidth(Str(i["name"])));
    std::snprintf(row, sizeof row, "  %-5s ", "item");
    line(std::string(row) + Pad("name", nameWidth) +
         "  reachable  covered  missing  only-impossible  table  unreachable");
    for (const Json &i : a["items"]) {
        std::snprintf(row, sizeof row, "  %-5d ", i["item"].get<int>());
        std::string text = std::string(row) + Pad(Str(i["name"]), nameWidth);
        std::snprintf(row, sizeof row, "  %9zu  %7zu  %7zu  %15zu  %5zu  %11zu",
                      i["reachable"].get<std::size_t>(), i["covered"].get<std::size_t>(),
                      i["missing"].get<std::size_t>(), i["impossibleOnly"].get<std::size_t>(),
                      i["tableConditions"].get<std::size_t>(), i["unreachable"].get<std::size_t>());
        line(text + row);
    }

    return out;
}

std::string AuditHtml(const Json &a) {
    std::string page;
    const auto add = [&](const std::string &text) { page += text; };
    add("<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
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
        "</style></head><body>\n");
    add("<h1>Coverage audit</h1><div>" + EscapeHtml(SourceLine(a)) + "</div>\n");
    const bool covered = a["covered"].get<bool>();
    add(std::string("<div class=\"verdict ") + (covered ? "ok" : "bad") + "\">" +
        (covered ? "Every condition a vehicle reaches has limits."
                 : "Some vehicles get no limits: the line cannot judge them.") +
        "</div>\n<table>");
    for (const auto &[label, value] : SummaryLines(a))
        add("<tr><td>" + EscapeHtml(label) + "</td><td>" + EscapeHtml(value) + "</td></tr>");
    add("</table>\n");
    const auto vehicles = [&](const char *title, const Json &list) {
        if (list.empty()) return;
        add(std::string("<h2>") + title + "</h2>\n");
        for (const Json &m : list) {
            add("<div class=\"card\"><b>item " + H(m["item"]) + "</b> &ldquo;" + H(m["condition"]) +
                "&rdquo;" + (m["heldEmpty"].get<bool>() ? " (held without parameters)" : "") +
                "<div class=\"vehicle\">");
            for (const Json &v : m["vehicle"])
                add("<div><span class=\"id\">" + H(v["param"]) + "</span> " + H(v["name"]) +
                    " <b>" + H(v["value"]) + "</b> " + H(v["meaning"]) + "</div>");
            add("</div><code>" + H(m["judge"]) + "</code></div>\n");
        }
    };
    vehicles("Vehicles without limits", a["missing"]);
    vehicles("Reached only by profiles no registration data gives", a["impossibleOnly"]);

    const auto list = [&](const char *title, const Json &entries, auto &&describe) {
        if (entries.empty()) return;
        add(std::string("<h2>") + title + "</h2><ul>\n");
        for (const Json &e : entries) add("<li>" + describe(e) + "</li>\n");
        add("</ul>\n");
    };
    list("Rows no vehicle reaches", a["unreachable"], [](const Json &u) {
        std::string text = "item " + H(u["item"]) + " device " + H(u["device"]) + " &ldquo;" +
                           H(u["condition"]) + "&rdquo; (" + H(u["limits"]) + " limits)";
        if (u["suggestion"].is_null()) return text + ": the rules give this item no condition";
        return text + ": did you mean &ldquo;<b>" + H(u["suggestion"]) + "</b>&rdquo;? (" +
               Plural(u["distance"].get<std::size_t>(), "character", "characters") + " off)";
    });
    list("Series standards of a brand or series no longer listed", a["orphanSeries"],
         [](const Json &o) {
             return "item " + H(o["item"]) + " &ldquo;" + H(o["condition"]) + "&rdquo;" +
                    (o["brand"].is_null() ? std::string(": no such brand")
                                          : ": brand " + H(o["brand"]) + " has no such series");
         });
    list("Series keys two series form (the line serves one standard to both)",
         a["seriesKeys"]["shared"], [](const Json &k) {
             std::string pairs;
             for (const Json &p : k["series"])
                 pairs += (pairs.empty() ? "" : " and ") + H(p["brand"]) + "/" + H(p["series"]);
             return "&ldquo;" + H(k["condition"]) + "&rdquo;: " + pairs;
         });
    list("Stored series keys the line's intake cuts (no vehicle finds them)",
         a["seriesKeys"]["cut"], [](const Json &k) {
             return "&ldquo;" + H(k["condition"]) + "&rdquo;: brand " + H(k["brandBytes"]) +
                    " bytes, series " + H(k["seriesBytes"]) + " bytes, the intake reads " +
                    H(k["intakeBytes"]);
         });
    list("Conditions missing under a device", a["deviceGaps"], [](const Json &g) {
        return "item " + H(g["item"]) + ": device " + H(g["device"]) + " lacks &ldquo;" +
               H(g["condition"]) + "&rdquo; (device " + H(g["heldBy"]) + " has it)";
    });
    list("Conditions shadowed by a case variant", a["caseVariants"], [](const Json &v) {
        return "item " + H(v["item"]) + ": device " + H(v["device"]) + " &ldquo;" +
               H(v["condition"]) + "&rdquo; is shadowed by &ldquo;" + H(v["shadowedBy"]) +
               "&rdquo; (device " + H(v["shadowedByDevice"]) + ")";
    });
    list("Conditions without parameters", a["emptyConditions"], [](const Json &e) {
        return "item " + H(e["item"]) + " device " + H(e["device"]) + " &ldquo;" +
               H(e["condition"]) + "&rdquo;";
    });
    list("Conditions lacking catalogue parameters", a["missingParams"], [](const Json &m) {
        std::string params;
        for (const Json &p : m["params"])
            params += (params.empty() ? "" : ", ") + H(p["param"]) + " " + H(p["name"]);
        return "item " + H(m["item"]) + " device " + H(m["device"]) + " &ldquo;" +
               H(m["condition"]) + "&rdquo;: no limit for " + params;
    });
    add("<h2>Items</h2><div class=\"legend\"><span class=\"cov\"></span>covered"
        "<span class=\"gap\"></span>without limits<span class=\"imp\"></span>reached only by "
        "impossible profiles</div><table><tr><th>item</th><th>name</th><th>conditions</th>"
        "<th class=\"num\">reachable</th><th class=\"num\">covered</th><th class=\"num\">"
        "missing</th><th class=\"num\">table</th><th class=\"num\">unreachable</th></tr>\n");
    for (const Json &i : a["items"]) {
        const auto reachable = i["reachable"].get<std::size_t>();
        const auto coveredCount = i["covered"].get<std::size_t>();
        const auto impossible = i["impossibleOnly"].get<std::size_t>();
        const std::size_t total = std::max<std::size_t>(1, reachable + impossible);
        const auto percent = [&](std::size_t n) {
            char text[32];
            std::snprintf(text, sizeof text, "%.2f%%", 100.0 * static_cast<double>(n) / total);
            return std::string(text);
        };
        add("<tr><td>" + H(i["item"]) + "</td><td>" + H(i["name"]) +
            "</td><td><div class=\"bar\"><div class=\"cov\" style=\"width:" +
            percent(coveredCount) +
            "\"></div><div class=\"gap\" style=\"width:" + percent(reachable - coveredCount) +
            "\"></div><div class=\"imp\" style=\"width:" + percent(impossible) +
            "\"></div></div></td><td class=\"num\">" + H(i["reachable"]) +
            "</td><td class=\"num\">" + H(i["covered"]) + "</td><td class=\"num\">" +
            H(i["missing"]) + "</td><td class=\"num\">" + H(i["tableConditions"]) +
            "</td><td class=\"num\">" + H(i["unreachable"]) + "</td></tr>\n");
    }
    add("</table>\n");

    add("</body></html>\n");
    return page;
}

}  // namespace stdhost
