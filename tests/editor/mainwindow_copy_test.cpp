// SPDX-License-Identifier: GPL-3.0-or-later
// The copy mode and the drum-note extraction in the real main window, on the
// loopback driver: what each press copies, what reaches the instrument and
// when, files that are no image, and the ways out of the mode.
#include "windowrig.h"

#include "patch/imagecheck.h"
#include "patch/rolandmessage.h"
#include "support/knownimage.h"
#include "tools/listinfo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::Messages;
using Side = CopyPanel::Side;

namespace {

const char* const TakenMenus[] = {"FileMenu", "EditMenu", "UtilityMenu", "JumpMenu"};

// The part as the instrument must receive it: the window's bytes, checksums fresh.
Messages partOnTheWire(MainWindow& w, int part)
{
    t505temppatch copy = w.image();
    const Bytes bytes = copy.PartBytes(part);
    Messages out;
    for (ByteView m : splitSysex(bytes))
        out.push_back(test::hex(Bytes(m.begin(), m.end())));
    return out;
}

// Drum notes that differ from one another, and a stale checksum in part R
// that a stream at "Done!" must carry refreshed.
Bytes kitImage(int seed)
{
    t505temppatch image;
    image.LoadFromBytes(test::knownImage(seed));
    for (int note = 0; note < DrumNoteCount; ++note)
        for (int offset : {12, 13, 27, 41})
            image.WriteByte(RhythmPart, note, offset, (seed * 11 + note * 3 + offset) % 128);
    image.SetPatchName(RhythmPart, "KIT " + std::to_string(seed));
    Bytes bytes = image.AllBytes();
    bytes[RhythmBlockOffset + RhythmCommonMessageSize + DrumNoteMessageSize - 2] ^= 0x01;
    return bytes;
}

void expectNotesCopied(const t505temppatch& to, int toFirst, const t505temppatch& from,
                       int fromFirst, int count)
{
    for (int i = 0; i < count; ++i)
        for (int offset = 0; offset < int(DrumNoteDataSize); ++offset)
            ASSERT_EQ(to.ReadByte(RhythmPart, toFirst + i, offset),
                      from.ReadByte(RhythmPart, fromFirst + i, offset))
                << "note " << i << " offset " << offset;
}

struct CopyRig : test::WindowRig
{
    MainWindow& w;
    CopyPanel* panel;

    CopyRig() : w(openPlaying()), panel(w.copy().copyPanel()) {}

    void copy(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            panel->copyButton()->click();
    }
    void pick(int source, int destination)
    {
        panel->select(Side::Source, source);
        panel->select(Side::Destination, destination);
    }
    void choosePart(Side side, int part)
    {
        panel->partList(side)->setCurrentIndex(part);
        emit panel->partList(side)->activated(part);
    }
    bool menusShown()
    {
        bool shown = true;
        for (const char* name : TakenMenus)
            shown = shown && w.findChild<QMenu*>(name)->menuAction()->isVisible();
        return shown;
    }
};

} // namespace

TEST(CopyMode, ToneCopiesGoToTheInstrumentAtOnce)
{
    CopyRig rig;
    MainWindow& w = rig.w;
    w.image().LoadFromBytes(test::knownImage(2));
    w.sheets().selectPart(1);
    rig.take();
    w.frame().action("CopyToneOrDrum")->trigger();
    EXPECT_EQ(w.frame().statusText(), "Tone Copy (press ESC or click Done on the menu to exit)");
    EXPECT_TRUE(w.sheets().pages()->isHidden() && rig.panel->isVisible() &&
                w.frame().action("Done")->isVisible());
    EXPECT_FALSE(rig.menusShown());
    EXPECT_EQ(rig.panel->partList(Side::Destination)->currentText(), " part 2");

    // Tone 1 of part 2 to tone 3 of part 5: the part list refills its list.
    const t505temppatch before = w.image();
    rig.choosePart(Side::Destination, 4);
    EXPECT_EQ(rig.panel->list(Side::Destination)->item(0)->text(), "Common Tone: S2 PART 5");
    rig.pick(1, 3);
    rig.copy();
    EXPECT_EQ(rig.take(), partOnTheWire(w, 4)) << "the destination part, as one stream";
    EXPECT_EQ(w.session().history().undoText(), "Copy tone 1 of part 2 to tone 3 of part 5");
    for (int offset = 0; offset < int(ToneDataSize); ++offset)
        ASSERT_EQ(w.image().ReadByte(4, 3, offset), before.ReadByte(1, 1, offset)) << offset;

    // The common onto a tone is refused and changes nothing.
    const Bytes copied = w.image().bytes();
    rig.pick(0, 3);
    rig.copy();
    EXPECT_EQ(rig.dialogs.lastText(), "Common Tone must be copied to Common Tone only. Try again.");
    EXPECT_EQ(w.image().bytes(), copied);
    EXPECT_TRUE(rig.take().empty());

    // A double-click on a tone shows the values of the part chosen on its side.
    w.image().WriteByte(4, 2, 61, 48);
    QListWidget* list = rig.panel->list(Side::Destination);
    const QPoint at = list->visualItemRect(list->item(2)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at); // the view wants a press first
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(rig.dialogs.lastText().split("\r\n").value(2), "Coarse tune: 0");

    // Esc is "Done!": the destination part goes again, and the window comes back.
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_EQ(w.copy().copyMode(), CopyCommands::CopyMode::Off);
    EXPECT_EQ(rig.take(), partOnTheWire(w, 4));
    EXPECT_TRUE(w.sheets().pages()->isVisible() && !rig.panel->isVisible() && rig.menusShown());
    EXPECT_TRUE(w.sheets().selectionBar()->isEnabled());
}

