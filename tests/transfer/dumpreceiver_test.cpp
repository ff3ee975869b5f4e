// SPDX-License-Identifier: GPL-3.0-or-later
// Receiving dumps on the loopback driver, the test playing the instrument: it
// waits for the Data Request the program sends and answers with the messages
// of a known image, cut into pieces as a driver may deliver them, with other
// traffic in between.
#include "midi/loopbackdriver.h"
#include "midi/midideviceregistry.h"
#include "midi/midisender.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"
#include "transfer/dumpreceiver.h"

#include "support/knownimage.h"
#include "support/testutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace dorvane;
using namespace dorvane::test;

namespace {

constexpr char Instrument[] = "MC-505";

struct Delivery
{
    bool isShort;
    Bytes bytes;
};

// The bytes cut into pieces of the given sizes in turn (cuts fall anywhere,
// inside messages too), with a note, a clock and an active sensing between pieces.
std::vector<Delivery> inPieces(const Bytes& bytes, std::vector<std::size_t> sizes = {700, 333, 1},
                               bool shortsBetween = true)
{
    std::vector<Delivery> list;
    std::size_t at = 0;
    for (std::size_t i = 0; at < bytes.size(); ++i) {
        const std::size_t n = std::min(sizes[i % sizes.size()], bytes.size() - at);
        list.push_back({false, Bytes(bytes.begin() + std::ptrdiff_t(at),
                                     bytes.begin() + std::ptrdiff_t(at + n))});
        at += n;
        if (shortsBetween && at < bytes.size()) {
            list.push_back({true, {0x90, 0x3C, 0x64}});
            list.push_back({true, {0xF8}});
            list.push_back({true, {0xFE}});
        }
    }
    return list;
}

// One delivery per message, as the instrument and most drivers hand them over.
std::vector<Delivery> perMessage(const Bytes& bytes)
{
    std::vector<Delivery> list;
    for (const Bytes& m : messagesOf(bytes))
        list.push_back({false, m});
    return list;
}

} // namespace

class DumpReception : public ::testing::Test
{
protected:
    void SetUp() override
    {
        driver->addDevice(Instrument);
        driver->setEcho(Instrument, false);
        registry.addSource(driver);
        // As the main window sets up its input port.
        input.SetCapacity(2048);
        input.SetSysexBufferSize(5120);
        input.SetSysexBufferCount(32);
        input.SetSysexOnly(true);
        input.SetProductName(Instrument);
        input.Open();
        ASSERT_EQ(input.State(), misOpen);
        output.SetProductName(Instrument);
        ASSERT_TRUE(output.Open());
        sender.SetOutput(&output);
        receiver.SetTempFile(QString::fromStdString(dir.file("cache/temp")));
        QObject::connect(&receiver, &DumpReceiver::finished,
                         [this](const DumpResult& r) { results.push_back(r); });
        QObject::connect(&receiver, &DumpReceiver::progress, [this](qint64 got, qint64 expected) {
            progress.emplace_back(got, expected);
        });
    }

    // The program's side of a Get command: start, then send the request.
    void getAll()
    {
        receiver.startAll();
        sender.SendLong(requestAllMessage());
    }
    void getPart(int part)
    {
        receiver.startPart(part);
        sender.SendLong(requestMessageForPart(part));
    }

