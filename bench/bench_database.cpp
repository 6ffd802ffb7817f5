#include "bench_database.h"

#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/ini_file.h"

namespace bench {

void PopulateCatalogue(stationdb::Connection &connection) {
    // UTF-8 name stems, as the database holds them.
    const std::string deviceStem = "\xE8\xAE\xBE\xE5\xA4\x87";  // device
    const std::string itemStem = "\xE9\xA1\xB9\xE7\x9B\xAE";    // item
    const std::string paramStem = "\xE5\x8F\x82\xE6\x95\xB0";   // parameter
    stationdb::Transaction transaction(connection);
    stationdb::Statement device(connection,
                                "insert into tb_line_info (devid, devname) values (?, ?)");
    stationdb::Statement item(connection,
                              "insert into tb_id_item (ItemId, ItemName) values (?, ?)");
    stationdb::Statement param(
        connection,
        "insert into tb_id_param (devid, ItemId, ParamId, ParamName) values (?, ?, ?, ?)");
    for (int d = 0; d < kCatalogueDevices; ++d) {
        const int devid = d + 1;
        device.BindInt(1, devid);
        device.BindUtf8(2, deviceStem + std::to_string(devid));
        device.Execute();
        for (int i = 0; i < kCatalogueItems; ++i) {
            const int itemid = 10001 + d * kCatalogueItems + i;
            item.BindInt(1, itemid);
            item.BindUtf8(2, itemStem + std::to_string(itemid));
            item.Execute();
            for (int p = 0; p < kCatalogueParams; ++p) {
                const int paramid = 101 + p;
                param.BindInt(1, devid);
                param.BindInt(2, itemid);
                param.BindInt(3, paramid);
                param.BindUtf8(4, paramStem + std::to_string(itemid * 1000 + paramid));
                param.Execute();
            }
        }
    }
    transaction.Commit();
}

namespace {

std::string g_odbcIni;
std::string g_workDir;

}  // namespace

bool SetUpPrivateOdbc(const char *prefix) {
    std::string sysIni = STATION_BENCH_DATA_DIR;
    if (!std::filesystem::exists(sysIni + "/odbcinst.ini"))
        sysIni = std::string(STATION_BENCH_SOURCE_DIR) + "/stationdb";
    ::setenv("ODBCSYSINI", sysIni.c_str(), 1);

    const char *base = std::getenv("TMPDIR");
    std::string tmpl =
        std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/" + prefix + "-XXXXXX";
    bool done = ::mkdtemp(tmpl.data()) != nullptr;
    if (done) {
        g_workDir = tmpl;
        g_odbcIni = g_workDir + "/odbc.ini";
        std::string bytes;
        const char *inherited = std::getenv("ODBCINI");
        if (inherited == nullptr || !platform::ReadWholeFile(inherited, bytes)) bytes.clear();
        done = platform::WriteFileAtomically(g_odbcIni, bytes) == platform::AtomicWriteResult::kOk;
    }
    if (!done) {
        std::fprintf(stderr, "cannot set up a private odbc.ini\n");
        return false;
    }
    ::setenv("ODBCINI", g_odbcIni.c_str(), 1);
    return true;
}

const std::string &OdbcIni() {
    return g_odbcIni;
}

const std::string &WorkDir() {
    return g_workDir;
}

void RemoveWorkDir() {
    if (g_workDir.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(g_workDir, ec);
}

std::vector<std::string> BenchDialects() {
    std::vector<std::string> dialects{"sqlite"};
    const char *pg = std::getenv("STATION_TEST_PG");
    if (pg != nullptr && pg[0] != '\0') dialects.push_back("postgresql");
    return dialects;
}

std::string MakeSqliteSource(const std::string &dsn, const std::string &file) {
    // The data source says NoCreat=1: an empty file is an empty database.
    if (platform::WriteFileAtomically(file, "") != platform::AtomicWriteResult::kOk)
        throw std::runtime_error("cannot create " + file);
    if (!stationdb::WriteSqliteDataSource(g_odbcIni, dsn, file))
        throw std::runtime_error("cannot add data source " + dsn);
    return stationdb::ConnectStringFor(dsn, "", "");
}

// The data source's user is read from its Username key and passed as UID (an
// empty UID would override it).
PostgresSchema::PostgresSchema(const std::string &prefix) {
    const char *source = std::getenv("STATION_TEST_PG");
    if (source == nullptr || source[0] == '\0') throw std::runtime_error("no PostgreSQL");
    const std::string user = platform::GetProfileString(g_odbcIni, source, "Username", "");
    const std::string password = platform::GetProfileString(g_odbcIni, source, "Password", "");
    serverConnectString_ = stationdb::ConnectStringFor(source, user, password);
    const std::string pid = std::to_string(static_cast<long>(::getpid()));
    const std::string schema = prefix + "_" + pid;
    {
        stationdb::Connection server;
        server.Open(serverConnectString_);
        server.Execute("CREATE SCHEMA " + schema);
    }
    schema_ = schema;  // from here on the destructor drops it
    try {
        auto settings = platform::GetProfileSection(g_odbcIni, source);
        std::erase_if(settings, [](const auto &kv) {
            return strcasecmp(kv.first.c_str(), "ConnSettings") == 0;
        });
        settings.emplace_back("ConnSettings", "SET search_path TO " + schema_);
        const std::string dsn = prefix + "_pg_" + pid;
        if (!stationdb::WriteDataSource(g_odbcIni, dsn, settings))
            throw std::runtime_error("cannot add data source " + dsn);
        connectString_ = stationdb::ConnectStringFor(dsn, user, password);
    } catch (...) {
        Drop();
        throw;
    }
}

PostgresSchema::~PostgresSchema() {
    Drop();
}

void PostgresSchema::Drop() noexcept {
    if (schema_.empty()) return;
    try {
        stationdb::Connection server;
        server.Open(serverConnectString_);
        server.Execute("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
    } catch (const std::exception &e) {
        std::fprintf(stderr, "schema %s not dropped: %s\n", schema_.c_str(), e.what());
    } catch (...) {
        std::fprintf(stderr, "schema %s not dropped\n", schema_.c_str());
    }
    schema_.clear();
}

EmptyDatabase::EmptyDatabase(const std::string &dialect, const std::string &prefix) {
    if (dialect == "sqlite") {
        connectString_ =
            MakeSqliteSource(prefix + "_sqlite", g_workDir + "/" + prefix + "-station.db");
    } else {
        schema_ = std::make_unique<PostgresSchema>(prefix);
        connectString_ = schema_->ConnectString();
    }
}

void CreateTables(stationdb::Connection &connection, const std::string &dialect) {
    const std::string path = std::string(STATION_BENCH_SOURCE_DIR) + "/db/" +
                             (dialect == "sqlite" ? "sqlite" : "postgresql") + "/schema.sql";
    std::string bytes;
    if (!platform::ReadWholeFile(path, bytes)) throw std::runtime_error("cannot read " + path);
    stationdb::ExecuteScript(connection, bytes);
}

}  // namespace bench
