// The standard table: loading a 100 000-record file against merely reading its
// bytes, 44 lookups (one judging pass) through the index against the plain
// scan, and the memory the loaded table holds.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "heap_counter.h"
#include "store/item_set.h"
#include "store/standard_file_format.h"
#include "store/standard_table.h"

namespace {

constexpr int kFileRecords = 100000;

// GBK pieces of realistic condition texts.
const char *const kPieces[] = {
    "\xD2\xBA\xD1\xB9\xD6\xC6\xB6\xAF",  // hydraulic brake
    "\xC6\xF8\xD1\xB9\xD6\xC6\xB6\xAF",  // air brake
    "\xB3\xCB\xD3\xC3\xB3\xB5",          // passenger car
    "\xD4\xD8\xBB\xF5\xC6\xFB\xB3\xB5",  // goods vehicle
    "\xC1\xBD\xB5\xC6\xD6\xC6",          // two-lamp system
    "\xCB\xC4\xB5\xC6\xD6\xC6",          // four-lamp system
    "\xB5\xDA\xB6\xFE\xC0\xE0\xB3\xB5"
    "RM<=",  // class-two vehicle RM<=
};

std::string ConditionText(std::mt19937 &rng, int serial) {
    std::string text = kPieces[rng() % std::size(kPieces)];
    text += "/";
    text += kPieces[rng() % std::size(kPieces)];
    text += std::to_string(serial);
    return text;
}

// A temporary directory with a 100 000-record standard file: 20 devices of
// 15 items each, conditions of 5 to 10 parameters.
class FileFixture {
  public:
    FileFixture() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "sfd-bench-XXXXXX").string();
        if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
        dir_ = tmpl;
        path_ = dir_ + "/" + store::sfd::kFileName;
        std::mt19937 rng(7);
        store::StandardTable table;
        int records = 0;
        for (int serial = 0; records < kFileRecords; ++serial) {
            const int device = serial % 20;
            const int item = (serial / 20) % 15;
            const std::string text = ConditionText(rng, serial);
            const int params = 5 + static_cast<int>(rng() % 6);
            for (int p = 0; p < params && records < kFileRecords; ++p, ++records) {
                store::StdRecord r;
                r.devid = 1 + device;
                r.itemid = store::kStandardItems[static_cast<std::size_t>(item)].itemId;
                r.condition = text;
                r.paramid = 7000 + p;
                r.hvalue = static_cast<float>(rng() % 1000) / 10.0f;
                r.lvalue = 0.5f;
                table.InsertRecord(r);
            }
        }
        if (table.WriteFile(path_) != 1) std::abort();
    }
    ~FileFixture() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const std::string &Path() const { return path_; }

  private:
    std::string dir_;
    std::string path_;
};

const FileFixture &File() {
    static FileFixture fixture;
    return fixture;
}

// What a loader cannot avoid: open the file and read all of its bytes into a
// buffer of their size.
std::size_t ReadFileBytes(const std::string &path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) std::abort();
    struct stat st;
    ::fstat(fd, &st);
    const auto size = static_cast<std::size_t>(st.st_size);
    auto buffer = std::make_unique_for_overwrite<char[]>(size);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::pread(fd, buffer.get() + done, size - done, static_cast<off_t>(done));
        if (n <= 0) std::abort();
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    benchmark::DoNotOptimize(buffer.get());
    return done;
}

