#!/usr/bin/env bash
# The 32-bit Windows build under Wine: installs what it needs (the i386
# architecture, wine, wine32:i386, the MinGW-w64 compiler, the i386 ODBC
# packages, Debian's googletest sources), cross-builds build-win32/ with its
# test programs (scripts/build-windows.sh --tests), then, in a fresh Wine
# prefix under a temporary directory (WINEDEBUG=-all):
#   1. checks the DLLs' export tables and imports (i686-w64-mingw32-objdump -p);
#   2. runs the test programs as .exe files: platform, Plinth, ODBC layer,
#      standard table and file, database loader, engine, the plug-in as a
#      DLL, and the Windows platform checks;
#   3. runs the line program tests/windows/line_host.cpp as a station does:
#      Plinth.dll and plinth.ini in the Windows system directory, the module
#      Zk2GBStdALL.std beside the program;
#   4. runs the series editor: tests/windows/sergen_host.cpp loads Sergen.dll
#      with a connection to a SQLite station and drives its dialogs under
#      Xvfb; the rows it generated must equal those the Linux `stdhost series
#      generate` stores for the same vehicle and edit, and CXmask.cfg must
#      hold the one parameter it masked ($STATION_WINE_SCREENS=DIR: the
#      dialogs' pictures as DIR/windows-*.png);
#   5. compares `stdhost.exe judge --json` with the Linux `stdhost judge
#      --json` on one station, for the four sample vehicles and a few
#      hundred generated ones ($STATION_WINE_VEHICLES, default 300): from the
#      standard file, then each straight from the SQLite database (whose
#      table each platform writes to a byte-identical standard file).
# The Linux stdhost comes from $STATION_LINUX_BUILD (default build/, which
# scripts/test.sh makes); a missing one is built there first.
# Tests that cannot run under Wine are reported as skipped, with the reason.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
start=$(date +%s)
linux_build=${STATION_LINUX_BUILD:-build}
case "$linux_build" in /*) ;; *) linux_build=$root/$linux_build ;; esac
win_build=$root/build-win32
generated=${STATION_WINE_VEHICLES:-300}

step_start=$start
step() {
    local now
    now=$(date +%s)
    [ -n "${step_name:-}" ] && timings+=("$(printf '%-44s %4d s' "$step_name" $((now - step_start)))")
    step_name=$1
    step_start=$now
    [ -n "$1" ] && echo "== $1"
    return 0
}
timings=()

# --- packages -----------------------------------------------------------
step "packages (i386, wine, mingw-w64, i386 ODBC)"
SUDO=
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    $SUDO apt-get update -q || true
fi
# The cross-build needs only amd64 packages; the Wine runs need the i386
# ones. When the registry's i386 index is out of step with the amd64 one (a
# mirror sync), the DLLs are still built and their export tables checked, and
# the Wine runs are skipped with one loud line; any failure of our own still
# fails the run.
# shellcheck source=apt-retry.sh
. scripts/apt-retry.sh
build_packages=(g++-mingw-w64-i686 mingw-w64-i686-dev googletest cmake make g++ libcli11-dev
    nlohmann-json3-dev)
# libodbcinst2:i386: the SQLite driver reads a data source's settings (its
# Database=) through it; without it a DSN connects to an empty database.
wine_packages=(wine wine32:i386 libodbc2:i386 libodbcinst2:i386 libsqliteodbc:i386 xvfb xauth
    fonts-wqy-microhei)
missing_of() {
    local p
    missing=()
    for p in "$@"; do installed "$p" || missing+=("$p"); done
}
missing_of "${build_packages[@]}"
if ((${#missing[@]} > 0)); then
    $SUDO apt-get update -q || true
    apt_install_retry "${missing[@]}"
fi
wine_runs=1
missing_of "${wine_packages[@]}"
if ((${#missing[@]} > 0)) && ! apt_install_multiarch "${missing[@]}"; then
    wine_runs=0
fi
sqlite_driver=/usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so

# --- builds -------------------------------------------------------------
step "cross-build build-win32/ with the test programs"
scripts/build-windows.sh --tests "$win_build"
check_exports() {
    sh tests/windows/check_exports.sh i686-w64-mingw32-objdump \
        "$win_build/Limbank.dll" plugins/limbank/limbank.def \
        "$win_build/Zk2GBStdALL.std" plugins/limbank/limbank.def \
        "$win_build/Plinth.dll" plinth/plinth.def \
        "$win_build/stationdb.dll" stationdb/stationdb.def \
        "$win_build/Sergen.dll" plugins/sergen/sergen.def
}
if [ "$wine_runs" = 0 ]; then
    status=0
    step "export tables and imports (i686-w64-mingw32-objdump -p)"
    check_exports || status=1
    step ""
    echo "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!"
    echo "!!! Wine runs skipped: the i386 packages could not be installed from the registry"
    echo "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!"
    printf '%s\n' "${timings[@]}"
    echo "test-windows.sh: $(($(date +%s) - start)) s, DLLs built, $([ "$status" = 0 ] && echo "export tables checked" || echo "export tables FAILED"), Wine runs skipped"
    exit $status
fi
if [ ! -x "$linux_build/bin/stdhost" ]; then
    step "Linux stdhost for the comparison ($linux_build)"
    scripts/setup-debian.sh
    cmake -S . -B "$linux_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$linux_build" -j"$(nproc)" --target stdhost
fi
linux_stdhost=$linux_build/bin/stdhost

# --- a fresh Wine prefix ------------------------------------------------
step "a fresh Wine prefix"
work=$(mktemp -d "${TMPDIR:-/tmp}/station-wine-XXXXXX")
# Before the first Wine command: the server's socket lives under TMPDIR, and
# a command run with another one would start a second server for the prefix
# that has not seen what the first one holds (the settings below).
mkdir -p "$work/tmp" "$work/odbc" "$work/results"
export TMPDIR=$work/tmp
export WINEPREFIX=$work/prefix
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
export STATION_NO_DIALOGS=1
# The Wine runs are SQLite only (CI's PostgreSQL source has no i386 driver
# here), and nothing of the caller's station reaches them.
unset STATION_TEST_PG STATION_SYSDIR PLINTH_ENV PLINTH_CODES STATION_TRACE STATION_DIR
# A display of its own for every Wine run: the prefix's desktop is made by
# the first program that needs one, and without a display it stays without
# one for the whole session (the editor's dialogs then cannot be created).
display=$((100 + $$ % 400))
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
wineboot -i >/dev/null 2>&1
wineserver -p 2>/dev/null || true  # one server for every run below
# Chinese in every dialog whatever the prefix's locale: the editor's dialog
# font "幼圆" (a Windows font) and the faces of Wine's own dialogs and
# message boxes are taken from WenQuanYi Micro Hei. Without a window manager
# Wine draws the windows' frames and captions itself. A UTF-16 .reg file:
# `wine reg add` would pass "幼圆" through the Unix locale's code page.
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for face in 幼圆 Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
        printf '"%s"="WenQuanYi Micro Hei"\r\n' "$face"
    done
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\377\376'; cat; } >"$work/wine-settings.reg"
wine regedit /S "Z:${work//\//\\}\\wine-settings.reg" >/dev/null 2>&1
# The captions' buttons are drawn in Marlett, which Debian's Wine keeps
# outside the prefix.
[ -f /usr/share/wine/fonts/marlett.ttf ] &&
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
# Wine's odbc32 hands every call to the machine's unixODBC (i386), which
# reads ODBCSYSINI and ODBCINI from the environment Wine starts with.
cat >"$work/odbc/odbcinst.ini" <<INI
[SQLite3]
Description = SQLite3 ODBC driver (i386, for Wine)
Driver = $sqlite_driver
DontDLClose = 1
INI
export ODBCSYSINI=$work/odbc
# The Windows form of an absolute path: a fresh prefix maps drive Z: to the
# root, so it is formed here without starting a Wine program per path.
winpath() {
    local path=$1
    case "$path" in /*) printf 'Z:%s\n' "${path//\//\\}" ;; *) winepath -w "$path" 2>/dev/null ;; esac
}
export WINEPATH
WINEPATH=$(winpath "$win_build")
status=0

# --- export tables ------------------------------------------------------
step "export tables and imports (i686-w64-mingw32-objdump -p)"
if ! check_exports; then
    status=1
fi
for f in Limbank.dll Sergen.dll Plinth.dll stationdb.dll stdhost.exe; do
    echo "$f imports: $(i686-w64-mingw32-objdump -p "$win_build/$f" | awk '/DLL Name:/ {printf "%s ", $3}')"
done
cmp -s "$win_build/Limbank.dll" "$win_build/Zk2GBStdALL.std" &&
    echo "Zk2GBStdALL.std: an identical copy of Limbank.dll" ||
    { echo "Zk2GBStdALL.std differs from Limbank.dll"; status=1; }

# --- test programs ------------------------------------------------------
step "test programs under Wine"
summary=()
total_pass=0 total_skip=0 total_fail=0
for exe in "$win_build"/tests/*.exe; do
    name=$(basename "$exe" .exe)
    case "$name" in line_host | sergen_host) continue ;; esac
    # Each program adds its own data sources to an odbc.ini of its own.
    : >"$work/odbc/$name.ini"
    xml=$work/results/$name.xml
    rc=0
    (cd "$work/tmp" && ODBCINI="$work/odbc/$name.ini" \
        timeout 900 wine "$exe" --gtest_output="xml:$(winpath "$xml")" >"$work/results/$name.log" 2>&1) || rc=$?
    if [ ! -f "$xml" ]; then
        echo "$name: no result (exit $rc)"
        tail -20 "$work/results/$name.log"
        status=1
        summary+=("$(printf '%-24s %s' "$name" "did not finish (exit $rc)")")
        continue
    fi
    read -r tests failures < <(awk -F'"' '/<testsuites / {
        for (i = 1; i < NF; i += 2) {
            if ($i ~ / tests=$/) t = $(i + 1)
            if ($i ~ / failures=$/) f = $(i + 1)
        }
        print t, f; exit }' "$xml")
    skipped=$(grep -c 'result="skipped"' "$xml" || true)
    passed=$((tests - failures - skipped))
    total_pass=$((total_pass + passed))
    total_skip=$((total_skip + skipped))
    total_fail=$((total_fail + failures))
    summary+=("$(printf '%-24s %4d passed %3d skipped %3d failed' "$name" "$passed" "$skipped" "$failures")")
    if [ "$failures" != 0 ] || [ "$rc" != 0 ]; then
        status=1
        grep -E "^\[  FAILED|Failure|error" "$work/results/$name.log" | head -40 || true
    fi
    # The reason of every skipped test, as the test gives it.
    awk '/<testcase / { match($0, /name="[^"]*"/); test = substr($0, RSTART + 6, RLENGTH - 7)
                        match($0, /classname="[^"]*"/); suite = substr($0, RSTART + 11, RLENGTH - 12) }
         /<skipped message=/ { match($0, /message="[^"]*"/)
                               why = substr($0, RSTART + 9, RLENGTH - 10)
                               sub(/^[^&]*&#x0A;/, "", why); gsub(/&#x0A;/, " ", why)
                               gsub(/&quot;/, "\"", why); sub(/^Skipped */, "", why)
                               printf "   skipped %s.%s: %s\n", suite, test, why }' "$xml"
