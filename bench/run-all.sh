#!/usr/bin/env bash
# Builds the benchmark programs in a Release tree, runs every one of them on
# SQLite (and PostgreSQL when STATION_TEST_PG is set, or with --start-pg) and
# writes a Markdown table of the figures, each beside its aim.
#
#   usage: bench/run-all.sh [--build-dir DIR] [--out FILE] [--repetitions N]
#                           [--quick] [--no-build] [--start-pg DIR [--pg-port PORT]]
#
#   --build-dir DIR   the Release tree (default build-bench)
#   --out FILE        the Markdown table (default bench/results.md; - for stdout only)
#   --repetitions N   --benchmark_repetitions of the database benchmarks (default 3:
#                     their medians count, a busy machine moves single runs)
#   --quick           the endurance run shrunk (20 000 passes, 20 reloads, 10 generations)
#   --no-build        run what the tree holds
#   --report-only     no build and no run: the table again from the last run's files
#   --start-pg DIR    start a throw-away PostgreSQL cluster in DIR first
#                     (scripts/start-test-postgres.sh, on --pg-port, default 55439)
#
# Each program's console output and JSON go to <build>/bench/run-all/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench
out=$root/bench/results.md
repetitions=3
quick=0
nobuild=0
reportonly=0
pgdir=
pgport=55439

usage() { sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; }
while [ $# -gt 0 ]; do
    case $1 in
        --build-dir) build=$(realpath -m "$2"); shift 2 ;;
        --out) out=$2; shift 2 ;;
        --repetitions) repetitions=$2; shift 2 ;;
        --quick) quick=1; shift ;;
        --no-build) nobuild=1; shift ;;
        --report-only) reportonly=1; shift ;;
        --start-pg) pgdir=$2; shift 2 ;;
        --pg-port) pgport=$2; shift 2 ;;
        -h|--help) usage; exit 0 ;;
        *) usage >&2; exit 2 ;;
    esac
done
[ "$out" = - ] || out=$(realpath -m "$out")

results=$build/bench/run-all
if [ "$reportonly" = 0 ]; then
    if [ -n "$pgdir" ]; then
        eval "$("$root/scripts/start-test-postgres.sh" "$pgdir" "$pgport")"
    fi
    dialects=sqlite
    [ -n "${STATION_TEST_PG:-}" ] && dialects="sqlite postgresql"

    programs="standard_table_bench judging_pass_bench database_loader_bench series_generation_bench limit_history_bench standards_package_bench standards_update_bench endurance_bench"
    # Written by someone else; run when the tree defines it.
    grep -q 'coverage_audit_bench' "$root/bench/CMakeLists.txt" && programs="$programs coverage_audit_bench"

    if [ "$nobuild" = 0 ]; then
        echo "== building $programs in $build (Release)" >&2
        cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSTATION_BUILD_TESTS=OFF > /dev/null
        # shellcheck disable=SC2086
        cmake --build "$build" -j2 --target $programs >&2
    fi

    rm -rf "$results"
    mkdir -p "$results"
    load_before=$(cut -d' ' -f1-3 /proc/loadavg)
    started=$(date -u +%Y-%m-%dT%H:%M:%SZ)
    # The 1-minute load average every 10 s: other work on the machine shows there.
    (while :; do cut -d' ' -f1 /proc/loadavg; sleep 10; done) > "$results/load.txt" &
    sampler=$!
    trap 'kill $sampler 2> /dev/null || true' EXIT

    # run NAME [ARGS...]: a program of <build>/bench, its output on the terminal
    # and in NAME.log; Google Benchmark programs also write NAME.json.
    run() {
        local name=$1
        shift
        local bin=$build/bench/$name
        if [ ! -x "$bin" ]; then
            echo "== $name: not built, skipped" >&2
            return 0
        fi
        echo "== $name $*" >&2
        local t0=$SECONDS status=0
        "$bin" "$@" 2>&1 | tee "$results/$name.log" || status=$?
        echo "== $name: $((SECONDS - t0)) s, exit $status" >&2
        echo "$name	$((SECONDS - t0))	$status" >> "$results/runs.tsv"
    }
    gbench() {
        local name=$1
        shift
        run "$name" --benchmark_out="$results/$name.json" --benchmark_out_format=json "$@"
    }

    gbench standard_table_bench
    gbench judging_pass_bench
    gbench database_loader_bench --benchmark_repetitions="$repetitions"
    gbench series_generation_bench --benchmark_repetitions="$repetitions"
    gbench limit_history_bench --benchmark_repetitions="$repetitions"
    gbench standards_package_bench
    gbench standards_update_bench
    if [ "$quick" = 1 ]; then
        run endurance_bench --summary "$results/endurance.tsv" --passes 20000 --reloads 20 --generations 10
    else
        run endurance_bench --summary "$results/endurance.tsv"
    fi
    case " $programs " in *" coverage_audit_bench "*) gbench coverage_audit_bench ;; esac
    load_after=$(cut -d' ' -f1-3 /proc/loadavg)
    kill $sampler 2> /dev/null || true
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$started" "$load_before" "$load_after" "$quick" \
        "$repetitions" "$dialects" > "$results/meta.tsv"
