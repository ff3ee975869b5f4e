// SPDX-License-Identifier: GPL-3.0-or-later
// The device lists follow devices coming and going while the program runs,
// and the ports follow their devices by name: on the loopback driver, which
// tells its registry of each change as a system's MIDI does.
#include "loopbacksetup.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <functional>

using namespace dorvane;
using namespace dorvane::test;

namespace {

// A source with no notice of its own: the registry has to read it.
class SilentDriver : public MidiDriver
{
public:
    LoopbackDriver devicesHere;
    MidiDeviceNames devices() override { return devicesHere.devices(); }
    std::unique_ptr<MidiOutputConnection> openOutput(int index, const std::string& name) override
    {
        return devicesHere.openOutput(index, name);
    }
    std::unique_ptr<MidiInputConnection> openInput(int index, const std::string& name,
                                                   MidiInputSink& sink) override
    {
        return devicesHere.openInput(index, name, sink);
    }
};

// Turns of the event loop for a while, so that any announcement due comes.
void settle(int ms = 50)
{
    QElapsedTimer clock;
    clock.start();
    waitFor([&] { return clock.elapsed() >= ms; }, ms + 1000);
}

} // namespace

TEST(PortFollow, AWatchingRegistryAnnouncesEachChangeOnceAndKeepsItsNumbers)
{
    struct Row
    {
        const char* what;
        std::function<void(LoopbackDriver&)> change;
        int announcements;
        bool aListed; // "Loop A" listed afterwards
    };
    const Row rows[] = {
        {"a device plugged in", [](LoopbackDriver& d) { d.addDevice("Loop C"); }, 1, true},
        {"a device unplugged", [](LoopbackDriver& d) { d.removeDevice("Loop A"); }, 1, false},
        {"a virtual port", [](LoopbackDriver& d) { d.setVirtualPort("Own"); }, 1, true},
        {"unplugged and back before anyone looked",
         [](LoopbackDriver& d) {
             d.removeDevice("Loop B");
             d.addDevice("Loop B");
         },
         0, true},
        {"nothing", [](LoopbackDriver&) {}, 0, true},
    };
    for (const Row& row : rows) {
        LoopbackSetup setup;
        QSignalSpy changed(&setup.registry, &MidiDeviceRegistry::devicesChanged);
        setup.registry.watch();
        ASSERT_TRUE(setup.registry.watching());
        settle();
        ASSERT_EQ(changed.count(), 0) << row.what << ": nothing changed before";

        row.change(*setup.driver);
        settle();
        EXPECT_EQ(changed.count(), row.announcements) << row.what;
        EXPECT_EQ(setup.registry.outputListed("Loop A"), row.aListed) << row.what;
        EXPECT_EQ(setup.registry.inputListed("Loop A"), row.aListed) << row.what;
        EXPECT_EQ(setup.registry.outputNames(), (std::vector<std::string>{"Loop A", "Loop B"}))
            << row.what << ": the numbers stay until refresh()";
    }
}

TEST(PortFollow, OnlyAWatchingRegistryAnnouncesAndAReadingOfItsOwnIsAnnouncedToo)
{
    LoopbackSetup setup;
    QSignalSpy changed(&setup.registry, &MidiDeviceRegistry::devicesChanged);
    setup.driver->addDevice("Loop C");
    settle();
    EXPECT_EQ(changed.count(), 0) << "nobody watches yet";
    EXPECT_FALSE(setup.registry.outputListed("Loop C"));

    // What changed before the watch began is told as soon as it is seen.
    setup.registry.watch();
    ASSERT_TRUE(waitFor([&] { return changed.count() == 1; }));
    EXPECT_TRUE(setup.registry.outputListed("Loop C"));
    setup.driver->removeDevice("Loop C");
    ASSERT_TRUE(waitFor([&] { return changed.count() == 2; }));
    EXPECT_FALSE(setup.registry.outputListed("Loop C"));

    // A refresh that reads a change before the notice of it is handled
    // still announces it: ports learn of their devices from the signal.
    QSignalSpy refreshed(&setup.registry, &MidiDeviceRegistry::refreshed);
    setup.driver->addDevice("Loop D");
    setup.registry.refresh();
    EXPECT_EQ(refreshed.count(), 1);
    EXPECT_EQ(setup.registry.outputNames(),
              (std::vector<std::string>{"Loop A", "Loop B", "Loop D"}));
    ASSERT_TRUE(waitFor([&] { return changed.count() == 3; }));

    setup.registry.stopWatching();
    setup.driver->removeDevice("Loop D");
    settle();
    EXPECT_EQ(changed.count(), 3) << "no notice after the watch ended";
    EXPECT_TRUE(setup.registry.outputListed("Loop D")) << "nor any reading";
}

