// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/tonemorph.h"

#include <algorithm>

namespace dorvane {

namespace {

constexpr int Full = 127;
constexpr int Middle = MorphBarMax / 2;
constexpr std::array<int, MorphBarCount> MorphOffsets = {101, 81, 83};

} // namespace

int morphOffset(MorphBar bar)
{
    return MorphOffsets[std::size_t(bar)];
}

std::array<ToneMorphWrite, 2> toneMorph(int position, int shownTone)
{
    const int p = std::clamp(position, 0, MorphBarMax);
    const int firstTone = shownTone <= 2 ? 1 : 3;
    // Past the middle the first tone fades by the distance left to the end.
    const int first = p > Middle ? (MorphBarMax - p) * Full / Middle : Full;
    const int second = p > Middle ? Full : p * Full / Middle;
    return {ToneMorphWrite{firstTone, first}, ToneMorphWrite{firstTone + 1, second}};
}

} // namespace dorvane
