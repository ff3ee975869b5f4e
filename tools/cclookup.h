// SPDX-License-Identifier: GPL-3.0-or-later
// The control-change look-up: which controller number drives each main sound
// parameter of a tone, and the value it would carry for the stored settings, so
// that a sequencer can reach the same sound with controller messages.
#pragma once

#include <QStringList>

#include <span>
#include <string_view>

namespace dorvane {

class t505temppatch;

struct CcLookUpRow
{
    std::string_view label;   // "#21 course tune = ": the controller number leads
    std::string_view control; // the main window's value control of the parameter
    int offset;               // the parameter's byte in the tone (or the common)
    int add;                  // moves a centred range onto 0..127 with its centre at 64
    bool common;              // read from the part's common block, not the tone
};

// The 28 parameter rows, in the order the look-up lists them.
std::span<const CcLookUpRow> ccLookUpTable();

// Offsets in the part's common block of the two switches the last lines report.
constexpr int CcPortamentoSwitchOffset = 53;
constexpr int CcKeyAssignModeOffset = 51;

// The 30 lines for tone `tone` (1..4) of normal part `part` (0..6): the 28 rows,
// then the portamento switch (#65, 0 or 127) and the key-assign mode (#126 = 1
// for mono, #127 = 0 for poly). Reads the image only.
QStringList ccLookUpLines(const t505temppatch& image, int part, int tone);

} // namespace dorvane
