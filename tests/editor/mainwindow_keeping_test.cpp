// SPDX-License-Identifier: GPL-3.0-or-later
// Work is not lost: the file in the caption and its mark of changes not
// saved, the questions before they are replaced, the image kept from one run
// to the next, Initialize Patch on part R, and devices remembered by name.
#include "windowrig.h"

#include "midi/tmidiinput.h"
#include "patch/fileio.h"
#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "patch/rolandmessage.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <filesystem>

using namespace dorvane;
using dorvane::test::Messages;
using dorvane::test::WindowRig;

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

// The start-up image with part 2 renamed, written as a file.
std::string writeOther(WindowRig& rig, const char* name)
{
    t505temppatch p;
    p.LoadFromBytes(initialImage());
    p.SetPatchName(1, "OTHER");
    const std::string file = rig.file(name);
    writeFileAtomically(file, p.AllBytes());
    return file;
}

} // namespace

TEST(MainWindowUnsaved, TheCaptionNamesTheFileAndAsksBeforeChangesAreReplaced)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    EXPECT_EQ(w.windowTitle(), "Dorvane:   <P 1>: INIT PATCH [ON OFF OFF OFF]");
    const std::string a = writeOther(rig, "a.syx");
    const std::string b = writeOther(rig, "b.syx");

    rig.dialogs.files.push_back(q(a));
    w.frame().action("Open8Part")->trigger();
    EXPECT_TRUE(rig.dialogs.asked.empty()) << "nothing to lose, nothing asked";
    EXPECT_TRUE(w.windowTitle().startsWith("Dorvane:  ")) << "the caption's first part stays";
    EXPECT_TRUE(w.windowTitle().endsWith(QString::fromUtf8("\u2014  a.syx")))
        << w.windowTitle().toStdString();
    EXPECT_EQ(w.frame().statusText(), "Opened a.syx");

    rig.release("cutoff", 20);
    EXPECT_TRUE(w.files().hasUnsavedChanges());
    EXPECT_TRUE(w.windowTitle().endsWith("a.syx (changed)")) << w.windowTitle().toStdString();
    // Another part's changes are not this part's.
    EXPECT_TRUE(w.files().hasUnsavedChanges(0));
    EXPECT_FALSE(w.files().hasUnsavedChanges(4));

    // No keeps the edit.
    const Bytes edited = w.image().bytes();
    rig.dialogs.files.push_back(q(b));
    rig.dialogs.answers.push_back(false);
    w.frame().action("Open8Part")->trigger();
    ASSERT_EQ(rig.dialogs.asked.size(), 1u);
    EXPECT_TRUE(rig.dialogs.lastText().startsWith("There are changes not saved to a file, and "
                                                  "opening b.syx replaces them."));
    EXPECT_EQ(rig.dialogs.asked.back().kind, AskKind::Warning);
    EXPECT_EQ(w.image().bytes(), edited);

    // A Get asks its own question as it stands: what the dump would replace
    // is weighed once it is in (MainWindowVerify). The question at exit says so.
    rig.dialogs.answers.push_back(false);
    w.frame().action("Get8Part")->trigger();
    EXPECT_TRUE(rig.dialogs.lastText().startsWith("Get Patch on Current 8 part"));
    EXPECT_FALSE(rig.dialogs.lastText().contains("There are changes not saved to a file"));
    rig.dialogs.answers.push_back(false);
    w.close();
    EXPECT_TRUE(rig.dialogs.lastText().startsWith("Exit Dorvane now?\r\n\r\nThe changes"));
    EXPECT_TRUE(w.isVisible());

    // Saving makes the image the file's again.
    rig.dialogs.files.push_back(q(rig.file("c.syx")));
    w.frame().action("Save8Part")->trigger();
    EXPECT_FALSE(w.files().hasUnsavedChanges());
    EXPECT_TRUE(w.windowTitle().endsWith(QString::fromUtf8("\u2014  c.syx")));
    rig.dialogs.answers.push_back(false);
    w.close();
    EXPECT_EQ(rig.dialogs.lastText(), "Exit Dorvane now?");
}

