// SPDX-License-Identifier: GPL-3.0-or-later
// The running window over a real JACK server, talking to stand-in instruments
// written on python-rtmidi: "Get 8 Part Sysex from MC-505", the server or the
// instrument gone (and the instrument back), "Find Instrument" and Send and
// Verify.
#include "windowrig.h"

#include "editor/differencespanel.h"
#include "editor/findinstrumentpanel.h"
#include "editor/verifycommands.h"
#include "midi/builtininstrument.h"
#include "midi/rtmididriver.h"
#include "midi/tmidiinput.h"
#include "patch/initialpatch.h"
#include "patch/parameteraddress.h"
#include "support/jackinstrumentpeer.h"
#include "support/jackserver.h"
#include "transfer/devicematch.h"
#include "transfer/dumpreceiver.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace dorvane;

namespace {

// Each test on a private JACK server of its own (some end it), with stand-in
// instruments on it and the window on the system's MIDI (RtMidi over JACK)
// instead of the loopback. Members end in reverse: the window first, the
// server last.
class JackWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        try {
            server = std::make_unique<test::JackServer>();
        } catch (const std::exception& e) {
            FAIL() << "no JACK server: " << e.what();
        }
    }

    // A stand-in instrument answering with the image's messages; extra
    // arguments as tests/support/jackinstrumentpeer.h lists them.
    test::JackInstrumentPeer& addPeer(const Bytes& image, const QStringList& extra = {})
    {
        const std::string file = dir.file("peer" + std::to_string(peers.size()) + ".syx");
        test::writeFile(file, image);
        return *peers.emplace_back(std::make_unique<test::JackInstrumentPeer>(file, extra));
    }

    enum class Ports
    {
        Instrument, // those of the stand-in named "inst"
        NoneChosen,
    };

    // The window on JACK's ports as they are now (the stand-ins started
    // before), then the drivers given after them; nothing when the ports to
    // choose are not there.
    MainWindow* open(Ports ports = Ports::Instrument,
                     const std::vector<std::shared_ptr<MidiDriver>>& after = {})
    {
        jack.addSource(std::make_shared<RtMidiDriver>());
        for (const auto& driver : after)
            jack.addSource(driver);
        if (ports == Ports::Instrument) {
            const DeviceMatch out = matchDevice(jack.outputNames(), "inst", "output");
            const DeviceMatch in = matchDevice(jack.inputNames(), "inst", "input");
            if (!out.id || !in.id) {
                ADD_FAILURE() << out.problem << in.problem;
                return nullptr;
            }
            rig.store("midiout", QString::number(*out.id));
            rig.store("midiin", QString::number(*in.id));
        }
        rig.store("autotrig", "0");
        MainWindow::Setup setup;
        setup.dialogs = &rig.dialogs;
        setup.settings = std::make_unique<SettingsStore>(rig.iniFile());
        setup.programFolder = QString::fromStdString(rig.dir.path().string());
        setup.devices = &jack;
        setup.dataFolder = rig.dataFolder();
        rig.window = std::make_unique<MainWindow>(std::move(setup));
        rig.window->show();
        test::waitUntil([&] { return rig.window->deviceSetup().portsStarted(); });
        return rig.window.get();
    }

    std::unique_ptr<test::JackServer> server;
    test::TempDir dir;
    std::vector<std::unique_ptr<test::JackInstrumentPeer>> peers;
    MidiDeviceRegistry jack;
    test::WindowRig rig;
};

} // namespace

TEST_F(JackWindow, GetEightPartsLoadsThePeersImage)
{
    t505temppatch peerImage;
    peerImage.LoadFromBytes(initialImage());
    peerImage.SetPatchName(6, "FROM JACK");
    peerImage.WriteByte(9, 40, 27, 33);
    const Bytes image = peerImage.AllBytes();
    ASSERT_TRUE(addPeer(image, {"--shuffle"}).ready());
    MainWindow* window = open();
    ASSERT_TRUE(window);
    MainWindow& w = *window;

    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return w.sheets().pages()->isVisible(); }, 20000))
        << "the dump never completed: " << w.frame().statusText().toStdString();
    EXPECT_EQ(w.image().bytes(), image) << "a shuffled dump is put in place by address";
    EXPECT_EQ(w.image().GetPatchName(6), "FROM JACK");
    rig.closeWindow();
}

