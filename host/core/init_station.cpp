#include "init_station.h"

#include <algorithm>
#include <filesystem>
#include <limits>

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

// A value that goes into a comma-separated databaseLine field and into the
// connect string "DSN=%s;UID=%s;PWD=%s;".
bool FitsDatabaseLine(const std::string &value) {
    return value.find_first_of(",;\r\n") == std::string::npos;
}

std::string DataSource(const InitStationRequest &o) {
    return o.dsn.empty() ? kSqliteDataSource : o.dsn;
}

// Records `why` as the reason the station was not made; false.
bool Fail(InitStationReport &report, const std::string &why) {
    report.problem = why;
    return false;
}

// Copies the regular file `from` (`kind` names it in messages) of at most
// `bound` bytes.
bool CopyFile(const std::string &from, const std::string &to, const std::string &kind,
              std::size_t bound, InitStationReport &report) {
    std::error_code ec;
    if (fs::equivalent(from, to, ec)) return true;
    std::string bytes;
    if (const platform::ReadResult read = platform::ReadFileAtMost(from, bound, bytes);
        read != platform::ReadResult::kOk)
        return Fail(report, platform::InputFileProblem(read, from, kind, bound));
    if (const platform::AtomicWriteResult written = platform::WriteFileAtomically(to, bytes);
        written != platform::AtomicWriteResult::kOk)
        return Fail(report, "cannot write " + to + ": " + platform::AtomicWriteProblem(written));
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

// The schema of the connection's dialect and the seed data. Throws
// stationdb::DatabaseError with `step` saying what was being done.
bool SeedDatabase(const InitStationRequest &o, stationdb::Connection &connection, std::string &step,
                  InitStationReport &report) {
    const char *schemaDir = SchemaDirectory(connection.GetDialect());
    if (schemaDir == nullptr)
        return Fail(report, "the data source " + DataSource(o) + " is " + report.dialect +
                                ", which has no schema here (SQLite, PostgreSQL, SQL Server)");
    const std::string schemaPath = o.dataDir + "/db/" + schemaDir + "/schema.sql";
    std::string schema;
    if (!platform::ReadWholeFile(schemaPath, schema))
        return Fail(report, "cannot read the schema " + schemaPath);
    step = "creating the tables from " + schemaPath;
    stationdb::ExecuteScript(connection, schema);
    for (const std::string &file : SeedFiles(o.dataDir)) {
        const std::string table = fs::path(file).stem().string();
        step = "importing " + file;
        report.counts.push_back({table, stationdb::ImportTsv(connection, table, file)});
    }
    step = "recording the history's baseline";
    const generator::HistoryUpgrade history = generator::UpgradeHistory(connection, o.origin);
    report.baselineId = history.baselineId;
    report.baselineRows = history.baselineRows;
    report.seeded = true;
    return true;
}

// Connects as the limits plug-in will and, unless noSeed, creates the
// schema and imports the seed.
bool MakeDatabase(const InitStationRequest &o, const std::string &connectString,
                  InitStationReport &report) {
    stationdb::Connection connection;
    std::string step = "connecting to the data source " + DataSource(o);
    try {
        ConnectStation(connection, connectString);
        report.dialect = stationdb::DialectName(connection.GetDialect());
        return o.noSeed || SeedDatabase(o, connection, step, report);
    } catch (const stationdb::DatabaseError &e) {
        return Fail(report, step + ": " + e.what());
    }
}

// plinth.ini from the template: the station directory filled in and the
// databaseLine naming the data source (fields 0, 5 and 6 are what the
// limits plug-in connects with).
bool WritePlinthIni(const InitStationRequest &o, InitStationReport &report) {
    const std::string templatePath = o.dataDir + "/plinth.ini.in";
    std::string text;
    if (!platform::ReadWholeFile(templatePath, text))
        return Fail(report, "cannot read " + templatePath);
    for (std::size_t at; (at = text.find("@STATION_DIR@")) != std::string::npos;)
        text.replace(at, 13, o.directory);
    const std::string key = "databaseLine=";
    std::size_t line = text.find("\n" + key);
    if (line == std::string::npos) return Fail(report, templatePath + " has no databaseLine");
    line += 1;
    const std::size_t end = std::min(text.find('\n', line), text.size());
    text.replace(line, end - line, key + DataSource(o) + ",,,,," + o.user + "," + o.password);
    if (platform::WriteFileAtomically(o.directory + "/plinth.ini", text) !=
        platform::AtomicWriteResult::kOk)
        return Fail(report, "cannot write " + o.directory + "/plinth.ini");
    return true;
}

// The shipped data the request needs.
bool CheckData(const InitStationRequest &o, InitStationReport &report) {
    std::error_code ec;
    for (const char *name : {"odbcinst.ini", "plinth.ini.in"})
        if (!fs::exists(o.dataDir + "/" + name, ec))
            return Fail(report, "the data directory " + o.dataDir + " has no " + name +
                                    " (build the project, or name it with --data DIR)");
    if (o.noSeed) return true;
    if (o.dsn.empty() && !fs::exists(o.dataDir + "/db/sqlite/schema.sql", ec))
        return Fail(report, "the data directory " + o.dataDir + " has no db/sqlite/schema.sql");
    if (SeedFiles(o.dataDir).empty())
        return Fail(report,
                    "the data directory " + o.dataDir + " has no seed data (db/seed/*.tsv)");
    return true;
}

// Everything that must be there before anything is changed.
bool CheckInputs(const InitStationRequest &o, InitStationReport &report) {
    if (!CheckData(o, report)) return false;
    std::error_code ec;
    if (!o.odbcIni.empty() && !fs::is_regular_file(o.odbcIni, ec))
        return Fail(report, "no odbc.ini at " + o.odbcIni);
    if (o.force) return true;
    for (const char *name : {"plinth.ini", kSqliteFile})
        if (fs::exists(o.directory + "/" + name, ec))
            return Fail(report, o.directory + " already holds a station (" + name +
                                    "); --force makes it anew");
    return true;
}

// The directories, and with `force` no trace of the old station: the file
// and stamp made from the old database would hide the new one.
bool MakeDirectories(const InitStationRequest &o, InitStationReport &report) {
    std::error_code ec;
    for (const char *sub : {"", "/config", "/modules"}) {
        fs::create_directories(o.directory + sub, ec);
        if (ec) return Fail(report, "cannot create " + o.directory + sub + ": " + ec.message());
    }
    if (o.force) {
        RemoveSqliteFiles(o.directory);
        fs::remove(o.directory + "/plinth.ini", ec);
        fs::remove(o.directory + "/config/StandarFile.sfd", ec);
        fs::remove(o.directory + "/config/memstd.ini", ec);
    }
    return true;
}

// odbcinst.ini, the full standard module and odbc.ini: for the embedded
// database a new, empty SQLite file and its data source.
bool WriteStationFiles(const InitStationRequest &o, const Station &station,
                       InitStationReport &report) {
    const std::string odbcIni = o.directory + "/odbc.ini";
    const auto odbcBound = static_cast<std::size_t>(kOdbcFileBytes);
    if (!CopyFile(o.dataDir + "/odbcinst.ini", o.directory + "/odbcinst.ini", "the ODBC file",
                  odbcBound, report))
        return false;
    // The full standard module the series editor drives for default
    // standards: the limits plug-in under its own name in moduleDirectory.
    if (!CopyFile(station.libraryDir + "/Zk2GBStdALL.std", o.directory + "/modules/Zk2GBStdALL.std",
                  "the full standard module", std::numeric_limits<std::size_t>::max(), report))
        return false;
    if (!o.dsn.empty()) return CopyFile(o.odbcIni, odbcIni, "the ODBC file", odbcBound, report);
    const std::string database = o.directory + "/" + kSqliteFile;
    // The driver opens with NoCreat=1: the file must exist. An empty file
    // is an empty SQLite database.
    if (platform::WriteFileAtomically(database, "") != platform::AtomicWriteResult::kOk)
        return Fail(report, "cannot create " + database);
    if (!stationdb::WriteSqliteDataSource(odbcIni, kSqliteDataSource, database)) {
        RemoveSqliteFiles(o.directory);
        return Fail(report, "cannot write the data source to " + odbcIni);
    }
    return true;
}

}  // namespace

