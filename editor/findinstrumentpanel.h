// SPDX-License-Identifier: GPL-3.0-or-later
// What a search for the instrument shows in the sheets' place: its progress
// and a Stop button while it runs, then every output and input pair tried with
// its verdict and the identity replies as received, the pairs that answered
// as this model first. It only shows what it is given and says which button
// was pressed; what a choice does is its owner's.
#pragma once

#include "transfer/instrumentsearch.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace dorvane {

// "17 (10 hex)": the device ID as the instrument's display counts it, and as sent.
QString deviceIdWords(std::uint8_t id);
// An identity reply's bytes in hex as received; the built-in instrument's
// alone is named, since only its bytes are known here.
QString identityWords(const IdentityReply& reply);
// What a pair turned out to be, in a few words.
QString verdictWords(const SearchPair& pair);
// Whether the window can use the pair: it answered as this model, through an
// output that is known.
bool isChoosable(const SearchPair& pair);

class FindInstrumentPanel : public QWidget
{
    Q_OBJECT

public:
    enum Column
    {
        OutputColumn,
        InputColumn,
        VerdictColumn,
        DeviceIdColumn,
        IdentityColumn,
        ColumnCount
    };

    explicit FindInstrumentPanel(QWidget* parent = nullptr);

    // A new search: the list empties and the bar starts at nothing.
    void searchStarted();
    void setProgress(int percent, const QString& text);
    // One more pair, put in its place in the list.
    void addPair(const SearchPair& pair);
    // The whole result, in place of the pairs given so far; the first pair
    // that can be used is selected.
    void searchEnded(const InstrumentSearchResult& result);

    bool running() const { return m_running; }
    // The pairs in the list's order.
    const std::vector<SearchPair>& pairs() const { return m_pairs; }
    // The pair of the list's current row, or nothing.
    const SearchPair* currentPair() const;
    // The pairs that can be used, in the list's order.
    std::vector<const SearchPair*> choosablePairs() const;
    // The one pair to offer at once: the only one found, or the only one
    // beside the built-in instrument; nothing when the musician must pick.
    const SearchPair* offeredPair() const;

    QTreeWidget* list() const { return m_list; }
    QLabel* summary() const { return m_summary; }
    QLabel* problems() const { return m_problems; }
    QProgressBar* progressBar() const { return m_progress; }
    QPushButton* stopButton() const { return m_stop; }
    QPushButton* useButton() const { return m_use; }
    QPushButton* againButton() const { return m_again; }
    QPushButton* backButton() const { return m_back; }

signals:
    void stopRequested();
    void useRequested(const dorvane::SearchPair& pair);
    void searchAgainRequested();
    void backRequested();

protected:
    // Esc goes back, as the button does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fill();
    void updateButtons();
    QString resultSummary(const InstrumentSearchResult& result) const;

    std::vector<SearchPair> m_pairs;
    bool m_running = false;
    QLabel* m_summary = nullptr;
    QProgressBar* m_progress = nullptr;
    QTreeWidget* m_list = nullptr;
    QLabel* m_problems = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_use = nullptr;
    QPushButton* m_again = nullptr;
    QPushButton* m_back = nullptr;
};

} // namespace dorvane
