// SPDX-License-Identifier: GPL-3.0-or-later
// The patch tools of the Utility menu: the drum part mixer over the sheets,
// the control-change look-up and the model conversion of a file.
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

class ToolCommands : public WindowPart
{
    Q_OBJECT

public:
    explicit ToolCommands(const WindowParts& parts);
    // The drum part mixer's panel, for the sheet area.
    DrumMixerPanel* buildDrumMixer();

    DrumMixerPanel* drumMixer() const { return m_drumMixer; }
    bool drumMixerOpen() const;
    void buildToolsMenu(QMenu* utility);
    void closeDrumMixer();

private:
    void openDrumMixer();
    void lookUpControlChanges();
    void swapModelFile();

    DrumMixerPanel* m_drumMixer = nullptr;
};

} // namespace dorvane
