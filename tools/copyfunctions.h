// SPDX-License-Identifier: GPL-3.0-or-later
// What the copy panel copies where: a patch common onto another part's, a
// tone onto another tone, a drum note onto another drum note (of the same
// image or from another one). The bytes move raw, parameter by parameter; the
// checksums are left to whoever hands the part out. An image cut short is
// harmless: a byte it does not hold is neither copied from nor written.
#pragma once

#include "patch/t505temppatch.h"

#include <QString>

namespace dorvane {

void copyCommon(t505temppatch& image, int fromPart, int toPart);
void copyTone(t505temppatch& image, int fromPart, int fromTone, int toPart, int toTone);
// `from` may be `to`.
void copyDrumNote(const t505temppatch& from, int fromNote, t505temppatch& to, int toNote);

// What "Copy" does with the two selections of a tone-copy list (entry 0 is the
// patch common, 1..4 the tones, -1 no selection).
enum class ToneCopy
{
    Nothing,  // a list without a selection
    Common,   // common onto common
    Tone,     // tone onto tone
    Mismatch, // the common and a tone: refused with a message
};
ToneCopy toneCopyOf(int source, int destination);

// The entry after `row` in a list of `count`, or -1 past the end, so repeated
// copies stop at the last note instead of wrapping round to the first.
int nextRow(int row, int count);

// The names the Edit menu gives the copies. Parts as the window shows them
// (0..6 and 9 for R), drum notes by their MIDI key.
QString partName(int part);
QString copyCommonText(int fromPart, int toPart);
QString copyToneText(int fromPart, int fromTone, int toPart, int toTone);
QString copyDrumNoteText(int fromNote, int toNote);
QString extractDrumNoteText(const QString& fileName, int fromNote, int toNote);

} // namespace dorvane
