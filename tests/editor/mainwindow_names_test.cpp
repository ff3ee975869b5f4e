// SPDX-License-Identifier: GPL-3.0-or-later
// The name field with its random names, the preset selector and the scale
// panel, in the running window: what goes out, what the image keeps, and what
// a broken text list does (a message, nothing sent).
#include "windowrig.h"

#include "midi/builtininstrument.h"
#include "patch/presetselect.h"
#include "patch/scaletune.h"
#include "patch/temperaments.h"
#include "support/knownimage.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace dorvane;
using dorvane::test::Messages;
using dorvane::test::WindowRig;

namespace {

void writeText(const std::string& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

// As a musician's pick in the list: the choice, then the notice of it.
void choose(QComboBox* list, int index)
{
    list->setCurrentIndex(index);
    emit list->activated(index);
}

int scaleIndex(std::string_view name)
{
    const auto list = temperaments();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].name == name)
            return int(i);
    return -1;
}

std::string nameBytes(const t505temppatch& image, int part)
{
    const ByteView block = image.partView(part);
    return std::string(block.begin() + MessageHeaderSize, block.begin() + MessageHeaderSize + 12);
}

} // namespace

TEST(MainWindowNames, TypedNamesAreTwelveSevenBitCharactersSentAndStored)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().selectPart(2);
    rig.take();
    const std::size_t steps = w.session().history().undoCount();

    // Five characters go out and are kept padded to twelve.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.sheets().nameField()->setFocus();
    w.sheets().nameField()->clear();
    QTest::keyClicks(w.sheets().nameField(), "PAD 1");
    QTest::keyClick(w.sheets().nameField(), Qt::Key_Return);
    EXPECT_EQ(rig.take(), (Messages{test::hex(nameMessage(tsMC505, "PAD 1       ", 2, 2))}));
    EXPECT_EQ(nameBytes(w.image(), 2), "PAD 1       ");
    EXPECT_EQ(w.session().history().undoCount(), steps + 1) << "the name is a step of the history";

    // What cannot travel in 7 bits cannot be typed.
    w.sheets().nameField()->clear();
    // As a keyboard with those keys would type them.
    for (const QChar c : QString::fromUtf8("Caf\u00e9 \u00f7x"))
        QTest::sendKeyEvent(QTest::Click, w.sheets().nameField(), Qt::Key_unknown, QString(c),
                            Qt::NoModifier);
    EXPECT_EQ(w.sheets().nameField()->text(), "Caf x");

    // A name read from a file may hold such bytes; entered, they become '?'
    // in the message and in the image alike, and nothing of 0x80 or more is kept.
    w.image().SetPatchName(2, "Caf\xE9 \xF7"
                              "2");
    w.sheets().nameField()->clearFocus();
    w.sheets().refresh();
    EXPECT_EQ(w.sheets().nameField()->text(), QString::fromUtf8("Caf\u00e9 \u00f72"));
    w.sheets().nameField()->setFocus();
    QTest::keyClick(w.sheets().nameField(), Qt::Key_Return);
    EXPECT_EQ(rig.take(), (Messages{test::hex(nameMessage(tsMC505, "Caf? ?2", 2, 2))}));
    EXPECT_EQ(nameBytes(w.image(), 2), "Caf? ?2     ");
    EXPECT_EQ(w.sheets().nameField()->text(), "Caf? ?2");
}

