// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/tdragtweak.h"

#include "editor/dragpointer.h"
#include "editor/interfacepalette.h"
#include "editor/windowtexts.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace dorvane {

namespace {

constexpr int DragStep = 1;
constexpr int ShiftDragStep = 10;

bool isDigitIn(QChar c, int base)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return true;
    return base == 16 && ((u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F'));
}

// Most controls share a value list with many others ("0".."127", "OFF"/"ON"),
// and shaping every item of every list again for each control was most of the
// window's start-up. Each list is measured once per font, and by adding up the
// advances of its characters: kerning only narrows Latin text, so the sum
// never cuts a value short.
int widestItem(const QFont& font, const QStringList& items)
{
    static QHash<QString, QHash<QStringList, int>> measured;
    QHash<QStringList, int>& lists = measured[font.key()];
    if (const auto it = lists.constFind(items); it != lists.constEnd())
        return *it;
    const QFontMetrics metrics(font);
    QHash<char16_t, int> advances;
    int widest = 0;
    for (const QString& item : items) {
        int width = 0;
        for (const QChar c : item) {
            auto advance = advances.find(c.unicode());
            if (advance == advances.end())
                advance = advances.insert(c.unicode(), metrics.horizontalAdvance(c));
            width += *advance;
        }
        widest = std::max(widest, width);
    }
    lists.insert(items, widest);
    return widest;
}

bool isKeypadKey(const QKeyEvent* event, int key)
{
    return event->key() == key && event->modifiers().testFlag(Qt::KeypadModifier);
}

} // namespace

TDragTweak::TDragTweak(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText); // captions such as "<>" are values, not markup
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    const DisplayColours colours = displayColours(currentScheme());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colours.face);
    pal.setColor(QPalette::WindowText, colours.text);
    pal.setColor(QPalette::Light, colours.bevelLight);
    pal.setColor(QPalette::Dark, colours.bevelDark);
    setPalette(pal);
    setCursor(Qt::PointingHandCursor);
    // A press gives the control the focus itself (see pressed()); the window
    // makes its controls Tab stops (see showText() for what that costs QLabel).
    setFocusPolicy(Qt::NoFocus);
    installValueAccessibility();
}

TDragTweak::~TDragTweak()
{
    if (KnobLink* knob = copyKnobLink()) {
        m_copyKnobObject = nullptr;
        m_copyKnob = nullptr;
        knob->dragTweakUnlinked(this);
    }
}

TDragTweak::KnobLink* TDragTweak::copyKnobLink() const
{
    return m_copyKnobObject ? m_copyKnob : nullptr;
}

QObject* TDragTweak::CopyKnob() const
{
    return m_copyKnobObject.data();
}

void TDragTweak::SetCopyKnob(QObject* knob)
{
    auto* link = dynamic_cast<KnobLink*>(knob);
    QObject* object = link ? knob : nullptr;
    if (object == m_copyKnobObject.data())
        return;
    KnobLink* old = copyKnobLink();
    // Store first: the knob links back through SetCopyKnob, which must then see
    // the link already made and stop.
    m_copyKnobObject = object;
    m_copyKnob = link;
    if (old)
        old->dragTweakUnlinked(this);
    if (link)
        link->dragTweakLinked(this);
}

void TDragTweak::SetItems(const QStringList& items)
{
    m_items = items;
    m_sizeHint = QSize();
    updateGeometry();
    if (!m_items.isEmpty())
        showText(m_items.first());
    announceValueChanged(this);
}

void TDragTweak::showText(const QString& caption)
{
    // QLabel builds a whole text document for a label that can take the focus
    // as soon as its text is set, which for two hundred controls reached by
    // Tab was much of the start-up. The control draws plain text and never
    // needs it, so the text is set while the label is not focusable.
    const Qt::FocusPolicy policy = focusPolicy();
    if (policy != Qt::NoFocus)
        QWidget::setFocusPolicy(Qt::NoFocus);
    setText(caption);
    if (policy != Qt::NoFocus)
        QWidget::setFocusPolicy(policy);
}

void TDragTweak::SetCaption(const QString& caption)
{
    showText(caption);
    if (!m_items.contains(caption, Qt::CaseInsensitive)) {
        m_sizeHint = QSize();
        updateGeometry();
    }
    announceValueChanged(this);
}