    // The instrument's side: the request arrives, the answer goes out.
    void answer(const Bytes& request, const std::vector<Delivery>& deliveries)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !driver->sent(Instrument).empty(); }, 5000));
        ASSERT_EQ(hex(driver->sent(Instrument).back()), hex(request));
        driver->clearSent(Instrument);
        feed(deliveries);
    }

    // In batches that fit the port's sysex buffers, each taken in by the main
    // thread before the next goes out, as a driver at the wire rate would see it.
    void feed(const std::vector<Delivery>& deliveries, std::size_t batch = 16)
    {
        std::size_t inBatch = 0;
        for (const Delivery& d : deliveries) {
            ASSERT_TRUE(d.isShort ? driver->feedShort(Instrument, d.bytes)
                                  : driver->feedLong(Instrument, d.bytes));
            if (++inBatch == batch) {
                inBatch = 0;
                ASSERT_TRUE(driver->waitUntilDelivered(Instrument, 5000));
                ASSERT_TRUE(QTest::qWaitFor(
                    [&] { return input.PendingEventCount() == 0 || !receiver.IsReceiving(); },
                    5000));
            }
        }
        ASSERT_TRUE(driver->waitUntilDelivered(Instrument, 5000));
    }

    // Lets the main thread take in everything delivered.
    void settle() { QTest::qWait(50); }

    bool waitForResult()
    {
        return QTest::qWaitFor([&] { return !results.empty(); }, 5000);
    }

    TempDir dir;
    std::shared_ptr<LoopbackDriver> driver = std::make_shared<LoopbackDriver>();
    MidiDeviceRegistry registry;
    TMidiInput input{registry};
    TMidiOutput output{registry};
    MidiSender sender;
    DumpReceiver receiver{&input};
    std::vector<DumpResult> results;
    std::vector<std::pair<qint64, qint64>> progress;
};

TEST_F(DumpReception, AWholeImageInPiecesEndsByItselfAndLoads)
{
    const Bytes image = knownImage(2);
    getAll();
    answer(requestAllMessage(), inPieces(image));
    ASSERT_TRUE(waitForResult());
    EXPECT_FALSE(receiver.IsReceiving());

    const DumpResult& r = results.front();
    EXPECT_TRUE(r.completedAutomatically);
    EXPECT_EQ(r.mode, ReceiveMode::AllParts);
    EXPECT_EQ(r.received, image);
    ASSERT_TRUE(r.loadable()) << r.status.toStdString();
    EXPECT_EQ(*r.block, image);
    EXPECT_EQ(r.status, "Received 9054 bytes: loaded");
    EXPECT_EQ(readFile(dir.file("cache/temp")), image) << "the raw bytes go to the temp file";

    t505temppatch editor;
    editor.LoadFromBytes(knownImage(7));
    ASSERT_TRUE(r.loadInto(editor));
    EXPECT_EQ(editor.bytes(), image);

    // Progress: the start, then every piece taken in, rising to the expected count.
    ASSERT_GE(progress.size(), 3u);
    EXPECT_EQ(progress.front(), std::make_pair(qint64(0), qint64(ImageSize)));
    EXPECT_EQ(progress.back(), std::make_pair(qint64(ImageSize), qint64(ImageSize)));
    for (std::size_t i = 1; i < progress.size(); ++i) {
        EXPECT_GT(progress[i].first, progress[i - 1].first);
        EXPECT_EQ(progress[i].second, qint64(ImageSize));
    }

    // The port stopped at the end: what comes now is nobody's.
    feed(perMessage(knownImage(3)));
    settle();
    EXPECT_EQ(results.size(), 1u);
    EXPECT_TRUE(receiver.Received().empty());
}

TEST_F(DumpReception, OneByteTooFewOrTooManyIsNotLoadedAndSaysSo)
{
    const Bytes image = knownImage(2);
    Bytes shorter = image;
    shorter.erase(shorter.begin() + 5000); // a data byte of part R goes missing
    Bytes longer = image;
    longer.insert(longer.begin() + 700, 0x00); // a data byte too many in part 2's tone 1

    for (const auto& [bytes, count] : {std::pair{shorter, 9053}, std::pair{longer, 9055}}) {
        results.clear();
        getAll();
        answer(requestAllMessage(), inPieces(bytes, {1000}));
        settle();
        EXPECT_TRUE(receiver.IsReceiving()) << count << " bytes never make a complete dump";
        const auto r = receiver.finish();
        ASSERT_TRUE(r);
        EXPECT_FALSE(r->completedAutomatically);
        EXPECT_FALSE(r->loadable());
        EXPECT_EQ(r->received, bytes);
        EXPECT_EQ(r->status, QString("Received %1 bytes, expected 9054: not loaded").arg(count));
        t505temppatch editor;
        editor.LoadFromBytes(image);
        EXPECT_FALSE(r->loadInto(editor));
        EXPECT_EQ(editor.bytes(), image);
        EXPECT_EQ(readFile(dir.file("cache/temp")), bytes);
    }
}

