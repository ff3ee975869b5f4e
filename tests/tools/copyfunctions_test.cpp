// SPDX-License-Identifier: GPL-3.0-or-later
// The copy panel's plain functions: which bytes a copy moves, how the lists
// read and what the info box says, on images built from known values.
#include "support/knownimage.h"
#include "tools/copyfunctions.h"
#include "tools/listinfo.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace dorvane;

namespace {

t505temppatch known(int seed)
{
    t505temppatch image;
    image.LoadFromBytes(test::knownImage(seed));
    // Every byte of every area different, so a copy of the wrong size or
    // from the wrong place shows.
    for (int part = 0; part < NormalPartCount; ++part)
        for (int area = 0; area <= ToneCount; ++area)
            for (int offset = 12; offset < int(area ? ToneDataSize : CommonDataSize); ++offset)
                image.WriteByte(part, area, offset, (seed + part * 7 + area * 3 + offset) % 128);
    for (int note = 0; note < DrumNoteCount; ++note)
        for (int offset = 0; offset < int(DrumNoteDataSize); ++offset)
            image.WriteByte(RhythmPart, note, offset, (seed * 5 + note + offset) % 128);
    return image;
}

// Image positions that differ between two images of the same size.
std::vector<std::size_t> changed(const t505temppatch& a, const t505temppatch& b)
{
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < a.Size(); ++i)
        if (a.bytes()[i] != b.bytes()[i])
            at.push_back(i);
    return at;
}

// The data bytes of (part, area), as positions.
std::vector<std::size_t> area(int part, int area, std::size_t size)
{
    std::vector<std::size_t> at;
    for (int offset = 0; offset < int(size); ++offset)
        at.push_back(*bytePosition(part, area, offset));
    return at;
}

// Every position that changed lies in `allowed`, and the copied area reads as its source.
void expectOnly(const std::vector<std::size_t>& changedAt, const std::vector<std::size_t>& allowed)
{
    for (std::size_t at : changedAt)
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), at), allowed.end()) << "byte " << at;
}

} // namespace

TEST(CopyFunctions, EachCopyMovesItsAreaAndNothingElse)
{
    const t505temppatch before = known(1);

    t505temppatch image = before;
    copyTone(image, 1, 1, 4, 3); // tone 1 of part 2 to tone 3 of part 5
    for (int offset = 0; offset < int(ToneDataSize); ++offset)
        ASSERT_EQ(image.ReadByte(4, 3, offset), before.ReadByte(1, 1, offset)) << offset;
    expectOnly(changed(before, image), area(4, 3, ToneDataSize));
    EXPECT_FALSE(changed(before, image).empty());

    image = before;
    copyCommon(image, 6, 0);
    for (int offset = 0; offset < int(CommonDataSize); ++offset)
        ASSERT_EQ(image.ReadByte(0, 0, offset), before.ReadByte(6, 0, offset)) << offset;
    EXPECT_EQ(image.GetPatchName(0), before.GetPatchName(6)) << "the name is part of the common";
    expectOnly(changed(before, image), area(0, 0, CommonDataSize));

    // Within part R, and from another image's part R (the extraction).
    image = before;
    copyDrumNote(image, 10, image, 20);
    for (int offset = 0; offset < int(DrumNoteDataSize); ++offset)
        ASSERT_EQ(image.ReadByte(RhythmPart, 20, offset), before.ReadByte(RhythmPart, 10, offset));
    expectOnly(changed(before, image), area(RhythmPart, 20, DrumNoteDataSize));

    const t505temppatch file = known(9);
    image = before;
    copyDrumNote(file, 63, image, 0);
    for (int offset = 0; offset < int(DrumNoteDataSize); ++offset)
        ASSERT_EQ(image.ReadByte(RhythmPart, 0, offset), file.ReadByte(RhythmPart, 63, offset));
    expectOnly(changed(before, image), area(RhythmPart, 0, DrumNoteDataSize));
}

TEST(CopyFunctions, OutOfRangeAndShortImagesChangeNothing)
{
    const t505temppatch before = known(2);
    t505temppatch image = before;
    copyTone(image, 0, 0, 1, 1);          // the common is no tone
    copyTone(image, 0, 1, 1, 5);          // there is no tone 5
    copyTone(image, 0, 1, RhythmPart, 1); // part R has no tones
    copyCommon(image, 7, 0);
    copyDrumNote(image, -1, image, 3);
    copyDrumNote(image, 3, image, 64);
    EXPECT_EQ(image.bytes(), before.bytes());

    // A start without perf.syx leaves the image empty or cut short: nothing
    // outside it is read or written.
    t505temppatch empty;
    copyTone(empty, 0, 1, 6, 4);
    copyDrumNote(before, 5, empty, 63);
    EXPECT_EQ(empty.Size(), 0u);
    t505temppatch cut;
    cut.LoadFromBytes(ByteView(before.bytes()).first(RhythmBlockOffset + 100));
    copyDrumNote(before, 0, cut, 63);
    copyDrumNote(cut, 63, image, 0);
    EXPECT_EQ(cut.Size(), RhythmBlockOffset + 100);
}

