// SPDX-License-Identifier: GPL-3.0-or-later
// Files gone wrong through every loader of the real window: each is refused
// with what is wrong and where, and nothing changes, goes out or is written.
// Wrong checksums alone load and are reported; what goes out again carries
// right ones.
#include "windowrig.h"

#include "patch/imagecheck.h"
#include "patch/midifile.h"
#include "patch/rolandmessage.h"

#include "support/filesizelimit.h"
#include "support/malformedfiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace dorvane;
using dorvane::test::WindowRig;

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

// Every file of the folder, so that a refused command can be seen to write nothing.
std::vector<std::string> filesIn(const WindowRig& rig)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(rig.dir.path()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(WindowBadFiles, Open8PartAndSendGeneralRefuseEachWithItsReason)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.image().LoadFromBytes(test::knownImage(1));
    const Bytes before = w.image().bytes();
    rig.take();
    for (const auto& bad : test::malformedImages()) {
        test::writeFile(rig.file("bad.syx"), bad.bytes);
        const auto files = filesIn(rig);
        rig.dialogs.files.push_back(q(rig.file("bad.syx")));
        w.frame().action("Open8Part")->trigger();
        EXPECT_EQ(rig.dialogs.lastText().toStdString(),
                  "bad.syx was not loaded:\r\n" + bad.problem + "\r\nTry again")
            << bad.what;
        rig.dialogs.files.push_back(q(rig.file("bad.syx")));
        w.frame().action("SendGeneral")->trigger();
        EXPECT_EQ(rig.dialogs.lastText().toStdString(),
                  "the file is not an MC-505 8 part file (" + bad.problem + "): nothing was sent")
            << bad.what;
        EXPECT_EQ(w.image().bytes(), before) << bad.what;
        EXPECT_TRUE(rig.take().empty()) << bad.what;
        EXPECT_EQ(filesIn(rig), files) << bad.what;
    }
}

TEST(WindowBadFiles, OpenPartRefusesEachWithItsReasonAndTheWrongKind)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.image().LoadFromBytes(test::knownImage(1));
    const Bytes before = w.image().bytes();
    w.sheets().selectPart(4);
    for (const auto& bad : test::malformedPartFiles()) {
        test::writeFile(rig.file("bad.syx"), bad.bytes);
        rig.dialogs.files.push_back(q(rig.file("bad.syx")));
        w.frame().action("OpenPart")->trigger();
        EXPECT_EQ(w.frame().statusText().toStdString(), "bad.syx was not loaded: " + bad.problem)
            << bad.what;
        EXPECT_EQ(w.image().bytes(), before) << bad.what;
    }
    // Well formed, but not what the part takes.
    test::writeFile(rig.file("all.syx"), test::knownImage(2));
    rig.dialogs.files.push_back(q(rig.file("all.syx")));
    w.frame().action("OpenPart")->trigger();
    EXPECT_EQ(w.frame().statusText(),
              "all.syx was not loaded: this is an 8 part image, not a part file of parts 1-7");
    const Bytes other = test::knownImage(2);
    test::writeFile(rig.file("p1.syx"), Bytes(other.begin(), other.begin() + 650));
    w.sheets().selectPart(7);
    rig.dialogs.files.push_back(q(rig.file("p1.syx")));
    w.frame().action("OpenPart")->trigger();
    EXPECT_EQ(w.frame().statusText(),
              "p1.syx was not loaded: this is a part file of parts 1-7, not a part R file");
    EXPECT_EQ(w.image().bytes(), before);
    EXPECT_TRUE(rig.take().empty());
}

