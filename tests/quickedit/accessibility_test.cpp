// SPDX-License-Identifier: GPL-3.0-or-later
// What assistive technology reads of both windows' value controls and knobs,
// and the keyboard's way of editing them, on the real windows.
#include "knobrig.h"

#include "editor/bindingtable.h"
#include "editor/valuelists.h"
#include "patch/parameteraddress.h"
#include "patch/rolandmessage.h"
#include "quickedit/knobtable.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QButtonGroup>
#include <QCheckBox>
#include <QKeyEvent>
#include <QRadioButton>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <set>

using namespace dorvane;
using test::KnobRig;
using test::Messages;

namespace {

QString text(std::string_view t)
{
    return QString::fromUtf8(t.data(), qsizetype(t.size()));
}

// The name a control must have on a normal part: the label, then what its
// value belongs to.
QString expectedName(const Binding& row, int part, int tone)
{
    switch (row.handler) {
    case Handler::Tone:
        return QString("%1, part %2 tone %3").arg(text(row.label)).arg(part).arg(tone);
    case Handler::Common:
    case Handler::Part:
        return QString("%1, part %2").arg(text(row.label)).arg(part);
    default:
        return text(row.label);
    }
}

struct Read
{
    QString name;
    QString value;
    QString shownText;
    int position = -1;
};

Read read(QObject* object)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    if (!iface)
        return {};
    Read r{iface->text(QAccessible::Name), iface->text(QAccessible::Value), {}, -1};
    if (QAccessibleTextInterface* t = iface->textInterface())
        r.shownText = t->text(0, t->characterCount());
    if (QAccessibleValueInterface* v = iface->valueInterface())
        r.position = v->currentValue().toInt();
    return r;
}

void key(QWidget* widget, QEvent::Type type, int k, bool repeat = false,
         Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(type, k, modifiers, QString(), repeat);
    QApplication::sendEvent(widget, &event);
}

std::string cutoff(int part, int tone, int value)
{
    return test::hex(parameterMessage(tsMC505, toneAddress(part, tone, 81), value));
}

} // namespace

