// SPDX-License-Identifier: GPL-3.0-or-later
// Where one parameter lives on the instrument: the four address bytes of its
// Data Set message, for the system, the effects, the part settings, a part's
// common, a tone and a drum note, and the tempo with its two data bytes.
#pragma once

#include "patch/rolandmessage.h"

#include <array>
#include <cstdint>

namespace dorvane {

// Data offsets the window reads by name rather than through a control.
constexpr int ToneSwitchOffset = 0;      // of a tone: the tone sounds or not
constexpr int ControlSource2Offset = 58; // of a part common
constexpr int ControlSource3Offset = 59; // of a part common

// The tempo: always two data bytes, the tempo / 16 and the tempo % 16.
constexpr Address TempoAddress = {0x00, 0x00, 0x00, 0x60};
std::array<std::uint8_t, 2> tempoData(int tempo);

// Roland addresses count 7 bits a byte: an offset of 128 or more (a tone's
// Reverb Send Level) lies at the next values of the third byte. Sent as it
// stands, 0x80 would be a status byte in the middle of the message.
Address parameterAddress(int a1, int a2, int a3, int offset);

Address systemAddress(int offset);
Address effectsAddress(int offset);
// The instrument's settings of a part (0..6, or RhythmPart), outside the image.
Address partSetupAddress(int part, int offset);
Address partCommonAddress(int part, int offset);
// Tone 1..4 of a normal part.
Address toneAddress(int part, int tone, int offset);
// Drum note 0..63 of part R.
Address drumNoteAddress(int note, int offset);

} // namespace dorvane
