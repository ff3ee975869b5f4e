// SPDX-License-Identifier: GPL-3.0-or-later
// The copy mode and the drum-note extraction in the real main window, on the
// loopback driver: what the lists show, what each press copies, what reaches
// the instrument and when, and the ways out of the mode.
#include "windowrig.h"

#include "patch/imagecheck.h"
#include "patch/rolandmessage.h"
#include "support/knownimage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::Messages;
using dorvane::test::WindowRig;
using Side = CopyPanel::Side;

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

Messages hexMessages(ByteView bytes)
{
    Messages out;
    for (ByteView m : splitSysex(bytes))
        out.push_back(test::hex(Bytes(m.begin(), m.end())));
    return out;
}

// The part as the instrument must receive it: the window's own bytes, checksums fresh.
Messages partOnTheWire(MainWindow& w, int part)
{
    t505temppatch copy = w.image();
    return hexMessages(copy.PartBytes(part));
}

// Every drum note different from every other, and a stale checksum in part R,
// which the stream at "Done!" must carry refreshed.
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

bool menuShown(MainWindow& w, const char* name)
{
    return w.findChild<QMenu*>(name)->menuAction()->isVisible();
}

struct CopyRig : WindowRig
{
    MainWindow& w;
    CopyPanel* panel;

    CopyRig() : w(openPlaying()), panel(w.copyPanel()) {}

    void select(Side side, int row) { panel->select(side, row); }
    void copy() { panel->copyButton()->click(); }
    QString entry(Side side, int row) const { return panel->list(side)->item(row)->text(); }
    void choosePart(Side side, int part)
    {
        panel->partList(side)->setCurrentIndex(part);
        emit panel->partList(side)->activated(part);
    }
};

} // namespace

TEST(CopyMode, ToneCopyTakesOverTheWindowAndGivesItBack)
{
    CopyRig rig;
    MainWindow& w = rig.w;
    w.image().LoadFromBytes(test::knownImage(1));
    w.selectPart(2);
    rig.take();
    w.action("CopyToneOrDrum")->trigger();

    EXPECT_EQ(w.copyMode(), MainWindow::CopyMode::Tone);
    EXPECT_EQ(w.statusText(), "Tone Copy (press ESC or click Done on the menu to exit)");
    EXPECT_TRUE(w.pages()->isHidden());
    EXPECT_TRUE(rig.panel->isVisible());
    EXPECT_TRUE(w.action("Done")->isVisible());
    for (const char* menu : {"FileMenu", "UtilityMenu", "JumpMenu"})
        EXPECT_FALSE(menuShown(w, menu)) << menu;
    EXPECT_TRUE(menuShown(w, "HelpMenu"));
    EXPECT_FALSE(w.selectionBar()->isEnabled()) << "the part cannot change under the panel";
    EXPECT_EQ(rig.panel->caption(Side::Source)->text(), "From");
    EXPECT_EQ(rig.panel->caption(Side::Destination)->text(), "To");
    for (auto side : {Side::Source, Side::Destination}) {
        EXPECT_TRUE(rig.panel->partList(side)->isVisible());
        EXPECT_EQ(rig.panel->partList(side)->currentText(), " part 3");
        EXPECT_EQ(rig.panel->list(side)->count(), 5);
        EXPECT_EQ(rig.entry(side, 0), "Common Tone: S1 PART 3");
        EXPECT_TRUE(rig.entry(side, 1).startsWith("Tone 1: "));
    }
    EXPECT_FALSE(rig.panel->kitName(Side::Source)->isVisible());

    // The destination part list refills its list.
    rig.choosePart(Side::Destination, 5);
    EXPECT_EQ(rig.entry(Side::Destination, 0), "Common Tone: S1 PART 6");
    EXPECT_EQ(rig.entry(Side::Source, 0), "Common Tone: S1 PART 3");
    EXPECT_TRUE(rig.take().empty()) << "entering and choosing send nothing";

    // Esc is "Done!": the destination part goes out, and the window comes back.
    QTest::keyClick(rig.panel->list(Side::Source), Qt::Key_Escape);
    EXPECT_EQ(w.copyMode(), MainWindow::CopyMode::Off);
    EXPECT_EQ(rig.take(), partOnTheWire(w, 5));
    EXPECT_FALSE(rig.panel->isVisible());
    EXPECT_TRUE(w.pages()->isVisible());
    EXPECT_FALSE(w.action("Done")->isVisible());
    for (const char* menu : {"FileMenu", "UtilityMenu", "JumpMenu"})
        EXPECT_TRUE(menuShown(w, menu)) << menu;
    EXPECT_TRUE(w.selectionBar()->isEnabled());
    EXPECT_EQ(w.partIndex(), 2);
    EXPECT_EQ(w.captionText(), " <P 3>: S1 PART 3 [ON OFF OFF OFF]");
}

