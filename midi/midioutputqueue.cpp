// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/midioutputqueue.h"

#include "midi/longmessage.h"
#include "midi/mididrivererror.h"
#include "midi/midioutputconnection.h"
#include "midi/wakeup.h"

#include <algorithm>
#include <cstring>

namespace dorvane {
namespace {

// What may go out at once before pacing sets in. Small, so that the stream
// stays even: a JACK cycle hands everything it carries to the receiver in one
// go, and a receiver with a few dozen sysex buffers (Dorvane's own input, say)
// must not find a cycle's worth of bursts in them.
constexpr double BurstBytes = 512;

} // namespace

MidiOutputQueue::MidiOutputQueue(MidiOutputConnection& connection, WakeUp& wake)
    : m_connection(connection), m_wake(wake), m_bytesPerSecond(connection.bytesPerSecond()),
      m_credit(BurstBytes), m_creditTime(std::chrono::steady_clock::now())
{
    m_thread = std::thread([this] { run(); });
}

MidiOutputQueue::~MidiOutputQueue()
{
    m_stop.store(true, std::memory_order_release);
    m_signal.fetch_add(1, std::memory_order_release);
    m_signal.notify_one();
    m_thread.join();
}

bool MidiOutputQueue::post(MidiOutgoing* message) noexcept
{
    if (sendNow(*message))
        return true;
    if (!m_ring.push(message))
        return false;
    m_signal.fetch_add(1, std::memory_order_release);
    m_signal.notify_one();
    return true;
}

bool MidiOutputQueue::sendNow(MidiOutgoing& message) noexcept
{
    const std::size_t bytes = message.bytes.BytesRecorded();
    // The thread drops a message from the ring only once it has sent it, and
    // touches neither the device nor the pace again before the next push: an
    // empty ring, seen here, leaves both to this thread, and the ring's own
    // release and acquire order every write on either side.
    if (bytes > BurstBytes || m_ring.size() != 0)
        return false;
    if (m_bytesPerSecond != 0) {
        refillCredit();
        if (m_credit < double(bytes))
            return false;
    }
    send(message);
    m_finished.fetch_add(1, std::memory_order_release);
    m_wake.post();
    return true;
}

void MidiOutputQueue::run()
{
    for (;;) {
        const std::uint32_t signal = m_signal.load(std::memory_order_acquire);
        if (m_stop.load(std::memory_order_acquire))
            return;
        MidiOutgoing* const* next = m_ring.peek();
        if (!next) {
            m_signal.wait(signal, std::memory_order_acquire);
            continue;
        }
        MidiOutgoing* message = *next;
        send(*message);
        if (m_stop.load(std::memory_order_acquire))
            return;
        m_ring.drop();
        m_finished.fetch_add(1, std::memory_order_release);
        m_wake.post();
    }
}

void MidiOutputQueue::send(MidiOutgoing& message)
{
    const ByteView bytes = message.bytes.recorded();
    if (!message.isLong) {
        transmit(message, bytes);
        return;
    }
    // One sysex message at a time: some platforms fail on one huge event, and
    // the bytes on the wire are the same either way.
    forEachMessage(bytes, [&](ByteView piece) {
        if (message.failed || m_stop.load(std::memory_order_acquire))
            return;
        transmit(message, piece);
    });
}

void MidiOutputQueue::transmit(MidiOutgoing& message, ByteView bytes)
{
    pace(bytes.size());
    if (m_stop.load(std::memory_order_acquire))
        return;
    try {
        m_connection.transmit(bytes);
    } catch (const std::exception& e) {
        message.failed = true;
        const std::size_t length = std::min(std::strlen(e.what()), message.error.size() - 1);
        std::memcpy(message.error.data(), e.what(), length);
        message.error[length] = '\0';
    }
}

void MidiOutputQueue::refillCredit()
{
    using namespace std::chrono;
    const auto now = steady_clock::now();
    m_credit = std::min(BurstBytes, m_credit + duration<double>(now - m_creditTime).count() *
                                                   double(m_bytesPerSecond));
    m_creditTime = now;
}

void MidiOutputQueue::pace(std::size_t bytes)
{
    if (m_bytesPerSecond == 0)
        return;
    using namespace std::chrono;
    const double rate = double(m_bytesPerSecond);
    const double needed = std::min(double(bytes), BurstBytes);
    refillCredit();
    while (m_credit < needed && !m_stop.load(std::memory_order_acquire)) {
        sleepFor(
            duration_cast<steady_clock::duration>(duration<double>((needed - m_credit) / rate)));
        refillCredit();
    }
    // A message longer than the burst leaves the credit negative, so the next
    // one waits for the time it took on the wire.
    m_credit -= double(bytes);
}

void MidiOutputQueue::sleepFor(std::chrono::steady_clock::duration duration)
{
    // In short steps, so that closing the port never waits long for this thread.
    constexpr auto step = std::chrono::milliseconds(5);
    const auto until = std::chrono::steady_clock::now() + duration;
    while (!m_stop.load(std::memory_order_acquire)) {
        const auto left = until - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, step));
    }
}

} // namespace dorvane
