// Endurance: what a station's programs do for days, squeezed into minutes,
// watching time and resident memory.
//
//   limbank   liblimbank.so loaded with dlopen as a line program loads it, on a
//             station database made from the shipped seed data (the national
//             standards, the line index, the stamp) plus 100 stored series
//             standards of the sample catalogue (about 15 000 limit rows).
//             One million judging passes (ExtInitInfo, ExtInitItem with the
//             line's items, ExtGetStand), cycling through the four sample
//             vehicles, and a thousand reloads (the stamp in tb_status_memstd
//             moved on, then ExtParamSave), one reload before every block of
//             a thousand passes. Every pass must give the items of the first
//             one; every 1 024th pass the whole standard buffer is compared.
//   editor    the series editor's core: a catalogue of 2 000 parameters over
//             a tb_id_standard that already holds 50 series, and a hundred
//             generations of one series with new limits each time (the first
//             inserts 2 000 rows, the others update them), each after loading
//             the series' stored limits, as the editor does.
//   table     one standard table filled to every capacity (20 devices x 30
//             items x 500 conditions x 50 parameters, 15 000 000 records),
//             its heap and resident memory, against the 217 MiB of a fixed
//             reservation of the same capacity.
//
// limbank and editor run on SQLite, and on PostgreSQL too when
// $STATION_TEST_PG names a data source of $ODBCINI. Each phase runs in a child
// process of its own, so that the resident memory it reports is its own.
// Resident memory (VmRSS, and the peak VmHWM, of /proc/self/status) is shown
// at the start, after the first reload or generation, and at the end; a
// growth between the last two beyond the tolerance is reported as a finding
// (the program does not fail for it).
//
// Run (a Release build gives the figures that count):
//   build-bench/bench/endurance_bench
//   build-bench/bench/endurance_bench --passes 20000 --reloads 20 --generations 10
//   ODBCINI=/path/odbc.ini STATION_TEST_PG=station_pg build-bench/bench/endurance_bench
// --summary FILE also writes the figures as tab-separated lines
// (name, value, unit) for a script.
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_database.h"
#include "bridges/plinth_bridge.h"
#include "ext_family.h"
#include "generator/catalogue.h"
#include "generator/messages.h"
#include "generator/series_standard.h"
#include "platform/atomic_file.h"
#include "platform/dynamic_library.h"
#include "platform/gbk.h"
#include "platform/ini_file.h"
#include "stationdb/stationdb.h"
#include "store/database_stamp.h"
#include "store/item_set.h"
#include "store/standard_table.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

struct Options {
    long long passes = 1000000;
    long long reloads = 1000;
    long long generations = 100;
    int series = 100;  // series standards stored in the Limbank station's database
    double toleranceMiB = 1.0;
    std::set<std::string> phases{"limbank", "editor", "table"};
    std::string summaryFile;
};

// ---------------------------------------------------------------------------
// Resident memory and the summary

// Bytes that malloc has handed out and not got back (the main arena and
// mmapped blocks; the program has one thread).
double HeapMiB() {
    const struct mallinfo2 mi = ::mallinfo2();
    return static_cast<double>(mi.uordblks + mi.hblkhd) / (1 << 20);
}

// Resident memory, and the heap in use beside it: RSS that grows while the
// heap in use does not is memory the allocator keeps, not a leak.
struct Memory {
    long rssKiB = 0;
    long hwmKiB = 0;
    double heapMiB = 0;
};

Memory ReadMemory() {
    Memory m;
    m.heapMiB = HeapMiB();
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) m.rssKiB = std::atol(line.c_str() + 6);
        if (line.rfind("VmHWM:", 0) == 0) m.hwmKiB = std::atol(line.c_str() + 6);
    }
    return m;
}

double MiB(long kib) {
    return static_cast<double>(kib) / 1024.0;
}

void PrintMemory(const char *when, const Memory &m) {
    std::printf("  memory %-22s VmRSS %8.1f MiB   VmHWM %8.1f MiB   heap in use %8.1f MiB\n", when,
                MiB(m.rssKiB), MiB(m.hwmKiB), m.heapMiB);
}

// Lines "name<TAB>value<TAB>unit" appended to --summary FILE (each phase is a
// child process: appending keeps the lines of all of them).
class Summary {
  public:
    explicit Summary(std::string file) : file_(std::move(file)) {}
    void Add(const std::string &name, double value, const char *unit) const {
        if (file_.empty()) return;
        std::FILE *f = std::fopen(file_.c_str(), "a");
        if (f == nullptr) return;
        std::fprintf(f, "%s\t%.6g\t%s\n", name.c_str(), value, unit);
        std::fclose(f);
    }

  private:
    std::string file_;
};

