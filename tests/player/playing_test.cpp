// SPDX-License-Identifier: GPL-3.0-or-later
// Playing from the computer keyboard, read back byte for byte from the
// loopback device.
#include "playerrig.h"

#include "player/playmodes.h"

#include <gtest/gtest.h>

#include <set>

using namespace dorvane;
using namespace dorvane::test;

namespace {

void press(TMIDIappUtil& util, int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    util.KeyDown(code, modifiers);
}

} // namespace

TEST(NotePlayer, StartsWithTheComponentDefaults)
{
    TMIDIappUtil util;
    EXPECT_EQ(util.Note(), "");
    EXPECT_EQ(util.Channel(), 0);
    EXPECT_EQ(util.Octave(), 3);
    EXPECT_EQ(util.Velocity(), 97);
    EXPECT_EQ(util.VelRnd(), 10);
    EXPECT_EQ(util.Playmode(), pmNote);
    EXPECT_EQ(util.OUTPUT(), nullptr);
    EXPECT_EQ(util.INPUT(), nullptr);
    EXPECT_FALSE(util.Pause());
    EXPECT_EQ(util.Wavelist(), "");
    EXPECT_EQ(util.Synth(), tsJVXP);
    EXPECT_EQ(util.Transpose(), 0);
}

TEST(NotePlayer, ZAtOctaveThreePlaysC2AndNamesItWithTheVelocitySent)
{
    PlayerRig rig;
    ASSERT_TRUE(rig.opened);
    rig.util.SetVelocity(96);
    rig.util.SetChannel(4);
    press(rig.util, key::Z);
    EXPECT_EQ(rig.take(), (Messages{"94 24 60"}));
    EXPECT_EQ(rig.util.Note(), "C2  (v96)");
    rig.util.KeyUp(key::Z);
    EXPECT_EQ(rig.take(), (Messages{"84 24 00"}));

    // With a spread, the text shows the velocity that went out.
    rig.util.SetVelRnd(20);
    rig.util.SetRandom([](int n) { return n - 1; }); // odd: downward, by 19
    press(rig.util, key::Q);
    EXPECT_EQ(rig.take(), (Messages{"94 30 4D"}));
    EXPECT_EQ(rig.util.Note(), "C3  (v77)");
}

TEST(NotePlayer, QAndCommaShareOneNoteAndOneHeldFlag)
{
    PlayerRig rig;
    press(rig.util, key::Q);
    EXPECT_EQ(rig.take(), (Messages{"90 30 61"}));
    press(rig.util, key::Comma);
    press(rig.util, key::Q); // the key repeating
    EXPECT_EQ(rig.take(), Messages{}) << "the note is already held";
    rig.util.KeyUp(key::Comma);
    EXPECT_EQ(rig.take(), (Messages{"80 30 00"})) << "either key lets it go";
    rig.util.KeyUp(key::Q);
    EXPECT_EQ(rig.take(), Messages{}) << "a stray release sends nothing";

    press(rig.util, key::Comma);
    EXPECT_EQ(rig.take(), (Messages{"90 30 61"}));
}

TEST(NotePlayer, ChordsAndIntervalsSoundRootFirstAndAreNamed)
{
    PlayerRig rig;
    rig.util.SetPlaymode(pmMajor9th);
    press(rig.util, key::Z);
    EXPECT_EQ(rig.take(), (Messages{"90 24 61", "90 28 61", "90 2B 61", "90 2F 61", "90 32 61"}));
    EXPECT_EQ(rig.util.Note(), "C2 E2 G2 B2 D3 ");
    rig.util.KeyUp(key::Z);
    EXPECT_EQ(rig.take(), (Messages{"80 24 00", "80 28 00", "80 2B 00", "80 2F 00", "80 32 00"}));

    rig.util.SetPlaymode(pm8th);
    press(rig.util, key::Z);
    EXPECT_EQ(rig.take(), (Messages{"90 24 61", "90 30 61"}));
    EXPECT_EQ(rig.util.Note(), "C2 C3 ");
    rig.util.KeyUp(key::Z);
    rig.take();

    rig.util.SetPlaymode(pm5th);
    press(rig.util, key::B); // offset 7: G2
    EXPECT_EQ(rig.take(), (Messages{"90 2B 61", "90 32 61"}));
    EXPECT_EQ(rig.util.Note(), "G2 5th");
}

