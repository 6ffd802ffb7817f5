#!/bin/sh
# check_exports.sh OBJDUMP DLL DEF [DLL DEF]...
# Each DLL's export table names exactly the names its .def file lists, each
# undecorated (no leading underscore, no @n), and each DLL imports no
# compiler runtime DLL (libgcc, libstdc++, winpthread).
set -eu
objdump=$1
shift
status=0
while [ $# -ge 2 ]; do
    dll=$1 def=$2
    shift 2
    name=$(basename "$dll")
    expected=$(sed -n '/^EXPORTS/,$p' "$def" | sed '1d; s/;.*//; s/[[:space:]]//g; /^$/d' | sort)
    actual=$("$objdump" -p "$dll" |
        awk '/\[Ordinal\/Name Pointer\] Table/ {t = 1; next}
             t && /^[[:space:]]*\[/ {print $NF; next}
             t {t = 0}' | sort)
    if [ "$expected" != "$actual" ]; then
        echo "$name: the export table differs from $(basename "$def"):"
        printf '%s\n' "$expected" >"${TMPDIR:-/tmp}/exports.expected.$$"
        printf '%s\n' "$actual" >"${TMPDIR:-/tmp}/exports.actual.$$"
        diff "${TMPDIR:-/tmp}/exports.expected.$$" "${TMPDIR:-/tmp}/exports.actual.$$" || true
        rm -f "${TMPDIR:-/tmp}/exports.expected.$$" "${TMPDIR:-/tmp}/exports.actual.$$"
        status=1
    else
        echo "$name: $(printf '%s\n' "$actual" | wc -l) exports, exactly those of $(basename "$def")"
    fi
    runtime=$("$objdump" -p "$dll" | awk '/DLL Name:/ {print $3}' |
        grep -i -E 'libgcc|libstdc|winpthread' || true)
    if [ -n "$runtime" ]; then
        echo "$name: imports a compiler runtime DLL: $runtime"
        status=1
    fi
done
exit $status
