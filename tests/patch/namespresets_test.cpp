// SPDX-License-Identifier: GPL-3.0-or-later
// Patch names as they travel, names drawn from a word list, the preset
// messages and the text lists beside the program.
#include "patch/patchname.h"
#include "patch/presetselect.h"
#include "patch/textlines.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace dorvane;

TEST(PatchName, TwelveSevenBitCharactersWhateverWasTyped)
{
    EXPECT_EQ(patchNameText(U"BASS1"), "BASS1       ");
    EXPECT_EQ(patchNameText(U""), "            ");
    EXPECT_EQ(patchNameText(U"A long name that goes on"), "A long name ");
    // A byte of 0x80 or more would break the Data Set message it travels in.
    EXPECT_EQ(patchNameText(U"Caf\u00e9 \u00f7 2"), "Caf? ? 2    ");
    EXPECT_EQ(patchNameText(U"tab\there\x7f"), "tab?here?   ");
    // One character beyond the 16-bit range is still one character.
    EXPECT_EQ(patchNameText(U"\U0001F3B9 Keys"), "? Keys      ");
    for (char c : patchNameText(U"\u00ff\u0080\x01~ "))
        EXPECT_TRUE(c >= 0x20 && c <= 0x7E);
}

TEST(PatchName, RandomNamesFromTheWordList)
{
    RandomSource random;
    random.seed(7);
    const std::vector<std::string> one = {"echo"};
    EXPECT_EQ(randomName(one, random), "EchoEcho");
    EXPECT_EQ(randomName(std::vector<std::string>{}, random), std::nullopt);

    // The last line is never drawn; every other one can be.
    const std::vector<std::string> words = {"alpha", "bravo", "charlie", "delta"};
    std::set<std::string> seen;
    for (int i = 0; i < 400; ++i)
        seen.insert(*randomName(words, random));
    for (const std::string& name : seen)
        EXPECT_EQ(name.find("Delta"), std::string::npos) << name;
    EXPECT_EQ(seen.size(), 9u) << "three words in each of two places";

    // Two long words are cut to twelve before they go anywhere.
    const std::vector<std::string> long_ = {"thunderstorm", "x"};
    const std::string name = *randomName(long_, random);
    EXPECT_EQ(name, "ThunderstormThunderstorm");
    EXPECT_EQ(patchNameText(std::u32string(name.begin(), name.end())), "Thunderstorm");

    // The same seed replays the same names.
    RandomSource a;
    RandomSource b;
    a.seed(42);
    b.seed(42);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(randomName(words, a), randomName(words, b));
}

TEST(PresetSelect, ThreeMessagesOnThePartsChannel)
{
    const auto c5 = presetMessages(2, 2, 5);
    EXPECT_EQ(test::hex(c5[0]), "B2 00 51");
    EXPECT_EQ(test::hex(c5[1]), "B2 20 02");
    EXPECT_EQ(test::hex(c5[2]), "C2 05");
    const auto r = presetMessages(RhythmPart, 3, 127);
    EXPECT_EQ(test::hex(r[0]), "B9 00 51");
    EXPECT_EQ(test::hex(r[1]), "B9 20 03");
    EXPECT_EQ(test::hex(r[2]), "C9 7F");
    EXPECT_EQ(partChannel(0), 0);
    EXPECT_EQ(partChannel(6), 6);
    EXPECT_EQ(partChannel(RhythmPart), 9);
}

TEST(PresetSelect, NamesOfABankAndTheShippedList)
{
    const auto lines = textLines(presetListText());
    ASSERT_EQ(lines.size(), 512u);
    EXPECT_EQ(lines.front(), "A001");
    EXPECT_EQ(lines[128], "B001");
    EXPECT_EQ(lines.back(), "D128");
    const auto c = presetNames(lines, 2);
    ASSERT_EQ(c.size(), 128u);
    EXPECT_EQ(c[4], "C005");

    // A list cut short still offers every preset of the bank by its number.
    std::vector<std::string> mine(130, "Name");
    mine[128] = "Second bank";
    const auto b = presetNames(mine, 1);
    ASSERT_EQ(b.size(), 128u);
    EXPECT_EQ(b[0], "Second bank");
    EXPECT_EQ(b[1], "Name");
    EXPECT_EQ(b[2], "B003");
    EXPECT_EQ(presetNames({}, 3)[127], "D128");
}

TEST(TextLines, LineEndsOfAnySystem)
{
    EXPECT_EQ(textLines("a\nb\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(textLines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(textLines("a\n\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(textLines("only"), (std::vector<std::string>{"only"}));
    EXPECT_TRUE(textLines("").empty());
}
