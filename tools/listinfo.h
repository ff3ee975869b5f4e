// SPDX-License-Identifier: GPL-3.0-or-later
// The copy panel's lists: how their entries read, and the six lines of the
// box a double-click on an entry shows. Plain functions over an image, so the
// file's kit and the window's own read the same way.
#pragma once

#include "patch/t505temppatch.h"

#include <QString>
#include <QStringList>

namespace dorvane {

// Entry 0 of a tone-copy list: the part's patch common, named by its patch name.
QString commonEntry(const t505temppatch& image, int part);
// Entries 1..4: the tone and the name of its wave.
QString toneEntry(const t505temppatch& image, int part, int tone, const QStringList& waveNames);
// The five entries of a tone-copy list of a normal part.
QStringList toneCopyEntries(const t505temppatch& image, int part, const QStringList& waveNames);

// The 64 entries of a drum-note list: each note's label from the window's
// drum-note list (note name and instrument tag) and the name of its wave in
// this image. The label counts for its first DrumLabelLength characters,
// padded to that width so the waves line up: the window's list carries the
// wave of its own image after them.
constexpr qsizetype DrumLabelLength = 10;
QStringList drumCopyEntries(const t505temppatch& image, const QStringList& noteLabels,
                            const QStringList& waveNames);

// What the info box shows for a tone (1..4) of a normal part, or for a drum
// note (0..63) of part R: level, pan, coarse and fine tune, cutoff and
// resonance, each "label: value" with the tunings centred on 0 ("unknown"
// where the image holds no such byte).
QStringList listInfoLines(const t505temppatch& image, int part, int area);

} // namespace dorvane
