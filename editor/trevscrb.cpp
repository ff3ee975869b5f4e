// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/trevscrb.h"

#include "editor/dragpointer.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWheelEvent>

namespace dorvane {

namespace {

// The range a new bar starts with; the owning window sets its own.
constexpr int DefaultMin = 0;
constexpr int DefaultMax = 100;

} // namespace

TRevScrB::TRevScrB(QWidget* parent) : TRevScrB(Qt::Vertical, parent) {}

TRevScrB::TRevScrB(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent)
{
    setRange(DefaultMin, DefaultMax);
    updateHint();
}

int TRevScrB::RevPosition() const
{
    return maximum() + minimum() - value();
}

void TRevScrB::SetRevPosition(int position)
{
    setValue(maximum() + minimum() - position);
}

void TRevScrB::SetPos2Hint(bool on)
{
    m_pos2Hint = on;
    updateHint();
}

void TRevScrB::SetPos2HintKind(TPos2HintKind kind)
{
    m_pos2HintKind = kind;
    updateHint();
}

void TRevScrB::SetPosCompensatevalue(int value)
{
    m_posCompensatevalue = value;
    updateHint();
}

void TRevScrB::SetPosCompensate(bool on)
{
    m_posCompensate = on;
    updateHint();
}

void TRevScrB::updateHint()
{
    if (!m_pos2Hint)
        return;
    const int shown = (m_posCompensate ? m_posCompensatevalue : 0) +
                      (m_pos2HintKind == phRevPosition ? RevPosition() : value());
    setToolTip(QString::number(shown));
}

void TRevScrB::sliderChange(SliderChange change)
{
    QScrollBar::sliderChange(change);
    // Called before valueChanged goes out, so listeners already see the new hint.
    // A new range moves RevPosition without moving the value, hence the range too.
    if (change == SliderValueChange || change == SliderRangeChange)
        updateHint();
}

void TRevScrB::mousePressEvent(QMouseEvent* event)
{
    QScrollBar::mousePressEvent(event);
    emit onMouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void TRevScrB::mouseMoveEvent(QMouseEvent* event)
{
    QScrollBar::mouseMoveEvent(event);
    emit onMouseMove(event->buttons(), event->modifiers(), event->position().toPoint());
}

void TRevScrB::mouseReleaseEvent(QMouseEvent* event)
{
    QScrollBar::mouseReleaseEvent(event);
    QPointer<TRevScrB> self(this);
    emit onMouseUP(event->button(), event->modifiers(), event->position().toPoint());
    if (self)
        emit OnEndScroll();
}

void TRevScrB::keyReleaseEvent(QKeyEvent* event)
{
    QScrollBar::keyReleaseEvent(event);
    if (!event->isAutoRepeat() && isValueKey(event->key()))
        emit OnEndScroll();
}

void TRevScrB::wheelEvent(QWheelEvent* event)
{
    const int before = value();
    QScrollBar::wheelEvent(event);
    if (value() != before)
        emit OnEndScroll();
}

} // namespace dorvane
