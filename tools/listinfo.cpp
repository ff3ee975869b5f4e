// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/listinfo.h"

namespace dorvane {

namespace {

struct InfoLine
{
    const char* label;
    int toneOffset;
    int drumOffset;
    int centre; // subtracted from the byte: the tunings are stored offset
};

// The same six parameters sit at different offsets in a tone and a drum note.
constexpr InfoLine InfoLines[] = {
    {"Tone level: ", 101, 41, 0}, {"Tone pan: ", 119, 51, 0}, {"Coarse tune: ", 61, 12, 48},
    {"Fine tune: ", 62, 13, 50},  {"Cutoff: ", 81, 27, 0},    {"Resonance: ", 83, 28, 0},
};

QString waveOf(const t505temppatch& image, int part, int area, const QStringList& waveNames)
{
    // A wave the list does not hold reads as nothing rather than as another wave.
    return waveNames.value(image.ReadWave(part, area));
}

} // namespace

QString commonEntry(const t505temppatch& image, int part)
{
    return "Common Tone: " + QString::fromLatin1(image.GetPatchName(part).c_str());
}

QString toneEntry(const t505temppatch& image, int part, int tone, const QStringList& waveNames)
{
    return QString("Tone %1: ").arg(tone) + waveOf(image, part, tone, waveNames);
}

QStringList toneCopyEntries(const t505temppatch& image, int part, const QStringList& waveNames)
{
    QStringList entries{commonEntry(image, part)};
    for (int tone = 1; tone <= ToneCount; ++tone)
        entries << toneEntry(image, part, tone, waveNames);
    return entries;
}

QStringList drumCopyEntries(const t505temppatch& image, const QStringList& noteLabels,
                            const QStringList& waveNames)
{
    QStringList entries;
    for (int note = 0; note < DrumNoteCount; ++note)
        entries << noteLabels.value(note).left(DrumLabelLength).leftJustified(DrumLabelLength) +
                       ": " + waveOf(image, RhythmPart, note, waveNames);
    return entries;
}

QStringList listInfoLines(const t505temppatch& image, int part, int area)
{
    const bool drum = part == RhythmPart;
    QStringList lines;
    for (const InfoLine& line : InfoLines) {
        const int offset = drum ? line.drumOffset : line.toneOffset;
        // An image cut short (a start without perf.syx) holds no such byte;
        // its value is not known, and 0 minus the centre would pass for one.
        const auto at = bytePosition(part, area, offset);
        if (!at || *at >= image.Size())
            lines << QString(line.label) + "unknown";
        else
            lines << QString(line.label) +
                         QString::number(int(image.ReadByte(part, area, offset)) - line.centre);
    }
    return lines;
}

} // namespace dorvane
