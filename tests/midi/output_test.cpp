// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/tmidioutput.h"

#include "loopbacksetup.h"
#include "midi/miditexts.h"
#include "patch/initialpatch.h"
#include "support/errortext.h"
#include "support/testutil.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <functional>

using namespace dorvane;
using namespace dorvane::test;

TEST(MidiOutput, StartsClosedOnDeviceZeroWithoutAskingTheDevice)
{
    LoopbackSetup setup;
    TMidiOutput port(setup.registry);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.DeviceID(), 0);
    EXPECT_TRUE(port.ProductName().isEmpty());
    EXPECT_EQ(port.DeviceCount(), 2);
    EXPECT_FALSE(port.Close()) << "closing a closed port is not an error";
}

TEST(MidiOutput, SelectsByNumberAndByName)
{
    LoopbackSetup setup;
    TMidiOutput port(setup.registry);
    port.SetDeviceID(1);
    EXPECT_EQ(port.ProductName(), "Loop B");
    port.SetProductName("Loop A");
    EXPECT_EQ(port.DeviceID(), 0);

    EXPECT_EQ(errorOf<EmidioutputError>([&] { port.SetDeviceID(2); }), miditexts::InvalidDeviceId);
    EXPECT_EQ(errorOf<EmidioutputError>([&] { port.SetDeviceID(-7); }), miditexts::InvalidDeviceId);
    EXPECT_EQ(errorOf<EmidioutputError>([&] { port.SetProductName("loop a"); }),
              "MIDI output Device loop a not installed")
        << "names match exactly, case included";
    EXPECT_EQ(port.DeviceID(), 0) << "a refused choice changes nothing";
    EXPECT_EQ(port.ProductName(), "Loop A");
    EXPECT_NE(port.LastError(), 0);
}

TEST(MidiOutput, DeviceMinusOneIsTheVirtualPortAndWinsTheNameSearch)
{
    LoopbackSetup setup;
    // Without a virtual port, -1 stands for device 0.
    TMidiOutput port(setup.registry);
    port.SetDeviceID(-1);
    EXPECT_EQ(port.ProductName(), "Loop A");

    setup.driver->setVirtualPort("Loop B");
    setup.driver->addDevice("Loop B"); // a device of the same name as the virtual port
    setup.registry.refresh();
    port.SetProductName("Loop B");
    EXPECT_EQ(port.DeviceID(), -1);
    ASSERT_TRUE(port.Open());
    port.SendShortMessage(0x90, 60, 100);
    EXPECT_TRUE(setup.driver->waitForSent("Loop B", 1, 5000));
}

TEST(MidiOutput, SettersAreRefusedWhileOpen)
{
    LoopbackSetup setup;
    TMidiOutput port(setup.registry);
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(errorOf<EmidioutputError>([&] { port.SetDeviceID(1); }), miditexts::ChangeDeviceId);
    EXPECT_EQ(errorOf<EmidioutputError>([&] { port.SetProductName("Loop B"); }),
              miditexts::ChangeProductName);
    EXPECT_EQ(port.DeviceID(), 0);
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.Close());
    port.SetDeviceID(1);
    EXPECT_EQ(port.DeviceID(), 1);
}

TEST(MidiOutput, OpenFailsQuietlyOnABusyOrMissingDevice)
{
    LoopbackSetup setup;
    setup.driver->setBusy("Loop A", true);
    TMidiOutput port(setup.registry);
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_NE(port.LastError(), 0);

    MidiDeviceRegistry empty;
    TMidiOutput nowhere(empty);
    EXPECT_FALSE(nowhere.Open()) << "no device at all";
}

