#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Fails when a product source includes a header of a folder it may not use.

The folders and what each may include come from the layer table of
ARCHITECTURE.md: a row names its folder in its second cell (`patch/`) and, in
its last cell, the folders it may include, each as `name/`. A folder always
may include itself. Every top-level folder that builds a dorvane_library must
have a row, so a new folder cannot slip past the check, and link exactly the
libraries (dorvane::name) of the folders its row lists.

Usage: checklayers.py SOURCE_ROOT
"""
import pathlib
import re
import sys

ROW = re.compile(r"^\|[^|]*\|\s*`([a-z0-9_]+)/`\s*\|")
FOLDER = re.compile(r"`([a-z0-9_]+)/`")
LIBRARY = re.compile(r"dorvane_library\(\s*([a-z0-9_]+)([^)]*)\)", re.S)
LINKED = re.compile(r"dorvane::([a-z0-9_]+)")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([a-z0-9_]+)/[^"]+"')


def read_table(architecture):
    """{folder: set of folders it may include}, in the table's order."""
    table = {}
    for line in architecture.read_text(encoding="utf-8").splitlines():
        row = ROW.match(line)
        if not row:
            continue
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        table[row.group(1)] = set(FOLDER.findall(cells[-1])) | {row.group(1)}
    return table


def library_folders(root):
    """{folder: the folders whose libraries its dorvane_library() links}."""
    folders = {}
    for d in sorted(root.iterdir()):
        cmake = d / "CMakeLists.txt"
        if not cmake.is_file():
            continue
        call = LIBRARY.search(cmake.read_text(encoding="utf-8"))
        if call:
            folders[d.name] = set(LINKED.findall(call.group(2)))
    return folders


def check(root):
    """The faults found, one line each."""
    architecture = root / "ARCHITECTURE.md"
    table = read_table(architecture)
    if not table:
        return [f"{architecture}: no layer table found"]
    faults = []
    for folder, linked in library_folders(root).items():
        if folder not in table:
            faults.append(f"{folder}/CMakeLists.txt: builds a library but has no row in the "
                          f"layer table of {architecture.name}")
        elif linked != table[folder] - {folder}:
            faults.append(f"{folder}/CMakeLists.txt: links {sorted(linked)}, its row of the "
                          f"layer table lists {sorted(table[folder] - {folder})}")
    for folder, allowed in table.items():
        for source in sorted((root / folder).rglob("*")):
            if source.suffix not in (".cpp", ".h") or not source.is_file():
                continue
            lines = source.read_text(encoding="utf-8", errors="replace").splitlines()
            for number, line in enumerate(lines, start=1):
                include = INCLUDE.match(line)
                if not include:
                    continue
                target = include.group(1)
                if target in table and target not in allowed:
                    faults.append(
                        f"{source.relative_to(root)}:{number}: {folder}/ includes a header of "
                        f"{target}/, which its row of the layer table does not allow"
                    )
    return faults


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    faults = check(pathlib.Path(argv[1]))
    for fault in faults:
        print(fault)
    if faults:
        return 1
    print("every include points down the layer table")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
