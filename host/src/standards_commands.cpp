// build-standards and show-standards: a standard file from its readable form
// (standards_source.h) and back.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "commands.h"
#include "standards_files.h"
#include "standards_report.h"
#include "station.h"

namespace stdhost {
namespace {

int BuildStandards(const std::string &source, const std::string &out) {
    const BuildStandardsReport report = BuildStandardFile(source, out);
    if (report.exitCode != kExitOk) {
        if (!report.problem.empty()) Complain(report.problem);
        return report.exitCode;
    }
    // Written to the standard output, the file is followed by nothing else there.
    std::fputs(BuildStandardsText(report).c_str(), out == "-" ? stderr : stdout);
    return kExitOk;
}

int ShowStandards(const std::string &file) {
    const StandardFileListing listing = ListStandardFile(file);
    std::fputs(StandardFileListingText(listing).c_str(), stdout);
    std::fflush(stdout);
    if (!listing.problem.empty()) Complain(listing.problem);
    return listing.exitCode;
}

}  // namespace

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