TEST_F(DumpReception, APartDumpLandsInItsPartOnly)
{
    const Bytes instrument = knownImage(2);
    const Bytes before = knownImage(5);
    for (int part : {4, RhythmPart}) {
        results.clear();
        const std::size_t offset = partBlockOffset(part);
        const std::size_t size = partBlockSize(part);
        const Bytes block(instrument.begin() + std::ptrdiff_t(offset),
                          instrument.begin() + std::ptrdiff_t(offset + size));
        getPart(part);
        EXPECT_EQ(receiver.ExpectedCount(), part == RhythmPart ? 4504u : 650u);
        answer(requestMessageForPart(part), inPieces(block, {97, 300}));
        ASSERT_TRUE(waitForResult());
        const DumpResult& r = results.front();
        EXPECT_TRUE(r.completedAutomatically);
        ASSERT_TRUE(r.loadable()) << r.status.toStdString();
        EXPECT_EQ(r.part, part);

        t505temppatch editor;
        editor.LoadFromBytes(before);
        ASSERT_TRUE(r.loadInto(editor));
        Bytes expected = before;
        std::copy(block.begin(), block.end(), expected.begin() + std::ptrdiff_t(offset));
        EXPECT_EQ(editor.bytes(), expected) << "part " << part << " and nothing else changes";
    }
}

TEST_F(DumpReception, ABlockOfTheOtherModeIsNotLoaded)
{
    const Bytes image = knownImage(2);
    // A part's 650 bytes in all-parts mode: too short, so the button ends it.
    getAll();
    answer(requestAllMessage(), perMessage(Bytes(image.begin(), image.begin() + 650)));
    settle();
    auto r = receiver.finish();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, "Received 650 bytes, expected 9054: not loaded");

    // The whole image in current-part mode for part 3: the first 650 bytes make
    // a complete dump by their length, but they are part 1's.
    results.clear();
    getPart(2);
    answer(requestMessageForPart(2), perMessage(image));
    ASSERT_TRUE(waitForResult());
    EXPECT_EQ(results.front().received.size(), 650u);
    EXPECT_FALSE(results.front().loadable());
    EXPECT_EQ(results.front().status,
              "Received 650 bytes, byte 0: the Data Set message of part 1 common does not belong "
              "to part 3: not loaded");
}

TEST_F(DumpReception, BlocksInAnotherOrderArePutInPlaceByAddress)
{
    const Bytes image = knownImage(3);
    auto messages = messagesOf(image);
    std::mt19937 random(42);
    std::shuffle(messages.begin(), messages.end(), random);
    const Bytes shuffled = joined(messages);
    ASSERT_NE(shuffled, image);

    getAll();
    answer(requestAllMessage(), inPieces(shuffled, {512}));
    ASSERT_TRUE(waitForResult());
    const DumpResult& r = results.front();
    EXPECT_EQ(r.received, shuffled) << "received in arrival order";
    EXPECT_EQ(readFile(dir.file("cache/temp")), shuffled);
    ASSERT_TRUE(r.loadable()) << r.status.toStdString();
    EXPECT_EQ(*r.block, image) << "loaded in address order";
}