done
printf '%s\n' "${summary[@]}"
echo "total: $total_pass passed, $total_skip skipped, $total_fail failed"
echo "not run under Wine: the PostgreSQL cases (no i386 psqlODBC driver and no server in the"
echo "  Wine runs; STATION_TEST_PG stays unset, so the database tests run on SQLite only) and the"
echo "  AddressSanitizer/UndefinedBehaviorSanitizer run (MinGW-w64 has no sanitizer runtime)"

# --- the line program ---------------------------------------------------
step "a line program loads Zk2GBStdALL.std (tests/windows/line_host.cpp)"
station=$work/station
"$linux_stdhost" init-station "$station" >/dev/null
# The 32-bit system directory of the prefix: syswow64 in a 64-bit prefix.
sysdir=$WINEPREFIX/drive_c/windows/system32
[ -d "$WINEPREFIX/drive_c/windows/syswow64" ] && sysdir=$WINEPREFIX/drive_c/windows/syswow64
cp "$win_build/Plinth.dll" "$win_build/plinth-codes.tsv" "$sysdir/"
cp "$station/plinth.ini" "$sysdir/plinth.ini"
mkdir -p "$work/line"
cp "$win_build/tests/line_host.exe" "$win_build/Zk2GBStdALL.std" "$work/line/"
rc=0
(cd "$work/line" && env -u STATION_SYSDIR -u PLINTH_ENV -u WINEPATH ODBCINI="$station/odbc.ini" \
    STATION_TRACE="$work/line/trace.log" \
    wine line_host.exe "$(winpath "$root/host/sample-station/vehicles/1-sedan.vehicle")" \
    >"$work/line/output.txt" 2>&1) || rc=$?