TEST(Accessibility, EveryControlAndKnobIsNamedAndReadAsShownFollowingTheSelection)
{
    KnobRig rig;
    Tform3& k = rig.openShown();
    MainWindow& w = *rig.window;
    ASSERT_EQ(k.knobs().size(), 90u);

    // Part 3, tone 2 given its own cutoff, so the values must follow the tone.
    w.sheets().selectPart(2);
    for (int t = 1; t <= 4; ++t)
        w.session().setToneSelected(t, t == 2);
    rig.release("cutoff", 90);

    for (const auto& [part, tone] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{3, 1}}) {
        SCOPED_TRACE(QString("part %1 tone %2").arg(part).arg(tone).toStdString());
        w.sheets().selectPart(part - 1);
        w.sheets().selectShownTone(tone);
        int controls = 0;
        for (const Binding& row : bindingTable()) {
            TDragTweak* c = w.sheets().control(text(row.name));
            if (!c)
                continue;
            ++controls;
            SCOPED_TRACE(row.name);
            const Read r = read(c);
            EXPECT_EQ(r.name, expectedName(row, part, tone));
            EXPECT_EQ(r.value, c->DisplayedText());
            EXPECT_EQ(r.shownText, c->DisplayedText());
            EXPECT_EQ(r.position, c->Position());
            EXPECT_TRUE(c->TabStop());
            // A focusable QLabel would carry a text document each, a cost at start-up.
            EXPECT_TRUE(c->findChildren<QTextDocument*>().isEmpty());
        }
        EXPECT_EQ(controls, 205);
        EXPECT_EQ(read(w.sheets().control("cutoff")).value, part == 3 && tone == 2 ? "90" : "127");

        std::set<QString> names;
        for (const KnobRow& row : knobTable()) {
            tknob* knob = k.knob(text(row.control));
            ASSERT_NE(knob, nullptr);
            SCOPED_TRACE(row.control);
            TDragTweak* c = w.sheets().control(text(row.control));
            const Read r = read(knob);
            EXPECT_EQ(r.name, expectedName(*w.sheets().bindingOf(c), part, tone));
            // What the knob's display shows for it (a sheet not shown yet
            // may still hold older values).
            EXPECT_EQ(r.value, c->Items().value(knob->Position()));
            EXPECT_EQ(r.position, knob->Position());
            names.insert(r.name);
        }
        EXPECT_EQ(names.size(), 90u) << "no two knobs read alike";
    }
    // Part R's Tone sheet edits one drum note: its key is said as the sheet's
    // list says it, sharp or not.
    w.sheets().selectPart(7);
    for (const auto& [note, key] : {std::pair{1, "C2"}, std::pair{2, "C#2"}}) {
        w.sheets().selectDrumNote(note);
        for (const Binding& row : bindingTable()) {
            TDragTweak* c = w.sheets().control(text(row.name));
            if (!c)
                continue;
            const QString name = read(c).name;
            if (row.handler == Handler::Tone)
                EXPECT_TRUE(name.endsWith(QString(", part R drum note %1").arg(key)))
                    << name.toStdString();
            else
                EXPECT_EQ(name, expectedName(row, 0, 0).replace(", part 0", ", part R"));
        }
        EXPECT_EQ(read(w.sheets().control("tonelevel")).name,
                  QString("Tone Level, part R drum note %1").arg(key));
        EXPECT_EQ(read(k.knob("cutoff")).name,
                  QString("Cutoff Frequency, part R drum note %1").arg(key));
    }

    // A reader's "toggle" checks a button without clicking it: the selection follows.
    auto toggle = [](QWidget* button) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
        ASSERT_TRUE(iface && iface->actionInterface());
        iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    };
    toggle(w.sheets().partGroup()->button(4));
    EXPECT_EQ(w.session().partIndex(), 4);
    toggle(w.sheets().toneBox(3));
    EXPECT_TRUE(w.session().toneSelected(3));
    toggle(w.sheets().showGroup()->button(3));
    EXPECT_EQ(w.session().shownTone(), 3);
    EXPECT_EQ(read(w.sheets().control("cutoff")).name, "Cutoff Frequency, part 5 tone 3");
    // The knob window's boxes and buttons, the same.
    toggle(k.toneBox(4));
    EXPECT_TRUE(w.session().toneSelected(4));
    toggle(k.showToneButton(2));
    EXPECT_EQ(w.session().shownTone(), 2);

    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(read(w.sheets().partGroup()->button(i)).name,
                  QString("Part %1").arg(i < 7 ? QString::number(i + 1) : "R"));
    for (int t = 1; t <= 4; ++t) {
        EXPECT_EQ(read(w.sheets().toneBox(t)).name, QString("Tone Select, tone %1").arg(t));
        EXPECT_EQ(read(k.toneBox(t)).name, QString("Tone Select, tone %1").arg(t));
    }
}

