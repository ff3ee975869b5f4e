// SPDX-License-Identifier: GPL-3.0-or-later
// Note names as the instrument writes them: "C4 " for note 60, letter, sharp,
// octave (note 0 is C-1) and one blank.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace dorvane {

constexpr std::array<std::string_view, 12> PitchNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                         "F#", "G",  "G#", "A",  "A#", "B"};

// Any note number is named (by floor division below 0), so a computed note out
// of range still reads as something rather than reading outside the table.
std::string noteName(int note);

} // namespace dorvane
