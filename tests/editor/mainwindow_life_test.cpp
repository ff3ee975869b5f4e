// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's life, navigation, devices and panic.
#include "windowrig.h"

#include "editor/trevscrb.h"
#include "midi/tmidiinput.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusTipEvent>
#include <QTabWidget>

#include <filesystem>

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::Messages;
using dorvane::test::WindowRig;

TEST(MainWindowLife, FirstRunShowsTheSetupSheetAndOpensNothing)
{
    WindowRig rig;
    MainWindow& w = rig.open();
    EXPECT_EQ(w.sheets().pages()->currentWidget(), w.sheets().sheet(Sheet::Setup));
    EXPECT_TRUE(w.sheets().showHintBox()->isChecked());
    EXPECT_TRUE(w.sheets().autoTriggerBox()->isChecked());
    EXPECT_EQ(rig.control("shakeamt")->Caption(), "3");
    EXPECT_EQ(rig.control("wshakeamt")->Caption(), "3");
    EXPECT_EQ(rig.control("lshakeamt")->Caption(), "12");
    EXPECT_FALSE(w.midiOutput().IsOpen());
    EXPECT_NE(w.midiInput().State(), misOpen);
    EXPECT_EQ(rig.control("midiout")->Caption(), "no midiout");
    EXPECT_EQ(rig.control("midiin")->Caption(), "no midiin");
    EXPECT_EQ(rig.control("midiout")->Items(),
              (QStringList{"no midiout", "Synth A", "Synth B", "Synth C"}))
        << "no device can be chosen again, as the first entry";
    EXPECT_EQ(w.image().Size(), 9054u);
    EXPECT_EQ(w.sheets().waveList()->itemText(0), "  TB 1") << "two blanks before each wave name";
    EXPECT_EQ(w.sheets().drumNoteList()->currentIndex(), 1);
    EXPECT_EQ(w.sheets().drumNoteList()->count(), 64);
    EXPECT_EQ(w.windowTitle(), "Dorvane:   <P 1>: INIT PATCH [ON OFF OFF OFF]");
    EXPECT_TRUE(rig.dialogs.asked.empty());
    EXPECT_TRUE(w.frame().statusText().startsWith("Choose your MIDI output"))
        << "the newcomer is told what to do";
}

TEST(MainWindowLife, RememberedPortsAreOpenedAndWrittenBack)
{
    WindowRig rig;
    rig.store("midiout", "0x2");
    rig.store("midiin", "1");
    rig.store("autosave", "/somewhere/autosave.syx");
    rig.store("autotrig", "0");
    MainWindow& w = rig.open();
    EXPECT_EQ(rig.control("midiout")->Caption(), "Synth C");
    EXPECT_TRUE(w.midiOutput().IsOpen());
    EXPECT_EQ(w.midiInput().State(), misOpen);
    EXPECT_EQ(w.midiInput().DeviceID(), 1);
    EXPECT_EQ(w.sheets().pages()->currentWidget(), w.sheets().sheet(Sheet::Tone));
    w.deviceSetup().panic();
    EXPECT_EQ(rig.take("Synth C").size(), 32u);

    rig.control("shakeamt")->SetPosition(7);
    rig.closeWindow();
    EXPECT_EQ(rig.stored("midiout"), "2");
    EXPECT_EQ(rig.stored("midiin"), "1");
    EXPECT_EQ(rig.stored("shakeamt"), "7");
    EXPECT_EQ(rig.stored("autotrig"), "0");
    EXPECT_EQ(rig.stored("autosave"), "") << "the backup is for the run that chose it";
}

TEST(MainWindowLife, PanicSendsThirtyTwoMessagesInOrder)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    rig.take();
    w.frame().action("Panic")->trigger();
    Messages expected;
    for (int controller : {0x78, 0x79})
        for (int channel = 0; channel < 16; ++channel)
            expected.push_back(
                test::hex(Bytes{std::uint8_t(0xB0 + channel), std::uint8_t(controller), 0}));
    EXPECT_EQ(rig.take(), expected);
    EXPECT_EQ(w.frame().action("Panic")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Backspace));
}

TEST(MainWindowLife, APortErrorReachesTheUserAsAMessage)
{
    WindowRig rig;
    MainWindow& w = rig.open(); // no output chosen
    w.frame().action("Panic")->trigger();
    ASSERT_EQ(rig.dialogs.asked.size(), 1u);
    EXPECT_FALSE(rig.dialogs.lastText().isEmpty());
    EXPECT_EQ(rig.dialogs.asked[0].kind, AskKind::Information);
}

