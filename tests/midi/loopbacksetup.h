// SPDX-License-Identifier: GPL-3.0-or-later
// Ports on a loopback driver with a few named devices, for the unit tests.
#pragma once

#include "midi/loopbackdriver.h"
#include "midi/midideviceregistry.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <initializer_list>
#include <memory>
#include <string>

namespace dorvane::test {

struct LoopbackSetup
{
    explicit LoopbackSetup(std::initializer_list<std::string> names = {"Loop A", "Loop B"})
    {
        for (const std::string& name : names)
            driver->addDevice(name);
        registry.addSource(driver);
    }

    std::shared_ptr<LoopbackDriver> driver = std::make_shared<LoopbackDriver>();
    MidiDeviceRegistry registry;
};

// Runs the event loop until `condition` holds or the time is up. Unlike
// QTest::qWaitFor it never sleeps between turns: a wake-up from a driver thread
// is handled at once, as in the program's own event loop.
template <typename F> bool waitFor(F condition, int timeoutMs = 5000)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start();
    loop.exec();
    return condition();
}

// A Data Set message of `size` bytes (header, address, data, checksum, F7) whose
// data bytes carry `seed`, so that messages can be told apart.
inline Bytes dataSet(std::size_t size, int seed)
{
    Bytes m = {0xF0, 0x41, 0x10, 0x00, 0x0B, 0x12, 0x02, std::uint8_t(seed % 7), 0x10, 0x00};
    while (m.size() < size - 2)
        m.push_back(std::uint8_t((seed + m.size()) & 0x7F));
    unsigned sum = 0;
    for (std::size_t i = 6; i < m.size(); ++i)
        sum += m[i];
    m.push_back(std::uint8_t((128 - sum % 128) % 128));
    m.push_back(0xF7);
    return m;
}

} // namespace dorvane::test
