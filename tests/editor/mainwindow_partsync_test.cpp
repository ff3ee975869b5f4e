// SPDX-License-Identifier: GPL-3.0-or-later
// What the instrument holds of each part, for the events the evening's walk
// over the built-in instrument does not meet: a failed message, a sysex file
// sent, and the output going away.
#include "windowrig.h"

#include "patch/initialpatch.h"
#include "patch/rolandmessage.h"

#include <QAbstractButton>
#include <QAction>

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::WindowRig;

namespace {

QAbstractButton* partButton(MainWindow& w, int index)
{
    return w.findChild<QAbstractButton*>(QString("PART%1").arg(index));
}

} // namespace

namespace {

// The window with every part sent, so each later event shows on its own part.
MainWindow& openAllSent(WindowRig& rig)
{
    MainWindow& w = rig.openPlaying();
    rig.dialogs.answers.push_back(true);
    w.frame().action("Send8Part")->trigger();
    EXPECT_TRUE(test::waitUntil([&] { return w.frame().statusText().startsWith("Sent "); }))
        << w.frame().statusText().toStdString();
    for (int i = 0; i < EditSession::PartCount; ++i)
        EXPECT_EQ(w.session().partSync(i), PartSync::InStep) << i;
    return w;
}

} // namespace

TEST(MainWindowPartSync, AFailedUndoMarksThePartItWasForNotTheOneShown)
{
    WindowRig rig;
    MainWindow& w = openAllSent(rig);
    w.sheets().selectPart(4);
    const int cutoff = rig.control("cutoff")->Position();
    rig.release("cutoff", cutoff == 10 ? 20 : 10);
    ASSERT_TRUE(test::waitUntil([&] { return w.util().Sender().IsIdle(); }));
    EXPECT_EQ(w.session().partSync(4), PartSync::InStep);

    w.sheets().selectPart(2);
    rig.driver->setFailing(WindowRig::Devices[0], true);
    w.frame().action("Undo")->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return w.session().partSync(4) == PartSync::ChangedHere; }))
        << w.session().partSyncHint(4).toStdString();
    EXPECT_TRUE(w.session().partSyncReason(4).startsWith("not sent: "));
    EXPECT_EQ(w.session().partSync(2), PartSync::InStep) << "the part shown heard nothing";
}

TEST(MainWindowPartSync, ASysexFileSentLeavesThePartsItCoversNotKnown)
{
    WindowRig rig;
    // Part 1's block, and a file of one effects message that names no part.
    test::writeFile(rig.file("part1.syx"), initialPartFile());
    test::writeFile(rig.file("effects.syx"),
                    parameterMessage(tsMC505, {0x01, 0x00, 0x00, 0x05}, 3));
    test::writeFile(rig.file("image.syx"), initialImage());
    MainWindow& w = openAllSent(rig);

    struct Row
    {
        const char* action;
        const char* file;
        const char* expected; // parts 1..7 and R: N not known, S in step
    };
    const Row rows[] = {
        {"SendFile", "effects.syx", "SSSSSSSS"},
        {"SendFile", "part1.syx", "NSSSSSSS"},
        {"SendGeneral", "image.syx", "NNNNNNNN"},
    };
    for (const Row& row : rows) {
        rig.dialogs.files.push_back(QString::fromStdString(rig.file(row.file)));
        w.frame().action(row.action)->trigger();
        ASSERT_TRUE(test::waitUntil([&] { return w.frame().statusText().startsWith("Sent "); }))
            << row.file << ": " << w.frame().statusText().toStdString();
        std::string states;
        for (int i = 0; i < EditSession::PartCount; ++i)
            states += w.session().partSync(i) == PartSync::NotKnown ? 'N' : 'S';
        EXPECT_EQ(states, row.expected) << row.file;
        w.frame().setStatusText(QString());
    }
    EXPECT_EQ(w.session().partSyncReason(0), "a sysex file was sent");
    EXPECT_EQ(w.session().partSyncReason(7), "a sysex file was sent");
}

TEST(MainWindowPartSync, AnOutputThatGoesAwayLeavesEveryPartNotKnownAndSaysSoOnce)
{
    WindowRig rig;
    MainWindow& w = openAllSent(rig);
    w.frame().setStatusText(QString());
    rig.driver->removeDevice(WindowRig::Devices[0]);
    EXPECT_FALSE(w.midiOutput().CheckDevice());
    EXPECT_FALSE(w.midiOutput().IsOpen());
    for (int i = 0; i < EditSession::PartCount; ++i)
        EXPECT_EQ(w.session().partSync(i), PartSync::NotKnown) << i;
    EXPECT_EQ(partButton(w, 2)->toolTip(),
              "Part 3: the MIDI output was lost; not known until a Get");
    const QString gone = "The MIDI output Synth A is gone";
    EXPECT_TRUE(w.frame().statusText().startsWith(gone)) << w.frame().statusText().toStdString();

    // Edits made while it is gone stay here; the line shows their values and
    // why they were not sent, once, with no second notice of the loss.
    w.sheets().selectPart(0);
    for (const int value : {10, 20}) {
        rig.release("cutoff", value);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(w.session().partSync(0), PartSync::ChangedHere);
    EXPECT_EQ(partButton(w, 0)->toolTip(), "Part 1: not sent: the MIDI output is gone");
    EXPECT_EQ(w.frame().statusText().count(gone), 0) << w.frame().statusText().toStdString();
    EXPECT_EQ(w.frame().statusText().count("not sent: the MIDI output is gone"), 1)
        << w.frame().statusText().toStdString();
    EXPECT_EQ(w.session().partSync(1), PartSync::NotKnown);
}