TEST_F(JackWindow, TheServerGoneInTheMiddleOfAGetStopsTheReceptionAndChangesNothing)
{
    t505temppatch peerImage;
    peerImage.LoadFromBytes(initialImage());
    peerImage.SetPatchName(0, "NEVER HERE");
    // At the wire rate the dump takes three seconds: time to pull the plug.
    ASSERT_TRUE(addPeer(peerImage.AllBytes(), {"--rate", "3125"}).ready());
    MainWindow* window = open();
    ASSERT_TRUE(window);
    MainWindow& w = *window;
    const Bytes before = w.image().bytes();

    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    ASSERT_TRUE(
        test::waitUntil([&] { return w.transfers().receiver().Received().size() >= 700; }, 20000))
        << "the dump never started: " << w.frame().statusText().toStdString();
    server->stop();

    // The input's own device is gone with the server: the reception ends at
    // once and says so, without waiting for the dump to stall.
    ASSERT_TRUE(test::waitUntil([&] { return w.sheets().pages()->isVisible(); }, 15000))
        << "the reception never ended: " << w.frame().statusText().toStdString();
    EXPECT_TRUE(w.frame().statusText().contains("the MIDI input inst-out:out is gone: not loaded"))
        << w.frame().statusText().toStdString();
    EXPECT_EQ(w.image().bytes(), before);
    EXPECT_FALSE(w.transfers().receiver().IsReceiving());

    // The window goes on: an edit to a port whose server is gone, then the end.
    rig.release("cutoff", 30);
    EXPECT_EQ(w.image().ReadByte(0, 1, 81), 30);
    rig.closeWindow();
}

// What goes away under a window that got the instrument's image.
class JackWindowGone : public JackWindow, public ::testing::WithParamInterface<bool>
{
};

TEST_P(JackWindowGone, LeavesEveryPartNotKnown)
{
    const bool serverEnds = GetParam(); // else the instrument's own ports go
    ASSERT_TRUE(addPeer(initialImage()).ready());
    MainWindow* window = open();
    ASSERT_TRUE(window);
    MainWindow& w = *window;
    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return w.sheets().pages()->isVisible(); }, 20000));
    ASSERT_EQ(w.session().partSync(0), PartSync::InStep);

    if (serverEnds)
        server->stop();
    else
        peers.front().reset();
    // The port's own watch notices, with nothing sent.
    ASSERT_TRUE(
        test::waitUntil([&] { return !w.midiOutput().IsOpen(); }, 5 * TMidiOutput::DeviceCheckMs));
    for (int i = 0; i < EditSession::PartCount; ++i)
        EXPECT_EQ(w.session().partSync(i), PartSync::NotKnown) << i;
    EXPECT_TRUE(w.frame().statusText().contains("is gone")) << w.frame().statusText().toStdString();

    TDragTweak* cutoff = rig.control("cutoff");
    rig.release("cutoff", cutoff->Position() == 30 ? 31 : 30);
    EXPECT_EQ(w.session().partSync(0), PartSync::ChangedHere);
    rig.closeWindow();
}

INSTANTIATE_TEST_SUITE_P(JackWindow, JackWindowGone, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "TheServerEnds" : "TheInstrumentsPortsGo";
                         });

