// SPDX-License-Identifier: GPL-3.0-or-later
// Two images compared parameter by parameter, in words.
#include "patch/imagedifferences.h"

#include "patch/initialpatch.h"
#include "patch/t505temppatch.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace dorvane;

namespace {

t505temppatch initial()
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    return image;
}

} // namespace

// Without the window's words: the instrument's names and the raw numbers.
TEST(ImageDifferences, EachKindOfBlockIsOneDifferenceInWords)
{
    struct Case
    {
        const char* what;
        std::function<void(t505temppatch&)> edit;
        std::string sentence;
        std::size_t position; // of the first byte in the image
        int length;
    };
    const Case cases[] = {
        {"tone", [](t505temppatch& i) { i.WriteByte(2, 2, 81, 107); },
         "Part 3, Tone 2, Cutoff Frequency: 107 here, 127 on the instrument",
         *bytePosition(2, 2, 81), 1},
        {"common", [](t505temppatch& i) { i.WriteByte(6, 0, 48, 5); },
         "Part 7, Common, Analog Feel Depth: 5 here, 0 on the instrument", *bytePosition(6, 0, 48),
         1},
        {"drum note", [](t505temppatch& i) { i.WriteByte(RhythmPart, 3, 41, 90); },
         "Part R, D2, Tone Level: 90 here, 127 on the instrument", *bytePosition(RhythmPart, 3, 41),
         1},
        // The catalogue's trailing blank is the instrument's spelling, not the sheets'.
        {"drum note, odd name", [](t505temppatch& i) { i.WriteByte(RhythmPart, 63, 17, 9); },
         "Part R, D7, P-Env Vel Time: 9 here, 7 on the instrument",
         *bytePosition(RhythmPart, 63, 17), 1},
        {"part R's common", [](t505temppatch& i) { i.SetPatchName(RhythmPart, "KIT 909"); },
         "Part R, Common, Patch Name: \"KIT 909\" here, \"INIT PATCH\" on the instrument",
         RhythmBlockOffset + MessageHeaderSize, 12},
        // A whole name is one difference, however many letters changed.
        {"name", [](t505temppatch& i) { i.SetPatchName(4, "Bass"); },
         "Part 5, Common, Patch Name: \"Bass\" here, \"INIT PATCH\" on the instrument",
         *bytePosition(4, 0, 0), 12},
        {"wave", [](t505temppatch& i) { i.WriteWave(0, 4, 300); },
         "Part 1, Tone 4, Wave: wave 300 here, wave 0 on the instrument", *bytePosition(0, 4, 1),
         4},
        {"default tempo", [](t505temppatch& i) { i.WriteByte(1, 0, 45, 10); },
         "Part 2, Common, Default Tempo: 122 here, 120 on the instrument", *bytePosition(1, 0, 44),
         2},
        // No name anywhere: said by its offset, never left out.
        {"unnamed byte", [](t505temppatch& i) { i.WriteByte(0, 0, 73, 1); },
         "Part 1, Common, byte 0x49: 1 here, 0 on the instrument", *bytePosition(0, 0, 73), 1},
        // The group byte alone: the same wave, so the bytes say what differs.
        {"wave group", [](t505temppatch& i) { i.WriteByte(0, 1, 1, 3); },
         "Part 1, Tone 1, Wave: wave 0 (bytes 03 01 00 00) here, wave 0 (bytes 00 01 00 00) on "
         "the instrument",
         *bytePosition(0, 1, 1), 4},
    };
    const t505temppatch theirs = initial();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t505temppatch mine = initial();
        c.edit(mine);
        const auto list = imageDifferences(mine.bytes(), theirs.bytes());
        ASSERT_EQ(list.size(), 1u);
        const ImageDifference& d = list[0];
        EXPECT_EQ(differenceSentence(d), c.sentence);
        EXPECT_EQ(d.position, c.position);
        EXPECT_EQ(d.length, c.length);
        // The raw bytes are each side's own, enough to put either in place.
        EXPECT_TRUE(std::equal(d.mineBytes.begin(), d.mineBytes.end(),
                               mine.bytes().begin() + std::ptrdiff_t(d.position)));
        EXPECT_TRUE(std::equal(d.theirsBytes.begin(), d.theirsBytes.end(),
                               theirs.bytes().begin() + std::ptrdiff_t(d.position)));
    }
}

TEST(ImageDifferences, ChecksumsAndFramingAreNoDifference)
{
    t505temppatch mine = initial();
    mine.WriteByte(2, 2, 81, 5);
    mine.UpdateAllChecksums();
    mine.WriteByte(2, 2, 81, 127); // back as it was, its checksum left stale
    Bytes bytes = mine.bytes();
    bytes[2] = 0x11; // another device ID
    ASSERT_NE(bytes, initialImage());
    EXPECT_TRUE(imageDifferences(bytes, initialImage()).empty());
}

TEST(ImageDifferences, InImageOrderForThePartsAsked)
{
    t505temppatch mine = initial();
    for (int part : {RhythmPart, 5, 0})
        mine.WriteByte(part, 3, 28, 9);
    const auto all = imageDifferences(mine.bytes(), initialImage());
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].part, 0);
    EXPECT_EQ(differenceSentence(all[2]), "Part R, D2, Resonance: 9 here, 0 on the instrument");
    // Asked twice, out of order, or for parts with no block: each part once.
    const int parts[] = {RhythmPart, 7, 5, RhythmPart, -1};
    const auto some = imageDifferences(mine.bytes(), initialImage(), parts);
    ASSERT_EQ(some.size(), 2u);
    EXPECT_EQ(some[0].part, 5);
}

TEST(ImageDifferences, PartBlocksWhateverPartTheyCameFromAndNoOtherSize)
{
    t505temppatch image = initial();
    image.WriteByte(1, 4, 119, 0);
    const Bytes part5 = initial().PartBytes(4); // another part number in every address
    const auto list = partDifferences(1, image.PartBytes(1), part5);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(differenceSentence(list[0]),
              "Part 2, Tone 4, Tone Pan: 0 here, 64 on the instrument");
    EXPECT_EQ(list[0].position, *bytePosition(1, 4, 119) - partBlockOffset(1));

    const Bytes whole = initialImage();
    EXPECT_THROW(imageDifferences(whole, Bytes(whole.begin(), whole.end() - 1)),
                 std::invalid_argument);
    EXPECT_THROW(partDifferences(RhythmPart, part5, part5), std::invalid_argument);
    EXPECT_THROW(partDifferences(7, part5, part5), std::invalid_argument);
    EXPECT_THROW(partDifferences(0, part5, whole), std::invalid_argument);
}
