// SPDX-License-Identifier: GPL-3.0-or-later
// Scale tune: twelve tune values for the notes of the octave of one part, read
// from a line of scales.txt and sent as twelve Data Set messages.
//
// A line of scales.txt holds twelve two-digit hexadecimal values, each followed
// by one separator character: the value for degree i stands at characters 3i
// and 3i + 1. 64 (40 hex) leaves a degree at equal temperament.
#pragma once

#include "patch/rolandmessage.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

constexpr int ScaleDegrees = 12;
// Twelve values and eleven separators; the last value needs no separator after it.
constexpr std::size_t ScaleLineLength = 3 * ScaleDegrees - 1;
constexpr std::uint8_t ScaleTuneCentre = 0x40;

using ScaleValues = std::array<std::uint8_t, ScaleDegrees>;

// The values of one line, or why there are none.
struct ScaleLine
{
    std::optional<ScaleValues> values;
    std::string problem; // set when values is empty: "is too short (...)", "holds ..."
};

// Parses one line. Values above 7F are refused: a data byte of 0x80 or more
// would end the message on the wire. A line of "??" says its tuning is not known.
ScaleLine parseScaleLine(std::string_view line);

// Line `index` (0-based, in list order) of the whole text of scales.txt,
// parsed; a problem is a whole sentence naming the line as a musician counts
// it (from 1).
ScaleLine scaleLineOf(std::string_view fileText, int index);

// The note of the octave that degree `degree` tunes when the song is in `key`
// (both 0 = C .. 11 = B).
int scaleTuneNote(int key, int degree);

// The twelve messages, degree 0 first: address 00 00 (10 + part) note, one data
// byte. Part R is part number 9, so its third address byte is 19.
std::vector<Bytes> scaleTuneMessages(TSynth synth, int part, int key, const ScaleValues& values);

} // namespace dorvane
