// The database loader against real station databases: SQLite always,
// PostgreSQL when $STATION_TEST_PG names a data source of $ODBCINI.
//
// Each database is generated once per process: 20 devices, 600 device-items
// (30 per device, 600 distinct item ids), 20 000 conditions (about 33 per
// item; Chinese UTF-8 texts of 10 to 60 bytes, a few with blanks around
// them), 200 000 limit rows (10 parameters per condition) and a stamp row.
// Measured per database:
//   Baseline     the limit query read to its end through stationdb (Fetch and
//                View of every column) on an open connection;
//   Connect      opening and closing a connection (every pass does it once);
//   Reload       LoadFromDatabase(force 1, staged reads) with its file write;
//   PerCondition the same pass through the per-condition reference reads;
// and the parts of a reload: ReadStaged (the four reading stages on an open
// connection), ConditionQuery (the staged condition statement alone) and
// WriteFile (the standard file of the loaded table).
// A summary after the runs gives Reload/Baseline (aim: at most 2) and
// PerCondition/Reload (aim: at least 5 on PostgreSQL); with
// --benchmark_repetitions it uses the medians.
//
// Run (a Release build gives the figures that count):
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-bench -j2 --target database_loader_bench
//   build-bench/bench/database_loader_bench
//   ODBCINI=/path/odbc.ini STATION_TEST_PG=station_pg build-bench/bench/database_loader_bench
// The PostgreSQL data source's user is read from its Username key and passed
// as UID (an empty UID would override it). The benchmark works in a schema
// bench_<pid> of that database and drops it at the end.
#include <benchmark/benchmark.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/ini_file.h"
#include "stationdb/stationdb.h"
#include "store/database_loader.h"
#include "store/standard_table.h"