TEST(MidiOutput, SendingOnAClosedPortRaisesNotOpen)
{
    LoopbackSetup setup;
    TMidiOutput port(setup.registry);
    const Bytes message = dataSet(141, 1);
    EXPECT_EQ(errorOf<EmidioutputError>([&] { port.SendLongMessage(message); }),
              miditexts::OutputNotOpen);
    EXPECT_EQ(errorOf<EmidioutputError>([&] { port.SendShortMessage(0x90, 60, 1); }),
              miditexts::OutputNotOpen);
    EXPECT_EQ(errorOf<EmidioutputError>([&] { port.SendEvent(TMyMidiEvent{}); }),
              miditexts::OutputNotOpen);
    EXPECT_EQ(errorOf<EmidioutputError>([&] { port.SendLongMessage({}); }), "(nothing raised)")
        << "an empty long message is never sent, so it cannot fail";
}

TEST(MidiOutput, LongMessagesLeaveOneSysexAtATimeAndEachIsDoneOnce)
{
    LoopbackSetup setup;
    TMidiOutput port(setup.registry);
    QSignalSpy done(&port, &TMidiOutput::Onmidioutput);
    ASSERT_TRUE(port.Open());

    const Bytes image = initialImage();
    ASSERT_EQ(image.size(), ImageSize);
    port.SendLongMessage(image);
    port.SendLongMessage(image);
    ASSERT_TRUE(waitFor([&] { return done.count() == 2; }));
    EXPECT_EQ(port.MessagesInFlight(), 0u);

    const std::vector<Bytes> sent = setup.driver->sent("Loop A");
    ASSERT_EQ(sent.size(), 2 * MessagesInImage) << "every Data Set message separately";
    Bytes joined;
    for (const Bytes& m : sent) {
        EXPECT_EQ(m.front(), 0xF0);
        EXPECT_EQ(m.back(), 0xF7);
        joined.insert(joined.end(), m.begin(), m.end());
    }
    Bytes twice = image;
    twice.insert(twice.end(), image.begin(), image.end());
    EXPECT_EQ(joined, twice) << "the bytes on the wire are the image, twice, in order";
    QTest::qWait(50);
    EXPECT_EQ(done.count(), 2) << "one notice per long message, not per piece";
}

TEST(MidiOutput, BytesOutsideSysexAreKeptAsTheyStand)
{
    LoopbackSetup setup;
    TMidiOutput port(setup.registry);
    ASSERT_TRUE(port.Open());
    const Bytes mixed = {0x01, 0x02, 0xF0, 0x41, 0xF7, 0x90, 0x3C, 0xF0, 0x42};
    port.SendLongMessage(mixed);
    ASSERT_TRUE(setup.driver->waitForSent("Loop A", 4, 5000));
    EXPECT_EQ(setup.driver->sentBytes("Loop A"), mixed);
}

TEST(MidiOutput, TooLongMessagesAreRefusedBeforeAnythingIsSent)
{
    LoopbackSetup setup;
    setup.driver->setMaxMessageSize(1000);
    TMidiOutput port(setup.registry);
    QSignalSpy done(&port, &TMidiOutput::Onmidioutput);
    ASSERT_TRUE(port.Open());

    Bytes huge(65536, 0x11);
    huge.front() = 0xF0;
    huge.back() = 0xF7;
    EXPECT_NE(errorOf<EmidioutputError>([&] { port.SendLongMessage(huge); }).find("65535"),
              std::string::npos);

    // Fine pieces first, then one the device cannot take: none of it goes.
    Bytes mixed = dataSet(141, 1);
    const Bytes big = dataSet(1001, 2);
    mixed.insert(mixed.end(), big.begin(), big.end());
    EXPECT_NE(errorOf<EmidioutputError>([&] { port.SendLongMessage(mixed); }).find("1001"),
              std::string::npos);

    port.SendLongMessage(dataSet(1000, 3));
    ASSERT_TRUE(waitFor([&] { return done.count() == 1; }));
    EXPECT_EQ(setup.driver->sent("Loop A").size(), 1u) << "only the message that fits";
}

