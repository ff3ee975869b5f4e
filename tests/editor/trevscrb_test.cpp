// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/trevscrb.h"
#include "support/widgetinput.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using dorvane::TRevScrB;
namespace t = dorvane::test;

TEST(TRevScrB, StartsWithThePublishedDefaults)
{
    TRevScrB bar;
    EXPECT_TRUE(bar.Pos2Hint());
    EXPECT_EQ(bar.Pos2HintKind(), TRevScrB::phPosition);
    EXPECT_EQ(bar.PosCompensatevalue(), 0);
    EXPECT_FALSE(bar.PosCompensate());
    EXPECT_EQ(bar.IncrementValue(), 1);
    EXPECT_EQ(bar.Tag1() + bar.Tag2() + bar.Tag3() + bar.Tag4() + bar.Tag5(), 0);
    EXPECT_EQ(bar.Hint(), "0");
}

TEST(TRevScrB, RevPositionReadsAndWritesTheOtherWay)
{
    TRevScrB bar;
    bar.setRange(0, 127);
    bar.SetPosition(0);
    EXPECT_EQ(bar.RevPosition(), 127);
    bar.SetRevPosition(100);
    EXPECT_EQ(bar.Position(), 27);
    bar.setRange(10, 20);
    bar.SetPosition(12);
    EXPECT_EQ(bar.RevPosition(), 18);
    bar.SetRevPosition(25); // outside the range: the bar clamps as any scroll bar
    EXPECT_EQ(bar.Position(), 10);
}

TEST(TRevScrB, HintFollowsEveryChangeBeforeListenersHearOfIt)
{
    TRevScrB bar;
    bar.setRange(0, 127);
    bar.SetPos2HintKind(TRevScrB::phRevPosition);
    bar.SetPosition(1);
    bar.SetPosition(0);
    EXPECT_EQ(bar.Hint(), "127"); // a 0..127 bar at the top

    QString heard;
    QObject::connect(&bar, &QScrollBar::valueChanged, [&] { heard = bar.Hint(); });
    bar.SetPosition(27);
    EXPECT_EQ(heard, "100");

    bar.SetPos2HintKind(TRevScrB::phPosition);
    bar.SetPosCompensatevalue(-64);
    EXPECT_EQ(bar.Hint(), "27"); // the compensation counts only when switched on
    bar.SetPosCompensate(true);
    bar.SetPosition(64);
    EXPECT_EQ(bar.Hint(), "0");

    // A new range moves RevPosition without moving Position; the hint follows.
    bar.SetPosCompensate(false);
    bar.SetPos2HintKind(TRevScrB::phRevPosition);
    bar.setRange(0, 100);
    EXPECT_EQ(bar.Hint(), "36");

    bar.SetPos2Hint(false);
    bar.setToolTip("fader");
    bar.SetPosition(10);
    EXPECT_EQ(bar.Hint(), "fader");
}

TEST(TRevScrB, MouseAndKeysEndAScroll)
{
    TRevScrB bar(Qt::Vertical);
    bar.resize(20, 200);
    bar.setRange(0, 100);
    QSignalSpy up(&bar, &TRevScrB::onMouseUP);
    QSignalSpy down(&bar, &TRevScrB::onMouseDown);
    QSignalSpy ended(&bar, &TRevScrB::OnEndScroll);
    t::press(&bar, {10, 100});
    t::release(&bar, {10, 100}, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(down.count(), 1);
    ASSERT_EQ(up.count(), 1);
    EXPECT_EQ(up[0][1].value<Qt::KeyboardModifiers>(), Qt::ControlModifier);
    EXPECT_EQ(ended.count(), 1);

    const int before = bar.Position();
    QTest::keyClick(&bar, Qt::Key_Down);
    EXPECT_EQ(bar.Position(), before + 1);
    EXPECT_EQ(ended.count(), 2);
    QTest::keyClick(&bar, Qt::Key_A); // not a scroll key
    EXPECT_EQ(ended.count(), 2);
}
