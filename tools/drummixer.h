// SPDX-License-Identifier: GPL-3.0-or-later
// The drum part mixer's algorithms: which drum-note parameter each mixer type
// sets and how far its fader goes, the note list's line for one drum note, and
// the guarded write of one fader value. Always part R; values are the stored
// bytes, with no offset or unit.
#pragma once

#include "patch/layout.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <span>
#include <string_view>

namespace dorvane {

class t505temppatch;

struct DrumMixerType
{
    std::string_view item; // as the type list shows it, with its leading blank
    int parameter;         // offset in the drum note's block of part R
    int max;               // the fader goes 0..max
};

// The seven types in the order the type list offers them; " Level" first.
std::span<const DrumMixerType> drumMixerTypes();
const DrumMixerType* findDrumMixerType(std::string_view item);

// Where the stored value starts on a line whose note name and wave text are
// short enough.
constexpr int DrumMixerValueColumn = 25;

// The wave-list entry of a wave as the window holds it (two leading blanks
// included), or a fallback naming the wave's number when the list has none.
QString drumMixerWaveText(const QStringList& waveNames, int wave);

// One line of the note list: the note name of drum note `note` (0..63) padded
// to the widest one's 4, the wave text, ":", blanks up to the value column, the
// value.
QString drumMixerLine(int note, const QString& waveText, int value);

// The line of drum note `note` as the image holds it now.
QString drumMixerLine(const t505temppatch& image, const DrumMixerType& type, int note,
                      const QStringList& waveNames);

// Whether `value` may go to drum note `note`'s parameter of the type: a value
// outside 0..max, or a note outside 0..63, is refused, since a fader value past
// the parameter's range would be a byte the instrument never gives it.
bool drumMixerValueFits(const DrumMixerType& type, int note, int value);
// Writes `value` when it fits (see above); false, and nothing written, when not.
bool writeDrumMixerValue(t505temppatch& image, const DrumMixerType& type, int note, int value);

} // namespace dorvane
