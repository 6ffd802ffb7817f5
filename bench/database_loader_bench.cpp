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
// connection), ConditionQuery (the distinct condition statement alone: a
// pass takes the conditions from the limit rows instead, so this is what
// that single read saves) and WriteFile (the standard file of the loaded
// table).
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

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bench_database.h"
#include "bench_reporter.h"
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
    explicit BenchDatabase(const std::string &dialect)
        : configDir_(bench::WorkDir() + "/" + dialect + "-config"), database_(dialect, "bench") {
        std::filesystem::create_directories(configDir_);
        stationdb::Connection connection;
        connection.Open(database_.ConnectString());
        bench::CreateTables(connection, dialect);
        Populate(connection);
    }

    const std::string &ConnectString() const { return database_.ConnectString(); }
    const std::string &ConfigDir() const { return configDir_; }

  private:
    std::string configDir_;
    bench::EmptyDatabase database_;  // drops its PostgreSQL schema
};

bench::DatabaseCache<BenchDatabase> g_databases(true);

// ---------------------------------------------------------------------------
// The benchmarks

// A query read to its end through stationdb: Fetch, then View of every column.
void ReadToEnd(benchmark::State &state, const std::string &dialect, const char *sql) {
    BenchDatabase *database = g_databases.Get(state, dialect);
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

// The distinct condition statement (a DISTINCT over the limit rows). A pass
// runs it only when its limit read fails, to tell the failing stage.
void BM_ConditionQuery(benchmark::State &state, const std::string &dialect) {
    const stationdb::Dialect d =
        dialect == "sqlite" ? stationdb::Dialect::kSqlite : stationdb::Dialect::kPostgreSql;
    ReadToEnd(state, dialect, store::StatementsFor(d).conditions);
}

// The four reading stages without connecting and without the file.
void BM_ReadStaged(benchmark::State &state, const std::string &dialect) {
    BenchDatabase *database = g_databases.Get(state, dialect);
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
    BenchDatabase *database = g_databases.Get(state, dialect);
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
    BenchDatabase *database = g_databases.Get(state, dialect);
    if (database == nullptr) return;
    for (auto _ : state) {
        stationdb::Connection connection;
        connection.Open(database->ConnectString());
        connection.Close();
    }
}

void BM_Reload(benchmark::State &state, const std::string &dialect, store::ReadPath path) {
    BenchDatabase *database = g_databases.Get(state, dialect);
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
// The summary

void PrintSummary(const bench::MedianReporter &reporter, const std::vector<std::string> &dialects) {
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

    std::printf(
        "\nbreakdown of a reload (ms): reads = the four stages on an open connection; the\n"
        "condition query is not part of a pass (what reading the conditions with the limits "
        "saves)\n");
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
    if (!bench::SetUpPrivateOdbc("station-loader-bench")) return 1;
    const std::vector<std::string> dialects = bench::BenchDialects();

    for (const std::string &dialect : dialects) {
        auto add = [&](const char *name, auto function, auto... args) {
            return bench::RegisterFor(name, dialect, function, args...);
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

    const int status = bench::RunBenchmarks(argc, argv, [&](const bench::MedianReporter &reporter) {
        PrintSummary(reporter, dialects);
    });
    g_databases.Clear();  // drops the PostgreSQL schema
    bench::RemoveWorkDir();
    return status;
}
