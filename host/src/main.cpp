// stdhost: a command-line inspection host for the limits plug-ins.
#include <CLI/CLI.hpp>

#include "commands.h"
#include "station.h"

int main(int argc, char **argv) {
    CLI::App app("A command-line inspection host for the limits plug-ins.", "stdhost");
    stdhost::CommandLine line;
    app.add_option("--station", line.station,
                   "the station directory (default $STATION_DIR, else ./station)")
        ->type_name("DIR")
        ->take_last();
    app.require_subcommand(1);
    stdhost::AddJudgeCommand(app, line);
    stdhost::AddInitStationCommand(app, line);
    stdhost::AddReloadCommand(app, line);
    stdhost::AddMarkChangedCommand(app, line);
    stdhost::AddBuildStandardsCommand(app, line);
    stdhost::AddShowStandardsCommand(app, line);
    stdhost::AddSeriesCommands(app, line);
    stdhost::AddEditorCommand(app, line);
    app.footer(
        "A station directory holds plinth.ini, odbc.ini, odbcinst.ini, the SQLite database\n"
        "station.db and config/. Each command has its own --help.\n"
        "Exit codes: 0 done, 1 failed, 2 bad usage, 3 a plug-in or libplinth.so cannot be\n"
        "loaded, 4 the vehicle was not taken, 5 no limits for the vehicle, 6 an unknown\n"
        "brand, series or parameter, 7 a malformed file (nothing written), 8 the station's\n"
        "database cannot be reached.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        return stdhost::ReportParseError(app, e);
    }
    return line.run ? line.run() : stdhost::kExitUsage;
}
