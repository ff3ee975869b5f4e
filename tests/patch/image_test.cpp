// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/fileio.h"
#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

#include "support/filesizelimit.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <climits>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <filesystem>

using namespace dorvane;
using dorvane::test::TempDir;

namespace {

t505temppatch initial()
{
    t505temppatch p;
    p.LoadFromBytes(initialImage());
    return p;
}

// An image whose every byte tells where it sits, so misplaced reads show.
t505temppatch numbered()
{
    Bytes b(ImageSize);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = std::uint8_t(i * 7 + 3);
    t505temppatch p;
    p.LoadFromBytes(b);
    return p;
}

} // namespace

TEST(Image, PositionsFollowTheAreaLayout)
{
    const t505temppatch p = numbered();
    const auto& b = p.bytes();
    EXPECT_EQ(p.ReadByte(3, 2, 5), b[2192]);
    EXPECT_EQ(p.ReadByte(0, 0, 0), b[10]);
    EXPECT_EQ(p.ReadByte(6, 4, 128), b[6 * 650 + 96 + 3 * 141 + 128]);
    EXPECT_EQ(p.ReadByte(9, 0, 0), b[4584]);
    EXPECT_EQ(p.ReadByte(9, 63, 57), b[9051]);

    // The last drum note's checksum and F7 close the image.
    const t505temppatch init = initial();
    EXPECT_EQ(init.bytes()[9053], 0xF7);
    EXPECT_EQ(init.bytes()[4584 - 10 + 1], 0x41);
}

TEST(Image, NeverReadsOrWritesOutsideItsBytes)
{
    t505temppatch empty;
    EXPECT_EQ(empty.ReadByte(9, 63, 57), 0);
    empty.WriteByte(0, 1, 5, 99);
    empty.WriteWave(0, 1, 300);
    empty.SetPatchName(9, "ABCD");
    empty.UpdateAllChecksums();
    empty.SetPartNumber(4);
    EXPECT_EQ(empty.Size(), 0u);
    EXPECT_EQ(empty.GetPatchName(3), "");
    EXPECT_TRUE(empty.PartBytes(9).empty());
    EXPECT_TRUE(empty.AllBytes().empty());

    t505temppatch shortImage;
    shortImage.LoadFromBytes(Bytes(9053, 0x11));
    shortImage.WriteByte(9, 63, 57, 0x22); // 9051: inside
    shortImage.UpdateChecksums(9);         // last checksum would be at 9052: inside
    EXPECT_EQ(shortImage.Size(), 9053u);
    EXPECT_EQ(shortImage.ReadByte(9, 63, 57), 0x22);
    EXPECT_EQ(shortImage.ReadByte(9, 63, 59), 0); // 9053: outside
    EXPECT_EQ(shortImage.PartBytes(9).size(), 4503u);

    // Negative or absurd positions are outside too.
    t505temppatch p = numbered();
    const Bytes before = p.bytes();
    p.WriteByte(-5, 0, 0, 1);
    p.WriteByte(0, -3, 0, 1);
    p.WriteByte(9, 1000, 0, 1);
    // Extremes of an int overflowed the position arithmetic before any check.
    for (int extreme : {INT_MIN, INT_MAX}) {
        p.WriteByte(9, extreme, 0, 1);
        p.WriteByte(0, extreme, 5, 1);
        p.WriteByte(3, 2, extreme, 1);
        p.WriteByte(extreme, 1, 1, 1);
        EXPECT_EQ(bytePosition(9, extreme, 0), std::nullopt);
        EXPECT_EQ(bytePosition(0, 1, extreme), std::nullopt);
    }
    // An offset past its message's data would reach the next message's header.
    EXPECT_EQ(bytePosition(0, 1, 129), std::nullopt);
    EXPECT_EQ(bytePosition(0, 0, 74), std::nullopt);
    EXPECT_EQ(bytePosition(9, 63, 58), std::nullopt);
    EXPECT_EQ(bytePosition(0, 5, 0), std::nullopt);
    EXPECT_EQ(bytePosition(7, 0, 0), std::nullopt) << "parts 7 and 8 have no block";
    EXPECT_EQ(bytePosition(9, 63, 57), 9051u);
    EXPECT_EQ(p.bytes(), before);
    EXPECT_EQ(p.ReadByte(0, 1, -200), 0);
}

