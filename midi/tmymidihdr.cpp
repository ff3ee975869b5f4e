// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/tmymidihdr.h"

#include <stdexcept>

namespace dorvane {

TMyMidiHdr::TMyMidiHdr(std::size_t size) : m_size(size)
{
    if (size > MaxLongMessageSize)
        throw std::length_error("a MIDI buffer holds at most 65535 bytes");
    if (size)
        m_data = std::make_unique_for_overwrite<std::uint8_t[]>(size);
}

} // namespace dorvane
