// SPDX-License-Identifier: GPL-3.0-or-later
// The system-exclusive messages a Standard MIDI File (format 0 or 1) carries,
// read for the library: whatever the file says of its own sizes is believed
// only as far as its bytes go, so a file cut short, padded or random ends in a
// reason, never in a read past its end.
#pragma once

#include "patch/layout.h"

#include <string>
#include <vector>

namespace dorvane {

// "MThd" at the start: the file means to be a MIDI file.
bool looksLikeMidiFile(ByteView bytes);

struct MidiFileSysex
{
    struct Message
    {
        Bytes bytes;            // F0, the data, and F7 when it came
        std::size_t offset = 0; // where the F0 event starts in the file
        std::size_t dataAt = 0; // where the bytes after F0 start in the file
        bool complete = false;  // ended by F7 within its track
    };
    // In the order they are played: by time, then track, then place in it.
    std::vector<Message> messages;
    // Why the file cannot be read as a MIDI file, with the byte position.
    std::string problem;

    bool ok() const { return problem.empty(); }
    // Where byte `at` of a message lies in the file.
    std::size_t fileOffset(const Message& m, std::size_t at) const
    {
        return at == 0 ? m.offset : m.dataAt + at - 1;
    }
};

MidiFileSysex readMidiFileSysex(ByteView bytes);

} // namespace dorvane
