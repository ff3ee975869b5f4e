// SPDX-License-Identifier: GPL-3.0-or-later
// One MIDI event as the input port hands it out (or as SendEvent takes it): a
// short message in the status and data bytes, or a copy of the bytes of one
// filled sysex buffer with StatusByte F0. The taker owns it.
#pragma once

#include "patch/layout.h"

#include <cstdint>

namespace dorvane {

struct TMyMidiEvent
{
    std::uint8_t StatusByte = 0;
    std::uint8_t DataByte1 = 0;
    std::uint8_t DataByte2 = 0;
    // Milliseconds since the input was started.
    std::uint32_t TimeStamp = 0;
    std::uint16_t SysexByteCount = 0;
    Bytes SysexBytes;
};

} // namespace dorvane
