// stdhost reload and mark-changed: has the limits plug-in reload a changed
// database (RunReload says what happened) and marks the database changed.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "commands.h"
#include "host_platform.h"
#include "reload.h"
#include "reload_report.h"
#include "station.h"

namespace stdhost {
namespace {

// Decimal only: CLI11's own integer conversion would read 010 as octal.
bool ParseStamp(const std::string &text, long long &value) {
    char *end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= 1 && value <= 2147483647;
}

// `wanted` 0: one more than the database's stamp.
int MarkChanged(const std::string &stationOption, long long wanted) {
    const MarkChangedReport report = MarkStandardsChanged(stationOption, wanted);
    if (!report.problem.empty()) Complain(report.problem);
    if (report.exitCode == kExitOk) std::fputs(MarkChangedText(report).c_str(), stdout);
    return report.exitCode;
}

int Reload(const std::string &stationOption) {
    const ReloadReport report = RunReload(stationOption);
    for (const ReportLine &line : ReloadLines(report)) {
        if (line.complaint)
            Complain(line.text);
        else
            std::printf("%s\n", line.text.c_str());
    }
    return report.exitCode;
}

}  // namespace

void AddMarkChangedCommand(CLI::App &app, CommandLine &line) {
    struct Options {
        std::string stamp;
        long long wanted = 0;
    };
    auto o = std::make_shared<Options>();
    CLI::App *mark = AddCommand(
        app, line, "mark-changed",
        "Set the database's stamp (tb_status_memstd) so that reload reloads.",
        [&line, o] { return MarkChanged(line.station, o->wanted); },
        [o](const CLI::App &command) {
            if (command.count("STAMP") > 0 && !ParseStamp(o->stamp, o->wanted))
                throw CLI::ValidationError("STAMP",
                                           "expected 1 to 2147483647, not \"" + o->stamp + "\"");
        });
    mark->fallthrough();  // --station after the command name too
    mark->add_option("STAMP", o->stamp, "the new stamp, 1 to 2147483647 (default: one more)")
        ->type_name("");
}

void AddReloadCommand(CLI::App &app, CommandLine &line) {
    CLI::App *reload = AddCommand(
        app, line, "reload",
        std::string("Have ") + kLimitsPluginFile + " reload a changed database (ExtParamSave).",
        [&line] { return Reload(line.station); });
    reload->fallthrough();  // --station after the command name too
}

}  // namespace stdhost
