// SPDX-License-Identifier: GPL-3.0-or-later
// Where an open input device delivers what arrives. Drivers call it on their
// own thread, one delivery at a time; the implementation must not block,
// allocate or throw.
#pragma once

#include "patch/layout.h"

namespace dorvane {

class MidiInputSink
{
public:
    // One short message (1 to 3 bytes, status first), a real-time byte included.
    virtual void midiData(ByteView message) noexcept = 0;
    // Bytes of a system-exclusive message: a whole message, or the next piece of
    // one when the platform hands long messages over in pieces. May be empty.
    virtual void midiLongData(ByteView bytes) noexcept = 0;

protected:
    ~MidiInputSink() = default;
};

} // namespace dorvane
