// SPDX-License-Identifier: GPL-3.0-or-later
// The Edit menu: Undo and Redo over every change the session records, and
// what follows each recorded change (an audition ends, the part's state).
#pragma once

#include "editor/bindingtable.h"
#include "editor/settingsstore.h"
#include "editor/windowpart.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QScrollArea;
class QStackedWidget;
class QTabWidget;

namespace dorvane {

class DrumMixerPanel;
class Library;
class LibraryPanel;
class MidiMonitor;
class DumpReceiver;
class TDragTweak;
class TRevScrB;
class HelpWindow;

class HistoryCommands : public WindowPart
{
    Q_OBJECT

public:
    explicit HistoryCommands(const WindowParts& parts);
    // From now on every change the session records is followed here.
    void followSession();

    // Edit menu: takes back or does again the last change to the image, then
    // sends the instrument the messages that changed and redraws.
    void undo();
    void redo();
    void buildEditMenu();
    void updateEditMenu();

signals:
    // A step was added to the history, or undone or redone.
    void historyChanged();

private:
    void changeRecorded(const Bytes& before, bool stepped);
    // After Undo or Redo put an image back: the part states, the sheets, the menu.
    void imageRestored(const Bytes& before);

    QAction* m_undoAction = nullptr;
    QAction* m_redoAction = nullptr;
};

} // namespace dorvane
