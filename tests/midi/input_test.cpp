// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/tmidiinput.h"

#include "loopbacksetup.h"
#include "midi/miditexts.h"
#include "support/errortext.h"
#include "support/testutil.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace dorvane;
using namespace dorvane::test;

namespace {

std::vector<TMyMidiEvent> takeAll(TMidiInput& port)
{
    std::vector<TMyMidiEvent> events;
    while (auto event = port.TakeEvent())
        events.push_back(std::move(*event));
    return events;
}

// An open, started port on "Loop A" of `setup`.
void openAndStart(TMidiInput& port)
{
    port.Open();
    ASSERT_EQ(port.State(), misOpen);
    port.Start();
}

} // namespace

TEST(MidiInput, StartsClosedOnDeviceZeroWithTheDefaults)
{
    LoopbackSetup setup;
    TMidiInput port(setup.registry);
    EXPECT_EQ(port.State(), misClosed);
    EXPECT_EQ(port.DeviceID(), 0);
    EXPECT_EQ(port.ProductName(), "Loop A") << "device 0 is asked for its name";
    EXPECT_EQ(port.Capacity(), 1024);
    EXPECT_EQ(port.SysexBufferSize(), 4096);
    EXPECT_EQ(port.SysexBufferCount(), 16);
    EXPECT_FALSE(port.SysexOnly());
    EXPECT_EQ(port.Error(), 0);
}

TEST(MidiInput, CanBeCreatedWhereThereIsNoInputDevice)
{
    // The program must start on a machine without MIDI.
    MidiDeviceRegistry empty;
    TMidiInput port(empty);
    EXPECT_EQ(port.State(), misClosed);
    EXPECT_TRUE(port.ProductName().isEmpty());
    port.Open();
    EXPECT_EQ(port.State(), misClosed);
    EXPECT_NE(port.Error(), 0);
    EXPECT_EQ(errorOf<EMidiInputError>([&] { port.SetDeviceID(0); }), miditexts::InvalidDeviceId);
}

TEST(MidiInput, SettersSayWhyTheyRefuse)
{
    LoopbackSetup setup;
    TMidiInput port(setup.registry);
    EXPECT_EQ(errorOf<EMidiInputError>([&] { port.SetProductName("Nowhere"); }),
              "MIDI Input Device Nowhere not installed ")
        << "with its trailing blank";
    EXPECT_EQ(errorOf<EMidiInputError>([&] { port.SetDeviceID(5); }), miditexts::InvalidDeviceId);
    port.SetProductName("Loop B");
    EXPECT_EQ(port.DeviceID(), 1);

    port.Open();
    ASSERT_EQ(port.State(), misOpen);
    EXPECT_EQ(errorOf<EMidiInputError>([&] { port.SetDeviceID(0); }), miditexts::ChangeDeviceId);
    EXPECT_EQ(errorOf<EMidiInputError>([&] { port.SetProductName("Loop A"); }),
              miditexts::ChangeProductName);
    EXPECT_EQ(errorOf<EMidiInputError>([&] { port.SetSysexBufferSize(10); }),
              miditexts::ChangeSysexBufferSize);
    EXPECT_EQ(errorOf<EMidiInputError>([&] { port.SetSysexBufferCount(10); }),
              miditexts::ChangeSysexBufferCount);
    EXPECT_EQ(port.SysexBufferSize(), 4096);
    EXPECT_EQ(port.DeviceID(), 1);
    port.SetCapacity(8); // allowed: it counts from the next open
    EXPECT_EQ(port.Capacity(), 8);
}

TEST(MidiInput, OpenFailsQuietlyOnABusyDevice)
{
    LoopbackSetup setup;
    TMidiInput first(setup.registry);
    TMidiInput second(setup.registry);
    first.Open();
    ASSERT_EQ(first.State(), misOpen);
    second.Open();
    EXPECT_EQ(second.State(), misClosed) << "the device is taken";
    EXPECT_NE(second.Error(), 0);
    EXPECT_EQ(second.PendingEventCount(), 0);
}

