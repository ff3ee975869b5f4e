// SPDX-License-Identifier: GPL-3.0-or-later
// What one key sounds in each play mode (the intervals above its note, root
// first) and how the notes played are described to the musician.
#pragma once

#include <QString>

#include <span>

namespace dorvane {

enum TPlayMode
{
    pmNote,
    pmMajor,
    pmMinor,
    pmMajor7th,
    pmMinor7th,
    pmMinor7th5,
    pmDiminished,
    pmDominant7th,
    pmMajor9th,
    pmMinor9th,
    pm2nd,
    pm3rd,
    pm4th,
    pm5th,
    pm6th,
    pm7th,
    pm8th,
};
constexpr int PlayModeCount = 17;

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