TEST_F(DumpReception, WrongChecksumsAndForeignMessagesAreRefusedWithAText)
{
    const Bytes image = knownImage(2);
    struct Case
    {
        const char* what;
        Bytes bytes;
        const char* status;
    };
    std::vector<Case> cases;

    Bytes badChecksum = image;
    // Part 3, tone 2 (02 02 12 00): its checksum is the byte before its F7.
    const std::size_t tone2 = 2 * PartBlockSize + CommonMessageSize + ToneMessageSize;
    badChecksum[tone2 + ToneMessageSize - 2] ^= 0x01;
    cases.push_back(
        {"checksum", badChecksum,
         "Received 9054 bytes, byte 1666: wrong checksum in the Data Set message of part "
         "3 tone 2: not loaded"});

    // Part 5's common as another model's Data Set message of the same length.
    auto messages = messagesOf(image);
    Bytes& common5 = messages[4 * MessagesPerPart];
    common5.erase(common5.begin() + 3); // 00 0B -> 0B: one model byte fewer
    common5.insert(common5.end() - 2, 0x00);
    common5[3] = 0x6A;
    cases.push_back({"foreign", joined(messages),
                     "Received 9054 bytes, byte 2600: expected a Data Set message of the 8 part "
                     "image, found a SuperJV/XP message: not loaded"});

    // The same message twice, another missing.
    messages = messagesOf(image);
    messages[1] = messages[6] = messagesOf(image)[1];
    cases.push_back({"twice", joined(messages),
                     "Received 9054 bytes, byte 736: the Data Set message of part 1 tone 1 came "
                     "twice: not loaded"});

    for (const Case& c : cases) {
        ASSERT_EQ(c.bytes.size(), ImageSize) << c.what;
        results.clear();
        getAll();
        answer(requestAllMessage(), inPieces(c.bytes));
        ASSERT_TRUE(waitForResult()) << c.what;
        EXPECT_TRUE(results.front().completedAutomatically) << c.what;
        EXPECT_FALSE(results.front().loadable()) << c.what;
        EXPECT_EQ(results.front().status.toStdString(), c.status) << c.what;
    }
}

TEST_F(DumpReception, AnotherDevicesSysexInTheMiddleSpoilsTheDump)
{
    const Bytes image = knownImage(2);
    const Bytes identity = {0xF0, 0x7E, 0x10, 0x06, 0x02, 0x41, 0x0B, 0x01,
                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF7};
    std::vector<Delivery> deliveries = perMessage(image);
    deliveries.insert(deliveries.begin() + 17, {false, identity});
    getAll();
    answer(requestAllMessage(), deliveries);
    settle();
    ASSERT_TRUE(receiver.IsReceiving()) << "the count passes 9054 without stopping there";
    const auto r = receiver.finish();
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->loadable());
    EXPECT_EQ(r->status, "Received 9069 bytes, expected 9054: not loaded");
}

TEST_F(DumpReception, RandomOrOversizedDataIsNeverLoaded)
{
    // Random bytes, random sysex of exactly the right length, and far too much.
    Bytes framed = randomBytes(ImageSize, 7);
    for (auto& b : framed)
        b &= 0x7F;
    framed.front() = 0xF0;
    framed[4000] = 0xF7;
    framed[4001] = 0xF0;
    framed.back() = 0xF7;
    Bytes huge;
    for (int i = 0; i < 3; ++i) {
        const Bytes image = knownImage(i);
        huge.insert(huge.end(), image.begin(), image.end());
    }
    // A lost F7 joins two messages: the right count, but broken framing.
    Bytes joinedTwo = knownImage(3);
    joinedTwo[CommonMessageSize - 1] = 0x00;
    // Only complete framing of exactly the expected count ends a reception by
    // itself; then the check says why it is not loaded.
    const struct
    {
        const char* what;
        Bytes bytes;
        bool endsByItself;
    } cases[] = {
        {"random", randomBytes(ImageSize, 3), false},
        {"framed", framed, true},
        {"a lost F7", joinedTwo, false},
        {"far too much", huge, false},
    };
    for (const auto& c : cases) {
        results.clear();
        getAll();
        answer(requestAllMessage(), inPieces(c.bytes, {4096}, false));
        settle();
        EXPECT_EQ(receiver.IsReceiving(), !c.endsByItself) << c.what;
        const auto r = receiver.IsReceiving() ? receiver.finish() : results.front();
        ASSERT_TRUE(r);
        EXPECT_EQ(r->completedAutomatically, c.endsByItself) << c.what;
        EXPECT_FALSE(r->loadable()) << r->status.toStdString();
        EXPECT_TRUE(r->status.endsWith(": not loaded")) << r->status.toStdString();
        EXPECT_EQ(r->received, c.bytes);
    }
}