TEST(Image, WriteByteKeepsLowBitsAndLeavesChecksumsStale)
{
    t505temppatch p = initial();
    const Bytes before = p.bytes();
    p.WriteByte(2, 1, 81, 0x105);
    EXPECT_EQ(p.ReadByte(2, 1, 81), 0x05);
    Bytes expect = before;
    expect[*bytePosition(2, 1, 81)] = 0x05;
    EXPECT_EQ(p.bytes(), expect) << "only the one byte changes, checksum untouched";

    const Bytes part = p.PartBytes(2);
    EXPECT_TRUE(checksumProblems(part).empty());
    EXPECT_NE(p.bytes(), expect) << "PartBytes refreshes the checksum in the image";
}

TEST(Image, WavesUseTwoEncodings)
{
    t505temppatch p = initial();
    p.WriteWave(1, 2, 255);
    EXPECT_EQ(p.ReadByte(1, 2, 2), 1);
    EXPECT_EQ(p.ReadByte(1, 2, 3), 15);
    EXPECT_EQ(p.ReadByte(1, 2, 4), 15);
    EXPECT_EQ(p.ReadWave(1, 2), 255);

    p.WriteByte(1, 2, 1, 0x33);
    p.WriteWave(1, 2, 256);
    EXPECT_EQ(p.ReadByte(1, 2, 1), 0x33) << "Wave Group is kept";
    EXPECT_EQ(p.ReadByte(1, 2, 2), 2);
    EXPECT_EQ(p.ReadByte(1, 2, 3), 0);
    EXPECT_EQ(p.ReadByte(1, 2, 4), 2);
    EXPECT_EQ(p.ReadWave(1, 2), 256);

    p.WriteByte(1, 2, 4, 0);
    EXPECT_EQ(p.ReadWave(1, 2), 254);
    for (int w : {0, 17, 254, 300, 511}) {
        p.WriteWave(9, 40, w);
        EXPECT_EQ(p.ReadWave(9, 40), w);
    }
}

TEST(Image, PatchNames)
{
    t505temppatch p = initial();
    EXPECT_EQ(p.GetPatchName(0), "INIT PATCH");
    EXPECT_EQ(p.GetPatchName(9), "INIT PATCH");

    p.SetPatchName(4, "ABCD");
    EXPECT_EQ(test::hex(Bytes(p.bytes().begin() + 4 * 650 + 10, p.bytes().begin() + 4 * 650 + 22)),
              "41 42 43 44 20 20 20 20 20 20 20 20");
    EXPECT_EQ(p.GetPatchName(4), "ABCD");

    // Part R's name is the rhythm common at 4560, not a drum note.
    const std::uint8_t drumByte = p.ReadByte(9, 0, 0);
    p.SetPatchName(9, "Kit Thirteen Long");
    EXPECT_EQ(p.GetPatchName(9), "Kit Thirteen");
    EXPECT_EQ(p.bytes()[4560], 'K');
    EXPECT_EQ(p.ReadByte(9, 0, 0), drumByte);

    for (int i = 0; i < 12; ++i)
        p.WriteByte(0, 0, i, i == 5 ? 'X' : (i < 3 ? 0x01 : 0x20));
    EXPECT_EQ(p.GetPatchName(0), "X") << "blanks and control characters trimmed at both ends";
}