TEST(NotePlayer, EveryPlayModeSoundsItsIntervals)
{
    // Intervals and texts on key Z at octave 3 (C2 = 36), as the musician's
    // reference card lists them.
    struct Case
    {
        TPlayMode mode;
        std::vector<int> intervals;
        QString text;
    };
    const std::vector<Case> cases = {
        {pmNote, {0}, "C2  (v97)"},
        {pmMajor, {0, 4, 7, 12}, "C2 E2 G2 C3 "},
        {pmMinor, {0, 3, 7, 12}, "C2 D#2 G2 C3 "},
        {pmMajor7th, {0, 4, 7, 11}, "C2 E2 G2 B2 "},
        {pmMinor7th, {0, 3, 7, 11}, "C2 D#2 G2 B2 "},
        {pmMinor7th5, {0, 3, 6, 11}, "C2 D#2 F#2 B2 "},
        {pmDiminished, {0, 3, 6, 10}, "C2 D#2 F#2 A#2 "},
        {pmDominant7th, {0, 4, 7, 10}, "C2 E2 G2 A#2 "},
        {pmMajor9th, {0, 4, 7, 11, 14}, "C2 E2 G2 B2 D3 "},
        {pmMinor9th, {0, 3, 7, 10, 14}, "C2 D#2 G2 A#2 D3 "},
        {pm2nd, {0, 2}, "C2 2nd"},
        {pm3rd, {0, 4}, "C2 3rd"},
        {pm4th, {0, 5}, "C2 4th"},
        {pm5th, {0, 7}, "C2 5th"},
        {pm6th, {0, 9}, "C2 6th"},
        {pm7th, {0, 11}, "C2 7th"},
        {pm8th, {0, 12}, "C2 C3 "},
    };
    ASSERT_EQ(int(cases.size()), PlayModeCount);
    PlayerRig rig;
    for (const Case& c : cases) {
        rig.util.SetPlaymode(c.mode);
        press(rig.util, key::Z);
        rig.util.KeyUp(key::Z);
        Messages expected;
        for (int i : c.intervals)
            expected.push_back(hex(Bytes{0x90, std::uint8_t(36 + i), 97}));
        for (int i : c.intervals)
            expected.push_back(hex(Bytes{0x80, std::uint8_t(36 + i), 0}));
        EXPECT_EQ(rig.take(), expected) << "mode " << int(c.mode);
        EXPECT_EQ(rig.util.Note(), c.text) << "mode " << int(c.mode);
    }
}

TEST(NotePlayer, VelocitySpreadStaysWithinMidiBounds)
{
    PlayerRig rig;
    rig.util.SetRandom(nullptr); // keeps the component's own generator
    constexpr int Draws = 300;
    auto velocities = [&](int velocity, int spread) {
        rig.util.SetVelocity(velocity);
        rig.util.SetVelRnd(spread);
        for (int i = 0; i < Draws; ++i) {
            rig.util.PlayKey(0);
            if (i % 50 == 49)
                rig.util.ReleaseKey(0);
        }
        std::multiset<int> seen;
        for (const Bytes& m : rig.takeRaw()) {
            if (m.at(0) == 0x90)
                seen.insert(m.at(2));
        }
        EXPECT_EQ(seen.size(), std::size_t(Draws));
        return seen;
    };

    const auto fixed = velocities(96, 0);
    EXPECT_EQ(fixed.count(96), std::size_t(Draws)) << "no spread, no change";

    const auto top = velocities(127, 10);
    EXPECT_EQ(*top.rbegin(), 127);
    EXPECT_GE(*top.begin(), 118);
    EXPECT_GT(top.count(127), std::size_t(Draws / 4)) << "the upward half is capped at 127";

    const auto bottom = velocities(0, 10);
    EXPECT_LE(*bottom.rbegin(), 9);
    EXPECT_GE(*bottom.begin(), 0);
    EXPECT_GT(bottom.count(1), std::size_t(0)) << "the downward branch floors at 1";

    const auto middle = velocities(64, 10);
    EXPECT_GE(*middle.begin(), 55);
    EXPECT_LE(*middle.rbegin(), 73);
    EXPECT_GT(std::set<int>(middle.begin(), middle.end()).size(), std::size_t(12))
        << "both directions and many amounts are drawn";
}

