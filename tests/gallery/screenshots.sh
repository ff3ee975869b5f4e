#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Remakes every picture the README and the manual show, in docs/screenshots/,
# at 100 % and, where a 200 % picture exists, at 200 %, in the light scheme, and
# the main window, the knob window, the drum mixer, the copy panel and the
# library in the dark scheme too (named "-dark"):
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
"$bin/windowshots" "$tmp/dark100" --dark >/dev/null
QT_SCALE_FACTOR=2 "$bin/windowshots" "$tmp/dark200" --dark >/dev/null

# The window shots come named as the docs name them (…-200.png at 200 %,
# …-dark.png in the dark scheme).
cp "$tmp"/100/*.png "$tmp"/200/*.png "$tmp"/dark100/*.png "$tmp"/dark200/*.png "$out/"
ls "$out"
