// SPDX-License-Identifier: GPL-3.0-or-later
#include "quickedit/knobstrips.h"

#include <QImage>

#include <gtest/gtest.h>

#include <vector>

using dorvane::KnobStrips;
using dorvane::PictureStrip;

namespace {

QImage pixels(const QPixmap& p)
{
    return p.toImage().convertToFormat(QImage::Format_ARGB32);
}

// Pixels where green clearly dominates: the lit parts of a frame.
int litPixels(const QPixmap& p)
{
    const QImage img = pixels(p);
    int lit = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            lit += c.green() > 150 && c.red() < 120 && c.blue() < 120;
        }
    return lit;
}

struct Expected
{
    const char* name;
    const PictureStrip& (KnobStrips::*strip)() const;
    int frames;
    QSize size;
};

const std::vector<Expected> expected = {
    {"knob", &KnobStrips::Knob, 30, {30, 30}},
    {"switch", &KnobStrips::Switch, 2, {35, 10}},
    {"filter type", &KnobStrips::FilterType, 5, {124, 43}},
    {"LFO wave", &KnobStrips::LfoWave, 8, {84, 43}},
};

} // namespace

TEST(KnobStrips, FrameCountsAndSizesAtEachPixelRatio)
{
    for (qreal ratio : {1.0, 1.5, 2.0}) {
        const KnobStrips strips(ratio, Qt::white);
        for (const Expected& e : expected) {
            const PictureStrip& strip = (strips.*e.strip)();
            ASSERT_EQ(strip.Count(), e.frames) << e.name;
            EXPECT_EQ(strip.FrameSize(), e.size) << e.name;
            for (int i = 0; i < strip.Count(); ++i) {
                const QPixmap frame = strip.Frame(i);
                EXPECT_EQ(frame.devicePixelRatio(), ratio) << e.name;
                // Drawn at the ratio, not scaled up afterwards.
                EXPECT_EQ(frame.size(), (QSizeF(e.size) * ratio).toSize())
                    << e.name << " " << ratio;
            }
            EXPECT_TRUE(strip.Frame(-1).isNull());
            EXPECT_TRUE(strip.Frame(e.frames).isNull());
        }
    }
}

TEST(KnobStrips, EveryFrameOfAStripLooksDifferent)
{
    const KnobStrips strips(1.0, QColor(230, 230, 230));
    for (const Expected& e : expected) {
        const PictureStrip& strip = (strips.*e.strip)();
        for (int i = 0; i < strip.Count(); ++i)
            for (int j = i + 1; j < strip.Count(); ++j)
                EXPECT_NE(pixels(strip.Frame(i)), pixels(strip.Frame(j)))
                    << e.name << " frames " << i << " and " << j;
    }
}

TEST(KnobStrips, TheKnobsLitArcGrowsWithThePosition)
{
    const KnobStrips strips(2.0, QColor(230, 230, 230));
    int previous = -1;
    for (int i = 0; i < strips.Knob().Count(); ++i) {
        const int lit = litPixels(strips.Knob().Frame(i));
        EXPECT_GT(lit, previous) << "frame " << i;
        previous = lit;
    }
    EXPECT_GT(litPixels(strips.Switch().Frame(1)), litPixels(strips.Switch().Frame(0)));
    // The filter's off frame is unlit, every real filter lit.
    EXPECT_EQ(litPixels(strips.FilterType().Frame(0)), 0);
    for (int i = 1; i < strips.FilterType().Count(); ++i)
        EXPECT_GT(litPixels(strips.FilterType().Frame(i)), 100) << i;
}

TEST(KnobStrips, FramesAreOpaqueOnTheWindowColour)
{
    const QColor background(12, 34, 56);
    const KnobStrips strips(1.0, background);
    for (const Expected& e : expected) {
        const QImage img = pixels((strips.*e.strip)().Frame(0));
        EXPECT_EQ(img.pixelColor(0, 0), background) << e.name;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                ASSERT_EQ(img.pixelColor(x, y).alpha(), 255) << e.name;
    }
}
