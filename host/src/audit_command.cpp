// stdhost audit: which vehicles the station's standard table leaves without
// limits, and which of its conditions no vehicle reaches.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "audit_report.h"
#include "audit_work.h"
#include "commands.h"
#include "json_output.h"
#include "platform/atomic_file.h"
#include "station.h"

namespace stdhost {
namespace {

// Exit codes of the audit: a station runs it after every edit.
constexpr int kAuditCovered = 0;
constexpr int kAuditGaps = 1;
constexpr int kAuditError = 2;

struct AuditOptions {
    std::string sfd;
    bool json = false;
    std::string html;
};

int Audit(const std::string &stationOption, const AuditOptions &options) {
    AuditRequest request;
    request.sfd = options.sfd;
    if (!options.sfd.empty()) request.sfdDamage = StandardFileDamage(options.sfd);
    const std::optional<AuditReport> report = AuditStation(stationOption, request);
    if (!report) return kAuditError;
    if (!options.html.empty()) {
        const platform::AtomicWriteResult written =
            platform::WriteFileAtomically(options.html, AuditHtml(*report));
        if (written != platform::AtomicWriteResult::kOk) {
            Complain("cannot write " + options.html + ": " + platform::AtomicWriteProblem(written));
            return kAuditError;
        }
    }
    if (options.json)
        PrintJson(Json(*report));
    else
        std::fputs(AuditText(*report).c_str(), stdout);
    return report->covered ? kAuditCovered : kAuditGaps;
}

}  // namespace

void AddAuditCommand(CLI::App &app, CommandLine &line) {
    auto o = std::make_shared<AuditOptions>();
    CLI::App *audit = AddCommand(
        app, line, "audit",
        "The standard table's coverage: vehicles it leaves without limits, conditions no "
        "vehicle reaches (exit 0 covered, 1 not, 2 an error).",
        [&line, o] { return Audit(line.station, *o); });
    audit->fallthrough();
    audit->add_option("--sfd", o->sfd, "audit this standard file instead of the database's table")
        ->type_name("FILE")
        ->check(CLI::ExistingFile);
    audit->add_flag("--json", o->json, "print the report as JSON");
    audit->add_option("--html", o->html, "also write the report as one HTML page")
        ->type_name("FILE");
}

}  // namespace stdhost
