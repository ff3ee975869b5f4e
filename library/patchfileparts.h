// SPDX-License-Identifier: GPL-3.0-or-later
// The parts a .syx file holds, as the library indexes them. Whether a file is
// a patch file at all is decided by the program's one structural check; this
// only takes apart what it accepted.
#pragma once

#include "library/libraryentry.h"
#include "patch/imagecheck.h"

#include <vector>

namespace dorvane {

struct FilePart
{
    int position = 0; // 0..7 in an image, 0 in a part file
    int part = 0;     // 0..6 or RhythmPart, as the file addresses it
    QString name;
    QByteArray sound;
};

struct FileReading
{
    LibraryFileKind kind = LibraryFileKind::Other;
    QString reason; // why the file is no patch file
    std::vector<FilePart> parts;
};

// The file's kind and parts, or Other with the check's reason.
FileReading readPatchFile(ByteView bytes);

// The block of the part at `position` in a file the check accepted: a normal
// part's five messages as addressed in the file, or part R's 65. Empty when
// the file holds no such part.
ByteView partBlockAt(ByteView file, const SysexFileCheck& check, int position);

// What identifies a sound: the data bytes of the part's messages, so the same
// part saved from part 2 or part 5, or with stale checksums, hashes alike.
QByteArray soundHash(ByteView block, bool rhythm);

// A library entry's part read again from its file as the file is now: it may
// have changed since the index read it.
struct PartRereading
{
    Bytes block;                    // the part's messages, when they are still the entry's
    std::size_t wrongChecksums = 0; // in the whole file
    QString problem;                // why the part cannot be taken, or empty

    bool ok() const { return problem.isEmpty(); }
};
PartRereading rereadPart(const LibraryEntry& entry);

// The patch name in a part's block as the instrument would show it: blanks
// around it trimmed, and a byte no display could show as '?'.
QString patchNameIn(ByteView block);

} // namespace dorvane
