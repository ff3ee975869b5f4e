// SPDX-License-Identifier: GPL-3.0-or-later
// The running window and the built-in instrument: every edit reaches the
// instrument's own area, a whole image goes there and comes back, and the
// MIDI monitor shows what crossed, decoded.
#include "windowrig.h"

#include "editor/librarycommands.h"
#include "editor/librarymodel.h"
#include "editor/librarypanel.h"
#include "editor/midimonitor.h"
#include "editor/morphcommands.h"
#include "editor/morphpanel.h"
#include "library/library.h"
#include "midi/builtininstrument.h"
#include "midi/tmidiinput.h"
#include "patch/initialpatch.h"
#include "tools/morph.h"
#include "transfer/dumpreceiver.h"

#include "support/libraryfiles.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableView>

#include <gtest/gtest.h>

#include <functional>

using namespace dorvane;
using dorvane::test::WindowRig;

namespace {

// The window on the built-in instrument (the loopback's devices come after it).
struct InstrumentRig : WindowRig
{
    std::shared_ptr<BuiltInInstrument> instrument;

    InstrumentRig()
    {
        instrument = std::make_shared<BuiltInInstrument>(file("perf.syx"));
        instrument->setFullSpeed(true);
        registry.addSource(instrument);
        // The loopback came first: the instrument is the fourth device.
        store("midiout", "3");
        store("midiin", "3");
        store("autotrig", "0");
    }

    // What the instrument holds once everything sent has arrived.
    Bytes instrumentImage()
    {
        if (!test::waitUntil([&] { return window->util().Sender().IsIdle(); }))
            return {};
        return instrument->image();
    }
    Bytes editorImage()
    {
        t505temppatch copy;
        copy.LoadFromStream(window->image());
        return copy.AllBytes();
    }
};

} // namespace

TEST(BuiltInRoundTrip, EditsSendsAndGetsThroughTheInstrument)
{
    InstrumentRig rig;
    MainWindow& w = rig.open();
    ASSERT_EQ(rig.control("midiout")->Caption(), "MC-505 (built in)");
    ASSERT_TRUE(w.midiOutput().IsOpen());

    // Each edit reaches the instrument's own area.
    w.session().setToneSelected(2, true);
    rig.release("cutoff", 64);
    EXPECT_EQ(rig.instrumentImage(), rig.editorImage());
    w.sheets().selectPart(7);
    w.sheets().selectDrumNote(12);
    rig.release("tonelevel", 99);
    w.sheets().selectWave(400);
    EXPECT_EQ(rig.instrumentImage(), rig.editorImage());
    w.sheets().selectPart(3);
    w.sheets().showSheet(Sheet::Common);
    rig.release("analog", 17);
    w.sheets().nameField()->setText("ROUNDTRIP");
    QTest::keyClick(w.sheets().nameField(), Qt::Key_Return);
    EXPECT_EQ(rig.instrumentImage(), rig.editorImage());

    // A whole image goes over, then comes back after the editor's copy changed.
    t505temppatch other;
    other.LoadFromBytes(initialImage());
    other.SetPatchName(5, "SENT OVER");
    other.WriteByte(5, 3, 83, 90);
    w.image().LoadFromStream(other);
    rig.dialogs.answers.push_back(true);
    w.frame().action("Send8Part")->trigger();
    const Bytes sent = rig.editorImage();
    EXPECT_EQ(rig.instrumentImage(), sent);

    w.image().LoadFromBytes(initialImage());
    w.sheets().refresh();
    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return w.sheets().pages()->isVisible(); }, 10000))
        << "automatic completion; received " << w.transfers().receiver().Received().size();
    EXPECT_EQ(w.image().bytes(), sent);
    EXPECT_EQ(w.image().GetPatchName(5), "SENT OVER");
    EXPECT_EQ(rig.instrument->counts().requestsAnswered, 1);
}

TEST(BuiltInRoundTrip, TheMonitorShowsWhatCrossedInWords)
{
    InstrumentRig rig;
    MainWindow& w = rig.open();
    w.frame().action("MidiMonitor")->trigger();
    EXPECT_TRUE(w.monitor().isVisible());
    w.monitor().clear();
    rig.release("cutoff", 90);
    ASSERT_TRUE(test::waitUntil([&] { return w.util().Sender().IsIdle(); }));
    w.deviceSetup().panic();
    rig.dialogs.answers.push_back(true);
    w.frame().action("GetPart")->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return w.sheets().pages()->isVisible(); }, 10000));
    w.monitor().flush();
    const QStringList lines = w.monitor().lines();
    ASSERT_GE(lines.size(), 1 + 32 + 1 + 5) << lines.join("\n").toStdString();
    EXPECT_TRUE(lines[0].endsWith("out  Data Set 02 00 10 51: part 1 tone 1 Cutoff Frequency = 90"))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("out  Control change ch 1 120 (All Sound Off) = 0"));
    EXPECT_TRUE(lines[33].endsWith("out  Data Request: part 1")) << lines[33].toStdString();
    EXPECT_TRUE(lines[34].contains("in   Data Set 02 00 00 00: part 1 common"))
        << lines[34].toStdString();
    EXPECT_EQ(lines.size(), 39);
}

