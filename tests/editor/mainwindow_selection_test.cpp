// SPDX-License-Identifier: GPL-3.0-or-later
// The selectors of the real window as views of the edit session's selection:
// a click writes to the session, a change in the session moves the selectors
// and redraws, and an edit goes where the session says.
#include "windowrig.h"

#include "patch/rolandmessage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::Messages;
using dorvane::test::WindowRig;

namespace {

bool checked(MainWindow& w, const char* name)
{
    const auto* b = w.findChild<QAbstractButton*>(name);
    return b && b->isChecked();
}

} // namespace

TEST(MainWindowSelection, TheSelectorsFollowTheSession)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    EditSession& session = w.session();

    session.selectPart(7);
    EXPECT_TRUE(checked(w, "PART7"));
    EXPECT_FALSE(checked(w, "PART0"));
    EXPECT_TRUE(w.sheets().drumNoteList()->isVisible()) << "part R's panels, as a click shows them";
    EXPECT_TRUE(w.sheets().captionText().startsWith("<Part> R :"));

    session.selectDrumNote(5);
    EXPECT_EQ(w.sheets().drumNoteList()->currentIndex(), 5);

    session.selectPart(2);
    EXPECT_TRUE(checked(w, "PART2"));
    EXPECT_TRUE(w.sheets().toneBox(1)->isVisible());
    EXPECT_FALSE(w.sheets().drumNoteList()->isVisible());

    session.setToneSelected(3, true);
    session.setToneSelected(1, false);
    EXPECT_FALSE(w.sheets().toneBox(1)->isChecked());
    EXPECT_TRUE(w.sheets().toneBox(3)->isChecked());

    session.selectShownTone(4);
    EXPECT_TRUE(checked(w, "show4"));
    EXPECT_EQ(w.session().shownTone(), 4);

    // The edit goes to the tones the session has ticked, on its part.
    rig.take();
    rig.release("cutoff", 33);
    EXPECT_EQ(rig.take(), (Messages{test::hex(parameterMessage(tsMC505, {2, 2, 0x14, 81}, 33))}));
    EXPECT_EQ(w.image().ReadByte(2, 3, 81), 33);
}

TEST(MainWindowSelection, ClicksWriteToTheSessionOnce)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    EditSession& session = w.session();
    QSignalSpy parts(&session, &EditSession::partSelected);
    QSignalSpy tones(&session, &EditSession::tonesSelected);
    QSignalSpy shown(&session, &EditSession::shownToneSelected);

    auto* part5 = w.findChild<QAbstractButton*>("PART4");
    ASSERT_NE(part5, nullptr);
    QTest::mouseClick(part5, Qt::LeftButton);
    EXPECT_EQ(session.partIndex(), 4);
    EXPECT_EQ(parts.count(), 1) << "the selector set from the signal starts nothing again";

    QTest::mouseClick(w.sheets().toneBox(2), Qt::LeftButton);
    EXPECT_TRUE(session.toneSelected(2));
    EXPECT_EQ(tones.count(), 1);

    auto* show3 = w.findChild<QAbstractButton*>("show3");
    ASSERT_NE(show3, nullptr);
    QTest::mouseClick(show3, Qt::LeftButton);
    EXPECT_EQ(session.shownTone(), 3);
    EXPECT_EQ(shown.count(), 1);

    // A click on the part already chosen changes nothing in the session.
    QTest::mouseClick(part5, Qt::LeftButton);
    EXPECT_EQ(parts.count(), 1);
    EXPECT_EQ(w.session().partIndex(), 4);
}
