// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/columnflowpage.h"
#include "editor/librarypanel.h"
#include "windowrig.h"

#include <QAction>
#include <QGroupBox>
#include <QScrollArea>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace dorvane;
using namespace dorvane::test;

namespace {

// Whether every sheet shows its whole width, and every panel of the Tone
// sheet lies inside what is shown. Measured, not counted in pixels, so the
// test holds over any font.
void expectSheetsWhole(MainWindow& w, const char* where)
{
    for (Sheet s : {Sheet::Tone, Sheet::Common, Sheet::Setup}) {
        w.sheets().showSheet(s);
        QApplication::processEvents();
        const auto* area = qobject_cast<QScrollArea*>(w.sheets().sheet(s));
        ASSERT_NE(area, nullptr);
        ASSERT_NE(area->widget(), nullptr);
        // Shown for the first time, a sheet the dock would squeeze sends the
        // library to a tab; the window then lays itself out again.
        waitUntil([&] { return area->horizontalScrollBar()->maximum() == 0; }, 1000);
        EXPECT_FALSE(area->horizontalScrollBar()->isVisible())
            << where << ": sheet " << int(s) << " needs a horizontal scroll bar";
        EXPECT_LE(area->widget()->minimumSizeHint().width(), area->viewport()->width()) << where;
        if (s != Sheet::Tone)
            continue;
        const QRect shown = area->viewport()->rect();
        int panels = 0;
        for (const QGroupBox* box : area->widget()->findChildren<QGroupBox*>()) {
            if (!box->isVisibleTo(area->widget()) || box->parentWidget() != area->widget())
                continue;
            ++panels;
            const QRect at(box->mapTo(area->viewport(), QPoint(0, 0)), box->size());
            EXPECT_TRUE(shown.contains(at.topRight()))
                << where << ": " << box->title().toStdString() << " is cut off on the right";
        }
        EXPECT_GE(panels, 6) << "Wave, LFO 1, LFO 2, Pitch, Filter, Amp";
    }
}

} // namespace

// On a laptop's screen the library must not narrow the sheets behind a scroll
// bar (it takes a tab of the sheet area where it would); where there is room it
// stays docked beside them. Whether it needs the tab at 1366 depends on the
// fonts; that the sheets stay whole with the library open does not.
TEST(MainWindowLook, TheLibraryLeavesEverySheetWholeOnASmallScreenAndDocksOnAWideOne)
{
    struct Case
    {
        QSize size;
        bool mustDock;
    };
    for (const Case& c : {Case{{1366, 740}, false}, Case{{3200, 900}, true}}) {
        WindowRig rig;
        // An index of its own, so the dock shows its columns as in use.
        rig.libraryFile = QString::fromStdString(rig.file("library.sqlite"));
        MainWindow& w = rig.open();
        w.resize(c.size);
        QApplication::processEvents();
        w.frame().action("ViewLibrary")->trigger();
        LibraryPanel* library = w.library().libraryPanel();
        const std::string where = std::to_string(c.size.width()) + " wide";
        ASSERT_TRUE(waitUntil([&] { return library->isVisible(); })) << where;
        // Docked first, it moves to a tab once the window has given it its
        // room, if that room squeezes a sheet; where it does not, it stays.
        waitUntil([&] { return w.sheets().pages()->count() == 4; }, 1000);
        QAction* view = w.frame().action("ViewLibrary");
        EXPECT_TRUE(!c.mustDock || w.sheets().pages()->count() == 3)
            << where << ": a tab, not docked";
        expectSheetsWhole(w, where.c_str());
        EXPECT_TRUE(library->isVisible() || w.sheets().pages()->count() == 4)
            << where << ": the library is still open";
        if (w.sheets().pages()->count() == 4) {
            // Asked for while a sheet is in front, it comes forward.
            if (!view->isChecked())
                view->trigger();
            EXPECT_TRUE(library->isVisible()) << where;
        }
        // Closed, it is gone from the sheet area and opens again as it did.
        view->trigger();
        EXPECT_EQ(w.sheets().pages()->count(), 3) << where;
        EXPECT_FALSE(library->isVisible()) << where;
        view->trigger();
        ASSERT_TRUE(waitUntil([&] { return library->isVisible(); })) << where;
        rig.closeWindow();
    }
}

