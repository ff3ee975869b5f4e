// SPDX-License-Identifier: GPL-3.0-or-later
// dorvane-cli library: the window's library for scripts, over the same index
// (the program's data folder). Each returns the process exit status.
#pragma once

#include "library/librarysearch.h"

#include <QStringList>

#include <iosfwd>

namespace dorvane::cli {

// Adds a folder to the library and reads it.
int libraryAdd(const QString& folder, std::ostream& out, std::ostream& err);
// Reads every folder again: new and changed files, and files that are gone.
int libraryScan(std::ostream& out, std::ostream& err);
// One line per part found: name, part (1..7 or R), file, marks, tags, by tabs.
int libraryFind(const LibraryQuery& query, std::ostream& out, std::ostream& err);

// Writes a bank (a .syx image, or a .mid file when OUT ends so): each PART
// given as FILE, FILE#PLACE (its place in the file, from 1; R for an image's
// kit) and =N for the part it goes on (1..7 or R), else the next free one in
// order; the other parts from BASE, or the program's initial image.
int libraryExport(const QString& out, const QStringList& parts, const QString& base,
                  std::ostream& output, std::ostream& err);

// The parts of the library nearest in sound to part PLACE of FILE (its place
// in the file, from 1), nearest first: distance (0..100), name, part, file.
int libraryLike(const QString& file, const QString& place, int count, std::ostream& out,
                std::ostream& err);

} // namespace dorvane::cli
