// SPDX-License-Identifier: GPL-3.0-or-later
// A file as the window and dorvane-cli load it: the structural check, then
// everything done with what it accepts (reads, an edit, saves, exports). What
// is accepted must save to a file the check accepts again, byte for byte the
// same on a second round, and export to a MIDI file of complete 7-bit sysex.
#include "fuzzsupport.h"

#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "patch/midifile.h"
#include "patch/t505temppatch.h"

#include <cstring>

using namespace dorvane;
using namespace dorvane::fuzz;

namespace {

int intAt(ByteView b, std::size_t at)
{
    std::int32_t v = 0;
    if (at + 4 <= b.size())
        std::memcpy(&v, b.data() + at, 4);
    return v;
}

void readEverything(const t505temppatch& image)
{
    unsigned sum = 0;
    for (int part : {0, 1, 2, 3, 4, 5, 6, RhythmPart}) {
        const int areas = part == RhythmPart ? DrumNoteCount : ToneCount + 1;
        for (int area = 0; area < areas; ++area) {
            for (int offset = 0; offset < 130; ++offset)
                sum += image.ReadByte(part, area, offset);
            sum += unsigned(image.ReadWave(part, area));
        }
        sum += unsigned(image.GetPatchName(part).size());
    }
    FUZZ_REQUIRE(sum < 0xFFFFFFFFu);
}

void requireExportable(ByteView bytes)
{
    const Bytes midi = midiFileBytes(bytes);
    FUZZ_REQUIRE(sysexOfMidiFile(midi) == Bytes(bytes.begin(), bytes.end()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ByteView bytes(data, size);

    // Positions from outside numbers, the extremes of an int among them.
    {
        t505temppatch probe;
        probe.LoadFromBytes(initialImage());
        const int part = intAt(bytes, 0), area = intAt(bytes, 4), offset = intAt(bytes, 8);
        if (const auto pos = bytePosition(part, area, offset))
            FUZZ_REQUIRE(*pos < ImageSize);
        probe.WriteByte(part, area, offset, 0x55);
        (void)probe.ReadByte(part, area, offset);
    }

    const SysexFileCheck check = checkSysexFile(bytes);
    for (SysexFileKind kind :
         {SysexFileKind::Image, SysexFileKind::PartFile, SysexFileKind::RhythmPartFile}) {
        const SysexFileCheck as = checkSysexFileAs(bytes, kind);
        FUZZ_REQUIRE(as.ok() == (as.kind != SysexFileKind::Other));
        FUZZ_REQUIRE(!as.ok() || as.kind == check.kind);
    }
    if (!check.ok()) {
        FUZZ_REQUIRE(check.problem().rfind("byte ", 0) == 0);
        FUZZ_REQUIRE(check.check.problemAt <= size);
        FUZZ_REQUIRE(check.block(bytes).empty());
        return 0;
    }

    const ByteView block = check.block(bytes);
    FUZZ_REQUIRE(check.check.bytes && *check.check.bytes == Bytes(block.begin(), block.end()));
    t505temppatch image;
    int part = RhythmPart;
    switch (check.kind) {
    case SysexFileKind::Image:
    case SysexFileKind::ImageWithLeadingBlock:
        FUZZ_REQUIRE(block.size() == ImageSize);
        image.LoadFromBytes(block);
        part = 2;
        break;
    case SysexFileKind::PartFile:
        // Onto another part than it came from, as Open Patch does.
        image.LoadFromBytes(initialImage());
        part = (check.check.part + 3) % NormalPartCount;
        FUZZ_REQUIRE(image.LoadPartBlock(block, part));
        break;
    default:
        image.LoadFromBytes(initialImage());
        FUZZ_REQUIRE(image.LoadPartBlock(block, RhythmPart));
        break;
    }
    readEverything(image);

    // An edit as the window makes them: a byte, a wave and a name, checksums left stale.
    const std::uint8_t last = bytes[size - 1];
    image.WriteByte(part, last % 5, last % 58, last & 0x7F);
    image.WriteWave(part, 1, last * 2);
    image.SetPatchName(part, "FUZZ");

    // Saves: accepted again, with every checksum right, and the same on a second round.
    const Bytes saved = image.refreshedBytes();
    const SysexFileCheck again = checkSysexFile(saved);
    FUZZ_REQUIRE(again.kind == SysexFileKind::Image);
    FUZZ_REQUIRE(again.wrongChecksums() == 0);
    t505temppatch reloaded;
    reloaded.LoadFromBytes(again.block(saved));
    FUZZ_REQUIRE(reloaded.refreshedBytes() == saved);
    if (check.kind == SysexFileKind::Image && check.wrongChecksums() == 0) {
        t505temppatch untouched;
        untouched.LoadFromBytes(block);
        FUZZ_REQUIRE(untouched.refreshedBytes() == Bytes(block.begin(), block.end()));
    }
    for (int p : {0, 1, 2, 3, 4, 5, 6, RhythmPart}) {
        const Bytes partFile = image.refreshedPartBytes(p);
        const SysexFileCheck pc = checkSysexFileAs(
            partFile, p == RhythmPart ? SysexFileKind::RhythmPartFile : SysexFileKind::PartFile);
        FUZZ_REQUIRE(pc.ok() && pc.wrongChecksums() == 0);
    }

    // Exports: complete 7-bit sysex events, nothing else.
    requireExportable(saved);
    requireExportable(image.refreshedPartBytes(part));
    return 0;
}
