#pragma once
// Databases for the tests: one test body runs against every backend this
// machine offers. SQLite always; PostgreSQL when $STATION_TEST_PG names a data
// source of the inherited odbc.ini.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "stationdb/stationdb.h"
#include "temp_dir.h"

namespace testdb {

// "sqlite" always; "postgresql" too when $STATION_TEST_PG names a data source.
std::vector<std::string> Backends();
// For INSTANTIATE_TEST_SUITE_P(..., ::testing::ValuesIn(testdb::Backends()), testdb::BackendName)
std::string BackendName(const ::testing::TestParamInfo<std::string> &info);

// A fresh database with the station schema (db/<dialect>/schema.sql) and no
// rows, reachable through its own data source name in the process's odbc.ini.
// SQLite: a new file in a temporary directory. PostgreSQL: a new schema
// "t<pid>_<n>" in the $STATION_TEST_PG database, reached through a data source
// that copies that source's settings and sets the search path to it.
class TestDatabase {
  public:
    explicit TestDatabase(const std::string &backend);
    ~TestDatabase();  // drops the PostgreSQL schema (CASCADE) / removes the file
    TestDatabase(const TestDatabase &) = delete;
    TestDatabase &operator=(const TestDatabase &) = delete;

    const std::string &Dsn() const { return dsn_; }
    // Username of the PostgreSQL source; "" for SQLite.
    const std::string &User() const { return user_; }
    const std::string &Password() const { return password_; }
    // "DSN=%s;UID=%s;PWD=%s;", as the plug-ins build it.
    std::string ConnectString() const;
    // An open connection to the database, for setting up rows (opened again
    // after a test closed it).
    stationdb::Connection &Admin();
    void Exec(const std::string &sql, const std::vector<std::string> &gbkParams = {});
    stationdb::Dialect GetDialect();
    // Loads every <table>.tsv of `seedDir` (see stationdb::ImportTsv), in
    // name order.
    void ImportSeed(const std::string &seedDir);

  private:
    void AddPostgresSource(const std::string &ini, const std::string &source,
                           const std::string &suffix);
    void DropSchema() noexcept;
    std::string backend_;
    std::string dsn_;
    std::string user_;
    std::string password_;
    std::string schema_;                             // PostgreSQL only
    std::unique_ptr<testing_support::TempDir> dir_;  // SQLite only
    std::unique_ptr<stationdb::Connection> admin_;
};

// A station for the series editor in `dir`: config/, modules/ holding the
// full standard module (a copy of the build's Zk2GBStdALL.std), a SQLite
// database with the shipped seed data, and plinth.ini naming all three, with
// $PLINTH_ENV pointing at it (the caller unsets it). Returns the database.
std::unique_ptr<TestDatabase> MakeEditorStation(const testing_support::TempDir &dir);

// The connect string of the $STATION_TEST_PG source itself (its user and
// password from the inherited odbc.ini); "" when there is none.
std::string PostgresServerConnectString();

}  // namespace testdb
