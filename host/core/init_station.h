#pragma once
// init-station: makes a station directory. The embedded default is a SQLite
// database file inside the directory, under the data source
// "station_limits" of the station's own odbc.ini; with a data source of its
// own the station uses an existing one (PostgreSQL, SQL Server) from a given
// odbc.ini. Unless told otherwise the database gets the schema of its
// dialect and the shipped seed data. plinth.ini is written last, so a
// station whose database could not be made is not left looking complete.
#include <optional>

#include <string>
#include <vector>
#include "generator/limit_history.h"

namespace stdhost {

struct InitStationRequest {
    std::string directory;  // the station directory, absolute once checked
    std::string dataDir;    // the shipped data, as given; absolute once checked
    std::string dsn;        // empty: the embedded SQLite database
    std::string odbcIni;    // the odbc.ini that defines `dsn`
    std::string user;
    std::string password;
    bool userGiven = false;          // a user or a password was given, even an empty one
    bool force = false;              // make an existing station anew
    bool noSeed = false;             // leave the tables as they are
    generator::ChangeOrigin origin;  // who the history's baseline names
};

// What makes a request unusable before anything is looked at: the option
// it concerns ("" for a rule of several options) and why.
struct InitRequestProblem {
    std::string option;
    std::string reason;
};

// Checks the rules that single options cannot state and resolves the
// directories of `request` (absolute paths, the data directory). The first
// problem when the request cannot be used.
std::optional<InitRequestProblem> CheckInitRequest(InitStationRequest &request);

struct SeedCount {
    std::string table;
    long long rows = 0;
};

struct InitStationReport {
    int exitCode = 0;     // kExitOk, else kExitFailure with `problem`
    std::string problem;  // for standard error
    std::string directory;
    bool sqlite = true;  // the embedded database (else the data source `dataSource`)
    std::string sqliteFile;
    std::string dataSource;
    std::string dialect;  // the data source's dialect, by name
    std::string user;
    bool seeded = false;  // the schema was made and the seed imported
    std::vector<SeedCount> counts;
    long long baselineId = 0;  // the history's first change set (with the seed)
    long long baselineRows = 0;
};

// Makes the station of a checked `request`.
InitStationReport InitStation(const InitStationRequest &request);

// The station made, its database and the rows seeded.
std::string InitStationText(const InitStationReport &report);

}  // namespace stdhost