std::size_t ResidentBytes() {
    long pages = 0, resident = 0;
    std::FILE *f = std::fopen("/proc/self/statm", "r");
    if (f == nullptr) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return static_cast<std::size_t>(resident) * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// Runs first, in a fresh process, so that no earlier benchmark's freed memory
// hides the growth.
void BM_LoadedTableMemory(benchmark::State &state) {
    const std::string &path = File().Path();
    for (auto _ : state) {
        ::malloc_trim(0);
        const std::size_t rssBefore = ResidentBytes();
        bench::StartCountingHeap();
        auto table = std::make_unique<store::StandardTable>();
        if (table->LoadFromFile(path) != 1) std::abort();
        ::malloc_trim(0);
        const std::ptrdiff_t heapTable = bench::LiveHeapBytes();
        const std::size_t rssTable = ResidentBytes() - rssBefore;
        benchmark::DoNotOptimize(table->FindStandard(216, "x"));  // builds the index
        const std::ptrdiff_t heapWithIndex = bench::LiveHeapBytes();
        bench::StopCountingHeap();
        state.counters["records"] = static_cast<double>(table->RecordCount());
        state.counters["heap_table_MiB"] = static_cast<double>(heapTable) / (1 << 20);
        state.counters["heap_with_index_MiB"] = static_cast<double>(heapWithIndex) / (1 << 20);
        state.counters["rss_growth_MiB"] = static_cast<double>(rssTable) / (1 << 20);
    }
}
BENCHMARK(BM_LoadedTableMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ReadFileBytes(benchmark::State &state) {
    const std::string &path = File().Path();
    std::size_t bytes = 0;
    for (auto _ : state) bytes = ReadFileBytes(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);

// Start-up: the file into an empty table. Each iteration also reads the
// file's bytes alone, so that the ratio compares the two under the same
// conditions of the machine.
void BM_LoadFromFile(benchmark::State &state) {
    using Clock = std::chrono::steady_clock;
    const std::string &path = File().Path();
    std::size_t records = 0;
    double readSeconds = 0, loadSeconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        ReadFileBytes(path);
        const auto t1 = Clock::now();
        auto table = std::make_unique<store::StandardTable>();
        const auto t2 = Clock::now();
        if (table->LoadFromFile(path) != 1) state.SkipWithError("load failed");
        const auto t3 = Clock::now();
        records = table->RecordCount();
        const double load = std::chrono::duration<double>(t3 - t2).count();
        readSeconds += std::chrono::duration<double>(t1 - t0).count();
        loadSeconds += load;
        state.SetIterationTime(load);
    }
    state.counters["records"] = static_cast<double>(records);
    state.counters["read_ms"] = 1e3 * readSeconds / static_cast<double>(state.iterations());
    state.counters["load_to_read"] = loadSeconds / readSeconds;
}
BENCHMARK(BM_LoadFromFile)->UseManualTime()->Unit(benchmark::kMillisecond);

// A reload: emptying the filled table is part of the cost.
void BM_ReloadFromFile(benchmark::State &state) {
    const std::string &path = File().Path();
    store::StandardTable table;
    for (auto _ : state)
        if (table.LoadFromFile(path) != 1) state.SkipWithError("load failed");
    state.counters["records"] = static_cast<double>(table.RecordCount());
}
BENCHMARK(BM_ReloadFromFile)->Unit(benchmark::kMillisecond);

// A table filled to every capacity but the parameters: 20 devices x 30 items
// x 500 conditions, two parameters each.
struct FullTable {
    store::StandardTable table;
    std::vector<std::pair<int, std::string>> queries;  // one judging pass

    FullTable() {
        for (int d = 0; d < store::kMaxDevices; ++d)
            for (int i = 0; i < store::kMaxItemsPerDevice; ++i)
                for (int c = 0; c < store::kMaxConditionsPerItem; ++c) {
                    const std::string text =
                        std::string(kPieces[c % std::size(kPieces)]) + "/cond" + std::to_string(c);
                    for (int p = 0; p < 2; ++p) {
                        store::StdRecord r;
                        r.devid = 1 + d;
                        r.itemid = store::kStandardItems[static_cast<std::size_t>(i)].itemId;
                        r.condition = text;
                        r.paramid = 7001 + p;
                        table.InsertRecord(r);
                    }
                }
        // All 44 items: 30 found (late conditions, other letter case), 14 absent.
        for (std::size_t k = 0; k < store::kStandardItems.size(); ++k) {
            const int c = 499 - static_cast<int>(k);
            queries.emplace_back(
                store::kStandardItems[k].itemId,
                std::string(kPieces[c % std::size(kPieces)]) + "/COND" + std::to_string(c));
        }
    }
};

FullTable &Full() {
    static FullTable full;
    return full;
}

void BM_Lookup44Index(benchmark::State &state) {
    FullTable &full = Full();
    full.table.FindStandard(0, "");  // the index is built once, after the fill
    int found = 0;
    for (auto _ : state) {
        found = 0;
        for (const auto &[item, condition] : full.queries)
            found += full.table.FindStandard(item, condition) != nullptr;
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = found;
}
BENCHMARK(BM_Lookup44Index)->Unit(benchmark::kMicrosecond);

void BM_Lookup44Scan(benchmark::State &state) {
    FullTable &full = Full();
    int found = 0;
    for (auto _ : state) {
        found = 0;
        for (const auto &[item, condition] : full.queries)
            found += full.table.ScanStandard(item, condition) != nullptr;
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = found;
}
BENCHMARK(BM_Lookup44Scan)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
