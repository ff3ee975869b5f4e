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
#include "transfer/dumpreceiver.h"

#include "support/jackinstrumentpeer.h"
#include "support/jacksuite.h"
#include "support/knownimage.h"
#include "support/testutil.h"

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
