// The history of the standard table on a station of realistic size: SQLite
// always, PostgreSQL when $STATION_TEST_PG names a data source of $ODBCINI.
//
// Each database gets 200 000 rows of tb_id_standard (4 items x 500
// conditions x 100 parameters, inserted by one statement), a baseline of
// them (UpgradeHistory), then 999 change sets made by real generations:
// GenerateSeriesStandard of a 20-parameter catalogue (2 items of 10
// parameters, all of them rows of the table already) into 4 series, with new
// limits each time. The "hot" series takes three generations of four, so
// that one parameter of it is touched by 750 generations and the baseline.
// Measured per database, on one open connection, after one untimed call:
//   FullRead     every column of every row of tb_id_standard through
//                Statement::View, as the store's loader reads it (the baseline);
//   Verify       VerifyHistory of the station (must report it consistent);
//   ReadHistory  ReadHistory filtered by itemid, condition and paramid of a
//                parameter of the hot series.
// A summary after the runs checks the aims: Verify within 2.5x of FullRead,
// the filtered ReadHistory under 50 ms. With --benchmark_repetitions it uses
// the medians.
//
// Run (a Release build gives the figures that count):
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-bench -j2 --target limit_history_bench
//   build-bench/bench/limit_history_bench
//   ODBCINI=/path/odbc.ini STATION_TEST_PG=station_pg build-bench/bench/limit_history_bench
// The PostgreSQL data goes into a schema histbench_<pid>, dropped at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_database.h"
#include "bench_reporter.h"
#include "generator/catalogue.h"
#include "generator/history_check.h"
#include "generator/history_read.h"
#include "generator/limit_history.h"
#include "generator/series_standard.h"
#include "stationdb/stationdb.h"

namespace {

constexpr long long kTableRows = 200000;
constexpr int kGenerations = 999;  // change sets after the baseline
constexpr int kSeries = 4;         // the hot one and three others
constexpr const char *kBrand = "BENCH";
constexpr int32_t kHotItem = 201;
constexpr int32_t kHotParam = 3;

// Series n is stored under the condition "BENCH_S<n>", one of the 500
// conditions of the table, so that the generations update baseline rows.
std::string SeriesName(int n) {
    char name[16];
    std::snprintf(name, sizeof name, "S%d", n);
    return name;
}

// 4 items (201..204) x 500 conditions ("BENCH_S0".."BENCH_S499") x 100
// parameters (1..100), in one statement.
const char *kFillSqlite =
    "INSERT INTO tb_id_standard (type, itemid, itemname, condition, paramid, paramname, "
    "hvalue, lvalue, stdorder) "
    "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199999) "
    "SELECT 'dev1', 201 + i / 50000, 'item' || (201 + i / 50000), "
    "'BENCH_S' || ((i / 100) % 500), i % 100 + 1, 'param' || (i % 100 + 1), "
    "printf('%.2f', 100 + (i % 100) * 0.25), printf('%.2f', (i % 10) * 0.5), 0 FROM n";
const char *kFillPostgres =
    "INSERT INTO tb_id_standard (type, itemid, itemname, condition, paramid, paramname, "
    "hvalue, lvalue, stdorder) "
    "SELECT 'dev1', 201 + i / 50000, 'item' || (201 + i / 50000), "
    "'BENCH_S' || ((i / 100) % 500), i % 100 + 1, 'param' || (i % 100 + 1), "
    "(100 + (i % 100) * 0.25)::numeric(10, 2)::text, ((i % 10) * 0.5)::numeric(10, 2)::text, 0 "
    "FROM generate_series(0, 199999) AS i";

// One device of items 201 and 202, parameters 1..10 each, named as the
// table's rows are.
generator::Catalogue SmallCatalogue() {
    generator::Catalogue catalogue;
    generator::CatalogueDevice device{1, "dev1", {}};
    for (int32_t itemid : {201, 202}) {
        generator::CatalogueItem item{itemid, "item" + std::to_string(itemid), {}};
        for (int32_t p = 1; p <= 10; ++p)
            item.params.push_back({p, "param" + std::to_string(p), 0, 0});
        device.items.push_back(std::move(item));
    }
    catalogue.devices.push_back(std::move(device));
    return catalogue;
}

// Distinct limits per generation, so that each one changes every row it writes.
void SetLimits(generator::Catalogue &catalogue, int generation) {
    int n = 0;
    catalogue.ForEachParam([&](const generator::CatalogueDevice &, const generator::CatalogueItem &,
                               generator::CatalogueParam &param, const generator::ParamPosition &) {
        param.hvalue = 200.0f + static_cast<float>(generation) + static_cast<float>(n) * 0.25f;
        param.lvalue = static_cast<float>(generation % 50) * 0.5f;
        ++n;
    });
}

class HistoryStation {
  public:
    explicit HistoryStation(const std::string &dialect) : database_(dialect, "histbench") {
        stationdb::Connection connection;
        connection.Open(database_.ConnectString());
        bench::CreateTables(connection, dialect);
        connection.Execute(dialect == "sqlite" ? kFillSqlite : kFillPostgres);
        const generator::ChangeOrigin origin{"bench", "limit_history_bench", ""};
        const auto upgrade = generator::UpgradeHistory(connection, origin);
        if (upgrade.baselineRows != kTableRows)
            throw std::runtime_error("the baseline does not hold the whole table");
        generator::Catalogue catalogue = SmallCatalogue();
        for (int g = 1; g <= kGenerations; ++g) {
            // Three of four to the hot series S0, the fourth to S1..S3 in turn.
            const int series = g % 4 != 0 ? 0 : 1 + (g / 4) % (kSeries - 1);
            SetLimits(catalogue, g);
            const auto result = generator::GenerateSeriesStandard(&connection, catalogue, kBrand,
                                                                  SeriesName(series), origin);
            if (result.updated != static_cast<long long>(catalogue.ParamCount()) ||
                result.changeSet == 0)
                throw std::runtime_error("a generation did not rewrite its series");
            if (series == 0) ++hotGenerations_;
        }
        connection.Execute("ANALYZE");
    }