TEST_F(DumpReception, ADumpThatStopsComingEndsByItselfAndSaysSo)
{
    // The instrument switched off, the MIDI system gone: the rest never comes.
    receiver.SetStallTimeout(300);
    const Bytes image = knownImage(2);
    getAll();
    answer(requestAllMessage(), perMessage(Bytes(image.begin(), image.begin() + 4550)));
    ASSERT_TRUE(waitForResult());
    const DumpResult& r = results.front();
    EXPECT_TRUE(r.stalled);
    EXPECT_FALSE(r.completedAutomatically);
    EXPECT_FALSE(r.loadable());
    EXPECT_EQ(r.status, "Received 4550 bytes of 9054, then nothing for 0.3 s: the reception "
                        "stopped, not loaded");
    EXPECT_FALSE(receiver.IsReceiving());

    // Into a file, the musician starts each dump when ready: no time limit.
    results.clear();
    receiver.startFile(QString::fromStdString(dir.file("dump.syx")));
    feed(perMessage(Bytes(image.begin(), image.begin() + 650)));
    QTest::qWait(600);
    EXPECT_TRUE(receiver.IsReceiving());
    EXPECT_TRUE(results.empty());
    receiver.finish();
}

TEST_F(DumpReception, FileModeWritesExactlyWhatArrived)
{
    // Other devices' dumps, one far longer than a sysex buffer, and short messages.
    Bytes longMessage(6000, 0x55);
    longMessage.front() = 0xF0;
    longMessage.back() = 0xF7;
    const Bytes identity = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    std::vector<Delivery> deliveries = {
        {false, identity}, {true, {0xB0, 0x07, 0x64}}, {false, longMessage}, {true, {0xFE}}};
    for (const Delivery& d : perMessage(knownImage(4)))
        deliveries.push_back(d);
    Bytes expected = identity;
    expected.insert(expected.end(), longMessage.begin(), longMessage.end());
    const Bytes image = knownImage(4);
    expected.insert(expected.end(), image.begin(), image.end());

    const QString file = QString::fromStdString(dir.file("dump.syx"));
    receiver.startFile(file);
    EXPECT_EQ(receiver.ExpectedCount(), 0u);
    feed(deliveries);
    settle();
    EXPECT_TRUE(receiver.IsReceiving()) << "any length goes: only the button ends it";
    EXPECT_EQ(progress.back(), std::make_pair(qint64(expected.size()), qint64(0)));
    const auto r = receiver.finish();
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->fileWritten);
    EXPECT_FALSE(r->loadable());
    EXPECT_EQ(readFile(file.toStdString()), expected);
    EXPECT_EQ(readFile(dir.file("cache/temp")), expected);
    EXPECT_EQ(r->status,
              QString("Received %1 bytes: written to %2").arg(expected.size()).arg(file));
    EXPECT_EQ(receiver.Mode(), ReceiveMode::File) << "the mode stays after the end";
}

