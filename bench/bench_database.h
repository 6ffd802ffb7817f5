#pragma once
// The database side shared by the benchmarks that work on real station
// databases: a private ODBC environment for the process, an empty SQLite or
// PostgreSQL database reached through a data source of it, and the cache of
// the generated databases of a process.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "stationdb/stationdb.h"

namespace bench {

// unixODBC reads ODBCSYSINI and ODBCINI once per process: both are set before
// the first connection. The data sources of this process go to a private copy
// of the inherited odbc.ini (in a new temporary directory `prefix`-XXXXXX), so
// that the PostgreSQL source is there too. False, with a message on stderr,
// when that cannot be done.
bool SetUpPrivateOdbc(const char *prefix);
const std::string &OdbcIni();  // the private odbc.ini of this process
const std::string &WorkDir();  // the temporary directory of this process
void RemoveWorkDir();

// "sqlite", and "postgresql" when $STATION_TEST_PG names a data source.
std::vector<std::string> BenchDialects();

// The series benchmarks' catalogue: kCatalogueDevices devices of
// kCatalogueItems items of kCatalogueParams parameters each (Chinese names),
// written to tb_line_info, tb_id_item and tb_id_param in one transaction.
inline constexpr int kCatalogueDevices = 20;
inline constexpr int kCatalogueItems = 10;   // per device
inline constexpr int kCatalogueParams = 10;  // per item
inline constexpr long long kCatalogueSize =
    static_cast<long long>(kCatalogueDevices) * kCatalogueItems * kCatalogueParams;
void PopulateCatalogue(stationdb::Connection &connection);

// Adds the SQLite data source `dsn` for a new empty database `file`; returns
// its connect string. Throws std::runtime_error.
std::string MakeSqliteSource(const std::string &dsn, const std::string &file);

// A schema <prefix>_<pid> of its own in the database of $STATION_TEST_PG,
// found through a data source <prefix>_pg_<pid> whose ConnSettings set the
// search path: concurrent runs and tests do not meet. The constructor throws
// std::runtime_error (or a stationdb error); the destructor drops the schema.
class PostgresSchema {
  public:
    explicit PostgresSchema(const std::string &prefix);
    ~PostgresSchema();
    PostgresSchema(const PostgresSchema &) = delete;
    PostgresSchema &operator=(const PostgresSchema &) = delete;

    const std::string &Name() const { return schema_; }
    const std::string &ConnectString() const { return connectString_; }

  private:
    void Drop() noexcept;

    std::string serverConnectString_;
    std::string schema_;
    std::string connectString_;
};

// An empty database of `dialect` ("sqlite": the file <prefix>-station.db of
// the work directory, data source <prefix>_sqlite; otherwise a PostgresSchema).
class EmptyDatabase {
  public:
    EmptyDatabase(const std::string &dialect, const std::string &prefix);

    const std::string &ConnectString() const { return connectString_; }

  private:
    std::unique_ptr<PostgresSchema> schema_;
    std::string connectString_;
};

// Creates the station's tables of `dialect` (db/<dialect>/schema.sql).
void CreateTables(stationdb::Connection &connection, const std::string &dialect);

// The generated databases of a process by dialect, each made on first use by
// `Database(dialect)`.
template <typename Database>
class DatabaseCache {
  public:
    // `announce`: a line on stderr before each database is generated.
    explicit DatabaseCache(bool announce = false) : announce_(announce) {}

    // The database of `dialect`; null (and the state skipped with the reason)
    // when it cannot be had.
    Database *Get(benchmark::State &state, const std::string &dialect) {
        auto failed = failures_.find(dialect);
        if (failed == failures_.end()) {
            auto found = databases_.find(dialect);
            if (found != databases_.end()) return found->second.get();
            try {
                if (announce_)
                    std::fprintf(stderr, "generating the %s database...\n", dialect.c_str());
                auto database = std::make_unique<Database>(dialect);
                return (databases_[dialect] = std::move(database)).get();
            } catch (const std::exception &e) {
                failed = failures_.emplace(dialect, e.what()).first;
            }
        }
        state.SkipWithError(failed->second.c_str());
        return nullptr;
    }

    void Clear() { databases_.clear(); }

  private:
    bool announce_;
    std::map<std::string, std::unique_ptr<Database>> databases_;
    std::map<std::string, std::string> failures_;
};

}  // namespace bench