// Where the library takes a tab of the sheet area, a restart shows in front
// what was in front at the exit: the library, or the sheet.
TEST(MainWindowLook, TheLibraryTabComesBackInFrontOnlyIfItWasLeftThere)
{
    for (const bool libraryInFront : {true, false}) {
        SCOPED_TRACE(libraryInFront ? "library in front" : "sheet in front");
        WindowRig rig;
        rig.libraryFile = QString::fromStdString(rig.file("library.sqlite"));
        MainWindow& w = rig.openPlaying();
        w.resize(3200, 900);
        QApplication::processEvents();
        w.frame().action("ViewLibrary")->trigger();
        LibraryPanel* library = w.library().libraryPanel();
        ASSERT_TRUE(waitUntil([&] { return library->isVisible(); }));
        QTabWidget* pages = w.sheets().pages();
        ASSERT_EQ(pages->count(), 3) << "docked on a wide window";
        // Narrowed until the dock is what squeezes the sheet in front: half
        // the dock's width too narrow, whatever the fonts.
        const auto* area = qobject_cast<QScrollArea*>(pages->currentWidget());
        ASSERT_NE(area, nullptr);
        const int over = area->widget()->minimumSizeHint().width() - area->width();
        ASSERT_LT(over, 0);
        w.resize(w.width() + over - library->width() / 2, w.height());
        ASSERT_TRUE(waitUntil([&] { return pages->count() == 4; })) << "a tab, not docked";
        pages->setCurrentIndex(libraryInFront ? 3 : 0);
        EXPECT_EQ(library->isVisible(), libraryInFront);
        rig.closeWindow();

        MainWindow& again = rig.openPlaying();
        LibraryPanel* reopened = again.library().libraryPanel();
        ASSERT_TRUE(waitUntil([&] { return again.sheets().pages()->count() == 4; }))
            << "the same width gives it the same tab";
        QApplication::processEvents();
        EXPECT_EQ(reopened->isVisible(), libraryInFront);
        EXPECT_EQ(again.sheets().pages()->currentIndex() == 3, libraryInFront);
        rig.closeWindow();
    }
}

// Where the Tone sheet's three columns do not fit (a larger desktop font on a
// laptop's screen), its panels wrap into two rather than leave Amp and LFO 2
// behind a horizontal scroll bar. The room is measured from the sheet itself,
// so over any font.
TEST(MainWindowLook, TheToneSheetWrapsItsPanelsRatherThanScrollSideways)
{
    WindowRig rig;
    MainWindow& w = rig.open();
    w.sheets().showSheet(Sheet::Tone);
    QApplication::processEvents();
    auto* area = qobject_cast<QScrollArea*>(w.sheets().sheet(Sheet::Tone));
    ASSERT_NE(area, nullptr);
    auto* page = qobject_cast<ColumnFlowPage*>(area->widget());
    ASSERT_NE(page, nullptr);
    // 60 px short of three columns (the vertical scroll bar that two bring
    // may take some more).
    const int room = page->widthFor(3) - 60;
    for (int i = 0; i < 3 && area->viewport()->width() != room; ++i) {
        w.resize(w.width() + room - area->viewport()->width(), 900);
        for (int j = 0; j < 4; ++j)
            QApplication::processEvents();
    }
    ASSERT_LT(area->viewport()->width(), page->widthFor(3));
    ASSERT_GE(area->viewport()->width(), page->widthFor(2));
    EXPECT_EQ(page->columns(), 2);
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0);
    const QWidget* amp = w.sheets().panel("amppanel");
    EXPECT_EQ(amp->y(), w.sheets().panel("filterpanel")->y());
    EXPECT_GT(w.sheets().panel("lfo2box")->y(), w.sheets().panel("lfo1box")->y());
    EXPECT_LE(amp->geometry().right(), area->viewport()->width());
    rig.closeWindow();
}