sed -n '1,20{s/\r$//;p;}' "$work/line/output.txt"
echo "... ($(wc -l <"$work/line/output.txt") lines, exit $rc)"
if [ "$rc" != 0 ] || ! grep -q "ExtGetStand *[1-9]" "$work/line/output.txt"; then
    echo "the line program did not get limits"
    [ -f "$work/line/trace.log" ] && iconv -f GBK -t UTF-8 "$work/line/trace.log" | tail -20
    status=1
fi
rm -f "$sysdir/Plinth.dll" "$sysdir/plinth-codes.tsv" "$sysdir/plinth.ini"

# --- the series editor: Sergen.dll's dialogs under Xvfb -----------------
step "the series editor: Sergen.dll driven by control IDs (tests/windows/sergen_host.cpp)"
editor_station=$work/editor-station
reference_station=$work/editor-reference
sedan=$root/host/sample-station/vehicles/1-sedan.vehicle
"$linux_stdhost" init-station "$editor_station" >/dev/null
"$linux_stdhost" init-station "$reference_station" >/dev/null
# The station's moduleDirectory holds the full standard module of its
# platform: here the Windows one.
cp "$win_build/Zk2GBStdALL.std" "$editor_station/modules/Zk2GBStdALL.std"
# The program with the DLLs it loads, in a directory of their own as a line
# program is installed.
mkdir -p "$work/editor" "$work/screens"
cp "$win_build/tests/sergen_host.exe" "$win_build/Sergen.dll" "$win_build/Plinth.dll" \
    "$win_build/plinth-codes.tsv" "$win_build/stationdb.dll" "$work/editor/"
