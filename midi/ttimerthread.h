// SPDX-License-Identifier: GPL-3.0-or-later
// The thread behind TSuperTimer: it waits for each tick's moment, hands the
// tick to the main thread and waits until the main thread has run it, so ticks
// never queue up or overlap. The next tick is due one interval after the
// moment the previous one was handed over. The timer's settings reach the
// thread through schedule(), the tick goes back through takeTick() after a
// wake-up; nothing else is shared, and every hand-over is a lock or a
// descriptor that a race checker can follow.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

namespace dorvane {

class WakeUp;
enum TThreadPriority : int;

class TTimerThread
{
public:
    using Clock = std::chrono::steady_clock;

    // Starts the thread; each due tick posts `wake` (the main thread's).
    TTimerThread(WakeUp& wake, TThreadPriority priority);
    ~TTimerThread(); // ends the thread; a tick on its way is dropped
    TTimerThread(const TTimerThread&) = delete;
    TTimerThread& operator=(const TTimerThread&) = delete;

    // Main thread. Enabled: the first tick is due `interval` ms after `from`.
    // Not enabled (or interval 0): no ticks until the next call.
    void schedule(bool enabled, std::uint16_t interval, Clock::time_point from);
    void setPriority(TThreadPriority priority);

    // Main thread, after a wake-up: the moment of the tick handed over, once.
    std::optional<Clock::time_point> takeTick();
    // Main thread: the tick step has run.
    void tickDone();

private:
    void run();

    WakeUp& m_wake;
    std::mutex m_mutex; // guards the fields below; never held across a tick
    std::condition_variable m_changed;
    bool m_enabled = false;
    bool m_stop = false;
    bool m_tickRunning = false;
    std::optional<Clock::time_point> m_handedOver;
    std::uint16_t m_interval = 0;
    std::uint64_t m_generation = 0; // changes with every schedule()
    Clock::time_point m_nextTick;
    std::thread m_thread; // last: starts once everything above is in place
};

} // namespace dorvane
