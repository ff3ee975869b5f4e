#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Dorvane's start-up against a bare Qt 6 window with one label.

Starts both, alternately, several times in one run under one X server (its
own Xvfb unless --display is given), each on a fresh profile, and prints the
time from launch to the first drawn window (and the processor time used by
then, which a busy machine stretches far less), the resident memory 3 s after
launch, and Dorvane's ratios to the bare window (medians).

    bench/startup.py [--build build-bench] [--runs 10] [--xvfb N | --display :N]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile


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
    opts = parser.parse_args()

    bin_dir = os.path.join(opts.build, "bin")
    watcher = os.path.join(bin_dir, "startup-firstwindow")
    bare = os.path.join(bin_dir, "startup-barewindow")
    dorvane = opts.program or os.path.join(bin_dir, "dorvane")
    for f in (watcher, bare, dorvane):
        if not os.access(f, os.X_OK):
            sys.exit("startup.py: %s is missing; build the tree first" % f)
    if not opts.display and not shutil.which("Xvfb"):
        sys.exit("startup.py: Xvfb is missing (Debian: xvfb)")

    xvfb, display = (None, opts.display) if opts.display else start_xvfb(opts.xvfb)
    results = {"bare": [], "dorvane": []}
    try:
        # One unmeasured start of each fills the disk cache for both alike.
        measure(watcher, bare, [], display, 0.5)
        measure(watcher, dorvane, [], display, 0.5)
        for _ in range(opts.runs):
            results["bare"].append(measure(watcher, bare, [], display, opts.seconds))
            results["dorvane"].append(measure(watcher, dorvane, [], display, opts.seconds))
    finally:
        if xvfb:
            xvfb.kill()
            xvfb.wait()

    def median(name, i):
        return statistics.median(r[i] for r in results[name])

    print("%d runs each, display %s, load average %.1f" % (opts.runs, display, os.getloadavg()[0]))
    print("%-8s %24s %12s %24s" % ("", "first window ms", "CPU ms", "RSS MB after %gs" % opts.seconds))
    for name in ("bare", "dorvane"):
        t = [r[0] for r in results[name]]
        m = [r[1] for r in results[name]]
        print("%-8s %6.0f  (%4.0f .. %4.0f)   %10.0f    %6.1f  (%5.1f .. %5.1f)" %
              (name, median(name, 0), min(t), max(t), median(name, 2), median(name, 1), min(m),
               max(m)))
    print("ratio    time %.2f x   CPU %.2f x   memory %.2f x" %
          (median("dorvane", 0) / median("bare", 0), median("dorvane", 2) / median("bare", 2),
           median("dorvane", 1) / median("bare", 1)))


if __name__ == "__main__":
    main()
