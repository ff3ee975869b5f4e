// SPDX-License-Identifier: GPL-3.0-or-later
// The parameters the morph and the breed take from the binding table.
#include "editor/soundparameters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace dorvane;

TEST(SoundParameters, EachParameterOnceInsideItsBlockAndNeverTheWaveOrTheName)
{
    struct Case
    {
        int part;
        std::size_t areaSize;
        std::size_t commonSize;
    };
    for (const Case c :
         {Case{0, ToneDataSize, CommonDataSize}, Case{RhythmPart, DrumNoteDataSize, 0}}) {
        SCOPED_TRACE(c.part);
        const auto parameters = soundParameters(c.part);
        ASSERT_GT(parameters.size(), 20u);
        std::set<std::pair<bool, int>> seen;
        for (const SoundParameter& p : parameters) {
            EXPECT_TRUE(seen.insert({p.common, p.offset}).second) << p.offset << " twice";
            EXPECT_GT(p.valueCount, 1);
            EXPECT_LT(std::size_t(p.offset), p.common ? c.commonSize : c.areaSize);
            // The wave moves as a whole, the name not at all.
            if (!p.common) {
                EXPECT_FALSE(p.offset >= 2 && p.offset <= 4) << p.offset;
            } else {
                EXPECT_GE(p.offset, 12) << "the name's bytes";
            }
        }
    }
}

TEST(SoundParameters, LevelsBlendAndSwitchesAndListsDoNot)
{
    EXPECT_TRUE(isContinuous(ValueList::Numbers0To127));
    EXPECT_TRUE(isContinuous(ValueList::NumbersMinus48To48));
    EXPECT_TRUE(isContinuous(ValueList::KeyfollowScale));
    EXPECT_FALSE(isContinuous(ValueList::OffOn));
    EXPECT_FALSE(isContinuous(ValueList::FilterTypes));
    EXPECT_FALSE(isContinuous(ValueList::LfoWaveforms));
    // The shake's flags by default: Cutoff is shaken.
    const auto parameters = soundParameters(0);
    const auto cutoff =
        std::find_if(parameters.begin(), parameters.end(),
                     [](const SoundParameter& p) { return !p.common && p.offset == 81; });
    ASSERT_NE(cutoff, parameters.end());
    EXPECT_TRUE(cutoff->flagged);
    EXPECT_TRUE(cutoff->continuous);
    EXPECT_EQ(cutoff->valueCount, 128);
}
