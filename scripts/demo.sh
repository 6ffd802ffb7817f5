#!/usr/bin/env bash
# The main job on a fresh Debian 12 machine: build, make the sample station
# in build/station on its own SQLite database, judge the sample vehicles
# against it and show a reload of the standards.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j"$(nproc)" > /dev/null

# The station's own files, whatever this shell has exported.
unset STATION_DIR PLINTH_ENV ODBCINI ODBCSYSINI STATION_SYSDIR
station="$PWD/build/station"
stdhost() { build/bin/stdhost --station "$station" "$@"; }

echo "=== init-station: the station directory and its database"
build/bin/stdhost init-station "$station" --force

for vehicle in host/sample-station/vehicles/*.vehicle; do
    echo
    echo "=== $(basename "$vehicle" .vehicle): $(sed -n 's/^# //p' "$vehicle" | head -n 1)"
    stdhost judge --vehicle "$vehicle" --explain || true
done

echo
echo "=== reload: the database has not changed since the plug-in loaded it"
stdhost reload
echo
echo "=== reload after the database's stamp changed"
stdhost mark-changed
stdhost reload
