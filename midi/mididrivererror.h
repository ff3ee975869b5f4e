// SPDX-License-Identifier: GPL-3.0-or-later
// A failure of a MIDI driver: a result code for the ports' LastError/Error and
// the driver's own text, which the ports pass on in their exceptions.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace dorvane {

// Result codes kept by the ports; 0 is success. The values follow the
// platform codes musicians may know from other MIDI programs.
enum class MidiResult : std::uint16_t
{
    Ok = 0,
    Failed = 1,      // unspecified driver failure
    BadDeviceId = 2, // no such device
    Allocated = 4,   // the device is in use or cannot be opened
    InvalidHandle = 5,
    NoMemory = 7,
    InvalidParameter = 11,
};

class MidiDriverError : public std::runtime_error
{
public:
    MidiDriverError(MidiResult code, const std::string& text)
        : std::runtime_error(text), m_code(code)
    {
    }

    MidiResult code() const noexcept { return m_code; }

private:
    MidiResult m_code;
};

} // namespace dorvane
