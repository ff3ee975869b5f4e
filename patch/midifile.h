// SPDX-License-Identifier: GPL-3.0-or-later
// Standard MIDI File export: a format-0 file of one track that carries each
// Data Set message of the given bytes as a system-exclusive event at time 0.
#pragma once

#include "patch/layout.h"

#include <string>

namespace dorvane {

Bytes midiFileBytes(ByteView messages);

// The variable-length quantity of the MIDI file format.
void appendVariableLength(Bytes& out, std::uint32_t value);

} // namespace dorvane
