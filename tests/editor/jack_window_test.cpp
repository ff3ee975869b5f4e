// SPDX-License-Identifier: GPL-3.0-or-later
// "Get 8 Part Sysex from MC-505" and Send and Verify in the running window
// over a real JACK server, answered by a stand-in instrument written on
// python-rtmidi.
#include "windowrig.h"

#include "editor/differencespanel.h"
#include "editor/verifycommands.h"

#include "midi/rtmididriver.h"
#include "patch/initialpatch.h"
#include "support/jackinstrumentpeer.h"
#include "support/jackserver.h"
#include "transfer/devicematch.h"
#include "transfer/dumpreceiver.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::WindowRig;

namespace {

// The window on the system's MIDI (RtMidi over JACK) instead of the loopback,
// with the stand-in instrument's ports chosen; empty when they are not there.
std::unique_ptr<MainWindow> openOnJackInstrument(WindowRig& rig, MidiDeviceRegistry& jack)
{
    jack.addSource(std::make_shared<RtMidiDriver>());
    const DeviceMatch out = matchDevice(jack.outputNames(), "inst", "output");
    const DeviceMatch in = matchDevice(jack.inputNames(), "inst", "input");
    if (!out.id || !in.id) {
        ADD_FAILURE() << out.problem << in.problem;
        return nullptr;
    }
    rig.store("midiout", QString::number(*out.id));
    rig.store("midiin", QString::number(*in.id));
    rig.store("autotrig", "0");
    MainWindow::Setup setup;
    setup.dialogs = &rig.dialogs;
    setup.settings = std::make_unique<SettingsStore>(rig.iniFile());
    setup.programFolder = QString::fromStdString(rig.dir.path().string());
    setup.devices = &jack;
    setup.dataFolder = rig.dataFolder();
    auto window = std::make_unique<MainWindow>(std::move(setup));
    window->show();
    return window;
}

} // namespace

TEST(JackWindow, GetEightPartsLoadsThePeersImage)
{
    std::unique_ptr<test::JackServer> server;
    try {
        server = std::make_unique<test::JackServer>();
    } catch (const std::exception& e) {
        FAIL() << "no JACK server: " << e.what();
    }
    t505temppatch peerImage;
    peerImage.LoadFromBytes(initialImage());
    peerImage.SetPatchName(6, "FROM JACK");
    peerImage.WriteByte(9, 40, 27, 33);
    const Bytes image = peerImage.AllBytes();

    test::TempDir dir;
    test::writeFile(dir.file("peer.syx"), image);
    test::JackInstrumentPeer peer(dir.file("peer.syx"), {"--shuffle"});
    ASSERT_TRUE(peer.ready());

    WindowRig rig;
    MidiDeviceRegistry jack;
    std::unique_ptr<MainWindow> window = openOnJackInstrument(rig, jack);
    ASSERT_TRUE(window);
    MainWindow& w = *window;

    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return w.sheets().pages()->isVisible(); }, 20000))
        << "the dump never completed: " << w.frame().statusText().toStdString();
    EXPECT_EQ(w.image().bytes(), image) << "a shuffled dump is put in place by address";
    EXPECT_EQ(w.image().GetPatchName(6), "FROM JACK");
    rig.dialogs.answers.push_back(true);
    w.close();
}

TEST(JackWindow, TheServerGoneInTheMiddleOfAGetStopsTheReceptionAndChangesNothing)
{
    std::unique_ptr<test::JackServer> server;
    try {
        server = std::make_unique<test::JackServer>();
    } catch (const std::exception& e) {
        FAIL() << "no JACK server: " << e.what();
    }
    t505temppatch peerImage;
    peerImage.LoadFromBytes(initialImage());
    peerImage.SetPatchName(0, "NEVER HERE");
    test::TempDir dir;
    test::writeFile(dir.file("peer.syx"), peerImage.AllBytes());
    // At the wire rate the dump takes three seconds: time to pull the plug.
    test::JackInstrumentPeer peer(dir.file("peer.syx"), {"--rate", "3125"});
    ASSERT_TRUE(peer.ready());

    WindowRig rig;
    MidiDeviceRegistry jack;
    std::unique_ptr<MainWindow> window = openOnJackInstrument(rig, jack);
    ASSERT_TRUE(window);
    MainWindow& w = *window;
    const Bytes before = w.image().bytes();

    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    ASSERT_TRUE(
        test::waitUntil([&] { return w.transfers().receiver().Received().size() >= 700; }, 20000))
        << "the dump never started: " << w.frame().statusText().toStdString();
    server->stop();

    ASSERT_TRUE(test::waitUntil([&] { return w.sheets().pages()->isVisible(); }, 15000))
        << "the reception never ended: " << w.frame().statusText().toStdString();
    EXPECT_TRUE(w.frame().statusText().contains("the reception stopped, not loaded"))
        << w.frame().statusText().toStdString();
    EXPECT_EQ(w.image().bytes(), before);
    EXPECT_FALSE(w.transfers().receiver().IsReceiving());

    // The window goes on: an edit to a port whose server is gone, then the end.
    TDragTweak* cutoff = w.sheets().control("cutoff");
    cutoff->SetPosition(30);
    test::release(cutoff, QPoint(2, 2));
    EXPECT_EQ(w.image().ReadByte(0, 1, 81), 30);
    rig.dialogs.answers.push_back(true);
    w.close();
}

