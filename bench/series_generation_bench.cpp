// The series editor's database work on real station databases: SQLite
// always, PostgreSQL when $STATION_TEST_PG names a data source of $ODBCINI.
//
// Each database gets a catalogue of 2 000 parameters (20 devices, 10 items
// per device with 200 distinct item ids, 10 parameters per item; Chinese
// names) and 51 series already stored for all of them (102 000 limit rows,
// analyzed). Measured per database, each on one open connection and after
// one untimed call:
//   LoadCatalogue         LoadCatalogue of the 2 000 parameters;
//   LoadSeriesLimits      the limits of the stored series into that catalogue;
//   Generate/first        GenerateSeriesStandard of a new series (2 000 inserts);
//   Generate/rerun        the same on one existing series (2 000 updates);
//   PerParameter/first    GenerateSeriesStandardPerParameter, new series;
//   PerParameter/rerun    the same on one existing series;
//   History/first|rerun   Generate/first and /rerun on a second database that
//                         keeps the history of its standard table (every
//                         parameter recorded: a rerun changes every limit).
// A summary after the runs checks the aims: loading and generating a series
// each under 2 s, generation at least 10x faster than the per-parameter way,
// and the history adding at most 25% to a generation.
// With --benchmark_repetitions it uses the medians.
//
// Run (a Release build gives the figures that count):
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-bench -j2 --target series_generation_bench
//   build-bench/bench/series_generation_bench
//   ODBCINI=/path/odbc.ini STATION_TEST_PG=station_pg build-bench/bench/series_generation_bench
// The PostgreSQL data goes into a schema genbench_<pid>, dropped at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_database.h"
#include "bench_reporter.h"
#include "generator/catalogue.h"
#include "generator/limit_history.h"
#include "generator/messages.h"
#include "generator/series_standard.h"
#include "platform/gbk.h"
#include "stationdb/stationdb.h"

namespace {

constexpr long long kParams = bench::kCatalogueSize;
// Series stored before the statistics are taken, so that tb_id_standard looks
// like a station's (many conditions of similar size), not like a new one's.
constexpr int kBackgroundSeries = 50;

// UTF-8, as the database holds it.
constexpr const char *kBrandUtf8 = "\xE4\xB8\x9C\xE9\xA3\x8E";  // a brand

std::string g_brand;  // GBK, as the editor passes it

// Collects what the editor would show; a load that shows anything is wrong.
class RecordingSink : public generator::MessageSink {
  public:
    void Show(const generator::Message &message) override { shown_.push_back(message.text); }
    bool Confirm(const generator::Message &message) override {
        shown_.push_back(message.text);
        return false;
    }
    const std::vector<std::string> &Shown() const { return shown_; }

  private:
    std::vector<std::string> shown_;
};

// ---------------------------------------------------------------------------
// The generated station

// Distinct limits per pass, so that a re-run really rewrites every value.
void SetLimits(generator::Catalogue &catalogue, int pass) {
    int n = 0;
    catalogue.ForEachParam([&](const generator::CatalogueDevice &, const generator::CatalogueItem &,
                               generator::CatalogueParam &param, const generator::ParamPosition &) {
        param.hvalue = static_cast<float>(100 + pass) + static_cast<float>(n % 100) * 0.25f;
        param.lvalue = static_cast<float>(n % 10) * 0.5f;
        ++n;
    });
}

class BenchDatabase {
  public:
    static constexpr const char *kStoredSeries = "STORED";

    explicit BenchDatabase(const std::string &dialect, bool history = false)
        : database_(dialect, history ? "genhist" : "genbench") {
        stationdb::Connection connection;
        connection.Open(database_.ConnectString());
        bench::CreateTables(connection, dialect);
        if (history)
            generator::UpgradeHistory(connection, {"bench", "series_generation_bench", ""});
        bench::PopulateCatalogue(connection);
        RecordingSink sink;
        if (generator::LoadCatalogue(&connection, catalogue_, sink) != 1 ||
            static_cast<long long>(catalogue_.ParamCount()) != kParams)
            throw std::runtime_error("the generated catalogue does not load whole");
        SetLimits(catalogue_, 0);
        generator::GenerateSeriesStandard(&connection, catalogue_, g_brand, kStoredSeries);
        for (int n = 0; n < kBackgroundSeries; ++n)
            generator::GenerateSeriesStandard(&connection, catalogue_, g_brand,
                                              "BG" + std::to_string(n));
        connection.Execute("ANALYZE");
    }

    const std::string &ConnectString() const { return database_.ConnectString(); }
    const generator::Catalogue &Catalogue() const { return catalogue_; }
    // A series name never used before in this database.
    std::string NewSeries() { return "NEW" + std::to_string(++series_); }