TEST(MainWindowUnsaved, ARefusedFileLeavesTheNextOpenInTheLastGoodFolder)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    const std::string good = writeOther(rig, "good.syx");
    rig.dialogs.files.push_back(q(good));
    w.frame().action("Open8Part")->trigger();
    const std::string bad = rig.file("sub/short.syx");
    std::filesystem::create_directories(rig.file("sub"));
    test::writeFile(bad, Bytes(9053, 0xF0));
    rig.dialogs.files.push_back(q(bad));
    w.frame().action("Open8Part")->trigger();
    EXPECT_TRUE(rig.dialogs.lastText().startsWith("short.syx was not loaded"))
        << rig.dialogs.lastText().toStdString();
    w.frame().action("Open8Part")->trigger(); // cancelled
    EXPECT_EQ(QDir(rig.dialogs.fileRequests.back().fileName).absolutePath(),
              QDir(q(rig.dir.path().string())).absolutePath());
}

TEST(MainWindowKeep, TheImageComesBackAtTheNextStartAndNothingIsSent)
{
    WindowRig rig;
    MainWindow& first = rig.openPlaying();
    rig.dialogs.files.push_back(q(writeOther(rig, "song.syx")));
    first.frame().action("Open8Part")->trigger();
    rig.release("cutoff", 33);
    EXPECT_FALSE(rig.take().empty()) << "the edit went out";
    const Bytes edited = first.image().bytes();
    rig.closeWindow();
    ASSERT_TRUE(std::filesystem::exists(rig.dataFolder().toStdString() + "/image.syx"));

    MainWindow& second = rig.open();
    EXPECT_TRUE(rig.take().empty()) << "a start sends nothing";
    EXPECT_EQ(second.image().ReadByte(0, 1, 81), 33);
    EXPECT_EQ(second.image().GetPatchName(1), "OTHER");
    EXPECT_FALSE(second.session().history().canUndo()) << "where the musician left off is no step";
    EXPECT_TRUE(second.files().hasUnsavedChanges()) << "the changes are still not in song.syx";
    EXPECT_TRUE(second.windowTitle().endsWith("song.syx (changed)"));
    rig.dialogs.files.push_back(q(rig.file("song.syx")));
    second.frame().action("Save8Part")->trigger();
    rig.closeWindow();

    MainWindow& third = rig.open();
    EXPECT_FALSE(third.files().hasUnsavedChanges());
    EXPECT_TRUE(third.windowTitle().endsWith(QString::fromUtf8("\u2014  song.syx")));

    // Without the option, and with a kept file that is not whole, perf.syx it is.
    third.sheets().keepImageBox()->setChecked(false);
    rig.closeWindow();
    EXPECT_EQ(rig.stored("keepimage"), "0");
    MainWindow& fourth = rig.open();
    EXPECT_EQ(fourth.image().bytes(), readWholeFile(rig.file("perf.syx")));
    fourth.sheets().keepImageBox()->setChecked(true);
    rig.closeWindow();
    Bytes damaged = readWholeFile(rig.dataFolder().toStdString() + "/image.syx");
    damaged[5000] ^= 0x01;
    test::writeFile(rig.dataFolder().toStdString() + "/image.syx", damaged);
    EXPECT_EQ(rig.open().image().bytes(), readWholeFile(rig.file("perf.syx")));
}