// The growth between two points; a finding when it is beyond the tolerance.
void ReportGrowth(const Summary &summary, const std::string &name, const char *from,
                  const Memory &a, const Memory &b, double toleranceMiB) {
    const double growth = MiB(b.rssKiB - a.rssKiB);
    const double heapGrowth = b.heapMiB - a.heapMiB;
    summary.Add(name + "/rss_growth", growth, "MiB");
    summary.Add(name + "/heap_growth", heapGrowth, "MiB");
    if (growth > toleranceMiB) {
        std::printf(
            "  FINDING: VmRSS grew by %.1f MiB between %s and the end (tolerance %.1f MiB); "
            "the heap in use by %+.1f MiB\n",
            growth, from, toleranceMiB, heapGrowth);
        // Whether the growth is free memory that malloc keeps: trimming gives it back.
        ::malloc_trim(0);
        const Memory trimmed = ReadMemory();
        std::printf("  after malloc_trim(0): VmRSS %.1f MiB, heap in use %.1f MiB\n",
                    MiB(trimmed.rssKiB), trimmed.heapMiB);
        summary.Add(name + "/rss_end_trimmed", MiB(trimmed.rssKiB), "MiB");
    } else
        std::printf(
            "  VmRSS between %s and the end: %+.1f MiB, within the tolerance of %.1f MiB; "
            "the heap in use %+.1f MiB\n",
            from, growth, toleranceMiB, heapGrowth);
}

// Mean of the first and of the last tenth of `times` (at least one each).
std::pair<double, double> FirstAndLastTenth(const std::vector<double> &times) {
    if (times.empty()) return {0, 0};
    const std::size_t n = std::max<std::size_t>(1, times.size() / 10);
    double first = 0, last = 0;
    for (std::size_t i = 0; i < n; ++i) {
        first += times[i];
        last += times[times.size() - 1 - i];
    }
    return {first / static_cast<double>(n), last / static_cast<double>(n)};
}

// ---------------------------------------------------------------------------
// Databases

struct Database {
    std::unique_ptr<bench::PostgresSchema> schema;  // drops itself
    std::string connectString;
    std::string dsn, user, password;  // what the environment record's databaseLine names
};

// SQLite: a file of the work directory; PostgreSQL: a schema <prefix>_<pid>
// reached through the data source <prefix>_pg_<pid> that PostgresSchema adds.
Database MakeDatabase(const std::string &dialect, const std::string &prefix) {
    Database db;
    if (dialect == "sqlite") {
        db.dsn = prefix + "_sqlite";
        db.connectString = bench::MakeSqliteSource(db.dsn, bench::WorkDir() + "/" + prefix + ".db");
        return db;
    }
    db.schema = std::make_unique<bench::PostgresSchema>(prefix);
    db.connectString = db.schema->ConnectString();
    const char *source = std::getenv("STATION_TEST_PG");
    db.dsn = prefix + "_pg_" + std::to_string(static_cast<long>(::getpid()));
    db.user = platform::GetProfileString(bench::OdbcIni(), source, "Username", "");
    db.password = platform::GetProfileString(bench::OdbcIni(), source, "Password", "");
    return db;
}

// The shipped seed data: every db/seed/<table>.tsv.
void ImportSeed(stationdb::Connection &connection) {
    const std::filesystem::path seed = std::filesystem::path(BENCH_SOURCE_DIR) / "db" / "seed";
    std::vector<std::filesystem::path> files;
    for (const auto &entry : std::filesystem::directory_iterator(seed))
        if (entry.path().extension() == ".tsv") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    if (files.empty()) throw std::runtime_error("no seed data in " + seed.string());
    for (const auto &file : files)
        stationdb::ImportTsv(connection, file.stem().string(), file.string());
}

// `series` series standards of the seeded catalogue, stored as the series
// editor stores them: one row per parameter under "brand_series".
long long AddSeriesStandards(stationdb::Connection &connection, int series) {
    std::vector<std::pair<int, int>> params;  // itemid, paramid
    {
        stationdb::Statement st(connection, "select ItemId, ParamId from tb_id_param");
        st.Execute();
        while (st.Fetch())
            params.emplace_back(std::atoi(st.Utf8(1).c_str()), std::atoi(st.Utf8(2).c_str()));
    }
    stationdb::Transaction transaction(connection);
    stationdb::Statement insert(connection,
                                "insert into tb_id_standard (type, itemid, itemname, condition, "
                                "paramid, paramname, hvalue, lvalue, stdorder) "
                                "values ('', ?, '', ?, ?, '', ?, ?, 0)");
    long long rows = 0;
    char value[32];
    for (int s = 0; s < series; ++s) {
        // "大众_系列<s>"
        const std::string condition =
            "\xE5\xA4\xA7\xE4\xBC\x97_\xE7\xB3\xBB\xE5\x88\x97" + std::to_string(s);
        for (const auto &[item, param] : params) {
            insert.BindInt(1, item);
            insert.BindUtf8(2, condition);
            insert.BindInt(3, param);
            std::snprintf(value, sizeof value, "%.2f", 50.0 + (s + param) % 50);
            insert.BindUtf8(4, value);
            std::snprintf(value, sizeof value, "%.2f", static_cast<double>((s + item) % 10));
            insert.BindUtf8(5, value);
            insert.Execute();
            ++rows;
        }
    }
    transaction.Commit();
    return rows;
}