TEST_F(DumpReception, FileModeSaysWhenTheFileCannotBeWritten)
{
    const std::string file = dir.file("no such folder/dump.syx");
    receiver.startFile(QString::fromStdString(file));
    feed(perMessage(knownImage(1)));
    settle();
    const auto r = receiver.finish();
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->fileWritten);
    EXPECT_TRUE(r->status.startsWith("Received 9054 bytes, not written: Cannot write"))
        << r->status.toStdString();
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(DumpReception, TheButtonTakesWhatArrivedBeforeIt)
{
    const Bytes image = knownImage(2);
    getAll();
    answer(requestAllMessage(), {{false, Bytes(image.begin(), image.begin() + 4000)}});
    // No event loop turn between the delivery and the button: still counted.
    const auto r = receiver.finish();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, "Received 4000 bytes, expected 9054: not loaded");
    EXPECT_EQ(receiver.finish(), std::nullopt) << "nothing to end any more";
}

TEST_F(DumpReception, WhatFollowsAnAutomaticEndStaysOutOfTheNextReception)
{
    const Bytes image = knownImage(2);
    const Bytes tail = {0xF0, 0x41, 0x10, 0x00, 0x0B, 0x12, 0x02,
                        0x00, 0x00, 0x00, 0x40, 0x3E, 0xF7};
    getAll();
    // The image and a stray message after it, delivered before the main thread runs.
    std::vector<Delivery> deliveries = perMessage(image);
    deliveries.push_back({false, tail});
    answer(requestAllMessage(), deliveries);
    ASSERT_TRUE(waitForResult());
    EXPECT_TRUE(results.front().loadable());

    results.clear();
    getAll();
    answer(requestAllMessage(), perMessage(image));
    ASSERT_TRUE(waitForResult());
    EXPECT_EQ(results.front().received, image);
    EXPECT_TRUE(results.front().loadable());
}

TEST_F(DumpReception, ARequestDuringAReceptionKeepsTheBytesAndChangesTheMode)
{
    const Bytes image = knownImage(2);
    getPart(0);
    answer(requestMessageForPart(0), {{false, Bytes(image.begin(), image.begin() + 300)}});
    settle();
    getAll();
    EXPECT_EQ(receiver.Received().size(), 300u);
    answer(requestAllMessage(), {{false, Bytes(image.begin() + 300, image.end())}});
    ASSERT_TRUE(waitForResult());
    EXPECT_EQ(results.front().mode, ReceiveMode::AllParts);
    EXPECT_TRUE(results.front().loadable());
}

TEST_F(DumpReception, AClosedInputReceivesNothing)
{
    input.Close();
    getAll();
    auto r = receiver.finish();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, "Received 0 bytes, expected 9054: not loaded");

    const std::string file = dir.file("empty.syx");
    receiver.startFile(QString::fromStdString(file));
    r = receiver.finish();
    ASSERT_TRUE(r && r->fileWritten);
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_TRUE(readFile(file).empty());
}

TEST_F(DumpReception, AnOverflowEndsTheGetAtOnceWithWhatWasLost)
{
    input.Close();
    input.SetSysexBufferCount(2);
    input.Open();
    // Far beyond the wait below: the end must come from the overflow itself.
    receiver.SetStallTimeout(600000);
    const Bytes image = knownImage(2);
    const std::vector<Bytes> messages = messagesOf(image);
    getAll();
    // Every message delivered before the main thread takes any: two fit.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !driver->sent(Instrument).empty(); }, 5000));
    feed(perMessage(image), MessagesInImage);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !results.empty(); }, 20000)) << "the Get still waits";
    EXPECT_FALSE(receiver.IsReceiving());
    EXPECT_FALSE(receiver.finish());
    const DumpResult& r = results.front();
    EXPECT_TRUE(r.dataLost);
    EXPECT_FALSE(r.loadable());
    const std::size_t kept = messages[0].size() + messages[1].size();
    EXPECT_EQ(r.received, Bytes(image.begin(), image.begin() + std::ptrdiff_t(kept)));
    EXPECT_EQ(r.status.toStdString(),
              "Received " + std::to_string(kept) + " bytes, MIDI input overflowed: " +
                  std::to_string(MessagesInImage - 2) + " messages (" +
                  std::to_string(image.size() - kept) + " bytes) dropped: not loaded");
    EXPECT_EQ(input.OverflowCount(), MessagesInImage - 2);
}

