// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/columnflowpage.h"

#include <QEvent>
#include <QGridLayout>

#include <algorithm>

namespace dorvane {

namespace {

// The least width a grid gives a widget, as the layout itself weighs it: a
// widget that may not shrink below its size hint keeps it.
int leastWidth(const QWidget& w)
{
    int width = w.minimumSizeHint().width();
    if (!(w.sizePolicy().horizontalPolicy() & QSizePolicy::ShrinkFlag))
        width = std::max(width, w.sizeHint().width());
    if (w.minimumWidth() > 0)
        width = w.minimumWidth();
    return std::min(width, w.maximumWidth());
}

} // namespace

ColumnFlowPage::ColumnFlowPage(int mostColumns, QWidget* parent)
    : QWidget(parent), m_grid(new QGridLayout(this)), m_mostColumns(std::max(1, mostColumns)),
      m_columns(m_mostColumns)
{
    follow();
}

void ColumnFlowPage::addPanel(QWidget* panel)
{
    m_panels.push_back(panel);
    arrange(m_columns);
}

void ColumnFlowPage::setSidePanel(QWidget* panel)
{
    m_side = panel;
    arrange(m_columns);
}

std::vector<QWidget*> ColumnFlowPage::placing(int columns) const
{
    if (columns >= m_mostColumns)
        return m_panels;
    std::vector<QWidget*> order;
    for (QWidget* panel : m_panels)
        if (!panel->isHidden())
            order.push_back(panel);
    for (QWidget* panel : m_panels)
        if (panel->isHidden())
            order.push_back(panel);
    return order;
}

int ColumnFlowPage::widthFor(int columns) const
{
    columns = std::clamp(columns, 1, m_mostColumns);
    // -1: a column none of whose panels is shown takes no room, nor a gap.
    std::vector<int> widest(std::size_t(columns), -1);
    const std::vector<QWidget*> order = placing(columns);
    for (std::size_t i = 0; i < order.size(); ++i)
        if (!order[i]->isHidden()) {
            int& w = widest[i % std::size_t(columns)];
            w = std::max(w, leastWidth(*order[i]));
        }
    if (m_side && !m_side->isHidden())
        widest.push_back(leastWidth(*m_side));
    int width = 0;
    int shown = 0;
    for (int w : widest)
        if (w >= 0) {
            width += w;
            ++shown;
        }
    const QMargins margins = m_grid->contentsMargins();
    return width + std::max(0, shown - 1) * m_grid->horizontalSpacing() + margins.left() +
           margins.right();
}

bool ColumnFlowPage::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
        // In a scroll area the parent is its viewport: the room the page has,
        // which the page itself never drops below.
        if (m_watched)
            m_watched->removeEventFilter(this);
        m_watched = parentWidget();
        if (m_watched)
            m_watched->installEventFilter(this);
        follow();
        break;
    case QEvent::LayoutRequest: // a panel shown, hidden or wider
    case QEvent::Show:
        follow();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool ColumnFlowPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watched && event->type() == QEvent::Resize)
        follow();
    return QWidget::eventFilter(watched, event);
}

void ColumnFlowPage::follow()
{
    const int room = m_watched ? m_watched->width() : width();
    int columns = m_mostColumns;
    while (columns > 1 && widthFor(columns) > room)
        --columns;
    if (columns != m_columns || placing(columns) != m_placed)
        arrange(columns);
}

void ColumnFlowPage::arrange(int columns)
{
    m_columns = columns;
    m_placed = placing(columns);
    for (QWidget* panel : m_panels)
        m_grid->removeWidget(panel);
    if (m_side)
        m_grid->removeWidget(m_side);
    for (int row = 0; row < m_grid->rowCount(); ++row)
        m_grid->setRowStretch(row, 0);
    for (std::size_t i = 0; i < m_placed.size(); ++i)
        m_grid->addWidget(m_placed[i], int(i) / columns, int(i) % columns);
    const int rows = (int(m_placed.size()) + columns - 1) / columns;
    if (m_side)
        m_grid->addWidget(m_side, 0, columns, std::max(1, rows), 1);
    // What is left of the height stays below the panels, not between them.
    m_grid->setRowStretch(rows, 1);
}

} // namespace dorvane
