// SPDX-License-Identifier: GPL-3.0-or-later
// dorvane-cli library, run as the real executable over an index in a
// temporary data folder; and a scan killed halfway.
#include "library/library.h"
#include "library/librarydatabase.h"

#include "support/libraryfiles.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <gtest/gtest.h>

#include <sstream>

using namespace dorvane;
namespace fs = std::filesystem;

namespace {

// The program's data folder, and with it the index, in a temporary folder.
struct DataHome
{
    test::TempDir dir;
    QByteArray saved = qgetenv("XDG_DATA_HOME");
    DataHome()
    {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir.path() / "data").string()));
    }
    ~DataHome() { qputenv("XDG_DATA_HOME", saved); }
    fs::path root() const { return dir.path() / "patches"; }
};

test::ProcessResult cli(const std::vector<std::string>& args)
{
    std::vector<std::string> all{"library"};
    all.insert(all.end(), args.begin(), args.end());
    return test::runProcess(test::binDir() + "/dorvane-cli", all);
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(CliLibrary, AddScanAndFindWithFilters)
{
    DataHome home;
    test::put(home.root() / "song.syx", test::knownImage(1));
    test::put(home.root() / "a" / "from2.syx", test::partFile(4, 0, 1, "DEEP BASS"));
    test::put(home.root() / "b" / "from5.syx", test::partFile(4, 0, 4, "DEEP BASS"));
    test::put(home.root() / "kit.syx", test::rhythmFile(5, "TR KIT"));
    test::put(home.root() / "broken.syx", test::rightSizeRandom(PartBlockSize, 4));
    const std::string root = fs::canonical(home.root()).string();

    auto r = cli({"add", home.root().string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "5 files: 5 read, 1 of them no patch files, 0 gone; 11 parts in the library\n");

    r = cli({"find", "bass"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{
                                "DEEP BASS\t2\t" + root + "/a/from2.syx\tduplicate(2)\t-",
                                "DEEP BASS\t5\t" + root + "/b/from5.syx\tduplicate(2)\t-"}));
    EXPECT_EQ(lines(cli({"find", "--kits"}).out).size(), 2u);
    EXPECT_EQ(lines(cli({"find", "--duplicates"}).out).size(), 2u);
    EXPECT_EQ(lines(cli({"find", "s1 part"}).out).size(), 7u);
    EXPECT_EQ(lines(cli({"find"}).out).size(), 11u);
    EXPECT_TRUE(cli({"find", "--favourites"}).out.empty());
    {
        LibraryDatabase db(Library::defaultDatabaseFile());
        for (const auto& e : db.entries())
            if (e.name == "TR KIT") {
                db.setFavourite(e.partId, true);
                db.setTags(e.partId, {QString("909"), QString("house")});
            }
    }
    EXPECT_EQ(cli({"find", "house", "--favourites", "--kits"}).out,
              "TR KIT\tR\t" + root + "/kit.syx\tfavourite\t909,house\n");

    r = cli({"scan"});
    EXPECT_EQ(r.out,
              "5 files: 0 read, 0 of them no patch files, 0 gone; 11 parts in the library\n");
    fs::remove(home.root() / "a" / "from2.syx");
    r = cli({"scan"});
    EXPECT_EQ(r.out,
              "4 files: 0 read, 0 of them no patch files, 1 gone; 10 parts in the library\n");

    r = cli({"add", (home.root() / "nothing").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("is not a folder; nothing was added"), std::string::npos) << r.err;
    r = cli({"frob"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("library takes add DIR, scan, or find"), std::string::npos) << r.err;
}

#ifndef _WIN32
TEST(CliLibrary, ALinkToADeviceIsNoPatchFileAndTheGoodFileBesideItIsIndexed)
{
    DataHome home;
    test::put(home.root() / "song.syx", test::knownImage(1));
    fs::create_symlink("/dev/zero", home.root() / "zero.syx");
    const auto r = cli({"add", home.root().string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "2 files: 2 read, 1 of them no patch files, 0 gone; 8 parts in the library\n");
    LibraryDatabase db(Library::defaultDatabaseFile());
    const auto others = db.others();
    ASSERT_EQ(others.size(), 1u);
    EXPECT_EQ(others[0].reason, "it is a device");
}
#endif

TEST(CliLibrary, AScanKilledHalfwayLeavesAnIndexThatOpensAndIsCompletedByTheNext)
{
    DataHome home;
    fs::create_directories(home.root());
    ASSERT_EQ(cli({"add", home.root().string()}).exitCode, 0);
    constexpr int Files = 4000;
    for (int i = 0; i < Files; ++i)
        test::put(home.root() / std::to_string(i % 10) / ("p" + std::to_string(i) + ".syx"),
                  test::partFile(i % 7 + 1, i % 7, i % 7, "P" + std::to_string(i)));

    const QString index = Library::defaultDatabaseFile();
    QProcess scan;
    scan.start(QString::fromStdString(test::binDir() + "/dorvane-cli"), {"library", "scan"});
    ASSERT_TRUE(scan.waitForStarted());
    int committed = 0;
    {
        auto reader = QSqlDatabase::addDatabase("QSQLITE", "watching");
        reader.setDatabaseName(index);
        reader.setConnectOptions("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=1000");
        ASSERT_TRUE(reader.open());
        // Killed as soon as the first batch is in, well before the end.
        const bool started = QTest::qWaitFor(
            [&] {
                QSqlQuery q(reader);
                committed =
                    q.exec("SELECT count(*) FROM files") && q.next() ? q.value(0).toInt() : 0;
                return committed > 0;
            },
            60000);
        scan.kill();
        scan.waitForFinished();
        reader.close();
        ASSERT_TRUE(started);
    }
    QSqlDatabase::removeDatabase("watching");
    ASSERT_EQ(scan.exitStatus(), QProcess::CrashExit) << "the scan was killed, not finished";

    {
        auto raw = QSqlDatabase::addDatabase("QSQLITE", "checking");
        raw.setDatabaseName(index);
        ASSERT_TRUE(raw.open());
        QSqlQuery q(raw);
        ASSERT_TRUE(q.exec("PRAGMA integrity_check") && q.next());
        EXPECT_EQ(q.value(0).toString(), "ok");
        q.finish();
        raw.close();
    }
    QSqlDatabase::removeDatabase("checking");
    {
        LibraryDatabase db(index);
        const int files = db.fileCount();
        EXPECT_GT(files, 0);
        EXPECT_LT(files, Files);
        EXPECT_EQ(db.entries().size(), std::size_t(files)) << "every file written with its part";
    }
    const auto r = cli({"scan"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(std::to_string(Files) + " files:"), std::string::npos) << r.out;
    LibraryDatabase db(index);
    EXPECT_EQ(db.fileCount(), Files);
    EXPECT_EQ(db.entries().size(), std::size_t(Files));
}
