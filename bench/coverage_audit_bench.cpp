// The coverage audit: the enumeration of the national rule space, and the
// whole audit of a table that holds it, every reachable condition confirmed
// by a vehicle through the loaded limits plug-in (ExtInitInfo, then
// ExtGetCondition), as `stdhost audit` runs it. Items 208 and 209 are
// audited for the model numbers the table names: 3 (the sample station's)
// or 30 (360 conditions each, within the 500 an item holds).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bridges/plinth_bridge.h"
#include "condition_sources.h"
#include "coverage_audit.h"
#include "engine/condition_walk.h"
#include "platform/dynamic_library.h"

namespace {

std::vector<int32_t> Models(int count) {
    std::vector<int32_t> models = engine::DefaultSampleModelNumbers();
    for (int32_t m = 10690100; static_cast<int>(models.size()) < count; ++m) models.push_back(m);
    return models;
}

struct Fixture {
    std::string dir;
    bridges::PlinthBridge plinth;
    platform::DynamicLibrary limbank;
    std::unique_ptr<audit::PluginConditions> conditions;

    Fixture() {
        char tmpl[] = "/tmp/audit-bench-XXXXXX";
        dir = ::mkdtemp(tmpl);
        std::filesystem::create_directory(dir + "/config");
        std::ofstream(dir + "/plinth.ini") << "[env]\nconfigDirectory=" << dir << "/config\n";
        ::setenv("PLINTH_ENV", (dir + "/plinth.ini").c_str(), 1);
        ::setenv("STATION_SYSDIR", BENCH_LIB_DIR, 1);
        if (plinth.LoadPlinth(1, reinterpret_cast<const void *>(&Models)) != 1) std::abort();
        // The plug-in serves nothing here: the audit only asks it for conditions.
        if (!limbank.Open(std::string(BENCH_LIB_DIR) + "/liblimbank.so")) std::abort();
        auto initInfo = reinterpret_cast<int (*)(void *)>(limbank.Symbol("ExtInitInfo"));
        auto getCondition =
            reinterpret_cast<int (*)(int, char *, int)>(limbank.Symbol("ExtGetCondition"));
        if (initInfo == nullptr || getCondition == nullptr) std::abort();
        conditions = std::make_unique<audit::PluginConditions>(plinth, initInfo, getCondition);
    }
    ~Fixture() {
        conditions.reset();
        limbank.Close();
        std::filesystem::remove_all(dir);
    }
};

Fixture &TheFixture() {
    static Fixture fixture;
    return fixture;
}

// A table of the whole rule space, items spread over devices of at most 30.
void FillRuleSpace(store::StandardTable &table, const std::vector<int32_t> &models) {
    for (const engine::ReachableCondition &r : engine::ReachableConditions(models))
        for (int32_t p = 0; p < 4; ++p)
            table.InsertRecord(
                {r.itemId < 240 ? 1 : 2, r.itemId, r.condition, r.itemId * 10 + p, 100.0f, 0.0f});
}

void BM_Enumerate(benchmark::State &state) {
    const std::vector<int32_t> models = Models(static_cast<int>(state.range(0)));
    std::size_t conditions = 0;
    for (auto _ : state) {
        conditions = engine::ReachableConditions(models).size();
        benchmark::DoNotOptimize(conditions);
    }
    state.counters["conditions"] = static_cast<double>(conditions);
}
BENCHMARK(BM_Enumerate)->Arg(3)->Arg(30)->Unit(benchmark::kMillisecond);

void BM_AuditConfirmedByPlugin(benchmark::State &state) {
    Fixture &f = TheFixture();
    store::StandardTable table;
    FillRuleSpace(table, Models(static_cast<int>(state.range(0))));
    audit::AuditReport report;
    for (auto _ : state) {
        report = audit::RunAudit(table, nullptr, *f.conditions);
        benchmark::DoNotOptimize(report);
    }
    if (!report.FullyCovered() || report.confirmedConditions != report.reachableConditions)
        state.SkipWithError("the rule space table is not fully covered and confirmed");
    state.counters["conditions"] = static_cast<double>(report.reachableConditions);
    state.counters["vehicles"] = static_cast<double>(report.sourceCalls);
}
BENCHMARK(BM_AuditConfirmedByPlugin)->Arg(3)->Arg(30)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