int TDragTweak::Position() const
{
    const QString caption = text();
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items[i].compare(caption, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void TDragTweak::SetPosition(int position)
{
    if (m_items.isEmpty())
        return;
    const int last = int(m_items.size()) - 1;
    const QString shown = text();
    showText(m_items[position < 0 ? 0 : (position > last ? last : position)]);
    const bool wasUnknown = m_unknown;
    SetUnknown(false);
    if (!wasUnknown && text() != shown)
        announceValueChanged(this);
}

void TDragTweak::SetUnknown(bool unknown)
{
    if (unknown == m_unknown)
        return;
    m_unknown = unknown;
    if (unknown) {
        m_knownStatusTip = statusTip();
        setStatusTip(texts::UnknownValueHint);
    } else {
        setStatusTip(m_knownStatusTip);
        m_knownStatusTip.clear();
    }
    update();
    announceValueChanged(this);
    if (KnobLink* knob = copyKnobLink())
        knob->dragTweakUnknownChanged(unknown);
}

QString TDragTweak::DisplayedText() const
{
    return m_unknown ? QString(texts::UnknownValue) : text();
}

QString TDragTweak::ctrlNoText(int ctrlNo)
{
    return QLatin1Char('$') +
           QString::number(uint(ctrlNo), 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

std::optional<int> TDragTweak::parseCtrlNoText(const QString& text)
{
    QString digits = text.trimmed();
    bool negative = false;
    if (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+'))) {
        negative = digits.front() == QLatin1Char('-');
        digits.remove(0, 1);
    }
    int base = 10;
    if (digits.startsWith(QLatin1Char('$'))) {
        base = 16;
        digits.remove(0, 1);
    } else if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        digits.remove(0, 2);
    }
    if (digits.isEmpty())
        return std::nullopt;
    for (const QChar c : digits) {
        if (!isDigitIn(c, base))
            return std::nullopt;
    }
    bool ok = false;
    const qulonglong magnitude = digits.toULongLong(&ok, base);
    if (!ok)
        return std::nullopt;
    // Hexadecimal text covers the full 32 bits, so "$FFFFFFFF" reads back as -1
    // and every CtrlNoHEX text parses to the number it came from.
    const qulonglong limit = base == 16 ? 0xFFFFFFFFull : qulonglong(INT_MAX) + (negative ? 1 : 0);
    if (magnitude > limit)
        return std::nullopt;
    const qint64 value = negative ? -qint64(magnitude) : qint64(magnitude);
    return int(std::uint32_t(value));
}

QString TDragTweak::CtrlNoHEX() const
{
    return ctrlNoText(m_ctrlNo);
}

bool TDragTweak::SetCtrlNoHEX(const QString& text)
{
    const std::optional<int> value = parseCtrlNoText(text);
    if (!value)
        return false;
    m_ctrlNo = *value;
    return true;
}

bool TDragTweak::TabStop() const
{
    return focusPolicy() & Qt::TabFocus;
}

void TDragTweak::SetTabStop(bool stop)
{
    setFocusPolicy(stop ? Qt::StrongFocus : Qt::NoFocus);
}

void TDragTweak::Reset()
{
    if (m_allowReset && m_positionDefault <= int(m_items.size()) - 1)
        SetPosition(m_positionDefault);
}

void TDragTweak::RaiseMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                              const QPoint& pos)
{
    emit OnMouseUp(button, modifiers, pos);
}

void TDragTweak::RaiseMouseEnter()
{
    emit OnMouseEnter(this);
}

void TDragTweak::movePointerTo(const QPoint& globalPos)
{
    DragPointer::moveTo(globalPos);
}

bool TDragTweak::event(QEvent* event)
{
    // A context menu can open on the press and take the release away from us,
    // so the pointer must come back before the menu shows.
    if (event->type() == QEvent::ContextMenu)
        showPointer();
    // Polishing is the other moment QLabel builds its text document for a
    // focusable label (see showText()).
    if (event->type() == QEvent::Polish && focusPolicy() != Qt::NoFocus) {
        const Qt::FocusPolicy policy = focusPolicy();
        QWidget::setFocusPolicy(Qt::NoFocus);
        const bool done = QLabel::event(event);
        QWidget::setFocusPolicy(policy);
        return done;
    }
    return QLabel::event(event);
}

void TDragTweak::pressed(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    m_pointer.grab(*this, event->globalPosition().toPoint());
    // Each drag measures from its own press: the pointer went back to the
    // last press when the previous drag ended, so where that drag stopped
    // says nothing about which way this one goes.
    m_lastX = event->position().toPoint().x();
    event->accept();
    emit OnMouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void TDragTweak::mousePressEvent(QMouseEvent* event)
{
    pressed(event);
}

void TDragTweak::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    event->accept();
    emit OnMouseMove(event->buttons(), event->modifiers(), pos);
    if (event->buttons() != Qt::LeftButton)
        return;
    const std::optional<int> stepSize = dragStep(event->modifiers(), DragStep, ShiftDragStep);
    if (!stepSize)
        return;
    // One step per move event whatever the distance: the speed of change
    // follows the rate of move events, which keeps long lists usable.
    const int before = Position();
    if (pos.x() > m_lastX)
        step(+1, *stepSize);
    else if (pos.x() < m_lastX)
        step(-1, *stepSize);
    m_lastX = pos.x();
    if (Position() != before)
        emit dragged(this);
}

void TDragTweak::step(int direction, int stepSize)
{
    const int count = int(m_items.size());
    const int position = Position();
    if (direction > 0) {
        if (position < count - stepSize)
            SetPosition(position + stepSize);
        else if (m_allowLoop)
            SetPosition(0);
    } else {
        if (position >= 1)
            SetPosition(position - stepSize);
        else if (m_allowLoop)
            SetPosition(count - 1);
    }
}

void TDragTweak::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    released(event->button(), event->modifiers(), event->position().toPoint(), true);
}

void TDragTweak::released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                          const QPoint& pos, bool putPointerBack)
{
    // The pointer was hidden while it moved; putting it back where the press
    // was keeps it from wandering off across the window with every drag.
    if (putPointerBack)
        m_pointer.putBack();
    // A release sends the value shown, so from here on it is known.
    SetUnknown(false);
    QPointer<TDragTweak> self(this);
    emit OnMouseUp(button, modifiers, pos);
    if (!self)
        return;
    if (KnobLink* knob = copyKnobLink())
        knob->mirrorDragTweakPosition(Position());
    showPointer();
}

