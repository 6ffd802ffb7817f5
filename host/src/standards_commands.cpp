// build-standards and show-standards: a standard file from its readable form
// (standards_source.h) and back.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>

#include "commands.h"
#include "platform/atomic_file.h"
#include "platform/gbk.h"
#include "standards_source.h"
#include "station.h"
#include "store/standard_table.h"
#include "table_text.h"

namespace stdhost {
namespace {

int BuildStandards(const std::string &source, const std::string &out) {
    std::string bytes, why;
    if (!ReadTextInput(source, kTableFileBytes, "the readable table", bytes, why)) {
        Complain(why);
        return kExitFailure;
    }
    std::istringstream in(std::move(bytes));
    store::StandardTable table;
    int rows = 0;
    std::string error;
    if (!ReadStandardsSource(in, source, table, rows, error)) {
        Complain(error);
        return kExitFailure;
    }
    if (!OutputPathUsable(out)) return kExitFailure;
    const int result = table.WriteFile(out);
    if (result != 1) {
        Complain("writing " + out + " failed with result " + std::to_string(result));
        return kExitFailure;
    }
    // Written to the standard output, the file is followed by nothing else there.
    std::fprintf(out == "-" ? stderr : stdout, "%s: %zu limits from %d rows\n", out.c_str(),
                 table.RecordCount(), rows);
    return kExitOk;
}

std::string DamageText(const std::string &path, const store::StandardFileReport &r) {
    std::error_code ec;
    if (!r.readable) {
        // Too short for its header: a regular file that serves nothing.
        const auto size = std::filesystem::file_size(path, ec);
        if (ec || !std::filesystem::is_regular_file(path, ec)) return "";
        return path + " is damaged: it holds " + std::to_string(size) +
               " bytes, less than the 8-byte header, and serves no limits";
    }
    if (!r.Damaged()) {
        if (r.announcedRecords > 0) return "";
        return path + " is damaged: its header announces no records and the file serves no limits";
    }
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
        if (const std::string damage = DamageText(file, report); !damage.empty()) {
            Complain(damage);
            return kExitBadFile;
        }
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
    store::StandardFileReport report;
    const int loaded = table.LoadFromFile(path, &report);
    const bool damaged = !DamageText(path, report).empty();
    if (loaded != 1)
        return damaged ? "a damaged standard file that serves no limits"
                       : "a standard file that cannot be loaded";
    return std::to_string(table.RecordCount()) + " limits in the standard file" +
           (damaged ? " (damaged)" : "");
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
