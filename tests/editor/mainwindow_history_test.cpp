// SPDX-License-Identifier: GPL-3.0-or-later
// The Edit menu's Undo and Redo over every kind of change the window makes:
// each restores the exact image and sends exactly the messages that changed.
#include "windowrig.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>

#include <gtest/gtest.h>

#include <set>

using namespace dorvane;
using dorvane::test::Messages;
using dorvane::test::WindowRig;

namespace {

// A message of an image as a send of its part would put it on the wire: the
// part's common (area 0), a tone, or on part R a drum note (area 1 + note).
std::string messageOf(const Bytes& image, int part, int area)
{
    t505temppatch copy;
    copy.LoadFromBytes(image);
    const Bytes block = copy.PartBytes(part);
    std::size_t start = 0;
    std::size_t size = CommonMessageSize;
    if (part == RhythmPart) {
        size = area == 0 ? RhythmCommonMessageSize : DrumNoteMessageSize;
        start = area == 0 ? 0 : RhythmCommonMessageSize + std::size_t(area - 1) * size;
    } else if (area > 0) {
        size = ToneMessageSize;
        start = CommonMessageSize + std::size_t(area - 1) * size;
    }
    return test::hex(
        Bytes(block.begin() + std::ptrdiff_t(start), block.begin() + std::ptrdiff_t(start + size)));
}

struct Where
{
    int part;
    int area;
};

Messages messagesOf(const Bytes& image, std::initializer_list<Where> where)
{
    Messages m;
    for (const Where& w : where)
        m.push_back(messageOf(image, w.part, w.area));
    return m;
}

} // namespace

TEST(MainWindowHistory, EveryKindOfChangeGoesBackAndForthWithItsOwnMessages)
{
    WindowRig rig;
    std::filesystem::copy_file(test::binDir() + "/part.syx", rig.file("part.syx"));
    MainWindow& w = rig.openPlaying();
    QAction* undo = w.frame().action("Undo");
    QAction* redo = w.frame().action("Redo");
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(undo->text(), "Undo");

    // An 8-part file and a part file that differ from the start in a few places.
    t505temppatch file;
    file.LoadFromBytes(w.image().bytes());
    file.SetPatchName(4, "FROM FILE");
    file.WriteByte(RhythmPart, 3, 9, (file.ReadByte(RhythmPart, 3, 9) + 1) % 128);
    file.SaveToFile(rig.file("song.syx"));
    file.WriteByte(2, 2, 83, 77);
    file.SavePartFile(rig.file("bass.syx"), 2);

    struct Change
    {
        const char* text;
        std::function<void()> make;
        std::initializer_list<Where> changed;
    };
    const Change changes[] = {
        {"Cutoff Frequency, part 3",
         [&] {
             w.sheets().selectPart(2);
             w.session().setToneSelected(3, true);
             rig.release("cutoff", 90);
         },
         {{2, 1}, {2, 3}}},
        {"Analog Feel Depth, part 3", [&] { rig.release("analog", 3); }, {{2, 0}}},
        {"Patch Name, part 3",
         [&] {
             w.sheets().nameField()->setText("HISTORY");
             QTest::keyClick(w.sheets().nameField(), Qt::Key_Return);
         },
         {{2, 0}}},
        {"Wave, part 3", [&] { w.sheets().selectWave(300); }, {{2, 1}, {2, 3}}},
        {"Open bass.syx, part 3",
         [&] {
             rig.dialogs.files.push_back(QString::fromStdString(rig.file("bass.syx")));
             w.frame().action("OpenPart")->trigger();
         },
         {{2, 0}, {2, 1}, {2, 2}, {2, 3}}},
        // The template is the neutral part the window started with.
        {"Initialize Part 3", [&] { w.frame().action("InitializePatch")->trigger(); }, {{2, 2}}},
        {"Open song.syx",
         [&] {
             rig.dialogs.files.push_back(QString::fromStdString(rig.file("song.syx")));
             w.frame().action("Open8Part")->trigger();
         },
         {{4, 0}, {RhythmPart, 4}}},
        {"Tone Level, part R drum note E2",
         [&] {
             w.sheets().selectPart(7);
             w.sheets().selectDrumNote(5);
             rig.release("tonelevel", 12);
         },
         {{RhythmPart, 6}}},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.text);
        const Bytes before = w.image().bytes();
        c.make();
        const Bytes after = w.image().bytes();
        rig.take();
        EXPECT_EQ(undo->text(), QString("Undo ") + c.text);
        undo->trigger();
        EXPECT_EQ(w.image().bytes(), before);
        EXPECT_EQ(rig.take(), messagesOf(before, c.changed));
        // The status line says what went, not the values from before it.
        EXPECT_EQ(w.frame().statusText(), QString("Undone: ") + c.text);
        EXPECT_EQ(redo->text(), QString("Redo ") + c.text);
        redo->trigger();
        EXPECT_EQ(w.image().bytes(), after);
        EXPECT_EQ(rig.take(), messagesOf(after, c.changed));
        EXPECT_EQ(w.frame().statusText(), QString("Redone: ") + c.text);
        EXPECT_FALSE(redo->isEnabled());
    }
    // The controls follow: part R, drum note 5's level as redone.
    EXPECT_EQ(rig.control("tonelevel")->Caption(), "12");
    undo->trigger();
    EXPECT_EQ(rig.control("tonelevel")->Caption(),
              QString::number(w.image().ReadByte(RhythmPart, 5, 41)));
}