TEST(Image, ChecksumsFollowTheRolandRule)
{
    t505temppatch p = initial();
    // Tone 1 of part 0: address sum 2 + 0x10 = 18; make the data sum 238 so the total is 256.
    for (int o = 0; o < 129; ++o)
        p.WriteByte(0, 1, o, 0);
    p.WriteByte(0, 1, 0, 127);
    p.WriteByte(0, 1, 1, 111);
    p.UpdateChecksums(0);
    EXPECT_EQ(p.bytes()[225], 0x00);

    Bytes corrupted = p.bytes();
    for (std::size_t at : {84u, 366u, 4572u, 4642u + 63 * 70})
        corrupted[at] ^= 0x55;
    p.LoadFromBytes(corrupted);
    EXPECT_EQ(checksumProblems(p.bytes()).size(), 4u);
    const Bytes all = p.AllBytes();
    EXPECT_TRUE(checksumProblems(all).empty());
    EXPECT_EQ(all, p.bytes());
}

TEST(Image, PartFilesMoveBetweenParts)
{
    TempDir dir;
    t505temppatch p = numbered();
    t505temppatch src = initial();
    src.SetPatchName(1, "TWO");
    src.SavePartFile(dir.file("p2.syx"), 1);
    const Bytes onDisk = test::readFile(dir.file("p2.syx"));
    ASSERT_EQ(onDisk.size(), 650u);

    t505temppatch target = initial();
    ASSERT_TRUE(target.LoadPartFile(dir.file("p2.syx"), 4));
    EXPECT_EQ(target.GetPatchName(4), "TWO");
    for (std::size_t at : {7u, 93u, 234u, 375u, 516u})
        EXPECT_EQ(target.bytes()[4 * 650 + at], 4);
    EXPECT_EQ(test::readFile(dir.file("p2.syx")), onDisk) << "the file is only read";
    EXPECT_TRUE(checksumProblems(target.PartBytes(4)).empty());

    // Part R files are 4504 bytes and go in unchanged.
    src.SavePartFile(dir.file("r.syx"), 9);
    EXPECT_EQ(test::readFile(dir.file("r.syx")).size(), 4504u);
    t505temppatch r = numbered();
    ASSERT_TRUE(r.LoadPartFile(dir.file("r.syx"), 9));
    EXPECT_EQ(Bytes(r.bytes().begin() + 4550, r.bytes().end()), test::readFile(dir.file("r.syx")));

    // Wrong lengths and parts without a block change nothing.
    for (std::size_t size : {0u, 640u, 651u, 4504u, 9054u}) {
        test::writeFile(dir.file("bad.syx"), test::randomBytes(size, 7));
        t505temppatch q = numbered();
        EXPECT_FALSE(q.LoadPartFile(dir.file("bad.syx"), 2)) << size;
        EXPECT_EQ(q.bytes(), numbered().bytes());
    }
    t505temppatch q = numbered();
    EXPECT_FALSE(q.LoadPartFile(dir.file("p2.syx"), 7));
    EXPECT_FALSE(q.LoadPartFile(dir.file("r.syx"), 0));
    EXPECT_EQ(q.bytes(), numbered().bytes());
    EXPECT_THROW(q.LoadPartFile(dir.file("missing.syx"), 0), FileError);

    // An image too short to hold the block takes nothing and says so.
    t505temppatch shortImage;
    shortImage.LoadFromBytes(Bytes(3000, 0x11));
    EXPECT_FALSE(shortImage.LoadPartFile(dir.file("p2.syx"), 4));
    EXPECT_FALSE(shortImage.LoadPartFile(dir.file("r.syx"), 9));
    EXPECT_EQ(shortImage.bytes(), Bytes(3000, 0x11));
}

