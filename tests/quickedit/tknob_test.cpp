// SPDX-License-Identifier: GPL-3.0-or-later
#include "quickedit/knobstrips.h"
#include "quickedit/tknob.h"
#include "support/widgetinput.h"

#include <QCursor>
#include <QImage>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

using dorvane::KnobStrips;
using dorvane::PictureStrip;
using dorvane::TDragTweak;
using dorvane::tknob;
namespace t = dorvane::test;

namespace {

QStringList numbers(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QString::number(i);
    return list;
}

const KnobStrips& strips()
{
    static const KnobStrips drawn(1.0, QColor(200, 200, 200));
    return drawn;
}

bool samePixels(const QPixmap& a, const QPixmap& b)
{
    return a.toImage().convertToFormat(QImage::Format_ARGB32) ==
           b.toImage().convertToFormat(QImage::Format_ARGB32);
}

// A drag over the knob: press, one move per coordinate, release.
void dragThrough(tknob& knob, std::initializer_list<QPoint> points,
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    t::press(&knob, {15, 15}, Qt::LeftButton, modifiers);
    for (QPoint p : points)
        t::move(&knob, p, Qt::LeftButton, modifiers);
    t::release(&knob, {15, 15}, Qt::LeftButton, modifiers);
}

} // namespace

TEST(tknob, StartsWithThePublishedDefaults)
{
    tknob knob;
    EXPECT_EQ(knob.size(), QSize(30, 30));
    EXPECT_EQ(knob.CopyDragTweak(), nullptr);
    EXPECT_EQ(knob.Position(), 0);
    EXPECT_EQ(knob.iImageList(), nullptr);
    EXPECT_EQ(knob.Max(), 127);
    EXPECT_EQ(knob.Min(), 0);
    EXPECT_EQ(knob.Tag1() + knob.Tag2() + knob.Tag3() + knob.Tag4() + knob.Tag5(), 0);
    EXPECT_TRUE(knob.ShowPos());
    EXPECT_EQ(knob.PositionDefault(), 0);
    EXPECT_EQ(knob.CtrlNoHEX(), "$00");
    EXPECT_EQ(knob.Axis(), tknob::axHorizontal);
    EXPECT_FALSE(knob.Flushnow());
    EXPECT_EQ(knob.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(knob.ShownFrame(), -1);
    knob.SetCtrlNo(6);
    EXPECT_EQ(knob.CtrlNoHEX(), "$06");
    EXPECT_TRUE(knob.SetCtrlNoHEX("$51"));
    EXPECT_EQ(knob.CtrlNo(), 81);
    EXPECT_FALSE(knob.SetCtrlNoHEX("$10000")); // beyond 16 bits
    EXPECT_FALSE(knob.SetCtrlNoHEX("-1"));
    EXPECT_EQ(knob.CtrlNo(), 81);
}

TEST(tknob, FrameFollowsPositionAcrossTheStrip)
{
    tknob knob;
    knob.SetiImageList(&strips().Knob());
    EXPECT_EQ(knob.size(), QSize(30, 30));
    knob.SetPosition(64);
    EXPECT_EQ(knob.ShownFrame(), 15);
    knob.SetPosition(127);
    EXPECT_EQ(knob.ShownFrame(), 29);
    knob.SetPosition(0);
    EXPECT_EQ(knob.ShownFrame(), 0);
    EXPECT_TRUE(samePixels(knob.Picture(), strips().Knob().Frame(0)));
    // One frame per position when the strip is exactly as long as the range.
    knob.SetMax(29);
    knob.SetPosition(17);
    EXPECT_EQ(knob.ShownFrame(), 17);
    // What is painted is the frame.
    EXPECT_TRUE(samePixels(knob.grab(), strips().Knob().Frame(17)));
}

TEST(tknob, ASwitchShowsOneFramePerPosition)
{
    tknob knob;
    knob.SetiImageList(&strips().Switch());
    EXPECT_EQ(knob.size(), QSize(35, 10));
    knob.SetMax(1);
    knob.SetPosition(1);
    EXPECT_EQ(knob.ShownFrame(), 1);
    knob.SetPosition(0);
    EXPECT_EQ(knob.ShownFrame(), 0);
    EXPECT_TRUE(samePixels(knob.Picture(), strips().Switch().Frame(0)));
}

TEST(tknob, AOneEntryRangeShowsTheFirstFrame)
{
    tknob knob;
    knob.SetiImageList(&strips().FilterType());
    knob.SetMax(0); // a value list of one entry; must not divide by zero
    knob.SetMin(0);
    knob.SetPosition(5);
    EXPECT_EQ(knob.Position(), 0);
    knob.SetMax(3);
    knob.SetPosition(3);
    EXPECT_EQ(knob.ShownFrame(), 5 - 1); // (3 * 5) div 3 = 5, capped at the last frame
    knob.SetMax(0);
    EXPECT_EQ(knob.Position(), 0);
    EXPECT_EQ(knob.ShownFrame(), 0);
}

TEST(tknob, TheSamePositionDrawsNothingEvenWithANewStrip)
{
    tknob knob;
    knob.SetPosition(40); // no strip yet: nothing drawn
    EXPECT_EQ(knob.ShownFrame(), -1);
    knob.SetiImageList(&strips().Knob());
    knob.SetPosition(40);
    EXPECT_EQ(knob.ShownFrame(), -1);
    // Min and then Max forces a drawing, as the quick-edit window does at start.
    knob.SetPosition(knob.Min());
    knob.SetPosition(knob.Max());
    EXPECT_EQ(knob.ShownFrame(), 29);
    const QPixmap before = knob.Picture();

    knob.SetiImageList(&strips().LfoWave());
    EXPECT_EQ(knob.size(), QSize(84, 43));
    knob.SetPosition(127);
    EXPECT_TRUE(samePixels(knob.Picture(), before)); // still the old strip's frame
    knob.SetPosition(knob.Min());
    knob.SetPosition(knob.Max());
    EXPECT_EQ(knob.ShownFrame(), 7);
    EXPECT_TRUE(samePixels(knob.Picture(), strips().LfoWave().Frame(7)));

    knob.SetiImageList(nullptr);
    EXPECT_TRUE(knob.Picture().isNull());
    EXPECT_EQ(knob.ShownFrame(), -1);
}

TEST(tknob, PositionsOutsideTheRangeAreClamped)
{
    tknob knob;
    knob.SetiImageList(&strips().Knob());
    knob.SetPosition(500);
    EXPECT_EQ(knob.Position(), 127);
    EXPECT_EQ(knob.ShownFrame(), 29);
    knob.SetMin(10);
    knob.SetPosition(-3);
    EXPECT_EQ(knob.Position(), 10);
    knob.SetMax(100);
    knob.SetPosition(100);
    knob.SetMax(50); // a smaller range takes the position with it
    EXPECT_EQ(knob.Position(), 50);
    EXPECT_EQ(knob.ShownFrame(), 50 * 30 / 50 - 1);
}

TEST(tknob, FlushnowClearsThePictureAndStaysFalse)
{
    QWidget window;
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, QColor(10, 20, 30));
    window.setPalette(pal);
    tknob knob(&window);
    knob.SetiImageList(&strips().Knob());
    knob.SetPosition(127);
    knob.SetFlushnow(true);
    EXPECT_FALSE(knob.Flushnow());
    EXPECT_EQ(knob.ShownFrame(), -1);
    const QImage plain = knob.Picture().toImage();
    ASSERT_EQ(plain.size(), QSize(30, 30));
    EXPECT_EQ(plain.pixelColor(15, 15), QColor(10, 20, 30));
    EXPECT_EQ(plain.pixelColor(5, 24), QColor(10, 20, 30));
}