TEST(BuiltInRoundTrip, ShakesAndUndoesKeepTheInstrumentInStep)
{
    InstrumentRig rig;
    MainWindow& w = rig.open();
    w.sheets().selectPart(1);
    for (int t = 1; t <= 4; ++t)
        w.session().setToneSelected(t, true);
    w.shake().shakeTypeGroup()->button(1)->setChecked(true);
    std::vector<Bytes> steps{rig.editorImage()};
    for (int i = 0; i < 5; ++i) {
        w.frame().action("ShakePatch")->trigger(); // Yes: shaken, then sent
        steps.push_back(rig.editorImage());
        ASSERT_NE(steps.back(), steps[steps.size() - 2]);
        EXPECT_EQ(rig.instrumentImage(), steps.back()) << "shake " << i + 1;
    }
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(w.frame().action("Undo")->text(), "Undo Shake, part 2");
        w.frame().action("Undo")->trigger();
        EXPECT_EQ(rig.editorImage(), steps[std::size_t(4 - i)]);
        EXPECT_EQ(rig.instrumentImage(), rig.editorImage()) << "undo " << i + 1;
    }

    // A dump of what the window holds is no change; one of something else is,
    // and undoing it puts the instrument back in step with the window.
    w.image().WriteByte(1, 2, 81, 3); // a change the instrument never heard of
    w.session().record("Cutoff Frequency, part 2");
    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return w.sheets().pages()->isVisible(); }, 10000));
    EXPECT_EQ(w.frame().action("Undo")->text(), "Undo Get 8 Part Sysex from MC-505");
    EXPECT_EQ(rig.editorImage(), steps[2]);
    w.frame().action("Undo")->trigger();
    EXPECT_EQ(w.image().ReadByte(1, 2, 81), 3);
    EXPECT_EQ(rig.instrumentImage(), rig.editorImage());
}

TEST(BuiltInRoundTrip, AnInstrumentThatStopsInTheMiddleOfItsDumpChangesNothing)
{
    InstrumentRig rig;
    rig.instrument->setFullSpeed(false); // the wire rate: three seconds for the whole area
    MainWindow& w = rig.open();
    w.transfers().receiver().SetStallTimeout(300);
    const Bytes before = w.image().bytes();
    const int instrumentIn = w.sheets().control("midiin")->Position();

    // Its MIDI out taken away mid-dump (another input chosen): the rest never comes.
    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    ASSERT_TRUE(
        test::waitUntil([&] { return w.transfers().receiver().Received().size() >= 700; }, 10000))
        << w.frame().statusText().toStdString() << " / "
        << w.transfers().receiver().Received().size();
    rig.release("midiin", 0);
    ASSERT_TRUE(test::waitUntil([&] { return w.sheets().pages()->isVisible(); }, 5000))
        << w.frame().statusText().toStdString();
    EXPECT_TRUE(w.frame().statusText().contains("the reception stopped, not loaded"))
        << w.frame().statusText().toStdString();
    EXPECT_EQ(w.image().bytes(), before);

    // Back on the instrument, the program closed in the middle of the next dump.
    rig.release("midiin", instrumentIn);
    ASSERT_EQ(w.midiInput().State(), misOpen);
    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    ASSERT_TRUE(
        test::waitUntil([&] { return w.transfers().receiver().Received().size() >= 700; }, 10000));
    rig.closeWindow();
    EXPECT_EQ(rig.instrument->image(), initialImage()) << "the instrument goes on unharmed";
}