fi

python3 - "$results" "$out" "$root" <<'PY'
import json, os, re, subprocess, sys

results, out, root = sys.argv[1:]
with open(os.path.join(results, "meta.tsv")) as f:
    started, load_before, load_after, quick, reps, dialects = f.read().rstrip("\n").split("\t")
dialects = dialects.split()
try:
    with open(os.path.join(results, "load.txt")) as f:
        samples = [float(x) for x in f.read().split()]
except (OSError, ValueError):
    samples = []
load_range = f"{min(samples):.2f} to {max(samples):.2f}" if samples else "not sampled"
UNIT_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def load(name):
    try:
        with open(os.path.join(results, name + ".json")) as f:
            return json.load(f)["benchmarks"]
    except (OSError, ValueError, KeyError):
        return None


def plain_name(name):
    """A run's name without the options Google Benchmark appends to it."""
    return "/".join(part for part in name.split("/") if not re.match(
        r"(min_time|min_warmup_time|iterations|repeats|threads):|(real|manual|process)_time$",
        part))


def runs(data, name):
    """The median of a benchmark's repetitions, else its single run."""
    if not data:
        return None
    plain = [b for b in data if plain_name(b.get("run_name", b["name"])) == name]
    for b in plain:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") == "median":
            return b
    iterations = [b for b in plain if b.get("run_type", "iteration") == "iteration"
                  and not b.get("error_occurred")]
    return iterations[0] if iterations else None


def ms(data, name):
    b = runs(data, name)
    return b["real_time"] * UNIT_MS[b.get("time_unit", "ns")] if b else None


def counter(data, name, key):
    b = runs(data, name)
    return b.get(key) if b else None


endurance = {}
try:
    with open(os.path.join(results, "endurance.tsv")) as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if len(parts) >= 2:
                endurance[parts[0]] = float(parts[1])
except OSError:
    pass

rows = []  # (section, measure, figure, aim, verdict)


def fmt(value, unit, digits=1):
    return "n/a" if value is None else f"{value:,.{digits}f} {unit}".strip()


def verdict(ok):
    return "—" if ok is None else ("met" if ok else "**missed**")


def row(section, measure, figure, aim="", ok=None):
    rows.append((section, measure, figure, aim, verdict(ok)))