TEST(CopyMode, DrumCopiesMoveDownAndReachTheInstrumentAtDone)
{
    CopyRig rig;
    MainWindow& w = rig.w;
    w.image().LoadFromBytes(kitImage(3));
    w.sheets().selectPart(7);
    w.sheets().selectDrumNote(10);
    rig.take();
    w.frame().action("CopyToneOrDrum")->trigger();
    EXPECT_EQ(w.frame().statusText(),
              "Drum Note Copy  (press ESC or click Done on the menu to exit)");
    EXPECT_FALSE(rig.panel->partList(Side::Source)->isVisible());
    EXPECT_EQ(rig.panel->selected(Side::Source), 10) << "starts at the window's drum note";

    // A hint in the status bar must not turn the drum copy into a tone copy.
    w.frame().setStatusText("Double Click to see some info");
    const t505temppatch before = w.image();
    rig.panel->select(Side::Destination, 20);
    rig.copy(5);
    expectNotesCopied(w.image(), 20, before, 10, 5);
    EXPECT_EQ(w.image().ReadByte(RhythmPart, 25, 12), before.ReadByte(RhythmPart, 25, 12));
    EXPECT_EQ(rig.panel->selected(Side::Source), 15);
    EXPECT_EQ(rig.panel->selected(Side::Destination), 25);
    EXPECT_EQ(w.session().history().undoText(), "Copy drum note 49 to 59");
    EXPECT_TRUE(rig.take().empty()) << "drum copies wait for Done!";
    // With hints on, the mode's text comes back once the pointer leaves the list.
    w.sheets().showHintBox()->setChecked(true);
    QStatusTipEvent left{QString()};
    QCoreApplication::sendEvent(&w, &left);
    EXPECT_TRUE(w.frame().statusText().startsWith("Drum Note Copy"));

    w.frame().action("Done")->trigger();
    const Messages sent = rig.take();
    EXPECT_EQ(sent, partOnTheWire(w, RhythmPart)) << "part R as one stream";
    Bytes wire;
    for (const auto& m : sent) {
        const Bytes b = test::fromHex(m);
        wire.insert(wire.end(), b.begin(), b.end());
    }
    EXPECT_EQ(wire.size(), RhythmBlockSize);
    EXPECT_TRUE(checksumProblems(wire).empty()) << "the stale checksum went out refreshed";
}

TEST(CopyMode, OtherWaysOutKeepTheCopies)
{
    CopyRig rig;
    MainWindow& w = rig.w;
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    // The Jump menu's shortcuts work outside the mode …
    QTest::keyClick(w.sheets().pages(), Qt::Key_8, Qt::ControlModifier);
    ASSERT_EQ(w.session().partIndex(), 7);
    w.frame().action("CopyToneOrDrum")->trigger();
    rig.take();
    rig.pick(0, 1);
    rig.copy();
    // … and not in it; a second Ctrl+C does not start over, the part selector is disabled.
    QTest::keyClick(rig.panel->list(Side::Source), Qt::Key_3, Qt::ControlModifier);
    QTest::keyClick(rig.panel->list(Side::Source), Qt::Key_C, Qt::ControlModifier);
    QTest::mouseClick(w.findChild<QWidget*>("PART2"), Qt::LeftButton);
    EXPECT_EQ(w.session().partIndex(), 7);
    EXPECT_EQ(rig.panel->selected(Side::Destination), 2);
    EXPECT_TRUE(rig.take().empty());

    // Closing ends the mode as "Done!" does, and part R leaves before the port closes.
    const Messages expected = partOnTheWire(w, RhythmPart);
    rig.dialogs.answers.push_back(true);
    w.close();
    ASSERT_TRUE(test::waitUntil([&] { return !w.isVisible(); }));
    EXPECT_EQ(w.copy().copyMode(), CopyCommands::CopyMode::Off);
    EXPECT_EQ(rig.take(), expected);
}

