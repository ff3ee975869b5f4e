// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/copyfunctions.h"

namespace dorvane {

namespace {

void copyArea(const t505temppatch& from, int fromPart, int fromArea, t505temppatch& to, int toPart,
              int toArea, std::size_t size)
{
    for (int offset = 0; offset < int(size); ++offset) {
        // A byte the source does not hold has no value to copy; reading it as 0 would invent one.
        const auto at = bytePosition(fromPart, fromArea, offset);
        if (at && *at < from.Size())
            to.WriteByte(toPart, toArea, offset, from.ReadByte(fromPart, fromArea, offset));
    }
}

} // namespace

void copyCommon(t505temppatch& image, int fromPart, int toPart)
{
    if (isNormalPart(fromPart) && isNormalPart(toPart))
        copyArea(image, fromPart, 0, image, toPart, 0, CommonDataSize);
}

void copyTone(t505temppatch& image, int fromPart, int fromTone, int toPart, int toTone)
{
    auto isTone = [](int tone) { return tone >= 1 && tone <= ToneCount; };
    if (isNormalPart(fromPart) && isNormalPart(toPart) && isTone(fromTone) && isTone(toTone))
        copyArea(image, fromPart, fromTone, image, toPart, toTone, ToneDataSize);
}

void copyDrumNote(const t505temppatch& from, int fromNote, t505temppatch& to, int toNote)
{
    auto isNote = [](int note) { return note >= 0 && note < DrumNoteCount; };
    if (isNote(fromNote) && isNote(toNote))
        copyArea(from, RhythmPart, fromNote, to, RhythmPart, toNote, DrumNoteDataSize);
}

ToneCopy toneCopyOf(int source, int destination)
{
    if (source < 0 || destination < 0)
        return ToneCopy::Nothing;
    if (source == 0 && destination == 0)
        return ToneCopy::Common;
    if (source == 0 || destination == 0)
        return ToneCopy::Mismatch;
    return ToneCopy::Tone;
}

int nextRow(int row, int count)
{
    return row + 1 < count ? row + 1 : -1;
}

QString partName(int part)
{
    return part == RhythmPart ? QString("R") : QString::number(part + 1);
}

QString copyCommonText(int fromPart, int toPart)
{
    return QString("Copy common of part %1 to part %2").arg(partName(fromPart), partName(toPart));
}

QString copyToneText(int fromPart, int fromTone, int toPart, int toTone)
{
    return QString("Copy tone %1 of part %2 to tone %3 of part %4")
        .arg(fromTone)
        .arg(partName(fromPart))
        .arg(toTone)
        .arg(partName(toPart));
}

QString copyDrumNoteText(int fromNote, int toNote)
{
    return QString("Copy drum note %1 to %2")
        .arg(FirstDrumKey + fromNote)
        .arg(FirstDrumKey + toNote);
}

QString extractDrumNoteText(const QString& fileName, int fromNote, int toNote)
{
    return QString("Extract drum note %1 to %2 from %3")
        .arg(FirstDrumKey + fromNote)
        .arg(FirstDrumKey + toNote)
        .arg(fileName);
}

} // namespace dorvane