# standard_table_bench
st = load("standard_table_bench")
if st:
    load_ms = ms(st, "BM_LoadFromFile")
    read_ms = counter(st, "BM_LoadFromFile", "read_ms")
    ratio = counter(st, "BM_LoadFromFile", "load_to_read")
    row("standard table", "load of a 100 000-record file (17 MB)", fmt(load_ms, "ms"),
        "close to reading its bytes")
    row("standard table", "reading the same bytes", fmt(read_ms, "ms", 2))
    row("standard table", "load / read", fmt(ratio, "x"), "load against reading its bytes")
    row("standard table", "reload from the file into a filled table",
        fmt(ms(st, "BM_ReloadFromFile"), "ms"))
    idx, scan = ms(st, "BM_Lookup44Index"), ms(st, "BM_Lookup44Scan")
    row("standard table", "44 lookups (one pass) in a 300 000-condition table, index",
        fmt(idx and idx * 1e3, "µs", 2), "faster than the scan")
    row("standard table", "the same by the plain scan", fmt(scan and scan * 1e3, "µs", 0))
    row("standard table", "scan / index", fmt(idx and scan / idx, "x", 0),
        "lookups against the scan", None if idx is None else scan > idx)
    for key, text in (("heap_table_MiB", "heap of a loaded 100 000-record table"),
                      ("heap_with_index_MiB", "the same with its lookup index"),
                      ("rss_growth_MiB", "VmRSS growth of that load")):
        row("standard table", text, fmt(counter(st, "BM_LoadedTableMemory", key), "MiB"))

# judging_pass_bench
jp = load("judging_pass_bench")
if jp:
    t = ms(jp, "BM_JudgingPass")
    row("judging pass", "ExtInitInfo + ExtGetStand of 44 items, 100 000-record table (median of 5)",
        fmt(t and t * 1e3, "µs", 1), "the judging pass")

# endurance_bench: the full-capacity table
if "table/heap" in endurance:
    fixed = endurance.get("table/fixed_reservation")
    heap = endurance["table/heap"]
    row("full-capacity table", "heap of 20 x 30 x 500 x 50 = 15 000 000 records",
        fmt(heap, "MiB"), f"at most the fixed reservation, {fixed:.1f} MiB", heap <= fixed)
    row("full-capacity table", "VmRSS growth of the fill",
        fmt(endurance.get("table/rss_growth"), "MiB"), f"{fixed:.1f} MiB",
        endurance.get("table/rss_growth", 1e9) <= fixed)
    row("full-capacity table", "heap with the lookup index",
        fmt(endurance.get("table/heap_with_index"), "MiB"))

# database_loader_bench
dl = load("database_loader_bench")
for d in dialects if dl else []:
    base, reload, per = (ms(dl, f"{n}/{d}") for n in ("Baseline", "Reload", "PerCondition"))
    sec = f"reload ({d})"
    row(sec, "one full read of the 200 000 limit rows (baseline)", fmt(base, "ms"))
    row(sec, "reload: LoadFromDatabase, file write included", fmt(reload, "ms"))
    row(sec, "reload / baseline", fmt(base and reload and reload / base, "x", 2), "at most 2x",
        None if not (base and reload) else reload / base <= 2)
    row(sec, "per-condition queries (20 000 statements)", fmt(per, "ms"))
    aim = "at least 5x" if d == "postgresql" else "(aim on PostgreSQL)"
    row(sec, "per-condition / reload", fmt(per and reload and per / reload, "x"), aim,
        None if d != "postgresql" or not (per and reload) else per / reload >= 5)
    row(sec, "breakdown: reads / condition query / file write / connect",
        " / ".join(fmt(ms(dl, f"{n}/{d}"), "ms") for n in
                   ("ReadStaged", "ConditionQuery", "WriteFile", "Connect")))

