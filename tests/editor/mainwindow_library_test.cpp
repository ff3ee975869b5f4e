// SPDX-License-Identifier: GPL-3.0-or-later
// The library in the running window: rows loaded, auditioned and dropped onto
// PART buttons put the exact bytes of the file's part into the right part,
// send them, and go back with one Undo; marks and saved parts outlive a
// restart of the window.
#include "windowrig.h"

#include "editor/librarymodel.h"
#include "editor/librarypanel.h"
#include "library/library.h"
#include "library/librarydatabase.h"
#include "patch/rolandmessage.h"

#include "support/libraryfiles.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::Messages;
using dorvane::test::WindowRig;
namespace fs = std::filesystem;

namespace {

Messages hexMessages(ByteView bytes)
{
    Messages out;
    for (ByteView m : splitSysex(bytes))
        out.push_back(test::hex(Bytes(m.begin(), m.end())));
    return out;
}

// A window whose library holds a folder of an image, a part file saved from
// part 5 and a part R file, read to the end.
struct LibraryRig : WindowRig
{
    fs::path root = dir.path() / "patches";
    Bytes song = test::knownImage(1);
    Bytes bass = test::partFile(4, 0, 4, "DEEP BASS");
    Bytes kit = test::rhythmFile(5, "TR KIT");

    LibraryRig()
    {
        test::put(root / "song.syx", song);
        test::put(root / "bass" / "from5.syx", bass);
        test::put(root / "kit.syx", kit);
        libraryFile = QString::fromStdString(file("index/library.sqlite"));
    }

