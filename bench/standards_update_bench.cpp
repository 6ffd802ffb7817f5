// stdhost standards diff and apply of a 200 000-row package against a
// station table of the same size, as an operator runs them: each a stdhost
// process (start-up, package read and signature check, the plan, the
// coverage audit of the table before and after, and for apply the recorded
// write), timed from start to exit. SQLite always; PostgreSQL when
// $STATION_TEST_PG names a data source of $ODBCINI (a database of its own,
// dropped at the end).
//
// The station is made by `stdhost init-station` (1 309 national rows of the
// seed), then given 4 968 more national conditions of 40 parameters each
// spread over the line's items (198 720 rows). Package A is its export;
// package B changes the upper limit of every 100th row, drops 50 of the
// added conditions and adds 50 new ones (about 6 000 rows change). Both are
// signed by a key the station trusts.
//   Diff/<dialect>       standards diff B while the table is A
//   Apply/<dialect>      standards apply B while the table is A (then A is
//                        put back, untimed)
//   ApplySame/<dialect>  standards apply A while the table is A: nothing to do
// Aim: every one under 3 s.
//
// STANDARDS_BENCH_KEEP=1 keeps the station, its database and the packages
// (a line on standard error names the directory) for profiling by hand.
//
// Run (a Release build gives the figures that count):
//   cmake --build build-bench -j2 --target standards_update_bench stdhost
//   build-bench/bench/standards_update_bench
//   ODBCINI=/path/odbc.ini STATION_TEST_PG=station_pg build-bench/bench/standards_update_bench
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "package_signature.h"
#include "platform/atomic_file.h"
#include "platform/ini_file.h"
#include "standards_package.h"
#include "stationdb/stationdb.h"

namespace {

constexpr int kAddedConditions = 4968;
constexpr int kParams = 40;
const std::string kStdhost = std::string(BENCH_BIN_DIR) + "/stdhost";
const std::string kDataDir = std::string(BENCH_BIN_DIR) + "/../share/station-limits";

struct Run {
    int exitCode = -1;
    std::string out;
};

Run Stdhost(const std::string &args) {
    const std::string command =
        "env -u STATION_SYSDIR -u PLINTH_ENV -u STATION_TRACE "
        "-u STATION_DIR -u ODBCINI -u ODBCSYSINI " +
        kStdhost + " " + args + " 2>&1 < /dev/null";
    Run run;
    FILE *p = ::popen(command.c_str(), "r");
    if (p == nullptr) return run;
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, p)) > 0) run.out.append(chunk, n);
    const int status = ::pclose(p);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void Must(const Run &run, const std::string &what, int expected = 0) {
    if (run.exitCode != expected)
        throw std::runtime_error(what + " exited " + std::to_string(run.exitCode) + ": " +
                                 run.out.substr(0, 2000));
}

// The 198 720 rows of the added conditions, in statements of 100 rows.
void Enlarge(stationdb::Connection &db) {
    std::vector<int> items;
    {
        stationdb::Statement st(db, "select distinct itemid from tb_id_standard order by itemid");
        st.Execute();
        while (st.Fetch()) items.push_back(std::atoi(st.Utf8(1).c_str()));
    }
    std::string sql =
        "insert into tb_id_standard (type, itemid, itemname, condition, paramid, paramname, "
        "hvalue, lvalue, stdorder) values ";
    for (int r = 0; r < 100; ++r)
        sql += r ? ", (?, ?, ?, ?, ?, ?, ?, ?, 0)" : "(?, ?, ?, ?, ?, ?, ?, ?, 0)";
    stationdb::Transaction transaction(db);
    stationdb::Statement insert(db, sql);
    const int total = kAddedConditions * kParams;
    for (int start = 0; start < total; start += 100) {
        for (int r = 0; r < 100; ++r) {
            const int i = start + r, condition = i / kParams, param = i % kParams + 1;
            char upper[16], lower[16];
            std::snprintf(upper, sizeof upper, "%.2f", 100 + param * 0.25);
            std::snprintf(lower, sizeof lower, "%.2f", (i % 10) * 0.5);
            const int at = r * 8 + 1;
            insert.BindUtf8(at, "BENCH");
            insert.BindInt(at + 1, items[static_cast<std::size_t>(condition) % items.size()]);
            insert.BindUtf8(at + 2, "bench item");
            insert.BindUtf8(at + 3, "BENCH-" + std::to_string(condition));
            insert.BindInt(at + 4, param);
            insert.BindUtf8(at + 5, "bench param");
            insert.BindUtf8(at + 6, upper);
            insert.BindUtf8(at + 7, lower);
        }
        insert.Execute();
    }
    transaction.Commit();
}

