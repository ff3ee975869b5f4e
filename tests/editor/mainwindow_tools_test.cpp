// SPDX-License-Identifier: GPL-3.0-or-later
// The patch tools in the real window: the drum mixer on part R, the look-up of
// the shown tone, and the model conversion of a file chosen in the dialogs.
#include "windowrig.h"

#include "editor/bindingtable.h"
#include "editor/drummixerpanel.h"
#include "editor/fixedpitchfont.h"
#include "editor/trevscrb.h"
#include "editor/windowtexts.h"
#include "patch/rolandmessage.h"
#include "tools/cclookup.h"
#include "tools/drummixer.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::Messages;
using dorvane::test::WindowRig;

namespace {

std::string drumParam(int note, int parameter, int value)
{
    return test::hex(parameterMessage(
        tsMC505, {0x02, 0x09, std::uint8_t(FirstDrumKey + note), std::uint8_t(parameter)}, value));
}

// The fader let go of at a value, as a drag ends.
void releaseFader(DrumMixerPanel& mixer, int value)
{
    mixer.fader()->SetRevPosition(value);
    test::release(mixer.fader(), QPoint(2, 2));
}

} // namespace

TEST(MainWindowTools, DrumMixerOnPart1SetsPartRNotesInNoteOrder)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    QSignalSpy hide(&w.frame(), &WindowFrame::quickEditHideRequested);
    w.frame().action("DrumMixer")->trigger();
    DrumMixerPanel& mixer = *w.tools().drumMixer();
    ASSERT_TRUE(w.tools().drumMixerOpen());
    EXPECT_FALSE(w.sheets().pages()->isVisible());
    EXPECT_EQ(hide.count(), 1);
    EXPECT_EQ(mixer.typeList()->currentText(), " Level");
    ASSERT_EQ(mixer.noteList()->count(), 64);
    EXPECT_TRUE(hasFixedAdvance(mixer.noteList()->font())) << "the values line up in one column";

    // Selected in another order than the list's.
    for (int row : {40, 3, 20})
        mixer.noteList()->item(row)->setSelected(true);
    rig.take();
    releaseFader(mixer, 100);
    EXPECT_EQ(rig.take(),
              (Messages{drumParam(3, 41, 100), drumParam(20, 41, 100), drumParam(40, 41, 100)}));
    for (int row : {3, 20, 40}) {
        EXPECT_EQ(w.image().ReadByte(RhythmPart, row, 41), 100);
        EXPECT_EQ(mixer.noteList()->item(row)->text(),
                  drumMixerLine(w.image(), mixer.currentType(), row, w.sheets().waveNames()));
        EXPECT_EQ(mixer.noteList()->item(row)->text().section(':', -1).trimmed(), "100");
    }
    EXPECT_EQ(w.session().partNumber(), 0) << "the mixer works on part R without changing parts";
    EXPECT_EQ(w.frame().statusText(), "100");
    // Undone while the mixer is open: image, instrument and lines go back.
    const Bytes changed = w.image().bytes();
    const QString line3 = mixer.noteList()->item(3)->text();
    ASSERT_EQ(w.frame().action("Undo")->text(), "Undo Drum mixer Level, part R");
    w.frame().action("Undo")->trigger();
    EXPECT_EQ(rig.take().size(), 3u);
    EXPECT_NE(w.image().bytes(), changed);
    EXPECT_EQ(mixer.noteList()->item(3)->text(),
              drumMixerLine(w.image(), mixer.currentType(), 3, w.sheets().waveNames()));
    EXPECT_NE(mixer.noteList()->item(3)->text(), line3);

    mixer.noteList()->clearSelection();
    const Bytes before = w.image().bytes();
    releaseFader(mixer, 7);
    EXPECT_TRUE(rig.take().empty()) << "no selected line, nothing done";
    EXPECT_EQ(w.image().bytes(), before);

    QTest::mouseClick(mixer.closeButton(), Qt::LeftButton);
    EXPECT_FALSE(w.tools().drumMixerOpen());
    EXPECT_TRUE(w.sheets().pages()->isVisible());
}

TEST(MainWindowTools, DrumMixerTypeChangeLetsGoOfTheChosenNotes)
{
    // Notes chosen for one parameter are not chosen for the next: a release
    // after the change would write the new parameter's value into them.
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.frame().action("DrumMixer")->trigger();
    DrumMixerPanel& mixer = *w.tools().drumMixer();
    for (int row : {5, 6})
        mixer.noteList()->item(row)->setSelected(true);
    mixer.typeList()->setCurrentIndex(2); // " Pan"
    EXPECT_TRUE(mixer.noteList()->selectedItems().isEmpty());
    rig.take();
    const Bytes before = w.image().bytes();
    releaseFader(mixer, 10);
    EXPECT_TRUE(rig.take().empty());
    EXPECT_EQ(w.image().bytes(), before);
}

TEST(MainWindowTools, DrumMixerAndCopyPanelNeverShareTheWindow)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.frame().action("CopyToneOrDrum")->trigger();
    ASSERT_NE(w.copy().copyMode(), CopyCommands::CopyMode::Off);
    w.frame().action("DrumMixer")->trigger();
    EXPECT_FALSE(w.tools().drumMixerOpen()) << "the mixer opened over the copy panel";
    w.frame().action("Done")->trigger();
    EXPECT_TRUE(w.sheets().pages()->isVisible());

    w.frame().action("DrumMixer")->trigger();
    ASSERT_TRUE(w.tools().drumMixerOpen());
    w.frame().action("CopyToneOrDrum")->trigger();
    EXPECT_EQ(w.copy().copyMode(), CopyCommands::CopyMode::Off)
        << "the copy panel opened over the mixer";
    w.tools().drumMixer()->closeButton()->click();
    EXPECT_FALSE(w.tools().drumMixerOpen());
    EXPECT_TRUE(w.sheets().pages()->isVisible());
}

