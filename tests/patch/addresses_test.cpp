// SPDX-License-Identifier: GPL-3.0-or-later
// Where one edit goes: the address of every parameter the window sends, the
// tone morph's pair of values, and part R put into an image from another.
#include "patch/layout.h"
#include "patch/parameteraddress.h"
#include "patch/rhythmpart.h"
#include "patch/tonemorph.h"

#include "support/knownimage.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace dorvane;

namespace {

// The address of the message the image keeps data byte `offset` of (part, area) in.
Address imageAddress(const Bytes& image, int part, int area)
{
    const std::size_t data = *bytePosition(part, area, 0);
    return {image[data - 4], image[data - 3], image[data - 2], image[data - 1]};
}

} // namespace

TEST(ParameterAddress, EveryOffsetOfTheImageIsSevenBitAndCarriesIntoTheThirdByte)
{
    const Bytes image = test::knownImage();
    auto expectCarried = [](const Address& message, const Address& parameter, int offset) {
        // The message's address plus the offset, counted 7 bits a byte.
        EXPECT_EQ(parameter[0], message[0]);
        EXPECT_EQ(parameter[1], message[1]);
        EXPECT_EQ(parameter[2] * 128 + parameter[3], message[2] * 128 + message[3] + offset);
        for (std::uint8_t b : parameter)
            EXPECT_LT(b, 0x80) << "a status byte inside the message";
    };
    for (int part = 0; part < NormalPartCount; ++part) {
        for (int offset = 0; offset < int(CommonDataSize); ++offset)
            expectCarried(imageAddress(image, part, 0), partCommonAddress(part, offset), offset);
        for (int tone = 1; tone <= ToneCount; ++tone)
            for (int offset = 0; offset < int(ToneDataSize); ++offset)
                expectCarried(imageAddress(image, part, tone), toneAddress(part, tone, offset),
                              offset);
    }
    for (int note = 0; note < DrumNoteCount; ++note)
        for (int offset = 0; offset < int(DrumNoteDataSize); ++offset)
            expectCarried(imageAddress(image, RhythmPart, note), drumNoteAddress(note, offset),
                          offset);
}

TEST(ParameterAddress, TheInstrumentsOwnAreas)
{
    struct Case
    {
        Address address;
        Address expected;
    };
    const Case cases[] = {
        {systemAddress(0x05), {0x00, 0x00, 0x00, 0x05}},
        {effectsAddress(0x2A), {0x01, 0x00, 0x00, 0x2A}},
        {partSetupAddress(0, 0x03), {0x01, 0x00, 0x10, 0x03}},
        {partSetupAddress(6, 0x03), {0x01, 0x00, 0x16, 0x03}},
        {partSetupAddress(RhythmPart, 0x7F), {0x01, 0x00, 0x19, 0x7F}},
        {toneAddress(2, 4, 128), {0x02, 0x02, 0x17, 0x00}}, // Reverb Send Level of tone 4
        {toneAddress(2, 1, 128), {0x02, 0x02, 0x11, 0x00}},
        {drumNoteAddress(63, 57), {0x02, 0x09, 0x62, 0x39}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(addressText(c.address), addressText(c.expected));
}

TEST(ParameterAddress, TheTempoTravelsAsTwoNibbles)
{
    EXPECT_EQ(addressText(TempoAddress), "00 00 00 60");
    EXPECT_EQ(tempoData(120), (std::array<std::uint8_t, 2>{0x07, 0x08}));
    EXPECT_EQ(tempoData(20), (std::array<std::uint8_t, 2>{0x01, 0x04}));
    EXPECT_EQ(tempoData(240), (std::array<std::uint8_t, 2>{0x0F, 0x00}));
}

TEST(ToneMorph, BothTonesFullInTheMiddleTheOtherFadingTowardsEitherEnd)
{
    struct Case
    {
        int position;
        int shownTone;
        int firstTone;
        int first;
        int second;
    };
    const Case cases[] = {
        {50, 1, 1, 127, 127}, {0, 2, 1, 127, 0},    {25, 1, 1, 127, 63},
        {49, 1, 1, 127, 124}, {51, 3, 3, 124, 127}, {75, 4, 3, 63, 127},
        {100, 3, 3, 0, 127},  {-5, 1, 1, 127, 0},   {130, 2, 1, 0, 127},
    };
    for (const Case& c : cases) {
        const auto writes = toneMorph(c.position, c.shownTone);
        SCOPED_TRACE(c.position);
        EXPECT_EQ(writes[0].tone, c.firstTone);
        EXPECT_EQ(writes[1].tone, c.firstTone + 1);
        EXPECT_EQ(writes[0].value, c.first);
        EXPECT_EQ(writes[1].value, c.second);
    }
    // Level, cutoff and resonance of a tone.
    EXPECT_EQ(morphOffset(MorphBar::Level), 101);
    EXPECT_EQ(morphOffset(MorphBar::Cutoff), 81);
    EXPECT_EQ(morphOffset(MorphBar::Resonance), 83);
}

TEST(RhythmPart, EveryDrumNoteNamedWithOneInstrumentTag)
{
    EXPECT_EQ(drumNoteEntry(0), " B1 (BD) ");
    EXPECT_EQ(drumNoteEntry(38), " C#5 (Tom) "); // inside a range of keys
    EXPECT_EQ(drumNoteEntry(53), " E6 (Hit) ");  // a range's last key
    const std::set<std::string> tags = {"(BD) ", "(Tom) ", "(HH) ",  "(Cym) ",
                                        "(SD) ", "(Oth) ", "(Hit) ", "(Clp) "};
    for (int note = 0; note < DrumNoteCount; ++note) {
        const std::string entry = drumNoteEntry(note);
        int found = 0;
        for (const std::string& tag : tags)
            found += entry.find(tag) != std::string::npos;
        EXPECT_EQ(found, 1) << entry;
    }
}

TEST(RhythmPart, ReplacingPartRTakesItsBlockAndNothingElse)
{
    const Bytes kept = test::knownImage(1);
    const Bytes kit = test::knownImage(2);
    Bytes image = kept;
    ASSERT_TRUE(replaceRhythmBlock(image, kit));
    EXPECT_TRUE(
        std::equal(image.begin(), image.begin() + std::ptrdiff_t(RhythmBlockOffset), kept.begin()));
    EXPECT_EQ(image, [&] {
        Bytes whole = kept;
        std::copy(kit.begin() + std::ptrdiff_t(RhythmBlockOffset), kit.end(),
                  whole.begin() + std::ptrdiff_t(RhythmBlockOffset));
        return whole;
    }());
    EXPECT_NE(image, kept);

    // Not both whole images: nothing changes.
    Bytes part(PartBlockSize, 0x55);
    EXPECT_FALSE(replaceRhythmBlock(part, kit));
    EXPECT_EQ(part, Bytes(PartBlockSize, 0x55));
    Bytes again = kept;
    EXPECT_FALSE(replaceRhythmBlock(again, ByteView(kit).first(ImageSize - 1)));
    EXPECT_EQ(again, kept);
}
