// SPDX-License-Identifier: GPL-3.0-or-later
// The binding of every value control of the main window to what it edits, as one
// table: the window builds its controls from these rows and hangs each on the
// release handler its row names. No widgets here, only data.
#pragma once

#include "editor/valuelists.h"

#include <span>
#include <string_view>
#include <vector>

namespace dorvane {

// Where a release sends the control's value.
enum class Handler
{
    Tone,    // tone t of the part (drum note k at Tag on part R): 02 p base CtrlNo
    Common,  // the part's patch common: 02 p 00 CtrlNo
    Effects, // the instrument's effects area, not in the image: 01 00 00 CtrlNo
    Part,    // the instrument's part settings, not in the image: 01 00 10+p CtrlNo
    System,  // instrument-wide settings, not in the image: 00 00 00 CtrlNo
    Tempo,   // the system tempo, two bytes at 00 00 00 60
    Device,  // reopens the MIDI output or input port on the chosen device
    Player,  // sets the note player's play mode, velocity, spread or octave
    Setup,   // nothing on release; the window reads the position when it needs it
};

// The instrument keeps these areas to itself: the window sends their values
// and never reads them back, so it knows only what it has sent.
constexpr bool isSentOnly(Handler handler)
{
    return handler == Handler::Effects || handler == Handler::Part || handler == Handler::System ||
           handler == Handler::Tempo;
}

enum class Sheet
{
    Tone,   // wavesheet
    Common, // commonsheet
    Setup,  // setupsheet
};

struct SheetInfo
{
    Sheet sheet;
    std::string_view name;    // the page's object name
    std::string_view caption; // the tab's text (a doubled & shows one)
};

// A panel or group box that holds value controls.
struct PanelInfo
{
    std::string_view name;    // object name, as the shake groups and the refresh know it
    Sheet sheet;              // the sheet it sits on
    std::string_view parent;  // the panel it sits inside, or empty
    std::string_view caption; // the title a musician reads on it
};

// One value control. Rows of a panel are in the order the controls are placed in
// it, which is the order the shake visits them.
struct Binding
{
    std::string_view name;  // object name of the control
    std::string_view panel; // the panel or group box it sits in directly
    Handler handler;
    int ctrlNo;             // offset in the tone, common or instrument block
    int tag;                // offset in a drum note of part R; 0: no part R meaning
    ValueList values;       // one label per raw value
    int positionDefault;    // restored by a double-click (ignored when past the list)
    int tag1;               // the instrument's control-change number, or 0
    int tag3;               // 1: shaken unless the user's stored choice says otherwise
    int tag4;               // 333 on the effects and modulation-depth controls
    int tag5;               // 1..3 on those: EFX, delay, reverb / control 1..3
    std::string_view label; // what the musician reads beside the control
    std::string_view hint;  // the system's hint text, where it gives one
};

// All value controls of the main window, panel by panel.
std::span<const Binding> bindingTable();

// The row of a control by its object name, or nullptr.
const Binding* findBinding(std::string_view name);

// The rows of the controls placed directly in a panel, in placement order.
std::vector<const Binding*> bindingsOfPanel(std::string_view panel);

std::span<const PanelInfo> panelTable();
const PanelInfo* findPanel(std::string_view name);

std::span<const SheetInfo> sheetTable();
const SheetInfo& sheetInfo(Sheet sheet);

// The sheet a control sits on (through its panel).
Sheet sheetOf(const Binding& binding);

// On part R a tone control of the Tone sheet edits the drum note's parameter
// at its Tag. Where two controls carry the same Tag, only the one on the drum
// parameter's own scale does, so each drum-note parameter has one control.
bool editsDrumNote(const Binding& binding);
// The labels such a control shows on part R: its own, unless the drum note's
// parameter is on another scale (Source Key is a note, not a tuning).
ValueList drumNoteValues(const Binding& binding);

} // namespace dorvane