void TDragTweak::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double-click arrives as this event alone.
    pressed(event);
    if (event->button() != Qt::LeftButton)
        return;
    QPointer<TDragTweak> self(this);
    emit OnDblClick();
    if (self)
        Reset();
}

QString TDragTweak::accessibleLabel() const
{
    if (m_labelSource)
        return m_labelSource();
    const QString name = accessibleName();
    return name.isEmpty() ? toolTip() : name;
}

void TDragTweak::setAccessiblePosition(int position)
{
    if (m_items.isEmpty())
        return;
    SetPosition(position);
    released(Qt::LeftButton, Qt::NoModifier, QPoint(0, 0), false);
}

std::optional<int> TDragTweak::keyTarget(const QKeyEvent* event, int position) const
{
    return valueKeyTarget(event->key(), event->modifiers(), position, 0, int(m_items.size()) - 1,
                          DragStep, ShiftDragStep);
}

void TDragTweak::keyPressEvent(QKeyEvent* event)
{
    QPointer<TDragTweak> self(this);
    emit onKeyDown(event);
    if (self && !event->text().isEmpty())
        emit onKeyPress(event);
    if (!self)
        return;
    const std::optional<int> target = keyTarget(event, Position());
    if (!target) {
        QLabel::keyPressEvent(event);
        return;
    }
    event->accept();
    m_keyRunEnd.pressed();
    if (!m_keyRun) {
        m_keyRun = true;
        m_keyRunStart = Position();
        m_keyRunUnknown = m_unknown;
    }
    // A held key repeats its presses: each one is a step, as each move of a drag is.
    const int before = Position();
    SetPosition(*target);
    if (Position() != before)
        emit dragged(this);
}

void TDragTweak::endKeyRun()
{
    if (!m_keyRun)
        return;
    m_keyRun = false;
    // Keys that moved nothing (Home at the start) send nothing; a value not
    // known is made known, as a release makes it.
    if (Position() == m_keyRunStart && !m_keyRunUnknown)
        return;
    released(Qt::LeftButton, Qt::NoModifier, QPoint(0, 0), false);
}

