// SPDX-License-Identifier: GPL-3.0-or-later
// Morph: a part's sound stands somewhere between two sounds A and B. Every
// continuous parameter is interpolated, rounded and kept within its range;
// switches, waves and list choices take A's value below the middle and B's
// from the middle on; the name and whatever no parameter names stay A's.
// Part R morphs drum note by drum note.
#pragma once

#include "tools/soundparameter.h"

#include <span>

namespace dorvane {

// The slider's range: 0 is A, MorphMax is B, MorphMax / 2 the middle.
constexpr int MorphMax = 100;

// Writes into part `part` of `target` the blend of `a` and `b` at `position`
// (clamped to 0..MorphMax). The sounds must be of the part's kind; a sound
// of the other kind (part R against a normal part) leaves `target` alone and
// returns false.
bool morphPart(t505temppatch& target, int part, const PartSound& a, const PartSound& b,
               std::span<const SoundParameter> parameters, int position);

// The value one parameter takes at `position` between `a` and `b`, both
// first brought into 0..valueCount-1.
int morphValue(const SoundParameter& parameter, int a, int b, int position);

} // namespace dorvane
