// SPDX-License-Identifier: GPL-3.0-or-later
// The library's dock with several rows: three parts exported as a bank land
// where they were put; "sounds like this" lists the parts nearest in sound
// with their distance; two parts compared show their differences in words.
#include "windowrig.h"

#include "editor/differencespanel.h"
#include "editor/librarymodel.h"
#include "editor/librarypanel.h"
#include "library/library.h"
#include "library/patchfileparts.h"
#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "patch/midifileread.h"

#include "support/libraryfiles.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::WindowRig;
namespace fs = std::filesystem;

namespace {

struct BankRig : WindowRig
{
    fs::path root = dir.path() / "patches";

    BankRig()
    {
        test::put(root / "bass.syx", test::partFile(4, 0, 1, "DEEP BASS"));
        test::put(root / "bass edited.syx", edited(4, "DEEP BASS 2", 3));
        test::put(root / "pad.syx", test::partFile(5, 2, 4, "SOFT PAD"));
        test::put(root / "kit.syx", test::rhythmFile(6, "TR KIT"));
        libraryFile = QString::fromStdString(file("index/library.sqlite"));
    }
    // Part 1 of knownImage(seed) with tone 1's cutoff a few steps away.
    static Bytes edited(int seed, const std::string& name, int steps)
    {
        t505temppatch image;
        image.LoadFromBytes(test::knownImage(seed));
        image.SetPatchName(0, name);
        image.WriteByte(0, 1, 81, (image.ReadByte(0, 1, 81) + steps) % 128);
        const auto block = image.partView(0);
        image.LoadPartBlock(Bytes(block.begin(), block.end()), 1);
        return image.PartBytes(1);
    }
    LibraryPanel& panel() { return *window->library().libraryPanel(); }
    void open()
    {
        openPlaying();
        window->frame().action("ViewLibrary")->trigger();
        dialogs.folders.push_back(QString::fromStdString(root.string()));
        panel().action("LibraryAddFolder")->trigger();
        ASSERT_TRUE(
            test::waitUntil([&] { return !window->library().library()->scanning(); }, 20000));
        take();
    }
    // Selects the rows of these names, in the list's order.
    void select(const QStringList& names)
    {
        panel().searchField()->clear();
        QItemSelectionModel* s = panel().view()->selectionModel();
        s->clearSelection();
        for (int row = 0; row < panel().model()->rowCount(); ++row)
            if (names.contains(panel().model()->entry(row)->name)) {
                s->select(panel().model()->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
                s->setCurrentIndex(panel().model()->index(row, 0), QItemSelectionModel::NoUpdate);
            }
    }
};

QByteArray soundAt(ByteView image, int part)
{
    return soundHash(image.subspan(partBlockOffset(part), partBlockSize(part)), part == RhythmPart);
}

} // namespace

TEST(LibraryDockBanks, ThreePartsExportedAsABankAreWhereTheyWerePut)
{
    for (const char* name : {"bank.syx", "bank.mid"}) {
        SCOPED_TRACE(name);
        BankRig rig;
        rig.open();
        // In the list's order: DEEP BASS, SOFT PAD, TR KIT. The bass is put on
        // part 6 (the sixth of 1..7 offered); the pad takes what is offered
        // first, the next free part after it: 7; the kit goes on R unasked.
        rig.select({"DEEP BASS", "SOFT PAD", "TR KIT"});
        rig.dialogs.items = {5, 0};
        const QString out = QString::fromStdString(rig.file(name));
        rig.dialogs.files = {out};
        rig.panel().action("LibraryExportBank")->trigger();

        Bytes written = test::readFile(out.toStdString());
        if (looksLikeMidiFile(written)) {
            Bytes joined;
            for (const auto& m : readMidiFileSysex(written).messages)
                joined.insert(joined.end(), m.bytes.begin(), m.bytes.end());
            written = joined;
        }
        const SysexFileCheck check = checkSysexFile(written);
        ASSERT_EQ(check.kind, SysexFileKind::Image) << check.problem();
        EXPECT_EQ(check.wrongChecksums(), 0u);
        EXPECT_EQ(soundAt(written, 5),
                  readPatchFile(test::partFile(4, 0, 1, "DEEP BASS")).parts[0].sound);
        EXPECT_EQ(soundAt(written, 6),
                  readPatchFile(test::partFile(5, 2, 4, "SOFT PAD")).parts[0].sound);
        EXPECT_EQ(soundAt(written, RhythmPart),
                  readPatchFile(test::rhythmFile(6, "TR KIT")).parts[0].sound);
        // The other parts are the window's own.
        const Bytes own = rig.window->session().image().refreshedBytes();
        EXPECT_EQ(soundAt(written, 3), soundAt(own, 3));
    }
}

TEST(LibraryDockBanks, AWindowStartedEmptyStillWritesABankAndOffersTheNextPartAfterTheOneChosen)
{
    BankRig rig;
    std::filesystem::remove(rig.file("perf.syx"));
    rig.open();
    rig.select({"DEEP BASS", "DEEP BASS 2", "SOFT PAD"});
    // DEEP BASS on 3 (third of 1..7); then 4 is offered first and taken
    // with Enter; then 5, passed over for the first offered after it, 6.
    rig.dialogs.items = {2, 0, 1};
    const QString out = QString::fromStdString(rig.file("bank.syx"));
    rig.dialogs.files = {out};
    rig.panel().action("LibraryExportBank")->trigger();

    const Bytes written = test::readFile(out.toStdString());
    const SysexFileCheck check = checkSysexFile(written);
    ASSERT_EQ(check.kind, SysexFileKind::Image) << check.problem();
    EXPECT_EQ(soundAt(written, 2),
              readPatchFile(test::partFile(4, 0, 1, "DEEP BASS")).parts[0].sound);
    EXPECT_EQ(soundAt(written, 5),
              readPatchFile(test::partFile(5, 2, 4, "SOFT PAD")).parts[0].sound);
    EXPECT_EQ(soundAt(written, 0), soundAt(initialImage(), 0))
        << "the parts not chosen are the initial patch's";
}

TEST(LibraryDockBanks, SoundsLikeThisListsTheEditedCopyFirstAndComparingSaysWhy)
{
    BankRig rig;
    rig.open();
    rig.select({"DEEP BASS"});
    rig.panel().showSoundsLike();
    LibraryModel& model = *rig.panel().model();
    ASSERT_GE(model.rowCount(), 3);
    EXPECT_EQ(model.entry(0)->name, "DEEP BASS");
    EXPECT_EQ(model.entry(1)->name, "DEEP BASS 2") << "a few steps of one cutoff away";
    const double near = model.data(model.index(1, LibraryModel::DistanceColumn), Qt::DisplayRole)
                            .toString()
                            .toDouble();
    const double far = model.data(model.index(2, LibraryModel::DistanceColumn), Qt::DisplayRole)
                           .toString()
                           .toDouble();
    EXPECT_GT(near, 0);
    EXPECT_LT(near, far);
    EXPECT_FALSE(rig.panel().view()->isColumnHidden(LibraryModel::DistanceColumn));
    // Copies a step or two apart lie hundredths apart, and must not read as the same sound.
    model.setNearest({0, 1}, {0, 0.031});
    EXPECT_EQ(model.data(model.index(1, LibraryModel::DistanceColumn), Qt::DisplayRole).toString(),
              "0.031");
    rig.panel().showSoundsLike();
    for (int row = 0; row < model.rowCount(); ++row)
        EXPECT_FALSE(model.entry(row)->rhythm()) << "kits are not compared";
    // A search ends the list.
    rig.panel().searchField()->setText("d");
    EXPECT_TRUE(rig.panel().view()->isColumnHidden(LibraryModel::DistanceColumn));

    rig.select({"DEEP BASS", "DEEP BASS 2"});
    rig.panel().action("LibraryCompare")->trigger();
    auto* panel = rig.window->findChild<DifferencesPanel*>("LibraryDifferences");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(rig.window->frame().shownInSheetArea(), panel->parentWidget());
    QStringList names;
    for (const ImageDifference& d : panel->differences())
        names << QString::fromStdString(d.name);
    // The name and tone 1's cutoff, and nothing else.
    EXPECT_EQ(panel->differences().size(), 2u) << names.join(", ").toStdString();
    EXPECT_TRUE(names.filter("Cutoff").size() == 1) << names.join(", ").toStdString();
    QPushButton* take = panel->takeTheirsButton(0);
    EXPECT_TRUE(take == nullptr || take->isHidden()) << "neither part is the instrument's";
    rig.window->findChild<QPushButton*>("LibraryCompareBack")->click();
    EXPECT_NE(rig.window->frame().shownInSheetArea(), panel->parentWidget());
}
