// SPDX-License-Identifier: GPL-3.0-or-later
// Patch files, sending and receiving through the real main window: the test
// answers the dialogs and plays the instrument on the loopback driver.
#include "windowrig.h"

#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "patch/midifile.h"
#include "patch/rolandmessage.h"
#include "transfer/dumpreceiver.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

using namespace dorvane;
using dorvane::test::Messages;
using dorvane::test::WindowRig;

namespace {

// An image that differs from the start-up one in every part.
Bytes otherImage()
{
    t505temppatch p;
    p.LoadFromBytes(initialImage());
    const char* names[] = {"ONE", "TWO", "THREE", "FOUR", "FIVE", "SIX", "SEVEN", "KIT"};
    for (int i = 0; i < 7; ++i) {
        p.SetPatchName(i, names[i]);
        p.WriteByte(i, 2, 81, 10 + i);
    }
    p.SetPatchName(9, names[7]);
    p.WriteByte(9, 5, 27, 77);
    return p.AllBytes();
}

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

std::vector<std::string> hexMessages(ByteView bytes)
{
    std::vector<std::string> out;
    for (ByteView m : splitSysex(bytes))
        out.push_back(test::hex(Bytes(m.begin(), m.end())));
    return out;
}

Messages panicMessages()
{
    Messages m;
    for (int controller : {0x78, 0x79})
        for (int channel = 0; channel < 16; ++channel)
            m.push_back(
                test::hex(Bytes{std::uint8_t(0xB0 + channel), std::uint8_t(controller), 0}));
    return m;
}

} // namespace

TEST(MainWindowFiles, Open8PartChecksTheMessages)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    const Bytes other = otherImage();
    Bytes lead(753, 0x33);
    lead.insert(lead.end(), other.begin(), other.end());
    test::writeFile(rig.file("lead.syx"), lead);
    rig.dialogs.files.push_back(q(rig.file("lead.syx")));
    w.frame().action("Open8Part")->trigger();
    EXPECT_EQ(w.image().bytes(), other) << "a 9807-byte file loads bytes 753 on";
    EXPECT_EQ(w.sheets().captionText(), " <P 1>: ONE [ON OFF OFF OFF]");
    EXPECT_EQ(rig.dialogs.fileRequests.back().title, "Open 8 part");

    const std::pair<Bytes, QString> bad[] = {
        {Bytes(other.begin(), other.end() - 1),
         "byte 9053: the Data Set message of part R note 98 has no F7, found the end"},
        {Bytes(9055, 0xF0),
         "byte 0: expected the Data Set message of part 1 common, found a message of another kind"},
        {Bytes{}, "byte 0: expected the Data Set message of part 1 common, found the end"},
    };
    for (const auto& [bytes, why] : bad) {
        test::writeFile(rig.file("bad.syx"), bytes);
        rig.dialogs.files.push_back(q(rig.file("bad.syx")));
        w.frame().action("Open8Part")->trigger();
        EXPECT_EQ(rig.dialogs.lastText(), "bad.syx was not loaded:\r\n" + why + "\r\nTry again");
        EXPECT_EQ(w.image().bytes(), other) << bytes.size();
    }
    // An unreadable file says why and changes nothing.
    rig.dialogs.files.push_back(q(rig.file("missing.syx")));
    w.frame().action("Open8Part")->trigger();
    EXPECT_TRUE(rig.dialogs.lastText().contains("missing.syx"));
    EXPECT_EQ(w.image().bytes(), other);
    // Cancelling does nothing.
    w.frame().action("Open8Part")->trigger();
    EXPECT_EQ(w.image().bytes(), other);
    EXPECT_TRUE(rig.take().empty());
}