TEST(JackWindow, AnInstrumentOrServerThatGoesAwayLeavesEveryPartNotKnown)
{
    struct Row
    {
        const char* how;
        bool serverEnds; // else the instrument's own ports go
    };
    for (const Row row : {Row{"the instrument's ports go", false}, Row{"the server ends", true}}) {
        std::unique_ptr<test::JackServer> server;
        try {
            server = std::make_unique<test::JackServer>();
        } catch (const std::exception& e) {
            FAIL() << "no JACK server: " << e.what();
        }
        test::TempDir dir;
        test::writeFile(dir.file("peer.syx"), initialImage());
        auto peer = std::make_unique<test::JackInstrumentPeer>(dir.file("peer.syx"));
        ASSERT_TRUE(peer->ready()) << row.how;

        WindowRig rig;
        MidiDeviceRegistry jack;
        std::unique_ptr<MainWindow> window = openOnJackInstrument(rig, jack);
        ASSERT_TRUE(window) << row.how;
        MainWindow& w = *window;
        rig.dialogs.answers.push_back(true);
        w.frame().action("Get8Part")->trigger();
        ASSERT_TRUE(test::waitUntil([&] { return w.sheets().pages()->isVisible(); }, 20000))
            << row.how;
        ASSERT_EQ(w.session().partSync(0), PartSync::InStep) << row.how;

        if (row.serverEnds)
            server->stop();
        else
            peer.reset();
        // The port's own watch notices, with nothing sent.
        ASSERT_TRUE(test::waitUntil([&] { return !w.midiOutput().IsOpen(); },
                                    5 * TMidiOutput::DeviceCheckMs))
            << row.how;
        for (int i = 0; i < EditSession::PartCount; ++i)
            EXPECT_EQ(w.session().partSync(i), PartSync::NotKnown) << row.how << " " << i;
        EXPECT_TRUE(w.frame().statusText().contains("is gone"))
            << w.frame().statusText().toStdString();

        TDragTweak* cutoff = w.sheets().control("cutoff");
        cutoff->SetPosition(cutoff->Position() == 30 ? 31 : 30);
        test::release(cutoff, QPoint(2, 2));
        EXPECT_EQ(w.session().partSync(0), PartSync::ChangedHere) << row.how;
        rig.dialogs.answers.push_back(true);
        w.close();
    }
}

TEST(JackWindow, SendAndVerifyNamesTheParameterThePeerSpoiltAndKeepMineMendsIt)
{
    std::unique_ptr<test::JackServer> server;
    try {
        server = std::make_unique<test::JackServer>();
    } catch (const std::exception& e) {
        FAIL() << "no JACK server: " << e.what();
    }
    test::TempDir dir;
    test::writeFile(dir.file("peer.syx"), initialImage());
    // Part 3 goes as its common, tone 1, tone 2, ...: the third Data Set the
    // peer hears is tone 2's, and it keeps its Cutoff Frequency as 64. The
    // send after it arrives as sent.
    test::JackInstrumentPeer peer(dir.file("peer.syx"),
                                  {"--rate", "31250", "--corrupt-received", "3:81:64"});
    ASSERT_TRUE(peer.ready());

    WindowRig rig;
    MidiDeviceRegistry jack;
    std::unique_ptr<MainWindow> window = openOnJackInstrument(rig, jack);
    ASSERT_TRUE(window);
    MainWindow& w = *window;
    w.sheets().selectPart(2);
    w.image().WriteByte(2, 2, 81, 107);

    w.frame().action("SendVerifyPart")->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return !w.verify().verifying(); }, 20000))
        << w.frame().statusText().toStdString();
    ASSERT_EQ(w.frame().shownInSheetArea(), w.verify().differencesPage())
        << w.frame().statusText().toStdString();
    const std::vector<ImageDifference>& rows = w.verify().differencesPanel()->differences();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(differenceSentence(rows[0]),
              "Part 3, Tone 2, Cutoff Frequency: 107 here, 64 on the instrument");
    const QTableWidget* table = w.verify().differencesPanel()->table();
    EXPECT_EQ(table->item(0, DifferencesPanel::HereColumn)->text(), "107");
    EXPECT_EQ(table->item(0, DifferencesPanel::ThereColumn)->text(), "64");
    EXPECT_EQ(w.session().partSync(2), PartSync::ChangedHere);
    EXPECT_EQ(w.frame().statusText(), "Verify: 1 parameter differs in part 3 on the MC-505");

    w.verify().differencesPanel()->keepMineButton(2)->click();
    ASSERT_TRUE(test::waitUntil([&] { return !w.verify().verifying(); }, 20000))
        << w.frame().statusText().toStdString();
    EXPECT_EQ(w.frame().statusText(), "Verified: the MC-505 holds part 3 as sent");
    EXPECT_EQ(w.session().partSync(2), PartSync::InStep);
    EXPECT_TRUE(w.sheets().pages()->isVisible());
    rig.dialogs.answers.push_back(true);
    w.close();
    window.reset();

    // What the peer heard: the part twice, each time asked back after it.
    std::vector<std::string> kinds;
    for (const auto& m : peer.finish())
        if (m.bytes.size() > 5 && m.bytes[1] == RolandId)
            kinds.push_back(m.bytes[5] == DataRequestCommand ? "request" : "set");
    EXPECT_EQ(kinds, (std::vector<std::string>{"set", "set", "set", "set", "set", "request", "set",
                                               "set", "set", "set", "set", "request"}));
}