TEST(MainWindowNames, TheFieldFollowsThePartAndEnterRenamesOnlyThePartShown)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.image().SetPatchName(0, "LemonCrystal");
    w.sheets().refresh();
    ASSERT_EQ(w.sheets().nameField()->text(), "LemonCrystal");
    const std::string second = w.image().GetPatchName(1);
    ASSERT_NE(second, "LemonCrystal");
    rig.take();

    // The keyboard focus stays in the field while the part changes.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.sheets().nameField()->setFocus();
    ASSERT_TRUE(w.sheets().nameField()->hasFocus());
    w.sheets().selectPart(1);
    EXPECT_EQ(w.sheets().nameField()->text().toStdString(), second);
    QTest::keyClick(w.sheets().nameField(), Qt::Key_Return);
    const Messages sent = rig.take();
    EXPECT_EQ(sent, (Messages{test::hex(nameMessage(tsMC505, second, 2, 1))}))
        << "part 2 keeps its own name";
    EXPECT_EQ(w.image().GetPatchName(0), "LemonCrystal");
    EXPECT_EQ(w.image().GetPatchName(1), second);

    // A name typed and not entered is the part's it was typed on.
    w.sheets().nameField()->setFocus();
    QTest::keyClicks(w.sheets().nameField(), "X");
    w.sheets().selectPart(2);
    EXPECT_EQ(w.sheets().nameField()->text().toStdString(), w.image().GetPatchName(2));

    // Opening a file shows the file's name, focus or not.
    const std::string file = rig.file("song.syx");
    test::writeFile(file, test::knownImage(3));
    w.sheets().nameField()->setFocus();
    ASSERT_TRUE(w.files().loadImageFile(QString::fromStdString(file)));
    EXPECT_EQ(w.sheets().nameField()->text(), "S3 PART 3");
    rig.take();
    QTest::keyClick(w.sheets().nameField(), Qt::Key_Return);
    EXPECT_EQ(w.image().GetPatchName(2), "S3 PART 3");
    EXPECT_EQ(w.image().GetPatchName(1), "S3 PART 2");
}

TEST(MainWindowNames, DoubleClickRollsANameFromTheWordList)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    rig.take();

    // Without wordlist.txt a double-click does nothing.
    QTest::mouseDClick(w.sheets().nameField(), Qt::LeftButton);
    EXPECT_TRUE(rig.take().empty());
    EXPECT_TRUE(rig.dialogs.asked.empty());

    // A one-line list gives its word twice.
    writeText(rig.file("wordlist.txt"), "echo\n");
    QTest::mouseDClick(w.sheets().nameField(), Qt::LeftButton);
    EXPECT_EQ(rig.take(), (Messages{test::hex(nameMessage(tsMC505, "EchoEcho", 2, 0))}));
    EXPECT_EQ(w.image().GetPatchName(0), "EchoEcho");
    EXPECT_EQ(w.sheets().nameField()->text(), "EchoEcho");

    // Two long words are cut to twelve before anything goes out; the last
    // line, never drawn, does not show.
    writeText(rig.file("wordlist.txt"), "thunderstorm\r\nlast\r\n");
    QTest::mouseDClick(w.sheets().nameField(), Qt::LeftButton);
    EXPECT_EQ(rig.take(), (Messages{test::hex(nameMessage(tsMC505, "Thunderstorm", 2, 0))}));
    EXPECT_EQ(nameBytes(w.image(), 0), "Thunderstorm");

    // A word beyond ASCII follows the typed rule; an empty list gives nothing.
    writeText(rig.file("wordlist.txt"), "\xC3\xA9t\xC3\xA9\nx\n");
    QTest::mouseDClick(w.sheets().nameField(), Qt::LeftButton);
    EXPECT_EQ(nameBytes(w.image(), 0), "?t??t?      ");
    rig.take();
    writeText(rig.file("wordlist.txt"), "");
    QTest::mouseDClick(w.sheets().nameField(), Qt::LeftButton);
    EXPECT_TRUE(rig.take().empty());
    EXPECT_EQ(w.image().GetPatchName(0), "?t??t?");

    // The program's one generator draws the words: a fixed seed replays them.
    writeText(rig.file("wordlist.txt"), "amber\nbloom\ncoral\ndrift\nember\nzone\n");
    auto roll = [&] {
        w.random().seed(11);
        QTest::mouseDClick(w.sheets().nameField(), Qt::LeftButton);
        return w.image().GetPatchName(0);
    };
    const std::string first = roll();
    EXPECT_EQ(roll(), first);
    EXPECT_EQ(first.find("Zone"), std::string::npos);
}