TEST(PortFollow, ASourceWithoutNoticeIsReadOnceASecond)
{
    auto source = std::make_shared<SilentDriver>();
    source->devicesHere.addDevice("Quiet");
    MidiDeviceRegistry registry;
    registry.addSource(source);
    QSignalSpy changed(&registry, &MidiDeviceRegistry::devicesChanged);
    registry.watch();
    settle(); // the first reading, at the start of the watch, is done
    source->devicesHere.removeDevice("Quiet");
    ASSERT_TRUE(waitFor([&] { return changed.count() == 1; }, 5 * MidiDeviceRegistry::PollMs));
    EXPECT_FALSE(registry.outputListed("Quiet"));
}

TEST(PortFollow, WhatWasOnItsWayWhenTheDeviceWentFailsWithTheLossBeforeItIsAnnounced)
{
    LoopbackSetup setup;
    setup.driver->setBytesPerSecond(500); // the messages stay on their way
    TMidiOutput port(setup.registry);
    ASSERT_TRUE(port.Open());
    QStringList events;
    std::vector<Bytes> failedMessages;
    QObject::connect(&port, &TMidiOutput::messageFailed, [&](const QString& t, const Bytes& m) {
        events << "messageFailed: " + t;
        failedMessages.push_back(m);
    });
    QObject::connect(&port, &TMidiOutput::sendFailed,
                     [&](const QString& t) { events << "sendFailed: " + t; });
    QObject::connect(&port, &TMidiOutput::drained, [&] { events << "drained"; });
    QObject::connect(&port, &TMidiOutput::deviceLost,
                     [&](const QString& t) { events << "deviceLost: " + t; });
    for (int i = 0; i < 4; ++i)
        port.SendLongMessage(dataSet(141, i));
    ASSERT_TRUE(setup.driver->waitForSent("Loop A", 1, 5000));

    setup.driver->removeDevice("Loop A");
    ASSERT_TRUE(
        waitFor([&] { return events.contains("deviceLost: The MIDI output Loop A is gone"); }));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.MessagesInFlight(), 0u);
    // The first had left; the rest went nowhere, and each says so.
    const auto sent = setup.driver->sent("Loop A");
    ASSERT_EQ(failedMessages.size() + sent.size(), 4u);
    ASSERT_GE(failedMessages.size(), 1u);
    EXPECT_EQ(failedMessages.back(), dataSet(141, 3));
    QStringList expected;
    for (std::size_t i = 0; i < failedMessages.size(); ++i)
        expected << "messageFailed: The MIDI output Loop A is gone";
    expected << "sendFailed: The MIDI output Loop A is gone"
             << "drained"
             << "deviceLost: The MIDI output Loop A is gone";
    EXPECT_EQ(events, expected);

    // Sent on the lost port, a message says why it cannot go.
    try {
        port.SendShortMessage(0x90, 60, 100);
        FAIL() << "a closed port sends nothing";
    } catch (const EmidioutputError& e) {
        EXPECT_STREQ(e.what(), "The MIDI output Loop A is gone");
    }
    settle();
    EXPECT_EQ(events.count("deviceLost: The MIDI output Loop A is gone"), 1) << "once";
}

TEST(PortFollow, AReturningOutputIsToldOnceAndReopensByItsName)
{
    struct Row
    {
        const char* what;
        bool refreshedMeanwhile; // the window read the lists while it was gone
    };
    for (const Row& row : {Row{"lists as they were", false}, Row{"lists read again", true}}) {
        LoopbackSetup setup({"Loop A", "Loop B", "Loop C"});
        TMidiOutput port(setup.registry);
        port.SetDeviceID(1);
        ASSERT_TRUE(port.Open());
        QSignalSpy lost(&port, &TMidiOutput::deviceLost);
        QSignalSpy returned(&port, &TMidiOutput::deviceReturned);
        setup.driver->removeDevice("Loop B");
        ASSERT_TRUE(waitFor([&] { return lost.count() == 1; })) << row.what;
        EXPECT_EQ(port.LostDevice(), "Loop B");
        EXPECT_FALSE(port.Reopen()) << row.what << ": not there yet";
        if (row.refreshedMeanwhile) {
            setup.registry.refresh();
            EXPECT_EQ(setup.registry.outputNames(), (std::vector<std::string>{"Loop A", "Loop C"}));
        }

        setup.driver->addDevice("Loop B"); // back, now after Loop C
        ASSERT_TRUE(waitFor([&] { return returned.count() == 1; })) << row.what;
        EXPECT_EQ(returned.at(0).at(0).toString(), "Loop B") << row.what;
        EXPECT_FALSE(port.IsOpen()) << row.what << ": reopening is the window's choice";
        ASSERT_TRUE(port.Reopen()) << row.what;
        EXPECT_EQ(port.ProductName(), "Loop B");
        EXPECT_EQ(setup.registry.outputName(port.DeviceID()), "Loop B") << row.what;
        EXPECT_TRUE(port.LostDevice().isEmpty());
        port.SendShortMessage(0x90, 60, 100);
        EXPECT_TRUE(setup.driver->waitForSent("Loop B", 1, 5000)) << row.what;
        EXPECT_TRUE(setup.driver->sent("Loop C").empty()) << row.what;

        // Gone and back again: told again.
        setup.driver->removeDevice("Loop B");
        ASSERT_TRUE(waitFor([&] { return lost.count() == 2; })) << row.what;
        setup.driver->addDevice("Loop B");
        ASSERT_TRUE(waitFor([&] { return returned.count() == 2; })) << row.what;
    }
}

