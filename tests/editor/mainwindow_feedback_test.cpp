// SPDX-License-Identifier: GPL-3.0-or-later
// What the window tells the musician: values it cannot know, a Get in
// progress, what a send did, the MIDI monitor in the sheets' words, hints
// that go with their menu, and the keys that follow the keyboard.
#include "windowrig.h"

#include "editor/midimonitor.h"
#include "midi/tmidiinput.h"
#include "patch/rolandmessage.h"
#include "transfer/dumpreceiver.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::Messages;
using dorvane::test::WindowRig;

namespace {

const QString Dash = QString::fromUtf8("\u2014");

std::string partMessage(int part, int offset, int value)
{
    return test::hex(parameterMessage(
        tsMC505, {0x01, 0x00, std::uint8_t(0x10 + part), std::uint8_t(offset)}, value));
}

} // namespace

TEST(MainWindowInstrumentAreas, UnknownUntilSentThenRememberedPerPart)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().showSheet(Sheet::Common);
    rig.take();
    TDragTweak* receive = rig.control("DragTweak167"); // Receive Switch
    TDragTweak* output = rig.control("DragTweak172");  // Part Output Assign
    for (const char* name : {"DragTweak167", "DragTweak172", "DragTweak146", "DragTweak178"})
        EXPECT_EQ(rig.control(name)->DisplayedText(), Dash) << name << " is not known at start";

    // The first keypad step starts where the control always stood (its default,
    // held to the list): Part Output Assign from "RHY" down to "dir2".
    test::keyRelease(output, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(output->DisplayedText(), "dir2");
    rig.release("DragTweak167", 1);
    EXPECT_EQ(receive->DisplayedText(), "ON");
    EXPECT_EQ(w.frame().statusText(), "Receive Switch = ON, sent to part 1");
    EXPECT_EQ(rig.take(), (Messages{partMessage(0, 10, 3), partMessage(0, 0, 1)}));

    // Each part has its own; the effects are the instrument's, one for all.
    rig.release("DragTweak146", 5);
    w.sheets().selectPart(1);
    EXPECT_EQ(receive->DisplayedText(), Dash) << "part 2's switch was never sent";
    EXPECT_EQ(rig.control("DragTweak146")->DisplayedText(),
              rig.control("DragTweak146")->Items()[5]);
    rig.release("DragTweak167", 0);
    w.sheets().selectPart(0);
    EXPECT_EQ(receive->DisplayedText(), "ON");
    EXPECT_EQ(output->DisplayedText(), "dir2");
    w.sheets().selectPart(1);
    EXPECT_EQ(receive->DisplayedText(), "OFF");
    EXPECT_EQ(output->DisplayedText(), Dash);
}

TEST(MainWindowGet, ThePanelTakesTheSheetsPlaceAndTheSelectorsKeepTheirSize)
{
    WindowRig rig;
    rig.store("midiin", "0");
    MainWindow& w = rig.openPlaying();
    QApplication::processEvents();
    QWidget* parts = w.findChild<QWidget*>("Channel");
    const int partsHeight = parts->height();
    w.frame().setStatusText("Sent 650 bytes (5 messages)");
    QSignalSpy hide(&w.frame(), &WindowFrame::quickEditHideRequested);

    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(hide.count(), 1) << "the quick-edit window steps aside";
    EXPECT_TRUE(w.transfers().receptionPanel()->isVisible());
    EXPECT_FALSE(w.sheets().pages()->isVisible());
    EXPECT_TRUE(w.transfers().sysexButton()->isVisible());
    EXPECT_EQ(parts->height(), partsHeight) << "the selectors keep their size";
    EXPECT_TRUE(w.frame().statusText().isEmpty()) << "the last transfer's result is gone";

    const Bytes dump = w.image().bytes();
    rig.driver->feedLong("Synth A", Bytes(dump.begin(), dump.begin() + 3250));
    ASSERT_TRUE(
        test::waitUntil([&] { return w.transfers().receiver().Received().size() == 3250u; }));
    QProgressBar* bar = w.transfers().receptionProgressBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->text(), "3250 of 9054 bytes");
    EXPECT_GT(bar->width(), bar->fontMetrics().horizontalAdvance(bar->text()) + 40)
        << "room for its text on one line";

    QTest::mouseClick(w.transfers().sysexButton(), Qt::LeftButton);
    EXPECT_TRUE(w.sheets().pages()->isVisible());
}