TEST(MidiOutput, ShortMessagesCarryTheirOwnLength)
{
    LoopbackSetup setup;
    TMidiOutput port(setup.registry);
    ASSERT_TRUE(port.Open());
    port.SendShortMessage(0x90, 60, 100);
    port.SendShortMessage(0xC3, 5, 99); // program change: two bytes
    port.SendShortMessage(0xFE, 1, 2);  // active sensing: one byte
    TMyMidiEvent event;
    event.StatusByte = 0xB0;
    event.DataByte1 = 64;
    event.DataByte2 = 127;
    port.SendEvent(event);
    event.SysexBytes = {0xF0, 0x7E, 0xF7, 0x00};
    event.SysexByteCount = 3;
    port.SendEvent(event);
    ASSERT_TRUE(setup.driver->waitForSent("Loop A", 5, 5000));
    const std::vector<Bytes> sent = setup.driver->sent("Loop A");
    EXPECT_EQ(hex(sent[0]), "90 3C 64");
    EXPECT_EQ(hex(sent[1]), "C3 05");
    EXPECT_EQ(hex(sent[2]), "FE");
    EXPECT_EQ(hex(sent[3]), "B0 40 7F");
    EXPECT_EQ(hex(sent[4]), "F0 7E F7") << "SysexByteCount bytes of the event";
}

TEST(MidiOutput, AFailedSendIsReportedAndTheNextMessagesStillGo)
{
    LoopbackSetup setup;
    TMidiOutput port(setup.registry);
    QSignalSpy failed(&port, &TMidiOutput::sendFailed);
    QSignalSpy drained(&port, &TMidiOutput::drained);
    ASSERT_TRUE(port.Open());
    setup.driver->setFailing("Loop A", true);
    port.SendLongMessage(dataSet(141, 1));
    ASSERT_TRUE(waitFor([&] { return failed.count() == 1; }));
    EXPECT_NE(failed.at(0).at(0).toString().indexOf("refused"), -1);
    EXPECT_NE(port.LastError(), 0);

    setup.driver->setFailing("Loop A", false);
    port.SendLongMessage(dataSet(141, 2));
    ASSERT_TRUE(setup.driver->waitForSent("Loop A", 1, 5000));
    EXPECT_EQ(setup.driver->sent("Loop A")[0], dataSet(141, 2));
    EXPECT_TRUE(waitFor([&] { return drained.count() == 2; }));
}

TEST(MidiOutput, ADeviceThatGoesAwayClosesThePortAndSaysSoOnce)
{
    struct Row
    {
        const char* how;
        std::function<void(TMidiOutput&)> notice; // what lets the port find out
    };
    const Row rows[] = {
        {"asked", [](TMidiOutput& port) { EXPECT_FALSE(port.CheckDevice()); }},
        {"a send that fails", [](TMidiOutput& port) { port.SendLongMessage(dataSet(141, 1)); }},
        {"its own watch", [](TMidiOutput&) {}},
    };
    for (const Row& row : rows) {
        LoopbackSetup setup;
        TMidiOutput port(setup.registry);
        QSignalSpy lost(&port, &TMidiOutput::deviceLost);
        ASSERT_TRUE(port.Open()) << row.how;
        EXPECT_TRUE(port.CheckDevice()) << row.how << ": still there";
        EXPECT_EQ(lost.count(), 0) << row.how;

        setup.driver->removeDevice("Loop A");
        row.notice(port);
        ASSERT_TRUE(waitFor([&] { return lost.count() == 1; }, 5 * TMidiOutput::DeviceCheckMs))
            << row.how;
        EXPECT_FALSE(port.IsOpen()) << row.how;
        EXPECT_EQ(lost.at(0).at(0).toString(), "The MIDI output Loop A is gone") << row.how;
        EXPECT_TRUE(port.CheckDevice()) << row.how << ": a closed port has nothing to lose";
        EXPECT_EQ(lost.count(), 1) << row.how;
    }
}