void Write(const std::string &path, const std::string &bytes) {
    if (platform::WriteFileAtomically(path, bytes) != platform::AtomicWriteResult::kOk)
        throw std::runtime_error("cannot write " + path);
}

// Package B from package A.
void MakeChangedPackage(const std::string &a, const std::string &b) {
    std::string bytes, error;
    stdhost::StandardsPackage package;
    if (!platform::ReadWholeFile(a, bytes) ||
        !stdhost::ReadStandardsPackage(bytes, a, package, error))
        throw std::runtime_error("cannot read " + a + ": " + error);
    std::vector<stdhost::PackageRow> rows;
    rows.reserve(package.rows.size());
    for (std::size_t i = 0; i < package.rows.size(); ++i) {
        stdhost::PackageRow row = package.rows[i];
        if (row.condition.rfind("BENCH-", 0) == 0 && std::atoi(row.condition.c_str() + 6) < 50)
            continue;  // 50 conditions dropped
        if (i % 100 == 0) row.upper = "1" + row.upper;
        rows.push_back(std::move(row));
    }
    for (int c = 0; c < 50; ++c)
        for (int p = 1; p <= kParams; ++p)
            rows.push_back({201, "BENCH", "BENCH-NEW-" + std::to_string(c), p, "9.50", "1.00", 0});
    package.header.version += "-b";
    Write(b, stdhost::WriteStandardsPackage(package.header, rows));
}

// A station of 200 000 rows with its two signed packages.
class BenchStation {
  public:
    explicit BenchStation(const std::string &dialect) {
        char pattern[] = "/tmp/standards-bench-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("no temporary directory");
        work_ = pattern;
        station_ = work_ + "/station";
        std::string connect = "Driver=SQLite3;Database=" + station_ + "/station.db;";
        if (dialect == "sqlite") {
            Must(Stdhost("init-station " + station_), "init-station");
        } else {
            connect = MakePostgresStation();
        }
        stationdb::Connection db;
        db.Open(connect);
        Enlarge(db);
        db.Close();
        Must(Stdhost("standards keygen " + work_ + "/bench"), "keygen");
        Must(Stdhost("--station " + station_ + " standards export " + A()), "export");
        MakeChangedPackage(A(), B());
        for (const std::string &file : {A(), B()})
            Must(Stdhost("standards sign " + file + " --key " + work_ + "/bench.sec"), "sign");
        std::system(("mkdir -p " + station_ + "/config/trusted-keys && cp " + work_ +
                     "/bench.pub " + station_ + "/config/trusted-keys/")
                        .c_str());
    }
    ~BenchStation() {
        if (std::getenv("STANDARDS_BENCH_KEEP") != nullptr) {
            std::fprintf(stderr, "kept %s\n", work_.c_str());  // for profiling a run by hand
            return;
        }
        if (!database_.empty()) {
            try {
                admin_.Execute("DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE)");
            } catch (const stationdb::DatabaseError &) {
            }
        }
        std::system(("rm -rf " + work_).c_str());
    }
    std::string A() const { return work_ + "/a.pkg"; }
    std::string B() const { return work_ + "/b.pkg"; }
    Run On(const std::string &args) const { return Stdhost("--station " + station_ + " " + args); }

