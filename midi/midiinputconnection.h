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
};

} // namespace dorvane
