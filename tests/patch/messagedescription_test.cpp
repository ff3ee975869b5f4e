// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/messagedescription.h"
#include "patch/rolandmessage.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace dorvane;

TEST(MessageDescription, DataSetMessagesByWhatTheyAddress)
{
    EXPECT_EQ(describeMidiMessage(parameterMessage(tsMC505, {0x02, 0x03, 0x12, 83}, 100)),
              "Data Set 02 03 12 53: part 4 tone 2 \"Resonance\" = 100");
    EXPECT_EQ(describeMidiMessage(parameterMessage(tsMC505, {0x02, 0x00, 0x11, 0x00}, 5)),
              "Data Set 02 00 11 00: part 1 tone 1 \"Reverb Send Level\" = 5");
    EXPECT_EQ(describeMidiMessage(parameterMessage(tsMC505, {0x02, 0x06, 0x00, 48}, 7)),
              "Data Set 02 06 00 30: part 7 common \"Analog Feel Depth\" = 7");
    EXPECT_EQ(describeMidiMessage(parameterMessage(tsMC505, {0x02, 0x09, 36, 41}, 90)),
              "Data Set 02 09 24 29: part R drum note C2  \"Tone Level\" = 90");
    EXPECT_EQ(describeMidiMessage(waveMessage(tsMC505, 0x02, 0x01, 0x16, 300)),
              "Data Set 02 01 16 01: part 2 tone 4 wave = 300");
    EXPECT_EQ(describeMidiMessage(nameMessage(tsMC505, "PAD", 0x02, 0x02)),
              "Data Set 02 02 00 00: part 3 common name \"PAD         \"");
    const std::uint8_t tempo[2] = {7, 8};
    EXPECT_EQ(describeMidiMessage(dataSetMessage(tsMC505, {0, 0, 0, 0x60}, tempo)),
              "Data Set 00 00 00 60: system tempo = 120");
    EXPECT_EQ(describeMidiMessage(parameterMessage(tsMC505, {0x01, 0x00, 0x14, 6}, 100)),
              "Data Set 01 00 14 06: part 5 setting 6 = 100");
    EXPECT_EQ(describeMidiMessage(dataSetMessage(tsMC505, {2, 0, 0x10, 0}, Bytes(129, 0))),
              "Data Set 02 00 10 00: part 1 tone 1 (whole block, 129 bytes)");
}

TEST(MessageDescription, RequestsNotesAndTheRest)
{
    EXPECT_EQ(describeMidiMessage(requestAllMessage()), "Data Request: whole temp patch");
    EXPECT_EQ(describeMidiMessage(requestPartMessage(2)), "Data Request: part 3");
    EXPECT_EQ(describeMidiMessage(requestRhythmMessage()), "Data Request: part R");
    EXPECT_EQ(describeMidiMessage(test::fromHex("92 3C 60")), "Note on ch 3 C4 velocity 96");
    EXPECT_EQ(describeMidiMessage(test::fromHex("82 3C 00")), "Note off ch 3 C4 ");
    EXPECT_EQ(describeMidiMessage(test::fromHex("BF 78 00")),
              "Control change ch 16 120 (All Sound Off) = 0");
    EXPECT_EQ(describeMidiMessage(test::fromHex("C9 05")), "Program change ch 10 5");
    EXPECT_EQ(describeMidiMessage(test::fromHex("F0 7E 7F 06 01 F7")), "Sysex F0 7E 7F 06 01 F7");
    EXPECT_EQ(describeMidiMessage(test::fromHex("F2 01 02")), "F2 01 02");
    // Truncated or odd messages never read past their end.
    for (const Bytes& m : {Bytes{}, test::fromHex("90"), test::fromHex("F0 41 10 00 0B 12 02"),
                           test::randomBytes(200, 3)})
        EXPECT_FALSE(describeMidiMessage(m).empty());
}