TEST(MainWindowTools, DrumMixerFaderStaysInsideTheTypesRange)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.frame().action("DrumMixer")->trigger();
    DrumMixerPanel& mixer = *w.tools().drumMixer();
    mixer.typeList()->setCurrentText(" Pan");
    EXPECT_EQ(mixer.fader()->Max(), 126);

    // Standing at 100, the fader is narrowed to Wave Gain's four values.
    mixer.fader()->SetRevPosition(100);
    mixer.typeList()->setCurrentText(" Gain");
    EXPECT_EQ(mixer.fader()->Max(), 3);
    mixer.noteList()->item(0)->setSelected(true);
    rig.take();
    test::release(mixer.fader(), QPoint(2, 2));
    EXPECT_EQ(rig.take(), (Messages{drumParam(0, 5, 3)}));
    EXPECT_EQ(w.image().ReadByte(RhythmPart, 0, 5), 3);
    // Widened again, it stays where it was rather than leaping to the far end.
    mixer.typeList()->setCurrentText(" Level");
    EXPECT_EQ(mixer.fader()->RevPosition(), 3);
}

TEST(MainWindowTools, LookUpFollowsTheShownToneAndThePartsOwnSwitches)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.image().WriteByte(0, 0, CcPortamentoSwitchOffset, 1);
    w.image().WriteByte(0, 2, 81, 33);
    w.sheets().showSheet(Sheet::Common); // the Portamento Switch control shows part 1's "on"
    w.sheets().showSheet(Sheet::Tone);
    w.sheets().selectShownTone(2);
    rig.take();
    const Bytes before = w.image().bytes();
    w.frame().action("CcLookUp")->trigger();
    const QStringList lines = rig.dialogs.lastText().split("\r\n");
    ASSERT_EQ(lines.size(), 31); // each line ends in a break
    EXPECT_EQ(lines[3], "#74 filter cutoff = 33");
    EXPECT_EQ(lines[28], "#65 portamento switch = 127");
    EXPECT_TRUE(rig.take().empty());
    EXPECT_EQ(w.image().bytes(), before);

    // Part 2 has its portamento off, whatever the hidden control still shows.
    w.sheets().selectPart(1);
    ASSERT_EQ(rig.control("porta")->Position(), 1);
    w.frame().action("CcLookUp")->trigger();
    EXPECT_EQ(rig.dialogs.lastText().split("\r\n")[28], "#65 portamento switch = 0");

    w.sheets().selectPart(7);
    w.frame().action("CcLookUp")->trigger();
    EXPECT_EQ(rig.dialogs.lastText(), texts::CcLookUpOnPartR);
}

TEST(MainWindowTools, LookUpRowsAreTheControlsControllersAndOffsets)
{
    for (const CcLookUpRow& row : ccLookUpTable()) {
        const Binding* b = findBinding(row.control);
        ASSERT_NE(b, nullptr) << row.control;
        EXPECT_EQ(b->ctrlNo, row.offset) << row.control;
        EXPECT_EQ("#" + std::to_string(b->tag1) + " ",
                  row.label.substr(0, row.label.find(' ') + 1));
        EXPECT_EQ(b->handler == Handler::Common, row.common) << row.control;
    }
    EXPECT_EQ(findBinding("porta")->ctrlNo, CcPortamentoSwitchOffset);
    EXPECT_EQ(findBinding("solo")->ctrlNo, CcKeyAssignModeOffset);
}

TEST(MainWindowTools, ConversionThereAndBackGivesTheFileBack)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    // A SuperJV/XP patch: a 72-byte common and four tones.
    Bytes jv;
    for (std::uint8_t m = 0; m < 5; ++m) {
        const Bytes data(m == 0 ? 72 : 127, std::uint8_t(m * 9 + 1));
        const Bytes message =
            dataSetMessage(tsJVXP, {0x03, 0x00, std::uint8_t(m ? 0x0E + 2 * m : 0), 0x00}, data);
        jv.insert(jv.end(), message.begin(), message.end());
    }
    const std::string in = rig.file("jv.syx"), mc = rig.file("mc.syx"), back = rig.file("back.syx");
    test::writeFile(in, jv);
    for (const auto& f : {in, mc, mc, back})
        rig.dialogs.files.push_back(QString::fromStdString(f));
    w.frame().action("SwapModel")->trigger();
    EXPECT_EQ(rig.dialogs.lastText(), texts::SwapDone);
    EXPECT_EQ(test::readFile(mc).size(), jv.size() + 5 + 2);
    w.frame().action("SwapModel")->trigger();
    EXPECT_EQ(test::readFile(back), jv);
    ASSERT_EQ(rig.dialogs.fileRequests.size(), 4u);
    EXPECT_EQ(rig.dialogs.fileRequests[0].title, texts::SwapSourceTitle);
    EXPECT_EQ(rig.dialogs.fileRequests[1].title, texts::SwapTargetTitle);

    // Not a patch file: the reason is shown, no name asked for, nothing written.
    const std::string bad = rig.file("bad.syx");
    test::writeFile(bad, test::randomBytes(300, 5));
    rig.dialogs.files = {QString::fromStdString(bad), QString::fromStdString(rig.file("out.syx"))};
    w.frame().action("SwapModel")->trigger();
    EXPECT_TRUE(rig.dialogs.lastText().startsWith("bad.syx: "));
    EXPECT_NE(rig.dialogs.lastText(), texts::SwapDone);
    EXPECT_EQ(rig.dialogs.files.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(rig.file("out.syx")));
}
