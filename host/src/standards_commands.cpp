// The readable form of a standard table: UTF-8 text, one limit per line,
//   devid TAB itemid TAB condition TAB paramid TAB lower TAB upper
// with '#' comment lines and blank lines ignored.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands.h"
#include "platform/gbk.h"
#include "station.h"
#include "store/standard_table.h"

namespace stdhost {
namespace {

std::vector<std::string> SplitTabs(const std::string &line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

bool ParseInt(const std::string &text, int32_t &out) {
    if (text.empty()) return false;
    errno = 0;
    char *end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<int32_t>(v);
    return true;
}

bool ParseFloat(const std::string &text, float &out) {
    if (text.empty()) return false;
    errno = 0;
    char *end = nullptr;
    out = std::strtof(text.c_str(), &end);
    return errno == 0 && *end == '\0' && std::isfinite(out);
}

}  // namespace

int BuildStandardsCommand(const Args &args) {
    if (args.size() != 2) {
        Complain("usage: stdhost build-standards SOURCE.tsv OUT.sfd");
        return kExitUsage;
    }
    std::ifstream in(args[0], std::ios::binary);
    if (!in) {
        Complain("cannot read " + args[0]);
        return kExitFailure;
    }
    store::StandardTable table;
    std::string line;
    int lineNo = 0, rows = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const auto f = SplitTabs(line);
        store::StdRecord r;
        std::string condition;
        const std::string where = args[0] + ":" + std::to_string(lineNo) + ": ";
        if (f.size() != 6 || !ParseInt(f[0], r.devid) || !ParseInt(f[1], r.itemid) ||
            !ParseInt(f[3], r.paramid) || !ParseFloat(f[4], r.lvalue) ||
            !ParseFloat(f[5], r.hvalue)) {
            Complain(where + "expected devid, itemid, condition, paramid, lower, upper");
            return kExitFailure;
        }
        if (r.devid < 1 || r.devid > store::kMaxDeviceId) {
            Complain(where + "device id must be 1 to 200");
            return kExitFailure;
        }
        if (!platform::Utf8ToGbk(f[2], condition)) {
            Complain(where + "the condition has no GBK form");
            return kExitFailure;
        }
        if (condition.size() >= static_cast<std::size_t>(store::kConditionBytes) ||
            condition.find('\0') != std::string::npos) {
            Complain(where + "the condition is longer than 149 GBK bytes");
            return kExitFailure;
        }
        r.condition = condition;
        table.InsertRecord(r);
        ++rows;
    }
    const int result = table.WriteFile(args[1]);
    if (result != 1) {
        Complain("writing " + args[1] + " failed with result " + std::to_string(result));
        return kExitFailure;
    }
    std::printf("%s: %zu limits from %d rows\n", args[1].c_str(), table.RecordCount(), rows);
    return kExitOk;
}

std::string StandardFileSummary(const std::string &path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return "no standard file";
    store::StandardTable table;
    if (table.LoadFromFile(path) != 1) return "a standard file that cannot be loaded";
    return std::to_string(table.RecordCount()) + " limits in the standard file";
}

int ShowStandardsCommand(const Args &args) {
    if (args.size() != 1) {
        Complain("usage: stdhost show-standards FILE.sfd");
        return kExitUsage;
    }
    store::StandardTable table;
    if (table.LoadFromFile(args[0]) != 1) {
        Complain("cannot load " + args[0]);
        return kExitFailure;
    }
    std::printf("# devid\titemid\tcondition\tparamid\tlower\tupper\n");
    for (const auto &device : table.Devices())
        for (const auto &item : device.items)
            for (const auto &condition : item.conditions)
                for (const auto &p : condition.params)
                    std::printf("%d\t%d\t%s\t%d\t%s\t%s\n", device.devid, item.itemid,
                                platform::GbkToUtf8Lossy(condition.condition).c_str(), p.paramid,
                                LimitText(p.lvalue).c_str(), LimitText(p.hvalue).c_str());
    return kExitOk;
}

}  // namespace stdhost
