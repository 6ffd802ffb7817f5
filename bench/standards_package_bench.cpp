// A national standards package of 200 000 rows (about 12 MB): reading it
// (UTF-8, every field, the GBK forms, the duplicate check and the digest),
// writing it, and its Ed25519 signature made and checked.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/ed25519.h"
#include "standards_package.h"

namespace {

constexpr int kItems = 200, kConditions = 100, kParams = 10;  // 200 000 rows

const std::string &PackageText() {
    static const std::string text = [] {
        const char *const types[] = {"车速表检验台", "制动检验台", "前照灯检测仪", "排气分析仪"};
        std::vector<stdhost::PackageRow> rows;
        rows.reserve(kItems * kConditions * kParams);
        for (int item = 1; item <= kItems; ++item)
            for (int c = 0; c < kConditions; ++c) {
                // Distinct conditions, so that the GBK forms are not all remembered.
                const std::string condition =
                    "液压制动/乘用车RM<=" + std::to_string(item * 1000 + c);
                for (int p = 1; p <= kParams; ++p)
                    rows.push_back({item, types[item % 4], condition, item * 100 + p,
                                    std::to_string(p * 7) + ".50", p % 3 ? "12.80" : "", 0});
            }
        stdhost::PackageHeader header{
            "national limits", "2027.1", "2027-01-01", "Provincial inspection centre", 0, ""};
        return stdhost::WriteStandardsPackage(header, rows);
    }();
    return text;
}

void BM_ReadPackage(benchmark::State &state) {
    const std::string &text = PackageText();
    for (auto _ : state) {
        stdhost::StandardsPackage package;
        std::string error;
        if (!stdhost::ReadStandardsPackage(text, "bench", package, error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(package.rows.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadPackage)->Unit(benchmark::kMillisecond);

void BM_WritePackage(benchmark::State &state) {
    stdhost::StandardsPackage package;
    std::string error;
    if (!stdhost::ReadStandardsPackage(PackageText(), "bench", package, error))
        state.SkipWithError(error.c_str());
    for (auto _ : state)
        benchmark::DoNotOptimize(stdhost::WriteStandardsPackage(package.header, package.rows));
}
BENCHMARK(BM_WritePackage)->Unit(benchmark::kMillisecond);

void BM_SignAndVerifyPackage(benchmark::State &state) {
    namespace ed = platform::ed25519;
    ed::PublicKey publicKey{};
    ed::SecretKey secretKey{};
    ed::MakeKeyPair(publicKey, secretKey);
    const std::string &text = PackageText();
    for (auto _ : state) {
        const ed::Signature signature = ed::Sign(text, secretKey);
        if (!ed::Verify(text, signature, publicKey)) state.SkipWithError("no verification");
    }
}
BENCHMARK(BM_SignAndVerifyPackage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
