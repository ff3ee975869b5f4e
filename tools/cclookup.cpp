// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cclookup.h"

#include "patch/t505temppatch.h"

#include <array>

namespace dorvane {

namespace {

// The controller numbers are the instrument's own; the offsets are those of the
// controls the window binds to the same parameters.
// clang-format off
constexpr std::array<CcLookUpRow, 28> Rows = {{
    {"#21 course tune = ",         "coarse",     61, 16, false}, // Coarse Tune
    {"#77 fine tune = ",           "fine",       62, 14, false}, // Fine Tune
    {"#34 filter type = ",         "filtertype", 80,  0, false}, // Filter Type
    {"#74 filter cutoff = ",       "cutoff",     81,  0, false}, // Cutoff Frequency
    {"#71 resonance = ",           "q",          83,  0, false}, // Resonance
    {"#36 tone level = ",          "tonelevel", 101,  0, false}, // Tone Level
    {"#35 tone pan = ",            "tonepan",   119,  0, false}, // Tone Pan
    {"#37 random pan = ",          "rndpan",    121,  0, false}, // Random Pan Depth
    {"#25 pitch env = ",           "pitchenv",   65, 52, false}, // P-Env Depth
    {"#26 pitch attack = ",        "pitcha",     70,  0, false}, // P-Env Time 1
    {"#27 pitch delay = ",         "pitchd",     72,  0, false}, // P-Env Time 3
    {"#39 pitch sustain = ",       "pitchs",     76,  0, false}, // P-Env Level 3
    {"#40 pitch release = ",       "pT4",        73,  0, false}, // P-Env Time 4
    {"#81 filter env = ",          "filterenv",  85,  1, false}, // F-Env Depth
    {"#82 filter attack = ",       "fa",         91,  0, false}, // F-Env Time 1
    {"#83 filter delay = ",        "ft3",        93,  0, false}, // F-Env Time 3
    {"#28 filter sustain = ",      "fl3",        97,  0, false}, // F-Env Level 3
    {"#29 filter release = ",      "ft4",        94,  0, false}, // F-Env Time 4
    {"#73 amp attack = ",          "at1",       110,  0, false}, // A-Env Time 1
    {"#75 amp delay = ",           "at3",       112,  0, false}, // A-Env Time 3
    {"#31 amp sustain = ",         "al3",       116,  0, false}, // A-Env Level 3
    {"#72 amp release = ",         "at4",       113,  0, false}, // A-Env Time 4
    {"#15 LFO 1 = ",               "LFO1",       45,  0, false}, // LFO1 Waveform
    {"#16 LFO 1 rate = ",          "LFo1rate",   47,  0, false}, // LFO1 Rate
    {"#18 LFO 1 pitch = ",         "plfo1",      78,  1, false}, // Pitch LFO1 Depth
    {"#19 LFO 1 filter = ",        "flfo1",      99,  1, false}, // Filter LFO1 Depth
    {"#80 LFO 1 amp = ",           "alfo1",     117,  1, false}, // Amplitude LFO1 Depth
    {"#5 portamento time = ",      "portatime",  57,  0, true},  // Portamento Time
}};
// clang-format on

} // namespace

std::span<const CcLookUpRow> ccLookUpTable()
{
    return Rows;
}

QStringList ccLookUpLines(const t505temppatch& image, int part, int tone)
{
    QStringList lines;
    lines.reserve(int(Rows.size()) + 2);
    for (const CcLookUpRow& row : Rows) {
        const int value = image.ReadByte(part, row.common ? 0 : tone, row.offset) + row.add;
        lines << QString::fromLatin1(row.label.data(), qsizetype(row.label.size())) +
                     QString::number(value);
    }
    // The part's own switches, not a control that may still show another part's.
    lines << (image.ReadByte(part, 0, CcPortamentoSwitchOffset) != 0
                  ? QStringLiteral("#65 portamento switch = 127")
                  : QStringLiteral("#65 portamento switch = 0"));
    lines << (image.ReadByte(part, 0, CcKeyAssignModeOffset) != 0
                  ? QStringLiteral("#126 mono mode = 1")
                  : QStringLiteral("#127 poly mode = 0"));
    return lines;
}

} // namespace dorvane
