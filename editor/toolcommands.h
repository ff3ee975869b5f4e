// SPDX-License-Identifier: GPL-3.0-or-later
// The patch tools of the Utility menu: the drum part mixer over the sheets,
// the control-change look-up and the model conversion of a file.
#pragma once

#include "editor/windowpart.h"

class QMenu;

namespace dorvane {

class DrumMixerPanel;

class ToolCommands : public WindowPart
{
    Q_OBJECT

public:
    explicit ToolCommands(const WindowParts& parts);
    // The drum part mixer's panel, for the sheet area.

    // Built the first time it is opened, or asked for.
    DrumMixerPanel* drumMixer();
    bool drumMixerOpen() const;
    void buildToolsMenu(QMenu* utility);
    void closeDrumMixer();

private:
    void openDrumMixer();
    void lookUpControlChanges();
    void swapModelFile();

    DrumMixerPanel* buildDrumMixer();

    DrumMixerPanel* m_drumMixer = nullptr;
};

} // namespace dorvane
