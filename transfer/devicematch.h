// SPDX-License-Identifier: GPL-3.0-or-later
// Finding a MIDI device the way a script names it: by its number in the list
// the window shows, or by a part of its name in any case. A name that fits
// several devices is refused rather than guessed, unless one fits exactly.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dorvane {

struct DeviceMatch
{
    std::optional<int> id;
    std::string problem; // when there is no id: why, for the user
};

// `kind` names the list in the texts ("output", "input").
DeviceMatch matchDevice(const std::vector<std::string>& names, const std::string& wanted,
                        const std::string& kind);

} // namespace dorvane