TEST(Image, SavesCarryFreshChecksumsTheImageKeepsItsOwn)
{
    // An edit leaves the image's checksums stale until the next send; a file
    // written in between must not carry them, or the instrument drops the
    // edited messages when the file is sent later.
    TempDir dir;
    t505temppatch p = initial();
    p.WriteByte(0, 0, 30, 5);
    p.WriteByte(2, 3, 81, 20);
    p.SetPatchName(9, "KIT");
    const Bytes stale = p.bytes();
    ASSERT_EQ(checksumProblems(stale).size(), 3u);

    p.SaveToFile(dir.file("all.syx"));
    p.SavePartFile(dir.file("p3.syx"), 2);
    p.SavePartFile(dir.file("r.syx"), 9);
    EXPECT_EQ(p.bytes(), stale) << "saving leaves the image as it is";
    for (const char* name : {"all.syx", "p3.syx", "r.syx"}) {
        const Bytes saved = test::readFile(dir.file(name));
        const SysexFileCheck check = checkSysexFile(saved);
        EXPECT_TRUE(check.ok()) << name << ": " << check.problem();
        EXPECT_EQ(check.wrongChecksums(), 0u) << name;
    }
    Bytes expected = stale;
    refreshChecksums(expected);
    EXPECT_EQ(test::readFile(dir.file("all.syx")), expected) << "only checksum bytes differ";
}

TEST(Image, FilesRoundTripAndFailuresLeaveThingsAsTheyWere)
{
    TempDir dir;
    t505temppatch p = initial();
    p.WriteByte(3, 2, 40, 99);
    p.SaveToFile(dir.file("a.syx"));
    EXPECT_EQ(test::readFile(dir.file("a.syx")), p.refreshedBytes());

    t505temppatch q;
    q.LoadFromFile(dir.file("a.syx"));
    EXPECT_EQ(q.bytes(), p.refreshedBytes());

    // Every size loads as it is: the callers decide what fits.
    for (const Bytes& b :
         {Bytes{}, Bytes(9053, 1), test::randomBytes(70000, 3), Bytes{0xF0, 0x41}}) {
        test::writeFile(dir.file("x.syx"), b);
        q.LoadFromFile(dir.file("x.syx"));
        EXPECT_EQ(q.bytes(), b);
    }

    // A missing file or an unwritable target throws with a message and changes nothing.
    q.LoadFromBytes(p.refreshedBytes());
    try {
        q.LoadFromFile(dir.file("nope.syx"));
        FAIL() << "no exception";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("nope.syx"), std::string::npos);
    }
    EXPECT_EQ(q.bytes(), p.refreshedBytes());
    EXPECT_THROW(q.SaveToFile(dir.file("no/such/folder/a.syx")), FileError);
    EXPECT_THROW(q.SaveToFile(dir.path().string()), FileError);
    EXPECT_EQ(test::readFile(dir.file("a.syx")), p.refreshedBytes()) << "old file whole";

    // A save replaces the old file and leaves no temporary file behind.
    t505temppatch other = initial();
    other.SaveToFile(dir.file("a.syx"));
    EXPECT_EQ(test::readFile(dir.file("a.syx")), other.bytes());
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        files += e.is_regular_file();
    EXPECT_EQ(files, 2); // a.syx and x.syx
}

#ifndef _WIN32
TEST(Image, OnlyRegularFilesAreReadAndNeverPastTheLimit)
{
    // A .syx that is a link to a device or a pipe would be read without end,
    // or block the open until something writes to it: refused by what it is.
    TempDir dir;
    std::filesystem::create_symlink("/dev/zero", dir.file("zero.syx"));
    ASSERT_EQ(::mkfifo(dir.file("pipe.syx").c_str(), 0600), 0);
    test::writeFile(dir.file("big.syx"), Bytes(4097, 0xF0));
    const struct
    {
        std::string file;
        std::string reason;
        std::size_t limit;
    } cases[] = {
        {dir.file("zero.syx"), "it is a device", MaxFileSize},
        {dir.file("pipe.syx"), "it is a pipe", MaxFileSize},
        {dir.path().string(), "it is a folder", MaxFileSize},
        {dir.file("big.syx"), "4097 bytes, more than the 4096 this program reads", 4096},
    };
    for (const auto& c : cases) {
        try {
            readWholeFile(c.file, c.limit);
            ADD_FAILURE() << c.file << " was read";
        } catch (const FileError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot read " + c.file + ": " + c.reason);
            EXPECT_EQ(e.reason(), c.reason);
        }
    }
    EXPECT_EQ(readWholeFile(dir.file("big.syx"), 4097).size(), 4097u);
    // A text list is read only as far as its bound, and a device not at all.
    EXPECT_EQ(readFileHead(dir.file("big.syx"), 4096), Bytes(4096, 0xF0));
    EXPECT_THROW(readFileHead(dir.file("zero.syx"), 4096), FileError);
}