# series_generation_bench
sg = load("series_generation_bench")
for d in dialects if sg else []:
    sec = f"series ({d})"
    cat, lim = ms(sg, f"LoadCatalogue/{d}"), ms(sg, f"LoadSeriesLimits/{d}")
    row(sec, "catalogue + series limits (2 000 parameters)",
        fmt(cat and lim and cat + lim, "ms"), "under 2 000 ms",
        None if not (cat and lim) else cat + lim < 2000)
    for kind in ("first", "rerun"):
        gen, ref = ms(sg, f"Generate/{kind}/{d}"), ms(sg, f"PerParameter/{kind}/{d}")
        what = "new series, 2 000 inserts" if kind == "first" else "existing series, 2 000 updates"
        row(sec, f"generation, {what}", fmt(gen, "ms"), "under 2 000 ms",
            None if gen is None else gen < 2000)
        row(sec, f"one autocommitted statement per parameter, {kind}", fmt(ref, "ms"))
        row(sec, f"speed-up, {kind}", fmt(gen and ref and ref / gen, "x"), "at least 10x",
            None if not (gen and ref) else ref / gen >= 10)
    for kind in ("first", "rerun"):
        gen, hist = ms(sg, f"Generate/{kind}/{d}"), ms(sg, f"History/{kind}/{d}")
        what = "new series" if kind == "first" else "existing series"
        row(sec, f"generation keeping the history, {what}", fmt(hist, "ms"))
        row(sec, f"what the history adds, {kind}",
            "n/a" if not (gen and hist) else f"{(hist / gen - 1) * 100:+.0f} %", "at most 25%",
            None if not (gen and hist) else hist / gen - 1 <= 0.25)

# limit_history_bench
lh = load("limit_history_bench")
for d in dialects if lh else []:
    sec = f"history ({d})"
    read, verify, hist = (ms(lh, f"{n}/{d}") for n in ("FullRead", "Verify", "ReadHistory"))
    sets = counter(lh, f"Verify/{d}", "change_sets")
    hrows = counter(lh, f"Verify/{d}", "history_rows")
    row(sec, "one full read of the 200 000 rows of tb_id_standard (baseline)", fmt(read, "ms"))
    row(sec, f"VerifyHistory: {fmt(sets, '', 0)} change sets, {fmt(hrows, '', 0)} rows, "
        "the table compared", fmt(verify, "ms"))
    row(sec, "verify / full read", fmt(read and verify and verify / read, "x", 2), "at most 2.5x",
        None if not (read and verify) else verify / read <= 2.5)
    hits = counter(lh, f"ReadHistory/{d}", "change_sets")
    row(sec, f"ReadHistory of one item, condition and parameter ({fmt(hits, '', 0)} change sets)",
        fmt(hist, "ms", 2), "under 50 ms", None if hist is None else hist < 50)

# standards_package_bench and standards_update_bench
sp = load("standards_package_bench")
if sp:
    sec = "standards package"
    row(sec, "reading and checking a 200 000-row package", fmt(ms(sp, "BM_ReadPackage"), "ms"))
    row(sec, "writing it", fmt(ms(sp, "BM_WritePackage"), "ms"))
su = load("standards_update_bench")
for d in dialects if su else []:
    sec = f"standards update ({d})"
    for name, what in (
            ("Diff", "stdhost standards diff: 200 000-row package against a table of the same "
             "size, about 6 000 rows changed, audit before and after"),
            ("Apply", "stdhost standards apply of it: signature, plan, audit, recorded write"),
            ("ApplySame", "stdhost standards apply of the package the table already holds")):
        t = ms(su, f"{name}/{d}")
        row(sec, what, fmt(t, "ms"), "under 3 s", None if t is None else t < 3000)

# endurance_bench: plug-in and editor
def growth(prefix, g):
    """The VmRSS growth, with the heap in use beside it and, after a growth
    beyond the tolerance, the VmRSS once malloc_trim gave free memory back."""
    text = fmt(g, "MiB")
    h = endurance.get(prefix + "heap_growth")
    if h is not None:
        text += f" (heap in use {h:+.1f} MiB"
        t = endurance.get(prefix + "rss_end_trimmed")
        text += f"; VmRSS {t:.1f} MiB after malloc_trim)" if t is not None else ")"
    return text


