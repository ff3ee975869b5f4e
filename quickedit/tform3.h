// SPDX-License-Identifier: GPL-3.0-or-later
// Tform3: the quick-edit window. The most used parameters of the tone on
// display as 90 knobs on a front panel, with the wave and category lists, the
// tone selection and a value box. It holds no patch data: every knob is linked
// to a value control of the main window and every command is the main
// window's, so an edit here is the main window's own edit, and the main
// window's edits, refreshes, tone boxes, waves, font and status reach here.
//
// Created right after the main window and kept until exit; the panels are
// built the first time the window is shown, so the program starts as fast
// without it. Split by concern: tform3.cpp (the link with the main window and
// the commands), tform3ui.cpp (building the panels).
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace dorvane {

class EditSession;
class TMIDIappUtil;
class ValueSheets;
class WindowFrame;
struct WindowParts;
class PanelDisplay;
class PanelSection;
class StatusPanels;
class KnobStrips;
class TDragTweak;
class tknob;
struct KnobRow;
enum class KnobSection;

class Tform3 : public QWidget
{
    Q_OBJECT

public:
    // Over the main window's parts: its session, its sheets (whose value
    // controls the knobs are linked to) and its frame.
    explicit Tform3(const WindowParts& parts);
    ~Tform3() override;

    bool isBuilt() const { return m_built; }
    // Builds the panels now if they are not yet (showing the window does it).
    void ensureBuilt();

    // Parts of the window (null until it is built).
    const std::vector<tknob*>& knobs() const { return m_knobs; }
    // The knob linked to the main window's value control of this name.
    tknob* knob(const QString& controlName) const;
    // The knob the pointer entered last, or none.
    tknob* currentKnob() const;
    QComboBox* waveList() const { return m_wave; }
    QComboBox* categoryList() const { return m_category; }
    QCheckBox* toneBox(int tone) const { return m_toneBoxes[std::size_t(tone - 1)]; }
    QRadioButton* showToneButton(int tone) const;
    QLineEdit* valueBox() const { return m_valueBox; }
    QPushButton* button(const QString& caption) const;
    PanelDisplay* display() const { return m_display; }
    PanelSection* section(const QString& name) const;

    // Status panel 0 (the parameter), 1 (the value just typed) or 2 (the F9 note).
    QString statusText(int panel) const { return m_statusTexts[std::size_t(panel)]; }

    void setVisible(bool visible) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // tform3ui.cpp
    void build();
    QWidget* buildTopRow(const KnobStrips& strips);
    PanelSection* buildKnobSection(KnobSection section, const KnobStrips& strips);
    QGridLayout* knobGrid(KnobSection section, QWidget* parent, const KnobStrips& strips);
    QWidget* buildWaveLists();
    PanelSection* buildValueSection();
    PanelSection* buildToneSection();
    PanelSection* buildPatchSection();
    QWidget* buildStatusBar();
    tknob* makeKnob(const KnobRow& row, QWidget* parent, const KnobStrips& strips);
    void applyPanelPalette();
    KnobStrips drawStrips() const;
    void recolourKnobs();
    int knobCellWidth() const;
    QString wrappedName(const QString& name, int width) const;

    // tform3.cpp
    void followRefresh();
    void followCaption();
    void followToneBoxes();
    void followWave(int index);
    void followCategory(int index);
    void followFont();
    void setStatus(int panel, const QString& text);
    void knobEntered(tknob* knob);
    void knobChanged(tknob* knob);
    void knobDragged(tknob* knob);
    void showParameter(tknob* knob);
    void toneBoxReleased(int tone);
    void valueEntered();
    void runMainCommand(const char* action);
    void hideForMainWindow();
    void centreOnScreen();

    QWidget& m_main; // the main window: the parent, whose font and screen it follows
    EditSession& m_session;
    ValueSheets& m_sheets;
    WindowFrame& m_frame;
    TMIDIappUtil& m_util;
    bool m_built = false;
    bool m_placed = false;
    int m_cellWidth = 0; // the pitch of the knob columns, while building

    std::vector<tknob*> m_knobs;
    QPointer<tknob> m_current;
    std::vector<PanelSection*> m_sections;
    QComboBox* m_wave = nullptr;
    QComboBox* m_category = nullptr;
    std::array<QCheckBox*, 4> m_toneBoxes{};
    QCheckBox* m_sendWhileDragging = nullptr;
    QButtonGroup* m_showGroup = nullptr;
    QLineEdit* m_valueBox = nullptr;
    std::vector<QPushButton*> m_buttons;
    PanelDisplay* m_display = nullptr;
    StatusPanels* m_status = nullptr;
    // What the panels say, kept also before they exist.
    std::array<QString, 3> m_statusTexts;
};

} // namespace dorvane