TEST(tknob, DraggingStepsOneOrEightWithinTheRange)
{
    tknob knob;
    knob.SetPosition(20);
    dragThrough(knob, {{16, 5}, {17, 5}, {90, 5}}); // pressed at x = 15
    EXPECT_EQ(knob.Position(), 23);
    dragThrough(knob, {{14, 5}}, Qt::ShiftModifier); // left of the press: down by 8
    EXPECT_EQ(knob.Position(), 15);
    knob.SetPosition(126);
    dragThrough(knob, {{16, 5}}, Qt::ShiftModifier); // one pixel right
    EXPECT_EQ(knob.Position(), 127);                 // clamped, not 134
    knob.SetPosition(3);
    dragThrough(knob, {{10, 5}}, Qt::ShiftModifier);
    EXPECT_EQ(knob.Position(), 0);
    knob.SetMin(10);
    knob.SetPosition(12);
    dragThrough(knob, {{1, 5}}, Qt::ShiftModifier);
    EXPECT_EQ(knob.Position(), 10);
    dragThrough(knob, {{15, 5}, {15, 29}});
    EXPECT_EQ(knob.Position(), 10); // no sideways movement on a horizontal knob
}

TEST(tknob, EachDragMeasuresFromItsOwnPress)
{
    tknob knob;
    knob.SetPosition(50);
    dragThrough(knob, {{16, 5}, {17, 5}, {18, 5}, {19, 5}, {20, 5}});
    EXPECT_EQ(knob.Position(), 55);
    dragThrough(knob, {{16, 5}, {17, 5}, {18, 5}, {19, 5}, {20, 5}});
    EXPECT_EQ(knob.Position(), 60) << "the second drag starts from its press, not from x = 20";
    dragThrough(knob, {{14, 5}});
    EXPECT_EQ(knob.Position(), 59);
}

