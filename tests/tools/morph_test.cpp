// SPDX-License-Identifier: GPL-3.0-or-later
// The morph between two sounds, over images, without a window.
#include "tools/morph.h"

#include "patch/initialpatch.h"
#include "patch/t505temppatch.h"

#include <gtest/gtest.h>

using namespace dorvane;

namespace {

constexpr int Part = 1;
constexpr int Level = 90;   // a continuous tone parameter, 0..127
constexpr int Type = 60;    // a list choice of a tone, 0..3
constexpr int Sens = 40;    // a continuous common parameter, 0..127
constexpr int DrumPan = 20; // a continuous drum-note parameter, 0..127

const std::vector<SoundParameter> Parameters = {
    {Level, 128, false, true, 1},
    {Type, 4, false, false, 1},
    {Sens, 128, true, true, 2},
};

t505temppatch initial()
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    return image;
}

struct MorphRig
{
    t505temppatch a = initial(); // also the window's image: part 1 is A
    t505temppatch b = initial(); // a file holding B in its part 5
    t505temppatch target = initial();

    MorphRig()
    {
        a.SetPatchName(Part, "Sound A");
        b.SetPatchName(4, "Sound B");
        for (int t = 1; t <= ToneCount; ++t) {
            a.WriteByte(Part, t, Level, 10 + t);
            b.WriteByte(4, t, Level, 110 + t);
            a.WriteByte(Part, t, Type, 1);
            b.WriteByte(4, t, Type, 3);
            a.WriteWave(Part, t, 5 + t);
            b.WriteWave(4, t, 300 + t);
        }
        a.WriteByte(Part, 0, Sens, 0);
        b.WriteByte(4, 0, Sens, 1);
        target = a;
    }

    bool morph(int position)
    {
        return morphPart(target, Part, {&a, Part}, {&b, 4}, Parameters, position);
    }
};

} // namespace

TEST(Morph, WalksFromAToBContinuousBlendedChoicesSwitchAtTheMiddle)
{
    struct Case
    {
        int position;
        int level; // tone 1: 11 towards 111
        int type;  // 1 below the middle, 3 from it
        int sens;  // 0 towards 1: a half rounds up
        int wave;  // tone 1: 6 below the middle, 301 from it
    };
    const Case cases[] = {
        {-20, 11, 1, 0, 6},  {0, 11, 1, 0, 6},      {25, 36, 1, 0, 6},     {49, 60, 1, 0, 6},
        {50, 61, 3, 1, 301}, {100, 111, 3, 1, 301}, {130, 111, 3, 1, 301},
    };
    MorphRig rig;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        ASSERT_TRUE(rig.morph(c.position));
        EXPECT_EQ(rig.target.ReadByte(Part, 1, Level), c.level);
        EXPECT_EQ(rig.target.ReadByte(Part, 4, Level), c.level + 3);
        EXPECT_EQ(rig.target.ReadByte(Part, 2, Type), c.type);
        EXPECT_EQ(rig.target.ReadByte(Part, 0, Sens), c.sens);
        EXPECT_EQ(rig.target.ReadWave(Part, 1), c.wave);
        EXPECT_EQ(rig.target.GetPatchName(Part), "Sound A");
    }
}

TEST(Morph, AtTheEndsThePartIsAOrBsParametersAndNothingElseMoves)
{
    MorphRig rig;
    ASSERT_TRUE(rig.morph(100));
    ASSERT_TRUE(rig.morph(0));
    // Back at A after B: every byte of the image is A's again.
    EXPECT_EQ(rig.target.bytes(), rig.a.bytes());

    ASSERT_TRUE(rig.morph(100));
    for (int t = 1; t <= ToneCount; ++t)
        for (const SoundParameter& p : Parameters)
            if (!p.common) {
                EXPECT_EQ(rig.target.ReadByte(Part, t, p.offset), rig.b.ReadByte(4, t, p.offset));
            }
    // Only part 1 moved, and within it only what a parameter or the wave names.
    t505temppatch expected = rig.a;
    for (int t = 1; t <= ToneCount; ++t) {
        expected.WriteByte(Part, t, Level, 110 + t);
        expected.WriteByte(Part, t, Type, 3);
        expected.WriteWave(Part, t, 300 + t);
    }
    expected.WriteByte(Part, 0, Sens, 1);
    EXPECT_EQ(rig.target.bytes(), expected.bytes());
}

TEST(Morph, ValuesOutsideTheRangeAreBroughtIntoIt)
{
    const SoundParameter level{Level, 128, false, true, 0};
    const SoundParameter type{Type, 4, false, false, 0};
    EXPECT_EQ(morphValue(level, 200, 0, 0), 127);
    EXPECT_EQ(morphValue(level, 127, 255, 50), 127);
    EXPECT_EQ(morphValue(type, 9, 2, 0), 3);
    EXPECT_EQ(morphValue({0, 0, false, true, 0}, 5, 9, 50), 0);
}

TEST(Morph, PartRBlendsDrumNoteByDrumNoteAndRefusesANormalPart)
{
    t505temppatch a = initial();
    t505temppatch b = initial();
    for (int note = 0; note < DrumNoteCount; ++note) {
        a.WriteByte(RhythmPart, note, DrumPan, 0);
        b.WriteByte(RhythmPart, note, DrumPan, note * 2);
    }
    t505temppatch target = a;
    const SoundParameter pan{DrumPan, 128, false, true, 0};
    ASSERT_TRUE(morphPart(target, RhythmPart, {&a, RhythmPart}, {&b, RhythmPart}, {&pan, 1}, 50));
    for (int note : {0, 1, 33, 63})
        EXPECT_EQ(target.ReadByte(RhythmPart, note, DrumPan), note);

    const Bytes before = target.bytes();
    EXPECT_FALSE(morphPart(target, RhythmPart, {&a, RhythmPart}, {&b, 2}, {&pan, 1}, 100));
    EXPECT_FALSE(morphPart(target, 2, {&a, 2}, {&b, RhythmPart}, {&pan, 1}, 100));
    EXPECT_EQ(target.bytes(), before);
}
