#!/usr/bin/env bash
# Cross-builds the 32-bit Windows deliverables from the same sources with
# MinGW-w64 (i686, posix threads): build-win32/ then holds Limbank.dll, its
# copy Zk2GBStdALL.std, Sergen.dll (the series editor with Win32 dialogs),
# Plinth.dll with plinth-codes.tsv, stationdb.dll, stdhost.exe and
# share/station-limits/. Each runs on 32- and 64-bit Windows and under Wine,
# and needs no compiler runtime DLL.
#
#   scripts/build-windows.sh [--tests] [BUILD_DIR]
#
# --tests also cross-builds GoogleTest from Debian's googletest sources with
# the same toolchain and the test programs (build-win32/tests/*.exe).
# Installs the Debian packages it needs with apt-get (through sudo when not
# root). `stdhost editor` needs Qt, which is not packaged for this target:
# it stays Linux-only; a line program opens Sergen.dll itself.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

tests=OFF
build=build-win32
for arg in "$@"; do
    case "$arg" in
        --tests) tests=ON ;;
        -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        -*) echo "build-windows.sh: unknown option $arg" >&2; exit 2 ;;
        *) build=$arg ;;
    esac
done
case "$build" in /*) ;; *) build=$root/$build ;; esac

packages=(g++-mingw-w64-i686 mingw-w64-i686-dev cmake make g++ libcli11-dev nlohmann-json3-dev)
[ "$tests" = ON ] && packages+=(googletest)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]} > 0)); then
    SUDO=
    if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -q || true
    $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

toolchain=$root/cmake/mingw-w64-i686.cmake
jobs=$(nproc)
gtest_option=()
if [ "$tests" = ON ]; then
    # GoogleTest for Windows, built once per build directory from the
    # packaged sources with the same toolchain and runtime flags.
    gtest_prefix=$build/googletest/install
    if [ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
        cmake -S /usr/src/googletest -B "$build/googletest/build" \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_INSTALL_PREFIX="$gtest_prefix" -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF \
            -DCMAKE_CXX_STANDARD=20 >/dev/null
        cmake --build "$build/googletest/build" -j"$jobs" >/dev/null
        cmake --install "$build/googletest/build" >/dev/null
    fi
    gtest_option=(-DGTest_DIR="$gtest_prefix/lib/cmake/GTest")
fi

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTATION_CORE_ONLY=ON -DSTATION_BUILD_BENCH=OFF \
    -DSTATION_BUILD_TESTS="$tests" "${gtest_option[@]}" >/dev/null
cmake --build "$build" -j"$jobs"

echo "build-windows.sh: $(cd "$build" && ls Limbank.dll Zk2GBStdALL.std Sergen.dll Plinth.dll stationdb.dll stdhost.exe 2>/dev/null | tr '\n' ' ')in $build"
