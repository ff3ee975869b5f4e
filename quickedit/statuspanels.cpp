// SPDX-License-Identifier: GPL-3.0-or-later
#include "quickedit/statuspanels.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace dorvane {

namespace {

constexpr int Gap = 4;     // between panels
constexpr int Padding = 4; // inside a panel, either side of its text

} // namespace

StatusPanels::StatusPanels(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // It fills itself, so a new text repaints nothing beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StatusPanels::setText(int panel, const QString& text)
{
    QString& held = m_texts[std::size_t(panel)];
    if (held == text)
        return;
    held = text;
    update(panelRect(panel));
}

void StatusPanels::setWidthFor(int panel, const QString& widest)
{
    m_widest[std::size_t(panel)] = widest;
    measure();
    updateGeometry();
    update();
}

void StatusPanels::measure()
{
    const QFontMetrics metrics(font());
    for (int i = 0; i < Count; ++i)
        m_widestPx[std::size_t(i)] = metrics.horizontalAdvance(m_widest[std::size_t(i)]);
}

void StatusPanels::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        measure();
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

QSize StatusPanels::sizeHint() const
{
    int width = 200;
    for (int i = 1; i < Count; ++i)
        width += Gap + m_widestPx[std::size_t(i)] + 2 * Padding;
    return {width, fontMetrics().height() + 2 * Padding};
}

QSize StatusPanels::minimumSizeHint() const
{
    return sizeHint();
}

QRect StatusPanels::panelRect(int panel) const
{
    int right = width();
    for (int i = Count - 1; i > panel; --i)
        right -= m_widestPx[std::size_t(i)] + 2 * Padding + Gap;
    const int left = panel == 0 ? 0 : right - m_widestPx[std::size_t(panel)] - 2 * Padding;
    return QRect(left, 0, right - left, height());
}

void StatusPanels::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    const QFontMetrics metrics(font());
    for (int i = 0; i < Count; ++i) {
        const QRect r = panelRect(i);
        if (!event->rect().intersects(r))
            continue;
        // Sunken: the shadow above and to the left, the light below and to the right.
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        painter.setPen(palette().color(QPalette::WindowText));
        const QRect inside = r.adjusted(Padding, 0, -Padding, 0);
        painter.drawText(
            inside, Qt::AlignLeft | Qt::AlignVCenter,
            metrics.elidedText(m_texts[std::size_t(i)], Qt::ElideRight, inside.width()));
    }
}

} // namespace dorvane