std::optional<InitRequestProblem> CheckInitRequest(InitStationRequest &o) {
    if (o.dsn.empty() != o.odbcIni.empty())
        return InitRequestProblem{"",
                                  "--dsn and --odbc-ini go together: the data source and the "
                                  "odbc.ini that defines it"};
    if (o.dsn.empty() && (o.userGiven || o.noSeed))
        return InitRequestProblem{
            "", "--user, --password and --no-seed apply to a station on --dsn only"};
    if (!FitsDatabaseLine(o.dsn) || !FitsDatabaseLine(o.user) || !FitsDatabaseLine(o.password))
        return InitRequestProblem{
            "", "the data source, user and password cannot hold , ; or line breaks"};
    o.directory = AbsolutePath(o.directory);
    // The environment record holds these paths in fields of 259 bytes; a
    // longer one would be cut, and the plug-ins would use another directory.
    for (const char *sub : {"/config", "/modules"}) {
        const std::string path = o.directory + sub;
        if (path.size() > kRecordPathBytes)
            return InitRequestProblem{
                "DIR", "the station directory is too long: " + path + " is " +
                           std::to_string(path.size()) + " bytes, and plinth.ini's " +
                           (sub[1] == 'c' ? "configDirectory" : "moduleDirectory") +
                           " holds at most " + std::to_string(kRecordPathBytes)};
    }
    o.dataDir = DataDirectory(o.dataDir);
    if (!o.odbcIni.empty()) o.odbcIni = AbsolutePath(o.odbcIni);
    return std::nullopt;
}

InitStationReport InitStation(const InitStationRequest &o) {
    InitStationReport report;
    report.exitCode = kExitFailure;
    report.directory = o.directory;
    report.sqlite = o.dsn.empty();
    report.sqliteFile = kSqliteFile;
    report.dataSource = DataSource(o);
    report.user = o.user;
    if (!CheckInputs(o, report)) return report;

    // The station's own ODBC files, whatever the caller's environment says:
    // the plug-ins will read these.
    Station station = ResolveStation(o.directory);
    ExportStationEnvironment(station, OdbcFiles::kStations);
    if (!MakeDirectories(o, report) || !WriteStationFiles(o, station, report)) return report;

    StationSettings settings;
    settings.dataSource = DataSource(o);
    settings.user = o.user;
    settings.password = o.password;
    if (!MakeDatabase(o, settings.ConnectString(), report) || !WritePlinthIni(o, report)) {
        if (o.dsn.empty()) RemoveSqliteFiles(o.directory);
        return report;
    }
    report.exitCode = kExitOk;
    return report;
}

}  // namespace stdhost