TEST(MidiInput, ShortMessagesArriveInOrderWithoutClockAndSensing)
{
    LoopbackSetup setup;
    TMidiInput port(setup.registry);
    QSignalSpy notices(&port, &TMidiInput::OnMidiInput);
    openAndStart(port);
    const std::vector<Bytes> fed = {{0x90, 60, 100}, {0xFE},    {0xF8},
                                    {0xB0, 7, 99},   {0xC0, 5}, {0xF0, 0x41, 0xF7}};
    for (const Bytes& m : fed) {
        if (m[0] == 0xF0)
            setup.driver->feedLong("Loop A", m);
        else
            setup.driver->feedShort("Loop A", m);
    }
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    ASSERT_TRUE(waitFor([&] { return notices.count() > 0; }));
    const auto events = takeAll(port);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].StatusByte, 0x90);
    EXPECT_EQ(events[0].DataByte1, 60);
    EXPECT_EQ(events[0].DataByte2, 100);
    EXPECT_EQ(events[1].StatusByte, 0xB0);
    EXPECT_EQ(events[2].StatusByte, 0xC0);
    EXPECT_EQ(events[2].DataByte1, 5);
    EXPECT_EQ(events[3].StatusByte, 0xF0);
    EXPECT_EQ(events[3].DataByte1, 0);
    EXPECT_EQ(hex(events[3].SysexBytes), "F0 41 F7");
    EXPECT_EQ(events[3].SysexByteCount, 3);
    EXPECT_EQ(port.PendingEventCount(), 0);
    EXPECT_EQ(notices.at(0).at(0).value<TMidiInput*>(), &port);
}

TEST(MidiInput, SysexOnlyDropsShortMessagesAndMayChangeWhileOpen)
{
    LoopbackSetup setup;
    TMidiInput port(setup.registry);
    port.SetSysexOnly(true);
    openAndStart(port);
    setup.driver->feedShort("Loop A", {0x90, 60, 100});
    setup.driver->feedLong("Loop A", {0xF0, 0x01, 0xF7});
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    port.SetSysexOnly(false);
    setup.driver->feedShort("Loop A", {0x80, 60, 0});
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    port.SetSysexOnly(true);
    setup.driver->feedShort("Loop A", {0x80, 61, 0});
    setup.driver->feedLong("Loop A", {0xF0, 0x02, 0xF7});
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    const auto events = takeAll(port);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(hex(events[0].SysexBytes), "F0 01 F7");
    EXPECT_EQ(events[1].StatusByte, 0x80);
    EXPECT_EQ(events[1].DataByte1, 60);
    EXPECT_EQ(hex(events[2].SysexBytes), "F0 02 F7");
}

TEST(MidiInput, NothingCountsBeforeStartOrAfterStop)
{
    LoopbackSetup setup;
    TMidiInput port(setup.registry);
    port.Open();
    setup.driver->feedShort("Loop A", {0x90, 1, 1});
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    EXPECT_EQ(port.PendingEventCount(), 0) << "opened, not started";
    port.Start();
    setup.driver->feedShort("Loop A", {0x90, 2, 1});
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    port.Stop();
    setup.driver->feedShort("Loop A", {0x90, 3, 1});
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    const auto events = takeAll(port);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].DataByte1, 2);
}

TEST(MidiInput, AFullRingRefusesTheNextDeliveryAndKeepsItsContents)
{
    LoopbackSetup setup;
    TMidiInput port(setup.registry);
    port.SetCapacity(4);
    QSignalSpy overflows(&port, &TMidiInput::OnOverflow);
    openAndStart(port);
    for (int i = 0; i < 6; ++i)
        setup.driver->feedShort("Loop A", {0x90, std::uint8_t(i), 1});
    setup.driver->feedLong("Loop A", {0xF0, 0x7F, 0xF7});
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    ASSERT_TRUE(waitFor([&] { return overflows.count() > 0; }));
    EXPECT_EQ(port.PendingEventCount(), 4);
    const auto events = takeAll(port);
    ASSERT_EQ(events.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(events[std::size_t(i)].DataByte1, i) << "the first four, untouched";

    // The refused sysex did not keep its buffer: all 16 still go round.
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 4; ++i)
            setup.driver->feedLong("Loop A", {0xF0, std::uint8_t(i), 0xF7});
        ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
        EXPECT_EQ(takeAll(port).size(), 4u);
    }
}

