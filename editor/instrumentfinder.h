// SPDX-License-Identifier: GPL-3.0-or-later
// "Find Instrument" on the MIDI & Setup sheet: the search for the output and
// input that lead to the instrument, its panel in the sheets' place, the
// choice of the pair it found, and the offer to search at a first start.
#pragma once

#include "editor/windowpart.h"
#include "transfer/instrumentsearch.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace dorvane {

class FindInstrumentPanel;

class InstrumentFinder : public WindowPart
{
    Q_OBJECT

public:
    explicit InstrumentFinder(const WindowParts& parts);

    // The button and the device ID in use, under the selectors of `midibox`.
    void buildFindRow(QGroupBox* midibox);
    // Built the first time a search starts, or it is asked for.
    FindInstrumentPanel* panel();
    QPushButton* findButton() const { return m_findButton; }
    QLabel* deviceIdLabel() const { return m_deviceId; }
    InstrumentSearch& search() const { return *m_search; }
    bool searching() const { return m_search->isRunning(); }

    // Shows the panel and starts; the window's input gives way meanwhile.
    void startSearch();
    // Opens the pair's output and input and speaks to it by its device ID.
    void choose(const SearchPair& pair);
    // With no output chosen at a first start: asks once, when the window is
    // up, whether to search now.
    void offerAtFirstStart();
    void showDeviceId(int id);

private:
    FindInstrumentPanel* buildPanel();
    void searchEnded(const InstrumentSearchResult& result);
    // One pair found: the musician is asked at once whether to use it.
    void offerFound();
    void back();
    void setGetsEnabled(bool enabled);

    InstrumentSearch* m_search = nullptr;
    FindInstrumentPanel* m_panel = nullptr;
    QPushButton* m_findButton = nullptr;
    QLabel* m_deviceId = nullptr;
};

} // namespace dorvane
