// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/midiinputcontext.h"

#include "midi/wakeup.h"

#include <algorithm>
#include <cstring>

namespace dorvane {
namespace {

constexpr std::uint8_t ActiveSensing = 0xFE;
constexpr std::uint8_t TimingClock = 0xF8;
constexpr std::uint8_t SysexStatus = 0xF0;

} // namespace

MidiInputContext::MidiInputContext(std::size_t capacity, std::size_t bufferCount,
                                   std::size_t bufferSize, WakeUp& wake)
    : m_events(capacity), m_freeBuffers(bufferSize ? bufferCount : 0), m_wake(wake)
{
    if (bufferSize == 0)
        bufferCount = 0;
    m_buffers.reserve(bufferCount);
    for (std::size_t i = 0; i < bufferCount; ++i) {
        m_buffers.emplace_back(bufferSize);
        m_freeBuffers.push(std::uint16_t(i));
    }
}

void MidiInputContext::start() noexcept
{
    m_startTime.store(std::chrono::steady_clock::now().time_since_epoch().count(),
                      std::memory_order_relaxed);
    m_started.store(true, std::memory_order_release);
}

std::uint32_t MidiInputContext::timeStamp() const noexcept
{
    using namespace std::chrono;
    const steady_clock::duration since(steady_clock::now().time_since_epoch().count() -
                                       m_startTime.load(std::memory_order_relaxed));
    return std::uint32_t(duration_cast<milliseconds>(since).count());
}

void MidiInputContext::overflow(std::size_t lostBytes) noexcept
{
    // The bytes first: whoever sees the new count sees its bytes.
    m_lostBytes.fetch_add(std::uint32_t(lostBytes), std::memory_order_release);
    m_overflows.fetch_add(1, std::memory_order_release);
    m_wake.post();
}

void MidiInputContext::midiData(ByteView message) noexcept
{
    if (message.empty() || !m_started.load(std::memory_order_acquire))
        return;
    const std::uint8_t status = message[0];
    if (status == ActiveSensing || status == TimingClock)
        return;
    if (m_sysexOnly.load(std::memory_order_acquire))
        return;
    std::uint32_t packed = 0;
    for (std::size_t i = 0; i < message.size() && i < 3; ++i)
        packed |= std::uint32_t(message[i]) << (8 * i);
    if (!m_events.push({timeStamp(), packed, -1})) {
        overflow(std::min<std::size_t>(message.size(), 3));
        return;
    }
    m_wake.post();
}

void MidiInputContext::midiLongData(ByteView bytes) noexcept
{
    if (!m_started.load(std::memory_order_acquire))
        return;
    const std::uint32_t stamp = timeStamp();
    std::size_t offset = 0;
    bool pushed = false;
    do {
        const std::uint16_t* free = m_freeBuffers.peek();
        if (!free) {
            overflow(bytes.size() - offset);
            break;
        }
        TMyMidiHdr& buffer = m_buffers[*free];
        const std::size_t count = std::min(bytes.size() - offset, buffer.BufferLength());
        if (count)
            std::memcpy(buffer.DataBlock(), bytes.data() + offset, count);
        buffer.SetBytesRecorded(count);
        if (!m_events.push({stamp, 0, std::int32_t(*free)})) {
            // The buffer was not taken from the free ring: it stays free.
            overflow(bytes.size() - offset);
            break;
        }
        m_freeBuffers.drop();
        pushed = true;
        offset += count;
    } while (offset < bytes.size());
    if (pushed)
        m_wake.post();
}

std::optional<TMyMidiEvent> MidiInputContext::take()
{
    const Entry* entry = m_events.peek();
    if (!entry)
        return std::nullopt;
    TMyMidiEvent event;
    event.TimeStamp = entry->timeStamp;
    if (entry->buffer < 0) {
        event.StatusByte = std::uint8_t(entry->packed);
        event.DataByte1 = std::uint8_t(entry->packed >> 8);
        event.DataByte2 = std::uint8_t(entry->packed >> 16);
    } else {
        const TMyMidiHdr& buffer = m_buffers[std::size_t(entry->buffer)];
        event.StatusByte = SysexStatus;
        event.SysexByteCount = std::uint16_t(buffer.BytesRecorded());
        const ByteView recorded = buffer.recorded();
        event.SysexBytes.assign(recorded.begin(), recorded.end());
        m_freeBuffers.push(std::uint16_t(entry->buffer));
    }
    m_events.drop();
    return event;
}

} // namespace dorvane
