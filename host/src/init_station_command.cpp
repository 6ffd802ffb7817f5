// stdhost init-station: makes a station directory. The embedded default is a
// SQLite database file inside the directory, under the data source
// "station_limits" of the station's own odbc.ini; with --dsn the station uses
// an existing data source (PostgreSQL, SQL Server) from a given odbc.ini.
// Unless told otherwise the database gets the schema of its dialect and the
// shipped seed data. plinth.ini is written last, so a station whose database
// could not be made is not left looking complete.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>

#include "commands.h"
#include "platform/atomic_file.h"
#include "station.h"
#include "stationdb/stationdb.h"

namespace stdhost {
namespace {

namespace fs = std::filesystem;

constexpr char kSqliteDataSource[] = "station_limits";
constexpr char kSqliteFile[] = "station.db";
// configDirectory and moduleDirectory of the environment record: 259 bytes
// and a NUL.
constexpr std::size_t kRecordPathBytes = 259;

struct InitOptions {
    std::string directory;
    std::string dataDir;  // --data as given, absolute once checked
    std::string dsn;      // empty: the embedded SQLite database
    std::string odbcIni;
    std::string user;
    std::string password;
    bool force = false;
    bool noSeed = false;
};

// A value that goes into a comma-separated databaseLine field and into the
// connect string "DSN=%s;UID=%s;PWD=%s;".
bool FitsDatabaseLine(const std::string &value) {
    return value.find_first_of(",;\r\n") == std::string::npos;
}

// The rules that options alone cannot state; throws CLI::ValidationError.
void CheckOptions(const CLI::App &command, InitOptions &o) {
    if (o.dsn.empty() != o.odbcIni.empty())
        throw CLI::ValidationError(
            "--dsn and --odbc-ini go together: the data source and the odbc.ini that defines it");
    const bool userGiven = command.count("--user") > 0 || command.count("--password") > 0;
    if (o.dsn.empty() && (userGiven || o.noSeed))
        throw CLI::ValidationError(
            "--user, --password and --no-seed apply to a station on --dsn only");
    if (!FitsDatabaseLine(o.dsn) || !FitsDatabaseLine(o.user) || !FitsDatabaseLine(o.password))
        throw CLI::ValidationError(
            "the data source, user and password cannot hold , ; or line breaks");
    o.directory = AbsolutePath(o.directory);
    // The environment record holds these paths in fields of 259 bytes; a
    // longer one would be cut, and the plug-ins would use another directory.
    for (const char *sub : {"/config", "/modules"}) {
        const std::string path = o.directory + sub;
        if (path.size() > kRecordPathBytes)
            throw CLI::ValidationError(
                "DIR", "the station directory is too long: " + path + " is " +
                           std::to_string(path.size()) + " bytes, and plinth.ini's " +
                           (sub[1] == 'c' ? "configDirectory" : "moduleDirectory") +
                           " holds at most " + std::to_string(kRecordPathBytes));
    }
    o.dataDir = DataDirectory(o.dataDir);
    if (!o.odbcIni.empty()) o.odbcIni = AbsolutePath(o.odbcIni);
}

// Copies the regular file `from` (`kind` names it in messages) of at most
// `bound` bytes.
bool CopyFile(const std::string &from, const std::string &to, const std::string &kind,
              std::size_t bound) {
    std::error_code ec;
    if (fs::equivalent(from, to, ec)) return true;
    std::string bytes;
    if (const platform::ReadResult read = platform::ReadFileAtMost(from, bound, bytes);
        read != platform::ReadResult::kOk) {
        Complain(platform::InputFileProblem(read, from, kind, bound));
        return false;
    }
    if (const platform::AtomicWriteResult written = platform::WriteFileAtomically(to, bytes);
        written != platform::AtomicWriteResult::kOk) {
        Complain("cannot write " + to + ": " + platform::AtomicWriteProblem(written));
        return false;
    }
    return true;
}

void RemoveSqliteFiles(const std::string &directory) {
    std::error_code ec;
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        fs::remove(directory + "/" + kSqliteFile + suffix, ec);
}

// The seed tables: every db/seed/<table>.tsv, in name order.
std::vector<std::string> SeedFiles(const std::string &dataDir) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(dataDir + "/db/seed", ec))
        if (entry.path().extension() == ".tsv") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

const char *SchemaDirectory(stationdb::Dialect dialect) {
    switch (dialect) {
        case stationdb::Dialect::kSqlite:
            return "sqlite";
        case stationdb::Dialect::kPostgreSql:
            return "postgresql";
        case stationdb::Dialect::kSqlServer:
            return "sqlserver";
        default:
            return nullptr;
    }
}

struct SeedCount {
    std::string table;
    long long rows;
};

// Connects as the limits plug-in will and, unless --no-seed, creates the
// schema and imports the seed. Complains and returns false on failure.
bool MakeDatabase(const InitOptions &o, const std::string &connectString, std::string &dialectName,
                  std::vector<SeedCount> &counts) {
    const std::string dsn = o.dsn.empty() ? kSqliteDataSource : o.dsn;
    stationdb::Connection connection;
    std::string step = "connecting to the data source " + dsn;
    try {
        ConnectStation(connection, connectString);
        dialectName = stationdb::DialectName(connection.GetDialect());
        if (o.noSeed) return true;
        const char *schemaDir = SchemaDirectory(connection.GetDialect());
        if (schemaDir == nullptr) {
            Complain("the data source " + dsn + " is " + dialectName +
                     ", which has no schema here (SQLite, PostgreSQL, SQL Server)");
            return false;
        }
        const std::string schemaPath = o.dataDir + "/db/" + schemaDir + "/schema.sql";
        std::string schema;
        if (!platform::ReadWholeFile(schemaPath, schema)) {
            Complain("cannot read the schema " + schemaPath);
            return false;
        }
        step = "creating the tables from " + schemaPath;
        stationdb::ExecuteScript(connection, schema);
        for (const std::string &file : SeedFiles(o.dataDir)) {
            const std::string table = fs::path(file).stem().string();
            step = "importing " + file;
            counts.push_back({table, stationdb::ImportTsv(connection, table, file)});
        }
    } catch (const stationdb::DatabaseError &e) {
        Complain(step + ": " + e.what());
        return false;
    }
    return true;
}

// plinth.ini from the template: the station directory filled in and the
// databaseLine naming the data source (fields 0, 5 and 6 are what the
// limits plug-in connects with).
bool WritePlinthIni(const InitOptions &o) {
    const std::string templatePath = o.dataDir + "/plinth.ini.in";
    std::string text;
    if (!platform::ReadWholeFile(templatePath, text)) {
        Complain("cannot read " + templatePath);
        return false;
    }
    for (std::size_t at; (at = text.find("@STATION_DIR@")) != std::string::npos;)
        text.replace(at, 13, o.directory);
    const std::string key = "databaseLine=";
    std::size_t line = text.find("\n" + key);
    if (line == std::string::npos) {
        Complain(templatePath + " has no databaseLine");
        return false;
    }
    line += 1;
    const std::size_t end = std::min(text.find('\n', line), text.size());
    const std::string dsn = o.dsn.empty() ? kSqliteDataSource : o.dsn;
    text.replace(line, end - line, key + dsn + ",,,,," + o.user + "," + o.password);
    if (platform::WriteFileAtomically(o.directory + "/plinth.ini", text) !=
        platform::AtomicWriteResult::kOk) {
        Complain("cannot write " + o.directory + "/plinth.ini");
        return false;
    }
    return true;
}

// Everything that must be there before anything is changed.
bool CheckInputs(const InitOptions &o) {
    std::error_code ec;
    for (const char *name : {"odbcinst.ini", "plinth.ini.in"}) {
        if (!fs::exists(o.dataDir + "/" + name, ec)) {
            Complain("the data directory " + o.dataDir + " has no " + name +
                     " (build the project, or name it with --data DIR)");
            return false;
        }
    }
    if (!o.noSeed) {
        if (o.dsn.empty() && !fs::exists(o.dataDir + "/db/sqlite/schema.sql", ec)) {
            Complain("the data directory " + o.dataDir + " has no db/sqlite/schema.sql");
            return false;
        }
        if (SeedFiles(o.dataDir).empty()) {
            Complain("the data directory " + o.dataDir + " has no seed data (db/seed/*.tsv)");
            return false;
        }
    }
    if (!o.odbcIni.empty() && !fs::is_regular_file(o.odbcIni, ec)) {
        Complain("no odbc.ini at " + o.odbcIni);
        return false;
    }
    if (o.force) return true;
    for (const char *name : {"plinth.ini", kSqliteFile}) {
        if (fs::exists(o.directory + "/" + name, ec)) {
            Complain(o.directory + " already holds a station (" + name +
                     "); --force makes it anew");
            return false;
        }
    }
    return true;
}

int InitStation(const InitOptions &o) {
    if (!CheckInputs(o)) return kExitFailure;

    // The station's own ODBC files, whatever the caller's environment says:
    // the plug-ins will read these.
    Station station = ResolveStation(o.directory);
    ExportStationEnvironment(station, OdbcFiles::kStations);

    std::error_code ec;
    for (const char *sub : {"", "/config", "/modules"}) {
        fs::create_directories(o.directory + sub, ec);
        if (ec) {
            Complain("cannot create " + o.directory + sub + ": " + ec.message());
            return kExitFailure;
        }
    }
    if (o.force) {
        // A new database: the file and stamp made from the old one would hide it.
        RemoveSqliteFiles(o.directory);
        fs::remove(o.directory + "/plinth.ini", ec);
        fs::remove(o.directory + "/config/StandarFile.sfd", ec);
        fs::remove(o.directory + "/config/memstd.ini", ec);
    }
    const std::string odbcIni = o.directory + "/odbc.ini";
    const auto odbcBound = static_cast<std::size_t>(kOdbcFileBytes);
    if (!CopyFile(o.dataDir + "/odbcinst.ini", o.directory + "/odbcinst.ini", "the ODBC file",
                  odbcBound))
        return kExitFailure;
    // The full standard module the series editor drives for default
    // standards: the limits plug-in under its own name in moduleDirectory.
    if (!CopyFile(station.libraryDir + "/Zk2GBStdALL.std", o.directory + "/modules/Zk2GBStdALL.std",
                  "the full standard module", std::numeric_limits<std::size_t>::max()))
        return kExitFailure;
    if (o.dsn.empty()) {
        const std::string database = o.directory + "/" + kSqliteFile;
        // The driver opens with NoCreat=1: the file must exist. An empty file
        // is an empty SQLite database.
        if (platform::WriteFileAtomically(database, "") != platform::AtomicWriteResult::kOk) {
            Complain("cannot create " + database);
            return kExitFailure;
        }
        if (!stationdb::WriteSqliteDataSource(odbcIni, kSqliteDataSource, database)) {
            Complain("cannot write the data source to " + odbcIni);
            RemoveSqliteFiles(o.directory);
            return kExitFailure;
        }
    } else if (!CopyFile(o.odbcIni, odbcIni, "the ODBC file", odbcBound)) {
        return kExitFailure;
    }

    StationSettings settings;
    settings.dataSource = o.dsn.empty() ? kSqliteDataSource : o.dsn;
    settings.user = o.user;
    settings.password = o.password;
    std::string dialect;
    std::vector<SeedCount> counts;
    if (!MakeDatabase(o, settings.ConnectString(), dialect, counts) || !WritePlinthIni(o)) {
        if (o.dsn.empty()) RemoveSqliteFiles(o.directory);
        return kExitFailure;
    }

    std::printf("station %s\n", o.directory.c_str());
    if (o.dsn.empty())
        std::printf("  database   %s, SQLite (data source %s in odbc.ini)\n", kSqliteFile,
                    kSqliteDataSource);
    else
        std::printf("  database   data source %s, %s%s%s\n", o.dsn.c_str(), dialect.c_str(),
                    o.user.empty() ? "" : ", user ", o.user.c_str());
    if (o.noSeed) {
        std::printf("  tables     left as they are (--no-seed)\n");
    } else {
        long long total = 0;
        for (const SeedCount &c : counts) {
            std::printf("  %-20s %6lld rows\n", c.table.c_str(), c.rows);
            total += c.rows;
        }
        std::printf("  %-20s %6lld rows in %zu tables\n", "seeded", total, counts.size());
    }
    std::printf(
        "  written    plinth.ini, odbc.ini, odbcinst.ini, config/, modules/Zk2GBStdALL.std\n");
    return kExitOk;
}

}  // namespace

void AddInitStationCommand(CLI::App &app, CommandLine &line) {
    auto o = std::make_shared<InitOptions>();
    CLI::App *init = AddCommand(
        app, line, "init-station",
        "Make a station directory and its database (SQLite, or an existing --dsn).",
        [o] { return InitStation(*o); },
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
}

}  // namespace stdhost
