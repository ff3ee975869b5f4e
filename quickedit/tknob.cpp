// SPDX-License-Identifier: GPL-3.0-or-later
#include "quickedit/tknob.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace dorvane {

namespace {

constexpr int DragStep = 1;
constexpr int ShiftDragStep = 8;
constexpr QSize NewKnobSize(30, 30);

} // namespace

tknob::tknob(QWidget* parent) : QWidget(parent)
{
    resize(NewKnobSize);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    installValueAccessibility();
}

tknob::~tknob()
{
    if (TDragTweak* control = m_copyDragTweak.data()) {
        m_copyDragTweak = nullptr;
        if (control->CopyKnob() == this)
            control->SetCopyKnob(nullptr);
    }
}

void tknob::SetCopyDragTweak(TDragTweak* control)
{
    TDragTweak* old = m_copyDragTweak.data();
    m_copyDragTweak = control;
    if (old && old != control && old->CopyKnob() == this)
        old->SetCopyKnob(nullptr);
    if (!control)
        return;
    if (control->CopyKnob() != this)
        control->SetCopyKnob(this);
    // Max before the position, so the position lands inside the control's range.
    SetMax(int(control->Items().size()) - 1);
    SetCtrlNo(control->CtrlNo());
    SetPosition(control->Position());
    SetPositionDefault(control->PositionDefault());
}

void tknob::mirrorDragTweakPosition(int position)
{
    SetPosition(position);
}

void tknob::dragTweakLinked(TDragTweak* control)
{
    if (m_copyDragTweak.data() != control)
        SetCopyDragTweak(control);
}

void tknob::dragTweakUnlinked(TDragTweak* control)
{
    if (m_copyDragTweak.data() == control)
        m_copyDragTweak = nullptr;
}

int tknob::clamped(int position) const
{
    // Max is tested first, so a Min above Max still yields Min.
    if (position > m_max)
        position = m_max;
    if (position < m_min)
        position = m_min;
    return position;
}

void tknob::SetPosition(int position)
{
    if (position == m_position)
        return;
    const int old = m_position;
    m_position = clamped(position);
    if (m_imageList && !m_imageList->isEmpty())
        drawFrame();
    if (m_position != old) {
        announceValueChanged(this);
        emit OnChange(this);
    }
}

void tknob::SetMax(int max)
{
    m_max = toWord(max);
    if (m_position != clamped(m_position))
        SetPosition(clamped(m_position));
}

void tknob::SetMin(int min)
{
    m_min = toWord(min);
    if (m_position != clamped(m_position))
        SetPosition(clamped(m_position));
}

int tknob::frameFor(int position) const
{
    const int frames = m_imageList->Count();
    if (frames - 1 == m_max)
        return position;
    // A one-entry list gives Max 0; it shows the first frame rather than divide by zero.
    if (m_max == 0)
        return 0;
    const int frame = int(qint64(position) * frames / m_max);
    return frame > frames - 1 ? frames - 1 : frame;
}

void tknob::drawFrame()
{
    m_shownFrame = frameFor(m_position);
    m_picture = m_imageList->Frame(m_shownFrame);
    update();
}

void tknob::SetiImageList(const PictureStrip* list)
{
    if (!list) {
        m_imageList.reset();
        m_picture = QPixmap();
        m_shownFrame = -1;
        update();
        return;
    }
    // The picture stays as it is until the position changes: the window sets
    // every knob to Min and then to Max after giving it its strip.
    m_imageList = *list;
    resize(list->FrameSize());
    updateGeometry();
}

void tknob::recolour(const PictureStrip& list)
{
    m_imageList = list;
    if (m_shownFrame >= 0 && !list.isEmpty())
        drawFrame();
    else if (!m_picture.isNull())
        SetFlushnow(true);
}

QString tknob::CtrlNoHEX() const
{
    return TDragTweak::ctrlNoText(m_ctrlNo);
}

bool tknob::SetCtrlNoHEX(const QString& text)
{
    const std::optional<int> value = TDragTweak::parseCtrlNoText(text);
    if (!value || *value < 0 || *value > WordMax)
        return false;
    m_ctrlNo = *value;
    return true;
}

void tknob::SetFlushnow(bool)
{
    const qreal ratio = devicePixelRatioF();
    QPixmap plain(size() * ratio);
    plain.setDevicePixelRatio(ratio);
    plain.fill(palette().color(QPalette::Window));
    QPainter painter(&plain);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(QRectF(0.5, 0.5, width() - 1.0, height() - 1.0));
    painter.end();
    m_picture = plain;
    m_shownFrame = -1;
    update();
}

QSize tknob::sizeHint() const
{
    return m_imageList ? m_imageList->FrameSize() : NewKnobSize;
}

