// SPDX-License-Identifier: GPL-3.0-or-later
// The edit flow of the real main window: what one release writes and sends.
#include "windowrig.h"

#include "patch/rolandmessage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::Messages;
using dorvane::test::WindowRig;

namespace {

std::string param(int a1, int a2, int a3, int a4, int value)
{
    return test::hex(parameterMessage(
        tsMC505, {std::uint8_t(a1), std::uint8_t(a2), std::uint8_t(a3), std::uint8_t(a4)}, value));
}

} // namespace

TEST(MainWindowEdit, ToneEditGoesToEverySelectedToneInOrder)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().selectPart(2);
    rig.take();
    w.session().setToneSelected(1, true);
    w.session().setToneSelected(3, true);
    rig.release("cutoff", 90);
    EXPECT_EQ(rig.take(), (Messages{param(2, 2, 0x10, 81, 90), param(2, 2, 0x14, 81, 90)}));
    EXPECT_EQ(w.image().ReadByte(2, 1, 81), 90);
    EXPECT_EQ(w.image().ReadByte(2, 3, 81), 90);
    EXPECT_EQ(w.image().ReadByte(2, 2, 81), 127) << "an unselected tone keeps its value";
    EXPECT_EQ(w.frame().statusText(), "     90     127     90     127");

    // A value of 127 is one data byte.
    rig.release("tonelevel", 127);
    const Messages sent = rig.take();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].substr(30, 2), "7F");
    EXPECT_EQ(sent[0].size(), 13u * 3 - 1);
}

TEST(MainWindowEdit, OffsetsFrom128GoToTheNextAddressByte)
{
    // Roland addresses count seven bits a byte: tone offset 128 (Reverb Send
    // Level) is 11 00, not 10 00 (Tone Switch) or 10 80.
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().selectPart(5);
    for (int t = 1; t <= 4; ++t)
        w.session().setToneSelected(t, t == 2);
    rig.take();
    rig.release("DragTweak135", 100);
    EXPECT_EQ(rig.take(), (Messages{param(2, 5, 0x13, 0x00, 100)}));
    EXPECT_EQ(w.image().ReadByte(5, 2, 128), 100);
    EXPECT_EQ(w.image().ReadByte(5, 2, 0), 0) << "Tone Switch untouched";
}

TEST(MainWindowEdit, NoToneSelectedSendsNothingButShowsTheValues)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    for (int t = 1; t <= 4; ++t)
        w.session().setToneSelected(t, false);
    const Bytes before = w.image().bytes();
    rig.release("q", 40);
    EXPECT_TRUE(rig.take().empty());
    EXPECT_EQ(w.image().bytes(), before);
    EXPECT_EQ(w.frame().statusText(), "     0     0     0     0");
}

TEST(MainWindowEdit, RightReleaseMakesNoEdit)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    const Bytes before = w.image().bytes();
    rig.release("cutoff", 10, Qt::RightButton);
    rig.release("analog", 10, Qt::RightButton);
    EXPECT_TRUE(rig.take().empty());
    EXPECT_EQ(w.image().bytes(), before);
    rig.release("analog", 10);
    EXPECT_EQ(rig.take(), (Messages{param(2, 0, 0, 48, 10)}));
    EXPECT_EQ(w.image().ReadByte(0, 0, 48), 10);
}

TEST(MainWindowEdit, InstrumentAreasAreSentNotStored)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().selectPart(4);
    const Bytes before = w.image().bytes();
    rig.release("DragTweak136", 20);  // effects: EFX parameter 1
    rig.release("DragTweak168", 100); // part level of part 5
    rig.release("DragTweak176", 0);   // system: clock source
    TDragTweak* tempo = rig.control("DragTweak178");
    tempo->SetCaption("120");
    test::release(tempo, QPoint(2, 2));
    EXPECT_EQ(rig.take(),
              (Messages{param(1, 0, 0, 14, 20), param(1, 0, 0x14, 6, 100), param(0, 0, 0, 12, 0),
                        "F0 41 10 00 0B 12 00 00 00 60 07 08 11 F7"}));
    EXPECT_EQ(w.image().bytes(), before);
}