// ---------------------------------------------------------------------------
// Phase limbank

using Buffer = std::vector<unsigned char>;

// The sample vehicles of host/sample-station/vehicles: ID=TEXT lines (UTF-8),
// written into information buffers as a line program sends them (GBK).
std::vector<std::pair<std::string, Buffer>> VehicleBuffers(const bridges::PlinthBridge &plinth) {
    const std::filesystem::path dir =
        std::filesystem::path(BENCH_SOURCE_DIR) / "host" / "sample-station" / "vehicles";
    std::vector<std::filesystem::path> files;
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        if (entry.path().extension() == ".vehicle") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<std::pair<std::string, Buffer>> vehicles;
    for (const auto &file : files) {
        Buffer info(PLINTH_BUFFER_BYTES, 0);
        std::ifstream in(file);
        std::string line;
        while (std::getline(in, line)) {
            const auto eq = line.find('=');
            if (line.empty() || line[0] == '#' || eq == std::string::npos) continue;
            std::string gbk;
            if (!platform::Utf8ToGbk(line.substr(eq + 1), gbk) ||
                plinth.WriteStdHead_Info(info.data(), std::atoi(line.c_str()), gbk.c_str()) != 1)
                throw std::runtime_error("cannot take " + file.string() + ": " + line);
        }
        vehicles.emplace_back(file.stem().string(), std::move(info));
    }
    if (vehicles.empty()) throw std::runtime_error("no vehicles in " + dir.string());
    return vehicles;
}

std::size_t UsedBytes(const bridges::PlinthBridge &plinth, const Buffer &buffer) {
    StdHead head{};
    if (plinth.ParseStdHead(buffer.data(), &head) < 1) return 0;
    return sizeof(StdHead) + static_cast<std::size_t>(head.payloadBytes);
}

struct LimitsPlugin {
    platform::DynamicLibrary library;
    decltype(&::ExtInitInfo) initInfo = nullptr;
    decltype(&::ExtInitItem) initItem = nullptr;
    decltype(&::ExtGetStand) getStand = nullptr;
    decltype(&::ExtParamSave) paramSave = nullptr;
};

// A station database for the limits plug-in, with its plinth.ini and
// config directory, and the editor's connection that moves the stamp on.
struct LimbankStation {
    Database db;
    stationdb::Connection connection;
    long long seriesRows = 0;
    long long stamp = 0;
    std::string config;
};

void PrepareLimbankStation(LimbankStation &station, const Options &o, const std::string &dialect) {
    station.db = MakeDatabase(dialect, "endurance");
    station.connection.Open(station.db.connectString);
    bench::CreateTables(station.connection, dialect);
    ImportSeed(station.connection);
    station.seriesRows = AddSeriesStandards(station.connection, o.series);
    station.stamp = std::atoll(store::ReadDatabaseStamp(station.connection).value_or("0").c_str());
    const std::string dir = bench::WorkDir() + "/limbank-" + dialect;
    station.config = dir + "/config";
    std::filesystem::create_directories(station.config);
    const std::string plinthIni = dir + "/plinth.ini";
    const Database &db = station.db;
    if (platform::WriteFileAtomically(
            plinthIni, "[env]\nconfigDirectory=" + station.config + "\ndatabaseLine=" + db.dsn +
                           ",,,,," + db.user + "," + db.password +
                           "\nstationLine=1,endurance,,,,,,,,,,,,,,,,0\n") !=
        platform::AtomicWriteResult::kOk)
        throw std::runtime_error("cannot write " + plinthIni);
    ::setenv("PLINTH_ENV", plinthIni.c_str(), 1);
    ::setenv("STATION_SYSDIR", BENCH_LIB_DIR, 1);
}

// The line's items, as the line program hands them over.
Buffer LineItems(stationdb::Connection &connection, const bridges::PlinthBridge &plinth) {
    Buffer items(PLINTH_BUFFER_BYTES, 0);
    stationdb::Statement st(connection,
                            "select distinct devid, itemid from tb_login_lineindex "
                            "order by devid, itemid");
    st.Execute();
    while (st.Fetch())
        plinth.WriteStdHead_Item(items.data(), std::atoi(st.Utf8(2).c_str()),
                                 std::atoi(st.Utf8(1).c_str()));
    return items;
}

