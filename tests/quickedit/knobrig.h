// SPDX-License-Identifier: GPL-3.0-or-later
// Both windows together on the loopback driver: the main window as the
// window tests open it, and the knob window made right after it, as the
// program does.
#pragma once

#include "editor/windowrig.h"
#include "quickedit/tform3.h"
#include "quickedit/tknob.h"

#include <QCursor>
#include <QEnterEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace dorvane::test {

struct KnobRig : WindowRig
{
    Tform3* knobs = nullptr;

    // The main window on output `output` (device 0 unless said) with test
    // notes off, and the knob window (not yet shown).
    Tform3& openBoth(int output = 0)
    {
        // The pointer off both windows, so no knob is entered by chance.
        QCursor::setPos(QPoint(4000, 4000));
        store("midiout", QString::number(output));
        store("autotrig", "0");
        MainWindow& w = open();
        w.util().SetVelRnd(0);
        knobs = new Tform3(w.parts()); // the main window owns it, as in the program
        return *knobs;
    }

    // The knob window shown and active, as after F9.
    Tform3& openShown(int output = 0)
    {
        Tform3& k = openBoth(output);
        activate(*window);
        window->toggleQuickEdit();
        activate(k);
        return k;
    }

    // Activations arrive in turn from the platform: wait until this one is the
    // application's active window, not merely said to be active.
    static bool becomesActive(QWidget& w)
    {
        return waitUntil([&] { return QApplication::activeWindow() == &w; }, 2000);
    }
    void activate(QWidget& w)
    {
        w.activateWindow();
        if (!becomesActive(w))
            ADD_FAILURE() << w.objectName().toStdString() << " never became active";
    }

    tknob* knob(const char* control) { return knobs->knob(control); }

    // The pointer comes onto a knob: it becomes the knob the value box sets.
    void enter(tknob* k)
    {
        QEnterEvent event(QPointF(4, 4), QPointF(4, 4), QPointF(k->mapToGlobal(QPoint(4, 4))));
        QApplication::sendEvent(k, &event);
    }

    // Types into the value box and presses Enter.
    void typeValue(const QString& text)
    {
        QLineEdit* box = knobs->valueBox();
        box->setFocus();
        if (QApplication::focusWidget() != box)
            ADD_FAILURE() << "the value box has no focus; active window: "
                          << (QApplication::activeWindow()
                                  ? QApplication::activeWindow()->objectName().toStdString()
                                  : std::string("none"));
        box->clear();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
};

} // namespace dorvane::test