TEST(MainWindowGet, AnOverflowEndsTheGetAndIsShownInTheStatusLineAndTheMonitor)
{
    WindowRig rig;
    rig.store("midiin", "0");
    MainWindow& w = rig.openPlaying();
    QApplication::processEvents();
    const Bytes before = w.image().bytes();
    // Far beyond the wait below: the end must come from the overflow itself.
    w.transfers().receiver().SetStallTimeout(600000);
    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    QApplication::processEvents();

    // More messages than the port has buffers, all before the window takes any.
    const std::uint32_t buffers = w.midiInput().SysexBufferCount();
    const std::uint32_t dropped = 76;
    const Bytes message = test::fromHex("F0 7D 01 F7");
    for (std::uint32_t i = 0; i < buffers + dropped; ++i)
        ASSERT_TRUE(rig.driver->feedLong("Synth A", message));
    ASSERT_TRUE(rig.driver->waitUntilDelivered("Synth A", 5000));
    const std::string lost = "MIDI input overflowed: " + std::to_string(dropped) + " messages (" +
                             std::to_string(dropped * message.size()) + " bytes) dropped";
    ASSERT_TRUE(test::waitUntil([&] { return w.sheets().pages()->isVisible(); }, 20000))
        << "the Get still waits";
    EXPECT_EQ(w.frame().statusText().toStdString(), "Received " +
                                                        std::to_string(buffers * message.size()) +
                                                        " bytes, " + lost + ": not loaded");
    EXPECT_EQ(w.image().bytes(), before);
    w.monitor().flush();
    const QStringList lines = w.monitor().lines();
    EXPECT_TRUE(lines.filter(QString::fromStdString(lost)).size() == 1) << lines.size();
}

TEST(MainWindowSend, SendsShowProgressAndSayWhatWentOut)
{
    WindowRig rig;
    rig.driver->setBytesPerSecond(20000); // about half a second for the image
    MainWindow& w = rig.openPlaying();
    rig.take();
    rig.dialogs.answers.push_back(true);
    w.frame().action("Send8Part")->trigger();
    EXPECT_TRUE(w.frame().statusText().startsWith("Sending 9054 bytes (100 messages)"));
    QProgressBar* bar = w.transfers().sendProgressBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), 9054);
    ASSERT_TRUE(test::waitUntil([&] { return bar->value() > 0; }));
    EXPECT_LT(bar->value(), 9054) << "the count moves as the messages leave";
    EXPECT_EQ(rig.take().size(), 100u + 32u);
    EXPECT_EQ(w.frame().statusText(), "Sent 9054 bytes (100 messages)");
    EXPECT_FALSE(w.transfers().sendProgressBar()->isVisible());

    // With the output closed nothing leaves, and the status does not say it did.
    rig.release("midiout", 0);
    ASSERT_FALSE(w.midiOutput().IsOpen());
    rig.dialogs.answers.push_back(true);
    w.frame().action("Send8Part")->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return w.util().Sender().IsIdle(); }));
    EXPECT_TRUE(w.frame().statusText().startsWith("Sending 9054 bytes failed"))
        << w.frame().statusText().toStdString();

    rig.dialogs.files.push_back(QString::fromStdString(rig.file("song.syx")));
    w.frame().action("Save8Part")->trigger();
    EXPECT_EQ(w.frame().statusText(), "Saved song.syx");
}

TEST(MainWindowMonitor, ListsInTheSheetsWordsAndFollowsNewLines)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    MidiMonitor& monitor = w.monitor();
    monitor.clear();
    rig.release("DragTweak167", 1);
    rig.release("coarse", 50);
    w.sheets().selectPart(7);
    rig.release("coarse", 60); // Source Key of the drum note
    rig.take();
    monitor.flush();
    const QStringList lines = monitor.lines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith("part 1 Receive Switch = ON (1)")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("part 1 tone 1 Coarse Tune = 2 (50)")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith("part R drum note C2  Source Key = C4 (60)"))
        << lines[2].toStdString();

    // New lines scroll into view until the user scrolls up to read.
    monitor.show();
    for (int i = 0; i < 200; ++i)
        monitor.sent(test::fromHex("90 3C 40"));
    monitor.flush();
    QScrollBar* bar = monitor.view()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0);
    for (int i = 0; i < 50; ++i)
        monitor.sent(test::fromHex("80 3C 00"));
    monitor.flush();
    EXPECT_EQ(bar->value(), 0) << "the line being read stays put";
}

