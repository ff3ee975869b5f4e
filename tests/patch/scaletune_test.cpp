// SPDX-License-Identifier: GPL-3.0-or-later
// Scale tune lines and messages, the temperament table, and the data files
// made from it.
#include "patch/messagedescription.h"
#include "patch/presetselect.h"
#include "patch/scaletune.h"
#include "patch/temperaments.h"
#include "patch/textlines.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

using namespace dorvane;

namespace {

std::string text(const test::Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

const Temperament& byName(std::string_view name)
{
    for (const Temperament& t : temperaments())
        if (t.name == name)
            return t;
    throw std::runtime_error("no temperament " + std::string(name));
}

} // namespace

TEST(ScaleTune, LinesParseOrSayWhy)
{
    const auto ok = parseScaleLine("40 41 42 43 44 45 46 47 48 49 4a 7F");
    ASSERT_TRUE(ok.values) << ok.problem;
    EXPECT_EQ((*ok.values)[0], 0x40);
    EXPECT_EQ((*ok.values)[10], 0x4A);
    EXPECT_EQ((*ok.values)[11], 0x7F);
    // Any separator, and one after the last value or not.
    EXPECT_TRUE(parseScaleLine("40,40,40,40,40,40,40,40,40,40,40,40,").values);

    const auto short_ = parseScaleLine("40 40 40 40 40 40 40 40 40 40 40 4");
    EXPECT_FALSE(short_.values);
    EXPECT_NE(short_.problem.find("too short"), std::string::npos);
    const auto notHex = parseScaleLine("40 40 4G 40 40 40 40 40 40 40 40 40");
    EXPECT_FALSE(notHex.values);
    EXPECT_NE(notHex.problem.find("\"4G\" at character 7"), std::string::npos) << notHex.problem;
    // 80 and up would end the Data Set message on the wire.
    const auto high = parseScaleLine("40 40 40 40 40 40 40 40 40 40 40 80");
    EXPECT_FALSE(high.values);
    EXPECT_NE(high.problem.find("above 7F"), std::string::npos);
    EXPECT_FALSE(parseScaleLine(" 40 40 40 40 40 40 40 40 40 40 40 40").values);

    const std::string file = "40 40 40 40 40 40 40 40 40 40 40 40\r\n"
                             "4X 40 40 40 40 40 40 40 40 40 40 40\r\n";
    EXPECT_TRUE(scaleLineOf(file, 0).values);
    const auto second = scaleLineOf(file, 1);
    EXPECT_FALSE(second.values);
    EXPECT_EQ(second.problem.rfind("Line 2 of scales.txt holds \"4X\"", 0), 0u) << second.problem;
    EXPECT_EQ(scaleLineOf(file, 2).problem, "scales.txt has 2 lines, none for scale 3.");
    EXPECT_FALSE(scaleLineOf(file, -1).values);
}

TEST(ScaleTune, TwelveMessagesRotatedToTheKey)
{
    ScaleValues values{};
    for (int i = 0; i < 12; ++i)
        values[std::size_t(i)] = std::uint8_t(0x30 + i);

    // Key C: degree i tunes note i.
    const auto c = scaleTuneMessages(tsMC505, 2, 0, values);
    ASSERT_EQ(c.size(), 12u);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(c[std::size_t(i)], dataSetMessage(tsMC505, {0x00, 0x00, 0x12, std::uint8_t(i)},
                                                    Bytes{std::uint8_t(0x30 + i)}));

    // Key D: degrees 0-9 on notes 2-11, degrees 10 and 11 on C and C#, in degree order.
    const auto d = scaleTuneMessages(tsMC505, 2, 2, values);
    EXPECT_EQ(test::hex(d[0]), "F0 41 10 00 0B 12 00 00 12 02 30 3C F7");
    EXPECT_EQ(test::hex(d[9]), test::hex(dataSetMessage(tsMC505, {0, 0, 0x12, 11}, Bytes{0x39})));
    EXPECT_EQ(test::hex(d[10]), test::hex(dataSetMessage(tsMC505, {0, 0, 0x12, 0}, Bytes{0x3A})));
    EXPECT_EQ(test::hex(d[11]), test::hex(dataSetMessage(tsMC505, {0, 0, 0x12, 1}, Bytes{0x3B})));

    // Part R is part number 9: 0x19.
    const auto r = scaleTuneMessages(tsMC505, RhythmPart, 11, values);
    EXPECT_EQ(r[0][8], 0x19);
    EXPECT_EQ(r[0][9], 11);
    EXPECT_EQ(r[1][9], 0);

    EXPECT_EQ(describeMidiMessage(d[0]), "Data Set 00 00 12 02: part 3 scale tune D = 48");
    EXPECT_EQ(describeMidiMessage(r[0]), "Data Set 00 00 19 0B: part R scale tune B = 48");
}

TEST(Temperaments, TheListAsMusiciansFindIt)
{
    const auto list = temperaments();
    ASSERT_EQ(list.size(), std::size_t(TemperamentCount));
    EXPECT_EQ(list[0].name, "Agricola's Pythag Monochord");
    EXPECT_EQ(list[11].name, "Equal Temperament");
    EXPECT_EQ(list[74].name, "Zazal");
    EXPECT_EQ(temperamentListEntry(0), " 1       Agricola's Pythag Monochord");
    EXPECT_EQ(temperamentListEntry(11), " 12      Equal Temperament");
    EXPECT_EQ(temperamentListEntry(74), " 75      Zazal");
    auto lower = [](std::string_view s) {
        std::string l(s);
        std::transform(l.begin(), l.end(), l.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        return l;
    };
    for (std::size_t i = 1; i < list.size(); ++i)
        EXPECT_LT(lower(list[i - 1].name), lower(list[i].name)) << "alphabetical at " << i + 1;
    for (const Temperament& t : list)
        EXPECT_NEAR(t.circleError, 0.0, 1e-9) << t.name << ": its twelve fifths do not close";
}

TEST(Temperaments, DefinitionsGiveThePublishedTables)
{
    struct Published
    {
        const char* name;
        std::array<double, 12> cents;
        double within = 0.011; // the table's own rounding
    };
    // Tables printed by the sources themselves (Marpurg's logarithms, Sorge's
    // and Neidhardt's string lengths, Meister's cents) and the Scala archive's.
    const Published tables[] = {
        {"Kirnberger III",
         {0, 90.22, 193.16, 294.13, 386.31, 498.04, 590.22, 696.58, 792.18, 889.74, 996.09,
          1088.27}},
        {"Bach (Kellner 1977)",
         {0, 90.22, 194.53, 294.13, 389.05, 498.04, 588.27, 697.26, 792.18, 891.79, 996.09,
          1091.01}},
        {"Neidhardt I (1724)",
         {0, 94.14, 196.09, 296.09, 392.18, 498.04, 592.18, 698.04, 796.09, 894.13, 996.09,
          1092.18}},
        {"Meantone 1/6 Comma (Silbermann)",
         {0, 88.59, 196.74, 304.89, 393.48, 501.63, 590.22, 698.37, 786.96, 895.11, 1003.26,
          1091.85}},
        {"Marpurg VII (1790)",
         {0, 98.045, 196.09, 294.135, 400.0, 498.045, 596.09, 694.135, 800.0, 898.045, 996.09,
          1094.135}},
        {"Marpurg VIII (1790)",
         {0, 101.955, 198.045, 300.0, 401.955, 498.045, 600.0, 696.09, 798.045, 900.0, 1001.955,
          1098.045}},
        {"Sorge (1758)",
         {0, 96.09, 196.09, 298.045, 394.135, 498.045, 596.09, 698.045, 798.045, 894.135, 998.045,
          1096.09}},
        {"Neidhardt Village (1732)",
         {0, 94.135, 198.045, 296.09, 390.225, 498.045, 592.18, 700.0, 794.135, 894.135, 998.045,
          1092.18}},
        {"Arnaut de Zwolle", {0, 90, 204, 294, 408, 498, 588, 702, 792, 906, 996, 1110}, 0.5},
        {"Grammateus (1518)",
         {0, 101.955, 203.91, 305.865, 407.82, 498.045, 600.0, 701.955, 803.91, 905.865, 996.09,
          1109.775}},
    };
    for (const auto& p : tables) {
        const Temperament& t = byName(p.name);
        ASSERT_TRUE(t.cents) << p.name;
        for (std::size_t i = 0; i < 12; ++i)
            EXPECT_NEAR((*t.cents)[i], p.cents[i], p.within) << p.name << ", degree " << i;
    }
}

TEST(DataFiles, CommittedFilesAreTheGeneratorsOutput)
{
    EXPECT_EQ(text(test::readFile(test::sourceDir() + "/data/scales.txt")), scalesFileText());
    EXPECT_EQ(text(test::readFile(test::sourceDir() + "/data/patchlist.txt")), presetListText());
    // The build puts them beside the executables.
    EXPECT_EQ(text(test::readFile(test::binDir() + "/scales.txt")), scalesFileText());
    EXPECT_EQ(text(test::readFile(test::binDir() + "/patchlist.txt")), presetListText());
}

TEST(DataFiles, EveryScaleLineParsesAndEqualTemperamentIsFlat)
{
    const std::string file = text(test::readFile(test::sourceDir() + "/data/scales.txt"));
    const auto lines = textLines(file);
    ASSERT_EQ(lines.size(), std::size_t(TemperamentCount));
    for (int i = 0; i < TemperamentCount; ++i) {
        const auto line = scaleLineOf(file, i);
        if (!temperaments()[std::size_t(i)].cents) {
            // A tuning nobody here knows is said to be unknown, never made up.
            EXPECT_NE(line.problem.find("not known"), std::string::npos) << line.problem;
            continue;
        }
        ASSERT_TRUE(line.values) << line.problem;
        EXPECT_EQ((*line.values)[0], ScaleTuneCentre) << "C is degree 0 of line " << i + 1;
    }
    EXPECT_EQ(lines[11], "40 40 40 40 40 40 40 40 40 40 40 40");
    // Werckmeister III, cents from equal temperament: 0 -10 -8 -6 -10 -2 -12 -4 -8 -12 -4 -8.
    EXPECT_EQ(scaleFileLine(byName("Werckmeister III")), "40 36 38 3A 36 3E 34 3C 38 34 3C 38");
}

TEST(DataFiles, WordListIsShortAsciiWords)
{
    const auto words = textLines(text(test::readFile(test::sourceDir() + "/data/wordlist.txt")));
    EXPECT_GE(words.size(), 200u);
    for (const std::string& w : words) {
        EXPECT_FALSE(w.empty());
        EXPECT_LE(w.size(), 8u) << w;
        for (char c : w)
            EXPECT_TRUE(c >= 'a' && c <= 'z') << w;
    }
}