TEST(BuiltInRoundTrip, WhatTheInstrumentHoldsFollowsAnEveningsWork)
{
    InstrumentRig rig;
    test::writeFile(rig.file("bass.syx"), initialPartFile());
    MainWindow& w = rig.open();
    ASSERT_EQ(rig.control("midiout")->Caption(), "MC-505 (built in)");
    const int instrument = rig.control("midiout")->Position();
    // Read off the PART buttons: each shows its part's mark under the number
    // and the session's hint as its tooltip and status tip.
    const auto button = [&](int i) {
        return w.findChild<QAbstractButton*>(QString("PART%1").arg(i));
    };
    const auto states = [&] {
        std::string out;
        for (int i = 0; i < EditSession::PartCount; ++i) {
            const QString mark = button(i)->text().section('\n', 1);
            out += mark == partSyncMark(PartSync::NotKnown)      ? 'N'
                   : mark == partSyncMark(PartSync::InStep)      ? 'S'
                   : mark == partSyncMark(PartSync::ChangedHere) ? 'C'
                                                                 : '?';
            EXPECT_EQ(button(i)->toolTip(), w.session().partSyncHint(i)) << i;
            EXPECT_EQ(button(i)->statusTip(), button(i)->toolTip()) << i;
        }
        return out;
    };
    const auto cutoff = [&](int part) {
        w.sheets().selectPart(part);
        const int value = rig.control("cutoff")->Position();
        rig.release("cutoff", value == 40 ? 41 : 40);
    };
    const auto answered = [&](const char* action) {
        rig.dialogs.answers.push_back(true);
        w.frame().action(action)->trigger();
    };

    struct Step
    {
        const char* what;
        std::function<void()> act;
        std::function<bool()> done; // the step has finished
        const char* expected;       // parts 1..7 then R: N not known, S in step, C changed here
        std::function<void()> check = [] {};
    };
    const std::vector<Step> steps = {
        {"fresh start", [] {}, [] { return true; }, "NNNNNNNN",
         [&] { EXPECT_EQ(button(3)->toolTip(), "Part 4: nothing fetched or sent since start"); }},
        {"Get 8 Part", [&] { answered("Get8Part"); },
         [&] { return w.sheets().pages()->isVisible(); }, "SSSSSSSS"},
        {"Cutoff on part 3", [&] { cutoff(2); }, [&] { return w.util().Sender().IsIdle(); },
         "SSSSSSSS"},
        {"a part file opened onto part 4",
         [&] {
             w.sheets().selectPart(3);
             rig.dialogs.files.push_back(QString::fromStdString(rig.file("bass.syx")));
             w.frame().action("OpenPart")->trigger();
         },
         [] { return true; }, "SSSCSSSS",
         [&] {
             EXPECT_EQ(button(3)->toolTip(), "Part 4: opened from bass.syx, not sent");
             EXPECT_NE(button(3)->palette().color(QPalette::WindowText),
                       button(2)->palette().color(QPalette::WindowText))
                 << "a colour as well as the mark";
         }},
        {"send part 4", [&] { answered("SendPart"); },
         [&] { return w.frame().statusText().startsWith("Sent "); }, "SSSSSSSS",
         [&] { EXPECT_EQ(button(3)->toolTip(), "Part 4: as sent to the instrument"); }},
        {"no MIDI output, then two edits on part 1",
         [&] {
             rig.release("midiout", 0);
             cutoff(0);
             cutoff(0);
         },
         [&] { return w.util().Sender().IsIdle(); }, "CNNNNNNN",
         [&] {
             EXPECT_EQ(w.frame().statusText().count("no MIDI output is chosen"), 1)
                 << "one notice, however many edits: " << w.frame().statusText().toStdString();
             EXPECT_EQ(button(0)->toolTip(), "Part 1: not sent: no MIDI output is chosen");
         }},
        {"the built-in instrument chosen again", [&] { rig.release("midiout", instrument); },
         [] { return true; }, "NNNNNNNN"},
    };
    for (const Step& step : steps) {
        step.act();
        ASSERT_TRUE(test::waitUntil(step.done, 10000))
            << step.what << ": " << w.frame().statusText().toStdString();
        EXPECT_EQ(states(), step.expected) << step.what;
        step.check();
    }
    rig.closeWindow();
}

TEST(BuiltInRoundTrip, AMorphTowardsALibraryEntryIsHeardAndCancelledOnBothSides)
{
    InstrumentRig rig;
    const std::filesystem::path folder = rig.dir.path() / "patches";
    test::put(folder / "lead.syx", test::partFile(3, 2, 0, "GLASS LEAD"));
    rig.libraryFile = QString::fromStdString(rig.file("index/library.sqlite"));
    MainWindow& w = rig.open();
    w.frame().action("ViewLibrary")->trigger();
    rig.dialogs.folders.push_back(QString::fromStdString(folder.string()));
    w.library().libraryPanel()->action("LibraryAddFolder")->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return !w.library().library()->scanning(); }, 20000));
    LibraryPanel& panel = *w.library().libraryPanel();
    panel.searchField()->setText("GLASS");
    ASSERT_EQ(panel.model()->rowCount(), 1);
    panel.view()->setCurrentIndex(panel.model()->index(0, LibraryModel::NameColumn));

    const Bytes original = rig.editorImage();
    ASSERT_EQ(rig.instrumentImage(), original);
    t505temppatch lead;
    lead.LoadFromBytes(test::knownImage(3));
    w.frame().action("Morph")->trigger();
    MorphCommands& morph = *w.parts().morph;
    ASSERT_TRUE(morph.addLibraryEntry()) << w.frame().statusText().toStdString();
    EXPECT_TRUE(morph.panel()->sourceList()->currentText().contains("GLASS LEAD"));

    // All the way to B: part 1 sounds like the entry, on both sides, and keeps its name.
    morph.panel()->slider()->setValue(MorphMax);
    for (int tone = 1; tone <= ToneCount; ++tone)
        EXPECT_EQ(w.image().ReadByte(0, tone, 81), lead.ReadByte(2, tone, 81)) << tone;
    EXPECT_EQ(rig.instrumentImage(), rig.editorImage());
    ASSERT_NE(rig.editorImage(), original) << "the entry must sound unlike part 1";

    QTest::mouseClick(morph.panel()->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(rig.editorImage(), original);
    EXPECT_EQ(rig.instrumentImage(), original);
    EXPECT_FALSE(w.session().history().canUndo());
}
