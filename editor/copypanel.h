// SPDX-License-Identifier: GPL-3.0-or-later
// The two-list panel of the copy mode and of the drum-note extraction: a
// source list and a destination list side by side, each with its caption, its
// part list (tone copy only) and its kit name (extraction only), and the
// "Copy" button between them. It stands in the place of the sheets while a
// copy mode is on; the window fills it and decides what a press means.
#pragma once

#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace dorvane {

class CopyPanel : public QWidget
{
    Q_OBJECT

public:
    enum Side
    {
        Source,
        Destination
    };

    explicit CopyPanel(QWidget* parent = nullptr);

    QListWidget* list(Side side) const;
    QLabel* caption(Side side) const;
    QComboBox* partList(Side side) const; // " part 1" … " part 7": part index 0..6
    QLabel* kitName(Side side) const;
    QPushButton* copyButton() const { return m_copy; }

    // Entries replaced, the selection kept (or set, when row is given).
    void fill(Side side, const QStringList& entries);
    void fill(Side side, const QStringList& entries, int row);
    int selected(Side side) const; // -1 for none
    void select(Side side, int row);

    // What each mode shows: part lists for tone copy, kit names for extraction.
    void showPartLists(bool shown);
    void showKitNames(bool shown);

signals:
    void copyClicked();
    void partChosen(dorvane::CopyPanel::Side side, int part);
    void entryDoubleClicked(dorvane::CopyPanel::Side side, int row);

private:
    struct Column
    {
        QLabel* caption = nullptr;
        QComboBox* part = nullptr;
        QLabel* kit = nullptr;
        QListWidget* list = nullptr;
    };
    QWidget* buildColumn(Side side, const char* listName, const char* partName,
                         const char* kitName);

    Column m_columns[2];
    QPushButton* m_copy = nullptr;
};

} // namespace dorvane
