// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/midisender.h"

#include "loopbacksetup.h"
#include "midi/tmidioutput.h"
#include "patch/initialpatch.h"
#include "patch/rolandmessage.h"
#include "support/testutil.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace dorvane;
using namespace dorvane::test;

namespace {

struct SenderSetup
{
    SenderSetup()
    {
        sender.SetOutput(&port);
        EXPECT_TRUE(port.Open());
    }
    LoopbackSetup loop;
    TMidiOutput port{loop.registry};
    MidiSender sender;
    QSignalSpy failed{&sender, &MidiSender::sendFailed};
    QSignalSpy empty{&sender, &MidiSender::queueEmpty};
};

Bytes concat(const std::vector<Bytes>& parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

} // namespace

TEST(MidiSender, SendsLaterInOrderAndSaysWhenAllHasLeft)
{
    SenderSetup s;
    std::vector<Bytes> messages;
    for (int i = 0; i < 20; ++i) {
        messages.push_back(dataSet(141, i));
        s.sender.SendLong(messages.back());
    }
    EXPECT_TRUE(s.loop.driver->sent("Loop A").empty()) << "SendLong returns before sending";
    EXPECT_FALSE(s.sender.IsIdle());
    ASSERT_TRUE(waitFor([&] { return s.empty.count() == 1; }));
    EXPECT_EQ(s.loop.driver->sent("Loop A"), messages);
    EXPECT_TRUE(s.sender.IsIdle());
    EXPECT_EQ(s.port.MessagesInFlight(), 0u) << "queueEmpty waits for the device";
    EXPECT_EQ(s.failed.count(), 0);
}

TEST(MidiSender, PauseLeavesAGapAfterEachLongMessage)
{
    SenderSetup s;
    s.sender.SetPause(true);
    std::vector<qint64> leftAt;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&s.port, &TMidiOutput::Onmidioutput, &s.port,
                     [&] { leftAt.push_back(clock.elapsed()); });
    for (int i = 0; i < 3; ++i)
        s.sender.SendLong(dataSet(141, i));
    ASSERT_TRUE(waitFor([&] { return s.empty.count() == 1; }));
    ASSERT_EQ(leftAt.size(), 3u);
    // A lower bound only: a busy machine may make gaps longer, never shorter.
    EXPECT_GE(leftAt[1] - leftAt[0], MidiSender::PauseMs - 5);
    EXPECT_GE(leftAt[2] - leftAt[1], MidiSender::PauseMs - 5);
}

TEST(MidiSender, AMessagePauseSeparatesTheSysexMessagesInsideALongMessage)
{
    SenderSetup s;
    s.sender.SetMessagePause(30);
    Bytes longMessage;
    for (int i = 0; i < 3; ++i) {
        const Bytes m = dataSet(24, i);
        longMessage.insert(longMessage.end(), m.begin(), m.end());
    }
    QElapsedTimer clock;
    clock.start();
    s.sender.SendLong(longMessage);
    ASSERT_TRUE(waitFor([&] { return s.empty.count() == 1; }));
    EXPECT_GE(clock.elapsed(), 2 * 30 - 5) << "two gaps at least";
    const auto sent = s.loop.driver->sent("Loop A");
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(concat(sent), longMessage);
}

TEST(MidiSender, AMessagePauseAndPauseTogetherAddUp)
{
    // For the slowest old interfaces both are on: the gap after a long
    // message is the message pause and the 55 ms together, not either alone.
    SenderSetup s;
    s.sender.SetPause(true);
    s.sender.SetMessagePause(40);
    std::vector<qint64> leftAt;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&s.port, &TMidiOutput::Onmidioutput, &s.port,
                     [&] { leftAt.push_back(clock.elapsed()); });
    s.sender.SendLong(concat({dataSet(24, 1), dataSet(24, 2)}));
    s.sender.SendLong(dataSet(24, 3));
    ASSERT_TRUE(waitFor([&] { return s.empty.count() == 1; }));
    ASSERT_EQ(leftAt.size(), 3u);
    // Lower bounds only: a busy machine may make gaps longer, never shorter.
    EXPECT_GE(leftAt[1] - leftAt[0], 40 - 5) << "inside a long message: the message pause";
    EXPECT_GE(leftAt[2] - leftAt[1], 40 + MidiSender::PauseMs - 5) << "after it: both";
}

TEST(MidiSender, AFailureIsReportedAndTheRestStillGoes)
{
    SenderSetup s;
    s.sender.SendLong(dataSet(141, 1));
    Bytes tooLong(70000, 0x10);
    s.sender.SendLong(tooLong); // refused by the port
    s.sender.SendLong(dataSet(141, 3));
    ASSERT_TRUE(waitFor([&] { return s.empty.count() == 1; }));
    ASSERT_EQ(s.failed.count(), 1);
    EXPECT_NE(s.failed.at(0).at(0).toString().indexOf("65535"), -1);
    EXPECT_EQ(s.loop.driver->sent("Loop A"),
              (std::vector<Bytes>{dataSet(141, 1), dataSet(141, 3)}));
}

