// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/librarypanel.h"
#include "library/library.h"

#include "support/libraryfiles.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QLabel>
#include <QProgressBar>

#include <gtest/gtest.h>

using namespace dorvane;

namespace {

struct BarSeen
{
    int minimum = -1;
    int maximum = -1;
    int value = -1;
    bool shown = false;
    QString text;
};

} // namespace

TEST(LibraryDockProgress, CountsThenFillsToTheLastFileThenGoes)
{
    test::TempDir dir;
    constexpr int Files = 300;
    for (int i = 0; i < Files; ++i)
        test::put(dir.path() / "patches" / std::to_string(i % 7) / (std::to_string(i) + ".syx"),
                  test::partFile(1 + i % 3, i % 7, i % 7));
    test::ScriptedDialogs dialogs;
    dialogs.folders.push_back(QString::fromStdString((dir.path() / "patches").string()));
    LibraryPanel panel(dialogs);
    Library library(QString::fromStdString((dir.path() / "library.sqlite").string()));
    panel.setLibrary(&library);
    auto* bar = panel.findChild<QProgressBar*>("LibraryProgress");
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isHidden()) << "no scan, no bar";

    // Connected after the panel: each sees the bar as the panel left it.
    std::vector<BarSeen> seen;
    auto look = [&] {
        seen.push_back(
            {bar->minimum(), bar->maximum(), bar->value(), !bar->isHidden(), bar->format()});
    };
    QObject::connect(&library, &Library::scanCounting, look);
    QObject::connect(&library, &Library::scanProgress, look);
    bool goneAtTheEnd = false;
    QObject::connect(&library, &Library::scanFinished, [&] { goneAtTheEnd = bar->isHidden(); });

    panel.action("LibraryAddFolder")->trigger();
    look(); // as the musician sees it when the folder is chosen
    library.waitForScan();

    ASSERT_GE(seen.size(), 2u);
    const BarSeen& first = seen.front();
    EXPECT_TRUE(first.shown);
    EXPECT_EQ(first.maximum, 0) << "counting: no end known, the bar moves to and fro";
    EXPECT_EQ(first.text, "Counting files... 0 found");
    const BarSeen& last = seen.back();
    EXPECT_TRUE(last.shown);
    EXPECT_EQ(last.minimum, 0);
    EXPECT_EQ(last.maximum, Files);
    EXPECT_EQ(last.value, Files);
    EXPECT_EQ(last.text, QString("Reading %1 of %1 files...").arg(Files));
    for (std::size_t i = 1; i < seen.size(); ++i) {
        const bool bothFilling = seen[i].maximum > 0 && seen[i - 1].maximum > 0;
        EXPECT_TRUE(!bothFilling || seen[i].value >= seen[i - 1].value)
            << "the bar never goes back";
    }
    EXPECT_TRUE(goneAtTheEnd);
    EXPECT_FALSE(panel.findChild<QLabel*>("LibraryStatus")->text().contains("Reading"))
        << "the bar says it, the status line does not say it again";

    // A rescan nobody asked for, over files that have not changed, ends at
    // once: no bar flashes.
    seen.clear();
    library.rescan();
    library.waitForScan();
    for (const BarSeen& s : seen)
        EXPECT_FALSE(s.shown);
    EXPECT_TRUE(bar->isHidden());
}