TEST_F(JackWindow, FindInstrumentNamesThePeerAndTheBuiltInAndSkipsTheLoop)
{
    // The loop first, so that its echoes come in before any answer; the
    // instrument set to another device ID, answering only to that one.
    test::JackInstrumentPeer& loop = addPeer(initialImage(), {"--name", "loop", "--echo"});
    test::JackInstrumentPeer& inst =
        addPeer(initialImage(), {"--name", "inst", "--identity", "41 12 34 56 78 00 01 02 03",
                                 "--device-id", "11"});
    ASSERT_TRUE(loop.ready() && inst.ready());
    auto builtIn = std::make_shared<BuiltInInstrument>(rig.file("perf.syx"));
    builtIn->setFullSpeed(true);
    MainWindow& w = *open(Ports::NoneChosen, {builtIn});
    ASSERT_FALSE(w.midiOutput().IsOpen());
    rig.dialogs.answers.push_back(false); // not at once: picked from the list below

    QTest::mouseClick(w.finder().findButton(), Qt::LeftButton);
    ASSERT_TRUE(test::waitUntil([&] { return !w.finder().searching(); }, 20000));
    const FindInstrumentPanel& panel = *w.finder().panel();
    auto rowOf = [&](const std::string& out, const std::string& in) {
        const auto& pairs = panel.pairs();
        for (std::size_t i = 0; i < pairs.size(); ++i)
            if (pairs[i].outputName.rfind(out, 0) == 0 && pairs[i].inputName.rfind(in, 0) == 0)
                return int(i);
        return -1;
    };
    auto cell = [&](int row, int column) {
        const QTreeWidgetItem* item = panel.list()->topLevelItem(row);
        return item ? item->text(column).toStdString() : "(no row)";
    };
    const int peerRow = rowOf("inst:in", "inst-out:out");
    const int builtInRow = rowOf(BuiltInInstrument::DeviceName, BuiltInInstrument::DeviceName);
    const int loopRow = rowOf("loop:in", "loop-out:out");
    ASSERT_GE(peerRow, 0);
    ASSERT_GE(builtInRow, 0);
    ASSERT_GE(loopRow, 0);
    EXPECT_EQ(panel.choosablePairs().size(), 2u) << panel.summary()->text().toStdString();
    EXPECT_EQ(peerRow, 0) << "the instruments first, the built-in one after the other";
    EXPECT_EQ(builtInRow, 1);
    EXPECT_EQ(cell(peerRow, FindInstrumentPanel::DeviceIdColumn), "18 (11 hex)");
    EXPECT_EQ(cell(peerRow, FindInstrumentPanel::IdentityColumn),
              "device ID 11, manufacturer 41, family 12 34, member 56 78, version 00 01 02 03")
        << "the peer's bytes as received, named after nothing";
    EXPECT_EQ(cell(builtInRow, FindInstrumentPanel::DeviceIdColumn), "17 (10 hex)");
    EXPECT_EQ(cell(builtInRow, FindInstrumentPanel::IdentityColumn)
                  .rfind("Dorvane's built-in instrument (device ID 10, manufacturer 7D", 0),
              0u)
        << cell(builtInRow, FindInstrumentPanel::IdentityColumn);
    EXPECT_EQ(cell(loopRow, FindInstrumentPanel::VerdictColumn), "a MIDI thru loop, skipped");
    for (int row = 0; row < panel.list()->topLevelItemCount(); ++row)
        if (row != peerRow && row != builtInRow && row != loopRow) {
            EXPECT_EQ(cell(row, FindInstrumentPanel::VerdictColumn), "no answer") << row;
        }
    // Beside the built-in instrument, the one the musician connected is
    // offered at once.
    ASSERT_TRUE(test::waitUntil([&] { return rig.dialogs.asked.size() == 1; }));
    EXPECT_TRUE(rig.dialogs.lastText().contains("MIDI Out \"inst:in") &&
                rig.dialogs.lastText().contains("18 (11 hex)"))
        << rig.dialogs.lastText().toStdString();

    // The peer picked: its ports open, and every message carries its ID.
    panel.list()->setCurrentItem(panel.list()->topLevelItem(peerRow));
    QTest::mouseClick(panel.useButton(), Qt::LeftButton);
    ASSERT_TRUE(w.midiOutput().IsOpen());
    EXPECT_EQ(w.midiOutput().DeviceID(), panel.pairs()[std::size_t(peerRow)].output);
    EXPECT_EQ(w.util().Sender().InstrumentDeviceId(), 0x11);
    EXPECT_EQ(rig.stored("deviceid"), "0x11");
    EXPECT_TRUE(rig.stored("deviceidout").startsWith("inst:in"));
    rig.release("cutoff", rig.control("cutoff")->Position() == 30 ? 31 : 30);
    ASSERT_TRUE(test::waitUntil([&] { return w.util().Sender().IsIdle(); }));
    QTest::qWait(200);
    rig.closeWindow();
    const auto got = inst.finish();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(test::hex(Bytes(got.back().bytes.begin(), got.back().bytes.begin() + 6)),
              "F0 41 11 00 0B 12");
}

