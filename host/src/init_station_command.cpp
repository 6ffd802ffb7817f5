// stdhost init-station: makes a station directory and its database
// (init_station.h).
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "commands.h"
#include "init_station.h"
#include "station.h"
#include "upgrade_station.h"

namespace stdhost {
namespace {

// The rules that options alone cannot state; throws CLI::ValidationError.
void CheckOptions(const CLI::App &command, InitStationRequest &o) {
    o.userGiven = command.count("--user") > 0 || command.count("--password") > 0;
    if (const auto problem = CheckInitRequest(o)) {
        if (problem->option.empty()) throw CLI::ValidationError(problem->reason);
        throw CLI::ValidationError(problem->option, problem->reason);
    }
}

int RunInitStation(const InitStationRequest &o) {
    const InitStationReport report = InitStation(o);
    if (report.exitCode != kExitOk) {
        Complain(report.problem);
        return report.exitCode;
    }
    std::fputs(InitStationText(report).c_str(), stdout);
    return kExitOk;
}

}  // namespace

void AddInitStationCommand(CLI::App &app, CommandLine &line) {
    auto o = std::make_shared<InitStationRequest>();
    CLI::App *init = AddCommand(
        app, line, "init-station",
        "Make a station directory and its database (SQLite, or an existing --dsn).",
        [o] { return RunInitStation(*o); },
        [o](const CLI::App &command) { CheckOptions(command, *o); });
    init->add_option("DIR", o->directory, "the station directory to make (and its parents)")
        ->type_name("")
        ->required();
    init->add_flag("--force", o->force,
                   "make an existing station anew, without its old standard file");
    init->add_option("--data", o->dataDir, "the shipped data (default ../share/station-limits)")
        ->type_name("DIR")
        ->take_last();
    const CLI::Validator notEmpty(
        [](std::string &text) { return text.empty() ? "must not be empty" : ""; }, "");
    init->add_option("--dsn", o->dsn, "an existing data source, defined in --odbc-ini")
        ->type_name("NAME")
        ->take_last()
        ->check(notEmpty);
    init->add_option("--odbc-ini", o->odbcIni, "the odbc.ini that defines --dsn, to copy")
        ->type_name("FILE")
        ->take_last()
        ->check(notEmpty);
    init->add_option("--user", o->user, "the user the plug-in connects as (with --dsn)")
        ->type_name("U")
        ->take_last();
    init->add_option("--password", o->password, "the user's password (with --dsn)")
        ->type_name("P")
        ->take_last();
    init->add_flag("--no-seed", o->noSeed, "leave the tables as they are (with --dsn)");
    AddOriginOptions(init, o->origin, "stdhost init-station");
}

void AddUpgradeStationCommand(CLI::App &app, CommandLine &line) {
    auto origin = std::make_shared<generator::ChangeOrigin>();
    CLI::App *upgrade = AddCommand(
        app, line, "upgrade-station",
        "Add what this release keeps in the station's database and the station lacks: the "
        "history of tb_id_standard, starting with a baseline of the whole table. Safe to run "
        "again.",
        [&line, origin] {
            const StationUpgrade result = UpgradeStation(line.station, *origin);
            if (result.exitCode == kExitOk) std::fputs(StationUpgradeText(result).c_str(), stdout);
            return result.exitCode;
        });
    AddOriginOptions(upgrade, *origin, "stdhost upgrade-station");
    upgrade->fallthrough();
}

}  // namespace stdhost
