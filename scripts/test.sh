#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds everything into build/ and runs
# the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
# STATION_CMAKE_ARGS: further configure options (CI turns warnings into errors).
# shellcheck disable=SC2086
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo ${STATION_CMAKE_ARGS:-}
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
