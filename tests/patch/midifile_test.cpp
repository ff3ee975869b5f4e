// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/initialpatch.h"
#include "patch/midifile.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>

using namespace dorvane;
using dorvane::test::TempDir;

namespace {

// An image with varied data in every message, so a shifted or dropped byte shows.
t505temppatch variedImage()
{
    t505temppatch p;
    p.LoadFromBytes(initialImage());
    for (int part : {0, 1, 2, 3, 4, 5, 6})
        for (int area = 0; area <= 4; ++area)
            p.WriteByte(part, area, 20, part * 10 + area);
    for (int i = 0; i < 64; ++i)
        p.WriteByte(9, i, 30, i);
    p.UpdateAllChecksums();
    return p;
}

struct SysexEvents
{
    std::string header;
    std::vector<std::string> events; // hex of each event's bytes
    std::vector<std::string> lines;
};

SysexEvents readWithMido(const std::string& file)
{
    const auto r = test::runProcess(
        "/usr/bin/python3", {test::sourceDir() + "/tests/patch/read_sysex_events.py", file});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    SysexEvents out;
    std::istringstream in(r.out);
    std::string line;
    std::getline(in, out.header);
    while (std::getline(in, line)) {
        out.lines.push_back(line);
        if (line.rfind("sysex 0 ", 0) == 0)
            out.events.push_back(line.substr(8));
    }
    return out;
}

std::vector<std::string> messagesHex(ByteView bytes)
{
    std::vector<std::string> out;
    for (ByteView m : splitSysex(bytes))
        out.push_back(test::hex(Bytes(m.begin(), m.end())));
    return out;
}

} // namespace

TEST(MidiFile, LayoutOfTheFile)
{
    const Bytes part = initialPartFile();
    const Bytes f = midiFileBytes(part);
    EXPECT_EQ(test::hex(Bytes(f.begin(), f.begin() + 31)),
              "4D 54 68 64 00 00 00 06 00 00 00 01 00 78 4D 54 72 6B " +
                  test::hex(Bytes{0, 0, std::uint8_t((f.size() - 22) >> 8),
                                  std::uint8_t(f.size() - 22)}) +
                  " 00 FF 03 00 00 FF 21 01 00");
    // The 86-byte common becomes 00 F0 55 + 85 bytes; each tone 00 F0 81 0C + 140 bytes.
    EXPECT_EQ(test::hex(Bytes(f.begin() + 31, f.begin() + 34)), "00 F0 55");
    EXPECT_EQ(test::hex(Bytes(f.begin() + 31 + 88, f.begin() + 31 + 92)), "00 F0 81 0C");
    EXPECT_EQ(test::hex(Bytes(f.end() - 4, f.end())), "00 FF 2F 00");
    EXPECT_EQ(f.size(), 31u + (3 + 85) + 4 * (4 + 140) + 4);

    Bytes vlq;
    appendVariableLength(vlq, 0x0FFFFFFF);
    EXPECT_EQ(test::hex(vlq), "FF FF FF 7F");
}

TEST(MidiFile, ExportsReadBackByMido)
{
    TempDir dir;
    t505temppatch p = variedImage();
    p.SavePartAsMidiFile(dir.file("part2"), 1);
    p.SavePartAsMidiFile(dir.file("partR.mid"), 9);
    p.SaveAsMidiFile(dir.file("all.MID"));

    EXPECT_TRUE(std::filesystem::exists(dir.file("part2"))) << "part export keeps the name";
    EXPECT_EQ(std::filesystem::file_size(dir.file("partR.mid")), 4669u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("all.MID")));
    ASSERT_TRUE(std::filesystem::exists(dir.file("all.MID.mid"))) << "only exactly .mid is kept";

    struct Case
    {
        std::string file;
        ByteView bytes;
        std::size_t count;
    } cases[] = {
        {dir.file("part2"), p.partView(1), 5},
        {dir.file("partR.mid"), p.partView(9), 65},
        {dir.file("all.MID.mid"), p.bytes(), 100},
    };
    for (const auto& c : cases) {
        const SysexEvents got = readWithMido(c.file);
        EXPECT_EQ(got.header, "format 0 tracks 1 ticks 120");
        ASSERT_EQ(got.events.size(), c.count) << c.file;
        EXPECT_EQ(got.events, messagesHex(c.bytes)) << c.file;
        EXPECT_EQ(got.lines.front(), "meta track_name 0");
        EXPECT_EQ(got.lines.back(), "meta end_of_track 0");
    }

    // A whole image under a name that already ends in .mid keeps it.
    p.SaveAsMidiFile(dir.file("x.mid"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("x.mid")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.mid.mid")));
}

TEST(MidiFile, ExportsCarryFreshChecksums)
{
    TempDir dir;
    t505temppatch p = variedImage();
    p.WriteByte(0, 1, 81, 3); // stale checksum
    const Bytes stale = p.bytes();
    p.SavePartAsMidiFile(dir.file("p1.mid"), 0);
    p.SaveAsMidiFile(dir.file("all.mid"));
    EXPECT_EQ(p.bytes(), stale) << "the image keeps its own checksums";
    EXPECT_EQ(readWithMido(dir.file("p1.mid")).events, messagesHex(p.refreshedPartBytes(0)));
    EXPECT_EQ(readWithMido(dir.file("all.mid")).events, messagesHex(p.refreshedBytes()));
    EXPECT_NE(messagesHex(p.refreshedBytes()), messagesHex(stale));
}

TEST(MidiFile, OnlyCompleteMessagesAreExported)
{
    // A message cut short would become an event without F7, and bytes outside
    // any message would vanish without a word: neither makes a file.
    const Bytes image = initialImage();
    struct Case
    {
        Bytes bytes;
        std::string problem;
    } cases[] = {
        {Bytes(image.begin(), image.end() - 1),
         "the last sysex message has no end (F7): no MIDI file was made"},
        {Bytes{0x12, 0xF0, 0x41, 0xF7},
         "byte 0 (12) is outside any sysex message: no MIDI file was made"},
        {Bytes{0xF0, 0x41, 0x93, 0xF7},
         "byte 2 (93) is no data byte, inside a sysex message: no MIDI file was made"},
        {Bytes{0xF0, 0x41, 0xF0, 0x10, 0xF7},
         "byte 2 (F0) is no data byte, inside a sysex message: no MIDI file was made"},
    };
    for (const auto& c : cases) {
        try {
            (void)midiFileBytes(c.bytes);
            ADD_FAILURE() << "exported " << test::hex(c.bytes);
        } catch (const std::invalid_argument& e) {
            EXPECT_EQ(e.what(), c.problem);
        }
    }
    EXPECT_EQ(midiFileBytes(Bytes{}).size(), 31u + 4) << "nothing at all is an empty track";

    // An image that is not one of the instrument's is refused before the file is touched.
    TempDir dir;
    t505temppatch p;
    for (const Bytes& b : {Bytes{}, Bytes{0xF0, 0x41, 0x10}, test::randomBytes(9054, 11)}) {
        p.LoadFromBytes(b);
        EXPECT_THROW(p.SaveAsMidiFile(dir.file("m.mid")), std::invalid_argument);
        EXPECT_THROW(p.SavePartAsMidiFile(dir.file("p.mid"), 0), std::invalid_argument);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("m.mid")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("p.mid")));
}