namespace {

constexpr int kDevices = 20;
constexpr int kItemsPerDevice = 30;
constexpr int kItems = kDevices * kItemsPerDevice;
constexpr int kConditions = 20000;
constexpr int kParamsPerCondition = 10;
constexpr int kLimitRows = kConditions * kParamsPerCondition;
constexpr int kRowsPerInsert = 500;
constexpr const char *kStamp = "20240611";

// Pieces of condition texts, UTF-8 as the database holds them.
const char *const kPieces[] = {
    "\xE6\xB6\xB2\xE5\x8E\x8B",                          // hydraulic
    "\xE6\xB0\x94\xE5\x8E\x8B",                          // air pressure
    "\xE4\xB9\x98\xE7\x94\xA8\xE8\xBD\xA6",              // passenger car
    "\xE8\xBD\xBD\xE8\xB4\xA7\xE6\xB1\xBD\xE8\xBD\xA6",  // goods vehicle
    "\xE4\xB8\xA4\xE7\x81\xAF\xE5\x88\xB6",              // two-lamp system
    "\xE5\x9B\x9B\xE7\x81\xAF\xE5\x88\xB6",              // four-lamp system
    "\xE6\x8C\x82\xE8\xBD\xA6",                          // trailer
    "\xE6\x91\xA9\xE6\x89\x98\xE8\xBD\xA6",              // motorcycle
    "\xE5\x88\xB6\xE5\x8A\xA8",                          // brake
    "\xE5\x89\x8D\xE7\x85\xA7\xE7\x81\xAF",              // headlamp
    "RM<=3500",
    "M1",
};

// ---------------------------------------------------------------------------
// The process's ODBC environment

std::string g_odbcIni;  // the private odbc.ini of this process
std::string g_workDir;  // temporary directory of this process

// unixODBC reads ODBCSYSINI and ODBCINI once per process: both are set before
// the first connection. The data sources of this process go to a private copy
// of the inherited odbc.ini, so that the PostgreSQL source is there too.
bool SetUpOdbc() {
    std::string sysIni = STATION_BENCH_DATA_DIR;
    if (!std::filesystem::exists(sysIni + "/odbcinst.ini"))
        sysIni = std::string(STATION_BENCH_SOURCE_DIR) + "/stationdb";
    ::setenv("ODBCSYSINI", sysIni.c_str(), 1);

    const char *base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") +
                       "/station-loader-bench-XXXXXX";
    if (::mkdtemp(tmpl.data()) == nullptr) return false;
    g_workDir = tmpl;
    g_odbcIni = g_workDir + "/odbc.ini";
    std::string bytes;
    const char *inherited = std::getenv("ODBCINI");
    if (inherited == nullptr || !platform::ReadWholeFile(inherited, bytes)) bytes.clear();
    if (platform::WriteFileAtomically(g_odbcIni, bytes) != platform::AtomicWriteResult::kOk)
        return false;
    ::setenv("ODBCINI", g_odbcIni.c_str(), 1);
    return true;
}

std::string ReadSchema(const char *dialect) {
    const std::string path =
        std::string(STATION_BENCH_SOURCE_DIR) + "/db/" + dialect + "/schema.sql";
    std::string bytes;
    if (!platform::ReadWholeFile(path, bytes)) throw std::runtime_error("cannot read " + path);
    return bytes;
}

// ---------------------------------------------------------------------------
// The generated station

std::string Quoted(const std::string &text) {
    std::string out = "'";
    for (char c : text) {
        out.push_back(c);
        if (c == '\'') out.push_back('\'');
    }
    out.push_back('\'');
    return out;
}

// A condition text of `length` bytes or a little less, ending in its serial
// number (which keeps the texts of an item distinct).
std::string ConditionText(std::mt19937 &rng, int serial, std::size_t length) {
    const std::string number = std::to_string(serial);
    std::string text = kPieces[rng() % std::size(kPieces)];
    for (;;) {
        const std::string piece = kPieces[rng() % std::size(kPieces)];
        if (text.size() + 1 + piece.size() + 1 + number.size() > length) break;
        text += "/";
        text += piece;
    }
    text += "/" + number;
    // A few texts carry blanks that the loader trims.
    if (serial % 97 == 0) text = "  " + text;
    if (serial % 89 == 0) text += " ";
    return text;
}

int ItemId(int index) {
    return 10001 + index;
}

// Device ids 1..21 without 6, which the loader never reads.
int DeviceId(int index) {
    return index < 5 ? index + 1 : index + 2;
}

// Multi-row INSERTs of up to kRowsPerInsert rows.
class BulkInsert {
  public:
    BulkInsert(stationdb::Connection &connection, std::string head)
        : connection_(connection), head_(std::move(head)) {}
    void Row(const std::string &values) {
        sql_ += rows_ == 0 ? head_ + " VALUES " : ",";
        sql_ += "(" + values + ")";
        if (++rows_ == kRowsPerInsert) Flush();
    }
    void Flush() {
        if (rows_ == 0) return;
        connection_.Execute(sql_);
        sql_.clear();
        rows_ = 0;
    }

