// The readable form of a standard table: UTF-8 text, one limit per line,
//   devid TAB itemid TAB condition TAB paramid TAB lower TAB upper
// with '#' comment lines and blank lines ignored.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "commands.h"
#include "platform/gbk.h"
#include "station.h"
#include "store/standard_table.h"
#include "table_text.h"

namespace stdhost {
namespace {

int BuildStandards(const std::string &source, const std::string &out) {
    std::ifstream in(source, std::ios::binary);
    if (!in) {
        Complain("cannot read " + source);
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
        const std::string where = source + ":" + std::to_string(lineNo) + ": ";
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
    const int result = table.WriteFile(out);
    if (result != 1) {
        Complain("writing " + out + " failed with result " + std::to_string(result));
        return kExitFailure;
    }
    std::printf("%s: %zu limits from %d rows\n", out.c_str(), table.RecordCount(), rows);
    return kExitOk;
}

std::string DamageText(const std::string &path, const store::StandardFileReport &r) {
    if (!r.Damaged()) return "";
    std::string text = path + " is damaged: its header announces " +
                       std::to_string(r.announcedRecords) + " records (" +
                       std::to_string(r.announcedBytes) + " bytes) and the file holds " +
                       std::to_string(r.fileBytes) + " bytes; " + std::to_string(r.readRecords) +
                       " whole records were read";
    if (r.refusedRecords > 0)
        text += ", " + std::to_string(r.refusedRecords) + " refused (device id outside 1..200)";
    return text;
}

int ShowStandards(const std::string &file) {
    store::StandardTable table;
    store::StandardFileReport report;
    if (table.LoadFromFile(file, &report) != 1) {
        Complain("cannot load " + file);
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
    std::fflush(stdout);
    if (const std::string damage = DamageText(file, report); !damage.empty()) {
        Complain(damage);
        return kExitBadFile;
    }
    return kExitOk;
}

}  // namespace

std::string StandardFileSummary(const std::string &path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return "no standard file";
    store::StandardTable table;
    if (table.LoadFromFile(path) != 1) return "a standard file that cannot be loaded";
    return std::to_string(table.RecordCount()) + " limits in the standard file";
}

std::string StandardFileDamage(const std::string &path) {
    store::StandardTable table;
    store::StandardFileReport report;
    table.LoadFromFile(path, &report);
    return DamageText(path, report);
}

void AddBuildStandardsCommand(CLI::App &app, CommandLine &line) {
    struct Files {
        std::string source, out;
    };
    auto files = std::make_shared<Files>();
    CLI::App *build =
        AddCommand(app, line, "build-standards", "Write a standard file from a readable table.",
                   [files] { return BuildStandards(files->source, files->out); });
    build->add_option("SOURCE", files->source, "the readable table, e.g. standards.tsv")
        ->type_name("")
        ->required();
    build->add_option("OUT", files->out, "the standard file to write, e.g. StandarFile.sfd")
        ->type_name("")
        ->required();
    build->footer(
        "SOURCE is UTF-8 text, one limit a line: devid, itemid, condition, paramid, lower,\n"
        "upper, separated by tabs; '#' lines are comments.");
}

void AddShowStandardsCommand(CLI::App &app, CommandLine &line) {
    auto file = std::make_shared<std::string>();
    CLI::App *show = AddCommand(app, line, "show-standards",
                                "Print a standard file in the form build-standards reads.",
                                [file] { return ShowStandards(*file); });
    show->add_option("FILE", *file, "the standard file, e.g. StandarFile.sfd")
        ->type_name("")
        ->required();
}

}  // namespace stdhost
