// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/interfacepalette.h"
#include "editor/interfacestyle.h"

#include <QGroupBox>
#include <QImage>

#include <gtest/gtest.h>

using namespace dorvane;

// The program draws the group boxes' frames itself: a panel's frame must
// still stand out from the window, in both schemes, and stay clear of the
// panel's inside and of its title.
TEST(InterfaceStyle, GroupBoxFramesShowInBothSchemes)
{
    InterfaceStyle style;
    if (style.baseStyle()->name().compare("fusion", Qt::CaseInsensitive) != 0)
        GTEST_SKIP() << "the style draws its own frames only over Fusion";
    for (const ColourScheme scheme : {ColourScheme::Light, ColourScheme::Dark}) {
        SCOPED_TRACE(scheme == ColourScheme::Light ? "light" : "dark");
        const QPalette palette = interfacePalette(scheme);
        QGroupBox box("Wave");
        box.setStyle(&style);
        box.setPalette(palette);
        box.resize(200, 120);
        QImage image(box.size(), QImage::Format_RGB32);
        image.fill(palette.color(QPalette::Window));
        box.render(&image);
        const QColor window = palette.color(QPalette::Window);
        // Each edge, halfway along, and a point well inside.
        for (const QPoint at : {QPoint(0, 80), QPoint(199, 80), QPoint(100, 119)}) {
            const QColor edge = image.pixelColor(at);
            EXPECT_GE(contrastRatio(edge, window), 1.2) << edge.name().toStdString();
        }
        // Rounded: the very corner is fainter than the edges that meet there.
        EXPECT_LT(contrastRatio(image.pixelColor(199, 119), window),
                  contrastRatio(image.pixelColor(199, 80), window));
        const QColor inside = image.pixelColor(100, 100);
        EXPECT_LT(contrastRatio(inside, window), 1.1) << inside.name().toStdString();
        // The box's top edge lies under its title, not through it.
        const int titleBottom = box.fontMetrics().height();
        EXPECT_LT(contrastRatio(image.pixelColor(100, titleBottom / 2), window), 1.1);
    }
}
