#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Dorvane's start-up against a bare Qt 6 window with one label.

Starts both, alternately, several times in one run under one X server (its
own Xvfb unless --display is given), each on a fresh profile, and prints the
time from launch to the first drawn window (and the processor time used by
then, which a busy machine stretches far less), the resident memory 3 s after
launch, and Dorvane's ratios to the bare window (medians).

A third program, an empty main window of Dorvane's first size with a menu bar,
runs alongside: the ratios against it tell what Dorvane's own work costs, apart
from what a window of that size costs any Qt program.

A Dorvane built before a change (--before) runs in the same rounds, so the
two are measured under the same load.

    bench/startup.py [--build build-bench] [--runs 10] [--xvfb N | --display :N]
                     [--before OTHER/bin/dorvane]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

# The size the main window asks for the first time (bounded by the screen).
DORVANE_FIRST_SIZE = "1366x740"


def start_xvfb(number):
    """Xvfb on display :number, or on the first free one when number is None."""
    read_end, write_end = os.pipe()
    where = [":%d" % number] if number is not None else []
    xvfb = subprocess.Popen(
        ["Xvfb"] + where + ["-displayfd", str(write_end), "-screen", "0", "1366x768x24",
                            "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as f:
        number = f.readline().strip()
    if not number:
        xvfb.kill()
        sys.exit("startup.py: Xvfb did not start")
    return xvfb, ":" + number


def measure(watcher, program, args, display, seconds):
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, DISPLAY=display, HOME=home, QT_QPA_PLATFORM="xcb",
                   XDG_CONFIG_HOME=os.path.join(home, "config"),
                   XDG_CACHE_HOME=os.path.join(home, "cache"),
                   XDG_DATA_HOME=os.path.join(home, "data"))
        env.pop("QT_SCALE_FACTOR", None)
        out = subprocess.run([watcher, str(seconds), program] + args, env=env,
                             capture_output=True, text=True, timeout=60)
    if out.returncode != 0:
        sys.exit("startup.py: %s: %s" % (os.path.basename(program), out.stderr.strip()))
    ms, kb, cpu = out.stdout.split()
    return float(ms), int(kb) / 1024.0, float(cpu)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(here, "..", "build-bench"),
                        help="the build tree (a Release build)")
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--seconds", type=float, default=3.0,
                        help="when the resident memory is read, after launch")
    parser.add_argument("--display", help="an X display to use instead of a private Xvfb")
    parser.add_argument("--xvfb", type=int, metavar="N",
                        help="start the private Xvfb as display :N (default: the first free one)")
    parser.add_argument("--program", help="the Dorvane to measure (default: BUILD/bin/dorvane)")
    parser.add_argument("--before", help="another Dorvane to measure alongside (with its data "
                        "files beside it), such as a build from before a change")
    opts = parser.parse_args()

    bin_dir = os.path.join(opts.build, "bin")
    watcher = os.path.join(bin_dir, "startup-firstwindow")
    bare = os.path.join(bin_dir, "startup-barewindow")
    dorvane = opts.program or os.path.join(bin_dir, "dorvane")
    if not os.access(watcher, os.X_OK):
        sys.exit("startup.py: %s is missing: the bench build makes it from XCB with DAMAGE "
                 "(Debian: libxcb-damage0-dev); install it and build %s again"
                 % (watcher, opts.build))
    for f in (bare, dorvane) + ((opts.before,) if opts.before else ()):
        if not os.access(f, os.X_OK):
            sys.exit("startup.py: %s is missing; build the tree first" % f)
    if not opts.display and not shutil.which("Xvfb"):
        sys.exit("startup.py: Xvfb is missing (Debian: xvfb)")

    xvfb, display = (None, opts.display) if opts.display else start_xvfb(opts.xvfb)
    programs = {"bare": (bare, []), "window": (bare, ["--window", DORVANE_FIRST_SIZE]),
                "dorvane": (dorvane, [])}
    if opts.before:
        programs["before"] = (opts.before, [])
    results = {name: [] for name in programs}
    try:
        # One unmeasured start of each fills the disk cache for all alike.
        for program, args in programs.values():
            measure(watcher, program, args, display, 0.5)
        for _ in range(opts.runs):
            for name, (program, args) in programs.items():
                results[name].append(measure(watcher, program, args, display, opts.seconds))
    finally:
        if xvfb:
            xvfb.kill()
            xvfb.wait()

    def median(name, i):
        return statistics.median(r[i] for r in results[name])

    print("%d runs each, display %s, load average %.1f" % (opts.runs, display, os.getloadavg()[0]))
    print("%-8s %24s %12s %24s" % ("", "first window ms", "CPU ms", "RSS MB after %gs" % opts.seconds))
    for name in programs:
        t = [r[0] for r in results[name]]
        m = [r[1] for r in results[name]]
        print("%-8s %6.0f  (%4.0f .. %4.0f)   %10.1f    %6.1f  (%5.1f .. %5.1f)" %
              (name, median(name, 0), min(t), max(t), median(name, 2), median(name, 1), min(m),
               max(m)))
    for name in [n for n in ("dorvane", "before") if n in programs]:
        for against in ("bare", "window"):
            print("%s / %-7s time %.2f x   CPU %.2f x   memory %.2f x" %
                  (name, against, median(name, 0) / median(against, 0),
                   median(name, 2) / median(against, 2), median(name, 1) / median(against, 1)))


if __name__ == "__main__":
    main()
