// SPDX-License-Identifier: GPL-3.0-or-later
// The differences between the window's image and the instrument's, in words:
// one row a parameter (part, tone, drum note or common, name, both values),
// sortable by any column, and for each part that differs a "take theirs" and
// a "keep mine" button. It only shows the list it is given and says which
// button was pressed; what a choice does is its owner's.
#pragma once

#include "patch/imagedifferences.h"

#include <QWidget>

#include <map>
#include <vector>

class QGridLayout;
class QLabel;
class QPushButton;
class QScrollArea;
class QTableWidget;

namespace dorvane {

class DifferencesPanel : public QWidget
{
    Q_OBJECT

public:
    enum Column
    {
        PartColumn,
        WhereColumn,
        ParameterColumn,
        HereColumn,
        ThereColumn,
        ColumnCount
    };

    explicit DifferencesPanel(QWidget* parent = nullptr);

    // Replaces what the panel shows: the rows in the list's order, or sorted
    // by the column the musician chose.
    void setDifferences(std::vector<ImageDifference> differences);
    const std::vector<ImageDifference>& differences() const { return m_differences; }

    QTableWidget* table() const { return m_table; }
    // The difference a row of the table shows, however it is sorted.
    const ImageDifference* differenceAtRow(int row) const;
    // A part's buttons, or nullptr when the part has no differences.
    QPushButton* takeTheirsButton(int part) const;
    QPushButton* keepMineButton(int part) const;

signals:
    void takeTheirs(int part);
    void keepMine(int part);

private:
    void fillTable();
    void fillParts();

    std::vector<ImageDifference> m_differences;
    QTableWidget* m_table = nullptr;
    QScrollArea* m_partsScroll = nullptr;
    QGridLayout* m_parts = nullptr;
    QLabel* m_none = nullptr;
    std::map<int, QPushButton*> m_takeTheirs;
    std::map<int, QPushButton*> m_keepMine;
};

} // namespace dorvane
