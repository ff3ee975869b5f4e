// SPDX-License-Identifier: GPL-3.0-or-later
// One word for one value: the knob window shows each value as the main window
// does, and its value box takes every way a musician writes it.
#include "editor/tdragtweak.h"
#include "editor/valuelists.h"
#include "editor/valuesheets.h"
#include "knobrig.h"
#include "quickedit/knobstrips.h"
#include "quickedit/knobtable.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace dorvane;
using test::KnobRig;

namespace {

// The ways to write an entry: as shown, in either case, the instrument's own
// word or a long name, a number without its plus, the value after its prefix.
QStringList formsOf(const QString& shown)
{
    const QString entry = shown.trimmed();
    QStringList forms{entry.toLower(), entry.toUpper(), " " + entry + " "};
    for (const QString& other : otherSpellings(entry))
        forms << other << other.toLower() << other.toUpper();
    if (entry.startsWith('+'))
        forms << entry.mid(1);
    if (const qsizetype colon = entry.indexOf(": "); colon > 0)
        forms << entry.mid(colon + 2).toUpper();
    forms.removeDuplicates();
    return forms;
}

} // namespace

TEST(Words, BothWindowsAndTheValueBoxShowAndTakeTheSameWords)
{
    KnobRig rig;
    Tform3& k = rig.openShown();
    MainWindow& w = *rig.window;
    int typed = 0;
    for (const KnobRow& row : knobTable()) {
        const QString name = QString::fromLatin1(row.control.data(), qsizetype(row.control.size()));
        SCOPED_TRACE(name.toStdString());
        TDragTweak* c = w.sheets().control(name);
        ASSERT_NE(c, nullptr);
        const QStringList items = c->Items();
        ASSERT_GE(items.size(), 2);
        // The displays print the main window's word for the value they show.
        const bool filter = row.strip == KnobStrip::FilterType;
        if (filter || row.strip == KnobStrip::LfoWave) {
            for (int i = 0; i < items.size(); ++i)
                EXPECT_EQ(filter ? KnobStrips::filterTypeLabel(i) : KnobStrips::lfoWaveLabel(i),
                          items[i]);
        }
        // Every form of every entry leads to it; plain numbers have one form.
        static const QRegularExpression number(R"(^\s*-?\d+\s*$)");
        const bool numbers = std::all_of(items.begin(), items.end(), [](const QString& e) {
            return number.match(e).hasMatch();
        });
        for (int i = 0; i < items.size(); ++i)
            for (const QString& form : numbers ? QStringList{items[i]} : formsOf(items[i]))
                EXPECT_EQ(findValue(items, form), i) << form.toStdString();
        if (numbers)
            continue;
        // And through the knob window's own box, the last (least like the
        // shown word) form of each entry; a long scale at every few steps.
        rig.enter(rig.knob(row.control.data()));
        const int step = items.size() > 16 ? 7 : 1;
        for (int i = 0; i < items.size(); i += step) {
            const QString form = formsOf(items[i]).back();
            SCOPED_TRACE(form.toStdString());
            // From elsewhere, so that landing on i is the box's doing.
            c->SetPosition((i + 1) % int(items.size()));
            rig.typeValue(form);
            ++typed;
            ASSERT_EQ(c->Position(), i) << k.valueBox()->text().toStdString();
            EXPECT_EQ(rig.knob(row.control.data())->Position(), i);
            EXPECT_EQ(k.statusText(1), items[i]) << "the one word, whatever was typed";
        }
    }
    EXPECT_GE(typed, 60) << "the word lists were not walked";
}

// The other spellings each lead to their one value, and never to another
// list's entry; what is no value of the list is refused.
TEST(Words, OtherSpellingsAreUnambiguousAndNonsenseIsRefused)
{
    struct Case
    {
        ValueList list;
        const char* typed;
        int expected;
    };
    const Case cases[] = {
        {ValueList::FilterTypes, "PKG", 4},
        {ValueList::FilterTypes, "lpf", 1},
        {ValueList::FilterTypes, "High Pass", 3},
        {ValueList::FilterTypes, "OFF", 0},
        {ValueList::FilterTypes, "LPFF", -1},
        {ValueList::FilterTypes, "", -1},
        {ValueList::LfoWaveforms, "s&h", 5},
        {ValueList::LfoWaveforms, "chs", 7},
        {ValueList::KeyfollowScale, "10", 6}, // "+10"
        {ValueList::KeyfollowScale, "+10", 6},
        {ValueList::KeyfollowScale, "-10", 4},
        {ValueList::KeyfollowScale, "15", -1},
        {ValueList::WaveGain, "6", 2},      // "+6", not "-6"
        {ValueList::NoteNames, "db4", 61},  // C#4
        {ValueList::NoteNames, "Bb-1", 10}, // A#-1
        {ValueList::NoteNames, "B3", 59},   // a B, not a flat
        {ValueList::NoteNames, "Cb4", -1},
        {ValueList::KeyboardOctaves, "c2", 3}, // what Z plays at the start
        {ValueList::FxmSwitch, "on", 1},
        {ValueList::LfoKeyTrigger, "OFF", 0},
        {ValueList::VoiceReserve3, "12", 12},
        {ValueList::HoldPeak, "peak", 2}, // its own word before any other spelling
        {ValueList::HfDamp, "BYPASS", 17},
    };
    for (const Case& c : cases)
        EXPECT_EQ(findValue(valueList(c.list), QString::fromLatin1(c.typed)), c.expected)
            << c.typed;

    // No other spelling names a second entry of the list that holds its own.
    for (int l = 0; l < ValueListCount; ++l) {
        const QStringList& items = valueList(ValueList(l));
        for (int i = 0; i < items.size(); ++i)
            for (const QString& other : otherSpellings(items[i].trimmed()))
                EXPECT_EQ(findValue(items, other), i) << other.toStdString();
    }
}