void OpenLimitsPlugin(LimitsPlugin &p) {
    if (!p.library.Open(std::string(BENCH_LIB_DIR) + "/liblimbank.so"))
        throw std::runtime_error(p.library.LastError());
    p.initInfo = reinterpret_cast<decltype(p.initInfo)>(p.library.Symbol("ExtInitInfo"));
    p.initItem = reinterpret_cast<decltype(p.initItem)>(p.library.Symbol("ExtInitItem"));
    p.getStand = reinterpret_cast<decltype(p.getStand)>(p.library.Symbol("ExtGetStand"));
    p.paramSave = reinterpret_cast<decltype(p.paramSave)>(p.library.Symbol("ExtParamSave"));
    if (!p.initInfo || !p.initItem || !p.getStand || !p.paramSave)
        throw std::runtime_error("liblimbank.so lacks an export");
}

// Judging passes through the plug-in, each checked against what the vehicle
// got in the first pass: its item count and its whole standard buffer.
struct Judging {
    Judging(LimitsPlugin &p, const bridges::PlinthBridge &b,
            const std::vector<std::pair<std::string, Buffer>> &v, const Buffer &i)
        : plugin(p), plinth(b), vehicles(v), items(i) {}

    LimitsPlugin &plugin;
    const bridges::PlinthBridge &plinth;
    const std::vector<std::pair<std::string, Buffer>> &vehicles;
    const Buffer &items;
    Buffer standard = Buffer(PLINTH_BUFFER_BYTES, 0);
    std::vector<int> expectedItems;
    std::vector<Buffer> expectedBytes;
    long long wrongPasses = 0;

    int Pass(const Buffer &info) {
        std::memset(standard.data(), 0, sizeof(StdHead));  // a fresh standard buffer
        if (plugin.initInfo(const_cast<unsigned char *>(info.data())) != 1) ++wrongPasses;
        plugin.initItem(const_cast<unsigned char *>(items.data()));
        return plugin.getStand(standard.data());
    }
    void RecordExpected() {
        for (const auto &[vehicle, info] : vehicles) {
            expectedItems.push_back(Pass(info));
            expectedBytes.emplace_back(standard.begin(),
                                       standard.begin() + UsedBytes(plinth, standard));
            std::printf("  vehicle %-16s %2d items with limits, %zu bytes of standard buffer\n",
                        vehicle.c_str(), expectedItems.back(), expectedBytes.back().size());
        }
    }
    // Every vehicle once, its whole buffer compared.
    void CheckRound() {
        for (std::size_t v = 0; v < vehicles.size(); ++v) {
            const int n = Pass(vehicles[v].second);
            const Buffer &want = expectedBytes[v];
            if (n != expectedItems[v] || UsedBytes(plinth, standard) != want.size() ||
                std::memcmp(standard.data(), want.data(), want.size()) != 0)
                ++wrongPasses;
        }
    }
    // Pass number `done`: the count always, the buffer every 1024th pass.
    void Quick(long long done) {
        const std::size_t v = static_cast<std::size_t>(done) % vehicles.size();
        if (Pass(vehicles[v].second) != expectedItems[v]) ++wrongPasses;
        if ((done & 1023) == 0 &&
            std::memcmp(standard.data(), expectedBytes[v].data(), expectedBytes[v].size()) != 0)
            ++wrongPasses;
    }
};

// What the passes and reloads of a run measured.
struct LimbankTimes {
    std::vector<double> reloadSeconds, blockPassSeconds;
    std::vector<long long> blockPasses;
    long long failedReloads = 0;
    Memory afterFirst;
    std::vector<Memory> trajectory;
};

// The passes in blocks, one reload (the stamp moved on first) before each
// block while reloads remain.
void RunPassesAndReloads(const Options &o, LimbankStation &station, LimitsPlugin &p,
                         Judging &judging, LimbankTimes &t) {
    const std::string memstd = station.config + "/memstd.ini";
    const long long blocks = std::max<long long>(o.reloads, 1);
    const long long tenth = std::max<long long>(blocks / 10, 1);
    long long done = 0;
    for (long long b = 0; b < blocks; ++b) {
        if (b < o.reloads) {
            const std::string text = std::to_string(++station.stamp);
            store::WriteDatabaseStamp(station.connection, text);
            const auto r0 = Clock::now();
            p.paramSave(nullptr);
            t.reloadSeconds.push_back(Seconds(r0, Clock::now()));
            if (platform::GetProfileString(memstd, "CREATETIME", "TIME", "") != text)
                ++t.failedReloads;
            if (b == 0) {
                judging.CheckRound();  // the reloaded table in service, its index built
                t.afterFirst = ReadMemory();
            }
        }
        const long long until = o.passes * (b + 1) / blocks;
        const long long count = until - done;
        const auto s0 = Clock::now();
        for (; done < until; ++done) judging.Quick(done);
        t.blockPassSeconds.push_back(Seconds(s0, Clock::now()));
        t.blockPasses.push_back(count);
        if ((b + 1) % tenth == 0) t.trajectory.push_back(ReadMemory());
    }
}

