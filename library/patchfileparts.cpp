// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/patchfileparts.h"

#include "patch/fileio.h"

#include <QCryptographicHash>

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
    QCryptographicHash hash(QCryptographicHash::Sha1);
    // A part R kit and a normal part never sound alike, whatever their bytes.
    hash.addData(QByteArrayView(rhythm ? "R" : "P"));
    std::size_t pos = 0;
    for (const ExpectedMessage& m :
         expectedMessages(rhythm ? BlockKind::Rhythm : BlockKind::Part, 0)) {
        if (pos + m.dataSize + MessageOverhead > block.size())
            break;
        hash.addData(
            QByteArrayView(reinterpret_cast<const char*>(block.data() + pos + MessageHeaderSize),
                           qsizetype(m.dataSize)));
        pos += m.dataSize + MessageOverhead;
    }
    return hash.result();
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

FileReading readPatchFile(ByteView bytes)
{
    FileReading r;
    const SysexFileCheck check = checkSysexFile(bytes);
    r.kind = libraryKind(check.kind);
    if (!check.ok()) {
        r.reason = QString::fromStdString(check.problem());
        return r;
    }
    const int positions = r.kind == LibraryFileKind::Image ? ImagePositions : 1;
    for (int position = 0; position < positions; ++position) {
        const ByteView block = partBlockAt(bytes, check, position);
        FilePart p;
        p.position = position;
        p.part = r.kind == LibraryFileKind::Image    ? partAtPosition(position)
                 : r.kind == LibraryFileKind::Rhythm ? RhythmPart
                                                     : check.check.part;
        p.name = patchNameIn(block);
        p.sound = soundHash(block, p.part == RhythmPart);
        r.parts.push_back(std::move(p));
    }
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
    const SysexFileCheck check = checkSysexFile(bytes);
    if (!check.ok()) {
        reading.problem = QString::fromStdString(check.problem());
        return reading;
    }
    // Judged by the sound, as the index found it, not by the bytes: fresh
    // checksums or another part number leave it the entry's part.
    const ByteView block = partBlockAt(bytes, check, entry.position);
    if (block.empty() || soundHash(block, entry.rhythm()) != entry.sound) {
        reading.problem = QString("it holds another patch there now");
        return reading;
    }
    reading.block.assign(block.begin(), block.end());
    reading.wrongChecksums = check.wrongChecksums();
    return reading;
}

} // namespace dorvane
