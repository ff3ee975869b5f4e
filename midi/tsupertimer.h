// SPDX-License-Identifier: GPL-3.0-or-later
// A timer whose ticks are timed by a thread of its own (TTimerThread) and
// delivered on the main thread, one at a time, about Interval ms apart. It
// also keeps an elapsed-time count that runs up, or down with CountDown; a
// count-down stops the timer (OnStop) once it reaches zero.
#pragma once

#include <QObject>

#include <chrono>
#include <cstdint>
#include <memory>

namespace dorvane {

class TTimerThread;
class WakeUp;

enum TThreadPriority : int
{
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

class TSuperTimer : public QObject
{
    Q_OBJECT

public:
    explicit TSuperTimer(QObject* parent = nullptr);
    ~TSuperTimer() override;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool on);
    // Milliseconds; 0 disables the timer.
    std::uint16_t Interval() const { return m_interval; }
    void SetInterval(std::uint16_t ms);
    TThreadPriority ThreadPriority() const { return m_priority; }
    void SetThreadPriority(TThreadPriority priority);
    bool CountDown() const { return m_countDown; }
    void SetCountDown(bool on);

    // Milliseconds counted so far, as of the last tick.
    std::int32_t Elapsed() const { return m_elapsed; }
    // Elapsed div Interval (0 while Interval is 0).
    std::int32_t Ticks() const;

signals:
    void OnTimer(dorvane::TSuperTimer* sender);
    void OnStop(dorvane::TSuperTimer* sender);

private:
    using Clock = std::chrono::steady_clock;

    void tickStep(Clock::time_point tickAt);
    void onWoken();
    void restartCount(Clock::time_point now);

    bool m_enabled = false;
    std::uint16_t m_interval = 1000;
    TThreadPriority m_priority = tpHigher;
    bool m_countDown = false;
    std::int32_t m_elapsed = 0;
    // No limit is ever set from outside: a count up runs until disabled.
    std::int32_t m_tickLimit = -1;
    std::int32_t m_base = 0;
    Clock::time_point m_start;
    Clock::time_point m_lastTick;
    std::unique_ptr<WakeUp> m_wake; // outlives the thread that posts it
    std::unique_ptr<TTimerThread> m_thread;
};

} // namespace dorvane