TEST(CopyFunctions, WhatCopyDoesWithTheSelections)
{
    EXPECT_EQ(toneCopyOf(0, 0), ToneCopy::Common);
    EXPECT_EQ(toneCopyOf(2, 2), ToneCopy::Tone);
    EXPECT_EQ(toneCopyOf(0, 3), ToneCopy::Mismatch);
    EXPECT_EQ(toneCopyOf(4, 0), ToneCopy::Mismatch);
    EXPECT_EQ(toneCopyOf(-1, 0), ToneCopy::Nothing);
    EXPECT_EQ(toneCopyOf(1, -1), ToneCopy::Nothing);
    // Moving down stops after the last note instead of wrapping to the first.
    EXPECT_EQ(nextRow(-1, 64), 0);
    EXPECT_EQ(nextRow(62, 64), 63);
    EXPECT_EQ(nextRow(63, 64), -1);

    EXPECT_EQ(copyToneText(1, 1, 4, 3), "Copy tone 1 of part 2 to tone 3 of part 5");
    EXPECT_EQ(copyCommonText(6, 0), "Copy common of part 7 to part 1");
    EXPECT_EQ(copyDrumNoteText(2, 5), "Copy drum note 37 to 40");
    EXPECT_EQ(extractDrumNoteText("kit.syx", 0, 63), "Extract drum note 35 to 98 from kit.syx");
}

TEST(ListInfo, SixLinesFromTheToneOrDrumNoteOffsets)
{
    t505temppatch image = known(3);
    // Level, pan, coarse, fine, cutoff, resonance of tone 2 of part 3 …
    const int toneOffsets[] = {101, 119, 61, 62, 81, 83};
    const int toneValues[] = {127, 64, 48, 50, 0, 99};
    for (int i = 0; i < 6; ++i)
        image.WriteByte(2, 2, toneOffsets[i], toneValues[i]);
    EXPECT_EQ(listInfoLines(image, 2, 2),
              QStringList({"Tone level: 127", "Tone pan: 64", "Coarse tune: 0", "Fine tune: 0",
                           "Cutoff: 0", "Resonance: 99"}));
    // … and of drum note 7, whose parameters sit elsewhere.
    const int drumOffsets[] = {41, 51, 12, 13, 27, 28};
    const int drumValues[] = {100, 0, 96, 0, 127, 1};
    for (int i = 0; i < 6; ++i)
        image.WriteByte(RhythmPart, 7, drumOffsets[i], drumValues[i]);
    EXPECT_EQ(listInfoLines(image, RhythmPart, 7),
              QStringList({"Tone level: 100", "Tone pan: 0", "Coarse tune: 48",
                           "Fine tune: -50", "Cutoff: 127", "Resonance: 1"}));

    // Bytes the image does not hold are not shown as values.
    t505temppatch cut;
    cut.LoadFromBytes(ByteView(image.bytes()).first(*bytePosition(RhythmPart, 7, 28)));
    const QStringList lines = listInfoLines(cut, RhythmPart, 7);
    EXPECT_EQ(lines.value(4), "Cutoff: 127");
    EXPECT_EQ(lines.value(5), "Resonance: unknown");
}

TEST(ListInfo, EntriesNameTheWavesOfTheirOwnImage)
{
    t505temppatch image = known(4);
    const QStringList waves = {"  Wave A", "  Wave B", "  Wave C"};
    image.WriteWave(3, 1, 2);
    image.WriteWave(3, 2, 0);
    image.WriteWave(3, 3, 300); // beyond the list: no name rather than another's
    image.WriteWave(3, 4, 1);
    EXPECT_EQ(toneCopyEntries(image, 3, waves),
              QStringList({"Common Tone: S4 PART 4", "Tone 1:   Wave C", "Tone 2:   Wave A",
                           "Tone 3: ", "Tone 4:   Wave B"}));

    // The window's drum-note list carries its own image's wave after the
    // first ten characters; the entry must name the wave of the kit listed.
    QStringList labels;
    for (int note = 0; note < DrumNoteCount; ++note)
        labels << QString(" N%1 (Tom)  Window Wave").arg(note, 2, 10, QChar('0'));
    labels[1] = " B1 (BD) "; // as built, before a refresh has added a wave
    for (int note = 0; note < DrumNoteCount; ++note)
        image.WriteWave(RhythmPart, note, note % 3);
    const QStringList entries = drumCopyEntries(image, labels, waves);
    ASSERT_EQ(entries.size(), DrumNoteCount);
    EXPECT_EQ(entries[0], " N00 (Tom):   Wave A");
    EXPECT_EQ(entries[63], " N63 (Tom):   Wave A");
    EXPECT_EQ(entries[2], " N02 (Tom):   Wave C");
    EXPECT_EQ(entries[1], " B1 (BD)  :   Wave B") << "short labels line up with the rest";
}
