// SPDX-License-Identifier: GPL-3.0-or-later
// Breeding variations of a part, over images, without a window.
#include "tools/breed.h"

#include "patch/initialpatch.h"
#include "patch/randomsource.h"

#include <gtest/gtest.h>

#include <set>

using namespace dorvane;

namespace {

constexpr int Part = 2;

// Two groups of tone parameters, one of common ones, and one not flagged.
BreedSetup setup(const ShakeOptions& options)
{
    BreedSetup s;
    s.part = Part;
    s.areas = soundAreas(Part);
    s.parameters = {
        {80, 128, false, true, 0}, {81, 128, false, true, 0}, {60, 4, false, false, 1},
        {90, 128, false, true, 1}, {40, 128, true, true, 2},  {95, 128, false, true, 3, false},
    };
    s.options = options;
    s.waveCount = 640;
    return s;
}

t505temppatch initial()
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    return image;
}

ShakeOptions nonLinear(int amount)
{
    ShakeOptions o;
    o.type = ShakeType::NonLinear;
    o.amount = amount;
    o.waveAmount = amount;
    return o;
}

ShakeOptions linear(int amount)
{
    ShakeOptions o;
    o.linearAmount = amount;
    o.shakeWave = false;
    return o;
}

} // namespace

TEST(Breed, EveryVariationStaysInRangeAndOnlyItsFlaggedParametersMove)
{
    t505temppatch image = initial();
    // Values out of range to start from, as a file made elsewhere may hold.
    image.WriteByte(Part, 1, 60, 127);
    image.WriteByte(Part, 3, 80, 255);
    image.WriteWave(Part, 2, 639);
    const BreedSetup s = setup(nonLinear(MaxShakeAmount));
    RandomSource random;
    random.seed(11);
    const auto children = breedFirstGeneration(image, s, random);
    ASSERT_EQ(children.size(), std::size_t(BreedTiles));
    std::set<int> seen;
    for (const t505temppatch& child : children) {
        for (const SoundParameter& p : s.parameters)
            for (int area : p.common ? std::vector<int>{0} : s.areas) {
                const int v = child.ReadByte(Part, area, p.offset);
                EXPECT_GE(v, 0);
                EXPECT_LT(v, p.valueCount) << p.offset << " of area " << area;
                if (!p.flagged) {
                    EXPECT_EQ(v, image.ReadByte(Part, area, p.offset));
                }
            }
        for (int area : s.areas)
            EXPECT_LT(child.ReadWave(Part, area), s.waveCount);
        seen.insert(child.ReadByte(Part, 2, 81));
        // Every other part is as it was, byte for byte.
        for (int other : {0, 1, 3, RhythmPart})
            for (std::size_t i = 0; i < partBlockSize(other); ++i)
                ASSERT_EQ(child.bytes()[partBlockOffset(other) + i],
                          image.bytes()[partBlockOffset(other) + i]);
    }
    // Eight variations, not eight copies.
    EXPECT_GT(seen.size(), 2u);
}

TEST(Breed, ChildrenTakeEachGroupWholeFromOneFavourite)
{
    // Favourite k holds k+1 in every parameter and 100+k as every wave, so a
    // child's value names the favourite it came from. A linear amount under
    // four leaves the children's small shake no step to take.
    std::vector<t505temppatch> favourites(3, initial());
    const BreedSetup s = setup(linear(3));
    for (int k = 0; k < 3; ++k)
        for (const SoundParameter& p : s.parameters)
            for (int area : p.common ? std::vector<int>{0} : s.areas) {
                favourites[std::size_t(k)].WriteByte(Part, area, p.offset, k + 1);
                favourites[std::size_t(k)].WriteWave(Part, area, 100 + k);
            }
    RandomSource random;
    random.seed(5);
    const auto children = breedNextGeneration(favourites, s, random);
    ASSERT_EQ(children.size(), std::size_t(BreedTiles));
    std::set<int> parentsSeen;
    for (const t505temppatch& child : children)
        for (int group = 0; group <= 3; ++group) {
            std::set<int> values;
            for (const SoundParameter& p : s.parameters)
                if (p.group == group)
                    for (int area : p.common ? std::vector<int>{0} : s.areas)
                        values.insert(child.ReadByte(Part, area, p.offset));
            ASSERT_EQ(values.size(), 1u) << "group " << group << " mixes favourites";
            EXPECT_GE(*values.begin(), 1);
            EXPECT_LE(*values.begin(), 3);
            parentsSeen.insert(*values.begin());
        }
    EXPECT_EQ(parentsSeen.size(), 3u);
    for (const t505temppatch& child : children)
        for (int area : s.areas) {
            const int wave = child.ReadWave(Part, area);
            EXPECT_TRUE(wave >= 100 && wave <= 102) << wave;
        }

    EXPECT_TRUE(breedNextGeneration({}, s, random).empty());
}

TEST(Breed, AFixedSeedGivesTheSameGenerationAndAnotherSeedAnother)
{
    const t505temppatch image = initial();
    const BreedSetup s = setup(nonLinear(5));
    auto generation = [&](std::uint32_t seed) {
        RandomSource random;
        random.seed(seed);
        const auto first = breedFirstGeneration(image, s, random);
        const auto next = breedNextGeneration(std::span(first).first(2), s, random);
        std::vector<Bytes> bytes;
        for (const auto& c : first)
            bytes.push_back(c.bytes());
        for (const auto& c : next)
            bytes.push_back(c.bytes());
        return bytes;
    };
    EXPECT_EQ(generation(42), generation(42));
    EXPECT_NE(generation(42), generation(43));
}
