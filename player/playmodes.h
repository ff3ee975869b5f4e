// SPDX-License-Identifier: GPL-3.0-or-later
// What one key sounds in each play mode (the intervals above its note, root
// first) and how the notes played are described to the musician.
#pragma once

#include "player/tmidiapputil.h"

#include <QString>

#include <span>

namespace dorvane {

constexpr int LowestNote = 0;
constexpr int HighestNote = 127;

constexpr bool isMidiNote(int note)
{
    return note >= LowestNote && note <= HighestNote;
}

// Semitones above the key's note, in the order they are sounded; a mode out of
// range sounds as pmNote.
std::span<const int> playModeIntervals(TPlayMode mode);

// The Note text of one key press. `notes` are the mode's notes in order; those
// outside 0..127 were not sounded and are not named. `velocity` is the one sent
// with the root.
QString playedNoteText(TPlayMode mode, std::span<const int> notes, int velocity);

} // namespace dorvane
