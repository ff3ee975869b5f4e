// SPDX-License-Identifier: GPL-3.0-or-later
// The tone morph: a bar moves one parameter of a pair of tones (1 and 2, or 3
// and 4) between them. In the middle both stand at 127; towards one end the
// other tone's value falls to 0.
#pragma once

#include <array>

namespace dorvane {

// The bars, in the order the panel shows them, and the tone data offset each moves.
enum class MorphBar
{
    Level = 0,
    Cutoff = 1,
    Resonance = 2,
};
constexpr int MorphBarCount = 3;
constexpr int MorphBarMax = 100; // the bar runs 0..100 from its top, 50 in the middle
int morphOffset(MorphBar bar);

// One value written into one tone.
struct ToneMorphWrite
{
    int tone = 0; // 1..4
    int value = 0;
};

// The two writes of a bar standing at `position` while `shownTone` (1..4) is
// shown: the first tone of its pair first. A position outside the bar counts
// as its nearer end.
std::array<ToneMorphWrite, 2> toneMorph(int position, int shownTone);

} // namespace dorvane