TEST_F(DumpReception, AnInputThatGoesAwayEndsTheReceptionAtOnceAndNothingIsLoaded)
{
    struct Row
    {
        const char* what;
        ReceiveMode mode;
        std::size_t messagesBefore; // of the image, arrived before the device went
    };
    const Row rows[] = {
        {"a Get with nothing come yet", ReceiveMode::AllParts, 0},
        {"a Get in the middle", ReceiveMode::AllParts, 40},
        {"a part's Get in the middle", ReceiveMode::CurrentPart, 3},
        {"a file reception", ReceiveMode::File, 40},
    };
    // Far beyond the wait below: the end must come from the loss itself.
    receiver.SetStallTimeout(600000);
    const Bytes image = knownImage(2);
    const std::vector<Bytes> messages = messagesOf(image);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        results.clear();
        driver->addDevice(Instrument); // back after the row before
        driver->clearSent(Instrument);
        input.Open();
        ASSERT_EQ(input.State(), misOpen);
        ASSERT_TRUE(output.Open());
        const QString file = QString::fromStdString(dir.file("dump.syx"));
        if (row.mode == ReceiveMode::File)
            receiver.startFile(file);
        else if (row.mode == ReceiveMode::CurrentPart)
            getPart(0);
        else
            getAll();
        Bytes arrived;
        std::vector<Delivery> before;
        for (std::size_t i = 0; i < row.messagesBefore; ++i) {
            before.push_back({false, messages[i]});
            arrived.insert(arrived.end(), messages[i].begin(), messages[i].end());
        }
        feed(before);
        driver->removeDevice(Instrument);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !results.empty(); }, 5000))
            << "the reception still waits";
        EXPECT_FALSE(receiver.IsReceiving());
        const DumpResult& r = results.front();
        EXPECT_TRUE(r.inputLost);
        EXPECT_FALSE(r.completedAutomatically);
        EXPECT_FALSE(r.loadable());
        EXPECT_EQ(r.received, arrived) << "what came before the loss is counted";
        const QString count = QString("Received %1 bytes").arg(arrived.size());
        if (row.mode == ReceiveMode::File) {
            EXPECT_TRUE(r.fileWritten);
            EXPECT_EQ(readFile(file.toStdString()), arrived);
            EXPECT_EQ(r.status, count + ": written to " + file + " (the MIDI input " + Instrument +
                                    " is gone)");
        } else {
            EXPECT_EQ(r.status, count + ", the MIDI input " + Instrument + " is gone: not loaded");
        }
        t505temppatch editor;
        editor.LoadFromBytes(knownImage(5));
        EXPECT_FALSE(r.loadInto(editor));
        EXPECT_EQ(editor.bytes(), knownImage(5)) << "the image is as it was";
    }
}

TEST(DumpReceiverTempFile, LivesInTheUsersCacheFolder)
{
    QStandardPaths::setTestModeEnabled(true);
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QString temp = DumpReceiver::defaultTempFile();
    EXPECT_EQ(temp, QDir(cache).filePath("temp"));
    EXPECT_FALSE(temp.startsWith(QCoreApplication::applicationDirPath()));

    DumpReceiver receiver(nullptr);
    EXPECT_EQ(receiver.TempFile(), temp);
    QDir(cache).removeRecursively();
    receiver.startAll();
    const auto r = receiver.finish();
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->tempFileError.isEmpty()) << r->tempFileError.toStdString();
    EXPECT_TRUE(QFileInfo::exists(temp)) << "the cache folder is made when missing";
    QDir(cache).removeRecursively();
    QStandardPaths::setTestModeEnabled(false);
}