TEST(MainWindowLife, ChoosingDevicesOnTheSetupSheet)
{
    WindowRig rig;
    MainWindow& w = rig.open();
    // Position 0 is "no midiout": device n sits at n + 1.
    rig.release("midiout", 2);
    ASSERT_TRUE(w.midiOutput().IsOpen());
    w.deviceSetup().panic();
    EXPECT_EQ(rig.take("Synth B").size(), 32u);
    rig.release("midiin", 3);
    EXPECT_EQ(w.midiInput().State(), misOpen);
    // Releasing without a change closes and reopens the same device.
    rig.release("midiin", 3);
    EXPECT_EQ(w.midiInput().State(), misOpen);
    EXPECT_TRUE(rig.driver->isInputOpen("Synth C"));
}

TEST(MainWindowLife, ExitAsksFirst)
{
    WindowRig rig;
    MainWindow& w = rig.open();
    rig.dialogs.answers.push_back(false);
    w.frame().action("Exit")->trigger();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(rig.dialogs.lastText(), "Exit Dorvane now?");
    EXPECT_EQ(rig.dialogs.asked.back().kind, AskKind::Warning);
    rig.dialogs.answers.push_back(true);
    w.close();
    EXPECT_FALSE(w.isVisible());
}

TEST(MainWindowNavigation, PartRShowsDrumNotesAndHidesTheCommonSheet)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    rig.take();
    w.frame().action("JumpPartR")->trigger();
    EXPECT_EQ(w.session().partNumber(), 9);
    EXPECT_TRUE(w.sheets().drumNoteList()->isVisible());
    EXPECT_FALSE(w.sheets().toneBox(1)->isVisible());
    EXPECT_TRUE(w.sheets().panel("mutegroupbox")->isVisible());
    EXPECT_FALSE(w.sheets().panel("fxmbox")->isVisible());
    EXPECT_FALSE(w.sheets().panel("lfo1box")->isVisible());
    EXPECT_TRUE(w.sheets().captionText().startsWith("<Part> R :  TB 1"));
    EXPECT_TRUE(w.sheets().drumNoteList()->itemText(1).startsWith(" C2 (BD)   TB 1"))
        << w.sheets().drumNoteList()->itemText(1).toStdString();

    // The controls show the drum note's parameters on their own scales.
    EXPECT_EQ(rig.control("coarse")->Caption(), "C2 ") << "Source Key of the drum note for C2";
    EXPECT_EQ(rig.control("pitchenv")->Caption(), "0") << "P-Env Depth at its zero";
    EXPECT_FALSE(rig.control("pitchkeyfollow")->isVisible()) << "P-Env Depth is shown once";

    w.sheets().jumpTo("Common");
    EXPECT_EQ(w.sheets().pages()->currentWidget(), w.sheets().sheet(Sheet::Common));
    EXPECT_FALSE(w.sheets().panel("commonpanel")->isVisible());
    EXPECT_FALSE(w.sheets().panel("modpanel")->isVisible());
    EXPECT_TRUE(w.sheets().panel("partpanel")->isVisible());
    EXPECT_EQ(w.util().Channel(), 9) << "part R plays on channel 10";
    EXPECT_TRUE(rig.take().empty()) << "navigation and refresh never send";

    w.sheets().selectPart(2);
    EXPECT_TRUE(w.sheets().panel("commonpanel")->isVisible());
    w.sheets().showSheet(Sheet::Tone);
    EXPECT_EQ(rig.control("coarse")->Caption(), "0") << "back on the tone's scale";
    EXPECT_EQ(rig.control("pitchkeyfollow")->Caption(), "+100");
    EXPECT_EQ(w.util().Channel(), 2);
}

TEST(MainWindowNavigation, RefreshShowsTheImage)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.image().WriteByte(4, 3, 81, 64);
    w.image().WriteByte(4, 0, 48, 20);
    w.image().WriteByte(4, 3, 22, 70); // Ctrl 1 Depth 1
    w.image().WriteByte(4, 0, 58, 1);  // control source 2
    w.image().WriteByte(4, 2, 0, 1);   // tone 2 on
    w.image().SetPatchName(4, "STRINGS");
    w.sheets().selectPart(4);
    w.sheets().selectShownTone(3);
    EXPECT_EQ(rig.control("cutoff")->Caption(), "64");
    EXPECT_EQ(w.sheets().captionText(), " <P 5>: STRINGS [ON ON OFF OFF]");
    w.sheets().showSheet(Sheet::Common);
    EXPECT_EQ(rig.control("analog")->Caption(), "20");
    EXPECT_EQ(rig.control("DragTweak111")->Caption(), "7");
    EXPECT_EQ(w.findChild<QLabel*>("ctrlsource2")->text(),
              "control source 2 = " + valueList(ValueList::ControlSources).at(1));
    EXPECT_TRUE(rig.take().empty());
}

