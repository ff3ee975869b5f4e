// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/soundparameter.h"

#include "patch/t505temppatch.h"

namespace dorvane {

std::vector<int> soundAreas(int part)
{
    std::vector<int> areas;
    if (part == RhythmPart) {
        for (int note = 0; note < DrumNoteCount; ++note)
            areas.push_back(note);
    } else {
        for (int tone = 1; tone <= ToneCount; ++tone)
            areas.push_back(tone);
    }
    return areas;
}

void copySound(t505temppatch& target, int part, const PartSound& from)
{
    if (!from.image || (part == RhythmPart) != (from.part == RhythmPart))
        return;
    auto copyArea = [&](int area, std::size_t size) {
        for (int offset = 0; offset < int(size); ++offset)
            target.WriteByte(part, area, offset, from.image->ReadByte(from.part, area, offset));
    };
    if (part == RhythmPart) {
        for (int note = 0; note < DrumNoteCount; ++note)
            copyArea(note, DrumNoteDataSize);
        return;
    }
    copyArea(0, CommonDataSize);
    for (int tone = 1; tone <= ToneCount; ++tone)
        copyArea(tone, ToneDataSize);
}

} // namespace dorvane