TEST(WindowBadFiles, ABadTemplateOrStartImageIsNotUsed)
{
    const auto badParts = test::malformedPartFiles();
    const auto badImages = test::malformedImages();
    {
        WindowRig rig;
        test::writeFile(rig.file("part.syx"), badParts[3].bytes); // a lost F7
        MainWindow& w = rig.openPlaying();
        const Bytes before = w.image().bytes();
        rig.take();
        rig.dialogs.answers.push_back(true);
        w.frame().action("InitializePatch")->trigger();
        EXPECT_TRUE(
            rig.dialogs.lastText().endsWith("part.syx was not loaded: " + q(badParts[3].problem)))
            << rig.dialogs.lastText().toStdString();
        EXPECT_EQ(w.image().bytes(), before);
        EXPECT_TRUE(rig.take().empty()) << "nothing sent";
    }
    WindowRig rig;
    test::writeFile(rig.file("perf.syx"), badImages[4].bytes); // a status byte among the data
    MainWindow& w = rig.openPlaying();
    EXPECT_EQ(w.image().Size(), 0u) << "the window starts empty, as without perf.syx";
    EXPECT_EQ(w.frame().statusText().toStdString(),
              "perf.syx was not loaded: " + badImages[4].problem);
    EXPECT_EQ(test::readFile(rig.file("perf.syx")), badImages[4].bytes) << "only read";
}

TEST(WindowBadFiles, WrongChecksumsAloneLoadAndGoOutRight)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    Bytes image = test::knownImage(3);
    for (std::size_t at : {84u, 366u, 4572u, 9052u})
        image[at] ^= 0x21;
    test::writeFile(rig.file("stale.syx"), image);
    rig.dialogs.files.push_back(q(rig.file("stale.syx")));
    w.frame().action("Open8Part")->trigger();
    EXPECT_EQ(w.image().bytes(), image) << "loaded as it stands";
    EXPECT_EQ(w.frame().statusText(), "stale.syx: 4 of 100 messages had wrong checksums; they are "
                                      "corrected when sent or saved");

    test::writeFile(rig.file("p.syx"), Bytes(image.begin(), image.begin() + 650));
    w.sheets().selectPart(2);
    rig.dialogs.files.push_back(q(rig.file("p.syx")));
    w.frame().action("OpenPart")->trigger();
    EXPECT_EQ(w.frame().statusText(),
              "p.syx: 2 of 5 messages had wrong checksums; they are corrected "
              "when sent or saved");

    // An edit leaves the image's checksums stale; whatever leaves carries right ones.
    rig.release("cutoff", 40);
    ASSERT_FALSE(checksumProblems(w.image().bytes()).empty());
    rig.dialogs.files.push_back(q(rig.file("all.syx")));
    w.frame().action("Save8Part")->trigger();
    rig.dialogs.files.push_back(q(rig.file("part.syx")));
    w.frame().action("SavePart")->trigger();
    rig.dialogs.files.push_back(q(rig.file("backup.syx")));
    w.frame().action("AutoSave")->trigger();
    w.files().autoSaveTick();
    for (const char* name : {"all.syx", "part.syx", "backup.syx"}) {
        const SysexFileCheck check = checkSysexFile(test::readFile(rig.file(name)));
        EXPECT_TRUE(check.ok()) << name << ": " << check.problem();
        EXPECT_EQ(check.wrongChecksums(), 0u) << name;
    }
    rig.dialogs.files.push_back(q(rig.file("all.mid")));
    w.frame().action("Save8PartMidi")->trigger();
    EXPECT_EQ(test::readFile(rig.file("all.mid")), midiFileBytes(w.image().refreshedBytes()));
}

TEST(WindowBadFiles, ASaveThatFailsPartWaySaysSoAndKeepsTheOldFile)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    rig.dialogs.files.push_back(q(rig.file("song.syx")));
    w.frame().action("Save8Part")->trigger();
    const Bytes old = test::readFile(rig.file("song.syx"));
    ASSERT_EQ(old.size(), ImageSize);

    w.image().SetPatchName(0, "CHANGED");
    rig.dialogs.files.push_back(q(rig.file("song.syx")));
    {
        test::FileSizeLimit full(4096);
        w.frame().action("Save8Part")->trigger();
    }
    EXPECT_TRUE(rig.dialogs.lastText().startsWith("Cannot write " + q(rig.file("song.syx"))))
        << rig.dialogs.lastText().toStdString();
    EXPECT_TRUE(rig.dialogs.lastText().endsWith("File too large"));
    EXPECT_EQ(test::readFile(rig.file("song.syx")), old);
    for (const auto& name : filesIn(rig))
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}
