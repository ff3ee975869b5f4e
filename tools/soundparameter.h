// SPDX-License-Identifier: GPL-3.0-or-later
// A parameter of a part's sound as the morph and the breed see it: where it
// sits, its range and how it may blend. The window builds the list from its
// value controls; these tools know no control.
#pragma once

#include "patch/layout.h"

#include <vector>

namespace dorvane {

class t505temppatch;

struct SoundParameter
{
    int offset = 0;      // in the part's common block, or in each tone (each drum note on part R)
    int valueCount = 0;  // positions 0..valueCount-1, the raw values
    bool common = false; // in the common block; part R has none that these tools touch
    // A level, a time, a depth: may stand between two values. A switch, a
    // type or a list choice takes one side's value whole.
    bool continuous = true;
    int group = 0;       // the panel it sits in; the breed passes groups on whole
    bool flagged = true; // the shake's flag: the breed varies only what is flagged
};

// The areas of a part that hold its tones' (drum notes') parameters: 1..4,
// or 0..63 on part R.
std::vector<int> soundAreas(int part);

// A sound is one part of an image: another part of the same image, a part of
// a file loaded into an image of its own, or a library entry read the same way.
struct PartSound
{
    const t505temppatch* image = nullptr;
    int part = 0;
};

// Copies part `from.part` of `from.image` into part `part` of `target`, byte
// by byte through the data (framing and addresses stay the target's). Both
// must be of one kind: normal parts or part R.
void copySound(t505temppatch& target, int part, const PartSound& from);

} // namespace dorvane