void ReportPasses(const Options &o, const Summary &summary, const std::string &name,
                  const LimbankTimes &t) {
    double passSeconds = 0;
    for (double s : t.blockPassSeconds) passSeconds += s;
    const double passUs = o.passes > 0 ? passSeconds * 1e6 / static_cast<double>(o.passes) : 0;
    // Per-pass time of the first and last tenth of the blocks.
    std::vector<double> perPass;
    for (std::size_t i = 0; i < t.blockPassSeconds.size(); ++i)
        if (t.blockPasses[i] > 0)
            perPass.push_back(t.blockPassSeconds[i] * 1e6 / static_cast<double>(t.blockPasses[i]));
    const auto [passFirst, passLast] = FirstAndLastTenth(perPass);
    std::printf(
        "  judging pass: %.2f us on average over %lld passes (first tenth %.2f us, "
        "last tenth %.2f us)\n",
        passUs, o.passes, passFirst, passLast);
    summary.Add(name + "/passes", static_cast<double>(o.passes), "");
    summary.Add(name + "/pass", passUs, "us");
}

void ReportReloads(const Summary &summary, const std::string &name,
                   const std::vector<double> &reloadSeconds) {
    if (reloadSeconds.empty()) return;
    std::vector<double> sorted = reloadSeconds;
    std::sort(sorted.begin(), sorted.end());
    double total = 0;
    for (double s : reloadSeconds) total += s;
    const double mean = total * 1e3 / static_cast<double>(reloadSeconds.size());
    const auto [first, last] = FirstAndLastTenth(reloadSeconds);
    std::printf(
        "  reload (ExtParamSave): %.1f ms on average over %zu, median %.1f ms, "
        "max %.1f ms (first tenth %.1f ms, last tenth %.1f ms)\n",
        mean, reloadSeconds.size(), sorted[sorted.size() / 2] * 1e3, sorted.back() * 1e3,
        first * 1e3, last * 1e3);
    summary.Add(name + "/reloads", static_cast<double>(reloadSeconds.size()), "");
    summary.Add(name + "/reload", mean, "ms");
    summary.Add(name + "/reload_first_tenth", first * 1e3, "ms");
    summary.Add(name + "/reload_last_tenth", last * 1e3, "ms");
}

void ReportMemory(const Options &o, const Summary &summary, const std::string &name,
                  const Memory &start, const LimbankTimes &t, const Memory &end) {
    if (o.reloads > 0) PrintMemory("after the first reload", t.afterFirst);
    PrintMemory("end", end);
    std::printf("  VmRSS / heap in use at each tenth (MiB):");
    for (const Memory &m : t.trajectory) std::printf(" %.1f/%.1f", MiB(m.rssKiB), m.heapMiB);
    std::printf("\n");
    summary.Add(name + "/rss_start", MiB(start.rssKiB), "MiB");
    summary.Add(name + "/rss_after_first", MiB(t.afterFirst.rssKiB), "MiB");
    summary.Add(name + "/rss_end", MiB(end.rssKiB), "MiB");
    summary.Add(name + "/hwm_end", MiB(end.hwmKiB), "MiB");
    if (o.reloads > 0)
        ReportGrowth(summary, name, "the first reload", t.afterFirst, end, o.toleranceMiB);
}

// The records of the standard file the plug-in wrote, or -1.
long long StandardFileRecords(const std::string &config) {
    store::StandardTable table;
    return table.LoadFromFile(config + "/StandarFile.sfd") == 1
               ? static_cast<long long>(table.RecordCount())
               : -1;
}