TEST(MainWindowPresets, BankAndPresetCallThePresetOnThePartsChannel)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().selectPart(2);
    w.sheets().showSheet(Sheet::Common);
    rig.take();
    const Bytes image = w.image().bytes();

    // Without patchlist.txt the bank list does nothing.
    choose(w.presets().bankList(), 2);
    EXPECT_EQ(w.presets().presetList()->count(), 0);
    EXPECT_TRUE(rig.take().empty());

    std::filesystem::copy_file(test::binDir() + "/patchlist.txt", rig.file("patchlist.txt"));
    choose(w.presets().bankList(), 2);
    ASSERT_EQ(w.presets().presetList()->count(), 128);
    EXPECT_EQ(w.presets().presetList()->itemText(4), " C005");
    EXPECT_TRUE(rig.take().empty()) << "no preset was chosen yet";

    choose(w.presets().presetList(), 5);
    EXPECT_EQ(rig.take(), (Messages{"B2 00 51", "B2 20 02", "C2 05"}));

    // Another bank keeps the preset number and calls it at once.
    choose(w.presets().bankList(), 0);
    EXPECT_EQ(w.presets().presetList()->currentIndex(), 5);
    EXPECT_EQ(w.presets().presetList()->itemText(5), " A006");
    EXPECT_EQ(rig.take(), (Messages{"B2 00 51", "B2 20 00", "C2 05"}));

    // Part R listens on channel 10.
    w.sheets().selectPart(7);
    choose(w.presets().presetList(), 127);
    EXPECT_EQ(rig.take(), (Messages{"B9 00 51", "B9 20 00", "C9 7F"}));

    EXPECT_EQ(w.image().bytes(), image) << "the preset changes the instrument, not the image";

    // A musician's own list, cut short, still offers every preset.
    writeText(rig.file("patchlist.txt"), "Warm Pad\r\nBig Bass\r\n");
    choose(w.presets().bankList(), 0);
    EXPECT_EQ(w.presets().presetList()->itemText(0), " Warm Pad");
    EXPECT_EQ(w.presets().presetList()->itemText(127), " A128");
    rig.take();

    // Preset Select gives the preset list the keyboard.
    w.sheets().showSheet(Sheet::Tone);
    w.frame().action("JumpPreset")->trigger();
    EXPECT_EQ(w.sheets().pages()->currentWidget(), w.sheets().sheet(Sheet::Common));
    EXPECT_TRUE(w.frame().action("JumpPreset")->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.presets().presetList()->hasFocus(); }, 2000));
}

TEST(MainWindowScales, OkSendsTwelveRotatedMessagesAndNothingElse)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    std::filesystem::copy_file(test::binDir() + "/scales.txt", rig.file("scales.txt"));
    w.sheets().selectPart(2);
    w.sheets().showSheet(Sheet::Common);
    EXPECT_EQ(w.presets().scaleList()->count(), TemperamentCount);
    EXPECT_EQ(w.presets().scaleList()->currentIndex(), 0);
    EXPECT_EQ(w.presets().scaleList()->itemText(11), " 12      Equal Temperament");
    rig.take();
    const Bytes image = w.image().bytes();

    // The song key only feeds the scale tune: its release sends nothing.
    rig.release("key", 2);
    EXPECT_TRUE(rig.take().empty());
    EXPECT_EQ(rig.control("key")->Caption().trimmed(), "D");

    const int werckmeister = scaleIndex("Werckmeister III");
    w.presets().scaleList()->setCurrentIndex(werckmeister);
    w.presets().scaleSendButton()->click();
    const auto values =
        *parseScaleLine(scaleFileLine(temperaments()[std::size_t(werckmeister)])).values;
    Messages expected;
    for (const Bytes& m : scaleTuneMessages(tsMC505, 2, 2, values))
        expected.push_back(test::hex(m));
    const Messages sent = rig.take();
    EXPECT_EQ(sent, expected);
    ASSERT_EQ(sent.size(), 12u);
    EXPECT_EQ(sent[0].substr(18, 14), "00 00 12 02 40") << "degree 0 on D";
    EXPECT_EQ(sent[10].substr(18, 11), "00 00 12 00") << "degree 10 on C";
    EXPECT_EQ(w.image().bytes(), image);
    EXPECT_EQ(w.frame().statusText(), "Scale tune sent to part 3: Werckmeister III in D");

    // Part R: the third address byte is 19.
    w.sheets().selectPart(7);
    w.presets().scaleSendButton()->click();
    const Messages r = rig.take();
    ASSERT_EQ(r.size(), 12u);
    EXPECT_EQ(r[0].substr(18, 11), "00 00 19 02");
    EXPECT_TRUE(rig.dialogs.asked.empty());
}