    MainWindow& openWithFolder()
    {
        MainWindow& w = openPlaying();
        // Wide enough for the library to stay docked over any font: where it
        // goes on a small screen is the look's test, not these.
        w.resize(3200, 900);
        QApplication::processEvents();
        w.frame().action("ViewLibrary")->trigger();
        if (w.library().library()->folders().isEmpty()) {
            dialogs.folders.push_back(QString::fromStdString(root.string()));
            panel().action("LibraryAddFolder")->trigger();
        }
        settle();
        take();
        return w;
    }
    LibraryPanel& panel() { return *window->library().libraryPanel(); }
    void settle()
    {
        EXPECT_TRUE(
            test::waitUntil([&] { return !window->library().library()->scanning(); }, 20000));
    }
    // Searches and makes the first row found current; its row.
    int find(const QString& text)
    {
        panel().searchField()->setText(text);
        if (panel().model()->rowCount() == 0)
            return -1;
        panel().view()->setCurrentIndex(panel().model()->index(0, LibraryModel::NameColumn));
        return 0;
    }
    void click(int row, int column, bool twice = false)
    {
        QTableView* view = panel().view();
        const QPoint at = view->visualRect(panel().model()->index(row, column)).center();
        // A double click is a click and then the second press, as a mouse gives them.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }
    // The image with a file's part put onto a part and sent, as the window
    // must hold it: renumbered, its checksums refreshed by the sending.
    static Bytes withPart(const Bytes& image, ByteView block, int part)
    {
        t505temppatch p;
        p.LoadFromBytes(image);
        p.LoadPartBlock(block, part);
        p.UpdateChecksums(part);
        return p.bytes();
    }
};

} // namespace

TEST(MainWindowLibrary, LoadPutsTheFilesPartOnTheCurrentPartSendsItAndOneUndoTakesItBack)
{
    LibraryRig rig;
    MainWindow& w = rig.openWithFolder();
    EXPECT_EQ(rig.panel().model()->rowCount(), 8 + 1 + 1);
    EXPECT_EQ(w.frame().statusText(),
              "Library read: 3 new or changed files (0 no patch files), 0 gone; 10 parts in all")
        << "the added folder's \"Reading...\" gets its answer";
    w.sheets().selectPart(2);
    const Bytes before = w.image().bytes();
    ASSERT_EQ(rig.find("deep bass"), 0);
    const std::size_t asked = rig.dialogs.asked.size();
    rig.click(0, LibraryModel::NameColumn, true);

    const Bytes expected = LibraryRig::withPart(before, rig.bass, 2);
    EXPECT_EQ(w.image().bytes(), expected)
        << "part 3 holds the file's part, renumbered; nothing else moved";
    t505temppatch sent;
    sent.LoadFromBytes(expected);
    EXPECT_EQ(rig.take(), hexMessages(sent.PartBytes(2)))
        << "the part goes out with fresh checksums";
    EXPECT_EQ(w.frame().action("Undo")->text(), "Undo Load DEEP BASS from the library, part 3");
    EXPECT_EQ(w.sheets().nameField()->text(), "DEEP BASS");
    EXPECT_EQ(rig.dialogs.asked.size(), asked) << "no unsaved changes, no question";

    w.frame().action("Undo")->trigger();
    EXPECT_EQ(w.image().bytes(), before);
    EXPECT_EQ(rig.take().size(), 5u) << "the instrument gets part 3's five messages back";

    // Enter on a row loads it as a double click does.
    ASSERT_EQ(rig.find("S1 PART 6"), 0);
    rig.panel().view()->setFocus();
    QTest::keyClick(rig.panel().view(), Qt::Key_Return);
    const ByteView six = ByteView(rig.song).subspan(5 * PartBlockSize, PartBlockSize);
    EXPECT_EQ(w.image().bytes(), LibraryRig::withPart(before, six, 2));
}

TEST(MainWindowLibrary, ALoadOverUnsavedChangesAsksAsOpeningAPartFileDoes)
{
    LibraryRig rig;
    MainWindow& w = rig.openWithFolder();
    rig.release("cutoff", 33);
    const Bytes edited = w.image().bytes();
    rig.take();
    ASSERT_EQ(rig.find("deep bass"), 0);
    rig.dialogs.answers = {false};
    rig.click(0, LibraryModel::NameColumn, true);
    ASSERT_EQ(rig.dialogs.asked.size(), 1u);
    EXPECT_TRUE(rig.dialogs.asked[0].text.startsWith("There are changes not saved to a file"))
        << rig.dialogs.asked[0].text.toStdString();
    EXPECT_EQ(w.image().bytes(), edited) << "No keeps the edit";
    EXPECT_TRUE(rig.take().empty());

    rig.dialogs.answers = {true};
    rig.panel().action("LibraryLoad")->trigger();
    EXPECT_EQ(rig.dialogs.asked.size(), 2u);
    EXPECT_EQ(w.image().bytes(), LibraryRig::withPart(edited, rig.bass, 0));
}

TEST(MainWindowLibrary, AnAuditionPlaysTheFilesPartButKeepsTheWindowsSound)
{
    LibraryRig rig;
    MainWindow& w = rig.openWithFolder();
    w.sheets().selectPart(2);
    rig.release("cutoff", 33); // a sound of one's own, not saved
    const Bytes mine = w.image().bytes();
    const std::size_t steps = w.session().history().undoCount();
    rig.take();

    // Three auditions: the instrument plays each, the window keeps mine.
    const std::size_t asked = rig.dialogs.asked.size();
    for (const char* name : {"S1 PART 2", "S1 PART 4", "deep bass"}) {
        ASSERT_EQ(rig.find(name), 0) << name;
        rig.click(0, LibraryModel::PlayColumn);
        EXPECT_EQ(w.image().bytes(), mine) << name;
        EXPECT_EQ(w.session().history().undoCount(), steps) << name;
        EXPECT_EQ(w.session().partIndex(), 2);
    }
    EXPECT_EQ(rig.dialogs.asked.size(), asked) << "an audition asks nothing";
    t505temppatch heard;
    heard.LoadFromBytes(LibraryRig::withPart(mine, rig.bass, 2));
    const Messages sent = rig.take();
    ASSERT_GE(sent.size(), 5u);
    EXPECT_EQ(Messages(sent.end() - 5, sent.end()), hexMessages(heard.PartBytes(2)))
        << "the instrument plays the last part auditioned";

    // Esc ends it: the instrument gets my part back.
    ASSERT_TRUE(w.frame().statusText().startsWith("Auditioning DEEP BASS on part 3"))
        << w.frame().statusText().toStdString();
    QTest::keyClick(rig.panel().view(), Qt::Key_Escape);
    t505temppatch own;
    own.LoadFromBytes(mine);
    EXPECT_EQ(rig.take(), hexMessages(own.PartBytes(2)));
    EXPECT_EQ(w.frame().statusText(), "Part 3 plays its own sound again");
    QTest::keyClick(rig.panel().view(), Qt::Key_Escape);
    EXPECT_TRUE(rig.take().empty()) << "ended once";

    // Another action ends it too, and so does closing the dock.
    rig.click(0, LibraryModel::PlayColumn);
    rig.take();
    rig.release("q", 50);
    const Messages afterEdit = rig.take();
    ASSERT_GE(afterEdit.size(), 5u);
    own.LoadFromBytes(w.image().bytes());
    EXPECT_EQ(Messages(afterEdit.end() - 5, afterEdit.end()), hexMessages(own.PartBytes(2)));
    rig.click(0, LibraryModel::PlayColumn);
    rig.take();
    rig.panel().close();
    EXPECT_EQ(rig.take(), hexMessages(own.PartBytes(2)));
    EXPECT_EQ(w.image().bytes(), own.bytes());
}

TEST(MainWindowLibrary, LoadTakesTheAuditionedPartAsOneStepAndKitsGoOnPartROnly)
{
    LibraryRig rig;
    MainWindow& w = rig.openWithFolder();
    const Bytes before = w.image().bytes();
    ASSERT_EQ(rig.find("tr kit"), 0);
    rig.click(0, LibraryModel::PlayColumn);
    EXPECT_EQ(w.session().partIndex(), 7) << "a kit goes onto part R, whatever part was current";
    EXPECT_EQ(rig.take(), hexMessages(rig.kit));
    EXPECT_EQ(w.image().bytes(), before);
    rig.panel().action("LibraryLoad")->trigger();
    EXPECT_EQ(w.image().bytes(), LibraryRig::withPart(before, rig.kit, RhythmPart));
    EXPECT_EQ(w.frame().action("Undo")->text(), "Undo Load TR KIT from the library, part R");
    rig.take();
    w.frame().action("Undo")->trigger();
    EXPECT_EQ(w.image().bytes(), before);
    EXPECT_FALSE(w.frame().action("Undo")->isEnabled()) << "the load was one step";
    rig.take();

    // A patch for parts 1-7 is not put onto part R, and a kit not onto part 2.
    ASSERT_EQ(rig.find("deep bass"), 0);
    rig.panel().action("LibraryAudition")->trigger();
    EXPECT_EQ(w.image().bytes(), before);
    EXPECT_TRUE(rig.take().empty());
    EXPECT_TRUE(w.frame().statusText().startsWith("DEEP BASS is a patch for parts 1-7"));
    w.library().loadFromLibrary(*rig.panel().currentEntry(), LibraryCommands::LibraryLoad::Load, 1);
    ASSERT_EQ(rig.find("tr kit"), 0);
    const Bytes bassOn2 = w.image().bytes();
    w.library().loadFromLibrary(*rig.panel().currentEntry(), LibraryCommands::LibraryLoad::Load, 1);
    EXPECT_EQ(w.image().bytes(), bassOn2);
    EXPECT_EQ(w.frame().statusText(), "TR KIT is a part R kit: it goes onto part R only");
}

TEST(MainWindowLibrary, AFileChangedOnDiskIsNotLoadedButReadAgain)
{
    LibraryRig rig;
    MainWindow& w = rig.openWithFolder();
    ASSERT_EQ(rig.find("S1 PART 2"), 0);
    test::writeFile((rig.root / "song.syx").string(), test::knownImage(2));
    const Bytes before = w.image().bytes();
    rig.panel().action("LibraryLoad")->trigger();
    EXPECT_EQ(w.image().bytes(), before);
    EXPECT_TRUE(rig.take().empty());
    EXPECT_TRUE(w.frame().statusText().startsWith("song.syx has changed since the library read it"))
        << w.frame().statusText().toStdString();
    rig.panel().searchField()->setText("S2 PART");
    EXPECT_EQ(rig.panel().model()->rowCount(), 7) << "the file was read again";
    rig.panel().searchField()->setText("S1 PART");
    EXPECT_EQ(rig.panel().model()->rowCount(), 0);
}

TEST(MainWindowLibrary, ARowDroppedOnAPartButtonLoadsThere)
{
    LibraryRig rig;
    MainWindow& w = rig.openWithFolder();
    const Bytes before = w.image().bytes();
    ASSERT_EQ(rig.find("deep bass"), 0);
    std::unique_ptr<QMimeData> data(
        rig.panel().model()->mimeData({rig.panel().model()->index(0, LibraryModel::NameColumn)}));
    QAbstractButton* five = w.findChild<QAbstractButton*>("PART4");
    ASSERT_TRUE(five);
    QDragEnterEvent enter(QPoint(3, 3), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(five, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(3, 3), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(five, &drop);
    EXPECT_TRUE(test::waitUntil([&] { return w.image().bytes() != before; }));
    EXPECT_EQ(w.session().partIndex(), 4);
    EXPECT_EQ(w.image().bytes(), LibraryRig::withPart(before, rig.bass, 4));
}

TEST(MainWindowLibrary, SavedPartsAndFavouritesOutliveARestart)
{
    LibraryRig rig;
    MainWindow& w = rig.openWithFolder();
    w.sheets().selectPart(1);
    w.image().SetPatchName(1, "MY BASS");
    const Bytes part = w.image().refreshedPartBytes(1);
    rig.panel().action("LibrarySavePart")->trigger();
    rig.panel().action("LibrarySavePart")->trigger();
    EXPECT_EQ(test::readFile((rig.root / "MY BASS.syx").string()), part);
    EXPECT_EQ(test::readFile((rig.root / "MY BASS (2).syx").string()), part)
        << "never over a file that is there";
    ASSERT_EQ(rig.find("my bass"), 0);
    EXPECT_EQ(rig.panel().model()->rowCount(), 2) << "indexed at once";
    rig.click(0, LibraryModel::StarColumn);
    rig.panel().searchField()->setText("S1 PART 4");
    rig.click(0, LibraryModel::StarColumn);
    rig.closeWindow();

    rig.open();
    rig.settle();
    rig.panel().searchField()->clear();
    rig.panel().favouritesBox()->setChecked(true);
    ASSERT_EQ(rig.panel().model()->rowCount(), 2);
    EXPECT_EQ(rig.panel().model()->entry(0)->name, "MY BASS");
    EXPECT_EQ(rig.panel().model()->entry(1)->name, "S1 PART 4");
    EXPECT_TRUE(rig.window->library().libraryPanel()->isVisible())
        << "the dock is where it was left";
}

TEST(MainWindowLibrary, AnIndexOfALaterVersionLeavesTheWindowWorking)
{
    LibraryRig rig;
    {
        LibraryDatabase db(rig.libraryFile);
    }
    {
        auto raw = QSqlDatabase::addDatabase("QSQLITE", "later");
        raw.setDatabaseName(rig.libraryFile);
        ASSERT_TRUE(raw.open());
        QSqlQuery(raw).exec("PRAGMA user_version = 9");
        raw.close();
    }
    QSqlDatabase::removeDatabase("later");
    MainWindow& w = rig.openPlaying();
    // The index is opened when the library is first shown, not at start-up.
    EXPECT_FALSE(rig.panel().statusLabel()->text().contains("written by a later version"));
    w.frame().action("ViewLibrary")->trigger();
    EXPECT_EQ(w.library().library(), nullptr);
    EXPECT_TRUE(rig.panel().statusLabel()->text().contains("written by a later version"));
    EXPECT_FALSE(rig.panel().action("LibraryAddFolder")->isEnabled());
    w.sheets().selectPart(3);
    EXPECT_EQ(w.session().partIndex(), 3);
}
