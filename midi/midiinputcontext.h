// SPDX-License-Identifier: GPL-3.0-or-later
// What an open input port shares with the driver's thread: the event ring, the
// sysex buffers and the flags the callback reads. Everything is allocated when
// the port opens; the callback side (midiData, midiLongData) only filters,
// fills a free buffer, pushes into the ring and wakes the main thread. It takes
// no lock and allocates nothing.
//
// Sysex buffers go round: a free-buffer ring hands them to the callback, the
// event ring carries them to the main thread, take() copies the bytes out and
// gives the buffer back. A message longer than one buffer fills as many as it
// needs, one event each, in order. With no free buffer, or the ring full, the
// rest of the delivery is dropped, counted (the delivery and the bytes it
// lost) and the main thread woken; a buffer whose event did not fit stays free.
#pragma once

#include "midi/midiinputsink.h"
#include "midi/spscring.h"
#include "midi/tmymidievent.h"
#include "midi/tmymidihdr.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace dorvane {

class WakeUp;

class MidiInputContext final : public MidiInputSink
{
public:
    MidiInputContext(std::size_t capacity, std::size_t bufferCount, std::size_t bufferSize,
                     WakeUp& wake);

    // Any thread; the next delivery sees it.
    void setSysexOnly(bool on) noexcept { m_sysexOnly.store(on, std::memory_order_release); }

    // Main thread. Deliveries count only between start and stop; time stamps
    // are milliseconds since the last start.
    void start() noexcept;
    void stop() noexcept { m_started.store(false, std::memory_order_release); }

    // Driver thread.
    void midiData(ByteView message) noexcept override;
    void midiLongData(ByteView bytes) noexcept override;

    // Main thread.
    std::size_t pending() const noexcept { return m_events.size(); }
    std::optional<TMyMidiEvent> take();

    // Any thread: deliveries refused in whole or in part since the port
    // opened, and the bytes they lost. They only grow (and wrap past 2^32).
    std::uint32_t overflowCount() const noexcept
    {
        return m_overflows.load(std::memory_order_acquire);
    }
    std::uint32_t lostByteCount() const noexcept
    {
        return m_lostBytes.load(std::memory_order_acquire);
    }

private:
    struct Entry
    {
        std::uint32_t timeStamp;
        std::uint32_t packed; // short message, status in the low byte
        std::int32_t buffer;  // sysex buffer index, -1 for a short message
    };

    std::uint32_t timeStamp() const noexcept;
    void overflow(std::size_t lostBytes) noexcept;

    SpscRing<Entry> m_events;
    SpscRing<std::uint16_t> m_freeBuffers; // main thread gives, callback takes
    std::vector<TMyMidiHdr> m_buffers;
    WakeUp& m_wake;
    std::atomic<bool> m_sysexOnly{false};
    std::atomic<bool> m_started{false};
    // Counters, not a flag: a flag taken once per wake-up said that something
    // was lost but not how much, and runs that met in one wake-up read as one.
    std::atomic<std::uint32_t> m_overflows{0};
    std::atomic<std::uint32_t> m_lostBytes{0};
    static_assert(std::atomic<std::uint32_t>::is_always_lock_free,
                  "the driver's thread may not take a lock");
    std::atomic<std::chrono::steady_clock::rep> m_startTime{0};
};

} // namespace dorvane
