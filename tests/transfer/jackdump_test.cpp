// SPDX-License-Identifier: GPL-3.0-or-later
// "Get 8 Part Sysex" end to end over a real JACK server: Dorvane's ports open
// JACK ports through RtMidi, and a stand-in instrument written on
// python-rtmidi (tests/support/jackinstrument.py) answers the Data Request
// with an image of its own.
#include "midi/midideviceregistry.h"
#include "midi/midisender.h"
#include "midi/rtmididriver.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"
#include "transfer/devicematch.h"
#include "transfer/dumpinput.h"
#include "transfer/dumpreceiver.h"

#include "support/jackinstrumentpeer.h"
#include "support/jacksuite.h"
#include "support/knownimage.h"
#include "support/testutil.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace dorvane;
using namespace dorvane::test;

class JackDump : public JackSuite
{
protected:
    // Gets the whole area from the peer, as "Get 8 Part Sysex from MC-505" does.
    std::optional<DumpResult> getAll(const QStringList& peerOptions, const Bytes& image)
    {
        TempDir dir;
        writeFile(dir.file("peer.syx"), image);
        JackInstrumentPeer peer(dir.file("peer.syx"), peerOptions);
        EXPECT_TRUE(peer.ready());
        MidiDeviceRegistry registry;
        registry.addSource(std::make_shared<RtMidiDriver>());
        const DeviceMatch out = matchDevice(registry.outputNames(), "inst", "output");
        const DeviceMatch in = matchDevice(registry.inputNames(), "inst", "input");
        EXPECT_TRUE(out.id && in.id) << out.problem << in.problem;
        if (!out.id || !in.id)
            return std::nullopt;

        TMidiInput input(registry);
        input.SetCapacity(2048);
        input.SetSysexBufferSize(5120);
        input.SetSysexBufferCount(32);
        input.SetSysexOnly(true);
        input.SetDeviceID(*in.id);
        input.Open();
        EXPECT_EQ(input.State(), misOpen);
        TMidiOutput output(registry);
        output.SetDeviceID(*out.id);
        EXPECT_TRUE(output.Open());
        MidiSender sender;
        sender.SetOutput(&output);
        DumpReceiver receiver(&input);
        receiver.SetTempFile(QString::fromStdString(dir.file("temp")));
        std::optional<DumpResult> result;
        QObject::connect(&receiver, &DumpReceiver::finished,
                         [&](const DumpResult& r) { result = r; });

        receiver.startAll();
        sender.SendLong(requestAllMessage());
        if (!QTest::qWaitFor([&] { return result.has_value(); }, 20000))
            result = receiver.finish();
        EXPECT_EQ(peer.readLine(5000), "ANSWERED 100");
        const auto got = peer.finish();
        EXPECT_EQ(got.size(), 1u) << "the peer was sent the request and nothing else";
        if (!got.empty()) {
            EXPECT_EQ(hex(got.front().bytes), hex(requestAllMessage()));
        }
        return result;
    }
};

TEST_F(JackDump, TheImageLoadedIsThePeersAtTheWireRate)
{
    const Bytes image = knownImage(6);
    const auto r = getAll({"--rate", "3125"}, image);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->completedAutomatically);
    ASSERT_TRUE(r->loadable()) << r->status.toStdString();
    EXPECT_EQ(r->received, image);
    t505temppatch editor;
    editor.LoadFromBytes(knownImage(1));
    ASSERT_TRUE(r->loadInto(editor));
    EXPECT_EQ(editor.bytes(), image);
}

TEST_F(JackDump, APeerAnsweringInAnotherOrderIsPutInPlaceByAddress)
{
    const Bytes image = knownImage(8);
    const auto r = getAll({"--rate", "31250", "--shuffle"}, image);
    ASSERT_TRUE(r);
    ASSERT_TRUE(r->loadable()) << r->status.toStdString();
    EXPECT_NE(r->received, image) << "the peer did shuffle";
    EXPECT_EQ(*r->block, image);
}

TEST_F(JackDump, AnInstrumentThatVanishesInTheMiddleOfAGetLeavesTheImageAsItWas)
{
    constexpr int Before = 30; // messages of the answer that come before it goes
    TempDir dir;
    const Bytes image = knownImage(6);
    writeFile(dir.file("peer.syx"), image);
    JackInstrumentPeer peer(dir.file("peer.syx"),
                            {"--rate", "3125", "--vanish-after", QString::number(Before)});
    ASSERT_TRUE(peer.ready());
    MidiDeviceRegistry registry;
    registry.addSource(std::make_shared<RtMidiDriver>());
    const DeviceMatch out = matchDevice(registry.outputNames(), "inst", "output");
    const DeviceMatch in = matchDevice(registry.inputNames(), "inst", "input");
    ASSERT_TRUE(out.id && in.id) << out.problem << in.problem;

    // As the window sets its ports up.
    TMidiInput input(registry);
    prepareForDumps(input);
    input.SetDeviceID(*in.id);
    input.Open();
    ASSERT_EQ(input.State(), misOpen);
    TMidiOutput output(registry);
    output.SetDeviceID(*out.id);
    ASSERT_TRUE(output.Open());
    MidiSender sender;
    sender.SetOutput(&output);
    DumpReceiver receiver(&input);
    receiver.SetTempFile(QString::fromStdString(dir.file("temp")));
    // Far beyond the waits below: the end must come from the loss itself.
    receiver.SetStallTimeout(600000);
    std::optional<DumpResult> result;
    QObject::connect(&receiver, &DumpReceiver::finished, [&](const DumpResult& r) { result = r; });
    QSignalSpy outputLost(&output, &TMidiOutput::deviceLost);
    QSignalSpy inputLost(&input, &TMidiInput::deviceLost);

    t505temppatch editor;
    editor.LoadFromBytes(knownImage(1));
    receiver.startAll();
    sender.SendLong(requestAllMessage());
    // The answer takes about three seconds at the wire rate; the peer goes
    // after a third of a second.
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 20000))
        << "the Get still waits";
    ASSERT_TRUE(QTest::qWaitFor([&] { return outputLost.count() == 1; }, 10000));
    ASSERT_EQ(peer.readLine(5000), "VANISHED");

    EXPECT_TRUE(result->inputLost);
    EXPECT_FALSE(result->completedAutomatically);
    const auto messages = messagesOf(image);
    Bytes arrived;
    for (int i = 0; i < Before; ++i)
        arrived.insert(arrived.end(), messages[std::size_t(i)].begin(),
                       messages[std::size_t(i)].end());
    EXPECT_EQ(hex(result->received), hex(arrived)) << "what came before is counted";
    EXPECT_EQ(result->status.toStdString(), "Received " + std::to_string(arrived.size()) +
                                                " bytes, the MIDI input inst-out:out is gone: "
                                                "not loaded");
    EXPECT_FALSE(result->loadable());
    EXPECT_FALSE(result->loadInto(editor));
    EXPECT_EQ(editor.bytes(), knownImage(1)) << "the image is as it was";
    EXPECT_EQ(inputLost.count(), 1);
    EXPECT_EQ(outputLost.at(0).at(0).toString(), "The MIDI output inst:in is gone");
    EXPECT_EQ(input.State(), misClosed);
    EXPECT_FALSE(output.IsOpen());
    peer.finish();
}