  private:
    bench::EmptyDatabase database_;  // drops its PostgreSQL schema
    generator::Catalogue catalogue_;
    int series_ = 0;
};

// The same station keeping the history of its standard table.
class HistoryDatabase : public BenchDatabase {
  public:
    explicit HistoryDatabase(const std::string &dialect) : BenchDatabase(dialect, true) {}
};

bench::DatabaseCache<BenchDatabase> g_databases;
bench::DatabaseCache<HistoryDatabase> g_historyDatabases;

// ---------------------------------------------------------------------------
// The benchmarks

void BM_LoadCatalogue(benchmark::State &state, const std::string &dialect) {
    BenchDatabase *database = g_databases.Get(state, dialect);
    if (database == nullptr) return;
    stationdb::Connection connection;
    connection.Open(database->ConnectString());
    generator::Catalogue catalogue;
    RecordingSink warmUp;
    generator::LoadCatalogue(&connection, catalogue, warmUp);
    for (auto _ : state) {
        RecordingSink sink;
        if (generator::LoadCatalogue(&connection, catalogue, sink) != 1 || !sink.Shown().empty()) {
            state.SkipWithError("LoadCatalogue failed");
            return;
        }
    }
    state.counters["params"] = static_cast<double>(catalogue.ParamCount());
}

void BM_LoadSeriesLimits(benchmark::State &state, const std::string &dialect) {
    BenchDatabase *database = g_databases.Get(state, dialect);
    if (database == nullptr) return;
    stationdb::Connection connection;
    connection.Open(database->ConnectString());
    generator::Catalogue catalogue = database->Catalogue();
    generator::LoadSeriesLimits(&connection, catalogue, g_brand, BenchDatabase::kStoredSeries);
    for (auto _ : state)
        generator::LoadSeriesLimits(&connection, catalogue, g_brand, BenchDatabase::kStoredSeries);
    long long found = 0;
    catalogue.ForEachParam(
        [&](const auto &, const auto &, const generator::CatalogueParam &param, const auto &) {
            if (param.hvalue >= 100) ++found;
        });
    if (found != kParams) state.SkipWithError("LoadSeriesLimits missed stored rows");
    state.counters["params"] = static_cast<double>(found);
}

using GenerateFunction = generator::GenerationResult (*)(stationdb::Connection &,
                                                         const generator::Catalogue &,
                                                         const std::string &, const std::string &);

generator::GenerationResult Generate(stationdb::Connection &connection,
                                     const generator::Catalogue &catalogue,
                                     const std::string &brand, const std::string &series) {
    return generator::GenerateSeriesStandard(&connection, catalogue, brand, series);
}

// `rerun` false: a new series each pass (every parameter inserted); true: one
// series stored before the timing (every parameter updated, new limits each pass).
// On PostgreSQL the table is vacuumed, untimed, before each pass, as autovacuum
// would have done between two generations at a station: otherwise every pass
// of a re-run walks the row versions of all earlier passes, and the fast
// generation, which makes many more passes, would pay for more of them.
void BM_Generation(benchmark::State &state, const std::string &dialect, GenerateFunction generate,
                   bool rerun, bool history) {
    BenchDatabase *database =
        history ? g_historyDatabases.Get(state, dialect) : g_databases.Get(state, dialect);
    if (database == nullptr) return;
    stationdb::Connection connection;
    connection.Open(database->ConnectString());
    generator::Catalogue catalogue = database->Catalogue();
    const std::string stored = database->NewSeries();
    if (rerun) generator::GenerateSeriesStandard(&connection, catalogue, g_brand, stored);
    generate(connection, catalogue, g_brand, rerun ? stored : database->NewSeries());
    const bool vacuum = connection.GetDialect() == stationdb::Dialect::kPostgreSql;
    int pass = 0;
    for (auto _ : state) {
        if (vacuum) {
            state.PauseTiming();
            connection.Execute("VACUUM tb_id_standard");
            state.ResumeTiming();
        }
        SetLimits(catalogue, ++pass);
        const auto result =
            generate(connection, catalogue, g_brand, rerun ? stored : database->NewSeries());
        if ((rerun ? result.updated : result.inserted) != kParams) {
            state.SkipWithError("generation did not write every parameter");
            return;
        }
    }
    state.counters["params"] = static_cast<double>(kParams);
}

// ---------------------------------------------------------------------------
// The summary

// What recording the history adds to a generation; false when above the aim.
bool PrintHistorySummary(const bench::MedianReporter &reporter,
                         const std::vector<std::string> &dialects, bool &complete) {
    constexpr double kAimPercent = 25;
    bool met = true;
    std::printf("\n%-11s %10s %10s %10s %10s %9s %9s\n", "dialect", "gen first", "gen rerun",
                "hist first", "hist rerun", "+% first", "+% rerun");
    for (const std::string &dialect : dialects) {
        const double first = reporter.Ms("Generate/first/" + dialect);
        const double rerun = reporter.Ms("Generate/rerun/" + dialect);
        const double histFirst = reporter.Ms("History/first/" + dialect);
        const double histRerun = reporter.Ms("History/rerun/" + dialect);
        if (first == 0 || rerun == 0 || histFirst == 0 || histRerun == 0) {
            complete = false;
            continue;
        }
        const double addFirst = (histFirst / first - 1) * 100;
        const double addRerun = (histRerun / rerun - 1) * 100;
        std::printf("%-11s %10.1f %10.1f %10.1f %10.1f %8.1f%% %8.1f%%\n", dialect.c_str(), first,
                    rerun, histFirst, histRerun, addFirst, addRerun);
        met = met && addFirst <= kAimPercent && addRerun <= kAimPercent;
    }
    std::printf("aim: the history adds at most 25%% to a generation: %s\n",
                met ? "met" : "NOT met");
    return met;
}

void PrintSummary(const bench::MedianReporter &reporter, const std::vector<std::string> &dialects) {
    constexpr double kLoadAimMs = 2000, kGenerateAimMs = 2000, kSpeedUpAim = 10;
    bool met = true, complete = true;
    std::printf("\n%-11s %10s %10s %10s %10s %10s %10s %9s %9s\n", "dialect", "catalog", "limits",
                "gen first", "gen rerun", "ref first", "ref rerun", "x first", "x rerun");
    for (const std::string &dialect : dialects) {
        const double catalogue = reporter.Ms("LoadCatalogue/" + dialect);
        const double limits = reporter.Ms("LoadSeriesLimits/" + dialect);
        const double first = reporter.Ms("Generate/first/" + dialect);
        const double rerun = reporter.Ms("Generate/rerun/" + dialect);
        const double refFirst = reporter.Ms("PerParameter/first/" + dialect);
        const double refRerun = reporter.Ms("PerParameter/rerun/" + dialect);
        if (catalogue == 0 || limits == 0 || first == 0 || rerun == 0 || refFirst == 0 ||
            refRerun == 0) {
            complete = false;
            continue;
        }
        const double upFirst = first > 0 ? refFirst / first : 0;
        const double upRerun = rerun > 0 ? refRerun / rerun : 0;
        std::printf("%-11s %10.1f %10.1f %10.1f %10.1f %10.1f %10.1f %8.1fx %8.1fx\n",
                    dialect.c_str(), catalogue, limits, first, rerun, refFirst, refRerun, upFirst,
                    upRerun);
        met = met && catalogue + limits < kLoadAimMs && first < kGenerateAimMs &&
              rerun < kGenerateAimMs && upFirst >= kSpeedUpAim && upRerun >= kSpeedUpAim;
    }
    std::printf("times in ms; x = per-parameter reference / generation\n");
    met = PrintHistorySummary(reporter, dialects, complete) && met;
    std::printf("aims: catalogue + limits < 2000 ms, generation < 2000 ms, x >= 10: %s\n",
                !complete ? "not all measured"
                : met     ? "met"
                          : "NOT met");
}

}  // namespace

