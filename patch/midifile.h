// SPDX-License-Identifier: GPL-3.0-or-later
// Standard MIDI File export: a format-0 file of one track that carries each
// Data Set message of the given bytes as a system-exclusive event at time 0.
#pragma once

#include "patch/layout.h"

#include <string>

namespace dorvane {

// The bytes must be complete sysex messages, F0, 7-bit data, F7, one after
// another and nothing else: a sequencer plays every event back as it stands,
// so a cut-short message or a stray status byte would reach the instrument.
// Anything else throws std::invalid_argument naming the first bad byte.
Bytes midiFileBytes(ByteView messages);

// The variable-length quantity of the MIDI file format.
void appendVariableLength(Bytes& out, std::uint32_t value);

} // namespace dorvane
