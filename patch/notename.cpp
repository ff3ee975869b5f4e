// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/notename.h"

namespace dorvane {

std::string noteName(int note)
{
    const int pitch = ((note % 12) + 12) % 12;
    const int octave = (note - pitch) / 12 - 1;
    return std::string(PitchNames[std::size_t(pitch)]) + std::to_string(octave) + " ";
}

} // namespace dorvane
