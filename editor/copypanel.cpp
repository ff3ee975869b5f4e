// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/copypanel.h"

#include "editor/fixedpitchfont.h"
#include "editor/windowtexts.h"
#include "patch/layout.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace dorvane {

namespace {

// Wide enough for a drum-note entry with a long wave name, not for the whole screen.
constexpr int ListCharacters = 44;

} // namespace

CopyPanel::CopyPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("copypanel");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(12);
    row->addWidget(buildColumn(Source, "drumfilenotes", "frompart", "drumfilename"), 1);

    m_copy = new QPushButton("Copy");
    m_copy->setObjectName("copybutton");
    connect(m_copy, &QPushButton::clicked, this, &CopyPanel::copyClicked);
    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    middle->addWidget(m_copy);
    middle->addStretch(2);
    row->addLayout(middle);

    row->addWidget(buildColumn(Destination, "mydrumfilenotes", "topart", "mydrumfilename"), 1);
    row->addStretch(1);
}

QWidget* CopyPanel::buildColumn(Side side, const char* listName, const char* partName,
                                const char* kitName)
{
    Column& c = m_columns[side];
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    c.caption = new QLabel;
    c.caption->setObjectName(side == Source ? "fromlabel" : "tolabel");
    layout->addWidget(c.caption);

    c.part = new QComboBox;
    c.part->setObjectName(partName);
    for (int p = 0; p < NormalPartCount; ++p)
        c.part->addItem(QString(" part %1").arg(p + 1));
    connect(c.part, &QComboBox::activated, this,
            [this, side](int index) { emit partChosen(side, index); });
    layout->addWidget(c.part);

    c.kit = new QLabel;
    c.kit->setObjectName(kitName);
    c.kit->setTextFormat(Qt::PlainText);
    QFont bold = c.kit->font();
    bold.setBold(true);
    c.kit->setFont(bold);
    layout->addWidget(c.kit);

    c.list = new QListWidget;
    c.list->setObjectName(listName);
    c.list->setStatusTip(texts::ListInfoHint);
    c.list->setToolTip(texts::ListInfoHint);
    // Drum-note labels are padded to one width: in a fixed font the waves line up.
    c.list->setFont(fixedPitchFont(c.list->font()));
    c.list->setMinimumWidth(c.list->fontMetrics().averageCharWidth() * ListCharacters);
    connect(c.list, &QListWidget::itemDoubleClicked, this, [this, side](QListWidgetItem* item) {
        emit entryDoubleClicked(side, m_columns[side].list->row(item));
    });
    layout->addWidget(c.list, 1);
    c.caption->setBuddy(c.list);
    return column;
}

QListWidget* CopyPanel::list(Side side) const
{
    return m_columns[side].list;
}

QLabel* CopyPanel::caption(Side side) const
{
    return m_columns[side].caption;
}

QComboBox* CopyPanel::partList(Side side) const
{
    return m_columns[side].part;
}

QLabel* CopyPanel::kitName(Side side) const
{
    return m_columns[side].kit;
}

void CopyPanel::fill(Side side, const QStringList& entries)
{
    fill(side, entries, selected(side));
}

void CopyPanel::fill(Side side, const QStringList& entries, int row)
{
    QListWidget* l = m_columns[side].list;
    l->clear();
    l->addItems(entries);
    select(side, row);
}

int CopyPanel::selected(Side side) const
{
    const QListWidget* l = m_columns[side].list;
    const auto items = l->selectedItems();
    return items.isEmpty() ? -1 : l->row(items.constFirst());
}

void CopyPanel::select(Side side, int row)
{
    QListWidget* l = m_columns[side].list;
    if (row >= 0 && row < l->count()) {
        l->setCurrentRow(row);
        l->scrollToItem(l->item(row));
    } else {
        l->setCurrentRow(-1);
        l->clearSelection();
    }
}

void CopyPanel::showPartLists(bool shown)
{
    for (const Column& c : m_columns)
        c.part->setVisible(shown);
}

void CopyPanel::showKitNames(bool shown)
{
    for (const Column& c : m_columns)
        c.kit->setVisible(shown);
}

} // namespace dorvane
