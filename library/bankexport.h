// SPDX-License-Identifier: GPL-3.0-or-later
// A bank made of parts from anywhere: each part put at the part number the
// musician chose, the other parts as the base image holds them, written as a
// .syx image or a MIDI file with every checksum fresh. The instrument holds
// eight parts, so a bank holds at most seven normal parts and one kit.
#pragma once

#include "library/libraryentry.h"
#include "patch/layout.h"

#include <optional>
#include <vector>

namespace dorvane {

struct BankPart
{
    Bytes block; // the part's messages, as its file holds them
    bool rhythm = false;
    QString name; // for messages
    int part = 0; // where it goes: 0..6, or RhythmPart
};

// The image, or why the parts make no bank (a number twice, a kit on a
// normal part's number, a part that is not there).
struct Bank
{
    std::optional<Bytes> image; // checksums refreshed
    QString problem;
};
Bank makeBank(const std::vector<BankPart>& parts, ByteView baseImage);

// Where each part goes when the musician has not said: in the order given,
// the next free normal part, and R for a kit. Nothing when they do not fit.
std::optional<std::vector<int>> partsInOrder(const std::vector<bool>& rhythm);

// The bank written atomically as a .mid file when the name ends so, else as
// .syx. Throws FileError when it cannot be written.
void writeBank(const QString& file, ByteView image);

// A part of a file on disk as a bank takes it: `position` as the library
// counts places in a file. The problem says why it cannot be taken.
struct FilePartReading
{
    std::optional<BankPart> part;
    QString problem;
};
FilePartReading bankPartFromFile(const QString& file, int position);

// The part's number as the musician writes it: "1".."7" or "R"; and back.
std::optional<int> partFromText(const QString& text);
QString partText(int part);

} // namespace dorvane
