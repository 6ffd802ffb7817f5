#!/usr/bin/env bash
# Turns the editor's icons (dialogs/icons/*.svg, which the Qt dialogs use)
# into the Windows icon files the Win32 dialogs' resources compile in
# (dialogs/win32/icons/*.ico: 48, 32, 24 and 16 pixels, transparent). The
# .ico files are committed, so a build needs no converter; run this after
# changing an SVG. Needs ImageMagick's convert with an SVG reader.
set -euo pipefail
cd "$(dirname "$0")/.."
out=dialogs/win32/icons
mkdir -p "$out"
for svg in dialogs/icons/*.svg; do
    name=$(basename "$svg" .svg)
    tmp=$(mktemp "$out/.$name.XXXXXX")
    convert -background none -density 384 "$svg" -define icon:auto-resize=48,32,24,16 "ico:$tmp"
    mv -f "$tmp" "$out/$name.ico"
    echo "$out/$name.ico"
done
