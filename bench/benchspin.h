// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the event loop flat out until `done` holds or the time is up: the
// benchmarks time what the main thread hears, and a sleep would add its own
// wake-up to every figure.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

namespace dorvane::bench {

template <typename F> bool spin(F done, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

} // namespace dorvane::bench
