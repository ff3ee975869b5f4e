// SPDX-License-Identifier: GPL-3.0-or-later
// An open input device as a driver hands it out. From creation until its
// destructor returns, the driver may call the sink it was opened with; after
// that, never again. Closing the device is destroying the connection.
#pragma once

namespace dorvane {

class MidiInputConnection
{
public:
    virtual ~MidiInputConnection() = default;

    // Said before the connection is destroyed when its device went away: the
    // device may then be let go of a moment later, once the system's MIDI has
    // settled (the sink is still never called after the destructor).
    virtual void deviceGone() {}
};

} // namespace dorvane
