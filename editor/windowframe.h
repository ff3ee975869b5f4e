// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's frame, as every command object of the window shares it:
// the status line and the hints shown in it, the sheet area a mode takes over,
// the menus' actions, and the command boundary where an exception becomes a
// message box (Qt lets none cross its event loop).
#pragma once

#include <QCheckBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QAction;
class QKeySequence;
class QLabel;
class QMainWindow;
class QMenu;
class QStackedWidget;
class QWidget;

namespace dorvane {

class Dialogs;

class WindowFrame : public QObject
{
    Q_OBJECT

public:
    // Puts the status line into the window's status bar and the sheet area,
    // empty, in its centre's place for `sheets` to fill.
    WindowFrame(QMainWindow& window, Dialogs& dialogs);

    QMainWindow& window() const { return m_window; }
    Dialogs& dialogs() const { return m_dialogs; }

    // The first panel of the status bar.
    QString statusText() const;
    void setStatusText(const QString& text);
    // A word of the window's own that the knob window's status line does not repeat.
    void showStatusHere(const QString& text);
    QLabel* statusLine() const { return m_status; }

    // Hints go to the status line while `box` (Show Hint) is ticked; a mode's
    // text comes back once the pointer leaves what had a hint.
    void setHintSwitch(QCheckBox* box) { m_hintSwitch = box; }
    bool hintsShown() const;
    void showHint(const QString& hint);
    void setModeText(const QString& text) { m_modeText = text; }
    // A menu's hints are about its entries: once it closes they would only mislead.
    void menuClosed();

    // The sheets are one page of the area; a mode adds its own page and
    // gives the area back with showSheets().
    QStackedWidget* sheetArea() const { return m_sheetArea; }
    void setSheets(QWidget* sheets);
    void showInSheetArea(QWidget* page);
    void showSheets();
    QWidget* shownInSheetArea() const;
    // A mode taking over the window: the knob window steps aside.
    void modeStarting() { emit quickEditHideRequested(); }

    // The knob window, once made (it registers itself); F9 shows and hides it.
    void setQuickEditWindow(QWidget* window) { m_quickEdit = window; }
    QWidget* quickEditWindow() const { return m_quickEdit.data(); }

    void runCommand(const std::function<void()>& command);
    // A menu entry running `triggered` at the command boundary, after the
    // hook every command runs first (an audition ends).
    QAction* addAction(QMenu* menu, const QString& name, const QString& caption,
                       const QKeySequence& shortcut, const QString& hint,
                       const std::function<void()>& triggered);
    void setBeforeEachCommand(std::function<void()> hook) { m_beforeEach = std::move(hook); }
    QAction* action(const QString& objectName) const;

signals:
    // The status text of an edit or a key, for the knob window.
    void statusTextChanged(const QString& text);
    // A mode that takes over the window is starting, or part R became
    // current: the knob window hides.
    void quickEditHideRequested();

private:
    QMainWindow& m_window;
    Dialogs& m_dialogs;
    QLabel* m_status = nullptr;
    QStackedWidget* m_sheetArea = nullptr;
    QWidget* m_sheets = nullptr;
    QPointer<QCheckBox> m_hintSwitch;
    QPointer<QWidget> m_quickEdit;
    QString m_hintShown; // the last hint put in the status line
    QString m_modeText;
    std::function<void()> m_beforeEach;
};

} // namespace dorvane
