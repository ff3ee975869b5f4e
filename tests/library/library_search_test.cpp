// SPDX-License-Identifier: GPL-3.0-or-later
// The two ways a search is answered, the window's over the parts in memory
// and the command line's through the index's text, against the plain rule
// (every word, case folded, inside the name, a tag or the file name) over a
// thousand generated files; and an index of the version before, brought up to
// date, answering alike; and scans, whole, stopped or killed, writing alike.
#include "library/library.h"
#include "library/librarydatabase.h"
#include "library/libraryscanner.h"
#include "library/librarysearch.h"

#include "support/libraryfiles.h"

#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <map>
#include <optional>
#include <set>
#include <tuple>

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

TEST_F(SearchAnswers, OlderIndexesAnswerAlikeOnceBroughtUpToDate)
{
    // The index as each earlier version left it, made from this one's.
    const std::vector<std::pair<const char*, std::vector<const char*>>> versions = {
        {"4: the full-text index with its own copy of the text",
         {"DROP TABLE part_text",
          "CREATE VIRTUAL TABLE part_text USING fts5(text,"
          " tokenize = 'trigram case_sensitive 1', detail = none)",
          "INSERT INTO part_text(rowid, text) SELECT id, search FROM parts",
          "CREATE TRIGGER parts_text_gone AFTER DELETE ON parts BEGIN"
          " DELETE FROM part_text WHERE rowid = old.id; END",
          "ALTER TABLE parts DROP COLUMN search", "PRAGMA user_version = 4"}},
        {"2: no full-text index",
         {"DROP TABLE part_text", "DROP INDEX parts_sound", "ALTER TABLE parts DROP COLUMN search",
          "ALTER TABLE parts DROP COLUMN features", "PRAGMA user_version = 2"}},
    };
    const QString file = db->file();
    db.reset();
    const QString fresh = file + ".fresh";
    ASSERT_TRUE(QFile::copy(file, fresh));
    for (const auto& [version, statements] : versions) {
        QFile::remove(file);
        ASSERT_TRUE(QFile::copy(fresh, file));
        {
            auto raw = QSqlDatabase::addDatabase("QSQLITE", "raw-older");
            raw.setDatabaseName(file);
            ASSERT_TRUE(raw.open());
            QSqlQuery s(raw);
            for (const char* sql : statements)
                ASSERT_TRUE(s.exec(sql)) << sql << ": " << s.lastError().text().toStdString();
            raw.close();
        }
        QSqlDatabase::removeDatabase("raw-older");
        LibraryDatabase again(file);
        expectAllAgree(again, version);
        // Written to after the migration, the index keeps answering alike.
        const auto tagged = again.find({"warm"});
        ASSERT_EQ(tagged.size(), 1u) << version;
        again.setTags(tagged[0].partId, {"cool"});
        EXPECT_TRUE(again.find({"warm"}).empty()) << version;
        EXPECT_EQ(again.find({"cool"}).size(), 1u) << version;
        expectAllAgree(again, version);
    }
}

namespace {

// Everything the index says of each part and file, without its row ids.
using PartRow = std::tuple<QString, int, int, QString, QByteArray, int, int>;
std::vector<PartRow> partRows(const LibraryDatabase& index)
{
    std::vector<PartRow> rows;
    for (const LibraryEntry& e : index.entries())
        rows.emplace_back(e.path, e.position, e.part, e.name, e.sound, e.copies, int(e.fileKind));
    return rows;
}

std::vector<std::pair<QString, QString>> otherRows(const LibraryDatabase& index)
{
    std::vector<std::pair<QString, QString>> rows;
    for (const LibraryOther& o : index.others())
        rows.emplace_back(o.path, o.reason);
    return rows;
}

// What each query finds through the index, by file and place.
std::vector<std::vector<std::pair<QString, int>>> foundRows(const LibraryDatabase& index)
{
    std::vector<std::vector<std::pair<QString, int>>> all;
    for (const LibraryQuery& query : Queries) {
        all.emplace_back();
        for (const LibraryEntry& e : index.find(query))
            all.back().emplace_back(e.path, e.position);
    }
    return all;
}

// The index's search agrees with the search over its parts in memory.
void expectSearchesAgree(const LibraryDatabase& index, const char* when)
{
    const auto entries = index.entries();
    LibrarySearch search;
    search.setEntries(entries);
    for (const LibraryQuery& query : Queries) {
        std::vector<qint64> inMemory, throughIndex;
        for (int i : search.find(query))
            inMemory.push_back(entries[std::size_t(i)].partId);
        for (const LibraryEntry& e : index.find(query))
            throughIndex.push_back(e.partId);
        EXPECT_EQ(throughIndex, inMemory) << query.text.toStdString() << " (" << when << ")";
    }
}

// The indexes that only speed up reading, the full-text one among them, as
// the file holds them.
int secondaryIndexes(const QString& file)
{
    int n = -1;
    {
        auto raw = QSqlDatabase::addDatabase("QSQLITE", "raw-indexes");
        raw.setDatabaseName(file);
        if (raw.open()) {
            QSqlQuery s(raw);
            if (s.exec("SELECT count(*) FROM sqlite_schema WHERE"
                       " name IN ('parts_sound', 'files_folder', 'part_text')") &&
                s.next())
                n = s.value(0).toInt();
        }
        raw.close();
    }
    QSqlDatabase::removeDatabase("raw-indexes");
    return n;
}

constexpr int SmallBatch = 100;
constexpr const char* KilledScanFolder = "DORVANE_TEST_KILLED_SCAN";

// The thousand files, and files that are no patch files among them, with
// what a whole scan makes of them.
struct ScanCorpus
{
    ScanCorpus()
    {
        makeCorpus(root);
        const auto image = test::knownImage(2);
        test::put(root / "broken" / "cut.syx", {image.begin(), image.begin() + 300});
        test::put(root / "broken" / "noise.mid", std::vector<std::uint8_t>(77, 0x90));
        LibraryDatabase index(file("full.sqlite"));
        index.addFolder(folder());
        LibraryScanner scanner(index);
        // Batches small enough that the thousand files take several, and
        // more to read than is indexed: the read-only indexes go and come back.
        scanner.setBatchSize(SmallBatch);
        const ScanReport report = scanner.scan();
        EXPECT_EQ(report.files, 1002);
        EXPECT_EQ(report.read, 1002);
        EXPECT_EQ(report.others, 2);
        full = partRows(index);
        fullOthers = otherRows(index);
        fullFound = foundRows(index);
        EXPECT_GT(full.size(), 2000u);
        EXPECT_EQ(fullOthers.size(), 2u);
    }

