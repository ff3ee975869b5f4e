// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/imagedifferences.h"
#include "patch/rolandmessage.h"

#include "patch/catalogue.h"
#include "patch/notename.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <stdexcept>

namespace dorvane {

namespace {

using Area = ParameterWords::Area;

enum class FieldKind
{
    Name,    // characters, one a byte
    Wave,    // group, group ID, high and low 4 bits of the number
    Nibbles, // one number as its high and low 4 bits
};

// Parameters the instrument keeps in more than one byte. Each is read as the
// window writes it, so it is one difference however many of its bytes differ.
struct Field
{
    DifferenceBlock block;
    int offset;
    int length;
    FieldKind kind;
    const char* name; // as the window's name field, wave list or history say it
};

// The default tempo has no control on the sheets; the catalogue names its two
// bytes "Default Tempo 1" and "2", and they carry the tempo as the system
// tempo's message does.
constexpr std::array<Field, 4> Fields = {{
    {DifferenceBlock::Common, 0, 12, FieldKind::Name, "Patch Name"},
    {DifferenceBlock::Common, 44, 2, FieldKind::Nibbles, "Default Tempo"},
    {DifferenceBlock::Tone, 1, 4, FieldKind::Wave, "Wave"},
    {DifferenceBlock::DrumNote, 1, 4, FieldKind::Wave, "Wave"},
}};

const Field* fieldAt(DifferenceBlock block, int offset, std::size_t dataSize)
{
    for (const Field& f : Fields)
        if (f.block == block && f.offset == offset && std::size_t(f.offset + f.length) <= dataSize)
            return &f;
    return nullptr;
}

std::string trimmed(std::string_view s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

// Trimmed as the name field shows it; a byte no name should hold is written
// out rather than dropped, so two names that differ never read alike.
std::string nameText(ByteView bytes)
{
    auto blank = [](std::uint8_t c) { return c <= 32; };
    const auto first = std::find_if_not(bytes.begin(), bytes.end(), blank);
    const auto last = std::find_if_not(bytes.rbegin(), bytes.rend(), blank).base();
    std::string s = "\"";
    char buf[8];
    for (auto it = first; it < last; ++it) {
        if (*it >= 0x20 && *it <= 0x7E) {
            s.push_back(char(*it));
        } else {
            std::snprintf(buf, sizeof buf, "\\x%02X", *it);
            s += buf;
        }
    }
    return s + "\"";
}

std::string waveText(ByteView bytes, const ParameterWords* words)
{
    // The image's own reading of offsets 2..4 (offset 1 plays no part in it).
    const int wave = (bytes[1] != 1 ? 254 : 0) + 16 * bytes[2] + bytes[3];
    if (words)
        if (auto name = words->waveName(wave))
            return *name;
    return "wave " + std::to_string(wave);
}

std::string fieldText(const Field& f, ByteView bytes, const ParameterWords* words)
{
    switch (f.kind) {
    case FieldKind::Name:
        return nameText(bytes);
    case FieldKind::Wave:
        return waveText(bytes, words);
    case FieldKind::Nibbles:
        if (bytes[0] < 16 && bytes[1] < 16)
            return std::to_string(bytes[0] * 16 + bytes[1]);
        // Not a number in this encoding: said as the bytes it is.
        return "bytes " + hexBytes(bytes);
    }
    return {};
}

ParameterTable tableOf(DifferenceBlock block)
{
    switch (block) {
    case DifferenceBlock::Tone:
        return ParameterTable::Tone;
    case DifferenceBlock::DrumNote:
        return ParameterTable::RhythmNote;
    case DifferenceBlock::Common:
        break;
    }
    return ParameterTable::PartCommon;
}

Area areaOf(DifferenceBlock block)
{
    switch (block) {
    case DifferenceBlock::Tone:
        return Area::Tone;
    case DifferenceBlock::DrumNote:
        return Area::RhythmNote;
    case DifferenceBlock::Common:
        break;
    }
    return Area::PartCommon;
}

// One byte's name and both values: the sheets' words where a control shows
// the byte, else the instrument's name and the raw numbers.
void nameOneByte(ImageDifference& d, const ParameterWords* words)
{
    const int a = d.mineBytes[0];
    const int b = d.theirsBytes[0];
    d.mine = std::to_string(a);
    d.theirs = std::to_string(b);
    if (words) {
        const Area area = areaOf(d.block);
        const auto wa = words->describe(area, d.offset, a);
        const auto wb = words->describe(area, d.offset, b);
        if (wa)
            d.mine = wa->value;
        if (wb)
            d.theirs = wb->value;
        // A value off the control's scale still has the control's name.
        const auto named = wa ? wa : wb ? wb : words->describe(area, d.offset, 0);
        if (named) {
            d.name = named->name;
            return;
        }
    }
    if (const auto name = parameterName(tableOf(d.block), d.offset)) {
        d.name = trimmed(*name);
        if (!d.name.empty())
            return;
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "byte 0x%02X", d.offset);
    d.name = buf;
}

struct BlockPlace
{
    DifferenceBlock block;
    int index;
};

// One message's data, compared byte by byte and field by field.
void compareData(int part, BlockPlace place, ByteView mine, ByteView theirs, std::size_t position,
                 const ParameterWords* words, std::vector<ImageDifference>& out)
{
    if (std::equal(mine.begin(), mine.end(), theirs.begin()))
        return;
    for (std::size_t o = 0; o < mine.size();) {
        const Field* field = fieldAt(place.block, int(o), mine.size());
        const std::size_t length = field ? std::size_t(field->length) : 1;
        const ByteView a = mine.subspan(o, length);
        const ByteView b = theirs.subspan(o, length);
        if (!std::equal(a.begin(), a.end(), b.begin())) {
            ImageDifference d;
            d.part = part;
            d.block = place.block;
            d.index = place.index;
            d.offset = int(o);
            d.length = int(length);
            d.position = position + o;
            d.mineBytes.assign(a.begin(), a.end());
            d.theirsBytes.assign(b.begin(), b.end());
            if (field) {
                d.name = field->name;
                d.mine = fieldText(*field, a, words);
                d.theirs = fieldText(*field, b, words);
            } else {
                nameOneByte(d, words);
            }
            // Bytes that differ must never read alike (a wave's group byte,
            // two names apart only in blanks or control characters).
            if (d.mine == d.theirs) {
                d.mine += " (bytes " + hexBytes(a) + ")";
                d.theirs += " (bytes " + hexBytes(b) + ")";
            }
            out.push_back(std::move(d));
        }
        o += length;
    }
}

// Both blocks are exactly partBlockSize(part) long; `base` is where they
// start in the bytes the caller gave.
void compareBlock(int part, ByteView mine, ByteView theirs, std::size_t base,
                  const ParameterWords* words, std::vector<ImageDifference>& out)
{
    auto data = [&](std::size_t message, std::size_t size, BlockPlace place) {
        const std::size_t at = message + MessageHeaderSize;
        compareData(part, place, mine.subspan(at, size), theirs.subspan(at, size), base + at, words,
                    out);
    };
    if (part == RhythmPart) {
        data(0, RhythmCommonDataSize, {DifferenceBlock::Common, 0});
        for (int k = 0; k < DrumNoteCount; ++k)
            data(RhythmCommonMessageSize + std::size_t(k) * DrumNoteMessageSize, DrumNoteDataSize,
                 {DifferenceBlock::DrumNote, k});
        return;
    }
    data(0, CommonDataSize, {DifferenceBlock::Common, 0});
    for (int t = 1; t <= ToneCount; ++t)
        data(CommonMessageSize + std::size_t(t - 1) * ToneMessageSize, ToneDataSize,
             {DifferenceBlock::Tone, t});
}

constexpr std::array<int, NormalPartCount + 1> AllParts = {0, 1, 2, 3, 4, 5, 6, RhythmPart};

} // namespace

std::vector<ImageDifference> imageDifferences(ByteView mine, ByteView theirs,
                                              const ParameterWords* words)
{
    return imageDifferences(mine, theirs, AllParts, words);
}

std::vector<ImageDifference> imageDifferences(ByteView mine, ByteView theirs,
                                              std::span<const int> parts,
                                              const ParameterWords* words)
{
    if (mine.size() != ImageSize || theirs.size() != ImageSize)
        throw std::invalid_argument("only whole images of " + std::to_string(ImageSize) +
                                    " bytes can be compared, not " + std::to_string(mine.size()) +
                                    " and " + std::to_string(theirs.size()) + " bytes");
    std::vector<ImageDifference> out;
    // In image order, each part once, however the caller listed them.
    for (int part : AllParts) {
        if (std::find(parts.begin(), parts.end(), part) == parts.end())
            continue;
        const std::size_t at = partBlockOffset(part);
        const std::size_t size = partBlockSize(part);
        compareBlock(part, mine.subspan(at, size), theirs.subspan(at, size), at, words, out);
    }
    return out;
}

std::vector<ImageDifference> partDifferences(int part, ByteView mine, ByteView theirs,
                                             const ParameterWords* words)
{
    if (!isPart(part))
        throw std::invalid_argument("there is no part " + std::to_string(part) + " to compare");
    const std::size_t size = partBlockSize(part);
    if (mine.size() != size || theirs.size() != size)
        throw std::invalid_argument(
            "part " + differencePartLabel(part) + " is " + std::to_string(size) + " bytes, not " +
            std::to_string(mine.size()) + " and " + std::to_string(theirs.size()));
    std::vector<ImageDifference> out;
    compareBlock(part, mine, theirs, 0, words, out);
    return out;
}

std::string differencePartLabel(int part)
{
    return part == RhythmPart ? "R" : std::to_string(part + 1);
}

std::string differencePlace(const ImageDifference& d)
{
    switch (d.block) {
    case DifferenceBlock::Tone:
        return "Tone " + std::to_string(d.index);
    case DifferenceBlock::DrumNote:
        return trimmed(noteName(FirstDrumKey + d.index));
    case DifferenceBlock::Common:
        break;
    }
    return "Common";
}

std::string differenceSentence(const ImageDifference& d)
{
    return "Part " + differencePartLabel(d.part) + ", " + differencePlace(d) + ", " + d.name +
           ": " + d.mine + " here, " + d.theirs + " on the instrument";
}

} // namespace dorvane
