#!/usr/bin/env bash
# Runs clang-tidy 14 with the repository's .clang-tidy over the sources of the
# core libraries (platform, plinth, stationdb, bridges, store, engine,
# generator); every finding is an error.
#
#   scripts/run-clang-tidy.sh BUILD_DIR
#
# BUILD_DIR is a configured and built tree with a compile_commands.json
# (-DCMAKE_EXPORT_COMPILE_COMMANDS=ON; built, so that the generated headers
# exist), for instance the clang core build:
#   CC=clang-14 CXX=clang++-14 cmake -S . -B build-tidy -DSTATION_CORE_ONLY=ON \
#       -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DCMAKE_BUILD_TYPE=Debug
#   cmake --build build-tidy
set -euo pipefail
if (($# != 1)); then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
if [ ! -f "$build/compile_commands.json" ]; then
    echo "$build/compile_commands.json is missing: configure with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON" >&2
    exit 2
fi
jobs=$(nproc)
libraries='platform|plinth|stationdb|bridges|store|engine|generator'
# The sources of the libraries and of their build tools (platform/tools), as
# the build compiles them; the tests, the benchmarks, the fuzz targets, the
# host, the Qt parts and the plug-ins stay out.
files_regex="^$(printf '%s' "$root" | sed 's/[][\.^$*+?(){}|]/\\&/g')/($libraries)/(src|tools)/"
start=$(date +%s)
if command -v run-clang-tidy-14 >/dev/null; then
    run-clang-tidy-14 -clang-tidy-binary clang-tidy-14 -p "$build" -j "$jobs" -quiet \
        "$files_regex"
else
    python3 -c 'import json, re, sys
for entry in json.load(open(sys.argv[1])):
    if re.search(sys.argv[2], entry["file"]):
        print(entry["file"])' "$build/compile_commands.json" "$files_regex" |
        sort -u | xargs -r -P "$jobs" -n 1 clang-tidy-14 -p "$build" --quiet
fi
echo "run-clang-tidy.sh: no finding in the core libraries ($(($(date +%s) - start)) s)"
