// SPDX-License-Identifier: GPL-3.0-or-later
// MIDI files in the library: an image, two parts among the notes of a song,
// broken messages; and every MIDI file gone wrong judged without a read past
// its end.
#include "library/librarydatabase.h"
#include "library/libraryscanner.h"
#include "library/patchfileparts.h"
#include "patch/midifile.h"
#include "patch/midifileread.h"

#include "support/libraryfiles.h"

#include <gtest/gtest.h>

using namespace dorvane;
namespace fs = std::filesystem;

namespace {

void append32(Bytes& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(v >> shift));
}

// A Standard MIDI File put together event by event, as a sequencer writes one.
struct Song
{
    std::vector<Bytes> tracks;
    int format = 1;

    Bytes& track(std::size_t n)
    {
        if (tracks.size() <= n)
            tracks.resize(n + 1);
        return tracks[n];
    }
    void notes(std::size_t n, std::uint8_t key)
    {
        // Note on, then off with running status, a beat apart.
        track(n).insert(track(n).end(), {0x00, 0x90, key, 0x64, 0x60, key, 0x00});
    }
    void sysex(std::size_t n, ByteView message, std::size_t packets = 1)
    {
        // F0 and its data in the first packet, the rest in F7 continuations.
        const ByteView data = message.subspan(1);
        const std::size_t step = (data.size() + packets - 1) / packets;
        for (std::size_t at = 0; at < data.size(); at += step) {
            const std::size_t len = std::min(step, data.size() - at);
            track(n).push_back(at == 0 ? 0x00 : 0x10);
            track(n).push_back(at == 0 ? SysexStart : SysexEnd);
            appendVariableLength(track(n), std::uint32_t(len));
            track(n).insert(track(n).end(), data.begin() + std::ptrdiff_t(at),
                            data.begin() + std::ptrdiff_t(at + len));
        }
    }
    void messages(std::size_t n, ByteView bytes)
    {
        for (std::size_t at = 0; at < bytes.size();) {
            std::size_t end = at;
            while (bytes[end] != SysexEnd)
                ++end;
            sysex(n, bytes.subspan(at, end + 1 - at));
            at = end + 1;
        }
    }
    Bytes bytes() const
    {
        Bytes out = {'M',  'T',
                     'h',  'd',
                     0,    0,
                     0,    6,
                     0,    std::uint8_t(format),
                     0,    std::uint8_t(tracks.size()),
                     0x01, 0xE0};
        for (const Bytes& t : tracks) {
            out.insert(out.end(), {'M', 'T', 'r', 'k'});
            append32(out, std::uint32_t(t.size() + 4));
            out.insert(out.end(), t.begin(), t.end());
            out.insert(out.end(), {0x00, 0xFF, 0x2F, 0x00});
        }
        return out;
    }
};

std::vector<QByteArray> sounds(const FileReading& r)
{
    std::vector<QByteArray> out;
    for (const FilePart& p : r.parts)
        out.push_back(p.sound);
    return out;
}

} // namespace

