// SPDX-License-Identifier: GPL-3.0-or-later
// One long-message buffer of a fixed size (1 to 65,535 bytes, the 16-bit count
// of the platform's MIDI header), allocated once and never moved while it
// lives, because a driver thread fills or reads it after the call that handed
// it over has returned. A size of 0 allocates nothing.
#pragma once

#include "patch/layout.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace dorvane {

constexpr std::size_t MaxLongMessageSize = 65535;

class TMyMidiHdr
{
public:
    // Throws std::length_error above MaxLongMessageSize.
    explicit TMyMidiHdr(std::size_t size);

    TMyMidiHdr(TMyMidiHdr&&) noexcept = default;
    TMyMidiHdr& operator=(TMyMidiHdr&&) noexcept = default;

    std::size_t BufferLength() const noexcept { return m_size; }
    std::uint8_t* DataBlock() noexcept { return m_data.get(); }
    const std::uint8_t* DataBlock() const noexcept { return m_data.get(); }

    // How many bytes of the buffer hold data (the driver's "bytes recorded").
    std::size_t BytesRecorded() const noexcept { return m_recorded; }
    void SetBytesRecorded(std::size_t count) noexcept
    {
        m_recorded = count < m_size ? count : m_size;
    }

    ByteView recorded() const noexcept { return {m_data.get(), m_recorded}; }

private:
    std::size_t m_size = 0;
    std::size_t m_recorded = 0;
    std::unique_ptr<std::uint8_t[]> m_data;
};

} // namespace dorvane