void tknob::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture); // unstretched, from the top left
    // The strips have no focus frame of their own; Tab must show where it is.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void tknob::pressed(QMouseEvent* event)
{
    if (focusPolicy() != Qt::NoFocus)
        setFocus(Qt::MouseFocusReason);
    // Each drag measures from its own press, as the value control's do.
    m_lastCoord = dragCoord(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_pointer.grab(*this, event->globalPosition().toPoint());
    event->accept();
    emit OnMouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void tknob::mousePressEvent(QMouseEvent* event)
{
    pressed(event);
}

int tknob::dragCoord(const QPoint& pos) const
{
    // Upward is more on a vertical knob, as on a fader.
    return m_axis == axHorizontal ? pos.x() : -pos.y();
}

void tknob::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    event->accept();
    emit OnMouseMove(event->buttons(), event->modifiers(), pos);
    if (event->buttons() != Qt::LeftButton)
        return;
    const std::optional<int> stepSize = dragStep(event->modifiers(), DragStep, ShiftDragStep);
    if (!stepSize)
        return;
    const int step = *stepSize;
    const int coord = dragCoord(pos);
    const int p = m_position;
    if (coord > m_lastCoord)
        SetPosition(p + step <= m_max ? p + step : m_max);
    else if (coord < m_lastCoord)
        SetPosition(p - step >= m_min ? p - step : m_min);
    m_lastCoord = coord;
    if (m_position != p)
        emit dragged(this);
}

void tknob::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    released(event->button(), event->modifiers(), event->position().toPoint(), true);
}

void tknob::released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& pos,
                     bool putPointerBack)
{
    QPointer<tknob> self(this);
    emit OnMouseUp(button, modifiers, pos);
    if (!self)
        return;
    if (button == Qt::LeftButton && putPointerBack)
        m_pointer.putBack();
    if (TDragTweak* control = m_copyDragTweak.data()) {
        control->SetPosition(m_position);
        control->RaiseMouseUp(button, modifiers, pos);
        if (!self)
            return;
    }
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (held == Qt::ControlModifier)
        m_positionDefault = m_position;
    if (button == Qt::LeftButton)
        showPointer();
}

void tknob::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double-click arrives as this event alone.
    pressed(event);
    if (event->button() != Qt::LeftButton)
        return;
    QPointer<tknob> self(this);
    emit OnDblClick();
    if (!self)
        return;
    SetPosition(m_positionDefault);
    if (TDragTweak* control = m_copyDragTweak.data())
        control->SetPosition(m_position);
}

void tknob::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    emit OnMouseEnter(this);
}

void tknob::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    emit OnMouseLeave(this);
}

void tknob::hideEvent(QHideEvent* event)
{
    showPointer();
    QWidget::hideEvent(event);
}

QString tknob::accessibleLabel() const
{
    const TDragTweak* control = m_copyDragTweak.data();
    return control ? control->accessibleLabel() : toolTip();
}

QString tknob::accessibleValueText() const
{
    const TDragTweak* control = m_copyDragTweak.data();
    if (!control)
        return QString::number(m_position);
    return control->Unknown() ? control->DisplayedText() : control->Items().value(m_position);
}

void tknob::setAccessiblePosition(int position)
{
    SetPosition(position);
    released(Qt::LeftButton, Qt::NoModifier, QPoint(0, 0), false);
}

std::optional<int> tknob::keyTarget(const QKeyEvent* event) const
{
    return valueKeyTarget(event->key(), event->modifiers(), m_position, m_min, m_max, DragStep,
                          ShiftDragStep);
}

void tknob::keyPressEvent(QKeyEvent* event)
{
    const std::optional<int> target = keyTarget(event);
    if (!target) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    m_keyRunEnd.pressed();
    if (!m_keyRun) {
        m_keyRun = true;
        m_keyRunStart = m_position;
    }
    const int before = m_position;
    SetPosition(*target);
    if (m_position != before)
        emit dragged(this);
}

void tknob::keyReleaseEvent(QKeyEvent* event)
{
    if (!isValueKey(event->key())) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    // X11 repeats a held key as release and press pairs: only the real release counts.
    if (!event->isAutoRepeat())
        m_keyRunEnd.released();
}

void tknob::endKeyRun()
{
    if (!m_keyRun)
        return;
    m_keyRun = false;
    if (m_position != m_keyRunStart)
        released(Qt::LeftButton, Qt::NoModifier, QPoint(0, 0), false);
}

void tknob::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
    // Reaching a knob with Tab shows its parameter, as resting the pointer on it does.
    if (event->reason() != Qt::MouseFocusReason)
        emit OnMouseEnter(this);
}

void tknob::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
    m_keyRunEnd.now();
}

void tknob::showPointer()
{
    m_pointer.show(*this);
}

} // namespace dorvane