TEST(MainWindowNavigation, JumpMenu)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    const struct
    {
        const char* entry;
        Sheet sheet;
        int fKey;
    } jumps[] = {{"Pitch", Sheet::Tone, 2},   {"Part", Sheet::Common, 8},
                 {"Setup", Sheet::Setup, 10}, {"Filter", Sheet::Tone, 3},
                 {"Mod", Sheet::Common, 7},   {"Wave", Sheet::Tone, 1}};
    for (const auto& j : jumps) {
        QAction* a = w.frame().action(QString("Jump") + j.entry);
        ASSERT_TRUE(a) << j.entry;
        EXPECT_EQ(a->shortcut(), QKeySequence(Qt::SHIFT | (Qt::Key_F1 + j.fKey - 1)));
        a->trigger();
        EXPECT_EQ(w.sheets().pages()->currentWidget(), w.sheets().sheet(j.sheet)) << j.entry;
    }
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(w.frame()
                      .action(QString("JumpPart") + (i < 7 ? QString::number(i + 1) : "R"))
                      ->shortcut(),
                  QKeySequence(Qt::CTRL | (Qt::Key_1 + i)));
}

TEST(MainWindowLife, HintsGoToTheStatusBarWhenShown)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().showHintBox()->setChecked(true);
    QStatusTipEvent tip("Press this one if MC-505 produces strange noises");
    QApplication::sendEvent(&w, &tip);
    EXPECT_EQ(w.frame().statusText(), "Press this one if MC-505 produces strange noises");
    w.sheets().showHintBox()->setChecked(false);
    QStatusTipEvent other("something else");
    QApplication::sendEvent(&w, &other);
    EXPECT_EQ(w.frame().statusText(), "Press this one if MC-505 produces strange noises");
}

TEST(MainWindowLife, TestSettingShowsTheMorphPanel)
{
    WindowRig rig;
    rig.store("test", "1");
    rig.store("midiout", "0");
    MainWindow& w = rig.open();
    EXPECT_TRUE(w.testMenu()->menuAction()->isVisible());
    EXPECT_TRUE(w.sheets().morphPanel()->isVisibleTo(&w));
    w.session().setToneSelected(1, true);
    w.sheets().selectShownTone(2);
    rig.take();
    TRevScrB* bar = w.sheets().morphBar(1); // cutoff
    bar->SetPosition(75);
    emit bar->OnEndScroll();
    EXPECT_EQ(w.image().ReadByte(0, 1, 81), 25 * 127 / 50);
    EXPECT_EQ(w.image().ReadByte(0, 2, 81), 127);
    EXPECT_EQ(rig.take().size(), 2u);
}

TEST(MainWindowKeys, TheKeyboardPlaysTheCurrentPart)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().selectPart(2);
    w.sheets().showSheet(Sheet::Tone);
    rig.take();
    QWidget* focus = w.sheets().control("cutoff");
    focus->setFocus();
    QTest::keyPress(focus, Qt::Key_Z);
    QTest::keyRelease(focus, Qt::Key_Z);
    EXPECT_EQ(rig.take(), (Messages{"92 24 60", "82 24 00"}));
    EXPECT_TRUE(w.frame().statusText().endsWith("C2  (v96)"))
        << w.frame().statusText().toStdString();

    // Typing a name plays nothing.
    w.sheets().nameField()->setFocus();
    QTest::keyPress(w.sheets().nameField(), Qt::Key_Z);
    QTest::keyRelease(w.sheets().nameField(), Qt::Key_Z);
    EXPECT_TRUE(rig.take().empty());

    // A keypad digit chooses the play mode.
    focus->setFocus();
    QTest::keyPress(focus, Qt::Key_1, Qt::KeypadModifier);
    QTest::keyRelease(focus, Qt::Key_1, Qt::KeypadModifier);
    EXPECT_EQ(w.sheets().control("playmode")->Position(), 1);
    EXPECT_EQ(w.util().Playmode(), pmMajor);
}

TEST(MainWindowLife, StartsWithoutItsFilesAndStillWorks)
{
    WindowRig rig;
    std::filesystem::remove(rig.file("perf.syx"));
    std::filesystem::remove(rig.file("wavelist.txt"));
    rig.store("midiout", "0");
    rig.store("autotrig", "0");
    MainWindow& w = rig.open();
    EXPECT_EQ(w.image().Size(), 0u);
    EXPECT_EQ(w.sheets().waveList()->count(), 0);
    EXPECT_EQ(w.sheets().captionText(), " <P 1>:  [OFF OFF OFF OFF]");
    w.sheets().selectPart(7);
    EXPECT_EQ(w.sheets().captionText(), "<Part> R :") << "no wave names to show";
    EXPECT_EQ(w.sheets().waveList()->currentIndex(), -1);
    rig.release("cutoff", 3);
    w.sheets().selectWave(40);
    EXPECT_EQ(rig.take().size(), 2u) << "edits still reach the instrument";
    EXPECT_EQ(w.image().Size(), 0u);
    EXPECT_TRUE(rig.dialogs.asked.empty());
}