TEST(PortFollow, ALostDeviceIsForgottenWhenTheMusicianChoosesOtherwise)
{
    struct Row
    {
        const char* what;
        std::function<void(TMidiOutput&)> choice;
    };
    const Row rows[] = {
        {"no output", [](TMidiOutput& port) { EXPECT_FALSE(port.Close()); }},
        {"another output", [](TMidiOutput& port) { port.SetDeviceID(1); }},
    };
    for (const Row& row : rows) {
        LoopbackSetup setup;
        TMidiOutput port(setup.registry);
        ASSERT_TRUE(port.Open());
        QSignalSpy returned(&port, &TMidiOutput::deviceReturned);
        setup.driver->removeDevice("Loop A");
        ASSERT_TRUE(waitFor([&] { return !port.IsOpen(); })) << row.what;
        row.choice(port);
        EXPECT_TRUE(port.LostDevice().isEmpty()) << row.what;
        setup.driver->addDevice("Loop A");
        settle();
        EXPECT_EQ(returned.count(), 0) << row.what;
        EXPECT_FALSE(port.Reopen()) << row.what;
    }
}

TEST(PortFollow, AClosedPortKeepsItsDeviceByNameWhenTheListsMove)
{
    LoopbackSetup setup({"Loop A", "Loop B"});
    TMidiOutput out(setup.registry);
    TMidiInput in(setup.registry);
    out.SetDeviceID(1);
    in.SetDeviceID(1);
    setup.driver->removeDevice("Loop A");
    setup.driver->addDevice("Loop A"); // now after Loop B
    setup.registry.refresh();
    ASSERT_EQ(setup.registry.outputNames(), (std::vector<std::string>{"Loop B", "Loop A"}));
    EXPECT_EQ(out.DeviceID(), 0);
    EXPECT_EQ(in.DeviceID(), 0);
    ASSERT_TRUE(out.Open());
    in.Open();
    ASSERT_EQ(in.State(), misOpen);
    in.Start();
    out.SendShortMessage(0x90, 61, 1);
    ASSERT_TRUE(setup.driver->waitForSent("Loop B", 1, 5000));
    ASSERT_TRUE(waitFor([&] { return in.PendingEventCount() == 1; }));
    EXPECT_EQ(in.TakeEvent()->DataByte1, 61);
}

TEST(PortFollow, ALostInputHandsOutWhatCameFirstThenClosesAndSaysSoOnce)
{
    LoopbackSetup setup;
    TMidiInput port(setup.registry);
    port.Open();
    ASSERT_EQ(port.State(), misOpen);
    port.Start();
    QStringList events;
    QObject::connect(&port, &TMidiInput::OnMidiInput, [&](TMidiInput* sender) {
        while (auto event = sender->TakeEvent())
            events << QString("note %1").arg(event->DataByte1);
    });
    QObject::connect(&port, &TMidiInput::deviceLost,
                     [&](const QString& t) { events << "deviceLost: " + t; });
    QSignalSpy returned(&port, &TMidiInput::deviceReturned);

    // Delivered, and gone before the main thread looked.
    for (std::uint8_t note : {40, 41, 42})
        ASSERT_TRUE(setup.driver->feedShort("Loop A", {0x90, note, 1}));
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    setup.driver->removeDevice("Loop A");
    ASSERT_TRUE(waitFor([&] { return port.State() == misClosed; }));
    EXPECT_EQ(events, (QStringList{"note 40", "note 41", "note 42",
                                   "deviceLost: The MIDI input Loop A is gone"}));
    EXPECT_FALSE(setup.driver->isInputOpen("Loop A"));
    EXPECT_EQ(port.LostDevice(), "Loop A");

    setup.driver->addDevice("Loop A");
    ASSERT_TRUE(waitFor([&] { return returned.count() == 1; }));
    ASSERT_TRUE(port.Reopen());
    EXPECT_EQ(port.State(), misOpen);
    port.Start();
    ASSERT_TRUE(setup.driver->feedShort("Loop A", {0x90, 43, 1}));
    ASSERT_TRUE(waitFor([&] { return events.size() == 5; }));
    EXPECT_EQ(events.back(), "note 43");
    EXPECT_EQ(events.count("deviceLost: The MIDI input Loop A is gone"), 1);
}
