// SPDX-License-Identifier: GPL-3.0-or-later
#include "quickedit/paneldisplay.h"

#include "editor/interfacepalette.h"

#include <QPainter>

namespace dorvane {

namespace {

constexpr int Pad = 6;
// Wide enough for a full part line: " <P 7>: " and a twelve-letter name with
// the four tone switches.
constexpr int LineChars = 36;

} // namespace

PanelDisplay::PanelDisplay(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // It fills itself, corners included, so a new value repaints nothing beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QFont PanelDisplay::smallFont() const
{
    QFont f = font();
    f.setStyleHint(QFont::Monospace);
    f.setFamily("monospace");
    return f;
}

QFont PanelDisplay::largeFont() const
{
    QFont f = smallFont();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.6);
    return f;
}

QSize PanelDisplay::sizeHint() const
{
    const QFontMetrics small(smallFont());
    const QFontMetrics large(largeFont());
    return {small.horizontalAdvance(QString(LineChars, 'M')) + 2 * Pad,
            2 * small.height() + large.height() + 2 * Pad + 4};
}

void PanelDisplay::setPartLine(const QString& text)
{
    if (text == m_partLine)
        return;
    m_partLine = text;
    update();
}

void PanelDisplay::setParameter(const QString& name, const QString& value)
{
    if (name == m_name && value == m_value)
        return;
    m_name = name;
    m_value = value;
    update();
}

void PanelDisplay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setRenderHint(QPainter::Antialiasing);
    const DisplayColours colours = displayColours(schemeOf(palette()));
    painter.setPen(QPen(colours.rim, 1.0));
    painter.setBrush(colours.face);
    painter.drawRoundedRect(QRectF(0.5, 0.5, width() - 1.0, height() - 1.0), 5.0, 5.0);

    const QFont small = smallFont();
    const QFontMetrics smallMetrics(small);
    const int line = smallMetrics.height();
    const QRect text = rect().adjusted(Pad, Pad - 2, -Pad, -Pad);
    painter.setFont(small);
    painter.setPen(colours.partLine);
    painter.drawText(QRect(text.left(), text.top(), text.width(), line),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     smallMetrics.elidedText(m_partLine.trimmed(), Qt::ElideRight, text.width()));
    painter.setPen(colours.text);
    painter.drawText(QRect(text.left(), text.top() + line + 2, text.width(), line),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     smallMetrics.elidedText(m_name, Qt::ElideRight, text.width()));
    painter.setFont(largeFont());
    painter.drawText(QRect(text.left(), text.top() + 2 * line + 2, text.width(),
                           text.bottom() - (text.top() + 2 * line + 2)),
                     Qt::AlignRight | Qt::AlignVCenter, m_value.trimmed());
}

} // namespace dorvane