int RunLimbank(const Options &o, const Summary &summary, const std::string &dialect) {
    const std::string name = "limbank/" + dialect;
    std::printf("\n=== %s: %lld judging passes and %lld reloads through liblimbank.so\n",
                name.c_str(), o.passes, o.reloads);
    LimbankStation station;
    PrepareLimbankStation(station, o, dialect);

    // The line program's own side: the environment library and its buffers.
    static const int kHostAddress = 0;
    bridges::PlinthBridge plinth;
    if (plinth.LoadPlinth(1, &kHostAddress) != 1) throw std::runtime_error("libplinth.so");
    const auto vehicles = VehicleBuffers(plinth);
    const Buffer items = LineItems(station.connection, plinth);

    const Memory beforeLoad = ReadMemory();
    // Loading the plug-in fills its table from the database (no standard file yet).
    const auto t0 = Clock::now();
    LimitsPlugin p;
    OpenLimitsPlugin(p);
    const double loadSeconds = Seconds(t0, Clock::now());
    const long long records = StandardFileRecords(station.config);
    std::printf(
        "  station: seed data and %d series standards (%lld rows), %lld records in "
        "the plug-in's table; loaded in %.0f ms\n",
        o.series, station.seriesRows, records, loadSeconds * 1e3);
    if (records <= 0) throw std::runtime_error("the plug-in did not load the database");

    Judging judging(p, plinth, vehicles, items);
    judging.RecordExpected();
    const Memory start = ReadMemory();
    PrintMemory("before loading", beforeLoad);
    PrintMemory("start (table loaded)", start);

    LimbankTimes t;
    t.afterFirst = start;
    RunPassesAndReloads(o, station, p, judging, t);
    judging.CheckRound();
    const Memory end = ReadMemory();
    ReportMemory(o, summary, name, start, t, end);
    ReportPasses(o, summary, name, t);
    summary.Add(name + "/records", static_cast<double>(records), "");
    ReportReloads(summary, name, t.reloadSeconds);
    summary.Add(name + "/wrong_passes", static_cast<double>(judging.wrongPasses), "");
    summary.Add(name + "/failed_reloads", static_cast<double>(t.failedReloads), "");
    if (judging.wrongPasses != 0)
        std::printf("  FINDING: %lld passes did not give the vehicle's standards\n",
                    judging.wrongPasses);
    if (t.failedReloads != 0)
        std::printf("  FINDING: %lld reloads did not record the new stamp\n", t.failedReloads);
    p.library.Close();
    return judging.wrongPasses == 0 && t.failedReloads == 0 ? 0 : 1;
}

// ---------------------------------------------------------------------------
// Phase editor

constexpr long long kParams = bench::kCatalogueSize;
constexpr int kBackgroundSeries = 50;

class QuietSink : public generator::MessageSink {
  public:
    void Show(const generator::Message &) override { ++shown_; }
    bool Confirm(const generator::Message &) override {
        ++shown_;
        return false;
    }
    int Shown() const { return shown_; }

  private:
    int shown_ = 0;
};

void SetLimits(generator::Catalogue &catalogue, long long pass) {
    int n = 0;
    catalogue.ForEachParam([&](const generator::CatalogueDevice &, const generator::CatalogueItem &,
                               generator::CatalogueParam &param, const generator::ParamPosition &) {
        param.hvalue = static_cast<float>(100 + pass % 1000) + static_cast<float>(n % 100) * 0.25f;
        param.lvalue = static_cast<float>(n % 10) * 0.5f;
        ++n;
    });
}