screens=()
[ -n "${STATION_WINE_SCREENS:-}" ] && screens=("$(winpath "$work/screens")")
rc=0
(cd "$work/editor" && env -u WINEPATH ODBCINI="$editor_station/odbc.ini" \
    STATION_TRACE="$work/editor/trace.log" timeout 600 wine sergen_host.exe \
    "$editor_station" "$sedan" "${screens[@]}" >"$work/editor/output.txt" 2>&1) || rc=$?
editor_out=$(sed 's/\r$//' "$work/editor/output.txt" | grep -v '^[0-9a-f]*:\(err\|fixme\)' || true)
printf '%s\n' "$editor_out"
editor_ok=1
if [ "$rc" != 0 ] || ! grep -qx ok <<<"$editor_out"; then
    echo "the editor's drive failed (exit $rc)"
    [ -f "$work/editor/trace.log" ] && iconv -f GBK -t UTF-8 "$work/editor/trace.log" | tail -20
    editor_ok=0
fi
if [ "$editor_ok" = 1 ]; then
    # The same vehicle and edit through the Linux command line on a second
    # station: every series row of both stations must be the same.
    edited=$(sed -n 's/^edited //p' <<<"$editor_out")
    "$linux_stdhost" --station "$reference_station" series generate 大众 桑塔纳 \
        --default "$sedan" --set "$edited" >/dev/null
    "$linux_stdhost" --station "$editor_station" series export "$work/editor/windows.tsv" >/dev/null
    "$linux_stdhost" --station "$reference_station" series export "$work/editor/linux.tsv" >/dev/null
    if cmp -s "$work/editor/windows.tsv" "$work/editor/linux.tsv"; then
        echo "series rows: the Windows editor's generation equals Linux series generate" \
            "($(grep -c 桑塔纳 "$work/editor/windows.tsv") rows of 大众_桑塔纳, $edited)"
    else
        echo "series rows differ between the Windows editor and Linux series generate:"
        diff "$work/editor/windows.tsv" "$work/editor/linux.tsv" | head -20 || true
        editor_ok=0
    fi
    # CXmask.cfg: a count, then {parameter, active} slots; one parameter
    # masked.
    masked=$(sed -n 's/^masked \([0-9]*\).*/\1/p' <<<"$editor_out")
    read -r count first flag < <(od -An -t d4 -N 12 "$editor_station/config/CXmask.cfg")
    if [ "$count $first $flag" = "1 $masked 1" ] &&
        [ "$(stat -c %s "$editor_station/config/CXmask.cfg")" = 40004 ]; then
        echo "CXmask.cfg: parameter $masked masked, alone"
    else
        echo "CXmask.cfg holds count $count, first slot $first/$flag; expected 1, $masked/1"
        editor_ok=0
    fi
