// SPDX-License-Identifier: GPL-3.0-or-later
// dorvane-cli library, run as the real executable over an index in a
// temporary data folder; and a scan killed halfway.
#include "editor/bindingtable.h"
#include "library/library.h"
#include "library/librarydatabase.h"
#include "library/patchfileparts.h"
#include "library/soundlikeness.h"
#include "patch/catalogue.h"
#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "patch/midifile.h"
#include "patch/t505temppatch.h"

#include "support/libraryfiles.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
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
    EXPECT_NE(r.err.find("library takes add DIR, scan, find [TEXT] or export"), std::string::npos)
        << r.err;
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

namespace {

// Every sysex event of a MIDI file as mido reads it, joined.
Bytes sysexByMido(const fs::path& file)
{
    const auto r =
        test::runProcess("/usr/bin/python3",
                         {test::sourceDir() + "/tests/patch/read_sysex_events.py", file.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    Bytes out;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("sysex ", 0) != 0)
            continue;
        std::istringstream hex(line.substr(line.find(' ', 6) + 1));
        for (std::string b; hex >> b;)
            out.push_back(std::uint8_t(std::stoi(b, nullptr, 16)));
    }
    return out;
}

QByteArray soundAt(ByteView image, int part)
{
    return soundHash(image.subspan(partBlockOffset(part), partBlockSize(part)), part == RhythmPart);
}

} // namespace

TEST(CliLibrary, ABankPutsEachPartWhereItWasAskedWithFreshChecksums)
{
    test::TempDir dir;
    const fs::path root = dir.path();
    Bytes bass = test::partFile(4, 0, 1, "DEEP BASS");
    bass[CommonMessageSize - 2] ^= 0x01; // a stale checksum, refreshed on the way out
    test::put(root / "bass.syx", bass);
    const Bytes song = test::knownImage(2);
    test::put(root / "song.mid", midiFileBytes(song));
    test::put(root / "image.syx", test::knownImage(3));
    const QByteArray bassSound = readPatchFile(bass).parts[0].sound;

    const fs::path bank = root / "bank.syx";
    auto r = cli({"export", bank.string(), (root / "bass.syx=3").string(),
                  (root / "song.mid#2").string(), (root / "image.syx#R").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "part 3\tDEEP BASS\tbass.syx\npart 1\tS2 PART 2\tsong.mid\n"
                     "part R\tS3 RHYTHM\timage.syx\n");
    const Bytes written = test::readFile(bank.string());
    const SysexFileCheck check = checkSysexFile(written);
    ASSERT_EQ(check.kind, SysexFileKind::Image) << check.problem();
    EXPECT_EQ(check.wrongChecksums(), 0u);
    const Bytes initial = initialImage();
    for (int part : {0, 1, 2, 3, 4, 5, 6, RhythmPart}) {
        SCOPED_TRACE(part);
        const QByteArray want = part == 2            ? bassSound
                                : part == 0          ? soundAt(song, 1)
                                : part == RhythmPart ? soundAt(test::knownImage(3), RhythmPart)
                                                     : soundAt(initial, part);
        EXPECT_EQ(soundAt(written, part), want);
    }

    // The same bank as a MIDI file: mido finds exactly the image's messages.
    const fs::path mid = root / "bank.mid";
    r = cli({"export", mid.string(), (root / "bass.syx=3").string(), (root / "song.mid#2").string(),
             (root / "image.syx#R").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(sysexByMido(mid), written);

    struct Refused
    {
        std::vector<std::string> parts;
        std::string says;
    };
    const Refused refused[] = {
        {{"bass.syx=2", "song.mid#4=2"}, "two parts were put on part 2"},
        {{"image.syx#R=4"}, "is a part R kit"},
        {{"bass.syx=R"}, "is a normal part"},
        {{"bass.syx=9"}, "1 to 7 or R"},
        {{"song.mid#12"}, "there is no part 12"},
        {{"missing.syx"}, "missing.syx"},
        {{"bass.syx", "bass.syx", "bass.syx", "bass.syx", "bass.syx", "bass.syx", "bass.syx",
          "bass.syx"},
         "more parts than a bank holds"},
    };
    for (const Refused& c : refused) {
        SCOPED_TRACE(c.says);
        std::vector<std::string> args{"export", (root / "refused.syx").string()};
        for (const std::string& p : c.parts)
            args.push_back((root / p).string());
        r = cli(args);
        EXPECT_NE(r.exitCode, 0);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(root / "refused.syx"));
    }
}

TEST(CliLibrary, LikeListsCopiesWithSmallEditsFirst)
{
    DataHome home;
    t505temppatch image;
    image.LoadFromBytes(test::knownImage(4));
    image.SetPatchName(0, "WARM PAD");
    for (int tone = 1; tone <= ToneCount; ++tone)
        image.WriteByte(0, tone, 0, 1); // every tone heard
    auto saved = [&](const std::string& name, int cutoffTone1, int toneSwitch4) {
        t505temppatch copy;
        copy.LoadFromStream(image);
        copy.WriteByte(0, 1, 81, cutoffTone1);
        copy.WriteByte(0, 4, 0, toneSwitch4);
        test::put(home.root() / name, copy.PartBytes(0));
    };
    saved("pad.syx", 40, 1);
    saved("pad copy.syx", 40, 1);
    saved("pad brighter.syx", 44, 1);
    saved("pad much brighter.syx", 90, 1);
    saved("pad thin.syx", 40, 0);
    test::put(home.root() / "kit.syx", test::rhythmFile(2));
    ASSERT_EQ(cli({"add", home.root().string()}).exitCode, 0);

    const auto r = cli({"like", (home.root() / "pad.syx").string(), "--count", "4"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> files;
    std::vector<double> distances;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        files.push_back(line.substr(line.rfind('/') + 1));
        distances.push_back(std::stod(line));
    }
    EXPECT_EQ(files, (std::vector<std::string>{"pad copy.syx", "pad brighter.syx",
                                               "pad much brighter.syx", "pad thin.syx"}))
        << r.out;
    EXPECT_EQ(r.out.rfind("0\tWARM PAD\t1\t", 0), 0u) << r.out;
    // A few steps of one cutoff lie hundredths apart, and must not print as the same sound.
    ASSERT_EQ(distances.size(), 4u);
    EXPECT_GT(distances[1], 0) << r.out;
    EXPECT_TRUE(std::is_sorted(distances.begin(), distances.end())) << r.out;

    const auto kit = cli({"like", (home.root() / "kit.syx").string()});
    EXPECT_NE(kit.exitCode, 0);
    EXPECT_NE(kit.err.find("kits are not compared"), std::string::npos) << kit.err;
}

// The ranges "sounds like this" scales by are the ones the sheets offer.
TEST(SoundsLikeThis, RangesAreTheSheetsValueLists)
{
    for (const LikenessParameter& p : likenessParameters()) {
        SCOPED_TRACE(std::to_string(p.area) + "/" + std::to_string(p.offset));
        const auto row =
            std::find_if(bindingTable().begin(), bindingTable().end(), [&](const Binding& b) {
                // Drum-note controls share offsets: the name decides.
                return b.ctrlNo == p.offset &&
                       b.handler == (p.area == 0 ? Handler::Common : Handler::Tone) &&
                       b.label == *parameterName(p.area == 0 ? ParameterTable::PartCommon
                                                             : ParameterTable::Tone,
                                                 p.offset);
            });
        ASSERT_NE(row, bindingTable().end());
        EXPECT_EQ(valueList(row->values).size(), p.range) << row->name;
    }
}
