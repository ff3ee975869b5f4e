// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/catalogue.h"
#include "patch/rolandmessage.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::fromHex;
using dorvane::test::hex;

TEST(Messages, ChecksumRule)
{
    EXPECT_EQ(Checksum(fromHex("02 03 12 14 64")), 0x71);
    EXPECT_EQ(Checksum(fromHex("7F 01")), 0x00) << "a multiple of 128 gives 0";
    EXPECT_EQ(Checksum(fromHex("40 40 7F 01 00")), 0x00);
    EXPECT_EQ(Checksum({}), 0x00);
    EXPECT_EQ(Checksum(fromHex("01")), 0x7F);
}

TEST(Messages, OneParameterBuilders)
{
    EXPECT_EQ(hex(parameterMessage(tsMC505, {0x02, 0x03, 0x12, 0x14}, 100)),
              "F0 41 10 00 0B 12 02 03 12 14 64 71 F7");
    EXPECT_EQ(hex(parameterMessage(tsMC505, {0x02, 0x00, 0x10, 0x51}, 127)),
              "F0 41 10 00 0B 12 02 00 10 51 7F 1E F7");
    // From 128 on a value takes two data bytes, 128 itself included.
    EXPECT_EQ(hex(parameterMessage(tsMC505, {0x00, 0x00, 0x00, 0x60}, 128)),
              "F0 41 10 00 0B 12 00 00 00 60 08 00 18 F7");
    const Bytes two = parameterMessage(tsMC505, {0x00, 0x00, 0x00, 0x60}, 200);
    EXPECT_EQ(hex(Bytes(two.begin() + 10, two.begin() + 12)), "0C 08");
    EXPECT_EQ(two[12], Checksum(fromHex("00 00 00 60 0C 08")));

    EXPECT_EQ(hex(waveMessage(tsMC505, 0x02, 0x00, 0x10, 300)),
              "F0 41 10 00 0B 12 02 00 10 01 00 02 02 0E 5B F7");
    EXPECT_EQ(hex(waveMessage(tsMC505, 2, 0, 0x10, 254)).substr(30, 11), "00 01 0F 0E");
    EXPECT_EQ(hex(waveMessage(tsMC505, 2, 0, 0x10, 255)).substr(30, 11), "00 02 00 01");

    EXPECT_EQ(hex(nameMessage(tsMC505, "ABCD", 0x02, 0x09)),
              "F0 41 10 00 0B 12 02 09 00 00 41 42 43 44 20 20 20 20 20 20 20 20 6B F7");
    EXPECT_EQ(nameMessage(tsMC505, "THIRTEEN CHAR", 2, 0).size(), 12u + 13u)
        << "a longer name is not cut";

    for (const Bytes& m : {parameterMessage(tsJVXP, {1, 0, 0x10, 6}, 5),
                           waveMessage(tsJVXP, 2, 0, 0x10, 3), nameMessage(tsJVXP, "X", 2, 0)})
        EXPECT_EQ(hex(Bytes(m.begin(), m.begin() + 5)), "F0 41 10 6A 12");
    EXPECT_EQ(hex(DataSetHeader(tsMC505)), "F0 41 10 00 0B 12");
}

TEST(Messages, DataRequestsByteForByte)
{
    EXPECT_EQ(hex(requestAllMessage()), "F0 41 10 00 0B 11 02 00 00 00 00 09 62 3A 59 F7");
    EXPECT_EQ(hex(requestRhythmMessage()), "F0 41 10 00 0B 11 02 09 00 00 00 00 63 00 12 F7");
    for (int p = 0; p < 7; ++p) {
        const Bytes m = requestPartMessage(p);
        ASSERT_EQ(m.size(), 16u);
        EXPECT_EQ(m[7], p);
        EXPECT_EQ(m[14], 0x66 - p);
        EXPECT_EQ(requestMessageForPart(p), m);
    }
    EXPECT_EQ(requestMessageForPart(9), requestRhythmMessage());
}

TEST(Messages, SplittingAndParsing)
{
    const Bytes run = fromHex("00 F0 41 F7 F8 F0 41 10 00 0B 12 02 00 10 05 01 68 F7 F0 7E 01");
    const auto parts = splitSysex(run);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(hex(Bytes(parts[0].begin(), parts[0].end())), "F0 41 F7");
    EXPECT_EQ(parts[1].size(), 13u);
    EXPECT_EQ(hex(Bytes(parts[2].begin(), parts[2].end())), "F0 7E 01") << "unterminated tail";

    const auto v = parseDataSet(parts[1]);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->synth, tsMC505);
    EXPECT_EQ(addressText(v->address), "02 00 10 05");
    EXPECT_EQ(v->data.size(), 1u);
    EXPECT_EQ(v->checksum, 0x68);
    EXPECT_FALSE(parseDataSet(parts[0]));
    EXPECT_FALSE(parseDataSet(parts[2]));
    const Bytes jv = parameterMessage(tsJVXP, {3, 0, 0, 0}, 9);
    EXPECT_EQ(parseDataSet(jv)->synth, tsJVXP);
    EXPECT_TRUE(splitSysex({}).empty());
}

TEST(Catalogue, NamesAsTheInstrumentSpellsThem)
{
    EXPECT_EQ(parameterCount(ParameterTable::Tone), 129);
    EXPECT_EQ(parameterCount(ParameterTable::PartCommon), 73);
    EXPECT_EQ(parameterCount(ParameterTable::RhythmNote), 58);
    EXPECT_EQ(parameterCount(ParameterTable::System), 18);

    EXPECT_EQ(parameterName(ParameterTable::Tone, 61), "Coarse Tune");
    EXPECT_EQ(parameterName(ParameterTable::Tone, 101), "Tone Level");
    EXPECT_EQ(parameterName(ParameterTable::Tone, 119), "Tone Pan");
    EXPECT_EQ(parameterName(ParameterTable::Tone, 128), "Reverb Send Level");
    EXPECT_EQ(parameterName(ParameterTable::Tone, 6), "FMX Switch");
    EXPECT_EQ(parameterName(ParameterTable::PartCommon, 48), "Analog Feel Depth");
    EXPECT_EQ(parameterName(ParameterTable::PartCommon, 72), "Clock Source");
    EXPECT_EQ(parameterName(ParameterTable::PartCommon, 26), "EFX OutPut Level");
    EXPECT_FALSE(parameterName(ParameterTable::PartCommon, 73));
    EXPECT_EQ(parameterName(ParameterTable::RhythmNote, 12), "Source Key");
    EXPECT_EQ(parameterName(ParameterTable::RhythmNote, 41), "Tone Level");
    EXPECT_EQ(parameterName(ParameterTable::RhythmNote, 17), "P-Env Vel Time ");
    EXPECT_EQ(parameterName(ParameterTable::System, 4), "Reberb Switch");
    EXPECT_EQ(parameterName(ParameterTable::System, 17), "System Tempo");
    EXPECT_FALSE(parameterName(ParameterTable::Tone, 129));
    EXPECT_FALSE(parameterName(ParameterTable::Tone, -1));
}
