// SPDX-License-Identifier: GPL-3.0-or-later
// Sees every message a port sends, and every event it hands out, on the main
// thread, for the MIDI monitor. A tap must be quick: it runs on the edit path.
#pragma once

#include "patch/layout.h"

#include <cstdint>

namespace dorvane {

class MidiTap
{
public:
    virtual ~MidiTap() = default;
    virtual void sent(ByteView message) = 0;
    virtual void received(ByteView message) = 0;
    // The input port dropped this many deliveries, with these bytes, since it
    // last said so.
    virtual void overflowed(std::uint32_t deliveries, std::uint32_t bytes) = 0;
};

} // namespace dorvane