TEST(Image, AFileThatCannotBeOpenedSaysWhyAndAnEmptyOneIsRead)
{
    TempDir dir;
    test::writeFile(dir.file("empty.syx"), {});
    test::writeFile(dir.file("locked.syx"), Bytes(10, 0xF0));
    ::chmod(dir.file("locked.syx").c_str(), 0);
    const struct
    {
        std::string file;
        std::string reason;
    } cases[] = {
        {dir.file("nope.syx"), "No such file or directory"},
        {dir.file("empty.syx/a.syx"), "Not a directory"},
        {dir.file("locked.syx"), "Permission denied"},
    };
    for (const auto& c : cases) {
        // Whoever reads every file anyway (root) cannot be refused one.
        if (c.reason == "Permission denied" && ::geteuid() == 0)
            continue;
        for (const bool head : {false, true}) {
            try {
                head ? readFileHead(c.file, 4096) : readWholeFile(c.file);
                ADD_FAILURE() << c.file << " was read";
            } catch (const FileError& e) {
                EXPECT_EQ(std::string(e.what()), "Cannot open " + c.file + ": " + c.reason);
                EXPECT_EQ(e.reason(), "cannot be opened: " + c.reason);
            }
        }
    }
    EXPECT_EQ(readWholeFile(dir.file("empty.syx")), Bytes{});
    EXPECT_EQ(readFileHead(dir.file("empty.syx"), 0), Bytes{});
    // A file of exactly the bound is read whole, and one longer read as far as
    // the bound by the head reader, whatever the size the first read guessed.
    const Bytes big = test::randomBytes(200000, 7);
    test::writeFile(dir.file("big.syx"), big);
    EXPECT_EQ(readWholeFile(dir.file("big.syx"), big.size()), big);
    EXPECT_EQ(readFileHead(dir.file("big.syx"), 100000), Bytes(big.begin(), big.begin() + 100000));
    EXPECT_EQ(readFileHead(dir.file("big.syx"), 300000), big);
}
#endif

TEST(Image, LoadFromStreamCopies)
{
    t505temppatch a = numbered();
    t505temppatch undo;
    undo.LoadFromStream(a);
    a.WriteByte(0, 1, 1, 5);
    EXPECT_NE(undo.bytes(), a.bytes());
    undo.LoadFromStream(undo);
    EXPECT_EQ(undo.bytes(), numbered().bytes());
}

TEST(Image, AnEmptyImageSavesAnEmptyFile)
{
    TempDir dir;
    t505temppatch empty;
    empty.SaveToFile(dir.file("empty.syx"));
    EXPECT_TRUE(test::readFile(dir.file("empty.syx")).empty());
}

TEST(Image, ASaveThatFailsPartWayKeepsTheOldFile)
{
    // A disk that fills up in the middle of a save: the old file must stay
    // whole, no half-written file may be left, and the failure must be said.
    TempDir dir;
    t505temppatch old = initial();
    old.SaveToFile(dir.file("song.syx"));
    const Bytes oldBytes = test::readFile(dir.file("song.syx"));
    t505temppatch edited = initial();
    edited.SetPatchName(0, "NEW");
    std::string error;
    try {
        test::FileSizeLimit full(4096);
        edited.SaveToFile(dir.file("song.syx"));
    } catch (const FileError& e) {
        error = e.what();
    }
    EXPECT_NE(error.find("Cannot write " + dir.file("song.syx") + ": File too large"),
              std::string::npos)
        << error;
    EXPECT_EQ(test::readFile(dir.file("song.syx")), oldBytes);
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        files += e.is_regular_file();
    EXPECT_EQ(files, 1) << "no temporary file left behind";
}
