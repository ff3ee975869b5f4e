// SPDX-License-Identifier: GPL-3.0-or-later
// The quick-edit window's own texts, each written once.
#pragma once

namespace dorvane::texts {

inline constexpr char PressF9[] = "Press F9 to switch back to main editor";
inline constexpr char TryAgain[] = "try again";
inline constexpr char Value[] = "Value";
inline constexpr char ValueHint[] = "Click the value box.\n"
                                    "Place the mouse cursor on the knob you want to edit. \n"
                                    "Type a value and press Enter. ";
inline constexpr char ToneShownHint[] = "Tone currently shown ";

// The seven buttons: caption, hint, and the main window's command they run.
struct QuickButton
{
    const char* caption;
    const char* hint;
    const char* action; // object name of the main window's command
    const char* group;  // the word printed under the buttons of its kind
};
inline constexpr QuickButton QuickButtons[] = {
    {"i", "Initialize Current Part now", "InitializePatch", "Init"},
    {"gC", "Get Current part Data Now", "GetPart", "Get"},
    {"g8", "Get Current 8 part Data Now", "Get8Part", "Get"},
    {"sC", "Save Current part Data Now", "SavePart", "Save"},
    {"s8", "Save Current 8 part Data Now", "Save8Part", "Save"},
    {"oC", "Open Current part Data", "OpenPart", "Open"},
    {"o8", "OpenCurrent 8 part Data Now", "Open8Part", "Open"},
};

} // namespace dorvane::texts
