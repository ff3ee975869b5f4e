// SPDX-License-Identifier: GPL-3.0-or-later
// The index, the scan and the search over a generated folder tree: every kind
// of file the library meets, broken ones included, and a database left by an
// older or a later version.
#include "library/library.h"
#include "library/librarydatabase.h"
#include "library/libraryscanner.h"
#include "library/librarysearch.h"
#include "library/patchfileparts.h"
#include "patch/fileio.h"

#include "support/libraryfiles.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <set>

using namespace dorvane;
namespace fs = std::filesystem;

namespace {

QString q(const fs::path& p)
{
    return QString::fromStdString(p.string());
}

// A tree with every kind of file: images (one behind a leading block), part
// files, a part R file, the same part saved from part 2 and from part 5,
// broken files, and files the library must pass over.
struct Tree
{
    test::TempDir dir;
    fs::path root = dir.path() / "patches";

    Tree()
    {
        test::put(root / "song.syx", test::knownImage(1));
        auto lead = std::vector<std::uint8_t>(LeadingBlockSize, 0x11);
        const auto two = test::knownImage(2);
        lead.insert(lead.end(), two.begin(), two.end());
        test::put(root / "old" / "lead.syx", lead);
        test::put(root / "old" / "LOUD.SYX", test::knownImage(3));
        test::put(root / "bass" / "deep" / "from2.syx", test::partFile(4, 0, 1, "DEEP BASS"));
        test::put(root / "bass" / "from5.syx", test::partFile(4, 0, 4, "DEEP BASS"));
        test::put(root / "kit.syx", test::rhythmFile(5, "TR KIT"));
        test::put(root / "broken" / "short.syx", test::malformedImages()[0].bytes);
        test::put(root / "broken" / "lostf7.syx", test::malformedPartFiles()[3].bytes);
        test::put(root / "broken" / "random.syx", test::rightSizeRandom(ImageSize, 7));
        test::put(root / "broken" / "empty.syx", {});
        test::put(root / "readme.txt", test::knownImage(6));
    }
    std::string path(const std::string& relative) const { return (root / relative).string(); }
};

std::unique_ptr<LibraryDatabase> indexed(const Tree& tree, ScanReport* report = nullptr)
{
    auto db = std::make_unique<LibraryDatabase>(q(tree.dir.path() / "index" / "library.sqlite"));
    db->addFolder(q(fs::canonical(tree.root)));
    LibraryScanner scanner(*db);
    const ScanReport r = scanner.scan();
    if (report)
        *report = r;
    return db;
}

std::optional<LibraryEntry> findEntry(const std::vector<LibraryEntry>& list, const fs::path& file,
                                      int position)
{
    for (const auto& e : list)
        if (e.path == q(fs::weakly_canonical(file)) && e.position == position)
            return e;
    return std::nullopt;
}

void setModified(const std::string& file, qint64 msSinceEpoch)
{
    QFile f(QString::fromStdString(file));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::fromMSecsSinceEpoch(msSinceEpoch),
                              QFileDevice::FileModificationTime));
}

} // namespace

