// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/tsupertimer.h"

#include "loopbacksetup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <thread>

using namespace dorvane;
using namespace dorvane::test;

TEST(SuperTimer, StartsDisabledWithItsDefaults)
{
    TSuperTimer timer;
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000);
    EXPECT_EQ(timer.ThreadPriority(), tpHigher);
    EXPECT_FALSE(timer.CountDown());
    EXPECT_EQ(timer.Elapsed(), 0);
    EXPECT_EQ(timer.Ticks(), 0);
}

TEST(SuperTimer, TicksOnTheMainThreadOneAtATimeAboutAnIntervalApart)
{
    TSuperTimer timer;
    timer.SetInterval(40); // below 50: the whole interval is one wait
    int ticks = 0;
    bool inside = false;
    bool overlapped = false;
    bool offThread = false;
    QObject::connect(&timer, &TSuperTimer::OnTimer, &timer, [&](TSuperTimer* sender) {
        EXPECT_EQ(sender, &timer);
        overlapped |= inside;
        offThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        inside = true;
        if (++ticks == 2) // a handler slower than the interval
            std::this_thread::sleep_for(std::chrono::milliseconds(120));
        QCoreApplication::processEvents(); // would run a queued tick at once
        inside = false;
    });
    QElapsedTimer clock;
    clock.start();
    timer.SetEnabled(true);
    ASSERT_TRUE(waitFor([&] { return ticks >= 6; }));
    timer.SetEnabled(false);
    EXPECT_FALSE(overlapped);
    EXPECT_FALSE(offThread);
    // Lower bound only: six ticks cannot come sooner than six intervals.
    EXPECT_GE(clock.elapsed(), 6 * 40 - 5);
    EXPECT_GE(timer.Elapsed(), 6 * 40 - 5);
    EXPECT_EQ(timer.Ticks(), timer.Elapsed() / 40);

    const int stoppedAt = ticks;
    QTest::qWait(150);
    EXPECT_EQ(ticks, stoppedAt) << "no tick after disabling";
}

TEST(SuperTimer, ACountDownStopsAtZeroOnce)
{
    TSuperTimer timer;
    timer.SetInterval(20);
    int stops = 0;
    int ticks = 0;
    QObject::connect(&timer, &TSuperTimer::OnStop, &timer, [&] { ++stops; });
    QObject::connect(&timer, &TSuperTimer::OnTimer, &timer, [&] { ++ticks; });
    timer.SetEnabled(true);
    ASSERT_TRUE(waitFor([&] { return timer.Elapsed() >= 100; }));
    EXPECT_EQ(stops, 0) << "counting up never stops by itself";
    const int up = timer.Elapsed();
    timer.SetCountDown(true); // and back down from where it stands
    ASSERT_TRUE(waitFor([&] { return stops == 1; }));
    EXPECT_FALSE(timer.Enabled());
    EXPECT_LE(timer.Elapsed(), 0);
    EXPECT_GE(ticks * 20, up) << "it took about as long to come down";
    QTest::qWait(100);
    EXPECT_EQ(stops, 1);
}

TEST(SuperTimer, IntervalZeroDisablesAndAHandlerMayDisable)
{
    TSuperTimer timer;
    timer.SetInterval(10);
    timer.SetEnabled(true);
    timer.SetInterval(0);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Ticks(), 0) << "no division by a zero interval";
    timer.SetEnabled(true); // enabled with no interval: nothing ticks
    int ticks = 0;
    QObject::connect(&timer, &TSuperTimer::OnTimer, &timer, [&](TSuperTimer* sender) {
        ++ticks;
        sender->SetEnabled(false);
    });
    QTest::qWait(60);
    EXPECT_EQ(ticks, 0);
    timer.SetInterval(10);
    ASSERT_TRUE(waitFor([&] { return ticks == 1; }));
    QTest::qWait(60);
    EXPECT_EQ(ticks, 1);
}

TEST(SuperTimer, ShorteningALongIntervalTakesEffectAtOnce)
{
    TSuperTimer timer;
    timer.SetInterval(60000);
    int ticks = 0;
    QObject::connect(&timer, &TSuperTimer::OnTimer, &timer, [&] { ++ticks; });
    timer.SetEnabled(true);
    timer.SetInterval(20);
    EXPECT_TRUE(waitFor([&] { return ticks >= 2; }, 2000));
}

TEST(SuperTimer, MayBeDestroyedRunningOrFromItsOwnHandler)
{
    {
        TSuperTimer timer;
        timer.SetInterval(1);
        timer.SetThreadPriority(tpNormal);
        timer.SetEnabled(true);
        QTest::qWait(20);
    } // destroyed with ticks on their way
    auto* timer = new TSuperTimer;
    bool gone = false;
    QObject::connect(timer, &QObject::destroyed, [&] { gone = true; });
    QObject::connect(timer, &TSuperTimer::OnTimer, timer,
                     [&](TSuperTimer* sender) { delete sender; });
    timer->SetInterval(5);
    timer->SetEnabled(true);
    EXPECT_TRUE(waitFor([&] { return gone; }));
    QTest::qWait(30);
}