TEST(MidiSender, AClosedPortIsReportedForEachMessage)
{
    SenderSetup s;
    s.port.Close();
    s.sender.SendLong(dataSet(141, 1));
    s.sender.SendLong(dataSet(141, 2));
    ASSERT_TRUE(waitFor([&] { return s.empty.count() == 1; }));
    ASSERT_EQ(s.failed.count(), 2);
    EXPECT_EQ(s.failed.at(0).at(0).toString(), "MIDI Output device not open");
}

TEST(MidiSender, BytesFinishedCatchUpWithBytesGivenWhateverBecomesOfThem)
{
    SenderSetup s;
    s.loop.driver->setBytesPerSecond(5000); // slow: most still in flight at the close
    s.port.Close();
    ASSERT_TRUE(s.port.Open());
    QSignalSpy finished(&s.sender, &MidiSender::bytesFinished);
    for (int i = 0; i < 10; ++i)
        s.sender.SendLong(dataSet(141, i));
    s.sender.SendLong(Bytes(70000, 0x10)); // refused by the port
    EXPECT_EQ(s.sender.BytesGiven(), 10u * 141u + 70000u);
    ASSERT_TRUE(waitFor([&] { return s.sender.BytesFinished() >= 70000u + 141u; }));
    EXPECT_LT(s.sender.BytesFinished(), s.sender.BytesGiven()) << "counted as they leave";
    // Closing drops what had not left; those bytes are finished too, or a
    // transfer watching them would never end.
    s.port.Close();
    ASSERT_TRUE(waitFor([&] { return s.sender.IsIdle(); }));
    EXPECT_EQ(s.sender.BytesFinished(), s.sender.BytesGiven());
    EXPECT_EQ(finished.last().at(0).toULongLong(), s.sender.BytesGiven());
}

TEST(MidiSender, ASmallFileGoesAsOneLongMessage)
{
    SenderSetup s;
    QSignalSpy done(&s.port, &TMidiOutput::Onmidioutput);
    TempDir dir;
    Bytes file;
    for (int i = 0; i < 10; ++i) {
        const Bytes m = dataSet(141, i);
        file.insert(file.end(), m.begin(), m.end());
    }
    writeFile(dir.file("small.syx"), file);
    EXPECT_TRUE(s.sender.SendFile(QString::fromStdString(dir.file("small.syx"))));
    ASSERT_TRUE(waitFor([&] { return s.empty.count() == 1; }));
    EXPECT_EQ(done.count(), 1);
    EXPECT_EQ(s.loop.driver->sentBytes("Loop A"), file);
}

TEST(MidiSender, ALongFileIsCutOnlyBetweenMessages)
{
    SenderSetup s;
    QSignalSpy done(&s.port, &TMidiOutput::Onmidioutput);
    TempDir dir;
    Bytes file;
    for (int i = 0; i < 1000; ++i) { // 141,000 bytes
        const Bytes m = dataSet(141, i);
        file.insert(file.end(), m.begin(), m.end());
    }
    writeFile(dir.file("big.syx"), file);
    EXPECT_TRUE(s.sender.SendFile(QString::fromStdString(dir.file("big.syx"))));
    ASSERT_TRUE(waitFor([&] { return s.empty.count() == 1; }, 20000));
    EXPECT_EQ(done.count(), 3) << "three long messages of at most 65,535 bytes";
    const auto sent = s.loop.driver->sent("Loop A");
    ASSERT_EQ(sent.size(), 1000u) << "and every Data Set message whole";
    EXPECT_EQ(concat(sent), file);
}

TEST(MidiSender, AFileWithAnOversizedMessageIsRefusedBeforeAnythingIsSent)
{
    SenderSetup s;
    TempDir dir;
    Bytes file = dataSet(141, 1);
    Bytes big(70000, 0x11);
    big.front() = 0xF0;
    big.back() = 0xF7;
    file.insert(file.end(), big.begin(), big.end());
    writeFile(dir.file("bad.syx"), file);
    EXPECT_FALSE(s.sender.SendFile(QString::fromStdString(dir.file("bad.syx"))));
    ASSERT_EQ(s.failed.count(), 1);
    EXPECT_NE(s.failed.at(0).at(0).toString().indexOf("70000"), -1);
    QTest::qWait(50);
    EXPECT_TRUE(s.loop.driver->sent("Loop A").empty());
    EXPECT_TRUE(s.sender.IsIdle());
}

