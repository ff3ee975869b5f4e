// SPDX-License-Identifier: GPL-3.0-or-later
// The sheets of value controls: the selection bar, the Tone, Common and
// MIDI & Setup sheets built from the binding table, the release handlers that
// turn a control's release into one change of the session, and the refresh
// that redraws the caption and the shown sheet from the image.
#pragma once

#include "editor/bindingtable.h"
#include "editor/windowpart.h"
#include "patch/rolandmessage.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFont;
class QGroupBox;
class QLabel;
class QLineEdit;
class QScrollArea;
class QSpinBox;
class QTabWidget;
class QWidget;

namespace dorvane {

class TDragTweak;
class TRevScrB;

class ValueSheets : public WindowPart
{
    Q_OBJECT

public:
    explicit ValueSheets(const WindowParts& parts);
    // The selection bar above the sheets, and the three sheets as tab pages.
    QWidget* buildSelectionBar();
    QWidget* buildSheets();
    // The window's font, which every value control follows.
    void applyFont(const QFont& font);
    void chooseFont();

    // Parts of the window, by the names the musician's documentation uses.
    TDragTweak* control(const QString& name) const;
    const Binding* bindingOf(const TDragTweak* control) const;
    QTabWidget* pages() const { return m_pages; }
    QWidget* sheet(Sheet sheet) const;
    QGroupBox* panel(const QString& name) const;
    // The Tone sheet's, built with it when first asked for.
    QComboBox* waveList() const { return onToneSheet(m_wave); }
    QComboBox* categoryList() const { return onToneSheet(m_category); }
    QComboBox* drumNoteList() const { return m_drumNote; }
    QLineEdit* nameField() const { return onToneSheet(m_name); }
    QCheckBox* toneBox(int tone) const { return m_toneBoxes[std::size_t(tone - 1)]; }
    QCheckBox* autoTriggerBox() const { return m_autoTrig; }
    QCheckBox* showHintBox() const { return m_showHint; }
    QSpinBox* messagePauseBox() const { return m_messagePause; }
    QCheckBox* sendWhileDraggingBox() const { return m_sendWhileDragging; }
    QGroupBox* morphPanel() const { return onToneSheet(m_morphPanel); }
    TRevScrB* morphBar(int index) const { return onToneSheet(m_morphBars[std::size_t(index)]); }
    QWidget* selectionBar() const { return m_selectionBar; }
    // The wave list's entries as loaded, each with its two leading blanks.
    const QStringList& waveNames() const { return m_waveNames; }
    QString captionText() const { return m_caption; }
    // Commands (each is also reachable from a menu or a control).
    void selectPart(int index);
    void selectShownTone(int tone);
    void selectDrumNote(int note);
    void showSheet(Sheet sheet);
    void jumpTo(const QString& entry);
    void refresh();
    void selectWave(int wave);
    // The category list's jump: the group's first wave, as a wave change.
    void selectCategory(int index);
    // A release on tone box `tone` with these modifiers held (Shift: solo,
    // Alt: all but this one, Ctrl: invert; otherwise the box's own toggle stands).
    void toneBoxReleased(int tone, Qt::KeyboardModifiers modifiers);
    QCheckBox* keepImageBox() const { return m_keepImage; }
    // A sheet's content joins its scroll area when the sheet is first shown.
    void attachShownSheet();
    // The Common sheet is built the first time it is shown or one of its
    // controls or panels is asked for; until then it holds nothing to refresh.
    void ensureSheetBuilt(Sheet sheet) const;
    bool sheetBuilt(Sheet sheet) const { return m_sheetBuilt[std::size_t(sheet)]; }
    void nameEntered();
    void testNote();
    void partChanged();
    void buildDrumNoteList();
    void refreshCaption();
    void refreshToneSheet();
    void refreshCommonSheet();
    void loadWaveList();
    std::unordered_map<const TDragTweak*, QLabel*>& labels() { return m_labels; }
    QButtonGroup* partGroup() const { return m_partGroup; }
    QButtonGroup* showGroup() const { return m_showGroup; }
    int& namePart() { return m_namePart; }