TEST(MainWindowScales, ABrokenScalesFileIsReportedAndNothingIsSent)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().selectPart(2);
    rig.take();
    const Bytes image = w.image().bytes();
    auto press = [&](int index) {
        w.presets().scaleList()->setCurrentIndex(index);
        w.presets().scaleSendButton()->click();
        return rig.take();
    };

    EXPECT_TRUE(press(11).empty());
    ASSERT_EQ(rig.dialogs.asked.size(), 1u);
    EXPECT_EQ(rig.dialogs.lastText(),
              "The scale tune was not sent. scales.txt could not be read: there is no such file.");

    // The broken value is the twelfth: the eleven before it must not go out either.
    std::string file;
    for (int i = 0; i < 11; ++i)
        file += "40 40 40 40 40 40 40 40 40 40 40 40\n";
    file += "41 41 41 41 41 41 41 41 41 41 41 G1\n";
    file += "41 41 41\n";
    writeText(rig.file("scales.txt"), file);
    EXPECT_TRUE(press(11).empty());
    EXPECT_EQ(rig.dialogs.lastText(), "The scale tune was not sent. Line 12 of scales.txt holds "
                                      "\"G1\" at character 34, not a hexadecimal number.");
    EXPECT_TRUE(press(12).empty());
    EXPECT_NE(rig.dialogs.lastText().indexOf("Line 13 of scales.txt is too short"), -1);
    EXPECT_TRUE(press(40).empty());
    EXPECT_EQ(rig.dialogs.lastText(),
              "The scale tune was not sent. scales.txt has 13 lines, none for scale 41.");

    // Random bytes: a message, nothing sent.
    const Bytes noise = test::randomBytes(5000, 3);
    writeText(rig.file("scales.txt"), std::string(noise.begin(), noise.end()));
    EXPECT_TRUE(press(0).empty());
    EXPECT_EQ(rig.dialogs.asked.size(), 5u);
    // A file far too large is read only as far as any scales list goes.
    writeText(rig.file("scales.txt"), file + std::string(3 << 20, 'x'));
    EXPECT_EQ(press(0).size(), 12u);
    EXPECT_TRUE(press(12).empty());
    EXPECT_EQ(rig.dialogs.asked.size(), 6u);

    // The shipped file says it does not know Zazal rather than make it up.
    std::filesystem::copy_file(test::binDir() + "/scales.txt", rig.file("scales.txt"),
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_TRUE(press(74).empty());
    EXPECT_NE(rig.dialogs.lastText().indexOf("not known"), -1);
    EXPECT_EQ(w.image().bytes(), image);
}

TEST(MainWindowPresets, TheBuiltInInstrumentCountsTheProgramChange)
{
    WindowRig rig;
    auto instrument = std::make_shared<BuiltInInstrument>(rig.file("perf.syx"));
    instrument->setFullSpeed(true);
    rig.registry.addSource(instrument);
    rig.store("midiout", "3");
    rig.store("autotrig", "0");
    std::filesystem::copy_file(test::binDir() + "/patchlist.txt", rig.file("patchlist.txt"));
    std::filesystem::copy_file(test::binDir() + "/scales.txt", rig.file("scales.txt"));
    MainWindow& w = rig.open();
    ASSERT_TRUE(w.midiOutput().IsOpen());
    w.sheets().selectPart(2);
    choose(w.presets().bankList(), 2);
    choose(w.presets().presetList(), 4);
    w.presets().scaleList()->setCurrentIndex(scaleIndex("Werckmeister III"));
    rig.release("key", 2);
    w.presets().scaleSendButton()->click();
    ASSERT_TRUE(test::waitUntil([&] { return w.util().Sender().IsIdle(); }));
    const InstrumentCounts counts = instrument->counts();
    EXPECT_EQ(counts.programChanges, 1);
    EXPECT_EQ(counts.controllers, 2);
    // Scale tune lies outside the temporary patch area the instrument keeps.
    EXPECT_EQ(counts.dataSetsIgnored, 12);
}