TEST(MainWindowHistory, AShakeGoesBackAsTheFiveMessagesOfItsPart)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.random().setFixedSeed(5);
    w.sheets().selectPart(5);
    for (int t = 1; t <= 4; ++t)
        w.session().setToneSelected(t, true);
    w.sheets().showSheet(Sheet::Common);
    w.shake().openShakeMenu(rig.control("analog"), QPoint(1, 1));
    w.shake().shakeMenu()->findChild<QAction*>("EnableShakenthisgroup")->trigger();
    const Bytes before = w.image().bytes();
    w.shake().autoSendShakeBox()->setChecked(false);
    w.frame().action("ShakePatch")->trigger();
    const Bytes shaken = w.image().bytes();
    rig.take();
    ASSERT_EQ(w.frame().action("Undo")->text(), "Undo Shake, part 6");
    w.frame().action("Undo")->trigger();
    EXPECT_EQ(w.image().bytes(), before);
    EXPECT_EQ(rig.take(), messagesOf(before, {{5, 0}, {5, 1}, {5, 2}, {5, 3}, {5, 4}}));
    EXPECT_EQ(rig.control("analog")->Position(), before[*bytePosition(5, 0, 48)]);
    w.frame().action("Redo")->trigger();
    EXPECT_EQ(w.image().bytes(), shaken);
    EXPECT_EQ(rig.take().size(), 5u);

    // Undo Shake is a step of its own.
    rig.dialogs.answers = {true};
    w.frame().action("UndoShake")->trigger();
    EXPECT_EQ(w.frame().action("Undo")->text(), "Undo Undo Shake");
    w.frame().action("Undo")->trigger();
    EXPECT_EQ(w.image().bytes(), shaken);
}

TEST(MainWindowHistory, AHundredStepsAreKeptAndTheOldestGoQuietly)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    std::vector<Bytes> after;
    for (int i = 0; i < 150; ++i) {
        rig.release("q", i % 2 ? 20 + i % 50 : 100);
        after.push_back(w.image().bytes());
    }
    rig.take();
    for (int i = 0; i < 150; ++i)
        w.frame().action("Undo")->trigger();
    EXPECT_EQ(w.image().bytes(), after[49]);
    EXPECT_FALSE(w.frame().action("Undo")->isEnabled());
    EXPECT_EQ(w.frame().action("Redo")->text(), "Redo Resonance, part 1");
    EXPECT_EQ(rig.take().size(), 100u) << "one tone message a step, none for the dropped";
}

TEST(MainWindowHistory, ShortcutsAreShownAndClashWithNothing)
{
    WindowRig rig;
    MainWindow& w = rig.open();
    EXPECT_EQ(w.frame().action("Undo")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));
    EXPECT_EQ(w.frame().action("Redo")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_EQ(w.frame().action("ShakePatch")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
    EXPECT_EQ(w.frame().action("UndoShake")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    std::set<QString> seen;
    for (QAction* a : w.findChildren<QAction*>()) {
        if (a->shortcut().isEmpty())
            continue;
        EXPECT_TRUE(seen.insert(a->shortcut().toString()).second)
            << a->shortcut().toString().toStdString() << " twice";
    }
    // Ctrl alone leaves the keyboard piano silent.
    rig.store("midiout", "0");
    rig.closeWindow();
    MainWindow& playing = rig.open();
    rig.take();
    QTest::keyClick(playing.sheets().pages(), Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(playing.sheets().pages(), Qt::Key_U, Qt::ControlModifier);
    EXPECT_TRUE(rig.take().empty());
}