TEST(Extraction, CopiesNotesFromTheFileReadAgainAtEachPress)
{
    CopyRig rig;
    MainWindow& w = rig.w;
    w.image().LoadFromBytes(kitImage(4));
    const std::string kitFile = rig.file("kit.syx");
    test::writeFile(kitFile, kitImage(5));
    rig.take();
    rig.dialogs.files.push_back(QString::fromStdString(kitFile));
    w.frame().action("ExtractDrumNotes")->trigger();
    EXPECT_EQ(rig.dialogs.fileRequests.back().title, "Extract drum notes from file..");
    EXPECT_EQ(w.frame().statusText(),
              "Extracting drum notes from file, " + QString::fromStdString(kitFile));
    EXPECT_EQ(rig.panel->kitName(Side::Source)->text(), "KIT 5");
    EXPECT_EQ(rig.panel->kitName(Side::Destination)->text(), "KIT 4");
    EXPECT_FALSE(rig.menusShown());

    // Three notes, then the file changes: the next two come from what it holds now.
    t505temppatch first, second;
    first.LoadFromBytes(kitImage(5));
    second.LoadFromBytes(kitImage(6));
    rig.pick(10, 20);
    rig.copy(3);
    test::writeFile(kitFile, second.bytes());
    rig.copy(2);
    expectNotesCopied(w.image(), 20, first, 10, 3);
    expectNotesCopied(w.image(), 23, second, 13, 2);
    EXPECT_EQ(w.session().history().undoText(), "Extract drum note 49 to 59 from kit.syx");
    EXPECT_EQ(rig.panel->selected(Side::Destination), 25);
    EXPECT_TRUE(rig.take().empty()) << "nothing goes before Done!";

    // The file's list describes the file on disk, the window's its own image.
    w.copy().showListInfo(Side::Source, 40);
    const QString fromFile = rig.dialogs.lastText();
    EXPECT_EQ(fromFile, listInfoLines(second, RhythmPart, 40).join("\r\n"));
    w.copy().showListInfo(Side::Destination, 40);
    EXPECT_NE(rig.dialogs.lastText(), fromFile);

    w.frame().action("Done")->trigger();
    EXPECT_EQ(rig.take(), partOnTheWire(w, RhythmPart));
}

TEST(Extraction, FilesThatAreNoImageChangeNothing)
{
    CopyRig rig;
    MainWindow& w = rig.w;
    const Bytes good = kitImage(7);
    Bytes foreign = good; // another maker's messages, of the right size
    for (std::size_t at = 0; at + 1 < foreign.size(); ++at)
        if (foreign[at] == 0xF0)
            foreign[at + 1] = 0x43;
    const std::pair<const char*, Bytes> files[] = {
        {"9053 bytes", Bytes(good.begin(), good.end() - 1)},
        {"9055 bytes",
         [&] {
             Bytes b = good;
             b.push_back(0xF7);
             return b;
         }()},
        {"random", test::randomBytes(ImageSize, 505)},
        {"foreign", foreign},
    };
    const std::string name = rig.file("bad.syx");
    const Bytes image = w.image().bytes();
    for (const auto& [what, bytes] : files) {
        test::writeFile(name, bytes);
        rig.dialogs.files.push_back(QString::fromStdString(name));
        w.frame().action("ExtractDrumNotes")->trigger();
        EXPECT_EQ(w.copy().copyMode(), CopyCommands::CopyMode::Off) << what;
        EXPECT_TRUE(w.sheets().pages()->isVisible()) << what;
        EXPECT_TRUE(w.frame().statusText().startsWith("bad.syx is not an 8 part file")) << what;
    }
    // The refusal says where the foreign bytes start.
    EXPECT_TRUE(w.frame().statusText().contains("byte 0")) << w.frame().statusText().toStdString();
    // An image behind another librarian's leading block opens as Open 8 Part opens it.
    Bytes led(LeadingBlockSize, 0x00);
    led.front() = 0xF0;
    led.back() = 0xF7;
    led.insert(led.end(), good.begin(), good.end());
    test::writeFile(name, led);
    rig.dialogs.files.push_back(QString::fromStdString(name));
    w.frame().action("ExtractDrumNotes")->trigger();
    EXPECT_EQ(w.copy().copyMode(), CopyCommands::CopyMode::Extract);
    EXPECT_EQ(rig.panel->kitName(Side::Source)->text(), "KIT 7");
    w.copy().copyDone();

    // A file that goes bad while the panel is open is refused at the next press.
    test::writeFile(name, good);
    rig.dialogs.files.push_back(QString::fromStdString(name));
    w.frame().action("ExtractDrumNotes")->trigger();
    ASSERT_EQ(w.copy().copyMode(), CopyCommands::CopyMode::Extract);
    test::writeFile(name, test::randomBytes(ImageSize, 7));
    rig.pick(0, 0);
    rig.copy();
    EXPECT_EQ(rig.panel->selected(Side::Source), 0) << "a refused press moves nothing";
    EXPECT_TRUE(w.frame().statusText().startsWith("bad.syx is not an 8 part file"));
    EXPECT_EQ(w.image().bytes(), image);
}
