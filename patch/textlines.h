// SPDX-License-Identifier: GPL-3.0-or-later
// The plain text lists kept beside the program (word, preset and scale lists)
// are edited by musicians on any system, so a line may end in LF or CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

// The lines of a text, without their line ends. A last line without a line end
// counts; the empty piece after a final line end does not.
std::vector<std::string> textLines(std::string_view text);

} // namespace dorvane
