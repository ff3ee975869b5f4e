// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/listpanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QTreeWidget>

namespace dorvane {

namespace {

// QTreeView and QTableView each have their own word wrap.
template <typename View> void setUpList(View* view, QHeaderView* header, const char* objectName)
{
    view->setObjectName(objectName);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setWordWrap(false);
    header->setStretchLastSection(true);
}

QStringList labels(std::span<const char* const> headers)
{
    QStringList out;
    for (const char* h : headers)
        out << h;
    return out;
}

} // namespace

QTreeWidget* makeListTree(const char* objectName, std::span<const char* const> headers)
{
    auto* tree = new QTreeWidget;
    tree->setColumnCount(int(headers.size()));
    tree->setHeaderLabels(labels(headers));
    setUpList(tree, tree->header(), objectName);
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    return tree;
}

QTableWidget* makeListTable(const char* objectName, std::span<const char* const> headers)
{
    auto* table = new QTableWidget(0, int(headers.size()));
    table->setHorizontalHeaderLabels(labels(headers));
    setUpList(table, table->horizontalHeader(), objectName);
    table->verticalHeader()->hide();
    return table;
}

QPushButton* makeButton(const QString& text, const QString& objectName)
{
    auto* button = new QPushButton(text);
    button->setObjectName(objectName);
    return button;
}

QLabel* makeNote(const char* objectName)
{
    auto* note = new QLabel;
    note->setObjectName(objectName);
    note->setWordWrap(true);
    note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return note;
}

} // namespace dorvane