void TDragTweak::keyReleaseEvent(QKeyEvent* event)
{
    QPointer<TDragTweak> self(this);
    emit onKeyUp(event);
    if (!self)
        return;
    if (isValueKey(event->key())) {
        event->accept();
        // X11 repeats a held key as release and press pairs: only the real
        // release ends the run, so a held key is one edit and one message.
        if (!event->isAutoRepeat())
            m_keyRunEnd.released();
        return;
    }
    // Holding a key repeats presses and releases on some platforms; one step
    // per physical release, as with a drag's one step per move.
    const bool minus = isKeypadKey(event, Qt::Key_Minus);
    const bool plus = isKeypadKey(event, Qt::Key_Plus);
    if (event->isAutoRepeat() || (!minus && !plus)) {
        QLabel::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (!m_items.isEmpty())
        SetPosition(Position() + (plus ? 1 : -1));
    // The key ends an edit exactly as a left release does, but the pointer
    // stays where the user left it: no press recorded where it should go.
    released(Qt::LeftButton, Qt::NoModifier, QPoint(0, 0), false);
}

void TDragTweak::setBold(bool bold)
{
    QFont f = font();
    if (f.bold() == bold)
        return;
    // Only the weight is set here, so the family and size still follow the parent.
    f.setBold(bold);
    setFont(f);
}

void TDragTweak::focusInEvent(QFocusEvent* event)
{
    setBold(true);
    update(); // the focus mark
    // QLabel's own handler would build the text document kept away above.
    QFrame::focusInEvent(event);
}

void TDragTweak::focusOutEvent(QFocusEvent* event)
{
    setBold(false);
    update();
    // Tab or a click elsewhere while a key is held: the release will not come here.
    QPointer<TDragTweak> self(this);
    m_keyRunEnd.now();
    if (!self)
        return;
    QFrame::focusOutEvent(event);
}

void TDragTweak::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    emit OnMouseEnter(this);
}

void TDragTweak::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    emit OnMouseLeave(this);
}

void TDragTweak::hideEvent(QHideEvent* event)
{
    showPointer();
    QLabel::hideEvent(event);
}

QSize TDragTweak::sizeHint() const
{
    if (!m_sizeHint.isValid()) {
        // Measured in the regular weight even while lit: the bold face is then
        // loaded at the first focus rather than before the first window, and
        // the box does not widen by the bold's margin for the one lit value.
        // paintEvent squeezes a bold caption that would outgrow the box.
        QFont regular = font();
        regular.setBold(false);
        const QFontMetrics metrics(regular);
        const int widest =
            std::max(metrics.horizontalAdvance(text()), widestItem(regular, m_items));
        // Room for the bevel and a little air either side of the text.
        const int padding = 2 * frameWidth() + metrics.averageCharWidth();
        m_sizeHint = QSize(widest + padding, metrics.height() + 2 * frameWidth() + 2);
    }
    return m_sizeHint;
}

QSize TDragTweak::minimumSizeHint() const
{
    return sizeHint();
}

void TDragTweak::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        m_sizeHint = QSize();
        updateGeometry();
    }
    QLabel::changeEvent(event);
}

void TDragTweak::paintEvent(QPaintEvent* event)
{
    // Inside the focus mark, with a pixel of air.
    const QRect room = contentsRect().adjusted(2, 0, -2, 0);
    // Only the lit control is measured: the others were sized for their weight.
    const int wide = m_unknown || !font().bold() ? 0 : fontMetrics().horizontalAdvance(text());
    const bool squeezed = wide > room.width() && room.width() > 0;
    if (!m_unknown && !squeezed)
        QLabel::paintEvent(event);
    QPainter painter(this);
    if (m_unknown) {
        drawFrame(&painter);
        painter.setPen(displayColours(currentScheme()).unknownText);
        painter.drawText(contentsRect(), Qt::AlignCenter, texts::UnknownValue);
    } else if (squeezed) {
        // The box fits the value in the regular weight; the lit one keeps its
        // bold and its whole text, a little narrower.
        drawFrame(&painter);
        painter.save();
        painter.setPen(palette().color(foregroundRole()));
        painter.translate(room.left(), 0);
        painter.scale(double(room.width()) / wide, 1.0);
        painter.drawText(QRectF(0, room.top(), wide, room.height()), Qt::AlignCenter, text());
        painter.restore();
    }
    // Bold alone is too faint a mark for someone finding the focus with Tab.
    if (hasFocus()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(contentsRect().adjusted(0, 0, -1, -1));
    }
}

void TDragTweak::showPointer()
{
    m_pointer.show(*this);
}

} // namespace dorvane
