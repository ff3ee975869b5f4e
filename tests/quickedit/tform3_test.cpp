// SPDX-License-Identifier: GPL-3.0-or-later
// The knob window and the main window driven together, offscreen, on the
// loopback driver.
#include "editor/bindingtable.h"
#include "editor/interfacepalette.h"
#include "editor/settingsstore.h"
#include "editor/windowtexts.h"
#include "knobrig.h"
#include "midi/builtininstrument.h"
#include "patch/rolandmessage.h"
#include "quickedit/knobstrips.h"
#include "quickedit/knobtable.h"
#include "quickedit/quickedittexts.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cstring>
#include <set>

using namespace dorvane;
using test::KnobRig;
using test::Messages;

namespace {

std::string parameter(int part, int base, int offset, int value)
{
    return test::hex(parameterMessage(
        tsMC505, {0x02, std::uint8_t(part), std::uint8_t(base), std::uint8_t(offset)}, value));
}

QString name(std::string_view text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

std::string selection(MainWindow& w)
{
    std::string s;
    for (int t = 1; t <= 4; ++t)
        s += w.session().toneSelected(t) ? '1' : '0';
    return s;
}

std::string shownBoxes(const Tform3& k)
{
    std::string s;
    for (int t = 1; t <= 4; ++t)
        s += k.toneBox(t)->isChecked() ? '1' : '0';
    return s;
}

// The four tones' values of a status line, without the shake mark.
QString values(QString status)
{
    for (const char* mark : {texts::Shake, texts::WontShake})
        if (status.endsWith(mark))
            status.chop(qsizetype(std::strlen(mark)));
    return status;
}

// A drag over a knob: press, one move to the right per step, release.
void turnRight(tknob* k, int steps, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    test::press(k, {10, 10}, Qt::LeftButton, modifiers);
    for (int i = 1; i <= steps; ++i)
        test::move(k, {10 + i * 20, 10}, Qt::LeftButton, modifiers);
    test::release(k, {10, 10}, Qt::LeftButton, modifiers);
}

} // namespace

TEST(Tform3, BuildsNinetyKnobsLinkedToTheirControlsOnFirstShow)
{
    KnobRig rig;
    Tform3& k = rig.openBoth();
    MainWindow& w = *rig.window;
    EXPECT_FALSE(k.isBuilt()) << "nothing is built before the window is first shown";
    EXPECT_TRUE(k.findChildren<tknob*>().isEmpty());

    w.image().WriteByte(0, 1, 81, 77); // cutoff, tone 1
    w.image().WriteByte(0, 0, 48, 12); // analog feel, common
    w.frame().action("GraphicalEd")->trigger();
    ASSERT_TRUE(k.isVisible());
    ASSERT_EQ(k.knobs().size(), 90u);

    std::set<QString> linked;
    for (const KnobRow& row : knobTable()) {
        SCOPED_TRACE(row.control);
        tknob* knob = k.knob(name(row.control));
        ASSERT_NE(knob, nullptr) << "no such value control on the main window";
        TDragTweak* c = w.sheets().control(name(row.control));
        linked.insert(c->objectName());
        EXPECT_EQ(knob->CopyDragTweak(), c);
        EXPECT_EQ(c->CopyKnob(), knob);
        EXPECT_EQ(knob->CtrlNo(), c->CtrlNo());
        EXPECT_EQ(knob->Max(), c->Items().size() - 1);
        const Binding* b = w.sheets().bindingOf(c);
        EXPECT_EQ(knob->Tag5(), b->handler == Handler::Common ? 1 : 0);
        EXPECT_TRUE(b->handler == Handler::Tone || b->handler == Handler::Common);
        // A strip with a frame per position shows exactly the control's values.
        const int frames = knob->iImageList()->Count();
        switch (row.strip) {
        case KnobStrip::Switch:
            EXPECT_EQ(frames, KnobStrips::SwitchFrames);
            break;
        case KnobStrip::FilterType:
            EXPECT_EQ(frames, KnobStrips::FilterTypeFrames);
            break;
        case KnobStrip::LfoWave:
            EXPECT_EQ(frames, KnobStrips::LfoWaveFrames);
            break;
        case KnobStrip::Knob:
            EXPECT_EQ(frames, KnobStrips::KnobFrames);
            break;
        }
        if (row.strip != KnobStrip::Knob) {
            EXPECT_EQ(frames - 1, knob->Max());
        }
        EXPECT_GE(knob->ShownFrame(), 0) << "every knob shows a frame";
    }
    EXPECT_EQ(linked.size(), 90u) << "each knob has a control of its own";
    EXPECT_EQ(k.knob("cutoff")->Position(), 77) << "the knobs start from the image";
    EXPECT_EQ(k.knob("analog")->Position(), 12);

    // A front panel, not a heap: no knob covers another, each has its name
    // under it, and the whole fits a 1366x768 screen with its caption.
    const auto knobs = k.knobs();
    for (std::size_t i = 0; i < knobs.size(); ++i) {
        const QRect a(knobs[i]->mapTo(&k, QPoint()), knobs[i]->size());
        EXPECT_TRUE(k.rect().contains(a)) << knobs[i]->objectName().toStdString();
        for (std::size_t j = i + 1; j < knobs.size(); ++j)
            EXPECT_FALSE(a.intersects(QRect(knobs[j]->mapTo(&k, QPoint()), knobs[j]->size())))
                << knobs[i]->objectName().toStdString() << " and "
                << knobs[j]->objectName().toStdString();
        auto* label = k.findChild<QLabel*>("name_" + knobs[i]->objectName().mid(5));
        ASSERT_NE(label, nullptr);
        EXPECT_GE(label->mapTo(&k, QPoint()).y(), a.bottom());
    }
    EXPECT_LE(k.width(), 1366);
    EXPECT_LE(k.height(), 768 - 40);

    // Each button runs a command the main window has.
    for (const auto& b : texts::QuickButtons) {
        EXPECT_NE(k.button(b.caption), nullptr);
        EXPECT_NE(w.frame().action(b.action), nullptr) << b.action;
    }
}

TEST(Tform3, F9TogglesItOnNormalPartsAndTheModesHideIt)
{
    KnobRig rig;
    Tform3& k = rig.openShown();
    MainWindow& w = *rig.window;
    ASSERT_TRUE(k.isVisible());
    EXPECT_EQ(k.statusText(2), "Press F9 to switch back to main editor");

    // F9 typed in the knob window takes the musician back.
    ASSERT_TRUE(KnobRig::becomesActive(k));
    QTest::keyClick(k.toneBox(4), Qt::Key_F9);
    EXPECT_FALSE(k.isVisible());
    ASSERT_TRUE(KnobRig::becomesActive(w));
    QTest::keyClick(&w, Qt::Key_F9);
    EXPECT_TRUE(k.isVisible());

    // Part R: Ctrl+8 hides it, and F9 then does nothing.
    ASSERT_TRUE(KnobRig::becomesActive(k));
    QTest::keyClick(k.toneBox(1), Qt::Key_8, Qt::ControlModifier);
    EXPECT_TRUE(w.session().isRhythmPart());
    EXPECT_FALSE(k.isVisible());
    rig.activate(w);
    QTest::keyClick(&w, Qt::Key_F9);
    EXPECT_FALSE(k.isVisible());

    // A mode that takes the window over hides it; so does a Get once confirmed.
    w.sheets().selectPart(2);
    w.toggleQuickEdit();
    ASSERT_TRUE(k.isVisible());
    w.frame().modeStarting();
    EXPECT_FALSE(k.isVisible());
    w.toggleQuickEdit();
    rig.dialogs.answers = {false};
    w.frame().action("GetPart")->trigger();
    EXPECT_TRUE(k.isVisible()) << "No leaves everything as it was";
    rig.dialogs.answers = {true};
    w.frame().action("GetPart")->trigger();
    EXPECT_FALSE(k.isVisible());
    w.toggleQuickEdit();
    EXPECT_FALSE(k.isVisible()) << "not while the reception has the window";
    w.transfers().sysexButton()->click();
    w.toggleQuickEdit();
    EXPECT_TRUE(k.isVisible());
}

TEST(Tform3, ValueBoxSetsTheKnobThePointerTouchedLast)
{
    KnobRig rig;
    Tform3& k = rig.openShown();
    MainWindow& w = *rig.window;
    const QPoint pointer(4001, 3999);
    QCursor::setPos(pointer);
    rig.take();

    // No knob touched yet: Enter sets nothing.
    const Bytes before = w.image().bytes();
    rig.typeValue("64");
    const Messages none = rig.take();
    EXPECT_TRUE(none.empty()) << none.front();
    EXPECT_EQ(w.image().bytes(), before);

    rig.enter(rig.knob("cutoff"));
    EXPECT_EQ(k.statusText(0), w.frame().statusText())
        << "the main window's line, four tones and the mark";
    EXPECT_TRUE(k.statusText(0).endsWith("Shake)")) << k.statusText(0).toStdString();
    rig.typeValue("127");
    EXPECT_EQ(rig.take(), (Messages{parameter(0, 0x10, 81, 127)}));
    EXPECT_EQ(w.image().ReadByte(0, 1, 81), 127);
    EXPECT_EQ(rig.knob("cutoff")->Position(), 127);
    EXPECT_EQ(w.sheets().control("cutoff")->Caption(), "127");
    EXPECT_EQ(k.statusText(1), "127");
    EXPECT_EQ(QApplication::focusWidget(), k.toneBox(4)) << "keys play again";
    EXPECT_EQ(QCursor::pos(), pointer) << "the pointer stays where the user left it";

    rig.typeValue("128");
    EXPECT_EQ(k.valueBox()->text(), "try again");
    EXPECT_EQ(k.valueBox()->selectedText(), "try again") << "ready to be typed over";
    EXPECT_TRUE(rig.take().empty());
    EXPECT_EQ(w.image().ReadByte(0, 1, 81), 127);

    // Values as the control shows them, whatever the case and the blanks
    // around them (note names carry a trailing one).
    rig.enter(rig.knob("biaspos"));
    rig.typeValue("c4");
    EXPECT_EQ(w.image().ReadByte(0, 1, 103), 60);
    rig.enter(rig.knob("filtertype"));
    rig.typeValue(" bp ");
    EXPECT_EQ(w.image().ReadByte(0, 1, 80), 2);
    // A common knob edits the part's common block.
    rig.enter(rig.knob("solo"));
    EXPECT_EQ(k.statusText(0), "poly");
    rig.typeValue("MONO");
    EXPECT_EQ(w.image().ReadByte(0, 0, 51), 1);
    EXPECT_EQ(rig.take(), (Messages{parameter(0, 0x10, 103, 60), parameter(0, 0x10, 80, 2),
                                    parameter(0, 0x00, 51, 1)}));
}

TEST(Tform3, KeysPlayFromTheKnobWindowExceptInTheValueBox)
{
    KnobRig rig;
    Tform3& k = rig.openShown();
    ASSERT_TRUE(KnobRig::becomesActive(k));
    rig.take();
    k.toneBox(4)->setFocus();
    QTest::keyPress(k.toneBox(4), Qt::Key_Z);
    QTest::keyRelease(k.toneBox(4), Qt::Key_Z);
    EXPECT_EQ(rig.take(), (Messages{"90 24 60", "80 24 00"}));
    EXPECT_TRUE(k.statusText(0).endsWith("C2  (v96)")) << k.statusText(0).toStdString();

    k.valueBox()->setFocus();
    QTest::keyClicks(k.valueBox(), "zsx");
    EXPECT_TRUE(rig.take().empty());
    EXPECT_EQ(k.valueBox()->text(), "zsx");
}

TEST(Tform3, ShiftOnAToneBoxSolosAsInTheMainWindowAPlainClickOnlyMirrors)
{
    KnobRig rig;
    Tform3& k = rig.openShown();
    MainWindow& w = *rig.window;
    auto startFrom = [&] {
        for (int t = 1; t <= 4; ++t)
            w.session().setToneSelected(t, t == 1 || t == 3);
        w.sheets().selectShownTone(1);
    };
    startFrom();
    EXPECT_EQ(shownBoxes(k), "1010") << "the boxes show the main window's selection";
    QTest::mouseClick(w.sheets().toneBox(2), Qt::LeftButton, Qt::ShiftModifier, QPoint(4, 4));
    const std::string mainSolo = selection(w);
    const int mainShown = w.session().shownTone();

    startFrom();
    QTest::mouseClick(k.toneBox(2), Qt::LeftButton, Qt::ShiftModifier, QPoint(4, 4));
    EXPECT_EQ(selection(w), mainSolo);
    EXPECT_EQ(w.session().shownTone(), mainShown);
    EXPECT_EQ(selection(w), "0100");
    EXPECT_EQ(shownBoxes(k), "0100");
    EXPECT_TRUE(k.showToneButton(2)->isChecked());

    // Without Shift the box's own state is all that moves; Ctrl does not invert here.
    QTest::mouseClick(k.toneBox(3), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    EXPECT_EQ(selection(w), "0110");
    QTest::mouseClick(k.toneBox(1), Qt::LeftButton, Qt::ControlModifier, QPoint(4, 4));
    EXPECT_EQ(selection(w), "1110");
    EXPECT_EQ(w.session().shownTone(), 2);
    EXPECT_TRUE(rig.take().empty());
}

TEST(Tform3, AKnobReleaseIsTheLinkedControlsOwnEdit)
{
    KnobRig rig;
    Tform3& k = rig.openShown();
    MainWindow& w = *rig.window;
    w.sheets().selectPart(2);
    k.show();
    for (int t = 1; t <= 4; ++t)
        w.session().setToneSelected(t, t == 2 || t == 4);
    w.sheets().selectShownTone(2);
    rig.release("q", 10);
    rig.release("portatime", 10);
    rig.take();

    tknob* q = rig.knob("q");
    EXPECT_EQ(q->Position(), 10);
    turnRight(q, 3);
    EXPECT_EQ(q->Position(), 13);
    const Messages byKnob = rig.take();
    EXPECT_EQ(byKnob, (Messages{parameter(2, 0x12, 83, 13), parameter(2, 0x16, 83, 13)}));
    // The pointer put back on the knob at the release may enter it again,
    // which adds the shake mark: the values are what the edit wrote.
    const QString statusByKnob = values(w.frame().statusText());
    // The main window's own step of history, and Undo brings the knob back.
    EXPECT_EQ(w.session().history().undoText(), "Resonance, part 3");
    w.frame().action("Undo")->trigger();
    EXPECT_EQ(q->Position(), 10);
    EXPECT_EQ(w.image().ReadByte(2, 4, 83), 10);
    rig.take();

    rig.release("q", 13);
    EXPECT_EQ(rig.take(), byKnob) << "the same bytes as the control's own release";
    EXPECT_EQ(values(w.frame().statusText()), statusByKnob);
    EXPECT_EQ(values(k.statusText(0)), statusByKnob);
    EXPECT_EQ(statusByKnob, "     0     13     0     13");
    EXPECT_EQ(w.image().ReadByte(2, 4, 83), 13);

    // Shift turns by eight; the common knob edits the common block.
    turnRight(rig.knob("portatime"), 2, Qt::ShiftModifier);
    EXPECT_EQ(rig.take(),
              (Messages{parameter(2, 0x00, 57, w.sheets().control("portatime")->Position())}));
    EXPECT_EQ(w.image().ReadByte(2, 0, 57), 10 + 16);
    // The right button makes no edit, on the knob as on the control.
    test::press(q, {10, 10}, Qt::RightButton);
    test::release(q, {10, 10}, Qt::RightButton);
    EXPECT_TRUE(rig.take().empty());
}

TEST(Tform3, TheMainWindowsChangesReachTheKnobWindow)
{
    KnobRig rig;
    Tform3& k = rig.openShown();
    MainWindow& w = *rig.window;

    rig.release("cutoff", 33);
    EXPECT_EQ(rig.knob("cutoff")->Position(), 33) << "an edit there moves the knob";

    // A refresh brings the tone on display, its wave and the common block.
    w.image().WriteByte(0, 3, 83, 99);
    w.image().WriteWave(0, 3, 21);
    w.image().WriteByte(0, 0, 57, 70);
    w.sheets().selectShownTone(3);
    EXPECT_EQ(rig.knob("q")->Position(), 99);
    EXPECT_EQ(rig.knob("portatime")->Position(), 70);
    EXPECT_EQ(k.waveList()->currentIndex(), 21);
    EXPECT_EQ(w.sheets().categoryList()->currentText(), " Square") << "the group is the wave's own";
    EXPECT_EQ(k.categoryList()->currentText(), " Square");
    EXPECT_TRUE(k.showToneButton(3)->isChecked());
    EXPECT_EQ(k.windowTitle(), w.sheets().captionText().trimmed());

    // Choices made here are the main window's.
    k.showToneButton(1)->click();
    EXPECT_EQ(w.session().shownTone(), 1);
    rig.take();
    k.categoryList()->setCurrentIndex(1);
    emit k.categoryList()->activated(1); // " Saw", wave 12
    EXPECT_EQ(w.image().ReadWave(0, 1), 12);
    EXPECT_EQ(w.sheets().waveList()->currentIndex(), 12);
    EXPECT_EQ(rig.take(), (Messages{test::hex(waveMessage(tsMC505, 0x02, 0, 0x10, 12))}));
    w.sheets().selectWave(30);
    EXPECT_EQ(k.waveList()->currentIndex(), 30) << "a wave chosen there shows here";
    EXPECT_EQ(k.categoryList()->currentText(), " P wave");
    EXPECT_EQ(w.image().ReadWave(0, 1), 30) << "following the wave is no jump to the group's first";

    // The font's family, hints and the backup's note.
    QFont serif = w.font();
    serif.setFamily("Serif");
    w.setFont(serif);
    EXPECT_EQ(k.font().family(), serif.family());
    w.sheets().showHintBox()->setChecked(true);
    QStatusTipEvent tip("Initialize Current Part now");
    QApplication::sendEvent(k.button("i"), &tip);
    EXPECT_EQ(k.statusText(0), "Initialize Current Part now");
    rig.window->settings().setText(Setting::AutoSave, QString::fromStdString(rig.file("a.syx")));
    w.files().autoSaveTick();
    EXPECT_TRUE(k.statusText(0).startsWith("AutoSaved to " + w.parts().programFolder))
        << k.statusText(0).toStdString();
    EXPECT_TRUE(w.frame().statusText().startsWith("AutoSaved to" + w.parts().programFolder));
}

TEST(Tform3, TurningKnobsOverTheBuiltInInstrumentReachesItsImage)
{
    KnobRig rig;
    auto instrument = std::make_shared<BuiltInInstrument>(rig.file("perf.syx"));
    instrument->setFullSpeed(true);
    rig.registry.addSource(instrument); // after the loopback's three devices
    Tform3& k = rig.openShown(3);
    MainWindow& w = *rig.window;
    ASSERT_EQ(w.sheets().control("midiout")->Caption(), "MC-505 (built in)");

    // Part 3, tone 2 alone, cutoff and resonance turned, then resonance typed.
    QTest::keyClick(k.toneBox(1), Qt::Key_3, Qt::ControlModifier);
    ASSERT_EQ(w.session().partNumber(), 2);
    QTest::mouseClick(k.toneBox(2), Qt::LeftButton, Qt::ShiftModifier, QPoint(4, 4));
    ASSERT_EQ(w.session().shownTone(), 2);
    tknob* cutoff = rig.knob("cutoff");
    const int cutoffFrom = cutoff->Position();
    turnRight(cutoff, 5);
    turnRight(rig.knob("q"), 7);
    EXPECT_EQ(w.sheets().control("cutoff")->Position(), std::min(127, cutoffFrom + 5))
        << "the main window follows";
    rig.enter(rig.knob("q"));
    rig.typeValue("64");

    ASSERT_TRUE(test::waitUntil([&] { return w.util().Sender().IsIdle(); }));
    t505temppatch held;
    held.LoadFromBytes(instrument->image());
    EXPECT_EQ(held.ReadByte(2, 2, 81), w.image().ReadByte(2, 2, 81));
    EXPECT_EQ(held.ReadByte(2, 2, 83), 64);
    EXPECT_EQ(w.image().ReadByte(2, 2, 83), 64);
    EXPECT_EQ(held.ReadByte(2, 1, 83), w.image().ReadByte(2, 1, 83)) << "tone 1 untouched";
}

TEST(Tform3, BothWindowsFollowTheDesktopsSchemeAsItChanges)
{
    KnobRig rig;
    Tform3& k = rig.openShown();
    MainWindow& w = *rig.window;
    const QPalette before = QGuiApplication::palette();
    ColourSchemeFollower follower;
    // Part 1 is not known here, which its button tells in a colour of the palette.
    ASSERT_EQ(w.session().partSync(0), PartSync::NotKnown);
    QAbstractButton* part1 = w.sheets().partGroup()->button(0);
    const tknob* cutoff = rig.knob("cutoff");
    auto knobCorner = [cutoff] { return cutoff->Picture().toImage().pixelColor(0, 0); };

    auto check = [&](ColourScheme scheme) {
        const QPalette p = interfacePalette(scheme);
        const QColor window = p.color(QPalette::Window);
        // Palettes reach the widgets as posted events, the pictures after them.
        (void)QTest::qWaitFor([&] { return knobCorner() == window; }, 5000);
        EXPECT_EQ(currentScheme(), scheme);
        EXPECT_EQ(w.palette().color(QPalette::Window), window);
        EXPECT_EQ(k.palette().color(QPalette::Window), window);
        EXPECT_EQ(k.palette().color(QPalette::WindowText), p.color(QPalette::WindowText));
        // Drawn pictures repainted, not only the palettes: the knob's square is the window's.
        EXPECT_EQ(knobCorner(), window);
        EXPECT_EQ(part1->palette().color(QPalette::WindowText), p.color(QPalette::PlaceholderText));
        EXPECT_GE(contrastRatio(part1->palette().color(QPalette::WindowText),
                                part1->palette().color(QPalette::Window)),
                  4.5);
    };
    // The desktop turns dark while the program runs.
    follower.follow(ColourScheme::Dark);
    check(ColourScheme::Dark);
    // Then its theme changes as the platform tells it: the offscreen desktop is light.
    QEvent themeChange(QEvent::ThemeChange);
    QCoreApplication::sendEvent(&w, &themeChange);
    QCoreApplication::sendEvent(&k, &themeChange);
    check(ColourScheme::Light);
    QGuiApplication::setPalette(before);
}
