// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/dragpointer.h"

#include <QGuiApplication>
#include <QWidget>

#include <algorithm>

namespace dorvane {

void DragPointer::grab(QWidget& widget, const QPoint& screenPos)
{
    m_press = screenPos;
    if (m_hidden)
        return;
    m_hidden = true;
    m_shown = widget.cursor();
    widget.setCursor(Qt::BlankCursor);
}

void DragPointer::putBack() const
{
    if (m_hidden)
        moveTo(m_press);
}

void DragPointer::show(QWidget& widget)
{
    if (!m_hidden)
        return;
    m_hidden = false;
    widget.setCursor(m_shown);
}

void DragPointer::moveTo(const QPoint& globalPos)
{
    // Wayland gives clients no say over the pointer; asking only earns a warning.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
    QCursor::setPos(globalPos);
}

std::optional<int> dragStep(Qt::KeyboardModifiers modifiers, int plain, int shifted)
{
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (held == Qt::NoModifier)
        return plain;
    if (held == Qt::ShiftModifier)
        return shifted;
    return std::nullopt;
}

bool isValueKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

std::optional<int> valueKeyTarget(int key, Qt::KeyboardModifiers modifiers, int position, int min,
                                  int max, int plain, int shifted)
{
    if (!isValueKey(key) || (modifiers & ~(Qt::ShiftModifier | Qt::KeypadModifier)) || max < min)
        return std::nullopt;
    const int step = modifiers.testFlag(Qt::ShiftModifier) ? shifted : plain;
    int target = position;
    switch (key) {
    case Qt::Key_Right:
    case Qt::Key_Up:
        target = position + step;
        break;
    case Qt::Key_Left:
    case Qt::Key_Down:
        target = position - step;
        break;
    case Qt::Key_PageUp:
        target = position + shifted;
        break;
    case Qt::Key_PageDown:
        target = position - shifted;
        break;
    case Qt::Key_Home:
        target = min;
        break;
    case Qt::Key_End:
        target = max;
        break;
    default:
        break;
    }
    return std::clamp(target, min, max);
}

KeyRunEnd::KeyRunEnd(std::function<void()> end) : m_end(std::move(end))
{
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { m_end(); });
}

void KeyRunEnd::released()
{
    // A repeat's press follows its release at once, well inside a repeat's
    // interval (40 ms at X's usual 25 a second).
    constexpr int RepeatGraceMs = 60;
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        m_timer.start(RepeatGraceMs);
    else
        m_end();
}

void KeyRunEnd::now()
{
    m_timer.stop();
    m_end();
}

} // namespace dorvane