int RunEditor(const Options &o, const Summary &summary, const std::string &dialect) {
    const std::string name = "editor/" + dialect;
    std::printf("\n=== %s: %lld generations of a %lld-parameter series\n", name.c_str(),
                o.generations, kParams);
    std::string brand;
    if (!platform::Utf8ToGbk("\xE4\xB8\x9C\xE9\xA3\x8E", brand))  // 东风
        throw std::runtime_error("no GBK conversion");
    Database db = MakeDatabase(dialect, "endgen");
    stationdb::Connection connection;
    connection.Open(db.connectString);
    bench::CreateTables(connection, dialect);
    bench::PopulateCatalogue(connection);
    generator::Catalogue catalogue;
    QuietSink sink;
    if (generator::LoadCatalogue(&connection, catalogue, sink) != 1 ||
        static_cast<long long>(catalogue.ParamCount()) != kParams || sink.Shown() != 0)
        throw std::runtime_error("the generated catalogue does not load whole");
    for (int n = 0; n < kBackgroundSeries; ++n) {
        SetLimits(catalogue, n);
        generator::GenerateSeriesStandard(&connection, catalogue, brand, "BG" + std::to_string(n));
    }
    connection.Execute("ANALYZE");
    std::printf("  station: %lld parameters, %d series stored (%lld rows)\n", kParams,
                kBackgroundSeries, kBackgroundSeries * kParams);

    const std::string series = "ENDURANCE";
    const Memory start = ReadMemory();
    Memory afterFirst = start;
    std::vector<double> generate, load;
    long long wrong = 0;
    for (long long g = 0; g < o.generations; ++g) {
        const auto t0 = Clock::now();
        generator::LoadSeriesLimits(&connection, catalogue, brand, series);
        const auto t1 = Clock::now();
        SetLimits(catalogue, g + 1);
        const auto result =
            generator::GenerateSeriesStandard(&connection, catalogue, brand, series);
        const auto t2 = Clock::now();
        load.push_back(Seconds(t0, t1));
        generate.push_back(Seconds(t1, t2));
        if ((g == 0 ? result.inserted : result.updated) != kParams) ++wrong;
        if (g == 0) afterFirst = ReadMemory();
    }
    const Memory end = ReadMemory();
    PrintMemory("start", start);
    if (o.generations > 0) PrintMemory("after the first", afterFirst);
    PrintMemory("end", end);
    auto mean = [](const std::vector<double> &v) {
        double total = 0;
        for (double s : v) total += s;
        return v.empty() ? 0.0 : total * 1e3 / static_cast<double>(v.size());
    };
    const auto [first, last] = FirstAndLastTenth(generate);
    std::printf(
        "  generation: %.1f ms on average (first tenth %.1f ms, last tenth %.1f ms); "
        "loading the series' limits before it: %.1f ms\n",
        mean(generate), first * 1e3, last * 1e3, mean(load));
    summary.Add(name + "/generations", static_cast<double>(o.generations), "");
    summary.Add(name + "/generation", mean(generate), "ms");
    summary.Add(name + "/generation_first_tenth", first * 1e3, "ms");
    summary.Add(name + "/generation_last_tenth", last * 1e3, "ms");
    summary.Add(name + "/load_limits", mean(load), "ms");
    summary.Add(name + "/rss_start", MiB(start.rssKiB), "MiB");
    summary.Add(name + "/rss_after_first", MiB(afterFirst.rssKiB), "MiB");
    summary.Add(name + "/rss_end", MiB(end.rssKiB), "MiB");
    summary.Add(name + "/wrong_generations", static_cast<double>(wrong), "");
    if (o.generations > 0)
        ReportGrowth(summary, name, "the first generation", afterFirst, end, o.toleranceMiB);
    if (wrong != 0)
        std::printf("  FINDING: %lld generations did not write every parameter\n", wrong);
    return wrong == 0 ? 0 : 1;
}

// ---------------------------------------------------------------------------
// Phase table

// The fixed reservation of the full capacity as the original layout makes it
// (32-bit, packed as the compiler lays the records out): 20 x 30 x 500 x 50
// parameters of 12 bytes, 20 x 30 x 500 conditions of 160 bytes (150-byte
// text, padding, count, pointer), 20 x 30 items of 12 bytes, each item array
// and condition array preceded by its 4-byte capacity.
constexpr double kFixedReservationBytes =
    20.0 * 30 * 500 * 50 * 12 + 20.0 * 30 * 500 * 160 + 20.0 * 30 * 12 + 20.0 * 4 + 20.0 * 30 * 4;

int RunTable(const Summary &summary) {
    std::printf("\n=== table: a standard table filled to every capacity\n");
    // GBK pieces of condition texts; the texts take 22 to 26 bytes (the
    // shipped national standards average 26).
    const char *const pieces[] = {
        "\xD2\xBA\xD1\xB9\xD6\xC6\xB6\xAF",  // hydraulic brake
        "\xC6\xF8\xD1\xB9\xD6\xC6\xB6\xAF",  // air brake
        "\xB3\xCB\xD3\xC3\xB3\xB5",          // passenger car
        "\xD4\xD8\xBB\xF5\xC6\xFB\xB3\xB5",  // goods vehicle
        "\xC1\xBD\xB5\xC6\xD6\xC6",          // two-lamp system
        "\xCB\xC4\xB5\xC6\xD6\xC6",          // four-lamp system
    };
    ::malloc_trim(0);
    const Memory before = ReadMemory();
    const double heapBefore = HeapMiB();
    const auto t0 = Clock::now();
    auto table = std::make_unique<store::StandardTable>();
    std::string text;
    for (int d = 0; d < store::kMaxDevices; ++d)
        for (int i = 0; i < store::kMaxItemsPerDevice; ++i)
            for (int c = 0; c < store::kMaxConditionsPerItem; ++c) {
                text = pieces[c % 6];
                text += "/";
                text += pieces[(c / 6) % 6];
                text += ",RM<=" + std::to_string(1000 + c);
                for (int k = 0; k < store::kMaxParamsPerCondition; ++k) {
                    store::StdRecord r;
                    r.devid = 1 + d;
                    r.itemid = store::kStandardItems[static_cast<std::size_t>(i)].itemId;
                    r.condition = text;
                    r.paramid = 7001 + k;
                    r.hvalue = static_cast<float>(k);
                    r.lvalue = 0.5f;
                    table->InsertRecord(r);
                }
            }
    const double fillSeconds = Seconds(t0, Clock::now());
    ::malloc_trim(0);
    const Memory filled = ReadMemory();
    const double heapTable = HeapMiB() - heapBefore;
    const bool found = table->FindStandard(store::kStandardItems[0].itemId, text) != nullptr;
    const Memory indexed = ReadMemory();
    const double heapIndexed = HeapMiB() - heapBefore;
    const double fixed = kFixedReservationBytes / (1 << 20);
    std::printf("  %zu records filled in %.1f s%s\n", table->RecordCount(), fillSeconds,
                found ? "" : " (the lookup did not find a stored condition)");
    std::printf("  heap: %.1f MiB, with the lookup index %.1f MiB\n", heapTable, heapIndexed);
    std::printf("  VmRSS growth: %.1f MiB, with the lookup index %.1f MiB (VmHWM %.1f MiB)\n",
                MiB(filled.rssKiB - before.rssKiB), MiB(indexed.rssKiB - before.rssKiB),
                MiB(indexed.hwmKiB));
    std::printf("  a fixed reservation of the full capacity: %.1f MiB\n", fixed);
    summary.Add("table/records", static_cast<double>(table->RecordCount()), "");
    summary.Add("table/heap", heapTable, "MiB");
    summary.Add("table/heap_with_index", heapIndexed, "MiB");
    summary.Add("table/rss_growth", MiB(filled.rssKiB - before.rssKiB), "MiB");
    summary.Add("table/rss_growth_with_index", MiB(indexed.rssKiB - before.rssKiB), "MiB");
    summary.Add("table/fixed_reservation", fixed, "MiB");
    return found ? 0 : 1;
}

