// SPDX-License-Identifier: GPL-3.0-or-later
// The MIDI ports' own messages, each written once here.
#pragma once

#include <cstdint>
#include <string>

namespace dorvane::miditexts {

inline constexpr char ChangeDeviceId[] = "Change to DeviceID while device was open";
inline constexpr char ChangeProductName[] = "Change to ProductName while device was open";
inline constexpr char ChangeSysexBufferSize[] = "Change to SysexBufferSize while device was open";
inline constexpr char ChangeSysexBufferCount[] = "Change to SysexBuffercount while device was open";
inline constexpr char InvalidDeviceId[] = "Invalid device ID";
inline constexpr char OutputNotOpen[] = "MIDI Output device not open";
inline constexpr char NoErrorText[] = "Specified error number is out of range";

inline std::string outputNotInstalled(const std::string& name)
{
    return "MIDI output Device " + name + " not installed";
}

inline std::string outputGone(const std::string& name)
{
    return "The MIDI output " + name + " is gone";
}

inline std::string inputGone(const std::string& name)
{
    return "The MIDI input " + name + " is gone";
}

// The trailing blank belongs to the message as it has always been shown.
inline std::string inputNotInstalled(const std::string& name)
{
    return "MIDI Input Device " + name + " not installed ";
}

// What the monitor, the status line and a failed Get say of dropped input.
inline std::string inputOverflow(std::uint32_t deliveries, std::uint32_t bytes)
{
    return "MIDI input overflowed: " + std::to_string(deliveries) +
           (deliveries == 1 ? " message (" : " messages (") + std::to_string(bytes) +
           " bytes) dropped";
}

} // namespace dorvane::miditexts
