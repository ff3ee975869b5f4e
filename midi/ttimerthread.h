// SPDX-License-Identifier: GPL-3.0-or-later
// The thread behind TSuperTimer: it waits for each tick's moment, hands the
// tick to the main thread and waits until the main thread has run it, so ticks
// never queue up or overlap. The next tick is due one interval after the
// moment the previous one was handed over. The timer's settings reach the
// thread through schedule(); nothing else is shared.
#pragma once

#include <QThread>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace dorvane {

class TSuperTimer;

class TTimerThread : public QThread
{
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;

    explicit TTimerThread(TSuperTimer& timer);
    ~TTimerThread() override; // ends the thread; a tick on its way is dropped

    // Main thread. Enabled: the first tick is due `interval` ms after `from`.
    // Not enabled (or interval 0): no ticks until the next call.
    void schedule(bool enabled, std::uint16_t interval, Clock::time_point from);

    // Main thread: the tick step has run.
    void tickDone();

protected:
    void run() override;

private:
    TSuperTimer& m_timer;
    std::mutex m_mutex; // guards the fields below; never held across a tick
    std::condition_variable m_changed;
    bool m_enabled = false;
    bool m_stop = false;
    bool m_tickRunning = false;
    std::uint16_t m_interval = 0;
    std::uint64_t m_generation = 0; // changes with every schedule()
    Clock::time_point m_nextTick;
};

} // namespace dorvane
