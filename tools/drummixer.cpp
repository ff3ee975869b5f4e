// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/drummixer.h"

#include "patch/notename.h"
#include "patch/t505temppatch.h"

#include <array>

namespace dorvane {

namespace {

// Offsets are those of the rhythm-note block.
constexpr std::array<DrumMixerType, 7> Types = {{
    {" Level", 41, 127},  // Tone Level
    {" Gain", 5, 3},      // Wave Gain
    {" Pan", 51, 126},    // Tone Pan
    {" Coarse", 12, 96},  // Source Key
    {" Fine", 13, 100},   // Fine Tune
    {" Reverb", 57, 127}, // Reverb Send Level
    {" Delay", 56, 127},  // Delay Send Level
}};

// The widest note name a drum note has ("C#2 "): every name is padded to it,
// so the wave names start in one column whether the note is sharp or not.
constexpr int NoteNameWidth = 4;

} // namespace

std::span<const DrumMixerType> drumMixerTypes()
{
    return Types;
}

const DrumMixerType* findDrumMixerType(std::string_view item)
{
    for (const auto& t : Types)
        if (t.item == item)
            return &t;
    return nullptr;
}

QString drumMixerWaveText(const QStringList& waveNames, int wave)
{
    if (wave >= 0 && wave < waveNames.size())
        return waveNames[wave];
    // Said as what it is: a wave this list has no name for.
    return QString("  (wave %1)").arg(wave);
}

QString drumMixerLine(int note, const QString& waveText, int value)
{
    const QString name = QString::fromStdString(noteName(FirstDrumKey + note));
    QString line = name.leftJustified(NoteNameWidth, ' ');
    line += waveText;
    line += ':';
    const qsizetype blanks = DrumMixerValueColumn - line.size();
    if (blanks > 0)
        line += QString(blanks, ' ');
    line += QString::number(value);
    return line;
}

QString drumMixerLine(const t505temppatch& image, const DrumMixerType& type, int note,
                      const QStringList& waveNames)
{
    return drumMixerLine(note, drumMixerWaveText(waveNames, image.ReadWave(RhythmPart, note)),
                         image.ReadByte(RhythmPart, note, type.parameter));
}

bool drumMixerValueFits(const DrumMixerType& type, int note, int value)
{
    return note >= 0 && note < DrumNoteCount && value >= 0 && value <= type.max;
}

bool writeDrumMixerValue(t505temppatch& image, const DrumMixerType& type, int note, int value)
{
    if (!drumMixerValueFits(type, note, value))
        return false;
    image.WriteByte(RhythmPart, note, type.parameter, value);
    return true;
}

} // namespace dorvane