TEST_F(JackWindow, SendAndVerifyNamesTheParameterThePeerSpoiltAndKeepMineMendsIt)
{
    // Part 3 goes as its common, tone 1, tone 2, ...: the third Data Set the
    // peer hears is tone 2's, and it keeps its Cutoff Frequency as 64. The
    // send after it arrives as sent.
    test::JackInstrumentPeer& peer =
        addPeer(initialImage(), {"--rate", "31250", "--corrupt-received", "3:81:64"});
    ASSERT_TRUE(peer.ready());
    MainWindow* window = open();
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
    rig.closeWindow();

    // What the peer heard: the part twice, each time asked back after it.
    std::vector<std::string> kinds;
    for (const auto& m : peer.finish())
        if (m.bytes.size() > 5 && m.bytes[1] == RolandId)
            kinds.push_back(m.bytes[5] == DataRequestCommand ? "request" : "set");
    EXPECT_EQ(kinds, (std::vector<std::string>{"set", "set", "set", "set", "set", "request", "set",
                                               "set", "set", "set", "set", "request"}));
}

TEST_F(JackWindow, AnInstrumentSwitchedOffInAGetIsFollowedAndReopenedWhenItReturns)
{
    t505temppatch peerImage;
    peerImage.LoadFromBytes(initialImage());
    peerImage.SetPatchName(0, "NEVER HERE");
    // Off after the 40th message of its dump, on again 2.5 s later.
    test::JackInstrumentPeer& peer = addPeer(
        peerImage.AllBytes(), {"--rate", "3125", "--vanish-after", "40", "--away-ms", "2500"});
    ASSERT_TRUE(peer.ready());
    MainWindow* window = open();
    ASSERT_TRUE(window);
    MainWindow& w = *window;
    const Bytes before = w.image().bytes();
    TDragTweak* out = w.sheets().control("midiout");
    const QString chosen = out->Items().value(out->Position());

    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return w.sheets().pages()->isVisible(); }, 20000))
        << "the reception never ended: " << w.frame().statusText().toStdString();
    EXPECT_TRUE(w.frame().statusText().contains("is gone")) << w.frame().statusText().toStdString();
    EXPECT_EQ(w.image().bytes(), before);
    ASSERT_TRUE(test::waitUntil([&] { return !w.midiOutput().IsOpen(); }, 5000));
    for (int i = 0; i < EditSession::PartCount; ++i)
        EXPECT_EQ(w.session().partSync(i), PartSync::NotKnown) << i;
    // The selector still names the device, as gone.
    ASSERT_TRUE(test::waitUntil(
        [&] { return out->Items().value(out->Position()) == chosen + " (gone)"; }, 5000))
        << out->Items().value(out->Position()).toStdString();

    TDragTweak* cutoff = rig.control("cutoff");
    rig.release("cutoff", cutoff->Position() == 30 ? 31 : 30);
    const int sentValue = cutoff->Position();
    EXPECT_EQ(w.session().partSync(0), PartSync::ChangedHere);

    ASSERT_TRUE(test::waitUntil([&] { return w.midiOutput().IsOpen(); }, 15000))
        << "never reopened: " << w.frame().statusText().toStdString();
    EXPECT_TRUE(test::waitUntil([&] { return w.midiInput().State() == misOpen; }, 5000));
    // Both ports came back; the status line says so of each.
    ASSERT_TRUE(test::waitUntil(
        [&] { return w.frame().statusText().count("is back and open again") == 2; }, 5000))
        << w.frame().statusText().toStdString();
    EXPECT_EQ(out->Items().value(out->Position()), chosen);
    // What the instrument holds is as unknown as before it went; the edit
    // made meanwhile is still this window's alone.
    EXPECT_EQ(w.session().partSync(0), PartSync::ChangedHere);
    EXPECT_EQ(w.session().partSync(1), PartSync::NotKnown);

    // The reopened port carries the next edit to the instrument.
    rig.release("cutoff", sentValue == 30 ? 29 : 30);
    rig.closeWindow();
    bool heard = false;
    for (const auto& m : peer.finish())
        heard |= m.bytes.size() == 13 && m.bytes[5] == 0x12 &&
                 m.bytes[10] == (sentValue == 30 ? 29 : 30);
    EXPECT_TRUE(heard) << "the edit after the return never reached the instrument";
}

