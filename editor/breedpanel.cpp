// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/breedpanel.h"

#include "editor/windowtexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace dorvane {

namespace {

constexpr int TileColumns = 4;

} // namespace

BreedPanel::BreedPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("breedpanel");
    m_title = new QLabel;
    m_title->setObjectName("breedtitle");
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);

    auto* tiles = new QGridLayout;
    // A tile is as wide as its widest line and tall enough for two, whatever the font.
    const QFontMetrics metrics = fontMetrics();
    const QSize tileSize(metrics.horizontalAdvance(QString(texts::BreedChanges).arg(9999)) +
                             4 * metrics.averageCharWidth(),
                         3 * metrics.height());
    for (int i = 0; i < Tiles; ++i) {
        auto* tile = new QPushButton;
        tile->setObjectName(QString("breedtile%1").arg(i + 1));
        tile->setCheckable(true);
        tile->setStatusTip(texts::BreedTileHint);
        tile->setMinimumSize(tileSize);
        // Wide as the panel, and no taller than their lines need: the
        // buttons below stay near the tiles on a tall window.
        tile->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        // The panel says which tile is heard; a click only asks.
        connect(tile, &QPushButton::clicked, this, [this, i, tile] {
            tile->setChecked(!tile->isChecked());
            emit tileClicked(i);
        });
        auto* favourite = new QCheckBox(texts::BreedFavourite);
        favourite->setObjectName(QString("breedfavourite%1").arg(i + 1));
        favourite->setStatusTip(texts::BreedFavouriteHint);
        connect(favourite, &QCheckBox::toggled, this,
                [this, i](bool on) { emit favouriteToggled(i, on); });
        m_tiles[std::size_t(i)] = tile;
        m_favourites[std::size_t(i)] = favourite;
        auto* cell = new QVBoxLayout;
        cell->addWidget(tile, 1);
        cell->addWidget(favourite, 0, Qt::AlignHCenter);
        tiles->addLayout(cell, i / TileColumns, i % TileColumns);
    }

    m_amount = new QSpinBox;
    m_amount->setObjectName("breedamount");
    m_amount->setStatusTip(texts::BreedAmountHint);
    auto* amountLabel = new QLabel(texts::BreedAmount);
    amountLabel->setBuddy(m_amount);

    auto button = [this](const char* text, const char* name, const char* hint) {
        auto* b = new QPushButton(text);
        b->setObjectName(name);
        b->setStatusTip(hint);
        return b;
    };
    m_next = button(texts::BreedNext, "breednext", texts::BreedNextHint);
    m_first = button(texts::BreedFirst, "breedfirst", texts::BreedFirstHint);
    m_back = button(texts::Back, "breedback", texts::BackHint);
    m_keep = button(texts::Keep, "breedkeep", texts::KeepBreedHint);
    m_cancel = button(texts::Cancel, "breedcancel", texts::CancelBreedHint);
    m_cancel->setShortcut(Qt::Key_Escape);
    connect(m_next, &QPushButton::clicked, this, &BreedPanel::nextRequested);
    connect(m_first, &QPushButton::clicked, this, &BreedPanel::firstRequested);
    connect(m_back, &QPushButton::clicked, this, &BreedPanel::backRequested);
    connect(m_keep, &QPushButton::clicked, this, &BreedPanel::keepRequested);
    connect(m_cancel, &QPushButton::clicked, this, &BreedPanel::cancelRequested);

    auto* generations = new QHBoxLayout;
    generations->addWidget(amountLabel);
    generations->addWidget(m_amount);
    generations->addWidget(m_first);
    generations->addSpacing(metrics.averageCharWidth() * 2);
    generations->addWidget(m_back);
    generations->addWidget(m_next);
    generations->addStretch(1);
    generations->addWidget(m_keep);
    generations->addWidget(m_cancel);

    auto* column = new QVBoxLayout(this);
    column->addWidget(m_title);
    column->addLayout(tiles);
    column->addLayout(generations);
    column->addStretch(1);
}

void BreedPanel::setTitle(const QString& part, int generation)
{
    m_title->setText(QString(texts::BreedTitle).arg(part).arg(generation));
}

void BreedPanel::setTiles(const QStringList& texts, int heard)
{
    for (int i = 0; i < Tiles; ++i) {
        QPushButton* tile = m_tiles[std::size_t(i)];
        tile->setText(QString("%1\n%2").arg(i + 1).arg(texts.value(i)));
        tile->setEnabled(i < texts.size());
    }
    setHeard(heard);
}

void BreedPanel::setHeard(int index)
{
    for (int i = 0; i < Tiles; ++i) {
        QPushButton* tile = m_tiles[std::size_t(i)];
        tile->setChecked(i == index);
        QFont font = tile->font();
        font.setBold(i == index);
        tile->setFont(font);
    }
}

void BreedPanel::setFavourites(const std::array<bool, Tiles>& marked)
{
    for (int i = 0; i < Tiles; ++i) {
        const QSignalBlocker quiet(m_favourites[std::size_t(i)]);
        m_favourites[std::size_t(i)]->setChecked(marked[std::size_t(i)]);
    }
}

void BreedPanel::setAmount(int amount, int max)
{
    const QSignalBlocker quiet(m_amount);
    m_amount->setRange(0, max);
    m_amount->setValue(amount);
}

int BreedPanel::amount() const
{
    return m_amount->value();
}

void BreedPanel::setBackEnabled(bool enabled)
{
    m_back->setEnabled(enabled);
}

void BreedPanel::setNextEnabled(bool enabled)
{
    m_next->setEnabled(enabled);
}

void BreedPanel::setKeepEnabled(bool enabled)
{
    m_keep->setEnabled(enabled);
}

} // namespace dorvane
