// SPDX-License-Identifier: GPL-3.0-or-later
// The copy panel's plain functions: which bytes a copy moves, how the lists
// read and what the info box says, on images built from known values.
#include "support/knownimage.h"
#include "tools/copyfunctions.h"
#include "tools/listinfo.h"

#include <gtest/gtest.h>

using namespace dorvane;

namespace {

// Every data byte different from its neighbours, so a copy of the wrong size
// or from the wrong place shows.
t505temppatch known(int seed)
{
    Bytes bytes = test::knownImage(seed);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] < 0x80)
            bytes[i] = std::uint8_t((i * 7 + std::size_t(seed)) % 128);
    t505temppatch image;
    image.LoadFromBytes(bytes);
    return image;
}

// The copy left every byte alone but the data bytes of (part, area), which read as the source's.
void expectCopied(const t505temppatch& before, const t505temppatch& after, int part, int area,
                  std::size_t size, const t505temppatch& source, int fromPart, int fromArea)
{
    const std::size_t first = *bytePosition(part, area, 0);
    for (std::size_t i = 0; i < after.Size(); ++i) {
        if (i < first || i >= first + size) {
            ASSERT_EQ(after.bytes()[i], before.bytes()[i]) << "byte " << i;
        }
    }
    for (int offset = 0; offset < int(size); ++offset)
        ASSERT_EQ(after.ReadByte(part, area, offset), source.ReadByte(fromPart, fromArea, offset))
            << offset;
}

} // namespace

TEST(CopyFunctions, EachCopyMovesItsAreaAndNothingElse)
{
    const t505temppatch before = known(1);
    t505temppatch image = before;
    copyTone(image, 1, 1, 4, 3); // tone 1 of part 2 to tone 3 of part 5
    expectCopied(before, image, 4, 3, ToneDataSize, before, 1, 1);

    image = before;
    copyCommon(image, 6, 0); // the name travels with the common
    expectCopied(before, image, 0, 0, CommonDataSize, before, 6, 0);

    image = before;
    copyDrumNote(image, 10, image, 20);
    expectCopied(before, image, RhythmPart, 20, DrumNoteDataSize, before, RhythmPart, 10);
}

TEST(CopyFunctions, OutOfRangeAndShortImagesChangeNothing)
{
    // A start without perf.syx leaves the image empty or short: nothing outside it is touched.
    const t505temppatch before = known(2);
    t505temppatch image = before;
    t505temppatch cut;
    cut.LoadFromBytes(ByteView(before.bytes()).first(RhythmBlockOffset + 100));
    copyDrumNote(before, 0, cut, 63);
    copyDrumNote(cut, 63, image, 0);
    copyTone(cut, 0, 1, 6, 4);
    EXPECT_EQ(cut.Size(), RhythmBlockOffset + 100);
    EXPECT_EQ(image.bytes(), before.bytes()) << "what the source lacks is not copied as 0";

    EXPECT_EQ(toneCopyOf(4, 0), ToneCopy::Mismatch);
    // Moving down stops after the last note instead of wrapping to the first.
    EXPECT_EQ(nextRow(63, DrumNoteCount), -1);
}

TEST(ListInfo, SixLinesFromTheToneOrDrumNoteOffsets)
{
    t505temppatch image = known(3);
    const int toneOffsets[] = {101, 119, 61, 62, 81, 83};
    const int drumOffsets[] = {41, 51, 12, 13, 27, 28};
    const int values[] = {127, 64, 48, 0, 0, 99};
    for (int i = 0; i < 6; ++i) {
        image.WriteByte(2, 2, toneOffsets[i], values[i]);
        image.WriteByte(RhythmPart, 7, drumOffsets[i], values[i]);
    }
    const QStringList expected = {"Tone level: 127", "Tone pan: 64", "Coarse tune: 0",
                                  "Fine tune: -50",  "Cutoff: 0",    "Resonance: 99"};
    EXPECT_EQ(listInfoLines(image, 2, 2), expected);
    EXPECT_EQ(listInfoLines(image, RhythmPart, 7), expected);

    // Bytes the image does not hold are not shown as values.
    t505temppatch cut;
    cut.LoadFromBytes(ByteView(image.bytes()).first(*bytePosition(RhythmPart, 7, 28)));
    EXPECT_EQ(listInfoLines(cut, RhythmPart, 7).value(5), "Resonance: unknown");
}

TEST(ListInfo, EntriesNameTheWavesOfTheirOwnImage)
{
    t505temppatch image = known(4);
    image.SetPatchName(3, "BASS");
    const QStringList waves = {"  Wave A", "  Wave B", "  Wave C"};
    const int toneWaves[] = {0, 1, 300, 2}; // 300: beyond the list
    for (int tone = 1; tone <= ToneCount; ++tone)
        image.WriteWave(3, tone, toneWaves[tone - 1]);
    EXPECT_EQ(toneCopyEntries(image, 3, waves),
              QStringList({"Common Tone: BASS", "Tone 1:   Wave A", "Tone 2:   Wave B",
                           "Tone 3: ", "Tone 4:   Wave C"}));

    // The window's drum-note list carries its own image's wave after the
    // first ten characters; an entry names the wave of the kit it lists.
    QStringList labels(DrumNoteCount, " C#2 (Tom)  Window Wave");
    labels[0] = " B1 (BD) "; // as built, before a refresh has added a wave
    for (int note = 0; note < DrumNoteCount; ++note)
        image.WriteWave(RhythmPart, note, note % 3);
    const QStringList entries = drumCopyEntries(image, labels, waves);
    ASSERT_EQ(entries.size(), DrumNoteCount);
    EXPECT_EQ(entries[0], " B1 (BD)  :   Wave A") << "short labels line up with the rest";
    EXPECT_EQ(entries[2], " C#2 (Tom):   Wave C");
}
