// SPDX-License-Identifier: GPL-3.0-or-later
// The two ways a search is answered, the window's over the parts in memory
// and the command line's through the index's text, against the plain rule
// (every word, case folded, inside the name, a tag or the file name) over a
// thousand generated files; and an index of the version before, brought up to
// date, answering alike.
#include "library/librarydatabase.h"
#include "library/libraryscanner.h"
#include "library/librarysearch.h"

#include "support/libraryfiles.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace dorvane;
namespace fs = std::filesystem;

namespace {

QString q(const fs::path& p)
{
    return QString::fromStdString(p.string());
}

const char* const Words[] = {"Bass", "PAD", "lead", "ACID", "STR*NGS", "Keys", "ARP", "F?X"};

// A thousand files: images, part files and kits, names mixed in case and with
// GLOB's own signs, one file name beyond ASCII.
void makeCorpus(const fs::path& root)
{
    t505temppatch image;
    image.LoadFromBytes(test::knownImage(1));
    for (int i = 0; i < 1000; ++i) {
        for (int p = 0; p < NormalPartCount; ++p)
            image.SetPatchName(p, std::string(Words[(i + p) % std::size(Words)]) + " " +
                                      std::to_string(i % 97 + p));
        image.SetPatchName(RhythmPart, "KIT [" + std::to_string(i % 13) + "]");
        const auto dir = root / std::to_string(i % 20);
        const std::string file = (i == 7 ? "Straße " : "f") + std::to_string(i) + ".syx";
        test::put(dir / file, i % 3 == 0   ? image.AllBytes()
                              : i % 3 == 1 ? image.PartBytes(i % NormalPartCount)
                                           : image.PartBytes(RhythmPart));
    }
}

// The rule a search keeps, written out plainly.
std::set<qint64> plainRule(const std::vector<LibraryEntry>& entries, const LibraryQuery& query)
{
    std::set<qint64> found;
    for (const LibraryEntry& e : entries) {
        if ((query.favourites && !e.favourite) || (query.kits && !e.rhythm()) ||
            (query.duplicates && e.copies < 2))
            continue;
        const QStringList fields = QStringList{e.name, e.fileName} + e.tags;
        bool all = true;
        for (const QString& w : query.text.split(' ', Qt::SkipEmptyParts)) {
            bool in = false;
            for (const QString& f : fields)
                in = in || f.contains(w, Qt::CaseInsensitive);
            all = all && in;
        }
        if (all)
            found.insert(e.partId);
    }
    return found;
}

const LibraryQuery Queries[] = {
    {"bass"},      // frequent
    {"acid 42"},   // two words
    {"a"},         // shorter than the index's runs of three
    {"STRAßE"},    // folded beyond ASCII
    {"str*ngs 1"}, // GLOB's signs taken literally
    {"f?x"},
    {"[3]"},
    {"kit f12.syx"}, // across fields, each word in its own
    {"4f"},          // never from the name into the file name
    {"mine"},        // a tag
    {"", true},      // favourites
    {"kit", false, true},
    {"", false, false, true},
    {"zzz"},
    {""},
};

class SearchAnswers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        makeCorpus(dir.path() / "patches");
        db = std::make_unique<LibraryDatabase>(q(dir.path() / "library.sqlite"));
        db->addFolder(q(fs::canonical(dir.path() / "patches")));
        LibraryScanner(*db).scan();
        const auto list = db->entries();
        ASSERT_GT(list.size(), 2000u);
        const auto partFile = std::find_if(list.begin(), list.end(), [](const LibraryEntry& e) {
            return e.fileKind == LibraryFileKind::Part;
        });
        db->setTags(partFile->partId, {"Mine", "warm"});
        db->setTags(list[900].partId, {"mine"});
        db->setFavourite(list[17].partId, true);
    }

    void expectAllAgree(LibraryDatabase& index, const char* when)
    {
        const auto entries = index.entries();
        std::map<qint64, const LibraryEntry*> byId;
        for (const LibraryEntry& e : entries)
            byId[e.partId] = &e;
        LibrarySearch search;
        search.setEntries(entries);
        for (const LibraryQuery& query : Queries) {
            const std::set<qint64> want = plainRule(entries, query);
            std::vector<qint64> inMemory;
            for (int i : search.find(query))
                inMemory.push_back(entries[std::size_t(i)].partId);
            std::vector<qint64> throughIndex;
            for (const LibraryEntry& e : index.find(query)) {
                throughIndex.push_back(e.partId);
                const LibraryEntry* same = byId.at(e.partId);
                EXPECT_EQ(e.copies, same->copies) << when;
                EXPECT_EQ(e.tags, same->tags) << when;
                EXPECT_EQ(e.path, same->path) << when;
            }
            const auto label = query.text.toStdString() + " (" + when + ")";
            EXPECT_EQ(std::set<qint64>(inMemory.begin(), inMemory.end()), want) << label;
            EXPECT_EQ(throughIndex, inMemory) << label << ": the same parts in the same order";
        }
    }

    test::TempDir dir;
    std::unique_ptr<LibraryDatabase> db;
};

} // namespace

TEST_F(SearchAnswers, InMemoryAndThroughTheIndexFindWhatThePlainRuleFinds)
{
    expectAllAgree(*db, "scanned");
    // A file read again keeps its tags in what the index searches.
    ASSERT_EQ(db->find({"warm"}).size(), 1u);
    const QString tagged = db->find({"warm"})[0].path;
    test::put(tagged.toStdString(), test::partFile(3, 0, 2, "OTHER NAME"));
    LibraryScanner(*db).scan();
    EXPECT_EQ(db->find({"warm"}).size(), 1u);
    EXPECT_EQ(db->find({"other name"}).size(), 1u);
    expectAllAgree(*db, "after a change");
}

TEST_F(SearchAnswers, AnIndexOfTheVersionBeforeAnswersAlikeOnceBroughtUpToDate)
{
    const QString file = db->file();
    db.reset();
    {
        auto raw = QSqlDatabase::addDatabase("QSQLITE", "raw-v2");
        raw.setDatabaseName(file);
        ASSERT_TRUE(raw.open());
        QSqlQuery s(raw);
        for (const char* sql :
             {"DROP TRIGGER parts_text_gone", "DROP TABLE part_text", "DROP INDEX parts_sound",
              "ALTER TABLE parts DROP COLUMN features", "PRAGMA user_version = 2"})
            ASSERT_TRUE(s.exec(sql)) << sql;
        raw.close();
    }
    QSqlDatabase::removeDatabase("raw-v2");
    LibraryDatabase again(file);
    expectAllAgree(again, "migrated");
}