TEST(Accessibility, KeysEditTheFocusedValueAsADragOneMessageAndOneStepPerRun)
{
    KnobRig rig;
    Tform3& k = rig.openShown();
    MainWindow& w = *rig.window;
    rig.activate(w);
    w.sheets().selectPart(2);
    for (int t = 1; t <= 4; ++t)
        w.session().setToneSelected(t, t == 1);
    rig.take();
    TDragTweak* c = rig.control("cutoff");
    const int start = w.image().ReadByte(2, 1, 81);
    const std::size_t steps = w.session().history().undoCount();
    c->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(c->hasFocus());

    // Left held down: X11 repeats it as release and press pairs.
    key(c, QEvent::KeyPress, Qt::Key_Left);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(c->Position(), start - 1 - i) << "each key shows at once";
        key(c, QEvent::KeyRelease, Qt::Key_Left, true);
        key(c, QEvent::KeyPress, Qt::Key_Left, true);
    }
    EXPECT_TRUE(rig.take().empty()) << "nothing leaves before the key is let go";
    EXPECT_EQ(w.image().ReadByte(2, 1, 81), start);
    key(c, QEvent::KeyRelease, Qt::Key_Left);
    EXPECT_EQ(rig.take(), (Messages{cutoff(2, 1, start - 5)}));
    EXPECT_EQ(w.image().ReadByte(2, 1, 81), start - 5);
    EXPECT_EQ(w.session().history().undoCount(), steps + 1);

    // Page Down, Home, End: each run its own edit; a run that moves nothing sends nothing.
    const struct
    {
        int key;
        int expected;
    } runs[] = {{Qt::Key_PageDown, start - 15},
                {Qt::Key_Home, 0},
                {Qt::Key_Home, 0},
                {Qt::Key_End, 127},
                {Qt::Key_Up, 127}};
    for (const auto& run : runs) {
        const std::size_t before = w.session().history().undoCount();
        const int was = c->Position();
        key(c, QEvent::KeyPress, run.key);
        key(c, QEvent::KeyRelease, run.key);
        EXPECT_EQ(c->Position(), run.expected) << run.key;
        const bool moved = run.expected != was;
        EXPECT_EQ(rig.take().size(), moved ? 1u : 0u) << run.key;
        EXPECT_EQ(w.session().history().undoCount(), before + (moved ? 1 : 0)) << run.key;
    }

    // Undo takes the runs back one at a time, on both sides.
    for (int i = 0; i < 3; ++i)
        w.history().undo();
    EXPECT_EQ(w.image().ReadByte(2, 1, 81), start - 5);
    EXPECT_EQ(c->Caption(), QString::number(start - 5));
    EXPECT_FALSE(rig.take().empty());

    EXPECT_TRUE(c->findChildren<QTextDocument*>().isEmpty()) << "focus builds no text document";

    // Note keys still play while a value control has the focus.
    QTest::keyPress(c, Qt::Key_Z);
    QTest::keyRelease(c, Qt::Key_Z);
    const Messages played = rig.take();
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[0].substr(0, 1), "9");

    // The knob: the same keys, one edit made by its control.
    rig.activate(k);
    tknob* knob = rig.knob("cutoff");
    knob->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(knob->hasFocus());
    const int knobStart = knob->Position();
    key(knob, QEvent::KeyPress, Qt::Key_Left, false, Qt::ShiftModifier);
    key(knob, QEvent::KeyRelease, Qt::Key_Left, true);
    key(knob, QEvent::KeyPress, Qt::Key_Left, true);
    key(knob, QEvent::KeyRelease, Qt::Key_Left);
    const int turned = knobStart - 8 - 1;
    EXPECT_EQ(knob->Position(), turned);
    EXPECT_EQ(rig.take(), (Messages{cutoff(2, 1, turned)}));
    EXPECT_EQ(c->Position(), turned);
    EXPECT_EQ(w.image().ReadByte(2, 1, 81), turned);
}

TEST(Accessibility, TabWalksTheToneSheetPanelByPanelInReadingOrder)
{
    KnobRig rig;
    rig.openBoth();
    MainWindow& w = *rig.window;
    rig.activate(w);
    w.sheets().showSheet(Sheet::Tone);
    // Every control shown on the sheet, panel after panel as they stand
    // (left to right, then the next row), each panel's column by column.
    std::vector<std::string> expected;
    for (const char* panel :
         {"wavepanel", "fxmbox", "lfo1box", "lfo2box", "pitchpanel", "filterpanel", "amppanel"})
        for (const Binding* row : bindingsOfPanel(panel))
            if (w.sheets().control(text(row->name))->isVisible())
                expected.push_back(std::string(row->name));

    w.sheets().control(text(expected.front()))->setFocus(Qt::TabFocusReason);
    std::vector<std::string> walked;
    for (int i = 0; i < 400 && walked.size() < expected.size(); ++i) {
        if (auto* c = qobject_cast<TDragTweak*>(QApplication::focusWidget()))
            if (walked.empty() || walked.back() != c->objectName().toStdString())
                walked.push_back(c->objectName().toStdString());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(walked, expected);
}
