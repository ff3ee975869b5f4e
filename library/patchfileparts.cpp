// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/patchfileparts.h"

#include "library/sha1.h"
#include "library/soundlikeness.h"
#include "patch/fileio.h"
#include "patch/midifileread.h"

#include <algorithm>
#include <optional>

namespace dorvane {

namespace {

constexpr int ImagePositions = NormalPartCount + 1; // parts 1..7, then R
constexpr std::size_t NameLength = 12;

int partAtPosition(int position)
{
    return position == NormalPartCount ? RhythmPart : position;
}

LibraryFileKind libraryKind(SysexFileKind kind)
{
    switch (kind) {
    case SysexFileKind::Image:
    case SysexFileKind::ImageWithLeadingBlock:
        return LibraryFileKind::Image;
    case SysexFileKind::PartFile:
        return LibraryFileKind::Part;
    case SysexFileKind::RhythmPartFile:
        return LibraryFileKind::Rhythm;
    case SysexFileKind::Other:
        break;
    }
    return LibraryFileKind::Other;
}

} // namespace

QString libraryKindText(LibraryFileKind kind)
{
    switch (kind) {
    case LibraryFileKind::Image:
        return "8-part image";
    case LibraryFileKind::Part:
        return "part";
    case LibraryFileKind::Rhythm:
        return "part R";
    case LibraryFileKind::Other:
        break;
    }
    return "other";
}

ByteView partBlockAt(ByteView file, const SysexFileCheck& check, int position)
{
    const ByteView block = check.block(file);
    switch (check.kind) {
    case SysexFileKind::Image:
    case SysexFileKind::ImageWithLeadingBlock:
        if (position < 0 || position >= ImagePositions)
            return {};
        return block.subspan(partBlockOffset(partAtPosition(position)),
                             partBlockSize(partAtPosition(position)));
    case SysexFileKind::PartFile:
    case SysexFileKind::RhythmPartFile:
        return position == 0 ? block : ByteView();
    case SysexFileKind::Other:
        break;
    }
    return {};
}

QByteArray soundHash(ByteView block, bool rhythm)
{
    // The layouts are the same for every part: a scan hashes every part it
    // reads, and making the list again each time showed in its profile.
    static const std::vector<ExpectedMessage> partLayout = expectedMessages(BlockKind::Part, 0);
    static const std::vector<ExpectedMessage> rhythmLayout = expectedMessages(BlockKind::Rhythm, 0);
    // A part R kit and a normal part never sound alike, whatever their bytes.
    // The messages' data go to the hash where they lie, not copied together.
    thread_local std::vector<QByteArrayView> pieces;
    pieces.assign(1, QByteArrayView(rhythm ? "R" : "P"));
    std::size_t pos = 0;
    for (const ExpectedMessage& m : rhythm ? rhythmLayout : partLayout) {
        if (pos + m.dataSize + MessageOverhead > block.size())
            break;
        pieces.emplace_back(block.data() + pos + MessageHeaderSize, qsizetype(m.dataSize));
        pos += m.dataSize + MessageOverhead;
    }
    return sha1(pieces);
}

QString patchNameIn(ByteView block)
{
    if (block.size() < MessageHeaderSize + NameLength)
        return {};
    ByteView raw = block.subspan(MessageHeaderSize, NameLength);
    // Blanks and control bytes around the name pad it, as the window reads it.
    while (!raw.empty() && raw.front() <= ' ')
        raw = raw.subspan(1);
    while (!raw.empty() && raw.back() <= ' ')
        raw = raw.first(raw.size() - 1);
    QString name;
    for (const std::uint8_t c : raw)
        name += c >= 0x20 && c < 0x7F ? QChar(c) : QChar('?');
    return name;
}

namespace {

FileBlocks sysexBlocks(ByteView bytes)
{
    FileBlocks r;
    const SysexFileCheck check = checkSysexFile(bytes);
    r.kind = libraryKind(check.kind);
    if (!check.ok()) {
        r.reason = QString::fromStdString(check.problem());
        return r;
    }
    r.wrongChecksums = check.wrongChecksums();
    const int positions = r.kind == LibraryFileKind::Image ? ImagePositions : 1;
    for (int position = 0; position < positions; ++position) {
        const ByteView block = partBlockAt(bytes, check, position);
        r.blocks.push_back({position,
                            r.kind == LibraryFileKind::Image    ? partAtPosition(position)
                            : r.kind == LibraryFileKind::Rhythm ? RhythmPart
                                                                : check.check.part,
                            Bytes(block.begin(), block.end())});
    }
    return r;
}

bool isDataSetOfThisModel(const Bytes& m)
{
    // F0 41 <device ID> 00 0B 12: any device ID, as a file may be saved from any.
    const Bytes header = DataSetHeader(tsMC505);
    return m.size() >= header.size() && m[1] == header[1] &&
           std::equal(header.begin() + 3, header.end(), m.begin() + 3);
}

Bytes joined(const std::vector<const MidiFileSysex::Message*>& messages, std::size_t from,
             std::size_t count)
{
    Bytes out;
    for (std::size_t i = from; i < from + count; ++i)
        out.insert(out.end(), messages[i]->bytes.begin(), messages[i]->bytes.end());
    return out;
}

// The check's "byte N: why" said of the MIDI file: N where that byte lies in it.
QString inTheFile(const MidiFileSysex& file, const std::vector<const MidiFileSysex::Message*>& run,
                  const BlockCheck& check)
{
    std::size_t at = check.problemAt;
    std::size_t fileAt = run.empty() ? 0 : run.back()->offset;
    for (const auto* m : run) {
        if (at < m->bytes.size()) {
            fileAt = file.fileOffset(*m, at);
            break;
        }
        at -= m->bytes.size();
    }
    std::string why = check.problem;
    if (const auto colon = why.find(": "); why.rfind("byte ", 0) == 0 && colon != std::string::npos)
        why = why.substr(colon + 2);
    return QString("byte %1: %2").arg(fileAt).arg(QString::fromStdString(why));
}

FileBlocks midiBlocks(ByteView bytes)
{
    FileBlocks r;
    const MidiFileSysex file = readMidiFileSysex(bytes);
    if (!file.ok()) {
        r.reason = QString::fromStdString(file.problem);
        return r;
    }
    std::vector<const MidiFileSysex::Message*> ours;
    for (const auto& m : file.messages) {
        if (!m.complete && m.bytes.size() >= 2 && m.bytes[1] == RolandId) {
            r.reason =
                QString("byte %1: a Roland system-exclusive message that never ends").arg(m.offset);
            return r;
        }
        if (m.complete && isDataSetOfThisModel(m.bytes))
            ours.push_back(&m);
    }
    if (ours.empty()) {
        r.reason = "it holds no Data Set message of the MC-505";
        return r;
    }
    // All of them together as a .syx file would hold them: an image, a part, part R.
    FileBlocks whole = sysexBlocks(joined(ours, 0, ours.size()));
    if (whole.kind != LibraryFileKind::Other)
        return whole;
    // Otherwise run after run, each a part file or a part R file on its own.
    const std::size_t partMessages = expectedMessages(BlockKind::Part, 0).size();
    const std::size_t rhythmMessages = expectedMessages(BlockKind::Rhythm, 0).size();
    bool allRhythm = true;
    for (std::size_t i = 0; i < ours.size();) {
        std::optional<BlockCheck> closest;
        std::vector<const MidiFileSysex::Message*> closestRun;
        bool taken = false;
        for (const std::size_t count : {partMessages, rhythmMessages}) {
            const std::size_t n = std::min(count, ours.size() - i);
            const Bytes run = joined(ours, i, n);
            const SysexFileCheck check = checkSysexFile(run);
            if (check.ok() && n == count) {
                r.wrongChecksums += check.wrongChecksums();
                r.blocks.push_back(
                    {int(r.blocks.size()),
                     check.kind == SysexFileKind::RhythmPartFile ? RhythmPart : check.check.part,
                     run});
                allRhythm = allRhythm && check.kind == SysexFileKind::RhythmPartFile;
                i += count;
                taken = true;
                break;
            }
            if (!closest || check.check.problemAt > closest->problemAt) {
                closest = check.check;
                closestRun.assign(ours.begin() + std::ptrdiff_t(i),
                                  ours.begin() + std::ptrdiff_t(i + n));
            }
        }
        if (!taken) {
            FileBlocks other;
            other.reason = inTheFile(file, closestRun, *closest);
            return other;
        }
    }
    r.kind = allRhythm ? LibraryFileKind::Rhythm : LibraryFileKind::Part;
    return r;
}

} // namespace

FileBlocks fileBlocks(ByteView bytes)
{
    return looksLikeMidiFile(bytes) ? midiBlocks(bytes) : sysexBlocks(bytes);
}

FileReading readPatchFile(ByteView bytes)
{
    FileBlocks blocks = fileBlocks(bytes);
    FileReading r;
    r.kind = blocks.kind;
    r.reason = blocks.reason;
    for (const FileBlocks::Block& b : blocks.blocks)
        r.parts.push_back({b.position, b.part, patchNameIn(b.bytes),
                           soundHash(b.bytes, b.part == RhythmPart),
                           soundFeatures(b.bytes, b.part == RhythmPart), QString()});
    return r;
}

PartRereading rereadPart(const LibraryEntry& entry)
{
    PartRereading reading;
    Bytes bytes;
    try {
        bytes = readWholeFile(entry.path.toStdString());
    } catch (const FileError& e) {
        reading.problem = QString::fromLocal8Bit(e.what());
        return reading;
    }
    const FileBlocks blocks = fileBlocks(bytes);
    if (blocks.kind == LibraryFileKind::Other) {
        reading.problem = blocks.reason;
        return reading;
    }
    // Judged by the sound, as the index found it, not by the bytes: fresh
    // checksums or another part number leave it the entry's part.
    const auto block = std::find_if(blocks.blocks.begin(), blocks.blocks.end(),
                                    [&](const auto& b) { return b.position == entry.position; });
    if (block == blocks.blocks.end() || soundHash(block->bytes, entry.rhythm()) != entry.sound) {
        reading.problem = QString("it holds another patch there now");
        return reading;
    }
    reading.block = block->bytes;
    reading.wrongChecksums = blocks.wrongChecksums;
    return reading;
}

} // namespace dorvane
