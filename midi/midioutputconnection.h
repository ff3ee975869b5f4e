// SPDX-License-Identifier: GPL-3.0-or-later
// An open output device as a driver hands it out; closing is destroying it.
// The output port calls transmit() one call at a time, from its sending thread
// or, for a short message when nothing is on its way, from the main thread:
// transmit() hands the bytes on without waiting for the device. It is never
// called after the port has begun destroying the connection.
#pragma once

#include "patch/layout.h"

#include <cstddef>

namespace dorvane {

class MidiOutputConnection
{
public:
    virtual ~MidiOutputConnection() = default;

    // Hands one complete message to the device: a short message, or one sysex
    // message. Throws MidiDriverError when the device refuses it.
    virtual void transmit(ByteView message) = 0;

    // The longest single message the device takes without losing it.
    virtual std::size_t maxMessageSize() const = 0;

    // Bytes per second the device takes without loss when fed back to back;
    // 0 when the device paces the sender itself.
    virtual std::size_t bytesPerSecond() const = 0;

    // Said before the connection is destroyed when its device went away: the
    // device may then be let go of a moment later, once the system's MIDI has
    // settled.
    virtual void deviceGone() {}
};

} // namespace dorvane
