#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang 14 (core libraries only,
# AddressSanitizer, UndefinedBehaviorSanitizer) and runs each for a bounded
# time on its seed corpus and dictionary, with leak detection. New corpus
# entries go to a temporary directory, never into the repository.
#
#   scripts/run-fuzz.sh [BUILD_DIR]          (default: build-fuzz)
#
# FUZZ_SECONDS   time per target (default 60)
# FUZZ_JOBS      targets run at once (default: the number of processors, at most 2)
# FUZZ_TARGETS   the targets to run, by name (default: all of fuzz/corpus/)
# FUZZ_WORK_DIR  where logs, new corpus entries and reproducers go (default:
#                a new temporary directory, removed when every target passed)
#
# Prints, per target, the executions, the edges covered (cov:) and the
# result. A crash, a leak, a sanitizer report, a hang (an input running
# longer than 10 s) or running out of memory fails the script; the log then
# names the reproducer and shows its bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
jobs=${FUZZ_JOBS:-$(nproc)}
if ((jobs > 2)); then jobs=2; fi
if [ -n "${FUZZ_TARGETS:-}" ]; then
    read -r -a targets <<<"$FUZZ_TARGETS"
else
    targets=()
    for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi
start=$(date +%s)

CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSTATION_CORE_ONLY=ON -DSTATION_BUILD_FUZZ=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"
bin=$(cd "$build" && pwd)/fuzz

work=${FUZZ_WORK_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/station-fuzz-run.XXXXXX")}
mkdir -p "$work"
# The files the targets hand their readers, on a RAM disk when there is one;
# removed however the run ends (a crashing target cannot remove its own).
scratch_base=/dev/shm
[ -d "$scratch_base" ] && [ -w "$scratch_base" ] || scratch_base=${TMPDIR:-/tmp}
export FUZZ_SCRATCH
FUZZ_SCRATCH=$(mktemp -d "$scratch_base/station-fuzz-scratch.XXXXXX")
trap 'rm -rf "$FUZZ_SCRATCH"' EXIT
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS=abort_on_error=0
unset LSAN_OPTIONS STATION_TRACE

# run_target NAME: fuzzes one target; its log, new corpus entries and any
# reproducer stay in $work/NAME.
run_target() {
    local name=$1 dir=$work/$1
    mkdir -p "$dir/new"
    local args=(-max_total_time="$seconds" -detect_leaks=1 -timeout=10 -rss_limit_mb=2048
        -print_final_stats=1 -artifact_prefix="$dir/")
    if [ -f "$root/fuzz/dict/$name.dict" ]; then args+=(-dict="$root/fuzz/dict/$name.dict"); fi
    local rc=0
    (cd "$dir" && "$bin/fuzz_$name" "${args[@]}" "$dir/new" "$root/fuzz/corpus/$name") \
        >"$dir/log" 2>&1 || rc=$?
    echo "$rc" >"$dir/rc"
}

# What a target's log says: executions, edges, result.
summarize() {
    local name=$1 dir=$work/$1
    local rc execs cov result
    rc=$(cat "$dir/rc")
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
    cov=$(grep -o 'cov: [0-9]*' "$dir/log" | tail -1 | cut -d' ' -f2)
    result=ok
    if [ "$rc" != 0 ]; then
        if grep -q 'ERROR: LeakSanitizer' "$dir/log"; then result=leak
        elif grep -q 'ERROR: AddressSanitizer' "$dir/log"; then result=address-error
        elif grep -q 'runtime error:' "$dir/log"; then result=undefined-behaviour
        elif grep -q 'ERROR: libFuzzer: timeout' "$dir/log"; then result=hang
        elif grep -q 'out-of-memory' "$dir/log"; then result=out-of-memory
        elif grep -q 'check failed:' "$dir/log"; then result=check-failed
        else result="failed (exit $rc)"
        fi
    fi
    printf '%-18s %12s %8s  %s\n' "$name" "${execs:-?}" "${cov:-?}" "$result"
    [ "$result" = ok ]
}

# Prints the end of a failed target's log and every reproducer with its bytes.
report_failure() {
    local name=$1 dir=$work/$1
    echo "---- $name: end of $dir/log"
    grep -v -E '^#[0-9]+ ' "$dir/log" | tail -60
    local found=0
    for artifact in "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* "$dir"/oom-* "$dir"/slow-unit-*; do
        [ -f "$artifact" ] || continue
        found=1
        echo "---- $name: reproducer $artifact ($(stat -c %s "$artifact") bytes)"
        echo "     run: $bin/fuzz_$name $artifact"
        xxd "$artifact" | head -4096
    done
    if ((found == 0)); then echo "---- $name: no reproducer was written"; fi
}

echo "fuzzing ${#targets[@]} targets for $seconds s each, $jobs at a time; work directory $work"
running=0
for name in "${targets[@]}"; do
    if [ ! -x "$bin/fuzz_$name" ]; then
        echo "no fuzz target fuzz_$name in $bin" >&2
        exit 2
    fi
    run_target "$name" &
    running=$((running + 1))
    if ((running >= jobs)); then
        wait -n || true
        running=$((running - 1))
    fi
done
wait

printf '%-18s %12s %8s  %s\n' target executions edges result
failed=()
for name in "${targets[@]}"; do
    summarize "$name" || failed+=("$name")
done
for name in "${failed[@]}"; do report_failure "$name"; done

echo "fuzzing done in $(($(date +%s) - start)) s"
if ((${#failed[@]} > 0)); then
    echo "FAILED: ${failed[*]} (logs and reproducers in $work)"
    exit 1
fi
if [ -z "${FUZZ_WORK_DIR:-}" ]; then rm -rf "$work"; fi
