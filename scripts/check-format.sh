#!/usr/bin/env bash
# Fails when a C or C++ file of the repository differs from what
# clang-format 14 makes of it with the repository's .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.c' '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run --Werror
echo "check-format.sh: every C and C++ file is formatted"
