// SPDX-License-Identifier: GPL-3.0-or-later
// Images whose parts can be told apart, for transfer tests: every part has a
// name and parameter values of its own, so a block that lands in the wrong
// place shows. Header-only, so it needs nothing beyond the patch library the
// test links anyway.
#pragma once

#include "patch/initialpatch.h"
#include "patch/layout.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

#include <string>
#include <vector>

namespace dorvane::test {

// Checksums right; `seed` makes different images.
inline std::vector<std::uint8_t> knownImage(int seed = 1)
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    for (int part = 0; part < NormalPartCount; ++part) {
        image.SetPatchName(part, "S" + std::to_string(seed) + " PART " + std::to_string(part + 1));
        for (int tone = 1; tone <= ToneCount; ++tone)
            for (int offset = 20; offset < 120; offset += 7)
                image.WriteByte(part, tone, offset,
                                (seed * 31 + part * 17 + tone * 5 + offset) % 100);
    }
    image.SetPatchName(RhythmPart, "S" + std::to_string(seed) + " RHYTHM");
    for (int note = 0; note < DrumNoteCount; ++note)
        image.WriteByte(RhythmPart, note, 9, (seed * 13 + note) % 128);
    return image.AllBytes();
}

// Copies of the sysex messages of a byte run, in order.
inline std::vector<std::vector<std::uint8_t>> messagesOf(ByteView bytes)
{
    std::vector<std::vector<std::uint8_t>> list;
    for (ByteView m : splitSysex(bytes))
        list.emplace_back(m.begin(), m.end());
    return list;
}

inline std::vector<std::uint8_t> joined(const std::vector<std::vector<std::uint8_t>>& messages)
{
    std::vector<std::uint8_t> all;
    for (const auto& m : messages)
        all.insert(all.end(), m.begin(), m.end());
    return all;
}

} // namespace dorvane::test
