// SPDX-License-Identifier: GPL-3.0-or-later
// Morph and Breed in the real main window: the panels take the sheets'
// place, what they put on the part is heard, "Keep" is one step of the
// history and "Cancel" (or Undo) puts the part back on both sides.
#include "windowrig.h"

#include "editor/breedcommands.h"
#include "editor/breedpanel.h"
#include "editor/morphcommands.h"
#include "editor/morphpanel.h"
#include "patch/randomsource.h"
#include "tools/morph.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <fstream>

using namespace dorvane;
using dorvane::test::WindowRig;

namespace {

constexpr int Cutoff = 81;

Bytes partOf(const t505temppatch& image, int part)
{
    const Bytes& all = image.bytes();
    const auto start = all.begin() + std::ptrdiff_t(partBlockOffset(part));
    return Bytes(start, start + std::ptrdiff_t(partBlockSize(part)));
}

} // namespace

TEST(MainWindowMorph, TheSliderIsHeardAndCancelPutsThePartBackOnBothSides)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.session().image().WriteByte(1, 1, Cutoff, 100); // part 2, B for part 1
    w.session().history().reset(w.image().bytes());
    rig.take();
    const Bytes original = w.image().bytes();
    const std::string nameA = w.image().GetPatchName(0);

    w.frame().action("Morph")->trigger();
    MorphCommands& morph = *w.parts().morph;
    ASSERT_TRUE(morph.isOpen());
    ASSERT_TRUE(morph.panel()->isVisible());
    EXPECT_FALSE(w.sheets().selectionBar()->isEnabled());
    // Part 2 is the first sound offered.
    EXPECT_TRUE(morph.panel()->sourceList()->currentText().startsWith("Part 2"));

    const int cutoffA = w.image().ReadByte(0, 1, Cutoff);
    morph.panel()->slider()->setValue(MorphMax);
    EXPECT_EQ(w.image().ReadByte(0, 1, Cutoff), 100);
    EXPECT_EQ(w.image().GetPatchName(0), nameA);
    EXPECT_FALSE(rig.take().empty()) << "the slider's step is heard";
    morph.panel()->slider()->setValue(MorphMax / 2);
    EXPECT_EQ(w.image().ReadByte(0, 1, Cutoff),
              morphValue({Cutoff, 128, false, true, 0}, cutoffA, 100, MorphMax / 2));

    QTest::mouseClick(morph.panel()->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(morph.isOpen());
    EXPECT_EQ(w.image().bytes(), original);
    EXPECT_FALSE(w.session().history().canUndo());
    EXPECT_TRUE(w.sheets().selectionBar()->isEnabled());
    // The instrument heard part 1 go back: the last messages are A's own.
    const auto sent = rig.take();
    ASSERT_FALSE(sent.empty());
}

TEST(MainWindowMorph, KeepIsOneStepAndAFileGivesSoundsBadFilesNone)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    const Bytes original = w.image().bytes();
    t505temppatch other = w.image();
    other.WriteByte(3, 2, Cutoff, 7);
    const std::string good = rig.file("other.syx");
    other.SavePartFile(good, 3);
    const std::string bad = rig.file("cut.syx");
    {
        std::ofstream out(bad, std::ios::binary);
        const Bytes b = other.refreshedPartBytes(3);
        out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size() / 2));
    }

    w.frame().action("Morph")->trigger();
    MorphCommands& morph = *w.parts().morph;
    const int sources = morph.panel()->sourceList()->count();
    EXPECT_FALSE(morph.addFile(QString::fromStdString(bad)));
    EXPECT_FALSE(w.frame().statusText().isEmpty());
    EXPECT_EQ(morph.panel()->sourceList()->count(), sources);
    EXPECT_EQ(w.image().bytes(), original) << "a bad file changes nothing";

    rig.dialogs.files.push_back(QString::fromStdString(good));
    QTest::mouseClick(morph.panel()->fileButton(), Qt::LeftButton);
    ASSERT_EQ(morph.panel()->sourceList()->count(), sources + 1);
    morph.panel()->slider()->setValue(MorphMax);
    EXPECT_EQ(w.image().ReadByte(0, 2, Cutoff), 7);
    rig.take();

    QTest::mouseClick(morph.panel()->keepButton(), Qt::LeftButton);
    EXPECT_FALSE(morph.isOpen());
    EXPECT_EQ(w.session().history().undoCount(), 1u);
    EXPECT_EQ(w.image().ReadByte(0, 2, Cutoff), 7);
    w.history().undo();
    EXPECT_EQ(w.image().bytes(), original);
    EXPECT_FALSE(rig.take().empty());
}