TEST(MainWindowHints, AMenusHintGoesWhenTheMenuCloses)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().showHintBox()->setChecked(true);
    QMenu* file = w.findChild<QMenu*>("FileMenu");
    file->popup(w.mapToGlobal(QPoint(10, 10)));
    QStatusTipEvent tip(w.frame().action("AutoSave")->statusTip());
    QApplication::sendEvent(&w, &tip);
    EXPECT_TRUE(w.frame().statusText().startsWith("Please use this for backup data only"));
    file->hide();
    EXPECT_TRUE(w.frame().statusText().isEmpty());

    // A word of the program's own stays.
    file->popup(w.mapToGlobal(QPoint(10, 10)));
    w.frame().setStatusText("Saved song.syx");
    file->hide();
    EXPECT_EQ(w.frame().statusText(), "Saved song.syx");
}

TEST(MainWindowKeys, OctaveFollowsTheKeysAndAReleaseAlwaysStopsItsNote)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().showSheet(Sheet::Tone);
    QWidget* cutoff = w.sheets().control("cutoff");
    cutoff->setFocus();
    QTest::keyClick(cutoff, Qt::Key_F4);
    EXPECT_EQ(w.util().Octave(), 4);
    EXPECT_EQ(rig.control("octave")->Caption(), "C3") << "the setup sheet names what Z sounds";
    // And Z sounds it, named so on the status line: one name for note 48.
    rig.take();
    QTest::keyClick(cutoff, Qt::Key_Z);
    EXPECT_EQ(rig.take(), (Messages{"90 30 60", "80 30 00"}));
    EXPECT_TRUE(w.frame().statusText().contains("C3  (v96)"))
        << w.frame().statusText().toStdString();
    QTest::keyClick(cutoff, Qt::Key_F3);
    QTest::keyClick(cutoff, Qt::Key_F3);
    EXPECT_EQ(rig.control("octave")->Caption(), "C1");
    rig.take();

    // The focus moves to the name field while Z is held: its release still
    // ends the note.
    QTest::keyPress(cutoff, Qt::Key_Z);
    w.sheets().nameField()->setFocus();
    QTest::keyRelease(w.sheets().nameField(), Qt::Key_Z);
    EXPECT_EQ(rig.take(), (Messages{"90 18 60", "80 18 00"}));

    // The Get commands keep their old keys beside the one the menu shows.
    for (const char* get : {"GetPart", "Get8Part"}) {
        const auto keys = w.frame().action(get)->shortcuts();
        const Qt::Key f = get == std::string("GetPart") ? Qt::Key_F11 : Qt::Key_F12;
        EXPECT_TRUE(keys.contains(QKeySequence(Qt::CTRL | Qt::ALT | f))) << get;
        EXPECT_TRUE(keys.contains(QKeySequence(Qt::ALT | f))) << get;
    }
}

TEST(MainWindowRhythm, PartRShowsEachDrumParameterOnceWithoutHoles)
{
    WindowRig rig;
    rig.store("test", "1");
    MainWindow& w = rig.openPlaying();
    w.sheets().showSheet(Sheet::Tone);
    EXPECT_TRUE(w.sheets().morphPanel()->isVisibleTo(&w));
    w.sheets().selectPart(7);
    EXPECT_FALSE(w.sheets().morphPanel()->isVisibleTo(&w))
        << "its bars write tones, not drum notes";

    for (const char* name : {"pitchpanel", "filterpanel", "amppanel"}) {
        // Down each column the labels follow one another, then nothing more.
        auto* grid = static_cast<QGridLayout*>(w.sheets().panel(name)->layout());
        QStringList labels;
        for (int col = 0; col < grid->columnCount(); col += 2) {
            bool ended = false;
            for (int r = 0; r < grid->rowCount(); ++r) {
                QLayoutItem* item = grid->itemAtPosition(r, col);
                auto* label = item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
                const bool shown = label && label->isVisibleTo(&w);
                EXPECT_FALSE(shown && ended) << name << ": a hole above row " << r;
                ended |= !shown;
                if (shown)
                    labels << label->text();
            }
        }
        EXPECT_EQ(labels.size(), QSet<QString>(labels.begin(), labels.end()).size())
            << name << " shows a parameter twice: " << labels.join(", ").toStdString();
    }
    EXPECT_FALSE(rig.control("pitchkeyfollow")->isVisibleTo(&w));
    EXPECT_TRUE(rig.control("pitchenv")->isVisibleTo(&w));

    w.sheets().selectPart(0);
    EXPECT_TRUE(rig.control("pitchkeyfollow")->isVisibleTo(&w));
    EXPECT_TRUE(w.sheets().morphPanel()->isVisibleTo(&w)) << "back with the tones";
}