TEST(LibraryIndex, EveryPartOnceDuplicatesMarkedBrokenFilesOtherWithTheirReason)
{
    Tree tree;
    ScanReport report;
    const auto db = indexed(tree, &report);
    EXPECT_EQ(report.files, 10) << "readme.txt is no .syx file; LOUD.SYX is one";
    EXPECT_EQ(report.read, 10);
    EXPECT_EQ(report.others, 4);

    const auto entries = db->entries();
    ASSERT_EQ(entries.size(), 3u * 8 + 2 + 1);
    std::set<std::pair<QString, int>> seen;
    for (const auto& e : entries)
        EXPECT_TRUE(seen.insert({e.path, e.position}).second) << e.path.toStdString();

    const auto song3 = findEntry(entries, tree.root / "song.syx", 2);
    ASSERT_TRUE(song3);
    EXPECT_EQ(song3->name, "S1 PART 3");
    EXPECT_EQ(song3->part, 2);
    EXPECT_EQ(song3->fileKind, LibraryFileKind::Image);
    const auto leadKit = findEntry(entries, tree.root / "old" / "lead.syx", 7);
    ASSERT_TRUE(leadKit) << "an image behind a leading block is read from byte 753";
    EXPECT_EQ(leadKit->name, "S2 RHYTHM");
    EXPECT_TRUE(leadKit->rhythm());
    const auto kit = findEntry(entries, tree.root / "kit.syx", 0);
    ASSERT_TRUE(kit);
    EXPECT_EQ(kit->fileKind, LibraryFileKind::Rhythm);
    EXPECT_TRUE(kit->rhythm());
    EXPECT_EQ(kit->name, "TR KIT");

    const auto from2 = findEntry(entries, tree.root / "bass" / "deep" / "from2.syx", 0);
    const auto from5 = findEntry(entries, tree.root / "bass" / "from5.syx", 0);
    ASSERT_TRUE(from2 && from5);
    EXPECT_EQ(from2->part, 1);
    EXPECT_EQ(from5->part, 4);
    EXPECT_EQ(from2->sound, from5->sound) << "part number and checksums are not the sound";
    for (const auto& e : entries)
        EXPECT_EQ(e.duplicate(), e.path == from2->path || e.path == from5->path)
            << e.name.toStdString();

    const auto others = db->others();
    ASSERT_EQ(others.size(), 4u);
    for (const auto& o : others) {
        const auto bytes = test::readFile(o.path.toStdString());
        EXPECT_EQ(o.reason.toStdString(), checkSysexFile(bytes).problem()) << o.path.toStdString();
        EXPECT_FALSE(o.reason.isEmpty());
    }
}

#ifndef _WIN32
TEST(LibraryIndex, DevicesAndPipesAreOtherAndNeverRead)
{
    // Read whole, a link to /dev/zero never ends and takes the files beside it down with it.
    test::TempDir dir;
    const fs::path root = dir.path() / "patches";
    test::put(root / "good.syx", test::knownImage(1));
    fs::create_symlink("/dev/zero", root / "zero.syx");
    // The walk lists links, whatever they point to.
    ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
    fs::create_symlink(dir.path() / "fifo", root / "pipe.syx");
    LibraryDatabase db(q(dir.path() / "library.sqlite"));
    db.addFolder(q(fs::canonical(root)));
    const ScanReport report = LibraryScanner(db).scan();
    EXPECT_EQ(report.files, 3);
    EXPECT_EQ(report.others, 2);
    EXPECT_EQ(db.entries().size(), 8u) << "the good file is indexed";
    std::map<QString, QString> reasons;
    for (const auto& o : db.others())
        reasons[QFileInfo(o.path).fileName()] = o.reason;
    EXPECT_EQ(reasons["zero.syx"], "it is a device");
    EXPECT_EQ(reasons["pipe.syx"], "it is a pipe");
}
#endif

#ifndef _WIN32
// The walk as one thread makes it, down each folder where it is met: what the
// scan's walk, on threads of its own, must come back with, in that order.
void walkedInOrder(const fs::path& folder, QStringList& files, QStringList& folders)
{
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
        const QString path = QString::fromUtf8(e.path().string());
        if (e.is_directory()) {
            folders << path;
            if (!e.is_symlink())
                walkedInOrder(e.path(), files, folders);
        } else if (path.endsWith(".syx")) {
            files << path;
        }
    }
}

TEST(LibraryIndex, TheWalkMeetsEveryFolderOnceInOrderAndFollowsNoLink)
{
    test::TempDir dir;
    const fs::path root = fs::canonical(dir.path()) / "patches";
    int seed = 0;
    for (const char* top : {"a", "b", "c", "d", "e", "f"}) {
        test::put(root / (std::string(top) + ".syx"), test::partFile(++seed, 0, 0));
        for (const char* inside : {"one", "two", "three"})
            for (const char* file : {"1.syx", "2.syx", "3.syx"})
                test::put(root / top / inside / file, test::partFile(++seed, 0, 0));
    }
    test::put(root / "caf\xe9" / "x.syx", test::partFile(++seed, 0, 0));
    fs::create_directory_symlink(root, root / "b" / "up"); // would never end if followed
    QStringList files;
    QStringList folders{q(root)};
    walkedInOrder(root, files, folders);
    ASSERT_EQ(files.size(), 6 + 6 * 3 * 3 + 1);

    LibraryDatabase db(q(dir.path() / "library.sqlite"));
    db.addFolder(q(root));
    const ScanReport report = LibraryScanner(db).scan();
    EXPECT_EQ(report.directories, folders);
    EXPECT_EQ(report.files, files.size());
    // Files are indexed in the order walked.
    QSqlDatabase read = QSqlDatabase::addDatabase("QSQLITE", "walk-order");
    {
        read.setDatabaseName(q(dir.path() / "library.sqlite"));
        ASSERT_TRUE(read.open());
        QSqlQuery query(read);
        ASSERT_TRUE(query.exec("SELECT path FROM files ORDER BY id"));
        QStringList indexed;
        while (query.next())
            indexed << query.value(0).toString();
        EXPECT_EQ(indexed, files);
        read.close();
    }
    read = {};
    QSqlDatabase::removeDatabase("walk-order");
}
#endif

