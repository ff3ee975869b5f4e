// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/columnflowpage.h"

#include <QApplication>
#include <QFrame>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <array>

using dorvane::ColumnFlowPage;

// Six panels 300, 200, 250, 280, 220 and 240 wide in a scroll area, as a
// sheet holds them: three columns take 300 + 220 + 250, two 300 + 280, with
// gaps and margins of 4. In all three a hidden panel keeps its place; wrapped,
// the panels shown close up.
TEST(ColumnFlowPage, WrapsIntoTheColumnsTheRoomHolds)
{
    constexpr int Three = 300 + 220 + 250 + 2 * 4 + 8;
    constexpr int Two = 300 + 280 + 4 + 8;
    struct Case
    {
        int room;
        int hidden; // -1: none
        int columns;
        int secondRow; // the panel that starts the second row
    };
    for (const Case& c :
         {Case{Three, -1, 3, 3}, Case{Three - 1, -1, 2, 2}, Case{Two, -1, 2, 2},
          Case{Two - 1, -1, 1, 1}, Case{Three - 1, 1, 2, 3}, Case{Three - 1, 2, 3, 3}}) {
        SCOPED_TRACE(testing::Message() << c.room << " wide, panel " << c.hidden << " hidden");
        QScrollArea area;
        area.setWidgetResizable(true);
        area.setFrameShape(QFrame::NoFrame);
        auto* page = new ColumnFlowPage(3);
        page->layout()->setContentsMargins(4, 4, 4, 4);
        page->layout()->setSpacing(4);
        std::array<QFrame*, 6> panels{};
        for (std::size_t i = 0; i < panels.size(); ++i) {
            panels[i] = new QFrame;
            panels[i]->setMinimumSize(std::array{300, 200, 250, 280, 220, 240}[i], 150);
            page->addPanel(panels[i]);
        }
        area.setWidget(page);
        area.resize(c.room, 2000);
        area.show();
        if (c.hidden >= 0)
            panels[std::size_t(c.hidden)]->hide();
        for (int i = 0; i < 4; ++i)
            QApplication::processEvents();

        ASSERT_EQ(page->columns(), c.columns);
        EXPECT_EQ(page->widthFor(c.columns), page->layout()->minimumSize().width());
        EXPECT_EQ(area.horizontalScrollBar()->maximum(), 0) << "nothing behind a scroll bar";
        const QRect first = panels[0]->geometry();
        const QRect second = panels[std::size_t(c.secondRow)]->geometry();
        EXPECT_EQ(second.left(), first.left());
        EXPECT_GT(second.top(), first.bottom());
        for (std::size_t i = 1; i < std::size_t(c.secondRow); ++i) {
            if (int(i) != c.hidden) {
                EXPECT_EQ(panels[i]->geometry().top(), first.top()) << "panel " << i;
            }
        }
    }
}
