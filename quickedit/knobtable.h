// SPDX-License-Identifier: GPL-3.0-or-later
// The knobs of the quick-edit window as one table: which value control of the
// main window each knob mirrors, the section it sits in, where in that
// section's rows, its picture strip and the short name printed under it. The
// window builds its panels from these rows; no widgets here.
#pragma once

#include <span>
#include <string_view>

namespace dorvane {

enum class KnobSection
{
    Wave,
    Pitch,
    Filter,
    Amp,
    Pan,
    Lfo1,
    Lfo2,
    Common, // the part's patch common: its knobs carry Tag5 = 1
};

// Which of the four picture strips a knob shows.
enum class KnobStrip
{
    Knob,       // 30 frames of a turning knob
    Switch,     // off and on
    FilterType, // off, LP, BP, HP, PK
    LfoWave,    // the eight LFO shapes
};

struct KnobSectionInfo
{
    KnobSection section;
    std::string_view name;    // object name of the boxed section
    std::string_view caption; // the title printed on it
};

struct KnobRow
{
    std::string_view control; // object name of the main window's value control
    KnobSection section;
    KnobStrip strip;
    int row;                // picture row inside the section
    int column;             // first column it covers
    int span;               // columns it covers (the wide displays take more than one)
    std::string_view label; // short name printed under it; the full name is the control's
};

std::span<const KnobRow> knobTable();
std::span<const KnobSectionInfo> knobSections();
const KnobSectionInfo& knobSection(KnobSection section);

} // namespace dorvane
