// SPDX-License-Identifier: GPL-3.0-or-later
// The drum part mixer: one parameter of all 64 drum notes of part R in a list,
// set for the selected notes at once with one fader. It stands in the window's
// place of the sheets while it is open and always works on part R, whatever
// part the window shows. Letting go of the fader writes the image, sends one
// message per selected note in note order and rewrites those lines, all as one
// change of the edit session; the panel knows nothing of the window.
#pragma once

#include "session/editsession.h"

#include <QGroupBox>
#include <QStringList>

#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace dorvane {

class EditSession;
class TRevScrB;
struct DrumMixerType;

class DrumMixerPanel : public QGroupBox
{
    Q_OBJECT

public:
    // Runs a command at the window's command boundary (its errors shown).
    using CommandRunner = std::function<void(const std::function<void()>&)>;

    // `waveNames` is the window's wave list, read at each rebuild.
    DrumMixerPanel(EditSession& session, const QStringList& waveNames, CommandRunner run,
                   QWidget* parent = nullptr);

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
    // The notes the fader sets now, in list order; how many.
    std::size_t faderWrites(std::array<ParameterWrite, DrumNoteCount>& writes) const;

signals:
    void closeRequested();
    // The fader's value while it moves, for the status line.
    void statusText(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void typeChanged();
    void fitListWidth();

    EditSession& m_session;
    const QStringList& m_waveNames;
    CommandRunner m_run;
    QComboBox* m_type = nullptr;
    QListWidget* m_notes = nullptr;
    TRevScrB* m_fader = nullptr;
    QPushButton* m_close = nullptr;
    QLabel* m_value = nullptr; // the fader's value, under it
};

} // namespace dorvane