TEST(CopyMode, ToneCopiesGoToTheImageAndTheInstrumentAtOnce)
{
    CopyRig rig;
    MainWindow& w = rig.w;
    w.image().LoadFromBytes(test::knownImage(2));
    w.selectPart(1);
    rig.take();
    w.action("CopyToneOrDrum")->trigger();

    // Tone 1 of part 2 to tone 3 of part 5.
    const t505temppatch before = w.image();
    rig.choosePart(Side::Destination, 4);
    rig.select(Side::Source, 1);
    rig.select(Side::Destination, 3);
    rig.copy();
    for (int offset = 0; offset < int(ToneDataSize); ++offset)
        ASSERT_EQ(w.image().ReadByte(4, 3, offset), before.ReadByte(1, 1, offset)) << offset;
    EXPECT_EQ(rig.take(), partOnTheWire(w, 4)) << "the destination part, as one stream";
    EXPECT_EQ(w.history().undoText(), "Copy tone 1 of part 2 to tone 3 of part 5");
    EXPECT_EQ(rig.panel->selected(Side::Source), 1) << "tone copies keep their selection";
    EXPECT_EQ(rig.panel->selected(Side::Destination), 3);

    // The common onto a tone is refused and changes nothing.
    const Bytes copied = w.image().bytes();
    rig.select(Side::Source, 0);
    rig.copy();
    EXPECT_EQ(rig.dialogs.lastText(), "Common Tone must be copied to Common Tone only. Try again.");
    EXPECT_EQ(w.image().bytes(), copied);
    EXPECT_TRUE(rig.take().empty());

    // Common onto common carries the name, and the list shows it.
    rig.select(Side::Destination, 0);
    rig.copy();
    EXPECT_EQ(w.image().GetPatchName(4), "S2 PART 2");
    EXPECT_EQ(rig.entry(Side::Destination, 0), "Common Tone: S2 PART 2");
    EXPECT_EQ(rig.take(), partOnTheWire(w, 4));

    // A tone onto itself sends its part unchanged.
    rig.choosePart(Side::Destination, 1);
    rig.select(Side::Source, 2);
    rig.select(Side::Destination, 2);
    const Bytes same = w.image().bytes();
    rig.copy();
    EXPECT_EQ(w.image().bytes(), same);
    EXPECT_EQ(rig.take(), partOnTheWire(w, 1));

    // Without a selection nothing happens.
    rig.select(Side::Destination, -1);
    rig.copy();
    EXPECT_TRUE(rig.take().empty());
    EXPECT_EQ(w.image().bytes(), same);
}

