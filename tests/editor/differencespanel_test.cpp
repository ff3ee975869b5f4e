// SPDX-License-Identifier: GPL-3.0-or-later
// Differences said in the sheets' own words, and the panel that lists them.
#include "editor/differencespanel.h"
#include "editor/parameterwords.h"
#include "patch/initialpatch.h"
#include "patch/t505temppatch.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>

#include <functional>

namespace dorvane {
namespace {

t505temppatch initial()
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    return image;
}

// A wave list as the window loads one, blanks in front.
QStringList waveList()
{
    QStringList names;
    for (int i = 0; i < 400; ++i)
        names << QString("  Wave %1").arg(i);
    return names;
}

TEST(Differences, SaidAsTheSheetsSayThem)
{
    struct Case
    {
        const char* what;
        std::function<void(t505temppatch& mine, t505temppatch& theirs)> edit;
        std::string sentence;
    };
    const Case cases[] = {
        {"a number",
         [](auto& m, auto& t) { m.WriteByte(2, 2, 81, 107), t.WriteByte(2, 2, 81, 64); },
         "Part 3, Tone 2, Cutoff Frequency: 107 here, 64 on the instrument"},
        {"a common control", [](auto& m, auto&) { m.WriteByte(3, 0, 51, 1); },
         "Part 4, Common, Key Assign Mode: mono here, poly on the instrument"},
        // On part R a control shows the drum note's own parameter on its own scale.
        {"a drum note", [](auto& m, auto&) { m.WriteByte(RhythmPart, 3, 12, 40); },
         "Part R, D2, Source Key: E2 here, D2 on the instrument"},
        // No control on the sheets: the instrument's name and the raw numbers.
        {"no control", [](auto& m, auto&) { m.WriteByte(0, 0, 12, 5); },
         "Part 1, Common, EFX Type: 5 here, 0 on the instrument"},
        // Off the control's scale: still its name, and the number itself
        // beside the other side's label.
        {"off the scale", [](auto& m, auto&) { m.WriteByte(0, 1, 80, 9); },
         "Part 1, Tone 1, Filter Type: 9 here, LP on the instrument"},
        {"a wave", [](auto& m, auto& t) { m.WriteWave(1, 1, 300), t.WriteWave(1, 1, 600); },
         "Part 2, Tone 1, Wave: Wave 300 here, wave 600 on the instrument"},
    };
    const BindingWords words(waveList());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t505temppatch mine = initial();
        t505temppatch theirs = initial();
        c.edit(mine, theirs);
        const auto list = imageDifferences(mine.bytes(), theirs.bytes(), &words);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(differenceSentence(list[0]), c.sentence);
    }
}

std::vector<ImageDifference> someDifferences()
{
    t505temppatch mine = initial();
    mine.WriteByte(2, 2, 81, 107);
    mine.WriteByte(2, 0, 51, 1);
    mine.WriteByte(RhythmPart, 0, 41, 9);
    mine.WriteByte(6, 4, 119, 0); // -64 on the sheet: below the others, not "after 9"
    return imageDifferences(mine.bytes(), initialImage(), &BindingWords::instance());
}

using Texts = std::vector<std::string>;

Texts column(const QTableWidget* table, int c)
{
    Texts texts;
    for (int r = 0; r < table->rowCount(); ++r)
        texts.push_back(table->item(r, c)->text().toStdString());
    return texts;
}

TEST(DifferencesPanel, ListsSortsAndNamesTheRowsItShows)
{
    DifferencesPanel panel;
    panel.setDifferences(someDifferences());
    const QTableWidget* table = panel.table();
    EXPECT_EQ(column(table, DifferencesPanel::WhereColumn),
              Texts({"Common", "Tone 2", "Tone 4", "B1"}));

    struct Sort
    {
        int column;
        Qt::SortOrder order;
        Texts texts;
    };
    const Sort sorts[] = {
        {DifferencesPanel::HereColumn, Qt::AscendingOrder, {"-64", "mono", "9", "107"}},
        {DifferencesPanel::ParameterColumn,
         Qt::AscendingOrder,
         {"Cutoff Frequency", "Key Assign Mode", "Tone Level", "Tone Pan"}},
        {DifferencesPanel::PartColumn, Qt::DescendingOrder, {"R", "7", "3", "3"}},
    };
    for (const Sort& s : sorts) {
        panel.table()->sortByColumn(s.column, s.order);
        EXPECT_EQ(column(table, s.column), s.texts);
        // Each row still knows the difference it shows.
        for (int r = 0; r < table->rowCount(); ++r)
            EXPECT_EQ(QString::fromStdString(panel.differenceAtRow(r)->name),
                      table->item(r, DifferencesPanel::ParameterColumn)->text());
    }
    EXPECT_EQ(panel.differenceAtRow(4), nullptr);
    // A list given again keeps the order the musician chose.
    panel.setDifferences(someDifferences());
    EXPECT_EQ(column(table, DifferencesPanel::PartColumn), Texts({"R", "7", "3", "3"}));
}

TEST(DifferencesPanel, EachPartThatDiffersHasItsTwoButtons)
{
    DifferencesPanel panel;
    QSignalSpy theirs(&panel, &DifferencesPanel::takeTheirs);
    QSignalSpy mine(&panel, &DifferencesPanel::keepMine);
    panel.setDifferences(someDifferences());
    EXPECT_EQ(panel.takeTheirsButton(0), nullptr);
    for (int part : {2, 6, RhythmPart}) {
        ASSERT_TRUE(panel.takeTheirsButton(part) && panel.keepMineButton(part));
        EXPECT_EQ(panel.takeTheirsButton(part)->text(), "take theirs");
        EXPECT_EQ(panel.keepMineButton(part)->text(), "keep mine");
        panel.takeTheirsButton(part)->click();
        panel.keepMineButton(part)->click();
    }
    ASSERT_EQ(theirs.size(), 3);
    EXPECT_EQ(theirs[2][0].toInt(), RhythmPart);
    ASSERT_EQ(mine.size(), 3);
    EXPECT_EQ(mine[0][0].toInt(), 2);

    // A new list replaces the old one, buttons and all.
    EXPECT_TRUE(panel.findChild<QLabel*>("nodifferences")->isHidden());
    panel.setDifferences({});
    EXPECT_EQ(panel.table()->rowCount(), 0);
    EXPECT_TRUE(panel.findChildren<QPushButton*>().isEmpty());
    EXPECT_FALSE(panel.findChild<QLabel*>("nodifferences")->isHidden());
}

TEST(DifferencesPanel, AListGivenWhileOnScreenShowsItsButtonsWhole)
{
    // As the window shows it: on screen first, the list given after.
    DifferencesPanel panel;
    panel.resize(900, 300);
    panel.show();
    panel.setDifferences(someDifferences());
    QCoreApplication::processEvents();
    const QWidget* column = panel.findChild<QWidget*>("differenceparts");
    ASSERT_TRUE(column);
    for (int part : {2, 6, RhythmPart}) {
        for (const QPushButton* b : {panel.takeTheirsButton(part), panel.keepMineButton(part)}) {
            ASSERT_TRUE(b);
            EXPECT_TRUE(b->isVisible()) << part;
            const QRect inColumn(b->mapTo(column, QPoint(0, 0)), b->size());
            EXPECT_TRUE(column->rect().contains(inColumn))
                << part << " " << b->text().toStdString() << " lies outside its column";
        }
    }
}

} // namespace
} // namespace dorvane
