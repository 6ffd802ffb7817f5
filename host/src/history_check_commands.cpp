// stdhost verify and rollback: the history of the standard table checked
// against itself and the table, and one change set put back.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "commands.h"
#include "history_check_render.h"
#include "history_check_work.h"
#include "station.h"

namespace stdhost {
namespace {

bool StandardInputIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stdin)) != 0;
#else
    return ::isatty(STDIN_FILENO) != 0;
#endif
}

int Verify(const std::string &stationOption, bool json) {
    const HistoryVerification verification = VerifyStationHistory(stationOption);
    if (json)
        PrintJson(VerifyJson(verification));
    else
        PrintVerifyText(verification);
    return verification.exitCode;
}

// Shows what the rollback would put back and asks on the terminal; refuses
// without asking when nobody can answer.
bool Confirm(const generator::RollbackResult &preview) {
    PrintRollbackPreview(preview);
    if (!StandardInputIsTerminal()) {
        Complain(
            "standard input is not a terminal: add --yes to put these rows back "
            "(nothing was written)");
        return false;
    }
    std::printf("Put these rows back? [y/N] ");
    std::fflush(stdout);
    std::string answer;
    std::getline(std::cin, answer);
    if (answer == "y" || answer == "Y" || answer == "yes") return true;
    Complain("nothing was written");
    return false;
}

int Rollback(const std::string &stationOption, const RollbackRequest &request, bool yes) {
    const HistoryRollback out =
        RollbackStationChange(stationOption, request, yes ? RollbackConfirm{} : Confirm);
    if (out.result.status == generator::RollbackStatus::kConflicts ||
        (out.result.status == generator::RollbackStatus::kPreview && out.exitCode != kExitOk &&
         !out.result.conflicts.empty()))
        PrintRollbackConflicts(out.result);
    if (out.exitCode == kExitOk) PrintRollbackText(out.result);
    return out.exitCode;
}

}  // namespace

void AddVerifyCommand(CLI::App &app, CommandLine &line) {
    auto json = std::make_shared<bool>(false);
    CLI::App *verify = AddCommand(
        app, line, "verify",
        "Check the history of tb_id_standard: its chain of hashes, each change set's digest, "
        "and the table against it (exit 0 consistent, 1 a difference found, 2 an error).",
        [&line, json] { return Verify(line.station, *json); });
    verify->add_flag("--json", *json, "print the report as JSON");
    verify->fallthrough();
}

void AddRollbackCommand(CLI::App &app, CommandLine &line) {
    struct Options {
        RollbackRequest request;
        bool yes = false;
    };
    auto o = std::make_shared<Options>();
    CLI::App *rollback = AddCommand(
        app, line, "rollback",
        "Put the rows change set ID changed back as they were before it, recorded as a change "
        "set of its own; refused when later changes touched them, unless --force.",
        [&line, o] { return Rollback(line.station, o->request, o->yes); });
    rollback->add_option("ID", o->request.id, "the change set to put back")
        ->required()
        ->check(ChangeSetNumber());
    rollback->add_flag("--yes", o->yes, "do not ask");
    rollback->add_flag("--force", o->request.force,
                       "put the rows back even when later changes touched them");
    rollback
        ->add_option("--operator", o->request.operatorName,
                     "who rolls back (default $STATION_OPERATOR, else the login name)")
        ->type_name("NAME");
    rollback->add_option("--comment", o->request.comment, "why")->type_name("TEXT");
    rollback->fallthrough();
}

}  // namespace stdhost
