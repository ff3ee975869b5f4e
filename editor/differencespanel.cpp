// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/differencespanel.h"

#include "editor/listpanel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>

namespace dorvane {

namespace {

constexpr std::array<const char*, DifferencesPanel::ColumnCount> Headers = {
    "Part", "Where", "Parameter", "Here", "On the instrument"};
constexpr char TakeTheirs[] = "take theirs";
constexpr char KeepMine[] = "keep mine";
constexpr char NoDifferences[] = "No differences";
constexpr char PartCountOne[] = "Part %1: 1 difference";
constexpr char PartCount[] = "Part %1: %2 differences";

// Sorted by a key of its own rather than by its text: parts and places in the
// window's order, values by the raw number (a scale's labels are in value
// order, "-63" and "107" are not in text order), names and words by text.
// Numbers come before texts, so the order stays a strict one.
class KeyedItem : public QTableWidgetItem
{
public:
    KeyedItem(const QString& text, QVariant key) : QTableWidgetItem(text)
    {
        setData(Qt::UserRole, std::move(key));
    }

    bool operator<(const QTableWidgetItem& other) const override
    {
        const QVariant a = data(Qt::UserRole);
        const QVariant b = other.data(Qt::UserRole);
        const bool aText = a.typeId() == QMetaType::QString;
        const bool bText = b.typeId() == QMetaType::QString;
        if (aText != bText)
            return bText;
        if (!aText)
            return a.toLongLong() < b.toLongLong();
        return QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive) < 0;
    }
};

QVariant valueKey(const Bytes& bytes, const std::string& text)
{
    if (bytes.size() == 1)
        return qlonglong(bytes[0]);
    return qText(text);
}

} // namespace

DifferencesPanel::DifferencesPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("differencespanel");

    m_table = makeListTable("differencestable", Headers);
    m_table->horizontalHeader()->setSortIndicatorShown(true);
    // No column chosen yet: the rows stay in the order they were given.
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);

    // One line a part, in a column beside the list that scrolls on its own
    // when the window is too short for all eight.
    auto* partsHolder = new QWidget;
    auto* partsColumn = new QVBoxLayout(partsHolder);
    m_none = new QLabel(NoDifferences);
    m_none->setObjectName("nodifferences");
    partsColumn->addWidget(m_none);
    m_parts = new QGridLayout;
    partsColumn->addLayout(m_parts);
    partsColumn->addStretch(1);
    m_partsScroll = new QScrollArea;
    m_partsScroll->setObjectName("differenceparts");
    m_partsScroll->setWidget(partsHolder);
    m_partsScroll->setWidgetResizable(true);
    m_partsScroll->setFrameShape(QFrame::NoFrame);
    m_partsScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_partsScroll);
    layout->addWidget(m_table, 1);

    setDifferences({});
}

void DifferencesPanel::setDifferences(std::vector<ImageDifference> differences)
{
    m_differences = std::move(differences);
    fillTable();
    fillParts();
}

const ImageDifference* DifferencesPanel::differenceAtRow(int row) const
{
    const QTableWidgetItem* item = m_table->item(row, PartColumn);
    if (!item)
        return nullptr;
    return entryAt(m_differences, item->data(EntryIndexRole));
}

QPushButton* DifferencesPanel::takeTheirsButton(int part) const
{
    const auto it = m_takeTheirs.find(part);
    return it == m_takeTheirs.end() ? nullptr : it->second;
}

QPushButton* DifferencesPanel::keepMineButton(int part) const
{
    const auto it = m_keepMine.find(part);
    return it == m_keepMine.end() ? nullptr : it->second;
}

void DifferencesPanel::fillTable()
{
    // Rows go in unsorted; the column the musician chose, if any, sorts them
    // once they are all in.
    m_table->setSortingEnabled(false);
    m_table->clearContents();
    m_table->setRowCount(int(m_differences.size()));
    for (std::size_t i = 0; i < m_differences.size(); ++i) {
        const ImageDifference& d = m_differences[i];
        const int row = int(i);
        const QString sentence = qText(differenceSentence(d));
        const std::array<QTableWidgetItem*, ColumnCount> items = {
            new KeyedItem(qText(differencePartLabel(d.part)), d.part),
            new KeyedItem(qText(differencePlace(d)), int(d.block) * 1000 + d.index),
            new KeyedItem(qText(d.name), qText(d.name)),
            new KeyedItem(qText(d.mine), valueKey(d.mineBytes, d.mine)),
            new KeyedItem(qText(d.theirs), valueKey(d.theirsBytes, d.theirs)),
        };
        items[PartColumn]->setData(EntryIndexRole, qulonglong(i));
        for (int c = 0; c < ColumnCount; ++c) {
            items[std::size_t(c)]->setToolTip(sentence);
            m_table->setItem(row, c, items[std::size_t(c)]);
        }
    }
    m_table->resizeColumnsToContents();
    m_table->setSortingEnabled(true);
}

void DifferencesPanel::fillParts()
{
    while (QLayoutItem* item = m_parts->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_takeTheirs.clear();
    m_keepMine.clear();

    std::map<int, int> counts; // part numbers in order: 0..6, then R
    for (const ImageDifference& d : m_differences)
        ++counts[d.part];
    m_none->setVisible(counts.empty());
    int row = 0;
    for (const auto& [part, count] : counts) {
        const QString label = qText(differencePartLabel(part));
        auto* text = new QLabel(count == 1 ? QString(PartCountOne).arg(label)
                                           : QString(PartCount).arg(label).arg(count));
        QPushButton* theirs = makeButton(TakeTheirs, "takeTheirs" + label);
        QPushButton* mine = makeButton(KeepMine, "keepMine" + label);
        connect(theirs, &QPushButton::clicked, this, [this, p = part] { emit takeTheirs(p); });
        connect(mine, &QPushButton::clicked, this, [this, p = part] { emit keepMine(p); });
        m_parts->addWidget(text, row, 0);
        m_parts->addWidget(theirs, row, 1);
        m_parts->addWidget(mine, row, 2);
        // Shown at once: on a panel already on screen Qt would show them only
        // later, and the column's width below would leave them out.
        for (QWidget* w : {static_cast<QWidget*>(text), static_cast<QWidget*>(theirs),
                           static_cast<QWidget*>(mine)})
            w->setVisible(true);
        m_takeTheirs[part] = theirs;
        m_keepMine[part] = mine;
        ++row;
    }
    // The column never scrolls sideways, so it is as wide as its lines and
    // room for its scroll bar, at whatever size the fonts come out.
    QWidget* holder = m_partsScroll->widget();
    holder->adjustSize();
    m_partsScroll->setMinimumWidth(holder->sizeHint().width() +
                                   m_partsScroll->verticalScrollBar()->sizeHint().width());
}

} // namespace dorvane