  private:
    stationdb::Connection &connection_;
    std::string head_;
    std::string sql_;
    int rows_ = 0;
};

void Populate(stationdb::Connection &connection) {
    std::mt19937 rng(20240611);
    stationdb::Transaction transaction(connection);
    connection.Execute(std::string("INSERT INTO tb_status_memstd (DBModifyTime) VALUES ('") +
                       kStamp + "')");

    BulkInsert lineIndex(connection, "INSERT INTO tb_login_lineindex (devid, itemid)");
    for (int i = 0; i < kItems; ++i)
        lineIndex.Row(std::to_string(DeviceId(i / kItemsPerDevice)) + "," +
                      std::to_string(ItemId(i)));
    lineIndex.Flush();

    BulkInsert limits(connection,
                      "INSERT INTO tb_id_standard (type, itemid, itemname, condition, paramid, "
                      "paramname, hvalue, lvalue, stdorder)");
    std::uniform_int_distribution<std::size_t> length(10, 60);
    char value[32];
    for (int c = 0; c < kConditions; ++c) {
        const int item = c % kItems;  // ~33 conditions per item
        const std::string itemId = std::to_string(ItemId(item));
        const std::string prefix = "'GB7258'," + itemId + ",'Item " + itemId + "'," +
                                   Quoted(ConditionText(rng, c, length(rng))) + ",";
        for (int p = 0; p < kParamsPerCondition; ++p) {
            const int paramId = 101 + p;
            std::string row =
                prefix + std::to_string(paramId) + ",'P" + std::to_string(paramId) + "',";
            std::snprintf(value, sizeof value, "'%.2f','%.2f',0",
                          static_cast<double>(rng() % 100000) / 100.0,
                          static_cast<double>(rng() % 1000) / 100.0);
            row += value;
            limits.Row(row);
        }
    }
    limits.Flush();
    transaction.Commit();
    connection.Execute("ANALYZE");
}

// ---------------------------------------------------------------------------
// One generated database and the directory its loader writes to

class BenchDatabase {
  public:
    explicit BenchDatabase(const std::string &dialect) : dialect_(dialect) {
        configDir_ = g_workDir + "/" + dialect + "-config";
        std::filesystem::create_directories(configDir_);
        if (dialect == "sqlite")
            MakeSqlite();
        else
            MakePostgres();
        stationdb::Connection connection;
        connection.Open(connectString_);
        stationdb::ExecuteScript(connection,
                                 ReadSchema(dialect == "sqlite" ? "sqlite" : "postgresql"));
        Populate(connection);
    }
    ~BenchDatabase() {
        if (schema_.empty()) return;
        try {
            stationdb::Connection server;
            server.Open(serverConnectString_);
            server.Execute("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
        } catch (const std::exception &e) {
            std::fprintf(stderr, "schema %s not dropped: %s\n", schema_.c_str(), e.what());
        }
    }
    BenchDatabase(const BenchDatabase &) = delete;
    BenchDatabase &operator=(const BenchDatabase &) = delete;

    const std::string &ConnectString() const { return connectString_; }
    const std::string &ConfigDir() const { return configDir_; }

  private:
    void MakeSqlite() {
        const std::string file = g_workDir + "/station.db";
        // The data source says NoCreat=1: an empty file is an empty database.
        if (platform::WriteFileAtomically(file, "") != platform::AtomicWriteResult::kOk)
            throw std::runtime_error("cannot create " + file);
        if (!stationdb::WriteSqliteDataSource(g_odbcIni, "bench_sqlite", file))
            throw std::runtime_error("cannot add data source bench_sqlite");
        connectString_ = stationdb::ConnectStringFor("bench_sqlite", "", "");
    }

    void MakePostgres() {
        const char *source = std::getenv("STATION_TEST_PG");
        if (source == nullptr || source[0] == '\0') throw std::runtime_error("no PostgreSQL");
        const std::string user = platform::GetProfileString(g_odbcIni, source, "Username", "");
        const std::string password = platform::GetProfileString(g_odbcIni, source, "Password", "");
        serverConnectString_ = stationdb::ConnectStringFor(source, user, password);
        const std::string pid = std::to_string(static_cast<long>(::getpid()));
        {
            stationdb::Connection server;
            server.Open(serverConnectString_);
            server.Execute("CREATE SCHEMA bench_" + pid);
        }
        schema_ = "bench_" + pid;
        auto settings = platform::GetProfileSection(g_odbcIni, source);
        std::erase_if(settings, [](const auto &kv) {
            return strcasecmp(kv.first.c_str(), "ConnSettings") == 0;
        });
        settings.emplace_back("ConnSettings", "SET search_path TO " + schema_);
        const std::string dsn = "bench_pg_" + pid;
        if (!stationdb::WriteDataSource(g_odbcIni, dsn, settings))
            throw std::runtime_error("cannot add data source " + dsn);
        connectString_ = stationdb::ConnectStringFor(dsn, user, password);
    }

    std::string dialect_;
    std::string configDir_;
    std::string connectString_;
    std::string serverConnectString_;
    std::string schema_;
};

std::map<std::string, std::unique_ptr<BenchDatabase>> g_databases;
std::map<std::string, std::string> g_failures;

// The database of `dialect`, generated on first use; null (and the state
// skipped with the reason) when it cannot be had.
BenchDatabase *DatabaseFor(benchmark::State &state, const std::string &dialect) {
    auto failed = g_failures.find(dialect);
    if (failed == g_failures.end()) {
        auto found = g_databases.find(dialect);
        if (found != g_databases.end()) return found->second.get();
        try {
            std::fprintf(stderr, "generating the %s database...\n", dialect.c_str());
            auto database = std::make_unique<BenchDatabase>(dialect);
            return (g_databases[dialect] = std::move(database)).get();
        } catch (const std::exception &e) {
            failed = g_failures.emplace(dialect, e.what()).first;
        }
    }
    state.SkipWithError(failed->second.c_str());
    return nullptr;
}

// ---------------------------------------------------------------------------
// The benchmarks

// A query read to its end through stationdb: Fetch, then View of every column.
void ReadToEnd(benchmark::State &state, const std::string &dialect, const char *sql) {
    BenchDatabase *database = DatabaseFor(state, dialect);
    if (database == nullptr) return;
    stationdb::Connection connection;
    connection.Open(database->ConnectString());
    long long rows = 0;
    for (auto _ : state) {
        stationdb::Statement st(connection, sql);
        st.Execute();
        const int columns = st.ColumnCount();
        std::size_t bytes = 0;
        rows = 0;
        while (st.Fetch()) {
            for (int column = 1; column <= columns; ++column) bytes += st.View(column).size();
            ++rows;
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_Baseline(benchmark::State &state, const std::string &dialect) {
    ReadToEnd(state, dialect,
              "select itemid, condition, paramid, hvalue, lvalue from tb_id_standard");
}

// The loader's own condition statement of the staged reads (a DISTINCT over
// the limit rows), for the breakdown of a pass.
void BM_ConditionQuery(benchmark::State &state, const std::string &dialect) {
    const stationdb::Dialect d =
        dialect == "sqlite" ? stationdb::Dialect::kSqlite : stationdb::Dialect::kPostgreSql;
    ReadToEnd(state, dialect, store::StatementsFor(d).conditions);
}

// The four reading stages without connecting and without the file.
void BM_ReadStaged(benchmark::State &state, const std::string &dialect) {
    BenchDatabase *database = DatabaseFor(state, dialect);
    if (database == nullptr) return;
    stationdb::Connection connection;
    connection.Open(database->ConnectString());
    store::StandardTable table;
    for (auto _ : state) {
        const int result = store::ReadStandardTable(connection, table, store::ReadPath::kStaged);
        if (result != 1) {
            state.SkipWithError(("ReadStandardTable gave " + std::to_string(result)).c_str());
            return;
        }
    }
    state.counters["records"] = static_cast<double>(table.RecordCount());
}

// Writing the standard file of the loaded table (200 000 records).
void BM_WriteFile(benchmark::State &state, const std::string &dialect) {
    BenchDatabase *database = DatabaseFor(state, dialect);
    if (database == nullptr) return;
    store::StandardTable table;
    {
        stationdb::Connection connection;
        connection.Open(database->ConnectString());
        if (store::ReadStandardTable(connection, table, store::ReadPath::kStaged) != 1) {
            state.SkipWithError("ReadStandardTable failed");
            return;
        }
    }
    const std::string path = database->ConfigDir() + "/write-bench.sfd";
    for (auto _ : state) {
        if (table.WriteFile(path) != 1) {
            state.SkipWithError("WriteFile failed");
            return;
        }
    }
}

void BM_Connect(benchmark::State &state, const std::string &dialect) {
    BenchDatabase *database = DatabaseFor(state, dialect);
    if (database == nullptr) return;
    for (auto _ : state) {
        stationdb::Connection connection;
        connection.Open(database->ConnectString());
        connection.Close();
    }
}

void BM_Reload(benchmark::State &state, const std::string &dialect, store::ReadPath path) {
    BenchDatabase *database = DatabaseFor(state, dialect);
    if (database == nullptr) return;
    store::StationDatabase station;
    station.SetConnectString(database->ConnectString());
    store::StandardTable table;
    const store::LoaderFiles files = store::FilesIn(database->ConfigDir());
    for (auto _ : state) {
        const int result = store::LoadFromDatabase(station, table, files, 1, path);
        if (result != 1) {
            state.SkipWithError(("LoadFromDatabase gave " + std::to_string(result)).c_str());
            return;
        }
    }
    const auto records = table.RecordCount();
    state.counters["records"] = static_cast<double>(records);
    if (records != static_cast<std::size_t>(kLimitRows))
        std::fprintf(stderr, "warning: %s loaded %zu records, expected %d\n", dialect.c_str(),
                     records, kLimitRows);
}

// ---------------------------------------------------------------------------
// The summary: seconds per iteration of every run, by registered name.

// With --benchmark_repetitions the median of the repetitions counts: the
// machine may be busy with other work.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    explicit SummaryReporter(bool color) : ConsoleReporter(color ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.error_occurred || run.iterations <= 0) continue;
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            if (run.run_type == Run::RT_Iteration)
                seconds_[run.run_name.function_name].push_back(seconds);
            else if (run.aggregate_name == "median")  // --benchmark_report_aggregates_only
                medians_[run.run_name.function_name] = seconds;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double Ms(const std::string &name) const {
        auto median = medians_.find(name);
        if (median != medians_.end()) return median->second * 1000.0;
        auto found = seconds_.find(name);
        if (found == seconds_.end()) return 0;
        std::vector<double> times = found->second;
        std::sort(times.begin(), times.end());
        const std::size_t n = times.size();
        return (n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2) * 1000.0;
    }

  private:
    std::map<std::string, std::vector<double>> seconds_;
    std::map<std::string, double> medians_;
};

void PrintSummary(const SummaryReporter &reporter, const std::vector<std::string> &dialects) {
    auto ratio = [](double a, double b) { return b > 0 && a > 0 ? a / b : 0.0; };
    std::printf("\n%-11s %12s %12s %12s %14s %16s %20s\n", "dialect", "baseline ms", "connect ms",
                "reload ms", "per-cond ms", "reload/baseline", "per-cond/reload");
    for (const std::string &dialect : dialects) {
        const double baseline = reporter.Ms("Baseline/" + dialect);
        const double connect = reporter.Ms("Connect/" + dialect);
        const double reload = reporter.Ms("Reload/" + dialect);
        const double perCondition = reporter.Ms("PerCondition/" + dialect);
        if (baseline == 0 && reload == 0 && perCondition == 0) continue;
        std::printf("%-11s %12.1f %12.2f %12.1f %14.1f %15.2fx %19.1fx\n", dialect.c_str(),
                    baseline, connect, reload, perCondition, ratio(reload, baseline),
                    ratio(perCondition, reload));
    }
    std::printf("aims: reload/baseline at most 2x; per-cond/reload at least 5x on PostgreSQL\n");

    std::printf("\nbreakdown of a reload (ms): reads = the four stages on an open connection\n");
    std::printf("%-11s %12s %16s %12s %12s %12s\n", "dialect", "reads", "condition query",
                "file write", "connect", "reload");
    for (const std::string &dialect : dialects) {
        const double reads = reporter.Ms("ReadStaged/" + dialect);
        if (reads == 0) continue;
        std::printf("%-11s %12.1f %16.1f %12.1f %12.2f %12.1f\n", dialect.c_str(), reads,
                    reporter.Ms("ConditionQuery/" + dialect), reporter.Ms("WriteFile/" + dialect),
                    reporter.Ms("Connect/" + dialect), reporter.Ms("Reload/" + dialect));
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (!SetUpOdbc()) {
        std::fprintf(stderr, "cannot set up a private odbc.ini\n");
        return 1;
    }
    std::vector<std::string> dialects{"sqlite"};
    const char *pg = std::getenv("STATION_TEST_PG");
    if (pg != nullptr && pg[0] != '\0') dialects.push_back("postgresql");

    for (const std::string &dialect : dialects) {
        auto add = [&](const char *name, auto function, auto... args) {
            return benchmark::RegisterBenchmark((std::string(name) + "/" + dialect).c_str(),
                                                function, dialect, args...)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        };
        add("Baseline", BM_Baseline)->MinTime(2.0);
        add("Reload", BM_Reload, store::ReadPath::kStaged)->MinTime(2.0);
        // Over 20 000 statements a pass: one or two passes are enough.
        add("PerCondition", BM_Reload, store::ReadPath::kPerCondition)->MinTime(1.0);
        // The parts of a reload.
        add("Connect", BM_Connect);
        add("ReadStaged", BM_ReadStaged)->MinTime(2.0);
        add("ConditionQuery", BM_ConditionQuery);
        add("WriteFile", BM_WriteFile);
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SummaryReporter reporter(::isatty(STDOUT_FILENO) == 1);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintSummary(reporter, dialects);

    g_databases.clear();  // drops the PostgreSQL schema
    std::error_code ec;
    std::filesystem::remove_all(g_workDir, ec);
    return 0;
}