TEST(MidiInput, ALongMessageFillsAsManyBuffersAsItNeedsInOrder)
{
    LoopbackSetup setup;
    TMidiInput port(setup.registry);
    port.SetSysexBufferSize(100);
    port.SetSysexBufferCount(4);
    openAndStart(port);
    const Bytes message = randomBytes(350, 7);
    setup.driver->feedLong("Loop A", message);
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    const auto events = takeAll(port);
    ASSERT_EQ(events.size(), 4u);
    Bytes joined;
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].SysexByteCount, i < 3 ? 100 : 50);
        EXPECT_EQ(events[i].SysexBytes.size(), events[i].SysexByteCount);
        joined.insert(joined.end(), events[i].SysexBytes.begin(), events[i].SysexBytes.end());
    }
    EXPECT_EQ(joined, message);
}

TEST(MidiInput, WithNoFreeBufferTheRestIsDroppedAndBuffersComeBack)
{
    LoopbackSetup setup;
    TMidiInput port(setup.registry);
    port.SetSysexBufferSize(100);
    port.SetSysexBufferCount(2);
    QSignalSpy overflows(&port, &TMidiInput::OnOverflow);
    openAndStart(port);
    const Bytes message = randomBytes(450, 3);
    setup.driver->feedLong("Loop A", message);
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    ASSERT_TRUE(waitFor([&] { return overflows.count() == 1; }));
    auto events = takeAll(port);
    ASSERT_EQ(events.size(), 2u) << "the two buffers there were, nothing more";
    EXPECT_EQ(events[0].SysexBytes, Bytes(message.begin(), message.begin() + 100));
    EXPECT_EQ(events[1].SysexBytes, Bytes(message.begin() + 100, message.begin() + 200));

    // TakeEvent gave both buffers back.
    setup.driver->feedLong("Loop A", Bytes(message.begin(), message.begin() + 150));
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    events = takeAll(port);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].SysexByteCount, 50);
}

TEST(MidiInput, EveryDroppedDeliveryIsCountedWithItsBytes)
{
    LoopbackSetup setup;
    TMidiInput port(setup.registry);
    port.SetSysexBufferSize(200);
    port.SetSysexBufferCount(3);
    QSignalSpy overflows(&port, &TMidiInput::OnOverflow);
    QSignalSpy told(&port, &TMidiInput::overflowed);
    const auto toldSum = [&](int column) {
        quint64 sum = 0;
        for (const QList<QVariant>& args : told)
            sum += args[column].toUInt();
        return sum;
    };
    openAndStart(port);
    // All before the main thread looks: the third message keeps 200 of its
    // bytes in the last buffer, the two after it are lost whole.
    for (const std::size_t size : {141, 141, 250, 141, 141})
        setup.driver->feedLong("Loop A", Bytes(size, 0x11));
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    ASSERT_TRUE(waitFor([&] { return overflows.count() > 0; }));
    EXPECT_EQ(port.OverflowCount(), 3u);
    EXPECT_EQ(port.LostByteCount(), 50u + 141u + 141u);
    EXPECT_EQ(takeAll(port).size(), 3u);

    // The counts only grow, and each new loss is told again.
    const int before = int(overflows.count());
    for (int i = 0; i < 5; ++i)
        setup.driver->feedShort("Loop A", {0x90, 60, 1});
    setup.driver->feedLong("Loop A", Bytes(700, 0x22));
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    ASSERT_TRUE(waitFor([&] { return overflows.count() > before; }));
    EXPECT_EQ(port.OverflowCount(), 4u);
    EXPECT_EQ(port.LostByteCount(), 332u + 100u);
    EXPECT_EQ(toldSum(0), 4u) << "each loss told once";
    EXPECT_EQ(toldSum(1), 432u);

    port.Close();
    EXPECT_EQ(port.OverflowCount(), 0u);
    port.Open();
    EXPECT_EQ(port.OverflowCount(), 0u) << "counted afresh from each open";
}

