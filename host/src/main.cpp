// stdhost: a command-line inspection host for the limits plug-ins.
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "station.h"

namespace {

void Usage() {
    std::fprintf(
        stderr,
        "usage: stdhost [--station DIR] COMMAND [ARGS]\n"
        "commands:\n"
        "  judge [--set ID=TEXT]... [--vehicle FILE] [--items ID,ID...] [--json] [--explain]\n"
        "      hand one vehicle to liblimbank.so and print its limits\n"
        "  init-station DIR [--force] [--data DIR]\n"
        "      make a station directory with a SQLite database holding the seed data\n"
        "  init-station DIR --dsn NAME --odbc-ini FILE [--user U] [--password P] [--no-seed]\n"
        "      make a station on an existing data source (PostgreSQL, SQL Server)\n"
        "  reload\n"
        "      have liblimbank.so reload its table if the database changed (ExtParamSave)\n"
        "  mark-changed [STAMP]\n"
        "      set the database's stamp (tb_status_memstd), by default to one more\n"
        "  build-standards SOURCE.tsv OUT.sfd\n"
        "      write a standard file from a readable table (UTF-8, tab-separated)\n"
        "  show-standards FILE.sfd\n"
        "      print what a standard file holds, in the same readable form\n"
        "The station directory (default $STATION_DIR, else ./station) holds plinth.ini,\n"
        "odbc.ini, odbcinst.ini, the SQLite database station.db and config/.\n");
}

}  // namespace

int main(int argc, char **argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string station;
    std::size_t i = 0;
    while (i < args.size() && args[i].rfind("--", 0) == 0) {
        if (args[i] == "--station" && i + 1 < args.size()) {
            station = args[i + 1];
            i += 2;
        } else if (args[i] == "--help") {
            Usage();
            return stdhost::kExitOk;
        } else {
            Usage();
            return stdhost::kExitUsage;
        }
    }
    if (i >= args.size()) {
        Usage();
        return stdhost::kExitUsage;
    }
    const std::string command = args[i];
    const stdhost::Args rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
    if (command == "judge") return stdhost::JudgeCommand(station, rest);
    if (command == "init-station") return stdhost::InitStationCommand(rest);
    if (command == "reload") return stdhost::ReloadCommand(station, rest);
    if (command == "mark-changed") return stdhost::MarkChangedCommand(station, rest);
    if (command == "build-standards") return stdhost::BuildStandardsCommand(rest);
    if (command == "show-standards") return stdhost::ShowStandardsCommand(rest);
    stdhost::Complain("unknown command " + command);
    Usage();
    return stdhost::kExitUsage;
}