TEST(MainWindowFiles, PartFilesMoveBetweenParts)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    const Bytes other = otherImage();
    w.image().LoadFromBytes(other);
    w.sheets().selectPart(1);
    rig.dialogs.files.push_back(q(rig.file("p2.syx")));
    w.frame().action("SavePart")->trigger();
    EXPECT_EQ(test::readFile(rig.file("p2.syx")), Bytes(other.begin() + 650, other.begin() + 1300));

    w.sheets().selectPart(4);
    rig.dialogs.files.push_back(q(rig.file("p2.syx")));
    w.frame().action("OpenPart")->trigger();
    EXPECT_EQ(w.image().GetPatchName(4), "TWO");
    for (std::size_t at : {7u, 93u, 234u, 375u, 516u})
        EXPECT_EQ(w.image().bytes()[4 * 650 + at], 4);
    EXPECT_EQ(w.sheets().captionText(), " <P 5>: TWO [ON OFF OFF OFF]");

    w.sheets().selectPart(7);
    rig.dialogs.files.push_back(q(rig.file("r.syx")));
    w.frame().action("SavePart")->trigger();
    EXPECT_EQ(test::readFile(rig.file("r.syx")).size(), 4504u);

    // A file of the wrong size loads nothing, and the status bar says so.
    const Bytes before = w.image().bytes();
    rig.dialogs.files.push_back(q(rig.file("p2.syx")));
    w.frame().action("OpenPart")->trigger();
    EXPECT_EQ(w.image().bytes(), before);
    EXPECT_TRUE(w.frame().statusText().contains("not loaded"));
}

// A patch name may hold characters a file name cannot: "AC/DC" offered as it
// stands would send the save into a folder "AC" that is not there.
TEST(MainWindowFiles, APartSaveOffersThePatchNameAsAFileNameInTheSameFolder)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().selectPart(2);
    rig.dialogs.files.push_back(q(rig.file("first.syx")));
    w.frame().action("SavePart")->trigger();
    for (const char* entered : {"AC/DC", "What?"}) {
        w.sheets().nameField()->setText(entered);
        QTest::keyClick(w.sheets().nameField(), Qt::Key_Return);
        w.frame().action("SavePart")->trigger();
        const QFileInfo offered(rig.dialogs.fileRequests.back().fileName);
        EXPECT_EQ(offered.fileName(),
                  QString(entered).replace(QRegularExpression("[/?]"), "_") + ".syx");
        EXPECT_EQ(offered.dir(), QFileInfo(q(rig.file("first.syx"))).dir());
    }
}

TEST(MainWindowFiles, SaveAndExport)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.image().LoadFromBytes(otherImage());
    rig.dialogs.files.push_back(q(rig.file("all.syx")));
    w.frame().action("Save8Part")->trigger();
    EXPECT_EQ(test::readFile(rig.file("all.syx")), otherImage());

    rig.dialogs.files.push_back(q(rig.file("all")));
    w.frame().action("Save8PartMidi")->trigger();
    EXPECT_EQ(test::readFile(rig.file("all.mid")), midiFileBytes(otherImage()));
    EXPECT_EQ(rig.dialogs.fileRequests.back().title, "save 8 part in MIDI format");
    w.sheets().selectPart(7);
    rig.dialogs.files.push_back(q(rig.file("r.mid")));
    w.frame().action("SavePartMidi")->trigger();
    EXPECT_EQ(test::readFile(rig.file("r.mid")).size(), 4669u);
}

TEST(MainWindowFiles, InitializePatchLoadsAndSendsTheTemplate)
{
    WindowRig rig;
    test::writeFile(rig.file("part.syx"), initialPartFile());
    MainWindow& w = rig.openPlaying();
    w.image().LoadFromBytes(otherImage());
    w.sheets().selectPart(3);
    rig.take();
    rig.dialogs.answers.push_back(true);
    w.frame().action("InitializePatch")->trigger();
    EXPECT_EQ(rig.dialogs.lastText(), "Initialize Part 4?");
    EXPECT_EQ(w.image().GetPatchName(3), "INIT PATCH");
    const Bytes part(w.image().bytes().begin() + 3 * 650, w.image().bytes().begin() + 4 * 650);
    EXPECT_EQ(rig.take(), hexMessages(part));
    EXPECT_TRUE(checksumProblems(part).empty());
}

