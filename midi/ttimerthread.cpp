// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/ttimerthread.h"

#include "midi/tsupertimer.h"
#include "midi/wakeup.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#include <sched.h>
#endif

namespace dorvane {
namespace {

// Best effort, as the platforms allow an ordinary user: a refusal leaves the
// thread at the priority it has.
void applyPriority(std::thread& thread, TThreadPriority priority)
{
#if defined(_WIN32)
    static constexpr int levels[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                                     THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                                     THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                                     THREAD_PRIORITY_TIME_CRITICAL};
    SetThreadPriority(HANDLE(thread.native_handle()), levels[priority]);
#else
    int policy = SCHED_OTHER;
#if defined(SCHED_IDLE)
    if (priority == tpIdle)
        policy = SCHED_IDLE;
#endif
    const int low = sched_get_priority_min(policy);
    const int high = sched_get_priority_max(policy);
    sched_param param{};
    param.sched_priority = low + (high - low) * int(priority) / int(tpTimeCritical);
    pthread_setschedparam(thread.native_handle(), policy, &param);
#endif
}

} // namespace

TTimerThread::TTimerThread(WakeUp& wake, TThreadPriority priority)
    : m_wake(wake), m_thread([this] { run(); })
{
    applyPriority(m_thread, priority);
}

TTimerThread::~TTimerThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
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

void TTimerThread::setPriority(TThreadPriority priority)
{
    applyPriority(m_thread, priority);
}

std::optional<TTimerThread::Clock::time_point> TTimerThread::takeTick()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_handedOver, std::nullopt);
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
        m_handedOver = tickAt;
        lock.unlock();
        m_wake.post();
        lock.lock();
        m_changed.wait(lock, [this] { return m_stop || !m_tickRunning; });
        if (m_stop)
            return;
    }
}

} // namespace dorvane