for d in dialects:
    p = f"limbank/{d}/"
    if p + "pass" in endurance:
        sec = f"endurance ({d})"
        tol = 1.0
        row(sec, f"judging pass through liblimbank.so, {endurance[p + 'passes']:,.0f} passes",
            fmt(endurance[p + "pass"], "µs", 2))
        if p + "reload" in endurance:
            row(sec, f"reload (ExtParamSave, {endurance[p + 'records']:,.0f} records), "
                f"{endurance[p + 'reloads']:,.0f} reloads", fmt(endurance[p + "reload"], "ms"))
        row(sec, "VmRSS start / after the first reload / end",
            " / ".join(fmt(endurance.get(p + k), "MiB") for k in
                       ("rss_start", "rss_after_first", "rss_end")))
        g = endurance.get(p + "rss_growth")
        row(sec, "VmRSS growth after the first reload", growth(p, g),
            f"within {tol:.0f} MiB", None if g is None else g <= tol)
        bad = endurance.get(p + "wrong_passes", 0) + endurance.get(p + "failed_reloads", 0)
        row(sec, "passes or reloads that went wrong", f"{bad:.0f}", "0", bad == 0)
    e = f"editor/{d}/"
    if e + "generation" in endurance:
        sec = f"endurance ({d})"
        row(sec, f"series generation, {endurance[e + 'generations']:.0f} generations",
            fmt(endurance[e + "generation"], "ms"), "under 2 000 ms",
            endurance[e + "generation"] < 2000)
        row(sec, "editor VmRSS start / after the first / end",
            " / ".join(fmt(endurance.get(e + k), "MiB") for k in
                       ("rss_start", "rss_after_first", "rss_end")))
        g = endurance.get(e + "rss_growth")
        row(sec, "editor VmRSS growth after the first generation", growth(e, g),
            "within 1 MiB", None if g is None else g <= 1.0)

# coverage_audit_bench (a Google Benchmark program of its own)
ca = load("coverage_audit_bench")
aim_audit = "under 5 s: one full rule space, every witness confirmed through the plug-in"
if ca:
    for b in ca:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        t = b["real_time"] * UNIT_MS[b.get("time_unit", "ns")]
        counters = ", ".join(f"{k} {v:,.0f}" for k, v in b.items()
                             if k not in ("name", "run_name", "run_type", "repetitions",
                                          "repetition_index", "threads", "iterations",
                                          "real_time", "cpu_time", "time_unit",
                                          "family_index", "per_family_instance_index",
                                          "aggregate_name", "aggregate_unit")
                             and isinstance(v, (int, float)))
        name = plain_name(b.get("run_name", b["name"]))
        # The aim is for the enumeration with every witness confirmed; the
        # enumeration alone is a part of it.
        confirmed = "Confirmed" in name
        row("coverage audit", name + (f" ({counters})" if counters else ""), fmt(t, "ms"),
            aim_audit if confirmed else "(part of the audit below)",
            t < 5000 if confirmed else None)
else:
    row("coverage audit", "enumeration of one full rule space", "see coverage_audit_bench",
        aim_audit)

commit = subprocess.run(["git", "-C", root, "rev-parse", "--short", "HEAD"],
                        capture_output=True, text=True).stdout.strip()
cpu = ""
try:
    with open("/proc/cpuinfo") as f:
        cpu = next(l.split(":", 1)[1].strip() for l in f if l.startswith("model name"))
except (OSError, StopIteration):
    pass
lines = [
    "# Benchmark figures",
    "",
    f"bench/run-all.sh{' --quick' if quick == '1' else ''} at {started}, commit {commit}; "
    f"{os.cpu_count()} cores ({cpu}); 1-minute load average {load_range} during the run "
    f"({load_before} before, {load_after} after; the programs themselves keep one core busy); "
    f"database benchmarks: medians of {reps} repetitions; dialects: {', '.join(dialects)}.",
    "",
    "| | measure | figure | aim | |",
    "|---|---|---|---|---|",
]
last = None
for section, measure, figure, aim, v in rows:
    lines.append(f"| {section if section != last else ''} | {measure} | {figure} | {aim} | {v} |")
    last = section
text = "\n".join(lines) + "\n"
if out != "-":
    with open(out, "w") as f:
        f.write(text)
print(text)
PY
[ "$out" = - ] || echo "== figures written to $out" >&2
