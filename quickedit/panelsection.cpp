// SPDX-License-Identifier: GPL-3.0-or-later
#include "quickedit/panelsection.h"

#include <QEvent>
#include <QLayout>
#include <QPainter>
#include <QPainterPath>

namespace dorvane {

namespace {

constexpr int Inset = 8;    // from the frame to the contents, sideways and below
constexpr int TitleGap = 4; // between the title and the frame's top line on either side
constexpr qreal Radius = 5.0;

} // namespace

PanelSection::PanelSection(const QString& title, QWidget* parent) : QWidget(parent), m_title(title)
{
}

QFont PanelSection::titleFont() const
{
    // Printed in capitals and spaced out like the lettering on an instrument's panel.
    QFont f = font();
    f.setBold(true);
    f.setCapitalization(QFont::AllUppercase);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
    return f;
}

QMargins PanelSection::frameMargins() const
{
    const QFontMetrics metrics(titleFont());
    return {Inset, metrics.height() + TitleGap, Inset, Inset};
}

void PanelSection::changeEvent(QEvent* event)
{
    // The title's height follows the font: the contents move with it.
    if (event->type() == QEvent::FontChange && layout())
        layout()->setContentsMargins(frameMargins());
    QWidget::changeEvent(event);
}

void PanelSection::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFont f = titleFont();
    const QFontMetrics metrics(f);
    const qreal top = metrics.height() / 2.0;
    const QRectF frame(0.5, top, width() - 1.0, height() - top - 0.5);
    const int titleWidth =
        m_title.isEmpty() ? 0 : metrics.horizontalAdvance(m_title) + 2 * TitleGap;
    const qreal left = Inset + Radius;

    // The frame with a gap in its top line where the title stands.
    QPainterPath path;
    path.moveTo(left + titleWidth, frame.top());
    path.lineTo(frame.right() - Radius, frame.top());
    path.arcTo(QRectF(frame.right() - 2 * Radius, frame.top(), 2 * Radius, 2 * Radius), 90, -90);
    path.lineTo(frame.right(), frame.bottom() - Radius);
    path.arcTo(
        QRectF(frame.right() - 2 * Radius, frame.bottom() - 2 * Radius, 2 * Radius, 2 * Radius), 0,
        -90);
    path.lineTo(frame.left() + Radius, frame.bottom());
    path.arcTo(QRectF(frame.left(), frame.bottom() - 2 * Radius, 2 * Radius, 2 * Radius), 270, -90);
    path.lineTo(frame.left(), frame.top() + Radius);
    path.arcTo(QRectF(frame.left(), frame.top(), 2 * Radius, 2 * Radius), 180, -90);
    path.lineTo(left, frame.top());
    painter.setPen(QPen(palette().color(QPalette::Mid), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);

    if (!m_title.isEmpty()) {
        painter.setFont(f);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRectF(left + TitleGap, 0, titleWidth, metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, m_title);
    }
}

} // namespace dorvane