    const std::string &ConnectString() const { return database_.ConnectString(); }
    long long HotGenerations() const { return hotGenerations_; }

  private:
    bench::EmptyDatabase database_;  // drops its PostgreSQL schema
    long long hotGenerations_ = 0;
};

bench::DatabaseCache<HistoryStation> g_stations(true);

// ---------------------------------------------------------------------------
// The benchmarks

long long ReadWholeTable(stationdb::Connection &connection) {
    stationdb::Statement st(connection,
                            "select type, itemid, itemname, condition, paramid, paramname, "
                            "hvalue, lvalue, stdorder from tb_id_standard");
    st.Execute();
    long long rows = 0;
    std::size_t bytes = 0;
    while (st.Fetch()) {
        for (int column = 1; column <= 9; ++column) bytes += st.View(column).size();
        ++rows;
    }
    benchmark::DoNotOptimize(bytes);
    return rows;
}

void BM_FullRead(benchmark::State &state, const std::string &dialect) {
    HistoryStation *station = g_stations.Get(state, dialect);
    if (station == nullptr) return;
    stationdb::Connection connection;
    connection.Open(station->ConnectString());
    ReadWholeTable(connection);
    long long rows = 0;
    for (auto _ : state) rows = ReadWholeTable(connection);
    if (rows != kTableRows) state.SkipWithError("the table does not hold its rows");
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_Verify(benchmark::State &state, const std::string &dialect) {
    HistoryStation *station = g_stations.Get(state, dialect);
    if (station == nullptr) return;
    stationdb::Connection connection;
    connection.Open(station->ConnectString());
    generator::VerifyHistory(connection);
    generator::VerifyReport report;
    for (auto _ : state) report = generator::VerifyHistory(connection);
    if (report.outcome != generator::VerifyOutcome::kConsistent) {
        const std::string why = report.error.empty() && !report.findings.empty()
                                    ? report.findings.front().text
                                    : report.error;
        state.SkipWithError(("the history is not consistent: " + why).c_str());
        return;
    }
    state.counters["change_sets"] = static_cast<double>(report.changeSets);
    state.counters["history_rows"] = static_cast<double>(report.historyRows);
    state.counters["table_rows"] = static_cast<double>(report.tableRows);
}

void BM_ReadHistory(benchmark::State &state, const std::string &dialect) {
    HistoryStation *station = g_stations.Get(state, dialect);
    if (station == nullptr) return;
    stationdb::Connection connection;
    connection.Open(station->ConnectString());
    generator::HistoryFilter filter;
    filter.itemid = kHotItem;
    filter.paramid = kHotParam;
    filter.condition = generator::SeriesCondition(kBrand, SeriesName(0));
    generator::ReadHistory(connection, filter);
    std::size_t sets = 0;
    for (auto _ : state) sets = generator::ReadHistory(connection, filter).size();
    // The baseline and every generation of the hot series.
    if (static_cast<long long>(sets) != station->HotGenerations() + 1)
        state.SkipWithError("ReadHistory did not list every change set of the parameter");
    state.counters["change_sets"] = static_cast<double>(sets);
}

// ---------------------------------------------------------------------------
// The summary

void PrintSummary(const bench::MedianReporter &reporter, const std::vector<std::string> &dialects) {
    constexpr double kVerifyAim = 2.5, kReadAimMs = 50;
    bool met = true, complete = true;
    std::printf("\n%-11s %10s %10s %10s %12s\n", "dialect", "full read", "verify", "verify/x",
                "history(ms)");
    for (const std::string &dialect : dialects) {
        const double read = reporter.Ms("FullRead/" + dialect);
        const double verify = reporter.Ms("Verify/" + dialect);
        const double history = reporter.Ms("ReadHistory/" + dialect);
        if (read == 0 || verify == 0 || history == 0) {
            complete = false;
            continue;
        }
        const double ratio = verify / read;
        std::printf("%-11s %10.1f %10.1f %9.2fx %12.2f\n", dialect.c_str(), read, verify, ratio,
                    history);
        met = met && ratio <= kVerifyAim && history < kReadAimMs;
    }
    std::printf("times in ms; verify/x = VerifyHistory / one full read of tb_id_standard\n");
    std::printf(
        "aims: VerifyHistory within 2.5x of a full read, filtered ReadHistory < 50 ms: %s\n",
        !complete ? "not all measured"
        : met     ? "met"
                  : "NOT met");
}

}  // namespace

int main(int argc, char **argv) {
    if (!bench::SetUpPrivateOdbc("station-history-bench")) return 1;
    const std::vector<std::string> dialects = bench::BenchDialects();

    for (const std::string &dialect : dialects) {
        auto add = [&](const char *name, int iterations, auto function) {
            bench::RegisterFor(name, dialect, function)->Iterations(iterations);
        };
        add("FullRead", 5, BM_FullRead);
        add("Verify", 5, BM_Verify);
        add("ReadHistory", 50, BM_ReadHistory);
    }

    const int status = bench::RunBenchmarks(argc, argv, [&](const bench::MedianReporter &reporter) {
        PrintSummary(reporter, dialects);
    });
    g_stations.Clear();  // drops the PostgreSQL schemas
    bench::RemoveWorkDir();
    return status;
}
