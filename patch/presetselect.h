// SPDX-License-Identifier: GPL-3.0-or-later
// Calling up one of the instrument's preset patches on a part: the bank list,
// the names of patchlist.txt, and the three messages that choose the preset.
#pragma once

#include "patch/layout.h"

#include <array>
#include <span>
#include <string>
#include <vector>

namespace dorvane {

constexpr int PresetBankCount = 4; // A, B, C, D
constexpr int PresetsPerBank = 128;
// Bank select MSB of the instrument's preset banks; the LSB picks A..D.
constexpr std::uint8_t PresetBankSelect = 81;

// The MIDI channel (0..15) a part listens on: parts 1..7 on 1..7, part R on 10.
int partChannel(int part);

// Control change 0 = 81, control change 32 = bank, program change = preset, on
// the part's channel, in that order.
std::array<Bytes, 3> presetMessages(int part, int bank, int preset);

// "A001" .. "D128": how the instrument numbers its presets.
std::string presetLabel(int bank, int preset);

// The 128 names of a bank from the lines of patchlist.txt (bank b is lines
// b * 128 ..). A list too short for the bank gives the numbers of the presets
// it lacks, so every preset can still be chosen.
std::vector<std::string> presetNames(std::span<const std::string> lines, int bank);

// The patchlist.txt Dorvane ships: every preset by its number, one a line,
// for a musician to replace with the names of their instrument's presets.
std::string presetListText();

} // namespace dorvane
