// SPDX-License-Identifier: GPL-3.0-or-later
// The control-change look-up's lines, on images built here.
#include "patch/initialpatch.h"
#include "patch/t505temppatch.h"
#include "tools/cclookup.h"

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

TEST(CcLookUp, CentredParametersReadSixtyFourAtTheirCentre)
{
    t505temppatch image = initial();
    image.WriteByte(2, 2, 61, 48); // Coarse Tune 0
    image.WriteByte(2, 2, 62, 50); // Fine Tune 0
    image.WriteByte(2, 2, 81, 90);
    image.WriteByte(2, 0, 57, 20); // Portamento Time
    const QStringList tone2 = ccLookUpLines(image, 2, 2);
    ASSERT_EQ(tone2.size(), 30);
    EXPECT_EQ(tone2[0], "#21 course tune = 64");
    EXPECT_EQ(tone2[1], "#77 fine tune = 64");
    EXPECT_EQ(tone2[3], "#74 filter cutoff = 90");
    EXPECT_EQ(tone2[27], "#5 portamento time = 20");
    EXPECT_EQ(tone2[28], "#65 portamento switch = 0");
    EXPECT_EQ(tone2[29], "#127 poly mode = 0");

    // Another tone changes the tone rows only.
    image.WriteByte(2, 1, 81, 10);
    const QStringList tone1 = ccLookUpLines(image, 2, 1);
    EXPECT_EQ(tone1[3], "#74 filter cutoff = 10");
    EXPECT_EQ(tone1.mid(27), tone2.mid(27));

    image.WriteByte(2, 0, CcPortamentoSwitchOffset, 1);
    image.WriteByte(2, 0, CcKeyAssignModeOffset, 1);
    const QStringList mono = ccLookUpLines(image, 2, 1);
    EXPECT_EQ(mono[28], "#65 portamento switch = 127");
    EXPECT_EQ(mono[29], "#126 mono mode = 1");
}
