// SPDX-License-Identifier: GPL-3.0-or-later
// The sending side of an open output device, standing where the platform's
// driver queue stands: the port hands messages over on the main thread and
// returns at once; a thread of the queue's own passes them to the device in
// order, each long message one sysex message at a time, no faster than the
// device takes them, and counts each one finished. The finished count and a
// wake-up tell the main thread which messages it can let go. The hand-over is
// a single-producer/single-consumer ring of pointers: no lock on either side.
//
// A short message offered to an idle queue (nothing waiting, the thread not
// sending, the pace allowing it now) is passed to the device on the offering
// thread instead: waking a sleeping thread costs more than the message, and
// an edit's message should not wait for the scheduler. Every device's
// transmit only queues the bytes, so this never blocks the main thread; a
// message that would have to wait for the pace still goes to the thread.
#pragma once

#include "midi/spscring.h"
#include "midi/tmymidihdr.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace dorvane {

class MidiOutputConnection;
class WakeUp;

// One message on its way out. The port owns it until the queue has counted it
// finished; the sending thread writes only `failed` and `error`, before that.
struct MidiOutgoing
{
    explicit MidiOutgoing(std::size_t size) : bytes(size) {}

    TMyMidiHdr bytes;
    bool isLong = false;
    bool failed = false;
    std::array<char, 256> error{};
};

class MidiOutputQueue
{
public:
    static constexpr std::size_t Slots = 1024;

    // Starts the sending thread. `connection` and `wake` outlive the queue.
    MidiOutputQueue(MidiOutputConnection& connection, WakeUp& wake);
    // Stops the thread; what it had not begun to send is not sent.
    ~MidiOutputQueue();

    MidiOutputQueue(const MidiOutputQueue&) = delete;
    MidiOutputQueue& operator=(const MidiOutputQueue&) = delete;

    // Main thread. False when the ring is full: keep the message and offer it
    // again after the next wake-up. The message may be finished (and the
    // wake-up posted) before this returns.
    bool post(MidiOutgoing* message) noexcept;

    // How many posted messages are finished (sent or failed), in posting order.
    std::uint64_t finished() const noexcept { return m_finished.load(std::memory_order_acquire); }

private:
    void run();
    bool sendNow(MidiOutgoing& message) noexcept;
    void send(MidiOutgoing& message);
    void transmit(MidiOutgoing& message, ByteView bytes);
    void refillCredit();
    void pace(std::size_t bytes);
    void sleepFor(std::chrono::steady_clock::duration duration);

    MidiOutputConnection& m_connection;
    WakeUp& m_wake;
    const std::size_t m_bytesPerSecond;
    SpscRing<MidiOutgoing*> m_ring{Slots};
    std::atomic<std::uint32_t> m_signal{0};
    std::atomic<bool> m_stop{false};
    std::atomic<std::uint64_t> m_finished{0};

    // Pacing, by whichever thread may send (see sendNow): bytes that may go
    // out at once.
    double m_credit = 0;
    std::chrono::steady_clock::time_point m_creditTime;

    std::thread m_thread;
};

} // namespace dorvane
