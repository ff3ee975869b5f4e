// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/rhythmpart.h"

#include "patch/notename.h"

#include <algorithm>
#include <initializer_list>

namespace dorvane {

namespace {

struct DrumTag
{
    const char* tag;
    std::initializer_list<int> notes; // single notes, and ranges as {first, -last}
};

// Instrument tags of the drum-note list, tested in this order.
const DrumTag DrumTags[] = {
    {"(BD) ", {35, 36, 47, 48, 95, 96}},
    {"(Tom) ", {37, 41, 43, 45, 49, 53, 55, 57, 59, 60, 62, 66, 68, 70, 72, -82}},
    {"(HH) ", {42, 44, 46, 54, 56, 58}},
    {"(Cym) ", {61, 63, 64, 65, 67, 69, 71}},
    {"(SD) ", {38, 40, 50, 52, 97, 98}},
    {"(Oth) ", {89, -93}},
    {"(Hit) ", {83, -88}},
    {"(Clp) ", {39, 51, 94}},
};

bool tagged(const DrumTag& tag, int key)
{
    int previous = -1;
    for (int n : tag.notes) {
        if (n < 0 ? (key >= previous && key <= -n) : key == n)
            return true;
        previous = n;
    }
    return false;
}

} // namespace

std::string drumNoteEntry(int note)
{
    const int key = FirstDrumKey + note;
    std::string entry = " " + noteName(key);
    for (const auto& tag : DrumTags)
        if (tagged(tag, key))
            entry += tag.tag;
    return entry;
}

bool replaceRhythmBlock(std::span<std::uint8_t> image, ByteView source)
{
    if (image.size() != ImageSize || source.size() != ImageSize)
        return false;
    const auto block = source.subspan(RhythmBlockOffset, RhythmBlockSize);
    std::copy(block.begin(), block.end(), image.begin() + std::ptrdiff_t(RhythmBlockOffset));
    return true;
}

} // namespace dorvane