TEST(CopyMode, DrumCopiesMoveDownAndReachTheInstrumentAtDone)
{
    CopyRig rig;
    MainWindow& w = rig.w;
    w.image().LoadFromBytes(kitImage(3));
    w.selectPart(7);
    w.selectDrumNote(10);
    rig.take();
    w.action("CopyToneOrDrum")->trigger();

    EXPECT_EQ(w.statusText(), "Drum Note Copy  (press ESC or click Done on the menu to exit)");
    EXPECT_EQ(rig.panel->caption(Side::Source)->text(), "Copy From..");
    EXPECT_EQ(rig.panel->caption(Side::Destination)->text(), "..To");
    EXPECT_FALSE(rig.panel->partList(Side::Source)->isVisible());
    EXPECT_EQ(rig.panel->list(Side::Source)->count(), DrumNoteCount);
    EXPECT_EQ(rig.panel->list(Side::Destination)->count(), DrumNoteCount);
    EXPECT_EQ(rig.panel->selected(Side::Source), 10) << "starts at the window's drum note";
    EXPECT_TRUE(rig.entry(Side::Source, 0).startsWith(" B1 (BD)  :   ")) << rig.entry(Side::Source, 0).toStdString();

    // A hint in the status bar does not turn the drum copy into a tone copy.
    w.setStatusText("Double Click to see some info");
    const t505temppatch before = w.image();
    rig.select(Side::Destination, 20);
    for (int i = 0; i < 5; ++i)
        rig.copy();
    for (int i = 0; i < 5; ++i)
        for (int offset = 0; offset < int(DrumNoteDataSize); ++offset)
            ASSERT_EQ(w.image().ReadByte(RhythmPart, 20 + i, offset),
                      before.ReadByte(RhythmPart, 10 + i, offset))
                << i << " " << offset;
    EXPECT_EQ(w.image().ReadByte(RhythmPart, 25, 12), before.ReadByte(RhythmPart, 25, 12));
    EXPECT_EQ(rig.panel->selected(Side::Source), 15);
    EXPECT_EQ(rig.panel->selected(Side::Destination), 25);
    EXPECT_EQ(w.history().undoText(), "Copy drum note 49 to 59");
    EXPECT_EQ(rig.entry(Side::Source, 20), rig.entry(Side::Destination, 20))
        << "both lists show the kit as it now is";
    EXPECT_TRUE(rig.take().empty()) << "drum copies wait for Done!";
    // With hints on, the mode's text comes back once the pointer leaves the list.
    w.showHintBox()->setChecked(true);
    QStatusTipEvent left{QString()};
    QCoreApplication::sendEvent(&w, &left);
    EXPECT_EQ(w.statusText(), "Drum Note Copy  (press ESC or click Done on the menu to exit)");

    // At the last note the selection stops instead of wrapping round.
    rig.select(Side::Source, 63);
    rig.select(Side::Destination, 62);
    rig.copy();
    EXPECT_EQ(rig.panel->selected(Side::Source), -1);
    rig.copy();
    EXPECT_EQ(w.image().ReadByte(RhythmPart, 63, 12), before.ReadByte(RhythmPart, 63, 12));

    w.action("Done")->trigger();
    const Messages sent = rig.take();
    EXPECT_EQ(sent, partOnTheWire(w, RhythmPart)) << "part R as one stream";
    Bytes wire;
    for (const auto& m : sent) {
        const Bytes b = test::fromHex(m);
        wire.insert(wire.end(), b.begin(), b.end());
    }
    EXPECT_EQ(wire.size(), RhythmBlockSize);
    EXPECT_TRUE(checksumProblems(wire).empty()) << "the stale checksum went out refreshed";
    EXPECT_EQ(w.captionText().left(10), "<Part> R :");
}

TEST(CopyMode, ListInfoForTonesAndDrumNotes)
{
    CopyRig rig;
    MainWindow& w = rig.w;
    w.image().WriteByte(3, 2, 61, 48);
    w.image().WriteByte(3, 2, 62, 51);
    w.selectPart(0);
    w.action("CopyToneOrDrum")->trigger();
    // The info follows the part chosen on that side.
    rig.choosePart(Side::Destination, 3);
    const std::size_t asked = rig.dialogs.asked.size();
    rig.w.showListInfo(Side::Source, 0);
    EXPECT_EQ(rig.dialogs.asked.size(), asked) << "the common entry has no info";

    QListWidget* list = rig.panel->list(Side::Destination);
    const QRect item = list->visualItemRect(list->item(2));
    // A double-click starts with a press, as the view wants to see.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, item.center());
    ASSERT_EQ(rig.dialogs.asked.size(), asked + 1);
    const QStringList lines = rig.dialogs.lastText().split("\r\n");
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[2], "Coarse tune: 0");
    EXPECT_EQ(lines[3], "Fine tune: 1");
    w.copyDone();

    w.image().WriteByte(RhythmPart, 5, 13, 0);
    w.selectPart(7);
    w.action("CopyToneOrDrum")->trigger();
    w.showListInfo(Side::Destination, 5);
    EXPECT_EQ(rig.dialogs.lastText().split("\r\n").value(3), "Fine tune: -50");
}

