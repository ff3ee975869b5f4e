// SPDX-License-Identifier: GPL-3.0-or-later
// The shake's draws and writes, over an image, without a window.
#include "tools/shake.h"

#include "patch/initialpatch.h"
#include "patch/randomsource.h"
#include "patch/t505temppatch.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

using namespace dorvane;

namespace {

constexpr std::array<bool, ToneCount> AllTones{true, true, true, true};

struct ShakeRig
{
    t505temppatch image;
    RandomSource random;

    ShakeRig()
    {
        image.LoadFromBytes(initialImage());
        random.seed(7);
    }

    // One control, shaken once; the position it ends on.
    int shakeOne(const ShakeOptions& options, int valueCount, int position, int ctrlNo = 81)
    {
        const ShakeControl c{ctrlNo, valueCount, position, false, true};
        return shakePart(image, 1, AllTones, {&c, 1}, options, {}, random).positions.at(0);
    }
};

ShakeOptions nonLinear(int amount)
{
    ShakeOptions o;
    o.type = ShakeType::NonLinear;
    o.amount = amount;
    o.shakeWave = false;
    return o;
}

} // namespace

TEST(Shake, LinearAmountZeroStillCopiesTheShownValueIntoEveryCheckedTone)
{
    ShakeRig rig;
    for (int t = 1; t <= ToneCount; ++t)
        rig.image.WriteByte(1, t, 81, 10 * t);
    rig.image.WriteByte(1, 0, 48, 5);
    const int toneAt48 = rig.image.ReadByte(1, 1, 48);
    ShakeOptions options;
    options.linearAmount = 0;
    options.shakeWave = false;
    const ShakeControl controls[] = {
        {81, 128, 30, false, true}, // shown: tone 3's value
        {83, 128, 99, false, false},
        {48, 128, 77, true, true},
    };
    const auto r =
        shakePart(rig.image, 1, {true, false, true, true}, controls, options, {}, rig.random);
    EXPECT_EQ(r.positions, (std::vector<int>{30, 99, 77}));
    EXPECT_EQ(rig.image.ReadByte(1, 1, 81), 30);
    EXPECT_EQ(rig.image.ReadByte(1, 2, 81), 20) << "an unchecked tone keeps its value";
    EXPECT_EQ(rig.image.ReadByte(1, 4, 81), 30);
    EXPECT_NE(rig.image.ReadByte(1, 1, 83), 99) << "an unflagged control writes nothing";
    EXPECT_EQ(rig.image.ReadByte(1, 0, 48), 77) << "a common control writes the common block";
    EXPECT_EQ(rig.image.ReadByte(1, 1, 48), toneAt48);
    EXPECT_EQ(rig.image.ReadByte(0, 1, 81), 127) << "other parts are left alone";
}

TEST(Shake, NonLinearStepsFollowTheRangeOfTheControl)
{
    ShakeRig rig;
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(rig.shakeOne(nonLinear(9), 3, 1), 1) << "three values never move";

    // A switch moves when the coin says step and the direction points into
    // the range: one time in four from either end.
    int moved = 0;
    for (int i = 0; i < 8000; ++i)
        moved += rig.shakeOne(nonLinear(0), 2, 0);
    EXPECT_GT(moved, 8000 / 4 - 200);
    EXPECT_LT(moved, 8000 / 4 + 200);

    // 128 values, A = 3: the step is Random(4445) div 100 div 2, so 0..22.
    int widest = 0;
    for (int i = 0; i < 4000; ++i)
        widest = std::max(widest, std::abs(rig.shakeOne(nonLinear(3), 128, 64) - 64));
    EXPECT_EQ(widest, 22);
}

TEST(Shake, BothEndsOfTheRangeHold)
{
    ShakeRig rig;
    ShakeOptions linear;
    linear.linearAmount = 48;
    linear.shakeWave = false;
    bool stayedTop = false, stayedBottom = false;
    for (int i = 0; i < 500; ++i) {
        const int top = rig.shakeOne(linear, 16, 15);
        const int bottom = rig.shakeOne(linear, 16, 0);
        ASSERT_LE(top, 15);
        ASSERT_GE(bottom, 0);
        stayedTop |= top == 15;
        stayedBottom |= bottom == 0;
        ASSERT_EQ(rig.image.ReadByte(1, 4, 81), bottom);
    }
    EXPECT_TRUE(stayedTop && stayedBottom);
}

TEST(Shake, TheWaveStopsAtTheEndsOfTheList)
{
    ShakeRig rig;
    const int untouched = rig.image.ReadWave(2, 1);
    ShakeOptions options;
    options.linearAmount = 48;
    std::set<int> seen;
    for (int i = 0; i < 300; ++i) {
        const auto r = shakePart(rig.image, 2, {false, true, false, false}, {}, options,
                                 {i % 2 ? 2 : 637, 640}, rig.random);
        ASSERT_TRUE(r.wave);
        ASSERT_GE(*r.wave, 0);
        ASSERT_LE(*r.wave, 639);
        ASSERT_EQ(rig.image.ReadWave(2, 2), *r.wave);
        seen.insert(*r.wave);
    }
    EXPECT_TRUE(seen.count(0) && seen.count(639));
    EXPECT_EQ(rig.image.ReadWave(2, 1), untouched);

    // Non-linear: ((W - 1) * (10B + 5)) div 100; with no wave list, nothing to write.
    EXPECT_EQ(waveStepLimit({ShakeType::NonLinear, 12, 3, 3, true}, 640), 223);
    EXPECT_EQ(waveStepLimit({ShakeType::Linear, 12, 3, 3, true}, 640), 12);
    const Bytes before = rig.image.bytes();
    EXPECT_FALSE(shakePart(rig.image, 2, AllTones, {}, options, {-1, 0}, rig.random).wave);
    EXPECT_EQ(rig.image.bytes(), before);
}

TEST(Shake, AmountsBeyondTheirControlsAreTakenAtTheirEnds)
{
    // The amounts come from settings a hand may have edited: a huge one
    // overflowed the step's arithmetic, a negative one asked for a negative draw.
    const struct
    {
        ShakeType type;
        int given;
        int taken;
    } cases[] = {
        {ShakeType::Linear, INT_MAX, MaxLinearShakeAmount},
        {ShakeType::Linear, -3, 0},
        {ShakeType::NonLinear, INT_MAX, MaxShakeAmount},
        {ShakeType::NonLinear, 1000, MaxShakeAmount},
        {ShakeType::NonLinear, INT_MIN, 0},
    };
    for (const auto& c : cases) {
        ShakeOptions given;
        given.type = c.type;
        given.linearAmount = given.amount = given.waveAmount = c.given;
        ShakeOptions taken = given;
        taken.linearAmount = taken.amount = taken.waveAmount = c.taken;
        EXPECT_EQ(waveStepLimit(given, 1200), waveStepLimit(taken, 1200)) << c.given;
        for (int seed = 0; seed < 20; ++seed) {
            RandomSource a;
            RandomSource b;
            a.seed(std::uint32_t(seed));
            b.seed(std::uint32_t(seed));
            EXPECT_EQ(shakeStep(given, 128, a), shakeStep(taken, 128, b)) << c.given;
        }
    }
}
