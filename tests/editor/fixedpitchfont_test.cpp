// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/fixedpitchfont.h"

#include <QFontInfo>
#include <gtest/gtest.h>

using namespace dorvane;

TEST(FixedPitchFont, TellsAProportionalFaceFromAMonospacedOne)
{
    EXPECT_FALSE(hasFixedAdvance(QFont("sans-serif")));
    EXPECT_TRUE(hasFixedAdvance(QFont("monospace")));
}

// A family asked for by name may resolve to a proportional face (or to a
// monospaced one that fontconfig does not mark as such): the choice goes by what
// the columns will look like.
TEST(FixedPitchFont, APreferredFamilyIsKeptOnlyWhenItsColumnsLineUp)
{
    QFont base;
    base.setPointSize(13);
    for (const QString family : {"sans-serif", "Courier New", "monospace", "no such family"}) {
        const QFont font = fixedPitchFont(base, {family});
        EXPECT_TRUE(hasFixedAdvance(font))
            << family.toStdString() << " gave " << QFontInfo(font).family().toStdString();
        EXPECT_EQ(QFontInfo(font).pointSize(), 13) << family.toStdString();
    }
    EXPECT_EQ(QFontInfo(fixedPitchFont(base, {"sans-serif"})).family(),
              QFontInfo(fixedPitchFont(base)).family())
        << "a proportional face is passed over";
}