TEST_F(JackWindow, AnInstrumentSwitchedOffInASendEndsItWithAMessage)
{
    ASSERT_TRUE(addPeer(initialImage(), {"--vanish-after-received", "20"}).ready());
    MainWindow* window = open();
    ASSERT_TRUE(window);
    MainWindow& w = *window;
    // 20 ms after each message: the whole image takes seconds, as a slow
    // instrument asks.
    w.sheets().messagePauseBox()->setValue(20);
    rig.dialogs.answers.push_back(true);
    w.frame().action("Send8Part")->trigger();
    ASSERT_TRUE(w.transfers().sendJob());
    ASSERT_TRUE(test::waitUntil([&] { return !w.transfers().sendJob(); }, 20000))
        << w.frame().statusText().toStdString();
    EXPECT_FALSE(w.midiOutput().IsOpen());
    // Said once: the messages still queued behind the loss add nothing.
    EXPECT_EQ(w.frame().statusText(), "Sending 9054 bytes failed: The MIDI output inst:in is gone");
    for (int i = 0; i < EditSession::PartCount; ++i)
        EXPECT_NE(w.session().partSync(i), PartSync::InStep) << i;
    rig.closeWindow();
}

TEST_F(JackWindow, ADragSentAsItGoesReachesTheInstrumentThinnedAndEndsOnTheReleaseValue)
{
    ASSERT_TRUE(addPeer(initialImage()).ready());
    MainWindow* window = open();
    ASSERT_TRUE(window);
    MainWindow& w = *window;
    w.sheets().sendWhileDraggingBox()->setChecked(true);
    w.session().setToneSelected(3, true);
    TDragTweak* cutoff = w.sheets().control("cutoff");
    const int start = w.image().ReadByte(0, 1, 81);
    constexpr int Steps = 40;
    // The hand rests every tenth step: the only moments the window can send,
    // however busy the machine.
    test::dragLeft(cutoff, Steps, 10);
    const int end = w.image().ReadByte(0, 1, 81);
    ASSERT_LT(end, start);
    ASSERT_TRUE(test::waitUntil([&] { return w.util().Sender().IsIdle(); }, 5000));

    // What the instrument holds now is what the window shows: a Get of the
    // part finds nothing to weigh and leaves it in step.
    rig.dialogs.answers.push_back(true);
    w.frame().action("GetPart")->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return w.sheets().pages()->isVisible(); }, 20000))
        << w.frame().statusText().toStdString();
    EXPECT_EQ(w.image().ReadByte(0, 1, 81), end);
    EXPECT_EQ(w.image().ReadByte(0, 3, 81), end);
    EXPECT_EQ(w.session().partSync(0), PartSync::InStep);
    rig.dialogs.answers.push_back(true);
    w.close();
    rig.window.reset();

    // Values were heard during the drag, but at the cable's pace the hand
    // outruns the wire: fewer than the steps, each tone's last the release's.
    std::map<int, std::vector<int>> heard;
    for (const auto& m : peers.front()->finish())
        for (const int tone : {1, 3}) {
            const Bytes head = parameterMessage(tsMC505, toneAddress(0, tone, 81), 0);
            if (m.bytes.size() == head.size() &&
                std::equal(head.begin(), head.begin() + 10, m.bytes.begin()))
                heard[tone].push_back(m.bytes[10]);
        }
    for (const int tone : {1, 3}) {
        SCOPED_TRACE(tone);
        EXPECT_GT(heard[tone].size(), 1u) << "only the release was heard";
        EXPECT_LT(heard[tone].size(), std::size_t(Steps));
        EXPECT_EQ(heard[tone].back(), end);
    }
}
