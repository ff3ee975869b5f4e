#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Remakes every picture the README and the manual show, in docs/screenshots/,
# at 100 % and, where a 200 % picture exists, at 200 %:
#   tests/gallery/screenshots.sh [BUILD_DIR]     (default: build)
# It builds the gallery programs first. The windows are drawn offscreen with
# the built-in instrument as the device, on a fresh profile, so the pictures
# do not depend on the machine they are made on.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
out=$root/docs/screenshots
cmake --build "$build" -j2 --target controlgallery windowshots dorvane_data >/dev/null
bin=$build/bin
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$tmp/config" XDG_CACHE_HOME="$tmp/cache"

"$bin/controlgallery" "$out/controls-100.png"
QT_SCALE_FACTOR=2 "$bin/controlgallery" "$out/controls-200.png"
"$bin/windowshots" "$tmp/100" >/dev/null
QT_SCALE_FACTOR=2 "$bin/windowshots" "$tmp/200" >/dev/null

for shot in part1-tone part1-common part1-setup partR-tone part3-common-presets; do
    cp "$tmp/100/$shot.png" "$out/window-$shot.png"
done
for shot in part1-tone part3-common-presets; do
    cp "$tmp/200/$shot.png" "$out/window-$shot-200.png"
done
for shot in shake-menu shake-options; do
    cp "$tmp/100/$shot.png" "$out/$shot.png"
    cp "$tmp/200/$shot.png" "$out/$shot-200.png"
done
cp "$tmp/100/monitor.png" "$out/midi-monitor.png"
ls "$out"
