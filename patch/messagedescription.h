// SPDX-License-Identifier: GPL-3.0-or-later
// One MIDI message in words, for the MIDI monitor: a Data Set message by the
// part, tone or drum note and parameter name it addresses and the value it
// carries; a Data Request by what it asks for; notes and controllers by
// channel and number; anything else as hex.
#pragma once

#include "patch/layout.h"

#include <optional>
#include <string>

namespace dorvane {

// How a window names a parameter and shows its value, so the monitor reads as
// the sheets do. Without it, the catalogue's names and raw numbers are used.
class ParameterWords
{
public:
    enum class Area
    {
        Tone,        // offset within a tone
        PartCommon,  // offset within a part's common block
        RhythmNote,  // offset within a drum note of part R
        Effects,     // the instrument's effects area
        PartSetting, // the instrument's settings of one part
        System,      // instrument-wide settings, the tempo among them
    };
    struct Words
    {
        std::string name;
        std::string value; // as a control shows it
    };

    virtual ~ParameterWords() = default;
    // Nothing for a parameter the window has no control for.
    virtual std::optional<Words> describe(Area area, int offset, int value) const = 0;
    // The wave list's name of a wave index; nothing for a window without one.
    virtual std::optional<std::string> waveName(int /*wave*/) const { return std::nullopt; }
};

std::string describeMidiMessage(ByteView message, const ParameterWords* words = nullptr);

} // namespace dorvane