TEST(tknob, OtherButtonsAndModifiersAreIgnoredAndLeaveTheCoordinate)
{
    tknob knob;
    knob.SetPosition(50);
    t::press(&knob, {15, 15});
    t::move(&knob, {40, 5}, Qt::LeftButton, Qt::ControlModifier);
    t::move(&knob, {45, 5}, Qt::LeftButton, Qt::AltModifier);
    t::move(&knob, {50, 5}, Qt::RightButton);
    EXPECT_EQ(knob.Position(), 50);
    t::move(&knob, {20, 5}); // 20 > 15: had a move been stored, this would go down
    t::release(&knob, {15, 15});
    EXPECT_EQ(knob.Position(), 51);
    t::press(&knob, {15, 15}, Qt::RightButton);
    t::move(&knob, {50, 5}, Qt::RightButton);
    t::release(&knob, {15, 15}, Qt::RightButton);
    EXPECT_EQ(knob.Position(), 51);
}

TEST(tknob, AVerticalKnobGrowsUpward)
{
    tknob knob;
    knob.SetAxis(tknob::axVertical);
    knob.SetPosition(60);
    // Pressed at y = 15: y 20 lies below it (down one), then 10 and 2 are each
    // higher (up two); moving only sideways changes nothing.
    dragThrough(knob, {{5, 20}, {5, 10}, {40, 2}, {90, 2}});
    EXPECT_EQ(knob.Position(), 61);
    dragThrough(knob, {{5, 25}});
    EXPECT_EQ(knob.Position(), 60);
}