TEST(NotePlayer, TheSpreadDrawsDirectionThenAmount)
{
    PlayerRig rig;
    rig.util.SetVelRnd(8);
    std::vector<int> draws = {2, 7, 3, 7, 1, 7, 0, 0};
    std::size_t next = 0;
    std::vector<int> asked;
    rig.util.SetRandom([&](int n) {
        asked.push_back(n);
        return draws[next++ % draws.size()];
    });
    rig.util.SetVelocity(125);
    rig.util.PlayKey(0); // even: up by 7, capped at 127
    rig.util.PlayKey(1); // odd: down by 7
    rig.util.SetVelocity(3);
    rig.util.PlayKey(2); // odd: down by 7, floored at 1
    rig.util.PlayKey(3); // even, 0: as set
    EXPECT_EQ(rig.take(), (Messages{"90 24 7F", "90 25 76", "90 26 01", "90 27 03"}));
    EXPECT_EQ(asked, std::vector<int>(8, 8));
}

TEST(NotePlayer, AReleaseFollowsTheOctaveAndTransposeInForceThen)
{
    PlayerRig rig;
    press(rig.util, key::Z);
    press(rig.util, vk::F4);
    EXPECT_EQ(rig.util.Octave(), 4);
    rig.util.KeyUp(key::Z);
    EXPECT_EQ(rig.take(), (Messages{"90 24 61", "80 30 00"}));

    press(rig.util, key::Z);
    press(rig.util, vk::F8);
    press(rig.util, vk::F8);
    rig.util.KeyUp(key::Z);
    EXPECT_EQ(rig.take(), (Messages{"90 30 61", "80 32 00"}));
    press(rig.util, key::Z);
    EXPECT_EQ(rig.take(), (Messages{"90 32 61"})) << "transpose adds to every note";
}