TEST(MidiSender, AMissingFileIsReportedAndAnEmptyOneSendsNothing)
{
    SenderSetup s;
    TempDir dir;
    EXPECT_FALSE(s.sender.SendFile(QString::fromStdString(dir.file("none.syx"))));
    EXPECT_EQ(s.failed.count(), 1);
    writeFile(dir.file("empty.syx"), {});
    EXPECT_TRUE(s.sender.SendFile(QString::fromStdString(dir.file("empty.syx"))));
    QTest::qWait(50);
    EXPECT_TRUE(s.loop.driver->sent("Loop A").empty());
    EXPECT_EQ(s.failed.count(), 1);
}

TEST(MidiSender, OutlivesItsPort)
{
    LoopbackSetup loop;
    MidiSender sender;
    QSignalSpy empty(&sender, &MidiSender::queueEmpty);
    QSignalSpy failed(&sender, &MidiSender::sendFailed);
    {
        TMidiOutput port(loop.registry);
        sender.SetOutput(&port);
        ASSERT_TRUE(port.Open());
    }
    sender.SendLong(dataSet(24, 1));
    ASSERT_TRUE(waitFor([&] { return empty.count() == 1; }));
    EXPECT_EQ(failed.count(), 1);
}

// An edit is heard without waiting for the window to paint: it reaches the
// device with no turn of the event loop. It never overtakes what waits before
// it, and a failure is still reported on a later turn, not inside the edit.
TEST(MidiSender, AnEditGoesAtOnceInItsPlaceAndFailsLater)
{
    SenderSetup s;
    const Bytes edit = dataSet(14, 1);
    s.sender.SendLongNow(edit);
    for (int i = 0; i < 2000 && s.loop.driver->sent("Loop A").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(s.loop.driver->sent("Loop A"), std::vector<Bytes>{edit}) << "no turn was needed";
    ASSERT_TRUE(waitFor([&] { return s.empty.count() == 1; }));

    // Queued first, so the edit waits for it.
    s.loop.driver->clearSent("Loop A");
    const Bytes dump = dataSet(141, 2);
    s.sender.SendLong(dump);
    s.sender.SendLongNow(edit);
    EXPECT_TRUE(s.loop.driver->sent("Loop A").empty());
    ASSERT_TRUE(waitFor([&] { return s.empty.count() == 2; }));
    EXPECT_EQ(s.loop.driver->sent("Loop A"), (std::vector<Bytes>{dump, edit}));

    s.sender.SendLongNow(Bytes(70000, 0x10)); // refused by the port
    EXPECT_EQ(s.failed.count(), 0) << "reported inside the edit";
    ASSERT_TRUE(waitFor([&] { return s.failed.count() == 1 && s.empty.count() == 3; }));
    EXPECT_NE(s.failed.at(0).at(0).toString().indexOf("65535"), -1);
    EXPECT_EQ(s.sender.BytesFinished(), s.sender.BytesGiven());
}

TEST(MidiSender, MessagesForTheInstrumentCarryItsDeviceId)
{
    // An image saved from an instrument set to another device ID: sent as
    // stored, every message would be ignored by the instrument in silence.
    Bytes image = initialImage();
    for (ByteView m : splitSysex(image))
        image[std::size_t(m.data() - image.data()) + 2] = 0x11;
    const Bytes other = fromHex("F0 41 11 6A 12 03 00 00 00 05 78 F7 F0 43 11 4C 00 F7");
    Bytes expected = initialImage();
    expected.insert(expected.end(), other.begin(), other.end());
    Bytes given = image;
    given.insert(given.end(), other.begin(), other.end());

    SenderSetup s;
    EXPECT_EQ(s.sender.InstrumentDeviceId(), DeviceId);
    TempDir dir;
    writeFile(dir.file("image.syx"), given);
    s.sender.SendLong(given);
    s.sender.SendLongNow(given);
    EXPECT_TRUE(s.sender.SendFile(QString::fromStdString(dir.file("image.syx"))));
    ASSERT_TRUE(waitFor([&] { return s.empty.count() >= 1 && s.sender.IsIdle(); }));
    EXPECT_EQ(s.loop.driver->sentBytes("Loop A"), concat({expected, expected, expected}))
        << "MC-505 messages stamped, the checksums and other models' messages as they were";

    // An instrument known to use another device ID gets that one.
    s.sender.SetInstrumentDeviceId(0x11);
    s.sender.SendLong(initialImage());
    ASSERT_TRUE(waitFor([&] { return s.empty.count() >= 2 && s.sender.IsIdle(); }));
    const Bytes all = s.loop.driver->sentBytes("Loop A");
    EXPECT_EQ(Bytes(all.end() - std::ptrdiff_t(image.size()), all.end()), image);
}
