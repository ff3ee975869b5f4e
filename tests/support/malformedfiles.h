// SPDX-License-Identifier: GPL-3.0-or-later
// Files as they go wrong in the world, made from good ones: cut short, run
// long, random bytes of the right size, a lost F7, a status byte among the
// data, another model's header, messages in the wrong order. Each comes with
// the reason the check must give. Header-only, over the patch library.
#pragma once

#include "patch/layout.h"

#include "support/knownimage.h"
#include "support/testutil.h"

#include <string>
#include <utility>
#include <vector>

namespace dorvane::test {

struct MalformedFile
{
    std::string what;
    std::vector<std::uint8_t> bytes;
    std::string problem; // the whole reason; a prefix where the bytes are random
};

// Random bytes of `size` that start with 00, so no check can take them for a message.
inline std::vector<std::uint8_t> rightSizeRandom(std::size_t size, std::uint32_t seed)
{
    auto b = randomBytes(size, seed);
    b.front() = 0x00;
    return b;
}

// From an 8 part image of knownImage(seed).
inline std::vector<MalformedFile> malformedImages(int seed = 6)
{
    const auto image = knownImage(seed);
    std::vector<MalformedFile> list;
    list.push_back({"cut short",
                    {image.begin(), image.begin() + 9000},
                    "byte 9000: the Data Set message of part R note 98 is cut short after 6 of "
                    "its 58 data bytes"});
    auto longer = image;
    longer.insert(longer.end(), 5, 0x00);
    list.push_back({"too long", longer,
                    "byte 9054: 5 bytes more after the last message of the 8 part image, "
                    "starting with 00, which starts no message"});
    list.push_back({"random bytes of the right size", rightSizeRandom(ImageSize, 31),
                    "byte 0: expected the Data Set message of part 1 common, found 00, which "
                    "starts no message"});
    auto lostF7 = image;
    lostF7.erase(lostF7.begin() + 876); // the end of part 2, tone 1
    list.push_back({"a lost F7", lostF7,
                    "byte 876: the Data Set message of part 2 tone 1 should end here (F7), "
                    "found F0"});
    auto high = image;
    high[2000] = 0x93;
    list.push_back({"a status byte among the data", high,
                    "byte 2000: the Data Set message of part 4 common holds 93, which is no "
                    "data byte"});
    auto model = image;
    model[RhythmBlockOffset + 4] = 0x0C;
    list.push_back({"another model's header", model,
                    "byte 4550: expected the Data Set message of part R common, found another "
                    "Roland message"});
    auto messages = messagesOf(image);
    std::swap(messages[1], messages[2]);
    list.push_back({"messages in the wrong order", joined(messages),
                    "byte 86: expected the Data Set message of part 1 tone 1, found the one of "
                    "part 1 tone 2"});
    return list;
}

// From the part file of part 3 of knownImage(seed).
inline std::vector<MalformedFile> malformedPartFiles(int seed = 6)
{
    const auto image = knownImage(seed);
    const std::vector<std::uint8_t> part(image.begin() + 2 * PartBlockSize,
                                         image.begin() + 3 * PartBlockSize);
    std::vector<MalformedFile> list;
    list.push_back({"cut short",
                    {part.begin(), part.begin() + 600},
                    "byte 600: the Data Set message of part 3 tone 4 is cut short after 81 of "
                    "its 129 data bytes"});
    auto longer = part;
    longer.push_back(0xF7);
    list.push_back({"too long", longer,
                    "byte 650: 1 byte more after the last message of part 3, starting with F7, "
                    "which starts no message"});
    list.push_back({"random bytes of the right size", rightSizeRandom(PartBlockSize, 32),
                    "byte 0: expected the Data Set message of a part common, found 00, which "
                    "starts no message"});
    auto lostF7 = part;
    lostF7.erase(lostF7.begin() + 85);
    list.push_back({"a lost F7", lostF7,
                    "byte 85: the Data Set message of part 3 common should end here (F7), found "
                    "F0"});
    auto high = part;
    high[300] = 0xC5;
    list.push_back({"a status byte among the data", high,
                    "byte 300: the Data Set message of part 3 tone 2 holds C5, which is no data "
                    "byte"});
    auto model = part;
    model[3] = 0x6A;
    model[4] = 0x12;
    list.push_back({"another model's header", model,
                    "byte 0: expected the Data Set message of a part common, found a SuperJV/XP "
                    "message"});
    auto messages = messagesOf(part);
    std::swap(messages[3], messages[4]);
    list.push_back({"messages in the wrong order", joined(messages),
                    "byte 368: expected the Data Set message of part 3 tone 3, found the one of "
                    "part 3 tone 4"});
    return list;
}

} // namespace dorvane::test