TEST(MainWindowEdit, WithNoOutputAnEditSaysOnceAndQuietlyThatNothingWasSent)
{
    WindowRig rig;
    rig.store("autotrig", "1"); // a test note has nobody to hear it either
    MainWindow& w = rig.open();
    ASSERT_FALSE(w.midiOutput().IsOpen());
    const QString notSent = "not sent: no MIDI output is chosen";

    rig.release("DragTweak168", 127); // part level of part 1
    ASSERT_TRUE(test::waitUntil([&] { return w.util().Sender().IsIdle(); }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(rig.dialogs.asked.empty()) << "no box for every edit";
    EXPECT_EQ(w.frame().statusText(), "Part Level = 127, " + notSent);

    // A sound edit is kept in the window; the status says once that it stayed there.
    rig.release("cutoff", 90);
    ASSERT_TRUE(test::waitUntil([&] { return w.util().Sender().IsIdle(); }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(rig.dialogs.asked.empty());
    EXPECT_EQ(w.frame().statusText().count(notSent), 1) << w.frame().statusText().toStdString();
    EXPECT_EQ(w.image().ReadByte(0, 1, 81), 90);
}

TEST(MainWindowEdit, RhythmPartEditsTheDrumNoteAtTag)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().selectPart(7);
    w.sheets().selectDrumNote(10);
    rig.take();
    EXPECT_FALSE(rig.control("penvvelT1")->isVisible()) << "Tag 0: no meaning on part R";
    EXPECT_TRUE(rig.control("cutoff")->isVisible());
    rig.release("cutoff", 33);
    EXPECT_EQ(rig.take(), (Messages{param(2, 9, 35 + 10, 27, 33)}));
    EXPECT_EQ(w.image().ReadByte(9, 10, 27), 33);
    // Any button edits on part R.
    rig.release("DragTweak105", 5, Qt::RightButton);
    EXPECT_EQ(rig.take(), (Messages{param(2, 9, 45, 7, 5)}));
}

TEST(MainWindowEdit, WavesUseTheirTwoEncodings)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.session().setToneSelected(2, true);
    w.sheets().selectWave(255);
    // The message moves to group 2 at 255 already: 00, ID 2, number 1.
    EXPECT_EQ(rig.take(), (Messages{"F0 41 10 00 0B 12 02 00 10 01 00 02 00 01 6A F7",
                                    "F0 41 10 00 0B 12 02 00 12 01 00 02 00 01 68 F7"}));
    EXPECT_EQ(w.image().ReadByte(0, 1, 2), 1) << "the image keeps 255 in group 1";
    EXPECT_EQ(w.image().ReadWave(0, 2), 255);
    EXPECT_EQ(w.sheets().waveList()->currentIndex(), 255);

    w.sheets().selectPart(7);
    w.sheets().selectDrumNote(3);
    rig.take();
    w.sheets().selectWave(300);
    EXPECT_EQ(rig.take(), (Messages{test::hex(waveMessage(tsMC505, 2, 9, 38, 300))}));
    EXPECT_EQ(w.image().ReadWave(9, 3), 300);
}

TEST(MainWindowEdit, ToneSelectionClicks)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    auto selection = [&] {
        std::string s;
        for (int t = 1; t <= 4; ++t)
            s += w.session().toneSelected(t) ? '1' : '0';
        return s;
    };
    // The box toggles itself, then the modifiers act.
    QTest::mouseClick(w.sheets().toneBox(3), Qt::LeftButton, Qt::ShiftModifier, QPoint(4, 4));
    EXPECT_EQ(selection(), "0010");
    EXPECT_EQ(w.session().shownTone(), 3) << "solo shows the tone";
    QTest::mouseClick(w.sheets().toneBox(2), Qt::LeftButton, Qt::AltModifier, QPoint(4, 4));
    EXPECT_EQ(selection(), "1011");
    QTest::mouseClick(w.sheets().toneBox(4), Qt::LeftButton, Qt::ControlModifier, QPoint(4, 4));
    EXPECT_EQ(selection(), "0101");
    QTest::mouseClick(w.sheets().toneBox(1), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    EXPECT_EQ(selection(), "1101");
    EXPECT_TRUE(rig.take().empty()) << "selection sends nothing";
}

TEST(MainWindowEdit, TestNoteSoundsTheChosenNoteThenStops)
{
    WindowRig rig;
    rig.store("midiout", "0");
    MainWindow& w = rig.open();
    ASSERT_TRUE(w.sheets().autoTriggerBox()->isChecked()) << "auto trigger is on by default";
    w.util().SetVelRnd(0);
    w.util().SetOctave(5); // the note named by the selector, whatever the octave
    rig.release("q", 3);
    const Messages first = rig.take();
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[1], "90 30 60") << "C3 on the part's channel, at the window's velocity";
    // The note-off follows 300 ms later, while the window keeps running.
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.driver->sent("Synth A").size() >= 1; }, 2000));
    EXPECT_EQ(test::hex(rig.driver->sent("Synth A")[0]), "80 30 00");

    // On part R the drum note itself sounds, on channel 10.
    w.sheets().selectPart(7);
    w.sheets().selectDrumNote(1);
    rig.take();
    rig.release("cutoff", 3);
    const Messages drum = rig.take();
    ASSERT_EQ(drum.size(), 2u);
    EXPECT_EQ(drum[1], "99 24 60");
}

TEST(MainWindowEdit, NameEnteredIsSentAndStored)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().selectPart(1);
    rig.take();
    w.sheets().nameField()->setText("BASS");
    QTest::keyClick(w.sheets().nameField(), Qt::Key_Return);
    EXPECT_EQ(rig.take(), (Messages{test::hex(nameMessage(tsMC505, "BASS", 2, 1))}));
    EXPECT_EQ(w.image().GetPatchName(1), "BASS");
    EXPECT_EQ(w.sheets().captionText(), " <P 2>: BASS [ON OFF OFF OFF]");
    EXPECT_EQ(w.windowTitle(), QString::fromUtf8("Dorvane:   <P 2>: BASS [ON OFF OFF OFF]"
                                                 "  \u2014  changed, not saved"))
        << "no file holds the name yet";
}

TEST(MainWindowEdit, PointingAtAToneControlShowsTheFourTonesAndItsShakeMark)
{
    WindowRig rig;
    rig.store("midiout", "0");
    {
        QSettings s(rig.iniFile(), QSettings::IniFormat);
        s.setValue("willshake/q", "0");
    }
    MainWindow& w = rig.open();
    w.image().WriteByte(0, 3, 81, 5);
    auto enter = [](QWidget* c) {
        QEnterEvent e(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(c, &e);
    };
    enter(rig.control("cutoff"));
    EXPECT_EQ(w.frame().statusText(), "     127     127     5     127     (Shake)");
    enter(rig.control("q"));
    EXPECT_EQ(w.frame().statusText(), "     0     0     0     0     (Won't Shake)")
        << "the user's choice wins";
    w.sheets().selectPart(7);
    enter(rig.control("cutoff"));
    EXPECT_EQ(w.frame().statusText(), "     (Shake)") << "part R shows only the mark";
}
