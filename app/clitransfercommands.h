// SPDX-License-Identifier: GPL-3.0-or-later
// The MIDI commands of dorvane-cli: list the devices, send a file, get a dump,
// find the instrument.
// They run on the program's devices (the system's MIDI and the built-in
// instrument, numbered as the window numbers them) with the ports, sender and
// dump receiver the window uses, turning an event loop until they are done.
// Each returns the process exit status (0 done, 1 with one line on err; a
// verify that found differences, VerifyDiffers).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace dorvane::cli {

int ports(std::ostream& out, std::ostream& err);
// What send --verify needs beyond the send: where the instrument answers,
// and how long its answer may take once asked.
struct VerifyOptions
{
    std::string inPort;
    double timeoutSeconds = 10;
};
// The exit status of a verify that read back something else: the differences
// are on out, one line on err.
constexpr int VerifyDiffers = 2;

// pauseMs after each sysex message; 0 for none. deviceId: the instrument's
// device ID every MC-505 message leaves with. With `verify`, the area the
// file writes (the whole image, a part, part R) is then asked back and
// compared with the file.
int send(const std::string& file, const std::string& outPort, int pauseMs, std::uint8_t deviceId,
         std::ostream& out, std::ostream& err,
         const std::optional<VerifyOptions>& verify = std::nullopt);
// part: 0..6 or 9 for one part, nothing for the whole area.
int get(std::optional<int> part, const std::string& outPort, const std::string& inPort,
        const std::string& file, double timeoutSeconds, std::uint8_t deviceId, std::ostream& out,
        std::ostream& err);
// Tries every output with every input and says which pair is the instrument;
// 1 when none is.
int find(std::ostream& out, std::ostream& err);
// "10", "0x11", "7f": a device ID in hex, 00..7F.
std::optional<std::uint8_t> parseDeviceId(const std::string& text);

} // namespace dorvane::cli
