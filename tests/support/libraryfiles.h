// SPDX-License-Identifier: GPL-3.0-or-later
// Patch files for library tests, made from known images: a part's file as it
// would be saved from any part, a part R file, and a folder tree holding every
// kind the library meets, broken files included. Header-only.
#pragma once

#include "patch/t505temppatch.h"

#include "support/knownimage.h"
#include "support/malformedfiles.h"
#include "support/testutil.h"

#include <filesystem>
#include <string>

namespace dorvane::test {

// Part `part` (0..6) of knownImage(seed), saved as a part file from part `as`,
// with a name of its own when one is given; checksums right.
inline std::vector<std::uint8_t> partFile(int seed, int part, int as, const std::string& name = {})
{
    t505temppatch image;
    image.LoadFromBytes(knownImage(seed));
    if (!name.empty())
        image.SetPatchName(part, name);
    const auto block = image.partView(part);
    image.LoadPartBlock(std::vector<std::uint8_t>(block.begin(), block.end()), as);
    return image.PartBytes(as);
}

inline std::vector<std::uint8_t> rhythmFile(int seed, const std::string& name = {})
{
    t505temppatch image;
    image.LoadFromBytes(knownImage(seed));
    if (!name.empty())
        image.SetPatchName(RhythmPart, name);
    return image.PartBytes(RhythmPart);
}

// Writes a file, making its folders.
inline void put(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes)
{
    std::filesystem::create_directories(file.parent_path());
    writeFile(file.string(), bytes);
}

} // namespace dorvane::test