TEST(MidiOutput, ADeviceThatFailsButIsStillThereStaysOpen)
{
    LoopbackSetup setup;
    TMidiOutput port(setup.registry);
    QSignalSpy failed(&port, &TMidiOutput::sendFailed);
    QSignalSpy lost(&port, &TMidiOutput::deviceLost);
    ASSERT_TRUE(port.Open());
    setup.driver->setFailing("Loop A", true);
    port.SendLongMessage(dataSet(141, 1));
    ASSERT_TRUE(waitFor([&] { return failed.count() == 1; }));
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(lost.count(), 0);
}

TEST(MidiOutput, CloseLetsWhatIsOnItsWayLeaveFirstAndAHandlerMayClose)
{
    // A device change or the end of the program in the middle of a long send
    // must not lose the rest of it.
    LoopbackSetup setup;
    setup.driver->setBytesPerSecond(20000); // slow enough to leave most in flight
    TMidiOutput port(setup.registry);
    QSignalSpy drained(&port, &TMidiOutput::drained);
    QSignalSpy closing(&port, &TMidiOutput::closing);
    int done = 0;
    QObject::connect(&port, &TMidiOutput::Onmidioutput, &port, [&](TMidiOutput* sender) {
        ++done;
        sender->Close(); // the first notice closes the port
    });
    ASSERT_TRUE(port.Open());
    const int count = 60;
    for (int i = 0; i < count; ++i)
        port.SendLongMessage(dataSet(141, i));
    ASSERT_TRUE(waitFor([&] { return !port.IsOpen(); }));
    EXPECT_EQ(done, 1) << "no notices while the rest drains";
    EXPECT_EQ(port.MessagesInFlight(), 0u);
    EXPECT_EQ(drained.count(), 1);
    const std::vector<Bytes> sent = setup.driver->sent("Loop A");
    ASSERT_EQ(sent.size(), std::size_t(count)) << "every message left before the port closed";
    EXPECT_EQ(sent.back(), dataSet(141, count - 1));
    ASSERT_EQ(closing.count(), 1);
    const qint64 bytes = closing.at(0).at(0).toLongLong();
    EXPECT_GT(bytes, 0);
    EXPECT_LE(bytes, qint64(count - 1) * 141);
    EXPECT_EQ(closing.at(0).at(1).toInt(), int(1000 * bytes / 20000) + 200)
        << "bounded by the time the bytes need at the port's pace";
    QTest::qWait(50);
    EXPECT_EQ(setup.driver->sent("Loop A").size(), std::size_t(count)) << "nothing after Close";

    // And it opens again, fresh.
    ASSERT_TRUE(port.Open());
    port.SendLongMessage(dataSet(141, 7));
    EXPECT_TRUE(waitFor([&] { return done == 2; }));
}

TEST(MidiOutput, MoreMessagesThanTheQueueHoldsAllLeaveInOrder)
{
    LoopbackSetup setup;
    TMidiOutput port(setup.registry);
    QSignalSpy done(&port, &TMidiOutput::Onmidioutput);
    ASSERT_TRUE(port.Open());
    const int count = 3000; // beyond the sending thread's ring of 1024
    for (int i = 0; i < count; ++i)
        port.SendLongMessage(dataSet(24, i));
    ASSERT_TRUE(waitFor([&] { return done.count() == count; }, 20000));
    const std::vector<Bytes> sent = setup.driver->sent("Loop A");
    ASSERT_EQ(sent.size(), std::size_t(count));
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(sent[std::size_t(i)], dataSet(24, i)) << "message " << i;
}

TEST(MidiOutput, DestroyingAnOpenBusyPortDeliversTheRest)
{
    LoopbackSetup setup;
    setup.driver->setBytesPerSecond(10000);
    auto port = std::make_unique<TMidiOutput>(setup.registry);
    ASSERT_TRUE(port->Open());
    for (int i = 0; i < 50; ++i)
        port->SendLongMessage(dataSet(141, i));
    port.reset();
    // The messages on their way left first; a wake-up still on its way finds no port.
    EXPECT_EQ(setup.driver->sent("Loop A").size(), 50u);
    QTest::qWait(20);
    EXPECT_EQ(setup.driver->sent("Loop A").size(), 50u);
}
