#include "test_database.h"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/ini_file.h"

namespace testdb {
namespace {

std::string OdbcIni() {
    const char *path = std::getenv("ODBCINI");
    return path != nullptr ? path : "";
}

std::string PostgresSource() {
    const char *name = std::getenv("STATION_TEST_PG");
    return name != nullptr ? name : "";
}

std::string SchemaFile(const char *dialect) {
    std::string bytes;
    std::string path = std::string(STATION_TEST_SOURCE_DIR) + "/db/" + dialect + "/schema.sql";
    if (!platform::ReadWholeFile(path, bytes)) throw std::runtime_error("cannot read " + path);
    return bytes;
}

std::atomic<int> counter{0};

}  // namespace

std::vector<std::string> Backends() {
    std::vector<std::string> backends{"sqlite"};
    if (!PostgresSource().empty()) backends.push_back("postgresql");
    return backends;
}

std::string BackendName(const ::testing::TestParamInfo<std::string> &info) {
    return info.param;
}

std::string PostgresServerConnectString() {
    std::string source = PostgresSource();
    if (source.empty()) return "";
    return stationdb::ConnectStringFor(
        source, platform::GetProfileString(OdbcIni(), source, "Username", ""),
        platform::GetProfileString(OdbcIni(), source, "Password", ""));
}

TestDatabase::TestDatabase(const std::string &backend) : backend_(backend) {
    int n = ++counter;
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, "%d_%d", static_cast<int>(::getpid()), n);
    if (backend == "sqlite") {
        dir_ = std::make_unique<testing_support::TempDir>();
        std::string file = dir_->File("station.db");
        // A file of no bytes is an empty SQLite database; the data source
        // says NoCreat=1, so the file must exist before the first connect.
        testing_support::WriteBytes(file, "");
        dsn_ = std::string("station_sqlite_") + suffix;
        if (!stationdb::WriteSqliteDataSource(OdbcIni(), dsn_, file))
            throw std::runtime_error("cannot add data source " + dsn_);
        stationdb::ExecuteScript(Admin(), SchemaFile("sqlite"));
    } else if (backend == "postgresql") {
        std::string source = PostgresSource();
        if (source.empty()) throw std::runtime_error("STATION_TEST_PG is not set");
        std::string ini = OdbcIni();
        user_ = platform::GetProfileString(ini, source, "Username", "");
        password_ = platform::GetProfileString(ini, source, "Password", "");
        schema_ = std::string("t") + suffix;
        {
            stationdb::Connection server;
            server.Open(PostgresServerConnectString());
            server.Execute("CREATE SCHEMA " + schema_);
        }
        try {
            AddPostgresSource(ini, source, suffix);
        } catch (...) {
            DropSchema();
            throw;
        }
    } else {
        throw std::runtime_error("unknown backend " + backend);
    }
}

void TestDatabase::AddPostgresSource(const std::string &ini, const std::string &source,
                                     const std::string &suffix) {
    auto settings = platform::GetProfileSection(ini, source);
    settings.erase(std::remove_if(settings.begin(), settings.end(),
                                  [](const auto &kv) {
                                      return strcasecmp(kv.first.c_str(), "ConnSettings") == 0;
                                  }),
                   settings.end());
    settings.emplace_back("ConnSettings", "SET search_path TO " + schema_);
    dsn_ = std::string("station_pg_") + suffix;
    if (!stationdb::WriteDataSource(ini, dsn_, settings))
        throw std::runtime_error("cannot add data source " + dsn_);
    stationdb::ExecuteScript(Admin(), SchemaFile("postgresql"));
}

TestDatabase::~TestDatabase() {
    DropSchema();  // the SQLite file goes with its directory
}

void TestDatabase::DropSchema() noexcept {
    admin_.reset();
    if (schema_.empty()) return;
    try {
        stationdb::Connection server;
        server.Open(PostgresServerConnectString());
        server.Execute("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
    } catch (const std::exception &e) {
        std::fprintf(stderr, "cannot drop schema %s: %s\n", schema_.c_str(), e.what());
    }
}

std::string TestDatabase::ConnectString() const {
    return stationdb::ConnectStringFor(dsn_, user_, password_);
}

stationdb::Connection &TestDatabase::Admin() {
    if (!admin_ || !admin_->IsOpen()) {
        admin_.reset();
        auto connection = std::make_unique<stationdb::Connection>();
        connection->Open(ConnectString());
        admin_ = std::move(connection);
    }
    return *admin_;
}

void TestDatabase::Exec(const std::string &sql, const std::vector<std::string> &gbkParams) {
    Admin().Execute(sql, gbkParams);
}

stationdb::Dialect TestDatabase::GetDialect() {
    return Admin().GetDialect();
}

void TestDatabase::ImportSeed(const std::string &seedDir) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator(seedDir, ec))
        if (entry.path().extension() == ".tsv") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto &file : files)
        stationdb::ImportTsv(Admin(), file.stem().string(), file.string());
}

std::unique_ptr<TestDatabase> MakeEditorStation(const testing_support::TempDir &dir) {
    namespace fs = std::filesystem;
    fs::create_directory(dir.File("config"));
    fs::create_directory(dir.File("modules"));
    fs::copy_file(std::string(STATION_TEST_LIB_DIR) + "/Zk2GBStdALL.std",
                  dir.File("modules/Zk2GBStdALL.std"));
    auto db = std::make_unique<TestDatabase>("sqlite");
    db->ImportSeed(std::string(STATION_TEST_DATA_DIR) + "/db/seed");
    testing_support::WriteBytes(dir.File("plinth.ini"),
                                "[env]\nconfigDirectory=" + dir.File("config") +
                                    "\nmoduleDirectory=" + dir.File("modules") +
                                    "\ndatabaseLine=" + db->Dsn() + ",,,,,,\n");
    ::setenv("PLINTH_ENV", dir.File("plinth.ini").c_str(), 1);
    return db;
}

}  // namespace testdb
