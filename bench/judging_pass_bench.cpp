// One judging pass through the loaded plug-in, as a line program runs it:
// ExtInitInfo of a 20-parameter information buffer, then ExtGetStand of all
// 44 items, against a standard table of 100 000 records that holds the
// vehicle's conditions among many others.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bridges/plinth_bridge.h"
#include "engine/condition_rules.h"
#include "engine/profile_intake.h"
#include "platform/dynamic_library.h"
#include "store/item_set.h"
#include "store/standard_table.h"

namespace {

constexpr int kRecords = 100000;
constexpr int kParamsPerCondition = 5;

// A heavy truck in use; texts are the information buffer's GBK bytes (ASCII here).
const std::vector<std::pair<int, const char *>> kVehicle = {
    {1082, "10820002"},   {1088, "18000"},    {1083, "7600"},     {1089, "3"},
    {1014, "2016-04-12"}, {1005, "10050002"}, {1048, "10480001"}, {1066, "95"},
    {1037, "10370002"},   {1009, "10090002"}, {1084, "220"},      {1008, "10080002"},
    {1047, "6.7"},        {1045, "4"},        {1011, "2.3"},      {1164, "11640002"},
    {1104, "11040003"},   {1069, "10690005"}, {1070, "10700001"}, {1006, "10060005"}};

struct Fixture {
    std::string dir;
    bridges::PlinthBridge plinth;
    platform::DynamicLibrary limbank;
    int (*initInfo)(void *) = nullptr;
    int (*getStand)(void *) = nullptr;
    std::vector<unsigned char> info;

    Fixture() {
        char tmpl[] = "/tmp/judging-bench-XXXXXX";
        dir = ::mkdtemp(tmpl);
        std::filesystem::create_directory(dir + "/config");
        std::ofstream(dir + "/plinth.ini") << "[env]\nconfigDirectory=" << dir << "/config\n";
        ::setenv("PLINTH_ENV", (dir + "/plinth.ini").c_str(), 1);
        ::setenv("STATION_SYSDIR", BENCH_LIB_DIR, 1);
        if (plinth.LoadPlinth(1, reinterpret_cast<const void *>(&kRecords)) != 1) std::abort();

        info.assign(PLINTH_BUFFER_BYTES, 0);
        for (auto &[id, text] : kVehicle) plinth.WriteStdHead_Info(info.data(), id, text);

        WriteTable();
        if (!limbank.Open(std::string(BENCH_LIB_DIR) + "/liblimbank.so")) std::abort();
        initInfo = reinterpret_cast<int (*)(void *)>(limbank.Symbol("ExtInitInfo"));
        getStand = reinterpret_cast<int (*)(void *)>(limbank.Symbol("ExtGetStand"));
        if (initInfo == nullptr || getStand == nullptr) std::abort();
    }
    ~Fixture() {
        limbank.Close();
        std::filesystem::remove_all(dir);
    }

    // The vehicle's 44 conditions, spread over 20 devices, and filler
    // conditions of the same items up to kRecords records.
    void WriteTable() {
        engine::VehicleProfile profile;
        if (engine::TakeVehicleInfo(plinth, info.data(), profile) != 1) std::abort();
        store::StandardTable table;
        int records = 0, n = 0;
        auto add = [&](int devid, int itemid, const std::string &condition) {
            for (int p = 0; p < kParamsPerCondition; ++p, ++records)
                table.InsertRecord({devid, itemid, condition, itemid * 10 + p, 100.0f + p, 1.0f});
        };
        for (const auto &item : store::kStandardItems) {
            char condition[engine::kConditionBytes] = {};
            engine::BuildCondition(profile, item.itemId, condition, 0);
            add(1 + n++ % 20, item.itemId, condition);
        }
        for (int i = 0; records < kRecords; ++i) {
            const auto &item = store::kStandardItems[i % store::kItemCount];
            add(1 + i % 20, item.itemId, "filler condition " + std::to_string(i));
        }
        if (table.WriteFile(dir + "/config/StandarFile.sfd") != 1) std::abort();
    }
};

void BM_JudgingPass(benchmark::State &state) {
    static Fixture fixture;
    std::vector<unsigned char> standard(PLINTH_BUFFER_BYTES, 0);
    int items = 0;
    for (auto _ : state) {
        std::memset(standard.data(), 0, 19);  // a fresh standard buffer
        if (fixture.initInfo(fixture.info.data()) != 1) state.SkipWithError("ExtInitInfo");
        items = fixture.getStand(standard.data());
        benchmark::DoNotOptimize(standard.data());
    }
    state.counters["items"] = items;
}
BENCHMARK(BM_JudgingPass)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