TEST(LibraryIndex, RescanReadsOnlyWhatChangedAndKeepsMarks)
{
    Tree tree;
    const auto db = indexed(tree);
    LibraryScanner scanner(*db);
    EXPECT_EQ(scanner.scan().read, 0) << "nothing changed, nothing read";

    const auto song = findEntry(db->entries(), tree.root / "song.syx", 0);
    ASSERT_TRUE(song);
    db->setFavourite(song->partId, true);
    db->setTags(song->partId, QStringList{QString("warm"), QString("pad")});

    // The same size, another patch and a new time: only this file is read again.
    t505temppatch image;
    image.LoadFromBytes(test::knownImage(1));
    image.SetPatchName(0, "RENAMED");
    test::writeFile(tree.path("song.syx"), image.AllBytes());
    setModified(tree.path("song.syx"), QDateTime::currentMSecsSinceEpoch() + 5000);
    const ScanReport again = scanner.scan();
    EXPECT_EQ(again.read, 1);
    const auto renamed = findEntry(db->entries(), tree.root / "song.syx", 0);
    ASSERT_TRUE(renamed);
    EXPECT_EQ(renamed->name, "RENAMED");
    EXPECT_TRUE(renamed->favourite) << "a part at its place keeps its favourite";
    EXPECT_EQ(renamed->tags, (QStringList{QString("pad"), QString("warm")}));

    // A broken file mended is a patch file now.
    test::writeFile(tree.path("broken/random.syx"), test::knownImage(9));
    setModified(tree.path("broken/random.syx"), QDateTime::currentMSecsSinceEpoch() + 6000);
    EXPECT_EQ(scanner.scan().read, 1);
    EXPECT_EQ(db->others().size(), 3u);

    fs::remove(tree.path("kit.syx"));
    const ScanReport gone = scanner.scan();
    EXPECT_EQ(gone.read, 0);
    EXPECT_EQ(gone.removed, 1);
    EXPECT_FALSE(findEntry(db->entries(), tree.root / "kit.syx", 0));
    EXPECT_EQ(db->fileCount(), 9);

    // A folder that is not there (a drive unplugged) keeps its files.
    const fs::path away = tree.dir.path() / "away";
    fs::rename(tree.root, away);
    const ScanReport missing = scanner.scan();
    EXPECT_EQ(missing.missingFolders.size(), 1);
    EXPECT_EQ(missing.removed, 0);
    EXPECT_EQ(db->fileCount(), 9);
}

TEST(LibraryIndex, ANameThatIsNoUtf8IsIndexedOnceAndNotReadAgain)
{
    Tree tree;
    test::put(tree.root / "old" / "caf\xe9 \xff.syx", test::partFile(4, 0, 1, "LATIN ONE"));
    ScanReport first;
    const auto db = indexed(tree, &first);
    const int files = db->fileCount();
    EXPECT_EQ(files, first.files);
    const ScanReport again = LibraryScanner(*db).scan();
    EXPECT_EQ(again.files, first.files);
    EXPECT_EQ(again.read, 0) << "the walk's name matches the index's";
    EXPECT_EQ(again.removed, 0);
    EXPECT_EQ(db->fileCount(), files);
}

