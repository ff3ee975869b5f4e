// SPDX-License-Identifier: GPL-3.0-or-later
// The PART buttons tell what the instrument holds of each part: their marks
// and hints follow a file opened, a send, an edit with no output and another
// output device.
#include "windowrig.h"

#include "patch/initialpatch.h"

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

TEST(MainWindowPartSync, ThePartButtonsFollowAFileOpenedASendAndTheOutput)
{
    WindowRig rig;
    test::writeFile(rig.file("bass.syx"), initialPartFile());
    MainWindow& w = rig.openPlaying();
    const QString notKnown = partSyncMark(PartSync::NotKnown);
    const QString inStep = partSyncMark(PartSync::InStep);
    const QString changed = partSyncMark(PartSync::ChangedHere);
    // The three marks differ, so the state reads without colour.
    EXPECT_NE(notKnown, inStep);
    EXPECT_NE(inStep, changed);
    EXPECT_NE(changed, notKnown);

    EXPECT_EQ(partButton(w, 3)->text(), "4\n" + notKnown);
    EXPECT_EQ(partButton(w, 7)->text(), "R\n" + notKnown);
    EXPECT_EQ(partButton(w, 3)->toolTip(), "Part 4: nothing fetched or sent since start");

    w.selectPart(3);
    rig.dialogs.files.push_back(QString::fromStdString(rig.file("bass.syx")));
    w.action("OpenPart")->trigger();
    EXPECT_EQ(partButton(w, 3)->text(), "4\n" + changed);
    EXPECT_EQ(partButton(w, 3)->toolTip(), "Part 4: opened from bass.syx, not sent");
    EXPECT_EQ(partButton(w, 3)->statusTip(), partButton(w, 3)->toolTip());
    EXPECT_NE(partButton(w, 3)->palette().color(QPalette::WindowText),
              partButton(w, 2)->palette().color(QPalette::WindowText))
        << "a colour as well as the mark";
    EXPECT_EQ(partButton(w, 2)->text(), "3\n" + notKnown) << "the other parts are untouched";

    rig.dialogs.answers.push_back(true);
    w.action("SendPart")->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return w.statusText().startsWith("Sent "); }))
        << w.statusText().toStdString();
    EXPECT_EQ(partButton(w, 3)->text(), "4\n" + inStep);
    EXPECT_EQ(partButton(w, 3)->toolTip(), "Part 4: as sent to the instrument");

    // No output: nothing is known of any part, and an edit stays here.
    rig.release("midiout", 0);
    ASSERT_FALSE(w.midiOutput().IsOpen());
    EXPECT_EQ(partButton(w, 3)->text(), "4\n" + notKnown);
    w.selectPart(0);
    const int cutoff = rig.control("cutoff")->Position();
    rig.release("cutoff", cutoff == 10 ? 20 : 10);
    EXPECT_EQ(partButton(w, 0)->text(), "1\n" + changed);
    EXPECT_EQ(partButton(w, 0)->toolTip(), "Part 1: not sent: no MIDI output is chosen");
    EXPECT_EQ(partButton(w, 1)->text(), "2\n" + notKnown);

    // The instrument again: not known until a Get, the edit included.
    rig.release("midiout", 1);
    ASSERT_TRUE(w.midiOutput().IsOpen());
    EXPECT_EQ(partButton(w, 0)->text(), "1\n" + notKnown);
}