TEST(LibraryMidiFiles, ImagesPartsAmongNotesAndBrokenMessages)
{
    const Bytes image = test::knownImage(1);
    const Bytes bass = test::partFile(4, 0, 1, "DEEP BASS");
    const Bytes pad = test::partFile(5, 2, 4, "SOFT PAD");
    const Bytes kit = test::rhythmFile(6, "TR KIT");

    Song song; // tempo and notes on track 0, the set-up on track 1
    song.track(0).insert(song.track(0).end(), {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
    song.notes(0, 60);
    song.sysex(1, Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}); // GS
    song.messages(1, bass);
    song.notes(1, 36);
    Bytes padSplit = pad;
    song.sysex(1, ByteView(padSplit).first(CommonMessageSize), 3);
    song.messages(1, ByteView(padSplit).subspan(CommonMessageSize));
    song.notes(1, 38);

    Song withKit = song;
    withKit.messages(1, kit);

    Song broken = song; // a status byte inside a Data Set message of this model
    Bytes bad = test::partFile(7, 0, 0);
    bad[MessageHeaderSize + 3] = 0x90;
    broken.messages(1, bad);

    Song neverEnds;
    neverEnds.notes(0, 60);
    neverEnds.track(0).insert(neverEnds.track(0).end(), {0x00, 0xF0, 0x03, 0x41, 0x10, 0x00});

    Song notesOnly;
    notesOnly.format = 0;
    notesOnly.notes(0, 60);

    Song format2 = song;
    format2.format = 2;

    struct Case
    {
        const char* what;
        Bytes file;
        LibraryFileKind kind;
        std::vector<QByteArray> sounds; // of the parts, in the file's order
        std::vector<int> parts;
        std::string reason; // what the reason says, for other
    };
    const Case cases[] = {
        {"an image exported",
         midiFileBytes(image),
         LibraryFileKind::Image,
         sounds(readPatchFile(image)),
         {0, 1, 2, 3, 4, 5, 6, RhythmPart},
         ""},
        {"two parts among notes, one in packets",
         song.bytes(),
         LibraryFileKind::Part,
         {sounds(readPatchFile(bass))[0], sounds(readPatchFile(pad))[0]},
         {1, 4},
         ""},
        {"two parts and a kit",
         withKit.bytes(),
         LibraryFileKind::Part,
         {sounds(readPatchFile(bass))[0], sounds(readPatchFile(pad))[0],
          sounds(readPatchFile(kit))[0]},
         {1, 4, RhythmPart},
         ""},
        {"a kit alone",
         midiFileBytes(kit),
         LibraryFileKind::Rhythm,
         sounds(readPatchFile(kit)),
         {RhythmPart},
         ""},
        {"a broken message", broken.bytes(), LibraryFileKind::Other, {}, {}, "holds 90"},
        {"a message that never ends",
         neverEnds.bytes(),
         LibraryFileKind::Other,
         {},
         {},
         "never ends"},
        {"notes only", notesOnly.bytes(), LibraryFileKind::Other, {}, {}, "no Data Set message"},
        {"format 2", format2.bytes(), LibraryFileKind::Other, {}, {}, "format 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FileReading r = readPatchFile(c.file);
        EXPECT_EQ(r.kind, c.kind) << r.reason.toStdString();
        EXPECT_EQ(sounds(r), c.sounds);
        std::vector<int> parts;
        for (const FilePart& p : r.parts)
            parts.push_back(p.part);
        EXPECT_EQ(parts, c.parts);
        EXPECT_NE(r.reason.toStdString().find(c.reason), std::string::npos)
            << r.reason.toStdString();
    }

    // The broken message's reason points at the byte in the MIDI file.
    const Bytes brokenFile = broken.bytes();
    const std::string reason = readPatchFile(brokenFile).reason.toStdString();
    ASSERT_EQ(reason.rfind("byte ", 0), 0u) << reason;
    EXPECT_EQ(brokenFile.at(std::stoul(reason.substr(5))), 0x90) << reason;
}

TEST(LibraryMidiFiles, CutShortPaddedAndRandomFilesAreOtherWithAReason)
{
    Song song;
    song.notes(0, 60);
    song.messages(0, test::partFile(4, 0, 1));
    song.notes(0, 62);
    const Bytes good = song.bytes();
    ASSERT_EQ(readPatchFile(good).parts.size(), 1u);

    // Every length short of the whole: the track chunk claims more than there is.
    for (std::size_t n = 0; n < good.size(); ++n) {
        const FileReading r = readPatchFile(ByteView(good).first(n));
        ASSERT_EQ(r.kind, LibraryFileKind::Other) << n;
        ASSERT_FALSE(r.reason.isEmpty()) << n;
    }
    // Bytes after the last chunk that are no chunk, and a chunk that claims
    // more than the file.
    Bytes padded = good;
    padded.insert(padded.end(), {0x01, 0x02, 0x03});
    EXPECT_NE(readPatchFile(padded).reason.toStdString().find("cut short"), std::string::npos);
    Bytes claims = good;
    claims[18] = 0x7F;
    EXPECT_NE(readPatchFile(claims).reason.toStdString().find("claims"), std::string::npos);
    // Random bytes behind a MIDI file's header, and random events in a track
    // of the right length: never a part, never a read past the end.
    for (unsigned seed = 1; seed <= 200; ++seed) {
        Bytes random = test::randomBytes(std::size_t(seed) * 37, seed);
        Bytes file(good.begin(), good.begin() + 22);
        file.insert(file.end(), random.begin(), random.end());
        file[18] = std::uint8_t(random.size() >> 24);
        file[19] = std::uint8_t(random.size() >> 16);
        file[20] = std::uint8_t(random.size() >> 8);
        file[21] = std::uint8_t(random.size());
        const FileReading r = readPatchFile(file);
        EXPECT_EQ(r.kind, LibraryFileKind::Other) << seed;
        Bytes behindHeader(good.begin(), good.begin() + 8);
        behindHeader.insert(behindHeader.end(), random.begin(), random.end());
        EXPECT_EQ(readPatchFile(behindHeader).kind, LibraryFileKind::Other) << seed;
    }
}

TEST(LibraryMidiFiles, ScannedAndReadAgainAsSysexFilesAre)
{
    test::TempDir dir;
    const fs::path root = dir.path() / "patches";
    Song song;
    song.notes(0, 60);
    const Bytes bass = test::partFile(4, 0, 1, "DEEP BASS");
    const Bytes pad = test::partFile(5, 2, 4, "SOFT PAD");
    song.messages(0, bass);
    song.messages(0, pad);
    test::put(root / "song.mid", song.bytes());
    test::put(root / "bass.syx", bass);
    test::put(root / "image.MID", midiFileBytes(test::knownImage(2)));

    LibraryDatabase db(QString::fromStdString((dir.path() / "library.sqlite").string()));
    db.addFolder(QString::fromStdString(fs::canonical(root).string()));
    const ScanReport report = LibraryScanner(db).scan();
    EXPECT_EQ(report.files, 3);
    EXPECT_EQ(report.others, 0);
    const auto entries = db.entries();
    ASSERT_EQ(entries.size(), 11u);
    int checked = 0;
    for (const LibraryEntry& e : entries) {
        if (e.name != "SOFT PAD" && e.name != "DEEP BASS")
            continue;
        ++checked;
        const PartRereading reading = rereadPart(e);
        ASSERT_TRUE(reading.ok()) << reading.problem.toStdString();
        // The part's messages as a .syx part file of the same part holds them.
        EXPECT_EQ(reading.block, e.name == "SOFT PAD" ? pad : bass) << e.fileName.toStdString();
        EXPECT_EQ(e.copies, e.name == "DEEP BASS" ? 2 : 1);
    }
    EXPECT_EQ(checked, 3);
}
