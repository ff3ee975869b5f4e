// SPDX-License-Identifier: GPL-3.0-or-later
// A scrolled page of panels laid out in reading order in as many columns as
// the space it is shown in allows, up to a most, and never fewer than one:
// on a narrow window or under a large font the panels wrap into fewer columns
// instead of leaving the last ones behind a horizontal scroll bar, since a
// sheet scrolls up and down with the wheel. In all its columns a hidden panel
// keeps its place, as on the instrument's own panel; wrapped, the panels shown
// close up.
#pragma once

#include <QWidget>

#include <vector>

class QGridLayout;

namespace dorvane {

class ColumnFlowPage : public QWidget
{
    Q_OBJECT

public:
    explicit ColumnFlowPage(int mostColumns, QWidget* parent = nullptr);

    // Each panel after the ones before it, left to right, then down.
    void addPanel(QWidget* panel);
    // Beside the columns, over all their rows.
    void setSidePanel(QWidget* panel);

    // The width `columns` columns take over the panels shown now, margins
    // included: what the page asks of its place before it wraps.
    int widthFor(int columns) const;
    int columns() const { return m_columns; }
    int mostColumns() const { return m_mostColumns; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The panels in the order they take the places of `columns` columns.
    std::vector<QWidget*> placing(int columns) const;
    void follow();
    void arrange(int columns);

    QGridLayout* m_grid;
    std::vector<QWidget*> m_panels;
    std::vector<QWidget*> m_placed;
    QWidget* m_side = nullptr;
    QWidget* m_watched = nullptr;
    int m_mostColumns;
    int m_columns;
};

} // namespace dorvane