TEST(NotePlayer, CtrlOrAltAloneSilenceTheKeysOtherModifiersDoNot)
{
    PlayerRig rig;
    press(rig.util, key::Z, Qt::ControlModifier);
    press(rig.util, key::B, Qt::AltModifier);
    press(rig.util, vk::F4, Qt::ControlModifier);
    press(rig.util, vk::Space, Qt::AltModifier);
    rig.util.KeyUp(key::Z);
    rig.util.KeyUp(vk::Space);
    EXPECT_EQ(rig.take(), Messages{});
    EXPECT_EQ(rig.util.Octave(), 3);

    press(rig.util, key::Z, Qt::ShiftModifier);
    press(rig.util, key::B, Qt::ControlModifier | Qt::ShiftModifier);
    press(rig.util, key::Q, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(rig.take(), (Messages{"90 24 61", "90 2B 61"}))
        << "only Ctrl alone or Alt alone keep a key from playing";
}

TEST(NotePlayer, OctaveAndTransposeKeysStopAtTheirBounds)
{
    PlayerRig rig;
    for (int i = 0; i < 12; ++i)
        press(rig.util, vk::F4);
    EXPECT_EQ(rig.util.Octave(), 10);
    for (int i = 0; i < 12; ++i)
        press(rig.util, vk::F3);
    EXPECT_EQ(rig.util.Octave(), 0);
    for (int i = 0; i < 14; ++i)
        press(rig.util, vk::F8);
    EXPECT_EQ(rig.util.Transpose(), 12);
    for (int i = 0; i < 30; ++i)
        rig.util.TransposeDown();
    EXPECT_EQ(rig.util.Transpose(), -12);
    rig.util.OctaveUp();
    EXPECT_EQ(rig.util.Octave(), 1);
    EXPECT_EQ(rig.take(), Messages{}) << "these keys send nothing";
}

TEST(NotePlayer, NotesOutsideTheMidiRangeAreSkippedOnAndOff)
{
    PlayerRig rig;
    rig.util.SetOctave(10);
    press(rig.util, key::B); // 7 + 120 = 127, the top note
    press(rig.util, 'H');    // 8 + 120 = 128
    EXPECT_EQ(rig.take(), (Messages{"90 7F 61"}));
    EXPECT_EQ(rig.util.Note(), "") << "nothing sounded, nothing named";
    rig.util.KeyUp('H');
    rig.util.KeyUp(key::B);
    EXPECT_EQ(rig.take(), (Messages{"80 7F 00"}));

    // A chord reaching past the top sounds the notes that fit.
    rig.util.SetPlaymode(pmMajor);
    press(rig.util, key::Z); // 120, 124, 127, 132
    EXPECT_EQ(rig.take(), (Messages{"90 78 61", "90 7C 61", "90 7F 61"}));
    EXPECT_EQ(rig.util.Note(), "C9 E9 G9 ");
    rig.util.KeyUp(key::Z);
    EXPECT_EQ(rig.take(), (Messages{"80 78 00", "80 7C 00", "80 7F 00"}));

    // The widest reach: the top key, transposed up, a major ninth.
    rig.util.SetPlaymode(pmMajor9th);
    for (int i = 0; i < 12; ++i)
        rig.util.TransposeUp();
    press(rig.util, key::Backslash); // 32 + 120 + 12 = 164 .. 178
    rig.util.KeyUp(key::Backslash);
    EXPECT_EQ(rig.take(), Messages{});

    // And below the bottom: octave 0 transposed down.
    rig.util.SetOctave(0);
    for (int i = 0; i < 24; ++i)
        rig.util.TransposeDown();
    rig.util.SetPlaymode(pm8th);
    press(rig.util, key::Z); // -12 and 0
    EXPECT_EQ(rig.take(), (Messages{"90 00 61"}));
    EXPECT_EQ(rig.util.Note(), "C-1 ") << "the interval's lower note did not sound";
    rig.util.SetPlaymode(pm5th);
    press(rig.util, 'N'); // -3 and 4: named as the notes that sounded
    EXPECT_EQ(rig.take(), (Messages{"90 04 61"}));
    EXPECT_EQ(rig.util.Note(), "E-1 ");
}

TEST(NotePlayer, SpaceIsASustainPedalOnTheCurrentChannel)
{
    PlayerRig rig;
    rig.util.SetChannel(9);
    press(rig.util, vk::Space);
    press(rig.util, vk::Space);
    rig.util.KeyUp(vk::Space);
    rig.util.KeyUp(vk::Space);
    EXPECT_EQ(rig.take(), (Messages{"B9 40 40", "B9 40 00"}));
}

TEST(NotePlayer, ReleasingAllKeysLetsEveryHeldNoteAndThePedalGo)
{
    PlayerRig rig;
    press(rig.util, key::Z);
    press(rig.util, key::Q);
    press(rig.util, vk::Space);
    rig.take();
    rig.util.releaseAllKeys();
    EXPECT_EQ(rig.take(), (Messages{"80 24 00", "80 30 00", "B0 40 00"}));
    rig.util.KeyUp(key::Z);
    rig.util.KeyUp(vk::Space);
    rig.util.releaseAllKeys();
    EXPECT_EQ(rig.take(), Messages{}) << "nothing is held any more";
}

TEST(NotePlayer, SettersKeepValuesWithinTheirMidiRanges)
{
    PlayerRig rig;
    rig.util.SetChannel(16);
    rig.util.SetVelocity(300);
    rig.util.SetOctave(-2);
    rig.util.SetVelRnd(-5);
    EXPECT_EQ(rig.util.Channel(), 15);
    EXPECT_EQ(rig.util.Velocity(), 127);
    EXPECT_EQ(rig.util.Octave(), 0);
    EXPECT_EQ(rig.util.VelRnd(), 0);
    rig.util.SetPlaymode(TPlayMode(40));
    EXPECT_EQ(rig.util.Playmode(), pmNote);
    press(rig.util, key::Z);
    EXPECT_EQ(rig.take(), (Messages{"9F 00 7F"}));
}

TEST(NotePlayer, NamesNotesWithOctaveAndOneBlank)
{
    EXPECT_EQ(TMIDIappUtil::NoteName(60), "C4 ");
    EXPECT_EQ(TMIDIappUtil::NoteName(0), "C-1 ");
    EXPECT_EQ(TMIDIappUtil::NoteName(127), "G9 ");
    EXPECT_EQ(TMIDIappUtil::NoteName(61), "C#4 ");
    EXPECT_EQ(TMIDIappUtil::NoteName(-1), "B-2 ") << "below the range, still a name";
    EXPECT_EQ(TMIDIappUtil::NoteName(178), "A#13 ");
}

TEST(NotePlayer, PlayingOnAClosedPortRaisesThePortsError)
{
    PlayerRig rig;
    rig.output.Close();
    EXPECT_THROW(press(rig.util, key::Z), EmidioutputError);
    TMIDIappUtil alone;
    EXPECT_THROW(alone.KeyDown(key::Z, Qt::NoModifier), EmidioutputError);
    EXPECT_NO_THROW(alone.KeyDown(vk::F4, Qt::NoModifier)) << "octave keys need no port";
}
