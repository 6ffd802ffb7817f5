#!/usr/bin/env bash
# The main job on a fresh Debian 12 machine: build, make the sample station
# in build/station and judge the sample vehicles against it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j"$(nproc)" > /dev/null

station="$PWD/build/station"
sample=host/sample-station
mkdir -p "$station/config"
sed "s#@STATION_DIR@#$station#g" "$sample/plinth.ini.in" > "$station/plinth.ini"
rm -f "$station/config/StandarFile.sfd"
build/bin/stdhost build-standards "$sample/standards.tsv" "$station/config/StandarFile.sfd"

for vehicle in "$sample"/vehicles/*.vehicle; do
    echo
    echo "=== $(basename "$vehicle" .vehicle): $(sed -n 's/^# //p' "$vehicle" | head -n 1)"
    build/bin/stdhost --station "$station" judge --vehicle "$vehicle" --explain || true
done
