// SPDX-License-Identifier: GPL-3.0-or-later
// The parts a .syx file or a Standard MIDI File holds, as the library indexes
// them. Whether bytes are patch data at all is decided by the program's one
// structural check; this only takes apart what it accepted. A MIDI file's
// Data Set messages of this model, taken out of its events in the order they
// are played, are judged as a .syx file is; when they are no image or part as
// a whole, each run of them that starts a part is judged as a part file, so a
// song that sets up two parts before its notes holds two parts.
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
    QByteArray features; // what "sounds like this" weighs; empty for a kit
    // What a search looks in while the part has no tags, when already made
    // (by the scan's reader); null otherwise.
    QString searchText;
};

struct FileReading
{
    LibraryFileKind kind = LibraryFileKind::Other;
    QString reason; // why the file is no patch file
    std::vector<FilePart> parts;
};

// The file's kind and parts, or Other with the check's reason.
FileReading readPatchFile(ByteView bytes);

// The blocks of the parts a file holds, in the file's order (an image's
// eight, a part file's one, a MIDI file's runs), or Other with the reason.
struct FileBlocks
{
    struct Block
    {
        int position = 0; // 0..7 in an image, the run's place in a MIDI file, else 0
        int part = 0;     // 0..6 or RhythmPart, as the messages address it
        Bytes bytes;      // the part's messages, addressed as in the file
    };
    LibraryFileKind kind = LibraryFileKind::Other;
    QString reason;
    std::vector<Block> blocks;
    std::size_t wrongChecksums = 0; // over the whole file
};
FileBlocks fileBlocks(ByteView bytes);

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
