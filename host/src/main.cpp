// stdhost: a command-line inspection host for the limits plug-ins.
#include <CLI/CLI.hpp>

#include "commands.h"
#include "host_platform.h"
#include "station.h"

int main(int argc, char **argv) {
    stdhost::PrepareStandardStreams();
    CLI::App app("A command-line inspection host for the limits plug-ins.", "stdhost");
    stdhost::CommandLine line;
    app.add_option("--station", line.station,
                   "the station directory (default $STATION_DIR, else ./station)")
        ->type_name("DIR")
        ->take_last();
    app.require_subcommand(1);
    stdhost::AddJudgeCommand(app, line);
    stdhost::AddInitStationCommand(app, line);
    stdhost::AddUpgradeStationCommand(app, line);
    stdhost::AddReloadCommand(app, line);
    stdhost::AddMarkChangedCommand(app, line);
    stdhost::AddBuildStandardsCommand(app, line);
    stdhost::AddShowStandardsCommand(app, line);
    stdhost::AddSeriesCommands(app, line);
    stdhost::AddEditorCommand(app, line);
    stdhost::AddAuditCommand(app, line);
    stdhost::AddHistoryCommand(app, line);
    stdhost::AddVerifyCommand(app, line);
    stdhost::AddRollbackCommand(app, line);
    CLI::App *standards = stdhost::AddStandardsGroup(app, line);
    stdhost::AddStandardsUpdateCommands(*standards, line);
    app.footer(
        "A station directory holds plinth.ini, odbc.ini, odbcinst.ini, the SQLite database\n"
        "station.db and config/. Each command has its own --help.\n"
        "Exit codes: 0 done, 1 failed, 2 bad usage, 3 a plug-in or the environment library\n"
        "cannot be loaded, 4 the vehicle was not taken, 5 no limits for the vehicle, 6 an unknown\n"
        "brand, series or parameter, 7 a malformed file (nothing written; show-standards: a\n"
        "damaged standard file), 8 the station's database cannot be reached (or plinth.ini\n"
        "is missing or names no data source), 9 reload: the\n"
        "database was reached but its pass failed (locked, busy), nothing reloaded, 10 reload:\n"
        "the database was read but the standard file could not be written. audit exits 0\n"
        "when the table covers every reachable condition, 1 when not, 2 on any error.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        return stdhost::ReportParseError(app, e);
    }
    if (!line.run) return stdhost::kExitUsage;
    // Every command refuses a --station that names a file, whether it uses
    // the station or not: the caller meant something else.
    if (!line.station.empty())
        if (int rc = stdhost::CheckStationDirectory(stdhost::AbsolutePath(line.station));
            rc != stdhost::kExitOk)
            return rc;
    return line.run();
}
