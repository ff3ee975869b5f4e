// SPDX-License-Identifier: GPL-3.0-or-later
// "Sounds like this" on parts made by hand, whose distances are worked out
// here from the rule: each value scaled by its range, a wave by group and
// number, a tone heard in one part only as far as a whole tone, and what a
// switch turns off not compared.
#include "library/soundlikeness.h"

#include "support/knownimage.h"

#include <gtest/gtest.h>

using namespace dorvane;

namespace {

// Offsets in a tone's data, as the instrument lays them out.
constexpr int ToneSwitch = 0;
constexpr int WaveGroup = 1;
constexpr int WaveNumber2 = 4;
constexpr int FxmSwitch = 6;
constexpr int FxmDepth = 8;
constexpr int Cutoff = 81;
constexpr int ToneLevel = 101;

// Weights as the rule gives them: a value 1, the FMX switch 1 + the two it
// turns on, a wave 2; a tone is the sum of its own (34 values: 33 + 3, and
// its wave), the common 7 values with the portamento switch counting 2.
constexpr double ToneWeight = 33 + 3 + 2;
constexpr double Total = 4 * ToneWeight + 8;

struct Part
{
    Bytes image = test::knownImage(1);
    Part()
    {
        for (int tone = 1; tone <= ToneCount; ++tone) {
            set(tone, ToneSwitch, 1);
            set(tone, FxmSwitch, 0);
            set(tone, Cutoff, 0);
        }
    }
    Part& set(int area, int offset, std::uint8_t value)
    {
        image[*bytePosition(0, area, offset)] = value;
        return *this;
    }
    QByteArray features() const
    {
        return soundFeatures(ByteView(image).first(PartBlockSize), false);
    }
};

} // namespace

TEST(SoundsLikeThis, DistancesOfHandMadePartsAndTheirOrder)
{
    const Part original;
    struct Case
    {
        const char* what;
        Part part;
        double distance;
    };
    const Case cases[] = {
        {"a copy", Part(), 0},
        {"cutoff of tone 1 swept all the way", Part().set(1, Cutoff, 127), 100 / Total},
        {"cutoff of tone 2 half way", Part().set(2, Cutoff, 64),
         100 * (64 * 255 / 127) / 255.0 / Total},
        {"a wave of the same group",
         Part().set(3, WaveNumber2, original.image[*bytePosition(0, 3, WaveNumber2)] ^ 1),
         100 * 1 / Total},
        {"a wave of another group",
         Part().set(3, WaveGroup, original.image[*bytePosition(0, 3, WaveGroup)] ^ 1),
         100 * 2 / Total},
        {"FMX depth while FMX is off", Part().set(4, FxmDepth, 15), 0},
        {"FMX on", Part().set(4, FxmSwitch, 1), 100 * 3 / Total},
        {"tone 2 off", Part().set(2, ToneSwitch, 0), 100 * ToneWeight / Total},
        {"tone 2 off and its level changed", Part().set(2, ToneSwitch, 0).set(2, ToneLevel, 3),
         100 * ToneWeight / Total},
    };
    SoundTable table;
    qint64 id = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NEAR(soundDistance(original.features(), c.part.features()), c.distance, 1e-9);
        EXPECT_NEAR(soundDistance(c.part.features(), original.features()), c.distance, 1e-9);
        table.add(++id, c.part.features());
    }
    // The order "sounds like this" lists them in, the original itself left out.
    table.add(++id, original.features());
    const auto near = table.nearest(original.features(), 5, id);
    std::vector<qint64> order;
    for (const NearSound& n : near)
        order.push_back(n.partId);
    // A copy and the switched-off FMX's depth tie at 0, the half sweep, then
    // a full sweep and another wave number at the same distance, by id.
    EXPECT_EQ(order, (std::vector<qint64>{1, 6, 3, 2, 4}));
    EXPECT_NEAR(near[3].distance, 100 / Total, 1e-9);

    // Everything as far as it goes: 100.
    Part far;
    for (int tone = 1; tone <= ToneCount; ++tone)
        far.set(tone, ToneSwitch, 0);
    Part all = Part();
    EXPECT_NEAR(soundDistance(all.features(), far.features()), 100 * 4 * ToneWeight / Total, 1e-9);
    // Kits and foreign lengths are not compared.
    EXPECT_TRUE(
        soundFeatures(ByteView(original.image).subspan(RhythmBlockOffset, RhythmBlockSize), true)
            .isEmpty());
    EXPECT_EQ(soundDistance(original.features(), QByteArray("short")), -1);
}