TEST(MainWindowFiles, SendCommandsPutPanicFirstAndRefreshChecksums)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    Bytes stale = otherImage();
    stale[84] ^= 5; // a wrong checksum, as a file might bring
    w.image().LoadFromBytes(stale);
    rig.take();

    rig.dialogs.answers.push_back(true);
    w.frame().action("Send8Part")->trigger();
    EXPECT_EQ(rig.dialogs.lastText(), "Send Current 8 Part data to MC-505 Now?");
    Messages expected = panicMessages();
    for (const auto& m : hexMessages(otherImage()))
        expected.push_back(m);
    EXPECT_EQ(rig.take(), expected) << "panic on the wire before the data, checksums fresh";

    w.sheets().selectPart(7);
    rig.take();
    rig.dialogs.answers.push_back(true);
    w.frame().action("SendPart")->trigger();
    EXPECT_EQ(rig.dialogs.lastText(), "Send Part 8 Data to MC-505 now?");
    const Messages part = rig.take();
    EXPECT_EQ(part.size(), 32u + 65u);

    rig.dialogs.answers.push_back(false);
    w.frame().action("SendPart")->trigger();
    EXPECT_TRUE(rig.take().empty()) << "No sends nothing";

    // A sysex file goes byte for byte, checksums untouched.
    test::writeFile(rig.file("any.syx"), stale);
    rig.dialogs.files.push_back(q(rig.file("any.syx")));
    w.frame().action("SendFile")->trigger();
    expected = panicMessages();
    for (const auto& m : hexMessages(stale))
        expected.push_back(m);
    EXPECT_EQ(rig.take(), expected);

    // The general send refreshes the file's checksums and leaves the image alone.
    const Bytes image = w.image().bytes();
    rig.dialogs.files.push_back(q(rig.file("any.syx")));
    w.frame().action("SendGeneral")->trigger();
    EXPECT_EQ(rig.take(), hexMessages(otherImage()));
    EXPECT_EQ(w.image().bytes(), image);

    // Anything but an image is not sent through the refresh, and it says why.
    test::writeFile(rig.file("short.syx"), Bytes(stale.begin(), stale.begin() + 650));
    rig.dialogs.files.push_back(q(rig.file("short.syx")));
    const std::size_t asked = rig.dialogs.asked.size();
    w.frame().action("SendGeneral")->trigger();
    EXPECT_TRUE(rig.take().empty());
    EXPECT_EQ(rig.dialogs.asked.size(), asked + 1);
}

TEST(MainWindowFiles, GetEightPartsLoadsTheDumpAndCountsInTheCaption)
{
    WindowRig rig;
    rig.store("midiin", "0");
    MainWindow& w = rig.openPlaying();
    rig.take();
    const Bytes dump = otherImage();

    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    EXPECT_FALSE(w.sheets().pages()->isVisible());
    EXPECT_TRUE(w.transfers().sysexButton()->isVisible());
    EXPECT_EQ(w.transfers().sysexButton()->text(),
              "Press this button when Sysex is completely received");
    EXPECT_EQ(rig.take(), (Messages{"F0 41 10 00 0B 11 02 00 00 00 00 09 62 3A 59 F7"}));

    // The instrument answers in pieces, with another device's sysex and notes between.
    const auto messages = splitSysex(dump);
    for (std::size_t i = 0; i < messages.size(); ++i) {
        rig.driver->feedLong("Synth A", Bytes(messages[i].begin(), messages[i].end()));
        if (i == 10)
            rig.driver->feedShort("Synth A", {0x90, 0x40, 0x40});
        // The window takes them in as they come, as it does at wire speed.
        rig.driver->waitUntilDelivered("Synth A", 2000);
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.sheets().pages()->isVisible(); }, 5000))
        << "automatic completion";
    EXPECT_EQ(w.image().bytes(), dump);
    EXPECT_FALSE(w.transfers().sysexButton()->isVisible());
    EXPECT_EQ(w.sheets().captionText(), " <P 1>: ONE [ON OFF OFF OFF]");
}

TEST(MainWindowFiles, AShortDumpIsNotLoadedAndSaysSo)
{
    WindowRig rig;
    rig.store("midiin", "0");
    MainWindow& w = rig.openPlaying();
    const Bytes before = w.image().bytes();
    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    const Bytes dump = otherImage();
    rig.driver->feedLong("Synth A", Bytes(dump.begin(), dump.end() - 70));
    ASSERT_TRUE(rig.driver->waitUntilDelivered("Synth A", 2000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return w.transfers().receiver().Received().size() == 9054u - 70; }, 2000));
    EXPECT_EQ(w.windowTitle(), "Dorvane:  8984");
    QTest::mouseClick(w.transfers().sysexButton(), Qt::LeftButton);
    EXPECT_TRUE(w.sheets().pages()->isVisible());
    EXPECT_EQ(w.image().bytes(), before);
    EXPECT_TRUE(w.frame().statusText().contains("8984")) << w.frame().statusText().toStdString();
    EXPECT_TRUE(w.frame().statusText().contains("not loaded"))
        << w.frame().statusText().toStdString();
}

