// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/tdragtweak.h"
#include "support/widgetinput.h"

#include <QCursor>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>

using dorvane::TDragTweak;
namespace t = dorvane::test;

namespace {

QStringList numbers(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QString::number(i);
    return list;
}

// A control on a window of its own, holding "0" .. "count-1".
struct Fixture
{
    explicit Fixture(int count = 128)
    {
        window.resize(300, 100);
        control = new TDragTweak(&window);
        control->setGeometry(10, 10, 80, 20);
        control->SetItems(numbers(count));
    }
    // A drag over the control: press, one move per x, release.
    void dragThrough(std::initializer_list<int> xs,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        t::press(control, {5, 5}, Qt::LeftButton, modifiers);
        for (int x : xs)
            t::move(control, {x, 5}, Qt::LeftButton, modifiers);
        t::release(control, {5, 5}, Qt::LeftButton, modifiers);
    }
    QWidget window;
    TDragTweak* control;
};

} // namespace

TEST(TDragTweak, StartsWithThePublishedDefaultsAndLooks)
{
    QWidget parent;
    QFont parentFont("DejaVu Serif", 13);
    parent.setFont(parentFont);
    TDragTweak c(&parent);
    EXPECT_EQ(c.CopyKnob(), nullptr);
    EXPECT_FALSE(c.AllowLoop());
    EXPECT_EQ(c.PositionDefault(), 0);
    EXPECT_TRUE(c.Items().isEmpty());
    EXPECT_EQ(c.Position(), -1);
    EXPECT_EQ(c.CtrlNo(), 0);
    EXPECT_EQ(c.CtrlNoHEX(), "$00");
    EXPECT_EQ(c.Tag(), 0);
    EXPECT_EQ(c.Tag1() + c.Tag2() + c.Tag3() + c.Tag4() + c.Tag5(), 0);
    EXPECT_TRUE(c.AllowReset());
    EXPECT_EQ(c.IncrementValue(), 1);
    EXPECT_FALSE(c.TabStop());
    EXPECT_EQ(c.palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(c.palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_EQ(c.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(c.font().pointSize(), 13);
    EXPECT_EQ(c.font().family(), parentFont.family());
    c.SetTabStop(true);
    EXPECT_TRUE(c.TabStop());
}

TEST(TDragTweak, PositionIsTheCaptionFoundInItemsIgnoringCase)
{
    TDragTweak c;
    c.SetCaption("no midiout");
    // An empty list leaves the caption the window gave it and reads -1.
    c.SetItems({});
    c.SetPosition(3);
    EXPECT_EQ(c.Caption(), "no midiout");
    EXPECT_EQ(c.Position(), -1);

    c.SetItems({"off", "on", "key!on"});
    EXPECT_EQ(c.Caption(), "off");
    EXPECT_EQ(c.Position(), 0);
    c.SetCaption("ON");
    EXPECT_EQ(c.Position(), 1);
    c.SetCaption("maybe");
    EXPECT_EQ(c.Position(), -1);

    c.SetPosition(99);
    EXPECT_EQ(c.Caption(), "key!on");
    c.SetPosition(-7);
    EXPECT_EQ(c.Caption(), "off");
    c.SetPosition(2);
    EXPECT_EQ(c.Position(), 2);
    // Markup-looking captions are values, shown as typed.
    c.SetItems({"<b>x</b>"});
    EXPECT_EQ(c.textFormat(), Qt::PlainText);
}

TEST(TDragTweak, AssigningPositionOrItemsRaisesNoNotification)
{
    Fixture f;
    QSignalSpy up(f.control, &TDragTweak::OnMouseUp);
    f.control->SetPosition(40);
    f.control->SetItems(numbers(5));
    EXPECT_EQ(up.count(), 0);
}

TEST(TDragTweak, CtrlNoHexReadsAndWritesDollarHex)
{
    TDragTweak c;
    c.SetCtrlNo(0x1f);
    EXPECT_EQ(c.CtrlNoHEX(), "$1F");
    c.SetCtrlNo(300);
    EXPECT_EQ(c.CtrlNoHEX(), "$12C");
    EXPECT_TRUE(c.SetCtrlNoHEX("$7f"));
    EXPECT_EQ(c.CtrlNo(), 127);
    EXPECT_TRUE(c.SetCtrlNoHEX("42"));
    EXPECT_EQ(c.CtrlNo(), 42);
    EXPECT_TRUE(c.SetCtrlNoHEX("0x10"));
    EXPECT_EQ(c.CtrlNo(), 16);
    EXPECT_TRUE(c.SetCtrlNoHEX(" -5 "));
    EXPECT_EQ(c.CtrlNo(), -5);
    // Every text it writes reads back to the same number, negative ones included.
    for (int v : {0, 1, 255, 4096, -1, -2147483647 - 1, 2147483647}) {
        c.SetCtrlNo(v);
        ASSERT_TRUE(c.SetCtrlNoHEX(c.CtrlNoHEX())) << v;
        EXPECT_EQ(c.CtrlNo(), v);
    }
    // Bad text changes nothing.
    c.SetCtrlNo(9);
    for (const char* bad : {"", "$", "zz", "$G1", "1 2", "$-5", "99999999999", "$100000000",
                            "2147483648", "0x", "+", "1e3"}) {
        EXPECT_FALSE(c.SetCtrlNoHEX(bad)) << bad;
        EXPECT_EQ(c.CtrlNo(), 9) << bad;
    }
    EXPECT_TRUE(c.SetCtrlNoHEX("-2147483648"));
    EXPECT_EQ(c.CtrlNo(), -2147483647 - 1);
}

TEST(TDragTweak, EachMoveStepsOnceWhateverTheDistance)
{
    Fixture f;
    f.control->SetPosition(10);
    f.dragThrough({6, 7, 90}); // pressed at x = 5: right three times
    EXPECT_EQ(f.control->Position(), 13);
    f.dragThrough({2, 1}); // left of the press, then left again
    EXPECT_EQ(f.control->Position(), 11);
    f.dragThrough({5, 5, 5}); // no sideways movement
    EXPECT_EQ(f.control->Position(), 11);
}

TEST(TDragTweak, EachDragMeasuresFromItsOwnPress)
{
    // The same drag twice gives the same steps, however far the first one went.
    Fixture f;
    f.control->SetPosition(50);
    f.dragThrough({6, 7, 8, 9, 10});
    EXPECT_EQ(f.control->Position(), 55);
    f.dragThrough({6, 7, 8, 9, 10});
    EXPECT_EQ(f.control->Position(), 60);
    // One step left of the press is one step down, wherever the last drag ended.
    f.control->SetPosition(64);
    f.dragThrough({90});
    f.dragThrough({4});
    EXPECT_EQ(f.control->Position(), 64);
}

TEST(TDragTweak, ShiftStepsTenAndStopsShortOfTheEnd)
{
    Fixture f(128);
    f.control->SetPosition(128 - 5);
    f.dragThrough({10}, Qt::ShiftModifier);
    EXPECT_EQ(f.control->Position(), 123); // a full step no longer fits
    f.control->SetPosition(128 - 11);
    f.dragThrough({20}, Qt::ShiftModifier);
    EXPECT_EQ(f.control->Position(), 127);
    f.control->SetPosition(3);
    f.dragThrough({4}, Qt::ShiftModifier);
    EXPECT_EQ(f.control->Position(), 0); // below 0 shows the first entry
    f.control->SetPosition(12);
    f.dragThrough({4}, Qt::ShiftModifier);
    EXPECT_EQ(f.control->Position(), 2);
    // With AllowLoop a step that does not fit wraps to the first entry.
    f.control->SetAllowLoop(true);
    f.control->SetPosition(128 - 5);
    f.dragThrough({10}, Qt::ShiftModifier);
    EXPECT_EQ(f.control->Position(), 0);
}

TEST(TDragTweak, AllowLoopWrapsAtBothEndsOtherwiseStops)
{
    Fixture f(16);
    f.control->SetPosition(0);
    f.dragThrough({2});
    EXPECT_EQ(f.control->Position(), 0);
    f.control->SetPosition(15);
    f.dragThrough({9});
    EXPECT_EQ(f.control->Position(), 15);

    f.control->SetAllowLoop(true);
    f.control->SetPosition(0);
    f.dragThrough({3});
    EXPECT_EQ(f.control->Position(), 15);
    f.dragThrough({8});
    EXPECT_EQ(f.control->Position(), 0);
}

TEST(TDragTweak, OtherButtonsAndModifiersDoNothingAndKeepTheStoredX)
{
    Fixture f;
    f.control->SetPosition(60);
    // Within one press: moves with another modifier or button held are not
    // stored, so the next plain move still measures from the press at x = 5.
    t::press(f.control, {5, 5});
    for (auto modifiers :
         {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::AltModifier),
          Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier)})
        t::move(f.control, {40, 5}, Qt::LeftButton, modifiers);
    t::move(f.control, {80, 5}, Qt::LeftButton | Qt::RightButton);
    t::move(f.control, {90, 5}, Qt::NoButton);
    EXPECT_EQ(f.control->Position(), 60);
    t::move(f.control, {20, 5});
    t::release(f.control, {5, 5});
    EXPECT_EQ(f.control->Position(), 61) << "had a move been stored, x = 20 would read as left";
    t::press(f.control, {5, 5}, Qt::RightButton);
    t::move(f.control, {70, 5}, Qt::RightButton);
    t::release(f.control, {5, 5}, Qt::RightButton);
    EXPECT_EQ(f.control->Position(), 61);
}

TEST(TDragTweak, AnEmptyListIgnoresDragsButStillNotifies)
{
    Fixture f(0);
    f.control->SetCaption("no midiout");
    f.control->SetAllowLoop(true);
    QSignalSpy up(f.control, &TDragTweak::OnMouseUp);
    f.dragThrough({30, 1, 50});
    EXPECT_EQ(f.control->Caption(), "no midiout");
    EXPECT_EQ(up.count(), 1);
}

TEST(TDragTweak, ReleaseNotifiesAndPutsThePointerBack)
{
    Fixture f;
    f.control->setCursor(Qt::SizeHorCursor); // a window may choose its own pointer
    QSignalSpy down(f.control, &TDragTweak::OnMouseDown);
    QSignalSpy up(f.control, &TDragTweak::OnMouseUp);
    const QPoint pressAt(7, 6);
    t::press(f.control, pressAt, Qt::LeftButton);
    EXPECT_EQ(f.control->cursor().shape(), Qt::BlankCursor);
    EXPECT_EQ(down.count(), 1);
    t::move(f.control, {30, 6});
    QCursor::setPos(f.control->mapToGlobal(QPoint(200, 60)));
    t::release(f.control, {30, 6}, Qt::LeftButton, Qt::ShiftModifier);
    ASSERT_EQ(up.count(), 1);
    EXPECT_EQ(up[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(up[0][1].value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
    EXPECT_EQ(up[0][2].toPoint(), QPoint(30, 6));
    EXPECT_EQ(QCursor::pos(), f.control->mapToGlobal(pressAt));
    EXPECT_EQ(f.control->cursor().shape(), Qt::SizeHorCursor);
}

TEST(TDragTweak, AContextMenuBringsThePointerBack)
{
    Fixture f;
    t::press(f.control, {5, 5}, Qt::RightButton);
    ASSERT_EQ(f.control->cursor().shape(), Qt::BlankCursor);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5),
                           f.control->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(f.control, &menu);
    EXPECT_EQ(f.control->cursor().shape(), Qt::PointingHandCursor);
}

TEST(TDragTweak, DoubleClickResetsAndTheSecondReleaseCarriesIt)
{
    Fixture f;
    f.control->SetPositionDefault(64);
    f.control->SetPosition(5);
    std::vector<int> seen;
    QObject::connect(f.control, &TDragTweak::OnMouseUp,
                     [&] { seen.push_back(f.control->Position()); });
    QSignalSpy dbl(f.control, &TDragTweak::OnDblClick);
    t::doubleClick(f.control, {5, 5});
    EXPECT_EQ(dbl.count(), 1);
    EXPECT_EQ(seen, (std::vector<int>{5, 64}));
}

TEST(TDragTweak, ResetBeyondTheListOrDisabledChangesNothing)
{
    Fixture f(2); // "short", "long" with a default of 63, as on the main window
    f.control->SetItems({"short", "long"});
    f.control->SetPositionDefault(63);
    f.control->SetPosition(1);
    t::doubleClick(f.control, {5, 5});
    EXPECT_EQ(f.control->Caption(), "long");

    f.control->SetPositionDefault(0);
    f.control->SetAllowReset(false);
    t::doubleClick(f.control, {5, 5});
    EXPECT_EQ(f.control->Caption(), "long");

    // The right button's double-click is no reset either.
    f.control->SetAllowReset(true);
    t::doubleClick(f.control, {5, 5}, Qt::RightButton);
    EXPECT_EQ(f.control->Caption(), "long");
    t::doubleClick(f.control, {5, 5});
    EXPECT_EQ(f.control->Caption(), "short");
}

TEST(TDragTweak, KeypadKeysStepOnReleaseAndNotifyLikeALeftRelease)
{
    Fixture f(8);
    QSignalSpy up(f.control, &TDragTweak::OnMouseUp);
    f.control->SetPosition(7);
    QCursor::setPos(QPoint(321, 123));
    t::keyRelease(f.control, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(f.control->Position(), 7); // clamped, no wrap ...
    ASSERT_EQ(up.count(), 1);            // ... and still notified
    EXPECT_EQ(up[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(up[0][1].value<Qt::KeyboardModifiers>(), Qt::NoModifier);
    EXPECT_EQ(up[0][2].toPoint(), QPoint(0, 0));
    EXPECT_EQ(QCursor::pos(), QPoint(321, 123)); // a key never moves the pointer

    f.control->SetAllowLoop(true); // keys do not wrap even then
    t::keyRelease(f.control, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(f.control->Position(), 6);
    f.control->SetPosition(0);
    t::keyRelease(f.control, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(f.control->Position(), 0);
    EXPECT_EQ(up.count(), 3);

    // The main keyboard's plus, and the repeats of a held key, are not steps.
    t::keyRelease(f.control, Qt::Key_Plus, Qt::NoModifier);
    t::keyRelease(f.control, Qt::Key_Plus, Qt::KeypadModifier, true);
    EXPECT_EQ(f.control->Position(), 0);
    EXPECT_EQ(up.count(), 3);
}

TEST(TDragTweak, FocusMakesTheCaptionBold)
{
    QWidget window;
    window.resize(200, 80);
    auto* a = new TDragTweak(&window);
    auto* b = new TDragTweak(&window);
    b->move(0, 40);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_FALSE(a->font().bold());
    t::press(a, {2, 2});
    t::release(a, {2, 2});
    EXPECT_TRUE(a->hasFocus());
    EXPECT_TRUE(a->font().bold());
    t::press(b, {2, 2});
    EXPECT_FALSE(a->font().bold());
    EXPECT_TRUE(b->font().bold());
    // Only the weight was set: a new font family on the window still reaches the control.
    QFont f = window.font();
    f.setPointSize(21);
    window.setFont(f);
    EXPECT_EQ(b->font().pointSize(), 21);
}

TEST(TDragTweak, EnterAndLeaveNameTheControl)
{
    TDragTweak c;
    QSignalSpy enter(&c, &TDragTweak::OnMouseEnter);
    QSignalSpy leave(&c, &TDragTweak::OnMouseLeave);
    QEnterEvent in(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&c, &in);
    QEvent out(QEvent::Leave);
    QApplication::sendEvent(&c, &out);
    ASSERT_EQ(enter.count(), 1);
    ASSERT_EQ(leave.count(), 1);
    EXPECT_EQ(enter[0][0].value<TDragTweak*>(), &c);
    EXPECT_EQ(leave[0][0].value<TDragTweak*>(), &c);
}

TEST(TDragTweak, CopyKnobAcceptsOnlyAKnob)
{
    TDragTweak c;
    QObject notAKnob;
    QLabel label;
    c.SetCopyKnob(&notAKnob);
    EXPECT_EQ(c.CopyKnob(), nullptr);
    c.SetCopyKnob(&label);
    EXPECT_EQ(c.CopyKnob(), nullptr);
    // Without a knob a release still goes through.
    QSignalSpy up(&c, &TDragTweak::OnMouseUp);
    t::press(&c, {1, 1});
    t::release(&c, {1, 1});
    EXPECT_EQ(up.count(), 1);
}

TEST(TDragTweak, AHandlerMayDeleteTheControlOnRelease)
{
    auto* c = new TDragTweak;
    c->SetItems(numbers(4));
    QPointer<TDragTweak> alive(c);
    int released = 0;
    QObject::connect(c, &TDragTweak::OnMouseUp, [c, &released] {
        ++released;
        delete c;
    });
    t::press(c, {1, 1});
    t::release(c, {1, 1}); // nothing may touch the control after its notification
    EXPECT_EQ(released, 1);
    EXPECT_TRUE(alive.isNull());
}

TEST(TDragTweak, SizeHintFitsTheWidestValue)
{
    TDragTweak c;
    c.SetItems({"off", "continuous", "on"});
    const int widest = QFontMetrics(c.font()).horizontalAdvance("continuous");
    EXPECT_GT(c.sizeHint().width(), widest + 2 * c.frameWidth());
    EXPECT_GE(c.sizeHint().height(), QFontMetrics(c.font()).height() + 2 * c.frameWidth());
    const QSize before = c.sizeHint();
    QFont big = c.font();
    big.setPointSize(big.pointSize() * 2);
    c.setFont(big);
    EXPECT_GT(c.sizeHint().width(), before.width());
    c.SetItems({});
    c.SetCaption("no midiout at all here");
    EXPECT_GT(c.sizeHint().width(), QFontMetrics(big).horizontalAdvance("no midiout at all here"));
}

// The box is sized for the regular weight; the bold of the focus, wider in
// most faces, must still show the whole value inside the focus mark.
TEST(TDragTweak, TheLitValueStaysInsideItsBox)
{
    QWidget window;
    auto* c = new TDragTweak(&window);
    c->SetItems({"off", "continuous", "on"});
    c->SetPosition(1);
    c->resize(c->sizeHint());
    QFont bold = c->font();
    bold.setBold(true);
    ASSERT_GT(QFontMetrics(bold).horizontalAdvance("continuous"), c->contentsRect().width() - 4)
        << "the test font's bold must be wider than the box leaves for it";
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    c->setFocus();
    ASSERT_TRUE(c->font().bold());
    const QImage image = c->grab().toImage();
    // The columns the caption's ink reaches, between the focus mark's top and bottom lines.
    const QRect inner = c->contentsRect().adjusted(1, 1, -1, -1);
    const QColor face = image.pixelColor(inner.center().x(), inner.top());
    int first = INT_MAX, last = -1;
    for (int y = inner.top(); y <= inner.bottom(); ++y)
        for (int x = inner.left(); x <= inner.right(); ++x)
            if (image.pixelColor(x, y) != face) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    ASSERT_GE(last, 0) << "no caption drawn";
    EXPECT_GT(first, inner.left()) << "the caption runs into the focus mark";
    EXPECT_LT(last, inner.right()) << "the caption runs into the focus mark";
    // Narrowed, not shrunk out of sight: it still spans most of the box.
    EXPECT_GT(last - first, inner.width() * 3 / 4);
}

TEST(TDragTweak, AnUnknownValueShowsADashUntilTheFirstStepFromTheDefault)
{
    Fixture f(8);
    f.control->SetPositionDefault(5);
    f.control->setStatusTip("own hint");
    f.control->SetPosition(5);
    f.control->SetUnknown(true);
    EXPECT_TRUE(f.control->Unknown());
    EXPECT_EQ(f.control->DisplayedText(), QString::fromUtf8("\u2014"));
    EXPECT_EQ(f.control->Position(), 5) << "the position stays underneath";
    EXPECT_NE(f.control->statusTip(), "own hint") << "the hint says the value is not known";
    const QImage unknown = f.control->grab().toImage();

    // A keypad step starts from the default and makes the value known.
    t::keyRelease(f.control, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_FALSE(f.control->Unknown());
    EXPECT_EQ(f.control->Position(), 6);
    EXPECT_EQ(f.control->DisplayedText(), "6");
    EXPECT_EQ(f.control->statusTip(), "own hint");
    EXPECT_NE(f.control->grab().toImage(), unknown) << "what is painted changes too";

    // A drag does the same, and so does a click that sends the value as it stands.
    f.control->SetPosition(5);
    f.control->SetUnknown(true);
    f.dragThrough({20, 10});
    EXPECT_FALSE(f.control->Unknown());
    EXPECT_EQ(f.control->Position(), 5) << "one step right, one left: back at the default";
    f.control->SetUnknown(true);
    f.dragThrough({});
    EXPECT_FALSE(f.control->Unknown()) << "a release sends the value, so it is known";

    // Assigning a value by program also makes it known.
    f.control->SetUnknown(true);
    f.control->SetPosition(2);
    EXPECT_FALSE(f.control->Unknown());
}
