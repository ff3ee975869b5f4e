// SPDX-License-Identifier: GPL-3.0-or-later
// Where everything sits in the temporary patch area: sizes, addresses and byte
// positions of the seven normal parts and the rhythm part R as the instrument
// dumps them, one Data Set message after another.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace dorvane {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// Part numbers as the image and the messages use them: 0..6 are parts 1..7, 9 is R.
constexpr int NormalPartCount = 7;
constexpr int RhythmPart = 9;
constexpr int ToneCount = 4;
constexpr int DrumNoteCount = 64;
constexpr int FirstDrumKey = 35; // drum note index i plays MIDI key 35 + i

// Message framing inside the image (MC-505 Data Set: F0 41 10 00 0B 12 a a a a data cs F7).
constexpr std::size_t MessageHeaderSize = 10; // F0 through the fourth address byte
constexpr std::size_t MessageOverhead = 12;   // header + checksum + F7

constexpr std::size_t CommonDataSize = 74;
constexpr std::size_t ToneDataSize = 129;
constexpr std::size_t RhythmCommonDataSize = 12;
constexpr std::size_t DrumNoteDataSize = 58;

constexpr std::size_t CommonMessageSize = CommonDataSize + MessageOverhead;             // 86
constexpr std::size_t ToneMessageSize = ToneDataSize + MessageOverhead;                 // 141
constexpr std::size_t RhythmCommonMessageSize = RhythmCommonDataSize + MessageOverhead; // 24
constexpr std::size_t DrumNoteMessageSize = DrumNoteDataSize + MessageOverhead;         // 70

constexpr std::size_t PartBlockSize = CommonMessageSize + ToneCount * ToneMessageSize; // 650
constexpr std::size_t RhythmBlockSize =
    RhythmCommonMessageSize + DrumNoteCount * DrumNoteMessageSize;         // 4504
constexpr std::size_t RhythmBlockOffset = NormalPartCount * PartBlockSize; // 4550
constexpr std::size_t ImageSize = RhythmBlockOffset + RhythmBlockSize;     // 9054
constexpr std::size_t MessagesPerPart = 1 + ToneCount;                     // 5
constexpr std::size_t MessagesInRhythm = 1 + DrumNoteCount;                // 65
constexpr std::size_t MessagesInImage = NormalPartCount * MessagesPerPart + MessagesInRhythm;

// Some librarians keep a 753-byte block of other data in front of the image.
constexpr std::size_t LeadingBlockSize = 753;
constexpr std::size_t ImageWithLeadingBlockSize = LeadingBlockSize + ImageSize; // 9807

// The third address byte of tones 1..4 (index 0 unused).
constexpr std::array<std::uint8_t, 5> ToneBase = {0x00, 0x10, 0x12, 0x14, 0x16};

constexpr bool isNormalPart(int part)
{
    return part >= 0 && part < NormalPartCount;
}
constexpr bool isPart(int part)
{
    return isNormalPart(part) || part == RhythmPart;
}

// Image offset of a part's block, and its length (650, or 4504 for part R).
constexpr std::size_t partBlockOffset(int part)
{
    return part == RhythmPart ? RhythmBlockOffset : std::size_t(part) * PartBlockSize;
}
constexpr std::size_t partBlockSize(int part)
{
    return part == RhythmPart ? RhythmBlockSize : PartBlockSize;
}

// Image position of data byte `offset` of (part, area); nothing for a part,
// area or offset outside the image's layout. Every argument is compared
// before any arithmetic, so no value of an int can overflow it.
constexpr std::optional<std::size_t> bytePosition(int part, int area, int offset)
{
    if (offset < 0)
        return std::nullopt;
    const auto o = std::size_t(offset);
    if (part == RhythmPart) {
        if (area < 0 || area >= DrumNoteCount || o >= DrumNoteDataSize)
            return std::nullopt;
        return RhythmBlockOffset + RhythmCommonMessageSize +
               std::size_t(area) * DrumNoteMessageSize + MessageHeaderSize + o;
    }
    if (!isNormalPart(part))
        return std::nullopt;
    const std::size_t block = std::size_t(part) * PartBlockSize;
    if (area == 0)
        return o < CommonDataSize ? std::optional(block + MessageHeaderSize + o) : std::nullopt;
    if (area < 1 || area > ToneCount || o >= ToneDataSize)
        return std::nullopt;
    return block + CommonMessageSize + std::size_t(area - 1) * ToneMessageSize + MessageHeaderSize +
           o;
}

} // namespace dorvane
