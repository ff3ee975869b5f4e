// SPDX-License-Identifier: GPL-3.0-or-later
#include "quickedit/statuspanels.h"

#include <QApplication>

#include <gtest/gtest.h>

using dorvane::StatusPanels;

// The panels' widths are measured once, not at every edit: a font chosen
// later must still make them wide enough for their texts.
TEST(StatusPanels, ABiggerFontWidensThePanels)
{
    StatusPanels panels;
    panels.setWidthFor(1, "AutoSaved to a long file name");
    panels.setWidthFor(2, "Press F9 to switch back to main editor");
    const QSize before = panels.sizeHint();
    QFont big = panels.font();
    big.setPointSize(big.pointSize() * 2);
    panels.setFont(big);
    const QSize after = panels.sizeHint();
    EXPECT_GT(after.width(), before.width() + 150);
    EXPECT_GT(after.height(), before.height());
    EXPECT_EQ(after.width() - 200 - 2 * 4 - 2 * 8,
              QFontMetrics(big).horizontalAdvance("AutoSaved to a long file name") +
                  QFontMetrics(big).horizontalAdvance("Press F9 to switch back to main editor"));
}
