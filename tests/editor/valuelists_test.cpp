// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/valuelists.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSet>

namespace dorvane {
namespace {

struct ListEnds
{
    ValueList list;
    int count;
    const char* first;
    const char* last;
};

// clang-format off
const ListEnds Ends[] = {
    {ValueList::Numbers0To9, 10, "0", "9"},
    {ValueList::Numbers0To10, 11, "0", "10"},
    {ValueList::Numbers0To12, 13, "0", "12"},
    {ValueList::Numbers0To31, 32, "0", "31"},
    {ValueList::Numbers0To48, 49, "0", "48"},
    {ValueList::Numbers0To63, 64, "0", "63"},
    {ValueList::Numbers0To98, 99, "0", "98"},
    {ValueList::Numbers0To120, 121, "0", "120"},
    {ValueList::Numbers0To127, 128, "0", "127"},
    {ValueList::Numbers1To4, 4, "1", "4"},
    {ValueList::Numbers1To7, 7, "1", "7"},
    {ValueList::Numbers1To10, 10, "1", "10"},
    {ValueList::Numbers1To16, 16, "1", "16"},
    {ValueList::NumbersMinus3To3, 7, "-3", "3"},
    {ValueList::NumbersMinus12To12, 25, "-12", "12"},
    {ValueList::NumbersMinus48To48, 97, "-48", "48"},
    {ValueList::NumbersMinus50To50, 101, "-50", "50"},
    {ValueList::NumbersMinus63To63, 127, "-63", "63"},
    {ValueList::NumbersMinus64To63, 128, "-64", "63"},
    {ValueList::Numbers0DownToMinus48, 49, "0", "-48"},
    {ValueList::Tempo20To250, 231, "20", "250"},
    {ValueList::NoteNames, 128, "C-1 ", "G9 "},
    {ValueList::AutoNoteNames, 128, "C-1", "G9"},
    {ValueList::KeyNames, 12, "C", "B"},
    {ValueList::KeyfollowScale, 16, "-100", "+200"},
    {ValueList::SensitivityScale, 15, "-100", "+100"},
    {ValueList::VelocitySensitivity, 126, "-100", "150"},
    {ValueList::RandomPitchDepth, 30, "0", "1200"},
    {ValueList::ControlDestinations, 16, "OFF", "L2R"},
    {ValueList::EfxTypes, 24, "4 band EQ", "gate reverb"},
    {ValueList::HfDamp, 18, "200", "bypass"},
    {ValueList::ControlSources, 16, "off", "playmate"},
    {ValueList::VoiceReserve1, 65, "P1: 0", "P1: 64"},
    {ValueList::VoiceReserve4, 65, "P4: 0", "P4: 64"},
    {ValueList::VoiceReserve7, 65, "P7: 0", "P7: 64"},
    {ValueList::VoiceReserveR, 65, "R: 0", "R: 64"},
    {ValueList::PlayModes, 17, "Note", "8th"},
    {ValueList::KeyboardOctaves, 11, "C-1", "C9"}, // note 0 … note 120
};
// clang-format on

TEST(ValueLists, CountsAndEnds)
{
    for (const ListEnds& e : Ends) {
        const QStringList& list = valueList(e.list);
        ASSERT_EQ(list.size(), e.count) << e.first << " … " << e.last;
        EXPECT_EQ(list.first().toStdString(), e.first);
        EXPECT_EQ(list.last().toStdString(), e.last);
    }
}

// A control finds its position by its caption, compared without regard to case, so
// a repeated label would make two raw values indistinguishable.
TEST(ValueLists, EveryListIsUniqueAndOnlyTheDeviceListIsEmpty)
{
    for (int i = 0; i < ValueListCount; ++i) {
        const auto id = ValueList(i);
        const QStringList& list = valueList(id);
        if (id == ValueList::Devices) {
            EXPECT_TRUE(list.isEmpty());
            continue;
        }
        EXPECT_FALSE(list.isEmpty()) << "list " << i;
        QSet<QString> seen;
        for (const QString& label : list) {
            const QString key = label.toLower();
            EXPECT_FALSE(seen.contains(key))
                << "list " << i << " repeats \"" << label.toStdString() << "\"";
            seen.insert(key);
        }
    }
}

TEST(ValueLists, InstrumentScalesPutZeroWhereTheDefaultsExpectIt)
{
    // Keyfollow: the pitch default (12) is +100, the cutoff default (5) is 0.
    EXPECT_EQ(valueList(ValueList::KeyfollowScale).join(' ').toStdString(),
              "-100 -70 -50 -30 -10 0 +10 +20 +30 +40 +50 +70 +100 +120 +150 +200");
    EXPECT_EQ(valueList(ValueList::SensitivityScale).join(' ').toStdString(),
              "-100 -70 -50 -40 -30 -20 -10 0 +10 +20 +30 +40 +50 +70 +100");
    EXPECT_EQ(valueList(ValueList::VelocitySensitivity).at(50).toStdString(), "0");
    EXPECT_EQ(valueList(ValueList::VelocitySensitivity).at(51).toStdString(), "2");
    EXPECT_EQ(valueList(ValueList::NumbersMinus48To48).at(48).toStdString(), "0");
    EXPECT_EQ(valueList(ValueList::NumbersMinus64To63).at(64).toStdString(), "0");
    EXPECT_EQ(valueList(ValueList::NumbersMinus63To63).at(63).toStdString(), "0");
    EXPECT_EQ(valueList(ValueList::Numbers0DownToMinus48).at(1).toStdString(), "-1");
    // The fine steps of the random pitch depth sit on their raw values.
    const QStringList& random = valueList(ValueList::RandomPitchDepth);
    EXPECT_EQ(random.at(10).toStdString(), "10");
    EXPECT_EQ(random.at(11).toStdString(), "20");
    EXPECT_EQ(random.at(19).toStdString(), "100");
    EXPECT_EQ(random.at(20).toStdString(), "200");
    EXPECT_EQ(valueList(ValueList::HfDamp).at(16).toStdString(), "8000");
    EXPECT_EQ(valueList(ValueList::EfxTypes).at(22).toStdString(), "reverb");
    EXPECT_EQ(valueList(ValueList::ControlDestinations).at(1).toStdString(), "PCH");
    EXPECT_EQ(valueList(ValueList::Tempo20To250).at(100).toStdString(), "120");
}

TEST(ValueLists, NoteNamesFollowTheNotePlayer)
{
    const QStringList& notes = valueList(ValueList::NoteNames);
    EXPECT_EQ(notes.at(60).toStdString(), "C4 ");
    EXPECT_EQ(notes.at(61).toStdString(), "C#4 ");
    EXPECT_EQ(notes.at(11).toStdString(), "B-1 ");
    EXPECT_EQ(notes.at(12).toStdString(), "C0 ");
    EXPECT_EQ(valueList(ValueList::AutoNoteNames).at(48).toStdString(), "C3");
    EXPECT_EQ(valueList(ValueList::KeyNames).at(1).toStdString(), "C#");
    // The play modes stand at the note player's mode values.
    EXPECT_EQ(valueList(ValueList::PlayModes).at(8).toStdString(), "Major 9th");
    EXPECT_EQ(valueList(ValueList::PlayModes).at(10).toStdString(), "2nd");
}

TEST(ValueLists, OutOfRangeIdGivesTheEmptyList)
{
    EXPECT_TRUE(valueList(ValueList(ValueListCount)).isEmpty());
    EXPECT_TRUE(valueList(ValueList(-1)).isEmpty());
}

TEST(WaveCategories, FortyThreeGroupsInWaveOrder)
{
    const auto cats = waveCategories();
    ASSERT_EQ(cats.size(), 43u);
    EXPECT_EQ(cats.front().name, " TB");
    EXPECT_EQ(cats.front().firstWave, 0);
    EXPECT_EQ(cats[9].name, " Bell "); // blanks as the list shows them
    EXPECT_EQ(cats[26].firstWave, 255);
    EXPECT_EQ(cats.back().name, " Kick");
    EXPECT_EQ(cats.back().firstWave, 478);
    for (std::size_t i = 1; i < cats.size(); ++i)
        EXPECT_LT(cats[i - 1].firstWave, cats[i].firstWave) << i;

    EXPECT_EQ(waveCategoryOf(0), 0);
    EXPECT_EQ(waveCategoryOf(11), 0);
    EXPECT_EQ(waveCategoryOf(12), 1);
    EXPECT_EQ(waveCategoryOf(477), 41);
    EXPECT_EQ(waveCategoryOf(478), 42);
    EXPECT_EQ(waveCategoryOf(WaveCount - 1), 42);
    EXPECT_EQ(waveCategoryOf(100000), 42);
    EXPECT_EQ(waveCategoryOf(-5), 0);
}

// The highest wave the image and the message can carry is group 2, number 255.
TEST(WaveList, FileNamesEveryWaveByItsGroup)
{
    EXPECT_EQ(WaveCount - 1, 254 + 0xFF);
    for (const std::string& folder : {test::sourceDir() + "/data", test::binDir()}) {
        QFile file(QString::fromStdString(folder + "/wavelist.txt"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << folder;
        const QString text = QString::fromUtf8(file.readAll());
        ASSERT_TRUE(text.endsWith('\n'));
        ASSERT_FALSE(text.contains('\r'));
        const QStringList lines = text.chopped(1).split('\n');
        ASSERT_EQ(lines.size(), WaveCount) << folder;

        const auto cats = waveCategories();
        for (int w = 0; w < WaveCount; ++w) {
            const WaveCategory& c = cats[std::size_t(waveCategoryOf(w))];
            const QString group =
                QString::fromUtf8(c.name.data(), qsizetype(c.name.size())).trimmed();
            EXPECT_EQ(lines[w].toStdString(),
                      QStringLiteral("%1 %2").arg(group).arg(w - c.firstWave + 1).toStdString())
                << "wave " << w;
        }
        EXPECT_EQ(lines.first().toStdString(), "TB 1");
        EXPECT_EQ(lines[478].toStdString(), "Kick 1");
        EXPECT_EQ(lines.last().toStdString(), "Kick 32");
    }
}

} // namespace
} // namespace dorvane