TEST(LibraryIndex, ASoundIsTheSha1OfItsMessagesDataAsIndexesBeforeHeldIt)
{
    // Indexes written by earlier versions hold these hashes: duplicates are
    // found across them only while every build hashes alike.
    const auto image = test::knownImage(3);
    for (const int part : {0, 4, RhythmPart}) {
        const ByteView block = ByteView(image).subspan(partBlockOffset(part), partBlockSize(part));
        QByteArray data(part == RhythmPart ? "R" : "P");
        for (std::size_t start = 0; start < block.size();) {
            const auto end = std::find(block.begin() + start, block.end(), 0xF7);
            ASSERT_NE(end, block.end());
            const std::size_t size = std::size_t(end - block.begin()) + 1 - start;
            data.append(reinterpret_cast<const char*>(block.data() + start + MessageHeaderSize),
                        qsizetype(size - MessageOverhead));
            start += size;
        }
        EXPECT_EQ(soundHash(block, part == RhythmPart),
                  QCryptographicHash::hash(data, QCryptographicHash::Sha1))
            << "part " << part;
    }
}

TEST(LibrarySearch, WordsTagsFileNamesAndFilters)
{
    Tree tree;
    const auto db = indexed(tree);
    const auto from5 = findEntry(db->entries(), tree.root / "bass" / "from5.syx", 0);
    const auto song2 = findEntry(db->entries(), tree.root / "song.syx", 1);
    ASSERT_TRUE(from5 && song2);
    db->setTags(song2->partId, {"Acid Lead"});
    db->setFavourite(from5->partId, true);

    LibrarySearch search;
    search.setEntries(db->entries());
    auto names = [&](const LibraryQuery& query) {
        std::multiset<std::string> out;
        for (int i : search.find(query))
            out.insert(search.entries()[std::size_t(i)].name.toStdString() + "@" +
                       search.entries()[std::size_t(i)].fileName.toStdString());
        return out;
    };
    EXPECT_EQ(names({"deep bass"}),
              (std::multiset<std::string>{"DEEP BASS@from2.syx", "DEEP BASS@from5.syx"}));
    EXPECT_EQ(names({"ACID"}), (std::multiset<std::string>{"S1 PART 2@song.syx"})) << "tags";
    EXPECT_EQ(names({"loud rhythm"}), (std::multiset<std::string>{"S3 RHYTHM@LOUD.SYX"}))
        << "file names";
    EXPECT_EQ(names({"part 2syx"}).size(), 0u) << "a word never runs from one field into the next";
    EXPECT_EQ(names({"", true}), (std::multiset<std::string>{"DEEP BASS@from5.syx"}));
    EXPECT_EQ(names({"", false, true}).size(), 4u) << "the kits of three images and kit.syx";
    EXPECT_EQ(names({"", false, false, true}).size(), 2u);
    EXPECT_EQ(names({"bass", true, false, true}),
              (std::multiset<std::string>{"DEEP BASS@from5.syx"}));

    // Typing on, then back: each answer is what a fresh search gives.
    std::vector<std::vector<int>> typed;
    for (const char* text : {"s", "s1", "s1 ", "s1 p", "s1 pa", "s1 p", "s1", "s"})
        typed.push_back(search.find({text}));
    for (const char* text : {"s", "s1", "s1 ", "s1 p", "s1 pa", "s1 p", "s1", "s"}) {
        LibrarySearch once;
        once.setEntries(db->entries());
        EXPECT_EQ(typed.front(), once.find({text})) << text;
        typed.erase(typed.begin());
    }
    // A mark changed after a search is seen by the next one.
    search.find({"", true});
    search.setFavourite(0, !search.entries()[0].favourite);
    EXPECT_EQ(search.find({"", true}).size(), search.entries()[0].favourite ? 2u : 0u);
}

