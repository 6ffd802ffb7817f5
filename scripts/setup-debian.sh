#!/usr/bin/env bash
# Installs the Debian 12 packages that the build, the tests and the station
# need. Runs as root (or through sudo when it is available).
set -euo pipefail
packages=(
    g++ cmake make pkg-config libgtest-dev libbenchmark-dev clang-14 libclang-rt-14-dev clang-format-14 clang-tidy-14 python3
    valgrind xxd libssl-dev libsodium-dev
    unixodbc unixodbc-dev libsqliteodbc odbc-postgresql tdsodbc postgresql sqlite3
    qt6-base-dev libqt6test6 libqt6svg6 fonts-wqy-microhei xvfb xauth libcli11-dev nlohmann-json3-dev
    chromium libxcb1-dev
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
    exit 0
fi
# shellcheck source=apt-retry.sh
. "$(dirname "$0")/apt-retry.sh"
SUDO=
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
$SUDO apt-get update -q || true
apt_install_retry "${missing[@]}"