TEST(MainWindowFiles, APartDumpLandsInItsPartOnly)
{
    WindowRig rig;
    rig.store("midiin", "0");
    MainWindow& w = rig.openPlaying();
    w.sheets().selectPart(5);
    rig.take();
    const Bytes before = w.image().bytes();
    const Bytes dump = otherImage();
    rig.dialogs.answers.push_back(true);
    w.frame().action("GetPart")->trigger();
    EXPECT_EQ(rig.take(), (Messages{test::hex(requestPartMessage(5))}));
    rig.driver->feedLong("Synth A", Bytes(dump.begin() + 5 * 650, dump.begin() + 6 * 650));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.sheets().pages()->isVisible(); }, 5000));
    Bytes expected = before;
    std::copy(dump.begin() + 5 * 650, dump.begin() + 6 * 650, expected.begin() + 5 * 650);
    EXPECT_EQ(w.image().bytes(), expected);
}

TEST(MainWindowFiles, GetSysexFileWritesWhatArrived)
{
    WindowRig rig;
    rig.store("midiin", "0");
    MainWindow& w = rig.openPlaying();
    rig.take();
    rig.dialogs.files.push_back(q(rig.file("dump.syx")));
    w.frame().action("GetFile")->trigger();
    EXPECT_EQ(w.frame().statusText(), "start dumping from your MIDI device");
    EXPECT_TRUE(rig.take().empty()) << "no request in file mode";
    const Bytes a = test::fromHex("F0 43 10 4C 00 00 7E 00 F7");
    const Bytes b = test::fromHex("F0 7E 7F 06 01 F7");
    rig.driver->feedLong("Synth A", a);
    rig.driver->feedLong("Synth A", b);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return w.transfers().receiver().Received().size() == a.size() + b.size(); }, 2000));
    QTest::mouseClick(w.transfers().sysexButton(), Qt::LeftButton);
    Bytes both = a;
    both.insert(both.end(), b.begin(), b.end());
    EXPECT_EQ(test::readFile(rig.file("dump.syx")), both);
}

TEST(MainWindowFiles, RequestsAndThePauseOption)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().selectPart(7);
    rig.take();
    w.frame().action("RequestAll")->trigger();
    w.frame().action("RequestPart")->trigger();
    EXPECT_EQ(rig.take(),
              (Messages{test::hex(requestAllMessage()), test::hex(requestRhythmMessage())}));
    EXPECT_EQ(w.sheets().messagePauseBox()->value(), 0);
    w.sheets().messagePauseBox()->setValue(20);
    rig.closeWindow();
    EXPECT_EQ(rig.stored("messagepause"), "20");
}

TEST(MainWindowFiles, AutoSaveWritesOnlyOnceAFileWasChosen)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.frame().setStatusText("before");
    w.files().autoSaveTick();
    EXPECT_EQ(w.frame().statusText(), "before") << "no file chosen in this run: nothing at all";
    EXPECT_FALSE(std::filesystem::exists(rig.file("autosave.syx")));

    rig.dialogs.files.push_back(q(rig.file("backup.syx")));
    w.frame().action("AutoSave")->trigger();
    EXPECT_EQ(rig.dialogs.fileRequests.back().title, "select an AutoSave file");
    EXPECT_EQ(rig.dialogs.fileRequests.back().fileName, "autosave.syx");
    w.image().SetPatchName(2, "BACKED UP");
    w.files().autoSaveTick();
    EXPECT_EQ(test::readFile(rig.file("backup.syx")), w.image().refreshedBytes())
        << "the backup carries fresh checksums";
    EXPECT_TRUE(w.frame().statusText().startsWith("AutoSaved to" +
                                                  QString::fromStdString(rig.dir.path().string())))
        << w.frame().statusText().toStdString();
    rig.closeWindow();
    EXPECT_EQ(rig.stored("autosave"), "");
}
