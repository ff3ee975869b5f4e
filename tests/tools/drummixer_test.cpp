// SPDX-License-Identifier: GPL-3.0-or-later
// The drum mixer's types, lines and guarded writes, on images built here.
#include "patch/catalogue.h"
#include "patch/initialpatch.h"
#include "patch/t505temppatch.h"
#include "tools/drummixer.h"

#include <gtest/gtest.h>

using namespace dorvane;

namespace {

t505temppatch initial()
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    return image;
}

} // namespace

TEST(DrumMixer, EachTypeSetsItsDrumNoteParameterWithinItsRange)
{
    const std::pair<const char*, const char*> expected[] = {
        {" Level", "Tone Level"},      {" Gain", "Wave Gain"}, {" Pan", "Tone Pan"},
        {" Coarse", "Source Key"},     {" Fine", "Fine Tune"}, {" Reverb", "Reverb Send Level"},
        {" Delay", "Delay Send Level"}};
    ASSERT_EQ(drumMixerTypes().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const DrumMixerType& t = drumMixerTypes()[i];
        EXPECT_EQ(t.item, expected[i].first);
        EXPECT_EQ(parameterName(ParameterTable::RhythmNote, t.parameter), expected[i].second);
    }
    EXPECT_EQ(findDrumMixerType(" Gain")->max, 3);
    EXPECT_EQ(findDrumMixerType(" Pan")->max, 126);

    t505temppatch image = initial();
    const Bytes before = image.bytes();
    const DrumMixerType& gain = *findDrumMixerType(" Gain");
    EXPECT_FALSE(writeDrumMixerValue(image, gain, 0, 4));
    EXPECT_FALSE(writeDrumMixerValue(image, gain, 0, -1));
    EXPECT_FALSE(writeDrumMixerValue(image, gain, DrumNoteCount, 1));
    EXPECT_EQ(image.bytes(), before) << "a refused value writes nothing";
    EXPECT_TRUE(writeDrumMixerValue(image, gain, 63, 3));
    EXPECT_EQ(image.ReadByte(RhythmPart, 63, 5), 3);
}

TEST(DrumMixer, WavesAndValuesStartInOneColumnWhateverTheNoteName)
{
    EXPECT_EQ(drumMixerLine(0, "  Kick 1", 127).toStdString(),
              "B1    Kick 1:" + std::string(12, ' ') + "127");
    EXPECT_EQ(drumMixerLine(2, "  Kick 1", 5).toStdString(),
              "C#2   Kick 1:" + std::string(12, ' ') + "5");
    // Every drum note, sharp or not, one octave digit or another.
    for (int note = 0; note < DrumNoteCount; ++note) {
        const QString line = drumMixerLine(note, "  Kick 1", 5);
        EXPECT_EQ(line.indexOf("Kick"), 6) << line.toStdString();
        EXPECT_EQ(line.lastIndexOf('5'), DrumMixerValueColumn) << line.toStdString();
    }
    const QString longWave = "  A wave name far too long";
    EXPECT_EQ(drumMixerLine(0, longWave, 9).toStdString(),
              ("B1  " + longWave + ":9").toStdString());

    t505temppatch image = initial();
    image.WriteWave(RhythmPart, 10, 2);
    image.WriteByte(RhythmPart, 10, 57, 33);
    const QStringList waves{"  W0", "  W1", "  W2"};
    const DrumMixerType& reverb = *findDrumMixerType(" Reverb");
    EXPECT_EQ(drumMixerLine(image, reverb, 10, waves).toStdString(),
              drumMixerLine(10, "  W2", 33).toStdString());
    image.WriteWave(RhythmPart, 10, 300);
    EXPECT_TRUE(drumMixerLine(image, reverb, 10, waves).contains("(wave 300)"))
        << "a wave the list does not name is shown by its number";
}