// ---------------------------------------------------------------------------
// The command line and the child processes

void Usage(std::FILE *to) {
    std::fprintf(to,
                 "usage: endurance_bench [--passes N] [--reloads N] [--generations N] "
                 "[--series N]\n"
                 "                       [--tolerance-mib X] [--only PHASE,...] "
                 "[--summary FILE]\n"
                 "  phases: limbank (1 000 000 passes, 1 000 reloads), editor (100 "
                 "generations),\n"
                 "          table (a full-capacity standard table); all by default\n"
                 "  --series N   series standards in the Limbank station's database "
                 "(default 100)\n"
                 "  --summary    appends name<TAB>value<TAB>unit lines to FILE\n");
}

bool ParseOptions(int argc, char **argv, Options &o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            std::exit(0);
        }
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        char *end = nullptr;
        if (arg == "--passes" || arg == "--reloads" || arg == "--generations" ||
            arg == "--series") {
            const long long n = std::strtoll(value.c_str(), &end, 10);
            if (*end != '\0' || n < 0 || (arg == "--series" && n > 100000)) return false;
            if (arg == "--passes") o.passes = n;
            if (arg == "--reloads") o.reloads = n;
            if (arg == "--generations") o.generations = n;
            if (arg == "--series") o.series = static_cast<int>(n);
        } else if (arg == "--tolerance-mib") {
            o.toleranceMiB = std::strtod(value.c_str(), &end);
            if (*end != '\0' || o.toleranceMiB < 0) return false;
        } else if (arg == "--only") {
            o.phases.clear();
            std::stringstream list(value);
            for (std::string phase; std::getline(list, phase, ',');) {
                if (phase != "limbank" && phase != "editor" && phase != "table") return false;
                o.phases.insert(phase);
            }
        } else if (arg == "--summary") {
            o.summaryFile = value;
        } else {
            return false;
        }
    }
    return true;
}

// Runs `phase` in a child process; its exit status (1 for an exception).
template <typename Phase>
int InChild(Phase phase) {
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid < 0) return 1;
    if (pid == 0) {
        int status = 1;
        try {
            status = phase();
        } catch (const std::exception &e) {
            std::printf("  failed: %s\n", e.what());
        }
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(status);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return 1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char **argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        Usage(stderr);
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!bench::SetUpPrivateOdbc("station-endurance-bench")) return 1;
    const Summary summary(o.summaryFile);
    const std::vector<std::string> dialects = bench::BenchDialects();
    int status = 0;
    if (o.phases.count("limbank"))
        for (const std::string &dialect : dialects)
            status |= InChild([&] { return RunLimbank(o, summary, dialect); });
    if (o.phases.count("editor"))
        for (const std::string &dialect : dialects)
            status |= InChild([&] { return RunEditor(o, summary, dialect); });
    if (o.phases.count("table")) status |= InChild([&] { return RunTable(summary); });
    bench::RemoveWorkDir();
    return status == 0 ? 0 : 1;
}
