// SPDX-License-Identifier: GPL-3.0-or-later
// What the library knows of the files under its folders and of every part they
// hold: one entry per part, as the index stores it and the panel lists it.
#pragma once

#include "patch/layout.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace dorvane {

// A file in the library: an 8-part image (with or without a leading block), a
// part file, a part R file, or something else, kept with the reason it is no
// patch file so the musician can see why it is not listed.
enum class LibraryFileKind
{
    Image = 0,
    Part = 1,
    Rhythm = 2,
    Other = 3,
};
QString libraryKindText(LibraryFileKind kind);

struct LibraryEntry
{
    qint64 partId = 0; // the row in the index
    qint64 fileId = 0;
    QString path;     // absolute
    QString fileName; // the last part of the path
    QString folder;   // the folder the file sits in, as the panel shows it
    LibraryFileKind fileKind = LibraryFileKind::Other;
    // Where the part sits in its file: 0..7 in an image (7 is part R), 0 in a part file.
    int position = 0;
    // The part as the file addresses it: 0..6, or RhythmPart (9). For a part
    // file, the part it was saved from.
    int part = 0;
    QString name;     // the patch name, as the instrument shows it
    QByteArray sound; // the hash of the part's sound; equal sounds, equal hashes
    bool favourite = false;
    QStringList tags;
    int copies = 1; // parts in the library that hold this sound, this one included

    bool rhythm() const { return part == RhythmPart; }
    bool duplicate() const { return copies > 1; }
};

// A file the library holds that is no patch file, with the reason.
struct LibraryOther
{
    QString path;
    QString reason;
};

} // namespace dorvane