TEST(MainWindowInitialize, PartRStartsFromTheNeutralKitAndIsSentAsOneStream)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().selectPart(7);
    w.image().WriteByte(RhythmPart, 5, 27, 3);
    w.image().WriteWave(RhythmPart, 9, 300);
    w.session().record("Drum edits");
    rig.take();
    rig.dialogs.answers.push_back(true);
    w.frame().action("InitializePatch")->trigger();
    EXPECT_EQ(rig.dialogs.lastText(), "Initialize Part R?");
    const Bytes perf = readWholeFile(rig.file("perf.syx"));
    const ByteView kit = ByteView(perf).subspan(RhythmBlockOffset, RhythmBlockSize);
    const ByteView now = w.image().partView(RhythmPart);
    EXPECT_TRUE(std::equal(now.begin(), now.end(), kit.begin(), kit.end()));
    const Messages sent = rig.take();
    ASSERT_EQ(sent.size(), 65u) << "the common and 64 drum notes";
    Messages expected;
    for (ByteView m : splitSysex(kit))
        expected.push_back(test::hex(Bytes(m.begin(), m.end())));
    EXPECT_EQ(sent, expected);
    EXPECT_TRUE(w.session().history().canUndo());
    EXPECT_EQ(w.session().history().undoText(), "Initialize Part R");

    // No start-up image to take a kit from: said so, nothing changed.
    std::filesystem::remove(rig.file("perf.syx"));
    w.image().WriteByte(RhythmPart, 5, 27, 3);
    const Bytes before = w.image().bytes();
    rig.dialogs.answers.push_back(true);
    w.frame().action("InitializePatch")->trigger();
    EXPECT_EQ(w.image().bytes(), before);
    EXPECT_EQ(rig.dialogs.asked.back().kind, AskKind::Information);
    EXPECT_TRUE(rig.take().empty());
}

TEST(MainWindowDevices, ChosenByNameReportedWhenMissingAndNoneChosenAgain)
{
    WindowRig rig;
    // Numbers of an older list: the names decide.
    rig.store("midiout", "0");
    rig.store("midioutname", "Synth C");
    rig.store("midiin", "2");
    rig.store("midiinname", "Synth Gone");
    rig.store("autotrig", "0");
    MainWindow& w = rig.open();
    EXPECT_EQ(rig.control("midiout")->Caption(), "Synth C");
    EXPECT_EQ(w.midiOutput().DeviceID(), 2);
    EXPECT_EQ(rig.control("midiin")->Caption(), "no midiin");
    EXPECT_NE(w.midiInput().State(), misOpen);
    EXPECT_TRUE(w.frame().statusText().contains("\"Synth Gone\" is not there"))
        << w.frame().statusText().toStdString();
    EXPECT_EQ(w.sheets().pages()->currentWidget(), w.sheets().sheet(Sheet::Setup));

    // "no midiout" is the first entry, reachable again.
    rig.release("midiout", 0);
    EXPECT_FALSE(w.midiOutput().IsOpen());
    rig.release("midiin", 2);
    EXPECT_EQ(w.midiInput().DeviceID(), 1);
    rig.closeWindow();
    EXPECT_EQ(rig.stored("midiout"), "99");
    EXPECT_EQ(rig.stored("midioutname"), "");
    EXPECT_EQ(rig.stored("midiin"), "1");
    EXPECT_EQ(rig.stored("midiinname"), "Synth B");

    // A number past the list, stored without a name, opens nothing and says so.
    rig.store("midiout", "7");
    QSettings(rig.iniFile(), QSettings::IniFormat).remove("setup/midioutname");
    MainWindow& again = rig.open();
    EXPECT_FALSE(again.midiOutput().IsOpen());
    EXPECT_TRUE(again.frame().statusText().contains("MIDI Out device 7 is not there"))
        << again.frame().statusText().toStdString();
    rig.closeWindow();

    // The program's own virtual port is offered where the system has one.
    rig.driver->setVirtualPort("Loop virtual");
    rig.registry.refresh();
    MainWindow& third = rig.open();
    EXPECT_EQ(rig.control("midiout")->Items().value(1), "Loop virtual");
    rig.release("midiout", 1);
    EXPECT_TRUE(third.midiOutput().IsOpen());
    EXPECT_EQ(third.midiOutput().DeviceID(), -1);
}