TEST(CopyMode, OtherWaysOutKeepTheCopies)
{
    CopyRig rig;
    MainWindow& w = rig.w;
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    // The Jump menu's shortcuts work outside the mode …
    QTest::keyClick(w.pages(), Qt::Key_8, Qt::ControlModifier);
    ASSERT_EQ(w.partIndex(), 7);
    w.action("CopyToneOrDrum")->trigger();
    rig.take();

    // … and not in it; a second Ctrl+C does not start over.
    rig.select(Side::Source, 0);
    rig.select(Side::Destination, 1);
    rig.copy();
    QTest::keyClick(rig.panel->list(Side::Source), Qt::Key_3, Qt::ControlModifier);
    QTest::keyClick(rig.panel->list(Side::Source), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(w.partIndex(), 7);
    EXPECT_EQ(w.copyMode(), MainWindow::CopyMode::Drum);
    EXPECT_EQ(rig.panel->selected(Side::Destination), 2);
    // The part selector is out of reach too.
    QTest::mouseClick(w.findChild<QWidget*>("PART2"), Qt::LeftButton);
    EXPECT_EQ(w.partIndex(), 7);
    EXPECT_TRUE(rig.take().empty());

    // Closing ends the mode as "Done!" does: part R reaches the instrument before the port closes.
    const Messages expected = partOnTheWire(w, RhythmPart);
    rig.dialogs.answers.push_back(true);
    w.close();
    ASSERT_TRUE(test::waitUntil([&] { return !w.isVisible(); }));
    EXPECT_EQ(w.copyMode(), MainWindow::CopyMode::Off);
    EXPECT_EQ(rig.take(), expected);
}

TEST(Extraction, CopiesNotesFromTheFileReadEachTime)
{
    CopyRig rig;
    MainWindow& w = rig.w;
    w.image().LoadFromBytes(kitImage(4));
    const std::string kitFile = rig.file("kit.syx");
    test::writeFile(kitFile, kitImage(5));
    t505temppatch file;
    file.LoadFromBytes(kitImage(5));
    w.selectPart(0);
    rig.take();
    rig.dialogs.files.push_back(q(kitFile));
    w.action("ExtractDrumNotes")->trigger();

    EXPECT_EQ(rig.dialogs.fileRequests.back().title, "Extract drum notes from file..");
    EXPECT_EQ(w.copyMode(), MainWindow::CopyMode::Extract);
    EXPECT_EQ(w.statusText(), "Extracting drum notes from file, " + q(kitFile));
    EXPECT_EQ(rig.panel->kitName(Side::Source)->text(), "KIT 5");
    EXPECT_EQ(rig.panel->kitName(Side::Destination)->text(), "KIT 4");
    EXPECT_FALSE(rig.panel->partList(Side::Source)->isVisible());
    EXPECT_TRUE(w.pages()->isHidden());
    EXPECT_FALSE(menuShown(w, "UtilityMenu"));

    const t505temppatch before = w.image();
    rig.select(Side::Source, 10);
    rig.select(Side::Destination, 20);
    for (int i = 0; i < 3; ++i)
        rig.copy();
    // The file changes between presses: the next copies take what it holds now.
    test::writeFile(kitFile, kitImage(6));
    t505temppatch changed;
    changed.LoadFromBytes(kitImage(6));
    rig.copy();
    rig.copy();
    for (int i = 0; i < 5; ++i)
        for (int offset = 0; offset < int(DrumNoteDataSize); ++offset)
            ASSERT_EQ(w.image().ReadByte(RhythmPart, 20 + i, offset),
                      (i < 3 ? file : changed).ReadByte(RhythmPart, 10 + i, offset))
                << i << " " << offset;
    EXPECT_EQ(w.image().ReadByte(RhythmPart, 25, 27), before.ReadByte(RhythmPart, 25, 27));
    EXPECT_EQ(w.history().undoText(), "Extract drum note 49 to 59 from kit.syx");
    EXPECT_EQ(rig.panel->selected(Side::Source), 15);
    EXPECT_EQ(rig.panel->selected(Side::Destination), 25);
    EXPECT_TRUE(rig.take().empty()) << "nothing goes before Done!";

    // The file's list describes the file on disk, the window's its own image.
    changed.WriteByte(RhythmPart, 40, 12, 48);
    w.image().WriteByte(RhythmPart, 40, 12, 60);
    test::writeFile(kitFile, changed.bytes());
    w.showListInfo(Side::Source, 40);
    EXPECT_EQ(rig.dialogs.lastText().split("\r\n").value(2), "Coarse tune: 0");
    w.showListInfo(Side::Destination, 40);
    EXPECT_EQ(rig.dialogs.lastText().split("\r\n").value(2), "Coarse tune: 12");

    w.action("Done")->trigger();
    EXPECT_EQ(rig.take(), partOnTheWire(w, RhythmPart));
    EXPECT_TRUE(w.pages()->isVisible());
}

TEST(Extraction, FilesThatAreNoImageOpenNothing)
{
    CopyRig rig;
    MainWindow& w = rig.w;
    const Bytes good = kitImage(7);
    const std::string name = rig.file("bad.syx");
    // Truncated, oversized, random, and another device's 9054 bytes.
    Bytes foreign = good;
    for (std::size_t at = 0; at + 4 < foreign.size(); ++at)
        if (foreign[at] == 0xF0)
            foreign[at + 1] = 0x43; // another maker's messages
    std::vector<std::pair<const char*, Bytes>> files = {
        {"truncated", Bytes(good.begin(), good.end() - 1)},
        {"oversized", [&] { Bytes b = good; b.push_back(0xF7); return b; }()},
        {"random", test::randomBytes(ImageSize, 505)},
        {"foreign", foreign},
        {"empty", Bytes()},
    };
    const Bytes image = w.image().bytes();
    for (const auto& [what, bytes] : files) {
        test::writeFile(name, bytes);
        rig.dialogs.files.push_back(q(name));
        w.action("ExtractDrumNotes")->trigger();
        EXPECT_EQ(w.copyMode(), MainWindow::CopyMode::Off) << what;
        EXPECT_TRUE(w.pages()->isVisible()) << what;
        EXPECT_TRUE(w.statusText().startsWith("bad.syx is not an 8 part file")) << what;
        EXPECT_EQ(w.image().bytes(), image) << what;
    }
    // A file that goes bad while the panel is open is refused at the next press.
    test::writeFile(name, good);
    rig.dialogs.files.push_back(q(name));
    w.action("ExtractDrumNotes")->trigger();
    ASSERT_EQ(w.copyMode(), MainWindow::CopyMode::Extract);
    test::writeFile(name, test::randomBytes(ImageSize, 7));
    rig.select(Side::Source, 0);
    rig.select(Side::Destination, 0);
    rig.copy();
    EXPECT_EQ(w.image().bytes(), image);
    EXPECT_EQ(rig.panel->selected(Side::Source), 0) << "a refused press moves nothing";
    EXPECT_TRUE(w.statusText().startsWith("bad.syx is not an 8 part file"));
    // Cancelling the dialog does nothing at all.
    w.copyDone();
    rig.take();
    w.action("ExtractDrumNotes")->trigger();
    EXPECT_EQ(w.copyMode(), MainWindow::CopyMode::Off);
    EXPECT_TRUE(rig.take().empty());
}