    QString folder() const { return q(fs::canonical(root)); }
    QString file(const char* name) const { return q(dir.path() / name); }

    void expectComplete(LibraryDatabase& index, const char* when) const
    {
        EXPECT_EQ(partRows(index), full) << when;
        EXPECT_EQ(otherRows(index), fullOthers) << when;
        EXPECT_EQ(foundRows(index), fullFound) << when;
        EXPECT_EQ(secondaryIndexes(index.file()), 3) << when;
    }

    test::TempDir dir;
    fs::path root = dir.path() / "patches";
    std::vector<PartRow> full;
    std::vector<std::pair<QString, QString>> fullOthers;
    std::vector<std::vector<std::pair<QString, int>>> fullFound;
};

class ScanAnswers : public ::testing::Test, public ScanCorpus
{
};

} // namespace

TEST_F(ScanAnswers, AScanWritesWhatIndexingFileByFileWrites)
{
    LibraryDatabase byFile(file("byfile.sqlite"));
    byFile.addFolder(folder());
    std::vector<fs::path> files;
    for (const auto& f : fs::recursive_directory_iterator(fs::canonical(root)))
        if (f.is_regular_file())
            files.push_back(f.path());
    std::sort(files.begin(), files.end());
    LibraryScanner one(byFile);
    for (const fs::path& f : files)
        ASSERT_TRUE(one.indexFile(q(f)));
    expectComplete(byFile, "file by file");
    LibraryDatabase scanned(file("full.sqlite"));
    expectComplete(scanned, "scanned");
    expectSearchesAgree(scanned, "scanned");
}

TEST_F(ScanAnswers, WhileAScanHasTheIndexesDroppedTheSearchFindsAlike)
{
    LibraryDatabase index(file("full.sqlite"));
    index.dropSecondaryIndexes();
    ASSERT_EQ(secondaryIndexes(index.file()), 0);
    EXPECT_EQ(foundRows(index), fullFound);
    index.restoreSecondaryIndexes();
    expectComplete(index, "made again");
}

TEST_F(ScanAnswers, AScanStoppedHalfWayLeavesAnIndexTheNextScanCompletes)
{
    LibraryDatabase index(file("stopped.sqlite"));
    index.addFolder(folder());
    std::atomic<bool> stop{false};
    LibraryScanner scanner(index);
    scanner.setBatchSize(SmallBatch);
    scanner.setCancelFlag(&stop);
    scanner.setProgress([&](int done, int) { stop = stop || done >= 350; });
    const ScanReport report = scanner.scan();
    EXPECT_TRUE(report.cancelled);
    EXPECT_GE(report.read, 350);
    EXPECT_LT(report.read, 1002);
    EXPECT_EQ(index.fileCount(), report.read) << "what was read is kept";
    EXPECT_EQ(report.removed, 0);
    EXPECT_EQ(secondaryIndexes(index.file()), 3);
    expectSearchesAgree(index, "stopped");

    stop = false;
    scanner.setProgress({});
    const ScanReport rest = LibraryScanner(index).scan();
    EXPECT_FALSE(rest.cancelled);
    EXPECT_EQ(rest.read, 1002 - report.read);
    expectComplete(index, "completed");
}