int main(int argc, char **argv) {
    if (!bench::SetUpPrivateOdbc("station-series-bench")) return 1;
    if (!platform::Utf8ToGbk(kBrandUtf8, g_brand)) {
        std::fprintf(stderr, "no GBK conversion (iconv)\n");
        bench::RemoveWorkDir();
        return 1;
    }
    const std::vector<std::string> dialects = bench::BenchDialects();

    for (const std::string &dialect : dialects) {
        auto add = [&](const char *name, int iterations, auto function, auto... args) {
            bench::RegisterFor(name, dialect, function, args...)->Iterations(iterations);
        };
        // Fixed counts keep the suite to seconds: a pass of the reference
        // costs up to a second (one commit per parameter).
        add("LoadCatalogue", 10, BM_LoadCatalogue);
        add("LoadSeriesLimits", 20, BM_LoadSeriesLimits);
        add("Generate/first", 20, BM_Generation, &Generate, false, false);
        add("Generate/rerun", 20, BM_Generation, &Generate, true, false);
        add("PerParameter/first", 3, BM_Generation, &generator::GenerateSeriesStandardPerParameter,
            false, false);
        add("PerParameter/rerun", 3, BM_Generation, &generator::GenerateSeriesStandardPerParameter,
            true, false);
        add("History/first", 20, BM_Generation, &Generate, false, true);
        add("History/rerun", 20, BM_Generation, &Generate, true, true);
    }

    const int status = bench::RunBenchmarks(argc, argv, [&](const bench::MedianReporter &reporter) {
        PrintSummary(reporter, dialects);
    });
    g_databases.Clear();  // drops the PostgreSQL schemas
    g_historyDatabases.Clear();
    bench::RemoveWorkDir();
    return status;
}