  private:
    std::string MakePostgresStation() {
        const std::string dsn = std::getenv("STATION_TEST_PG");
        const std::string odbcIni = std::getenv("ODBCINI");
        database_ = "standards_bench_" + std::to_string(::getpid());
        admin_.Open("DSN=" + dsn + ";UID=postgres;PWD=;");
        admin_.Execute("CREATE DATABASE " + database_ + " TEMPLATE template0 ENCODING 'UTF8'");
        std::map<std::string, std::string> s;
        for (const char *key : {"Driver", "Servername", "Port"})
            s[key] = platform::GetProfileString(odbcIni, dsn, key, "");
        const std::string ini = work_ + "/odbc.ini";
        Write(ini, "[station_bench]\nDriver=" + s["Driver"] + "\nServername=" + s["Servername"] +
                       "\nPort=" + s["Port"] + "\nDatabase=" + database_ + "\n");
        Must(Stdhost("init-station " + station_ + " --dsn station_bench --odbc-ini " + ini +
                     " --user postgres"),
             "init-station --dsn");
        return "Driver=" + s["Driver"] + ";Servername=" + s["Servername"] + ";Port=" + s["Port"] +
               ";Database=" + database_ + ";UID=postgres;PWD=;";
    }
    std::string work_, station_, database_;
    stationdb::Connection admin_;
};

std::map<std::string, std::unique_ptr<BenchStation>> stations;

BenchStation *StationOf(benchmark::State &state, const std::string &dialect) {
    auto &station = stations[dialect];
    if (!station) {
        try {
            std::fprintf(stderr, "making the %s station...\n", dialect.c_str());
            station = std::make_unique<BenchStation>(dialect);
        } catch (const std::exception &e) {
            state.SkipWithError(e.what());
            return nullptr;
        }
    }
    return station.get();
}

void Timed(benchmark::State &state, const BenchStation &s, const std::string &args, int expected) {
    const auto start = std::chrono::steady_clock::now();
    const Run run = s.On(args);
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (run.exitCode != expected)
        state.SkipWithError(
            (args + " exited " + std::to_string(run.exitCode) + ": " + run.out).c_str());
}

void Diff(benchmark::State &state, const std::string &dialect) {
    BenchStation *s = StationOf(state, dialect);
    if (s == nullptr) return;
    for (auto _ : state) Timed(state, *s, "standards diff " + s->B(), 1);
}

void Apply(benchmark::State &state, const std::string &dialect) {
    BenchStation *s = StationOf(state, dialect);
    if (s == nullptr) return;
    for (auto _ : state) {
        Timed(state, *s, "standards apply " + s->B(), 0);
        Must(s->On("standards apply " + s->A()), "apply A");  // not timed: manual time
    }
}

void ApplySame(benchmark::State &state, const std::string &dialect) {
    BenchStation *s = StationOf(state, dialect);
    if (s == nullptr) return;
    for (auto _ : state) Timed(state, *s, "standards apply " + s->A(), 0);
}

}  // namespace

int main(int argc, char **argv) {
    ::setenv("ODBCSYSINI", kDataDir.c_str(), 0);  // before this process's first ODBC call
    std::vector<std::string> dialects{"sqlite"};
    if (std::getenv("STATION_TEST_PG") != nullptr && std::getenv("ODBCINI") != nullptr)
        dialects.push_back("postgresql");
    for (const std::string &dialect : dialects) {
        for (auto [name, fn] :
             {std::pair{"Diff/", &Diff}, {"Apply/", &Apply}, {"ApplySame/", &ApplySame}})
            benchmark::RegisterBenchmark((name + dialect).c_str(), fn, dialect)
                ->UseManualTime()
                ->Iterations(3)
                ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    stations.clear();
    return 0;
}
