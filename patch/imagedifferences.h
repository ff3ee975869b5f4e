// SPDX-License-Identifier: GPL-3.0-or-later
// Two images, or two blocks of one part, compared parameter by parameter and
// said in words: the part, the tone, drum note or common, the parameter's name
// and both values as the sheets show them. Only data bytes count: checksums
// stay stale until the image hands its bytes out, and the framing (the device
// ID among it) says nothing of the sound. A parameter held in several bytes
// (a patch name, a wave, the default tempo) is one difference; a byte no one
// names is still listed, by its offset, so no difference is ever hidden.
#pragma once

#include "patch/layout.h"
#include "patch/messagedescription.h"

#include <span>
#include <string>
#include <vector>

namespace dorvane {

// The block of a part a difference lies in.
enum class DifferenceBlock
{
    Common,   // a part's common (part R's: its name)
    Tone,     // tone 1..4 of a normal part
    DrumNote, // drum note 0..63 of part R
};

struct ImageDifference
{
    int part = 0; // 0..6, or RhythmPart
    DifferenceBlock block = DifferenceBlock::Common;
    int index = 0;            // tone 1..4 or drum note 0..63; 0 for a common
    int offset = 0;           // of the parameter's first byte in its block's data
    int length = 1;           // its bytes: 12 for a name, 4 for a wave, 2 for the tempo
    std::size_t position = 0; // of its first byte in the bytes compared
    std::string name;         // the sheets' name, else the instrument's, else "byte 0x49"
    std::string mine;         // the value in the first bytes, as the sheets show it
    std::string theirs;       // the value in the second
    Bytes mineBytes;          // the `length` data bytes as they stand
    Bytes theirsBytes;
};

// Every difference between two whole images (ImageSize bytes each), in image
// order. Throws std::invalid_argument when either is not a whole image.
// Without words, names are the instrument's and values raw numbers.
std::vector<ImageDifference> imageDifferences(ByteView mine, ByteView theirs,
                                              const ParameterWords* words = nullptr);
// The same for the parts named (0..6, RhythmPart; other numbers name nothing).
std::vector<ImageDifference> imageDifferences(ByteView mine, ByteView theirs,
                                              std::span<const int> parts,
                                              const ParameterWords* words = nullptr);
// Two blocks of `part` (PartBlockSize bytes, or RhythmBlockSize for part R),
// whatever part numbers their addresses carry; positions count from the
// blocks' start. Throws std::invalid_argument for blocks of another size or a
// part with no block.
std::vector<ImageDifference> partDifferences(int part, ByteView mine, ByteView theirs,
                                             const ParameterWords* words = nullptr);

// "3", "R": as the PART selector names the part.
std::string differencePartLabel(int part);
// "Common", "Tone 2", "D2": where in the part, as the window names it.
std::string differencePlace(const ImageDifference& difference);
// "Part 3, Tone 2, Cutoff Frequency: 107 here, 64 on the instrument".
std::string differenceSentence(const ImageDifference& difference);

} // namespace dorvane
