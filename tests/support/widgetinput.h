// SPDX-License-Identifier: GPL-3.0-or-later
// Mouse and key events sent straight to a widget with the buttons and keyboard
// modifiers a test chooses. QTest's mouse moves carry no modifiers and its
// double-click is not the press, release, double-click, release that the
// platforms deliver, so the control tests build their events here.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

namespace dorvane::test {

inline void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons,
                      modifiers);
    QApplication::sendEvent(widget, &event);
}

inline void press(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    sendMouse(widget, QEvent::MouseButtonPress, pos, button, button, modifiers);
}

// A move with the given buttons held (Qt::NoButton for a plain hover).
inline void move(QWidget* widget, QPoint pos, Qt::MouseButtons buttons = Qt::LeftButton,
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    sendMouse(widget, QEvent::MouseMove, pos, Qt::NoButton, buttons, modifiers);
}

inline void release(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    sendMouse(widget, QEvent::MouseButtonRelease, pos, button, Qt::NoButton, modifiers);
}

// Press, release, double-click, release: the order every platform delivers.
inline void doubleClick(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                        Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    press(widget, pos, button, modifiers);
    release(widget, pos, button, modifiers);
    sendMouse(widget, QEvent::MouseButtonDblClick, pos, button, button, modifiers);
    release(widget, pos, button, modifiers);
}

// Presses the widget, moves left 3 pixels a step, and lets go; every
// `pauseEvery` steps the hand rests 10 ms, while the event loop runs.
inline void dragLeft(QWidget* widget, int steps, int pauseEvery = 3)
{
    const int y = widget->height() / 2;
    int x = 200;
    press(widget, QPoint(x, y));
    for (int i = 0; i < steps; ++i) {
        x -= 3;
        move(widget, QPoint(x, y));
        if (pauseEvery > 0 && i % pauseEvery == pauseEvery - 1)
            QTest::qWait(10);
    }
    release(widget, QPoint(x, y));
}

inline void keyRelease(QWidget* widget, int key, Qt::KeyboardModifiers modifiers,
                       bool autoRepeat = false)
{
    QKeyEvent event(QEvent::KeyRelease, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(widget, &event);
}

} // namespace dorvane::test
