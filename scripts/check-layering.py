#!/usr/bin/env python3
"""Fails when a library reaches up: an #include or a target_link_libraries
edge from a folder to a folder above it in the order of the libraries.

    platform -> plinth, stationdb -> bridges -> store -> engine -> generator
             -> dialogs, widgets -> plugins -> host

A folder may use its own files and any folder below it. Folders on one level
are peers and may not use each other, except the pairs in SIDEWAYS. tests/,
bench/, fuzz/ and db/ stand on top and are not checked.
"""
import os
import re
import subprocess
import sys

LEVELS = {
    "platform": 0,
    "plinth": 1, "stationdb": 1,
    "bridges": 2,
    "store": 3,
    "engine": 4,
    "generator": 5,
    "widgets": 6, "dialogs": 6,
    "plugins": 7,
    "host": 8,
}
# Peers that may use each other in one direction only.
SIDEWAYS = {("dialogs", "widgets")}
# Headers the build generates, by the folder whose table makes them.
GENERATED = {"gbk_texts.h": "platform", "condition_texts.h": "engine"}
# Link items that are not targets of the tree (system and package libraries).
INCLUDE_RE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def tracked(*patterns):
    out = subprocess.run(["git", "ls-files", "-z", "--", *patterns], check=True,
                         capture_output=True, text=True).stdout
    return [p for p in out.split("\0") if p]


def top(path):
    return path.split("/", 1)[0]


def allowed(src, dst):
    if src == dst:
        return True
    a, b = LEVELS[src], LEVELS[dst]
    return b < a or (a == b and (src, dst) in SIDEWAYS)


def include_edges(files):
    by_name = {}
    for f in files:
        by_name.setdefault(os.path.basename(f), set()).add(top(f))
    known = set(files)
    for f in files:
        with open(f, encoding="utf-8", errors="replace") as handle:
            text = handle.read()
        for line_no, name in ((text.count("\n", 0, m.start()) + 1, m.group(1))
                              for m in INCLUDE_RE.finditer(text)):
            local = os.path.normpath(os.path.join(os.path.dirname(f), name))
            if local in known:
                dst = top(local)
            elif "/" in name and top(name) in LEVELS:
                dst = top(name)
            elif name in GENERATED:
                dst = GENERATED[name]
            elif len(by_name.get(os.path.basename(name), ())) == 1:
                dst = next(iter(by_name[os.path.basename(name)]))
            else:
                continue
            yield f"{f}:{line_no}", top(f), dst, f'#include "{name}"'


def cmake_commands(text):
    text = re.sub(r"#[^\n]*", "", text)
    for m in re.finditer(r"\b(\w+)\s*\(([^()]*(?:\([^()]*\)[^()]*)*)\)", text):
        yield m.group(1).lower(), m.group(2).split(), text.count("\n", 0, m.start()) + 1


def link_edges(lists):
    owner = {}
    variables = {}
    parsed = []
    for path in lists:
        with open(path, encoding="utf-8") as handle:
            commands = list(cmake_commands(handle.read()))
        parsed.append((path, commands))
        for command, args, _ in commands:
            if command in ("add_library", "add_executable", "station_shared_library",
                           "station_test") and args:
                owner[args[0]] = top(path)
            elif command == "set" and args:
                variables[args[0]] = args[1:]
    for path, commands in parsed:
        for command, args, line_no in commands:
            if command != "target_link_libraries" or not args:
                continue
            items = []
            for arg in args[1:]:
                m = re.fullmatch(r"\$\{(\w+)\}", arg)
                items.extend(variables.get(m.group(1), []) if m else [arg])
            for item in items:
                if item in owner:
                    yield f"{path}:{line_no}", top(path), owner[item], f"links {item}"


def main():
    os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    folders = list(LEVELS)
    sources = [f for f in tracked("*.c", "*.cpp", "*.h") if top(f) in LEVELS]
    lists = [f for f in tracked("*CMakeLists.txt") if top(f) in LEVELS]
    bad = [edge for edge in (*include_edges(sources), *link_edges(lists))
           if edge[1] in LEVELS and edge[2] in LEVELS and not allowed(edge[1], edge[2])]
    for where, src, dst, what in bad:
        print(f"{where}: {src} (level {LEVELS[src]}) reaches up to {dst} "
              f"(level {LEVELS[dst]}): {what}")
    if bad:
        print(f"check-layering: {len(bad)} edges against the order of the libraries")
        return 1
    print(f"check-layering: {len(sources)} files and {len(lists)} CMake lists of "
          f"{len(folders)} folders follow the order of the libraries")
    return 0


if __name__ == "__main__":
    sys.exit(main())
