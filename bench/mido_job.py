#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The same job as `dorvane-cli info` and `export-mid` over a folder of 8-part
# images, done with mido, for comparison. Prints the seconds the job took,
# interpreter start-up excluded.
import os
import sys
import time

import mido


def info(path):
    data = open(path, "rb").read()
    messages = mido.parse_all(data)
    names = []
    wrong = []
    for m in messages:
        if m.type != "sysex":
            continue
        d = m.data  # without F0/F7
        if len(d) < 6 or d[0] != 0x41:
            continue
        body = d[5:-1] if d[2:5] == (0x00, 0x0B, 0x12) else d[4:-1]
        if (128 - sum(body) % 128) % 128 != d[-1]:
            wrong.append(body[:4])
        if body[0] == 0x02 and body[2] == 0 and body[3] == 0:
            names.append(bytes(body[4:16]).decode("latin-1").strip())
    return len(data), names, wrong


def export(path, out):
    messages = mido.read_syx_file(path)
    mid = mido.MidiFile(type=0, ticks_per_beat=120)
    track = mido.MidiTrack()
    track.append(mido.MetaMessage("track_name", name="", time=0))
    track.append(mido.MetaMessage("midi_port", port=0, time=0))
    for m in messages:
        track.append(m.copy(time=0))
    track.append(mido.MetaMessage("end_of_track", time=0))
    mid.tracks.append(track)
    mid.save(out)


folder, outfolder = sys.argv[1], sys.argv[2]
files = sorted(os.listdir(folder))
start = time.perf_counter()
for f in files:
    info(os.path.join(folder, f))
    export(os.path.join(folder, f), os.path.join(outfolder, f + ".mid"))
print(time.perf_counter() - start)
