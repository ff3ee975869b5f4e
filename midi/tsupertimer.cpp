// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/tsupertimer.h"

#include "midi/ttimerthread.h"
#include "midi/wakeup.h"

#include <QPointer>

namespace dorvane {

TSuperTimer::TSuperTimer(QObject* parent)
    : QObject(parent), m_start(Clock::now()), m_lastTick(m_start),
      m_wake(std::make_unique<WakeUp>()),
      m_thread(std::make_unique<TTimerThread>(*m_wake, m_priority))
{
    connect(m_wake.get(), &WakeUp::woken, this, &TSuperTimer::onWoken);
}

TSuperTimer::~TSuperTimer()
{
    m_enabled = false;
    m_thread.reset();
}

void TSuperTimer::restartCount(Clock::time_point now)
{
    m_base = m_elapsed;
    m_start = now;
}

void TSuperTimer::SetEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    const Clock::time_point now = Clock::now();
    if (on) {
        restartCount(now);
        m_lastTick = now;
    }
    m_thread->schedule(on, m_interval, now);
}

void TSuperTimer::SetInterval(std::uint16_t ms)
{
    if (ms == m_interval)
        return;
    if (ms == 0)
        SetEnabled(false);
    m_interval = ms;
    // A new interval counts from the last tick, so shortening a long interval
    // takes effect at once rather than after the old one has run out.
    if (m_enabled)
        m_thread->schedule(true, m_interval, m_lastTick);
}

void TSuperTimer::SetThreadPriority(TThreadPriority priority)
{
    if (priority == m_priority)
        return;
    m_priority = priority;
    m_thread->setPriority(priority);
}

void TSuperTimer::SetCountDown(bool on)
{
    if (on == m_countDown)
        return;
    m_countDown = on;
    // The count goes on from where it stands, in the new direction.
    if (m_enabled)
        restartCount(Clock::now());
}

std::int32_t TSuperTimer::Ticks() const
{
    return m_interval ? m_elapsed / std::int32_t(m_interval) : 0;
}

void TSuperTimer::onWoken()
{
    if (const auto tickAt = m_thread->takeTick())
        tickStep(*tickAt);
}

void TSuperTimer::tickStep(Clock::time_point tickAt)
{
    QPointer<TSuperTimer> self(this);
    if (m_enabled) {
        m_lastTick = tickAt;
        const auto run =
            std::chrono::duration_cast<std::chrono::milliseconds>(tickAt - m_start).count();
        m_elapsed = m_countDown ? std::int32_t(m_base - run) : std::int32_t(m_base + run);

        emit OnTimer(this);
        if (!self)
            return;

        const std::int32_t ticks = Ticks();
        const bool goesOn = m_countDown ? ticks > m_tickLimit && m_elapsed > 0
                                        : ticks < m_tickLimit || m_tickLimit <= 0;
        if (!goesOn && m_enabled) {
            SetEnabled(false);
            emit OnStop(this);
            if (!self)
                return;
        }
    }
    m_thread->tickDone();
}

} // namespace dorvane