TEST(LibraryDatabase, LaterSchemaRefusedOlderMigratedForeignFileLeftAlone)
{
    test::TempDir dir;
    const QString later = QString::fromStdString(dir.file("later.sqlite"));
    {
        LibraryDatabase db(later);
    }
    {
        auto raw = QSqlDatabase::addDatabase("QSQLITE", "raw-later");
        raw.setDatabaseName(later);
        ASSERT_TRUE(raw.open());
        QSqlQuery(raw).exec("PRAGMA user_version = 7");
        raw.close();
    }
    QSqlDatabase::removeDatabase("raw-later");
    const auto before = test::readFile(later.toStdString());
    try {
        LibraryDatabase db(later);
        FAIL() << "a later schema must be refused";
    } catch (const LibraryError& e) {
        EXPECT_NE(std::string(e.what()).find("later version of Dorvane (schema 7; this version "
                                             "reads up to 5)"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(test::readFile(later.toStdString()), before);

    // An index as the first version left it: no tags yet, a favourite.
    const QString older = QString::fromStdString(dir.file("older.sqlite"));
    {
        auto raw = QSqlDatabase::addDatabase("QSQLITE", "raw-older");
        raw.setDatabaseName(older);
        ASSERT_TRUE(raw.open());
        QSqlQuery s(raw);
        for (const char* sql :
             {"CREATE TABLE folders(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE)",
              "CREATE TABLE files(id INTEGER PRIMARY KEY, folder INTEGER NOT NULL REFERENCES "
              "folders(id) ON DELETE CASCADE, path TEXT NOT NULL UNIQUE, size INTEGER NOT NULL, "
              "modified INTEGER NOT NULL, kind INTEGER NOT NULL, reason TEXT NOT NULL DEFAULT '')",
              "CREATE INDEX files_folder ON files(folder)",
              "CREATE TABLE parts(id INTEGER PRIMARY KEY, file INTEGER NOT NULL REFERENCES "
              "files(id) ON DELETE CASCADE, position INTEGER NOT NULL, part INTEGER NOT NULL, "
              "name TEXT NOT NULL, sound BLOB NOT NULL, favourite INTEGER NOT NULL DEFAULT 0, "
              "UNIQUE(file, position))",
              "INSERT INTO folders VALUES(1, '/patches')",
              "INSERT INTO files VALUES(1, 1, '/patches/a.syx', 650, 1, 1, '')",
              "INSERT INTO parts VALUES(1, 1, 0, 2, 'OLD BASS', x'01', 1)",
              "PRAGMA user_version = 1"})
            ASSERT_TRUE(s.exec(sql)) << sql;
        raw.close();
    }
    QSqlDatabase::removeDatabase("raw-older");
    {
        LibraryDatabase db(older);
        auto entries = db.entries();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].name, "OLD BASS");
        EXPECT_TRUE(entries[0].favourite);
        db.setTags(entries[0].partId, {"kept"});
        EXPECT_EQ(db.entries()[0].tags, QStringList{"kept"});
    }
    {
        EXPECT_EQ(LibraryDatabase(older).entries()[0].tags, QStringList{"kept"});
    }

    const QString foreign = QString::fromStdString(dir.file("notes.sqlite"));
    test::writeFile(foreign.toStdString(), test::randomBytes(4096, 3));
    const auto foreignBytes = test::readFile(foreign.toStdString());
    EXPECT_THROW(LibraryDatabase{foreign}, LibraryError);
    EXPECT_EQ(test::readFile(foreign.toStdString()), foreignBytes);
}

TEST(Library, SavedPartsNeverOverwriteAndAreIndexedAtOnce)
{
    Tree tree;
    Library library(q(tree.dir.path() / "library.sqlite"));
    library.addFolder(q(tree.root));
    library.waitForScan();
    const auto block = test::partFile(8, 2, 2, "ACID/303");
    const std::size_t before = library.entries().size();
    const QString first = library.savePartFile(q(fs::canonical(tree.root)), "ACID/303", block);
    const QString second = library.savePartFile(q(fs::canonical(tree.root)), "ACID/303", block);
    EXPECT_EQ(QFileInfo(first).fileName(), "ACID_303.syx");
    EXPECT_EQ(QFileInfo(second).fileName(), "ACID_303 (2).syx");
    EXPECT_EQ(test::readFile(first.toStdString()), block);
    EXPECT_EQ(test::readFile(second.toStdString()), block);
    ASSERT_EQ(library.entries().size(), before + 2) << "indexed without a scan";
    int found = 0;
    for (const auto& e : library.entries())
        if (e.name == "ACID/303") {
            EXPECT_EQ(e.copies, 2);
            ++found;
        }
    EXPECT_EQ(found, 2);
    EXPECT_EQ(QFileInfo(freeFileName(q(tree.root), " . ")).fileName(), "Untitled.syx");
}

TEST(Library, AnIndexReadLaterHoldsNothingUntilItsFirstScanThenAllAReadNowHolds)
{
    Tree tree;
    const QString file = q(tree.dir.path() / "library.sqlite");
    std::vector<QString> names;
    {
        Library now(file);
        now.addFolder(q(tree.root));
        now.waitForScan();
        for (const auto& e : now.entries())
            names.push_back(e.fileName + "/" + e.name);
        now.setFavourite(0, true);
    }
    ASSERT_FALSE(names.empty());
    Library later(file, nullptr, Library::ReadEntries::Later);
    EXPECT_TRUE(later.entries().empty());
    EXPECT_EQ(later.folders().size(), 1);
    // Nothing changed on disk, and still the scan brings the parts in.
    later.rescan();
    later.waitForScan();
    EXPECT_EQ(later.lastScan().read, 0);
    std::vector<QString> read;
    for (const auto& e : later.entries())
        read.push_back(e.fileName + "/" + e.name);
    EXPECT_EQ(read, names);
    EXPECT_TRUE(later.entries()[0].favourite);
}

TEST(Library, FolderWatchPicksUpNewFiles)
{
    Tree tree;
    Library library(q(tree.dir.path() / "library.sqlite"));
    library.addFolder(q(tree.root));
    library.waitForScan();
    const std::size_t before = library.entries().size();
    test::put(tree.root / "bass" / "deep" / "new.syx", test::partFile(11, 3, 3, "NEW ONE"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return library.entries().size() != before; }, 10000))
        << "the watched folder was scanned again";
    ASSERT_EQ(library.entries().size(), before + 1);
    fs::remove(tree.root / "bass" / "deep" / "new.syx");
    EXPECT_TRUE(QTest::qWaitFor([&] { return library.entries().size() == before; }, 10000));
}

