// SPDX-License-Identifier: GPL-3.0-or-later
// A note player wired to an open output port on the loopback driver, and a way
// to read back exactly the messages it sent since the last look.
#pragma once

#include "midi/loopbackdriver.h"
#include "midi/midideviceregistry.h"
#include "midi/midisender.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"
#include "player/tmidiapputil.h"
#include "support/testutil.h"

#include <QTest>

#include <memory>
#include <string>
#include <vector>

namespace dorvane::test {

using Messages = std::vector<std::string>;

struct PlayerRig
{
    static constexpr char DeviceA[] = "Loop A";
    static constexpr char DeviceB[] = "Loop B";

    PlayerRig()
    {
        for (const char* name : {DeviceA, DeviceB}) {
            driver->addDevice(name);
            driver->setEcho(name, false);
        }
        registry.addSource(driver);
        output.SetDeviceID(0);
        opened = output.Open();
        util.SetOUTPUT(&output);
        util.SetINPUT(&input);
        // Most tests want the velocity as set; the spread has tests of its own.
        util.SetVelRnd(0);
    }

    // The messages the device got since the last call, each as hex. Once the
    // sender's queue is empty a marker (Active Sensing) goes out behind them on
    // the port and is waited for, so "nothing was sent" is seen as surely as
    // "this was sent".
    Messages take(const char* device = DeviceA)
    {
        if (!QTest::qWaitFor([&] { return util.Sender().IsIdle(); }, 5000))
            return {"(the sender never finished)"};
        output.SendShortMessage(Marker, 0, 0);
        std::vector<Bytes> got;
        const bool came = QTest::qWaitFor(
            [&] {
                got = driver->sent(device);
                return !got.empty() && got.back() == Bytes{Marker};
            },
            5000);
        if (!came)
            return {"(the marker never came)"};
        driver->clearSent(device);
        Messages out;
        for (const Bytes& m : got) {
            if (m != Bytes{Marker})
                out.push_back(hex(m));
        }
        return out;
    }

    // Raw messages, for checks over many notes.
    std::vector<Bytes> takeRaw()
    {
        output.SendShortMessage(Marker, 0, 0);
        std::vector<Bytes> got;
        const bool came = QTest::qWaitFor(
            [&] {
                got = driver->sent(DeviceA);
                return !got.empty() && got.back() == Bytes{Marker};
            },
            10000);
        if (!came)
            return {};
        driver->clearSent(DeviceA);
        if (!got.empty())
            got.pop_back();
        return got;
    }

    static constexpr std::uint8_t Marker = 0xFE;

    std::shared_ptr<LoopbackDriver> driver = std::make_shared<LoopbackDriver>();
    MidiDeviceRegistry registry;
    TMidiOutput output{registry};
    TMidiInput input{registry};
    TMIDIappUtil util;
    bool opened = false;
};

// Virtual-key codes of the keys the tests press.
namespace key {
constexpr int Z = 'Z', Q = 'Q', B = 'B', Comma = 188, Backslash = 220;
}

} // namespace dorvane::test