fi
if [ -n "${STATION_WINE_SCREENS:-}" ] && [ "$editor_ok" = 1 ]; then
    mkdir -p "$STATION_WINE_SCREENS"
    for bmp in "$work/screens"/*.bmp; do
        convert "$bmp" "$STATION_WINE_SCREENS/$(basename "$bmp" .bmp).png"
    done
    echo "pictures: $(cd "$STATION_WINE_SCREENS" && ls windows-*.png | tr '\n' ' ')"
fi
[ "$editor_ok" = 1 ] || status=1

# --- stdhost.exe judge --json against the Linux stdhost ------------------
step "stdhost judge --json: Windows against Linux"
vehicles=$work/vehicles
mkdir -p "$vehicles"
cp host/sample-station/vehicles/*.vehicle "$vehicles/"
# Generated vehicles: every kind of vehicle the rules tell apart, with
# masses, seats, dates, fuels, intakes, speeds, brakes and lamps drawn from
# ranges around the rules' thresholds (a fixed seed: the same set each run).
awk -v n="$generated" -v dir="$vehicles" 'BEGIN {
    srand(20240613)
    split("10820001 10820002 10820003 10820004 10820005 10820006 10820007 10820008 10820009 10820010 10820011 10820012 10820013 10820100 10820101 10820102 10820103", kinds, " ")
    split("大众 一汽大众 东风 解放 五羊本田 宝马", brands, " ")
    for (i = 1; i <= n; i++) {
        f = sprintf("%s/gen-%03d.vehicle", dir, i)
        total = int(300 + rand() * 48000); curb = int(total * (0.3 + rand() * 0.5))
        printf "1082=%s\n", kinds[1 + int(rand() * 17)] > f
        printf "1104=%s\n", brands[1 + int(rand() * 6)] > f
        printf "1069=%d\n", 10690001 + int(rand() * 60) > f
        printf "1088=%d\n1083=%d\n1089=%d\n", total, curb, 1 + int(rand() * 55) > f
        printf "1014=%04d-%02d-%02d\n", 1995 + int(rand() * 30), 1 + int(rand() * 12), 1 + int(rand() * 28) > f
        printf "1005=%d\n1048=%d\n", 10050001 + int(rand() * 2), 10480001 + int(rand() * 2) > f
        printf "1066=%d\n1037=%d\n", 20 + int(rand() * 180), 10370001 + int(rand() * 3) > f
        printf "1009=%d\n1008=%d\n", 10090001 + int(rand() * 3), 10080001 + int(rand() * 2) > f
        printf "1070=%d\n1006=%d\n", 10700001 + int(rand() * 2), 10060001 + int(rand() * 4) > f
        printf "1084=%d\n1047=%.2f\n", 3 + int(rand() * 400), rand() * 8 > f
        if (rand() < 0.3) printf "1011=%.2f\n", 0.8 + rand() > f
        if (rand() < 0.2) printf "1164=%d\n", 11640001 + int(rand() * 2) > f
        close(f)
    }
}'
compare=$work/compare
"$linux_stdhost" init-station "$compare" >/dev/null
sfd=$compare/config/StandarFile.sfd
mem=$compare/config/memstd.ini
win_stdhost=$win_build/stdhost.exe
judge_linux() { "$linux_stdhost" --station "$compare" judge --json --vehicle "$1"; }
judge_windows() {
    (cd "$work/tmp" && env -u STATION_SYSDIR ODBCINI="$compare/odbc.ini" \
        wine "$win_stdhost" --station "$compare" judge --json --vehicle "$(winpath "$1")") | sed 's/\r$//'
}
compare_one() {  # compare_one VEHICLE LABEL
    local lin win
    lin=$(judge_linux "$1" 2>"$work/linux.err") || true
    win=$(judge_windows "$1" 2>"$work/windows.err") || true
    if [ -z "$lin" ] || [ "$lin" != "$win" ]; then
        echo "differs ($2): $(basename "$1")"
        diff <(printf '%s\n' "$lin") <(printf '%s\n' "$win") | head -20 || true
        head -5 "$work/linux.err" "$work/windows.err"
        return 1
    fi
}
mismatches=0
# The standard file: the Linux plug-in writes it from the database once;
# then both judge every vehicle from it.
rm -f "$sfd" "$mem"
judge_linux "$vehicles/1-sedan.vehicle" >/dev/null
cp "$sfd" "$work/linux.sfd"
cp "$mem" "$work/linux-memstd.ini"
count=0
for v in "$vehicles"/*.vehicle; do
    compare_one "$v" "standard file" || mismatches=$((mismatches + 1))
    count=$((count + 1))
done
echo "standard file: $count vehicles, $mismatches differ"
# Straight from the database: without a standard file each plug-in loads
# the SQLite database at attach (Windows: in DllMain, through odbc32) and
# writes the file, which must be the Linux one byte for byte. Every vehicle
# is judged from a fresh load.
db_mismatches=0
count=0
for v in "$vehicles"/*.vehicle; do
    count=$((count + 1))
    rm -f "$sfd" "$mem"
    lin=$(judge_linux "$v") || true
    rm -f "$sfd" "$mem"
    win=$(judge_windows "$v") || true
    if [ -z "$lin" ] || [ "$lin" != "$win" ]; then
        echo "differs (database): $(basename "$v")"
        diff <(printf '%s\n' "$lin") <(printf '%s\n' "$win") | head -20 || true
        db_mismatches=$((db_mismatches + 1))
    fi
done
if cmp -s "$sfd" "$work/linux.sfd" && cmp -s "$mem" "$work/linux-memstd.ini"; then
    echo "database: $count vehicles, $db_mismatches differ; Limbank.dll wrote StandarFile.sfd ($(stat -c %s "$sfd") bytes) and memstd.ini identical to liblimbank.so's"
else
    echo "database: the standard file or memstd.ini written by Limbank.dll differs from liblimbank.so's"
    db_mismatches=$((db_mismatches + 1))
fi
if [ "$mismatches" != 0 ] || [ "$db_mismatches" != 0 ]; then status=1; fi

# --- stdhost.exe standards apply: no signatures without libsodium -------
step "stdhost.exe standards apply: refused, signatures need the Linux build"
package=$work/national.pkg
"$linux_stdhost" --station "$compare" standards export "$package" >/dev/null
history_before=$("$linux_stdhost" --station "$compare" history --limit 1 --json)
apply_status=0
apply_out=$( (cd "$work/tmp" && env -u STATION_SYSDIR ODBCINI="$compare/odbc.ini" \
    wine "$win_stdhost" --station "$compare" standards apply "$(winpath "$package")") 2>&1) ||
    apply_status=$?
history_after=$("$linux_stdhost" --station "$compare" history --limit 1 --json)
if [ "$apply_status" = 1 ] && grep -q "needs the Linux build" <<<"$apply_out" &&
    [ "$history_before" = "$history_after" ]; then
    echo "refused with exit 1, nothing recorded: $(grep -m1 "Linux build" <<<"$apply_out" | tr -d '\r')"
else
    echo "stdhost.exe standards apply: exit $apply_status, expected 1 and nothing written:"
    printf '%s\n' "$apply_out" | head -5 || true
    status=1
fi

step ""
echo "== timings"
printf '%s\n' "${timings[@]}"
echo "test-windows.sh: $(( $(date +%s) - start )) s, $([ "$status" = 0 ] && echo passed || echo FAILED)"
exit $status
