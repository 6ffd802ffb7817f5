// stdhost standards export, diff and apply: the station's national rows as a
// package, what a package would change, and the checked, recorded update.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "commands.h"
#include "generator/modify_stamp.h"
#include "json_output.h"
#include "platform/atomic_file.h"
#include "standards_package_fields.h"
#include "standards_update.h"
#include "standards_update_render.h"
#include "station.h"

namespace stdhost {
namespace {

std::string Today() {
    const std::string t = generator::TodayStamp();  // YYYYMMDD
    return t.substr(0, 4) + "-" + t.substr(4, 2) + "-" + t.substr(6, 2);
}

int Export(const std::string &station, const std::string &file, ExportOptions options) {
    if (options.header.effective.empty()) options.header.effective = Today();
    if (options.header.version.empty()) options.header.version = Today();
    if (options.header.issuer.empty()) options.header.issuer = generator::ResolvedOperator("");
    const StandardsExportResult result = ExportStandards(station, file, options);
    if (result.exitCode != kExitOk) {
        if (!result.problem.empty()) Complain(result.problem);
        return result.exitCode;
    }
    std::fputs(StandardsExportText(result).c_str(), file == "-" ? stderr : stdout);
    return kExitOk;
}

struct DiffOptions {
    std::string file, html;
    bool json = false;
};

int Diff(const std::string &station, const DiffOptions &o) {
    const StandardsDiffResult result = DiffStandards(station, o.file);
    if (result.exitCode != kExitOk) {
        if (!result.problem.empty()) Complain(result.problem);
        return result.exitCode;
    }
    const int changes = result.diff.HasChanges() ? kExitFailure : kExitOk;
    if (!o.html.empty()) {
        const platform::AtomicWriteResult written =
            platform::WriteFileAtomically(o.html, StandardsDiffHtml(result.diff));
        if (written != platform::AtomicWriteResult::kOk) {
            Complain("cannot write " + o.html + ": " + platform::AtomicWriteProblem(written));
            return kExitUsage;
        }
        std::printf("wrote %s\n", o.html.c_str());
        return changes;
    }
    if (o.json)
        PrintJson(StandardsDiffJson(result.diff));
    else
        std::fputs(StandardsDiffText(result.diff).c_str(), stdout);
    return changes;
}

int Apply(const std::string &station, const std::string &file, const ApplyOptions &options) {
    const StandardsApplyResult result = ApplyStandards(station, file, options);
    if (result.outcome != ApplyOutcome::kFailed && result.outcome != ApplyOutcome::kNothingToDo)
        std::fputs(StandardsDiffText(result.diff).c_str(), stdout);
    std::fputs(StandardsApplyText(result).c_str(), stdout);
    std::fflush(stdout);
    if (!result.problem.empty()) Complain(result.problem);
    return result.exitCode;
}

}  // namespace

void AddStandardsUpdateCommands(CLI::App &standards, CommandLine &line) {
    struct ExportArgs {
        std::string file;
        ExportOptions options;
    };
    auto ex = std::make_shared<ExportArgs>();
    CLI::App *exportCommand = AddCommand(
        standards, line, "export", "Write the station's national rows as a standards package.",
        [ex, &line] { return Export(line.station, ex->file, ex->options); },
        [ex](const CLI::App &) {
            const std::string &date = ex->options.header.effective;
            if (!date.empty())
                if (std::string problem = package::DateProblem(date); !problem.empty())
                    throw CLI::ValidationError("--effective", problem);
        });
    exportCommand->add_option("FILE", ex->file, "the package to write (\"-\": standard output)")
        ->type_name("")
        ->required();
    PackageHeader &h = ex->options.header;
    h.name = "national standards";
    exportCommand->add_option("--name", h.name, "the package's name")->capture_default_str();
    exportCommand->add_option("--version", h.version, "its version (default: today's date)");
    exportCommand->add_option("--effective", h.effective,
                              "the date it takes effect, YYYY-MM-DD (default: today)");
    exportCommand->add_option("--issuer", h.issuer,
                              "who issues it (default: $STATION_OPERATOR, else the login name)");

    auto diff = std::make_shared<DiffOptions>();
    CLI::App *diffCommand =
        AddCommand(standards, line, "diff",
                   "What applying a package would change: rows per item and coverage.",
                   [diff, &line] { return Diff(line.station, *diff); });
    diffCommand->add_option("FILE", diff->file, "the package")->type_name("")->required();
    diffCommand->add_flag("--json", diff->json, "print JSON");
    diffCommand->add_option("--html", diff->html, "write one HTML page instead")
        ->type_name("OUT")
        ->excludes(diffCommand->get_option("--json"));
    diffCommand->footer(
        "Exit 0: the package changes nothing; 1: it changes rows; 7: the package is refused.");

    struct ApplyArgs {
        std::string file;
        ApplyOptions options;
    };
    auto apply = std::make_shared<ApplyArgs>();
    CLI::App *applyCommand = AddCommand(
        standards, line, "apply",
        "Replace the station's national rows with a signed package's, as one recorded change.",
        [apply, &line] { return Apply(line.station, apply->file, apply->options); });
    applyCommand->add_option("FILE", apply->file, "the package; its signature is FILE.sig")
        ->type_name("")
        ->required();
    applyCommand->add_flag("--dry-run", apply->options.dryRun, "do everything but the commit");
    applyCommand->add_flag("--force", apply->options.force,
                           "apply although vehicles would lose their limits");
    applyCommand->add_flag("--unsigned", apply->options.unsignedOk,
                           "apply without a signature of a trusted key");
    AddOriginOptions(applyCommand, apply->options.origin, "stdhost standards apply");
    applyCommand->footer(
        "The station trusts the public keys (NAME.pub) in its config/trusted-keys/.\n"
        "Exit 0: applied, or nothing to change; 1: refused or failed, nothing written;\n"
        "7: the package or its signature is refused.");
}

}  // namespace stdhost
