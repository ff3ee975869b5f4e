// SPDX-License-Identifier: GPL-3.0-or-later
// The breed's panel: eight tiles of variations, each with a box that marks
// it a favourite, the amount of the first generation, and the buttons for
// the next generation, back, start again, "Keep" and "Cancel". It shows what
// it is given and says what was asked through its signals.
#pragma once

#include <QStringList>
#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace dorvane {

class BreedPanel : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Tiles = 8;

    explicit BreedPanel(QWidget* parent = nullptr);

    void setTitle(const QString& part, int generation);
    // Each tile's second line ("12 changes"); the tile heard last stands pressed.
    void setTiles(const QStringList& texts, int heard);
    // The tile heard last stands pressed, in bold; -1 for none.
    void setHeard(int index);
    void setFavourites(const std::array<bool, Tiles>& marked);
    void setAmount(int amount, int max);
    int amount() const;
    void setBackEnabled(bool enabled);
    void setNextEnabled(bool enabled);
    void setKeepEnabled(bool enabled);

    QPushButton* tile(int index) const { return m_tiles[std::size_t(index)]; }
    QCheckBox* favouriteBox(int index) const { return m_favourites[std::size_t(index)]; }
    QSpinBox* amountBox() const { return m_amount; }
    QPushButton* nextButton() const { return m_next; }
    QPushButton* firstButton() const { return m_first; }
    QPushButton* backButton() const { return m_back; }
    QPushButton* keepButton() const { return m_keep; }
    QPushButton* cancelButton() const { return m_cancel; }

signals:
    void tileClicked(int index);
    void favouriteToggled(int index, bool marked);
    void nextRequested();
    void firstRequested();
    void backRequested();
    void keepRequested();
    void cancelRequested();

private:
    QLabel* m_title = nullptr;
    std::array<QPushButton*, Tiles> m_tiles{};
    std::array<QCheckBox*, Tiles> m_favourites{};
    QSpinBox* m_amount = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_first = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_keep = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace dorvane
