// SPDX-License-Identifier: GPL-3.0-or-later
// The MIDI commands of dorvane-cli: list the devices, send a file, get a dump.
// They run on the program's devices (the system's MIDI and the built-in
// instrument, numbered as the window numbers them) with the ports, sender and
// dump receiver the window uses, turning an event loop until they are done.
// Each returns the process exit status (0 done, 1 with one line on err).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace dorvane::cli {

int ports(std::ostream& out, std::ostream& err);
// pauseMs after each sysex message; 0 for none.
int send(const std::string& file, const std::string& outPort, int pauseMs, std::ostream& out,
         std::ostream& err);
// part: 0..6 or 9 for one part, nothing for the whole area.
int get(std::optional<int> part, const std::string& outPort, const std::string& inPort,
        const std::string& file, double timeoutSeconds, std::ostream& out, std::ostream& err);

} // namespace dorvane::cli
