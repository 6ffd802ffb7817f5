#pragma once
// stdhost's commands. Each is a CLI11 subcommand, added to the program's
// CLI::App by its Add...Command function; main parses the command line and
// runs what the chosen command left in CommandLine::run.
#include <functional>
#include <string>
#include <vector>

#include "generator/limit_history.h"
#include "standard_file_text.h"
#include "vehicle_file.h"

namespace CLI {
class App;
class ParseError;
class Validator;
}  // namespace CLI

namespace stdhost {

// What the command line says: the program's own options and the work of the
// one command it chose.
struct CommandLine {
    std::string station;  // --station DIR; "" for $STATION_DIR, else ./station
    // Set once the chosen command's options are parsed and checked; gives
    // the exit code.
    std::function<int()> run;
};

// Adds the subcommand `name` to `parent` (the program, or a command that
// groups subcommands). When the command line chooses it, `check` (if given)
// runs with the parsed command after CLI11's own checks and throws
// CLI::ValidationError for bad usage, which exits with kExitUsage like
// CLI11's errors; then `work` becomes line.run. What the options are bound to
// must outlive the run: keep it in a shared_ptr that the lambdas capture.
CLI::App *AddCommand(CLI::App &parent, CommandLine &line, const std::string &name,
                     const std::string &description, std::function<int()> work,
                     std::function<void(const CLI::App &command)> check = {});

// --operator NAME and --comment TEXT of a command that writes the standard
// table: who and why the history records. `origin.program` is set here.
void AddOriginOptions(CLI::App *command, generator::ChangeOrigin &origin,
                      const std::string &program);

// The check of a change set number argument: a whole number of 1 or more.
CLI::Validator ChangeSetNumber();

// Reports a parse error of `app` the way every command does: help goes to
// standard output (kExitOk), anything else to standard error with a pointer
// to the chosen command's --help (kExitUsage).
int ReportParseError(const CLI::App &app, const CLI::ParseError &error);

// LoadVehicleFile and LoadDefaultVehicleFile for a command's options: a
// VehicleFileError becomes the CLI::ValidationError with the same text, bad
// usage like any other.
std::vector<InfoValue> ReadVehicleFile(const std::string &path, const std::string &option);
std::vector<InfoValue> ReadDefaultVehicleFile(const std::string &path, const std::string &option);

// judge: loads the plug-ins and prints the limits of one vehicle.
void AddJudgeCommand(CLI::App &app, CommandLine &line);
// init-station DIR: a station directory with its database.
void AddInitStationCommand(CLI::App &app, CommandLine &line);
// upgrade-station: the history tables and their baseline on an existing station.
void AddUpgradeStationCommand(CLI::App &app, CommandLine &line);
// reload: has the limits plug-in reload its table from the database.
void AddReloadCommand(CLI::App &app, CommandLine &line);
// mark-changed [STAMP]: sets tb_status_memstd's stamp (by default one more),
// as a standards editor does after a change, so that the next reload reloads.
void AddMarkChangedCommand(CLI::App &app, CommandLine &line);
// build-standards SOURCE.tsv OUT.sfd: a standard file from a readable table.
void AddBuildStandardsCommand(CLI::App &app, CommandLine &line);
// show-standards FILE.sfd: what a standard file holds, in the readable form.
void AddShowStandardsCommand(CLI::App &app, CommandLine &line);

// standards export, diff and apply, under the standards group.
void AddStandardsUpdateCommands(CLI::App &standards, CommandLine &line);

// brands, series-list and the series group (show, generate, export,
// import), mask show|set|clear and clear-standards: the series editor's work.
void AddSeriesCommands(CLI::App &app, CommandLine &line);
// series export FILE / series import FILE, under the series group.
void AddSeriesTransferCommands(CLI::App &series, CommandLine &line);
// mask show|set|clear and clear-standards.
void AddMaskCommands(CLI::App &app, CommandLine &line);

// audit [--sfd FILE] [--json] [--html FILE]: the coverage of the standard
// table; exit 0 covered, 1 gaps, 2 usage or database error.
void AddAuditCommand(CLI::App &app, CommandLine &line);

// history [filters] [--json] [--html FILE], history show ID, history --as-of:
// the recorded changes of the standard table.
void AddHistoryCommand(CLI::App &app, CommandLine &line);
// verify [--json]: the history of tb_id_standard checked; exit 0 consistent,
// 1 a difference found, 2 an error.
void AddVerifyCommand(CLI::App &app, CommandLine &line);
// rollback ID [--yes] [--force] [--operator NAME] [--comment TEXT].
void AddRollbackCommand(CLI::App &app, CommandLine &line);

// The standards group (standards keygen NAME, standards sign FILE --key
// SECRET); the other standards commands join the group it returns.
CLI::App *AddStandardsGroup(CLI::App &app, CommandLine &line);

// editor [--screenshot FILE [--dialog D] [--brand B --series S]] [--size WxH]:
// the standards editor (libsergen.so) on the station, or a dialog of it as a PNG.
void AddEditorCommand(CLI::App &app, CommandLine &line);

}  // namespace stdhost