    // The selectors become views of the session's selection.
    void followSelection();
    // The PART buttons' marks and hints follow what the instrument holds.
    void showPartSync(int index);

signals:
    // The refresh has run (the quick-edit window follows it).
    void refreshed();
    // A sheet not built at start has been built, its controls named and set.
    void sheetMade(Sheet sheet);

private:
    template <class Widget> Widget* onToneSheet(Widget* const& widget) const
    {
        ensureSheetBuilt(Sheet::Tone);
        return widget;
    }
    QWidget* buildToneSheet();
    QWidget* buildCommonSheet();
    QWidget* buildSetupSheet();
    void buildSheetContent(Sheet sheet);
    QGroupBox* buildPanel(const QString& name, int columns);
    void placeControls(QGroupBox* box, const std::vector<const Binding*>& rows);
    QGroupBox* buildModulationPanel();
    QLabel* makeLabel(const Binding& row, TDragTweak* control);
    TDragTweak* makeControl(const Binding& row, QWidget* parent);
    void controlReleased(TDragTweak* control, Qt::MouseButton button,
                         Qt::KeyboardModifiers modifiers);
    void toneReleased(TDragTweak* control, const Binding& row, Qt::MouseButton button);
    void commonReleased(TDragTweak* control, const Binding& row, Qt::MouseButton button);
    // A step of a drag, when the musician wants it heard as it goes.
    void controlDragged(TDragTweak* control);
    EditSession::Handover releaseHandover() const;
    void sendInstrumentParameter(const Address& address, int value);
    void tempoReleased(TDragTweak* control);
    // The instrument's own areas: what was sent, per part for the part box.
    void rememberSent(const TDragTweak* control, const Binding& row);
    void showSentValues();
    void playerReleased(TDragTweak* control, const Binding& row);
    void showToneValues(TDragTweak* control); // on entering a tone control
    QString toneValuesText(const TDragTweak* control) const;
    QString editText(const TDragTweak* control, const Binding& row) const;
    // What a screen reader calls a control: its label with the part, and the
    // tone or drum note, its value is of. Follows the selection.
    QString accessibleControlName(const TDragTweak* control, const Binding& row) const;
    void nameControls();
    void morphReleased(int bar);
    // The Tone sheet's panels as the current part has them (parts 1..7 or part R).
    void fitToneSheetToPart();
    // Shows a pitch, filter or amp panel's controls for parts 1..7 or part R.
    void layOutTonePanel(const char* name, bool rhythm);
    void setControlFromImage(TDragTweak* control, int part, int area, int offset);
    QString waveName(int wave) const;
    // The part's name in the name field, which from then on is that part's.
    void showName(int part);

    // Controls by object name, and their rows.
    std::unordered_map<QString, TDragTweak*> m_controls;
    std::unordered_map<const TDragTweak*, const Binding*> m_rows;
    std::unordered_map<QString, QGroupBox*> m_panels;
    std::unordered_map<QString, int> m_panelColumns;
    std::optional<bool> m_tonePanelsRhythm; // whom the tone panels are laid out for
    std::unordered_map<const TDragTweak*, QLabel*> m_labels;
    std::array<QScrollArea*, 3> m_sheets{};
    // A sheet's content until the sheet is first shown (then its scroll area owns it).
    std::array<std::unique_ptr<QWidget>, 3> m_sheetContent;
    std::array<bool, 3> m_sheetBuilt{};
    QTabWidget* m_pages = nullptr;
    QButtonGroup* m_partGroup = nullptr;
    QWidget* m_toneSelection = nullptr;
    std::array<QCheckBox*, 4> m_toneBoxes{};
    QButtonGroup* m_showGroup = nullptr;
    QWidget* m_showBox = nullptr;
    QComboBox* m_drumNote = nullptr;
    QLabel* m_drumNoteLabel = nullptr;
    QLineEdit* m_name = nullptr;
    int m_namePart = -1; // the part whose name the name field shows
    QString m_nameShown; // and that name as the image held it
    QComboBox* m_wave = nullptr;
    QComboBox* m_category = nullptr;
    QCheckBox* m_autoTrig = nullptr;
    QCheckBox* m_showHint = nullptr;
    QLabel* m_ctrlSource2 = nullptr;
    QLabel* m_ctrlSource3 = nullptr;
    QGroupBox* m_morphPanel = nullptr;
    std::array<TRevScrB*, 3> m_morphBars{};
    QSpinBox* m_messagePause = nullptr;
    QWidget* m_selectionBar = nullptr;
    // Positions sent to the instrument's own areas this session, by row and
    // part (-1 for the areas all parts share).
    std::map<std::pair<const Binding*, int>, int> m_sentValues;
    QCheckBox* m_keepImage = nullptr;
    QCheckBox* m_sendWhileDragging = nullptr;
    QStringList m_waveNames; // as loaded, each with its two leading blanks
    QString m_caption;
};

} // namespace dorvane