TEST(tknob, ReleaseNotifiesPutsThePointerBackAndCtrlSetsTheDefault)
{
    tknob knob;
    knob.SetPosition(33);
    QSignalSpy up(&knob, &tknob::OnMouseUp);
    t::press(&knob, {4, 4});
    EXPECT_EQ(knob.cursor().shape(), Qt::BlankCursor);
    QCursor::setPos(QPoint(600, 400));
    t::release(&knob, {9, 9});
    EXPECT_EQ(QCursor::pos(), knob.mapToGlobal(QPoint(4, 4)));
    EXPECT_EQ(knob.cursor().shape(), Qt::PointingHandCursor);
    ASSERT_EQ(up.count(), 1);
    EXPECT_EQ(up[0][2].toPoint(), QPoint(9, 9));
    EXPECT_EQ(knob.PositionDefault(), 0);

    t::press(&knob, {4, 4});
    t::release(&knob, {4, 4}, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(knob.PositionDefault(), 33);
    knob.SetPosition(90);
    t::press(&knob, {4, 4});
    t::release(&knob, {4, 4}, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(knob.PositionDefault(), 33); // Ctrl must be the only modifier
}

TEST(tknob, DoubleClickRestoresTheDefault)
{
    tknob knob;
    knob.SetPositionDefault(64);
    knob.SetPosition(3);
    t::doubleClick(&knob, {5, 5});
    EXPECT_EQ(knob.Position(), 64);
    knob.SetPosition(3);
    t::doubleClick(&knob, {5, 5}, Qt::RightButton);
    EXPECT_EQ(knob.Position(), 3);
}

TEST(tknobLink, LinkingTakesMaxBeforeThePosition)
{
    TDragTweak control;
    control.SetItems(numbers(13));
    control.SetPosition(12);
    control.SetPositionDefault(2);
    control.SetCtrlNo(6);
    tknob knob;
    knob.SetMax(5); // were the position taken first, it would stop at 5
    knob.SetCopyDragTweak(&control);
    EXPECT_EQ(knob.CopyDragTweak(), &control);
    EXPECT_EQ(control.CopyKnob(), &knob);
    EXPECT_EQ(knob.Max(), 12);
    EXPECT_EQ(knob.Position(), 12);
    EXPECT_EQ(knob.PositionDefault(), 2);
    EXPECT_EQ(knob.CtrlNo(), 6);
    // Linking from the control's side makes the same pair.
    tknob other;
    control.SetCopyKnob(&other);
    EXPECT_EQ(other.CopyDragTweak(), &control);
    EXPECT_EQ(other.Max(), 12);
    EXPECT_EQ(knob.CopyDragTweak(), nullptr);
}

TEST(tknobLink, ReleasingTheKnobRunsTheControlsReleaseHandler)
{
    TDragTweak control;
    control.SetItems(numbers(128));
    tknob knob;
    knob.SetCopyDragTweak(&control);
    int positionSeen = -1;
    QObject::connect(&control, &TDragTweak::OnMouseUp, [&] { positionSeen = control.Position(); });
    QSignalSpy up(&control, &TDragTweak::OnMouseUp);
    knob.SetPosition(0);
    dragThrough(knob, {{20, 5}, {21, 5}, {22, 5}}); // first move: 20 > 15
    EXPECT_EQ(knob.Position(), 3);
    EXPECT_EQ(control.Position(), 3);
    EXPECT_EQ(positionSeen, 3); // the control had the value before its handler ran
    ASSERT_EQ(up.count(), 1);
    EXPECT_EQ(up[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(up[0][2].toPoint(), QPoint(15, 15));

    // A Ctrl release sets the knob's default after the edit went through.
    t::press(&knob, {1, 1});
    t::release(&knob, {1, 1}, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(up.count(), 2);
    EXPECT_EQ(up[1][1].value<Qt::KeyboardModifiers>(), Qt::ControlModifier);
    EXPECT_EQ(knob.PositionDefault(), 3);

    // A double-click brings the control along; its second release makes the edit.
    knob.SetPositionDefault(100);
    t::doubleClick(&knob, {5, 5});
    EXPECT_EQ(control.Position(), 100);
    EXPECT_EQ(positionSeen, 100);
}

TEST(tknobLink, TheControlMirrorsIntoTheKnobAfterItsOwnHandler)
{
    QWidget window;
    auto* control = new TDragTweak(&window);
    control->resize(60, 20);
    control->SetItems(numbers(128));
    tknob knob;
    knob.SetiImageList(&strips().Knob());
    knob.SetCopyDragTweak(control);
    int knobSeenByHandler = -1;
    QObject::connect(control, &TDragTweak::OnMouseUp, [&] { knobSeenByHandler = knob.Position(); });
    t::press(control, {5, 5});
    t::move(control, {10, 5});
    t::move(control, {11, 5});
    EXPECT_EQ(knob.Position(), 0); // dragging the control alone leaves the knob
    t::release(control, {5, 5});
    EXPECT_EQ(knobSeenByHandler, 0);
    EXPECT_EQ(knob.Position(), 2);
    EXPECT_EQ(knob.ShownFrame(), 2 * 30 / 127);
    t::keyRelease(control, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(knob.Position(), 3);
}

TEST(tknobLink, RelinkingAndNonKnobsDropTheOldPair)
{
    TDragTweak first, second;
    first.SetItems(numbers(4));
    second.SetItems(numbers(8));
    tknob knob;
    knob.SetCopyDragTweak(&first);
    knob.SetCopyDragTweak(&second);
    EXPECT_EQ(first.CopyKnob(), nullptr);
    EXPECT_EQ(second.CopyKnob(), &knob);
    EXPECT_EQ(knob.Max(), 7);

    QLabel notAKnob;
    second.SetCopyKnob(&notAKnob);
    EXPECT_EQ(second.CopyKnob(), nullptr);
    EXPECT_EQ(knob.CopyDragTweak(), nullptr);

    knob.SetCopyDragTweak(&first);
    knob.SetCopyDragTweak(nullptr);
    EXPECT_EQ(first.CopyKnob(), nullptr);
    // An unlinked control's release leaves the knob alone.
    knob.SetPosition(1);
    first.SetPosition(3);
    t::keyRelease(&first, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(knob.Position(), 1);
}

TEST(tknobLink, DestroyingEitherSideDropsTheLink)
{
    auto knob = std::make_unique<tknob>();
    auto control = std::make_unique<TDragTweak>();
    control->SetItems(numbers(16));
    knob->SetCopyDragTweak(control.get());
    control.reset();
    EXPECT_EQ(knob->CopyDragTweak(), nullptr);
    dragThrough(*knob, {{40, 5}}); // must not reach the destroyed control
    EXPECT_EQ(knob->Position(), 1);

    control = std::make_unique<TDragTweak>();
    control->SetItems(numbers(16));
    knob->SetCopyDragTweak(control.get());
    knob.reset();
    EXPECT_EQ(control->CopyKnob(), nullptr);
    control->SetPosition(5);
    QSignalSpy up(control.get(), &TDragTweak::OnMouseUp);
    t::press(control.get(), {1, 1});
    t::release(control.get(), {1, 1}); // must not reach the destroyed knob
    t::keyRelease(control.get(), Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(up.count(), 2) << "the control goes on working alone";
    EXPECT_EQ(control->Position(), 4);
}

TEST(tknobLink, AnEmptyControlGivesARangeOfZeroNotOfAllWords)
{
    TDragTweak control; // no Items: Position reads -1
    tknob knob;
    knob.SetiImageList(&strips().Knob());
    knob.SetCopyDragTweak(&control);
    EXPECT_EQ(knob.Max(), 0);
    EXPECT_EQ(knob.Position(), 0);
}
