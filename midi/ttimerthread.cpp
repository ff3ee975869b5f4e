// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/ttimerthread.h"

#include "midi/tsupertimer.h"

#include <QMetaObject>

namespace dorvane {

TTimerThread::TTimerThread(TSuperTimer& timer) : m_timer(timer) {}

TTimerThread::~TTimerThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    wait();
}

void TTimerThread::schedule(bool enabled, std::uint16_t interval, Clock::time_point from)
{
    {
        std::lock_guard lock(m_mutex);
        m_enabled = enabled && interval > 0;
        m_interval = interval;
        m_nextTick = from + std::chrono::milliseconds(interval);
        ++m_generation;
    }
    m_changed.notify_all();
}

void TTimerThread::tickDone()
{
    {
        std::lock_guard lock(m_mutex);
        m_tickRunning = false;
    }
    m_changed.notify_all();
}

void TTimerThread::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || m_enabled; });
        if (m_stop)
            return;
        const std::uint64_t generation = m_generation;
        const bool changed = m_changed.wait_until(
            lock, m_nextTick, [&] { return m_stop || m_generation != generation; });
        if (changed)
            continue; // stopped, disabled or rescheduled while waiting

        const Clock::time_point tickAt = Clock::now();
        m_nextTick = tickAt + std::chrono::milliseconds(m_interval);
        m_tickRunning = true;
        lock.unlock();
        // Queued to the timer object: if the timer is destroyed first, the
        // call is dropped with it.
        QMetaObject::invokeMethod(
            &m_timer, [timer = &m_timer, tickAt] { timer->tickStep(tickAt); },
            Qt::QueuedConnection);
        lock.lock();
        m_changed.wait(lock, [this] { return m_stop || !m_tickRunning; });
        if (m_stop)
            return;
    }
}

} // namespace dorvane
