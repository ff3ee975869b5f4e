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
#include "support/sentmessages.h"
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

    // The messages the device got since the last call, each as hex.
    Messages take(const char* device = DeviceA)
    {
        return takeSent(*driver, output, util.Sender(), device);
    }

    // Raw messages, for checks over many notes.
    std::vector<Bytes> takeRaw()
    {
        return takeSentRaw(*driver, output, DeviceA, 10000).value_or(std::vector<Bytes>{});
    }

    static constexpr std::uint8_t Marker = SentMarker;

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