TEST(MidiInput, AnEmptySysexBufferIsAnEventWithNoBytes)
{
    LoopbackSetup setup;
    TMidiInput port(setup.registry);
    port.SetSysexBufferCount(1);
    openAndStart(port);
    setup.driver->feedLong("Loop A", {});
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    auto event = port.TakeEvent();
    ASSERT_TRUE(event);
    EXPECT_EQ(event->StatusByte, 0xF0);
    EXPECT_EQ(event->SysexByteCount, 0);
    EXPECT_TRUE(event->SysexBytes.empty());
    // Its only buffer went back to the driver.
    setup.driver->feedLong("Loop A", {0xF0, 0xF7});
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    event = port.TakeEvent();
    ASSERT_TRUE(event);
    EXPECT_EQ(event->SysexByteCount, 2);
}

TEST(MidiInput, ClosedPortsHandOutNothingEvenWithEventsLeft)
{
    LoopbackSetup setup;
    TMidiInput port(setup.registry);
    QSignalSpy notices(&port, &TMidiInput::OnMidiInput);
    openAndStart(port); // and never stopped
    setup.driver->feedShort("Loop A", {0x90, 1, 1});
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    EXPECT_EQ(port.PendingEventCount(), 1);
    port.Close();
    EXPECT_EQ(port.State(), misClosed);
    EXPECT_FALSE(setup.driver->isInputOpen("Loop A"));
    EXPECT_EQ(port.PendingEventCount(), 0);
    EXPECT_FALSE(port.TakeEvent());
    QTest::qWait(50);
    EXPECT_EQ(notices.count(), 0) << "no notice reaches a closed port";
    EXPECT_FALSE(setup.driver->feedShort("Loop A", {0x90, 2, 1})) << "the device is let go";

    port.Open(); // a fresh ring: the old event is gone
    EXPECT_EQ(port.PendingEventCount(), 0);
}

TEST(MidiInput, TimeStampsCountFromStart)
{
    LoopbackSetup setup;
    TMidiInput port(setup.registry);
    openAndStart(port);
    QTest::qWait(30);
    setup.driver->feedShort("Loop A", {0x90, 1, 1});
    ASSERT_TRUE(setup.driver->waitUntilDelivered("Loop A", 5000));
    auto event = port.TakeEvent();
    ASSERT_TRUE(event);
    EXPECT_GE(event->TimeStamp, 30u);
    EXPECT_LT(event->TimeStamp, 60000u);
}

TEST(MidiInput, AHandlerThatTakesEverythingSeesEveryEventOfABurstOnce)
{
    LoopbackSetup setup;
    TMidiInput port(setup.registry);
    port.SetCapacity(2048);
    std::vector<int> seen;
    QObject::connect(&port, &TMidiInput::OnMidiInput, &port, [&](TMidiInput* sender) {
        while (auto event = sender->TakeEvent())
            seen.push_back(event->DataByte1 | event->DataByte2 << 7);
    });
    openAndStart(port);
    // Bursts of up to the ring's size, each while the main thread is busy.
    for (int burst = 0; burst < 5; ++burst) {
        for (int i = burst * 1000; i < (burst + 1) * 1000; ++i)
            setup.driver->feedShort("Loop A", {0x90, std::uint8_t(i & 0x7F), std::uint8_t(i >> 7)});
        ASSERT_TRUE(waitFor([&] { return seen.size() >= std::size_t(burst + 1) * 1000; }, 20000))
            << "got " << seen.size();
    }
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(seen[std::size_t(i)], i);
}