TEST(ScanKilled, HalfWayItLeavesAnIndexTheNextScanCompletes)
{
    // The scan dies in a process of its own, between two of its commits, with
    // the read-only indexes dropped. That process runs this test again from
    // its start and finds the index by the variable: it makes no files.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::optional<ScanCorpus> corpus;
    if (!qEnvironmentVariableIsSet(KilledScanFolder)) {
        corpus.emplace();
        LibraryDatabase(corpus->file("killed.sqlite")).addFolder(corpus->folder());
        qputenv(KilledScanFolder, corpus->file("killed.sqlite").toUtf8());
    }
    EXPECT_EXIT(
        {
            LibraryDatabase db(qEnvironmentVariable(KilledScanFolder));
            LibraryScanner scanner(db);
            scanner.setBatchSize(SmallBatch);
            scanner.setProgress([](int done, int) {
                if (done >= 5 * SmallBatch + SmallBatch / 2)
                    std::raise(SIGKILL);
            });
            scanner.scan();
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGKILL), "");
    qunsetenv(KilledScanFolder);
    const QString index = corpus->file("killed.sqlite");
    EXPECT_EQ(secondaryIndexes(index), 0) << "killed between the drop and the end";

    LibraryDatabase opened(index);
    EXPECT_EQ(secondaryIndexes(index), 3) << "made again at the opening";
    EXPECT_EQ(opened.fileCount(), 5 * SmallBatch) << "every batch committed, nothing else";
    expectSearchesAgree(opened, "killed");
    const ScanReport rest = LibraryScanner(opened).scan();
    EXPECT_EQ(rest.read, 1002 - 5 * SmallBatch);
    corpus->expectComplete(opened, "completed");
}

// How many files the index file holds without its log: what was copied into it.
int filesWithoutTheLog(const QString& index, const QString& copy)
{
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(copy + suffix);
    QFile::copy(index, copy);
    int n = -1;
    {
        auto raw = QSqlDatabase::addDatabase("QSQLITE", "raw-alone");
        raw.setDatabaseName(copy);
        if (raw.open()) {
            QSqlQuery s(raw);
            if (s.exec("SELECT count(*) FROM files") && s.next())
                n = s.value(0).toInt();
        }
        raw.close();
    }
    QSqlDatabase::removeDatabase("raw-alone");
    return n;
}

TEST_F(ScanAnswers, TheCommittedLogIsCopiedFromAConnectionOfItsOwn)
{
    const QString index = file("log.sqlite");
    LibraryDatabase db(index);
    db.addFolder(folder());
    db.holdCheckpoints();
    LibraryScanner scanner(db);
    scanner.setBatchSize(5000); // one commit, and no copy of the scan's own at the end
    ASSERT_EQ(scanner.scan().read, 1002);
    EXPECT_LT(filesWithoutTheLog(index, file("alone.sqlite")), 1002) << "all in the log";
    LibraryDatabase::copyCommittedLog(index);
    EXPECT_EQ(filesWithoutTheLog(index, file("alone.sqlite")), 1002);
}

TEST_F(ScanAnswers, CountingAndProgressReachTheEnd)
{
    LibraryDatabase index(file("progress.sqlite"));
    index.addFolder(folder());
    LibraryScanner scanner(index);
    std::vector<int> counted;
    std::vector<std::pair<int, int>> progress;
    scanner.setCounting([&](int found) { counted.push_back(found); });
    scanner.setProgress([&](int done, int total) { progress.emplace_back(done, total); });
    scanner.scan();
    ASSERT_FALSE(counted.empty());
    EXPECT_TRUE(std::is_sorted(counted.begin(), counted.end()));
    EXPECT_EQ(counted.back(), 1002);
    ASSERT_EQ(progress.size(), 1003u) << "the start, then every file";
    EXPECT_EQ(progress.front(), std::make_pair(0, 1002));
    EXPECT_EQ(progress.back(), std::make_pair(1002, 1002));
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));

    // Through the library's signals, as the window's bar hears them.
    Library library(file("window.sqlite"));
    QSignalSpy started(&library, &Library::scanStarted);
    QSignalSpy moved(&library, &Library::scanProgress);
    QSignalSpy finished(&library, &Library::scanFinished);
    library.addFolder(folder());
    library.waitForScan();
    EXPECT_EQ(started.count(), 1);
    EXPECT_EQ(finished.count(), 1);
    // A rescan with nothing to read ends at once, and says so.
    moved.clear();
    library.rescan();
    library.waitForScan();
    ASSERT_FALSE(moved.isEmpty());
    EXPECT_EQ(moved.last().at(0).toInt(), 1002);
}

// The text every part is searched by is folded as Qt folds it, whatever the
// letters: ASCII takes a way of its own.
TEST(SearchText, FoldsAsQtFoldsEveryName)
{
    const struct
    {
        QString name;
        QStringList tags;
        QString fileName;
    } cases[] = {
        {"Warm PAD 3", {}, "Pads.SYX"},      {"", {}, ""},
        {"Bass", {"Dark", "ACID"}, "b.mid"}, {"Straße", {"ÉCHO"}, "Ωmega.syx"},
        {"ABC", {"@[`{"}, "Z_a.syx"},        {"ﬁ LEAD", {}, "x.syx"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(librarySearchText(c.name, c.tags, c.fileName),
                  (c.name + '\n' + c.tags.join('\n') + '\n' + c.fileName).toCaseFolded())
            << c.name.toStdString();
}