TEST(MainWindowBreed, ThreeGenerationsKeptAreOneUndoFromTheOriginal)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.random().setFixedSeed(27);
    w.sheets().selectPart(2);
    rig.take();
    const Bytes original = w.image().bytes();

    w.frame().action("Breed")->trigger();
    BreedCommands& breed = *w.parts().breed;
    BreedPanel& panel = *breed.panel();
    ASSERT_TRUE(breed.isOpen());
    ASSERT_EQ(breed.generation().size(), std::size_t(BreedTiles));
    const std::vector<t505temppatch> first = breed.generation();
    EXPECT_FALSE(panel.keepButton()->isEnabled()) << "nothing heard yet";

    QTest::mouseClick(panel.tile(2), Qt::LeftButton);
    EXPECT_EQ(partOf(w.image(), 2), partOf(first[2], 2));
    EXPECT_TRUE(panel.tile(2)->isChecked());
    EXPECT_FALSE(rig.take().empty()) << "a tile tried is heard";

    // Three favourites at most.
    for (int i : {0, 2, 5})
        panel.favouriteBox(i)->click();
    panel.favouriteBox(7)->click();
    EXPECT_FALSE(panel.favouriteBox(7)->isChecked());
    QTest::mouseClick(panel.nextButton(), Qt::LeftButton);
    EXPECT_EQ(breed.generationCount(), 2);
    panel.favouriteBox(1)->click();
    QTest::mouseClick(panel.nextButton(), Qt::LeftButton);
    EXPECT_EQ(breed.generationCount(), 3);
    QTest::mouseClick(panel.backButton(), Qt::LeftButton);
    QTest::mouseClick(panel.backButton(), Qt::LeftButton);
    EXPECT_EQ(breed.generationCount(), 1);
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(breed.generation()[i].bytes(), first[i].bytes());
    panel.favouriteBox(4)->click();
    QTest::mouseClick(panel.nextButton(), Qt::LeftButton);
    panel.favouriteBox(6)->click();
    QTest::mouseClick(panel.nextButton(), Qt::LeftButton);
    ASSERT_EQ(breed.generationCount(), 3);

    QTest::mouseClick(panel.tile(5), Qt::LeftButton);
    const Bytes kept = partOf(breed.generation()[5], 2);
    QTest::mouseClick(panel.keepButton(), Qt::LeftButton);
    EXPECT_FALSE(breed.isOpen());
    EXPECT_EQ(partOf(w.image(), 2), kept);
    EXPECT_EQ(w.session().history().undoCount(), 1u);
    rig.take();
    w.history().undo();
    EXPECT_EQ(w.image().bytes(), original);
    EXPECT_FALSE(rig.take().empty()) << "the instrument hears the original again";
}

TEST(MainWindowBreed, UndoWhileBreedingCancelsAndAFixedSeedReplays)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.random().setFixedSeed(5);
    const Bytes original = w.image().bytes();
    w.frame().action("Breed")->trigger();
    BreedCommands& breed = *w.parts().breed;
    const std::vector<t505temppatch> first = breed.generation();
    QTest::mouseClick(breed.panel()->tile(0), Qt::LeftButton);
    EXPECT_NE(w.image().bytes(), original);
    w.history().undo();
    EXPECT_FALSE(breed.isOpen());
    EXPECT_EQ(w.image().bytes(), original);

    w.frame().action("Breed")->trigger();
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(breed.generation()[i].bytes(), first[i].bytes());
    QTest::mouseClick(breed.panel()->cancelButton(), Qt::LeftButton);
}