TEST(LibraryReread, ThePartIsJudgedAgainAsItsFileIsNow)
{
    test::TempDir dir;
    const fs::path file = dir.path() / "song.syx";
    const Bytes image = test::knownImage(1);
    const FileReading indexed = readPatchFile(image);
    ASSERT_EQ(indexed.parts.size(), 8u);
    auto entryAt = [&](int position) {
        LibraryEntry e;
        e.path = q(file);
        e.position = position;
        e.part = indexed.parts[std::size_t(position)].part;
        e.sound = indexed.parts[std::size_t(position)].sound;
        return e;
    };
    Bytes stale = image;
    stale[*bytePosition(3, 2, 0) + ToneDataSize] ^= 0x01; // tone 2's checksum
    Bytes otherPart = image;
    otherPart[*bytePosition(3, 2, 40)] ^= 0x01;

    struct Case
    {
        const char* what;
        std::optional<Bytes> file; // nothing: the file is gone
        int position;
        std::size_t wrongChecksums;
        std::string problem; // what the problem says, or nothing when the part is taken
    };
    const Case cases[] = {
        {"unchanged", image, 3, 0, ""},
        {"part R", image, 7, 0, ""},
        {"a stale checksum is still the sound", stale, 3, 1, ""},
        {"a parameter changed", otherPart, 3, 0, "it holds another patch there now"},
        {"now a part file", test::partFile(1, 3, 3), 3, 0, "it holds another patch there now"},
        {"cut short", Bytes(image.begin(), image.end() - 5), 3, 0, "byte"},
        {"gone", std::nullopt, 3, 0, "song.syx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(file);
        if (c.file)
            test::put(file, *c.file);
        const PartRereading reading = rereadPart(entryAt(c.position));
        if (c.problem.empty()) {
            EXPECT_TRUE(reading.ok()) << reading.problem.toStdString();
            const ByteView block = partBlockAt(*c.file, checkSysexFile(*c.file), c.position);
            EXPECT_EQ(reading.block, Bytes(block.begin(), block.end()));
            EXPECT_EQ(reading.wrongChecksums, c.wrongChecksums);
        } else {
            EXPECT_FALSE(reading.ok());
            EXPECT_NE(reading.problem.toStdString().find(c.problem), std::string::npos)
                << reading.problem.toStdString();
            EXPECT_TRUE(reading.block.empty());
        }
    }
}
