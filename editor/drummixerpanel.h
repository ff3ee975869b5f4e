// SPDX-License-Identifier: GPL-3.0-or-later
// The drum part mixer: one parameter of all 64 drum notes of part R in a list,
// set for the selected notes at once with one fader. It stands in the window's
// place of the sheets while it is open and always works on part R, whatever
// part the window shows. Letting go of the fader writes the image, sends one
// message per selected note in note order and rewrites those lines.
#pragma once

#include <QGroupBox>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace dorvane {

class MainWindow;
class TRevScrB;
struct DrumMixerType;

class DrumMixerPanel : public QGroupBox
{
    Q_OBJECT

public:
    explicit DrumMixerPanel(MainWindow& window, QWidget* parent = nullptr);

    QComboBox* typeList() const { return m_type; }
    QListWidget* noteList() const { return m_notes; }
    TRevScrB* fader() const { return m_fader; }
    QPushButton* closeButton() const { return m_close; }
    const DrumMixerType& currentType() const;

    // Opening: " Level" chosen, the list built, the focus on the list.
    void start();
    // The list from the image as it stands, keeping which lines are selected.
    void rebuild();
    // The fader's value to every selected drum note, in note order.
    void apply();

signals:
    void closeRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void typeChanged();
    void fitListWidth();

    MainWindow& m_window;
    QComboBox* m_type = nullptr;
    QListWidget* m_notes = nullptr;
    TRevScrB* m_fader = nullptr;
    QPushButton* m_close = nullptr;
    QLabel* m_value = nullptr; // the fader's value, under it
};

} // namespace dorvane
