// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/morph.h"

#include "patch/t505temppatch.h"

#include <algorithm>
#include <cmath>

namespace dorvane {

namespace {

bool takesB(int position)
{
    return 2 * position >= MorphMax;
}

} // namespace

int morphValue(const SoundParameter& parameter, int a, int b, int position)
{
    const int last = std::max(parameter.valueCount - 1, 0);
    a = std::clamp(a, 0, last);
    b = std::clamp(b, 0, last);
    position = std::clamp(position, 0, MorphMax);
    if (!parameter.continuous)
        return takesB(position) ? b : a;
    const double blended = a + double(b - a) * position / MorphMax;
    return std::clamp(int(std::lround(blended)), 0, last);
}

bool morphPart(t505temppatch& target, int part, const PartSound& a, const PartSound& b,
               std::span<const SoundParameter> parameters, int position)
{
    const bool rhythm = part == RhythmPart;
    if (!a.image || !b.image || (a.part == RhythmPart) != rhythm ||
        (b.part == RhythmPart) != rhythm)
        return false;
    position = std::clamp(position, 0, MorphMax);
    // The name and the bytes no parameter names come from A whatever the
    // slider says; copying A first also takes back an earlier position.
    copySound(target, part, a);
    const std::vector<int> areas = soundAreas(part);
    for (const SoundParameter& p : parameters) {
        if (p.common && rhythm)
            continue;
        auto blend = [&](int area) {
            const int value = morphValue(p, a.image->ReadByte(a.part, area, p.offset),
                                         b.image->ReadByte(b.part, area, p.offset), position);
            target.WriteByte(part, area, p.offset, value);
        };
        if (p.common)
            blend(0);
        else
            std::for_each(areas.begin(), areas.end(), blend);
    }
    // A wave is a choice: between two waves there is no wave.
    if (takesB(position))
        for (int area : areas)
            target.WriteWave(part, area, b.image->ReadWave(b.part, area));
    return true;
}

} // namespace dorvane
