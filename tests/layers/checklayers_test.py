#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The layer check run on small trees of its own: it passes a tree whose
# includes point down, and fails, naming the file and line, on an include that
# goes up, on one that skips to a folder its row does not list, on a folder
# that builds a library without a row, and on a library that links other
# folders than its row lists.
import pathlib
import subprocess
import sys
import tempfile

CHECK = pathlib.Path(sys.argv[1])

TABLE = """# Layers

| layer | folder | owns | may include |
|---|---|---|---|
| bottom | `low/` | the data | nothing |
| middle | `mid/` | the ports | `low/` |
| side | `side/` | the library | `low/` |
| top | `top/` | the window | `low/`, `mid/`, `side/` |
"""


def tree(root, files):
    (root / "ARCHITECTURE.md").write_text(TABLE)
    links = {"low": "", "mid": " DEPS dorvane::low Qt6::Core",
             "side": " DEPS dorvane::low", "top": " DEPS dorvane::low dorvane::mid\n  dorvane::side"}
    for folder, deps in links.items():
        (root / folder).mkdir()
        (root / folder / "CMakeLists.txt").write_text(f"dorvane_library({folder}{deps})\n")
    for name, text in files.items():
        path = root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text)


GOOD = {
    "low/data.h": "#pragma once\n#include <vector>\n",
    "low/data.cpp": '#include "low/data.h"\n',
    "mid/port.h": '#pragma once\n#include "low/data.h"\n',
    "side/index.cpp": '#include "low/data.h"\n#include "side/index.h"\n',
    "side/index.h": "#pragma once\n",
    "top/window.cpp": '#include "mid/port.h"\n#include "side/index.h"\n#include <QWidget>\n',
    # Not a folder of the table: a path of the include's own.
    "top/generated.cpp": '#include "ui_window.h"\n',
}


def run(files, extra_folder=None):
    with tempfile.TemporaryDirectory() as d:
        root = pathlib.Path(d)
        tree(root, files)
        if extra_folder:
            (root / extra_folder).mkdir()
            (root / extra_folder / "CMakeLists.txt").write_text(f"dorvane_library({extra_folder})\n")
        done = subprocess.run([sys.executable, str(CHECK), str(root)], capture_output=True, text=True)
        return done.returncode, done.stdout + done.stderr


failures = []


def expect(what, files, code, *words, extra_folder=None):
    got, out = run(files, extra_folder)
    if got != code or any(w not in out for w in words):
        failures.append(f"{what}: exit {got}, wanted {code} with {words}:\n{out}")


expect("includes pointing down", GOOD, 0)
expect("a lower layer including a higher one",
       {**GOOD, "low/data.cpp": '#include "low/data.h"\n\n#include "mid/port.h"\n'},
       1, "low/data.cpp:3:", "mid/")
expect("a header going up, spaces after the hash",
       {**GOOD, "mid/port.h": '#pragma once\n#  include "top/window.h"\n'},
       1, "mid/port.h:2:", "top/")
expect("a neighbour the row does not list",
       {**GOOD, "side/index.cpp": '#include "mid/port.h"\n'},
       1, "side/index.cpp:1:", "mid/")
expect("a folder building a library without a row", GOOD, 1, "session", extra_folder="session")

expect("a library linking a folder its row does not list",
       {**GOOD, "side/CMakeLists.txt": "dorvane_library(side DEPS dorvane::low dorvane::mid)\n"},
       1, "side/CMakeLists.txt", "mid")

for failure in failures:
    print(failure)
print(f"{6 - len(failures)} of 6 cases as expected")
sys.exit(1 if failures else 0)
