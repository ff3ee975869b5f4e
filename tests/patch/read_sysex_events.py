#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Reads a Standard MIDI File with mido and prints one line per system-exclusive
# event: its delta time and its bytes (F0 .. F7) in hex. A parser nobody here
# wrote is the judge of the files Dorvane exports.
import sys

import mido

mid = mido.MidiFile(sys.argv[1])
print("format", mid.type, "tracks", len(mid.tracks), "ticks", mid.ticks_per_beat)
for track in mid.tracks:
    for msg in track:
        if msg.type == "sysex":
            print("sysex", msg.time, " ".join("%02X" % b for b in msg.bytes()))
        elif msg.is_meta:
            print("meta", msg.type, msg.time)
