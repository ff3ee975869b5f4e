// SPDX-License-Identifier: GPL-3.0-or-later
// One MIDI message in words, for the MIDI monitor: a Data Set message by the
// part, tone or drum note and parameter name it addresses and the value it
// carries; a Data Request by what it asks for; notes and controllers by
// channel and number; anything else as hex.
#pragma once

#include "patch/layout.h"

#include <string>

namespace dorvane {

std::string describeMidiMessage(ByteView message);

} // namespace dorvane
