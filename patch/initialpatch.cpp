// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/initialpatch.h"

#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace dorvane {

namespace {

using Values = std::initializer_list<std::pair<int, int>>;

// Raw values of the parameters that are not 0. Signed parameters are stored with
// an offset, so their zero is the middle of the range (63, 64, 48, 50, 12, 7).
constexpr Values ToneValues = {
    {2, 1},    {5, 1},    {13, 127}, {15, 127}, {17, 1},    {18, 1},    {19, 1},    {20, 1},
    {22, 63},  {24, 63},  {26, 63},  {28, 63},  {30, 63},   {32, 63},   {34, 63},   {36, 63},
    {38, 63},  {40, 63},  {42, 63},  {44, 63},  {47, 64},   {48, 2},    {55, 64},   {56, 2},
    {61, 48},  {62, 50},  {64, 12},  {65, 12},  {66, 50},   {67, 7},    {68, 7},    {69, 7},
    {74, 63},  {75, 63},  {76, 63},  {77, 63},  {78, 63},   {79, 63},   {80, 1},    {81, 127},
    {82, 5},   {84, 50},  {85, 63},  {87, 50},  {88, 7},    {89, 7},    {90, 7},    {95, 127},
    {96, 127}, {97, 127}, {99, 63},  {100, 63}, {101, 127}, {102, 3},   {103, 60},  {104, 7},
    {106, 50}, {107, 7},  {108, 7},  {109, 7},  {114, 127}, {115, 127}, {116, 127}, {117, 63},
    {118, 63}, {119, 64}, {120, 7},  {122, 64}, {123, 63},  {124, 63},  {126, 127}, {12, 1},
};

constexpr Values CommonValues = {
    {26, 127}, {30, 63}, {32, 63}, {33, 64},  {34, 64}, {35, 64}, {40, 64}, {41, 64},
    {42, 17},  {44, 7},  {45, 8},  {46, 127}, {47, 64}, {49, 2},  {50, 2},  {65, 3},
};

constexpr Values DrumNoteValues = {
    {0, 1},   {2, 1},   {5, 1},    {8, 1},    {9, 1},    {10, 1},   {13, 50},  {15, 12},
    {16, 50}, {17, 7},  {22, 63},  {23, 63},  {24, 63},  {25, 63},  {26, 1},   {27, 127},
    {29, 50}, {30, 63}, {31, 50},  {32, 7},   {37, 127}, {38, 127}, {39, 127}, {41, 127},
    {42, 50}, {43, 7},  {48, 127}, {49, 127}, {50, 127}, {51, 64},  {53, 64},  {55, 127},
};

constexpr char InitName[] = "INIT PATCH";

void appendMessage(Bytes& image, const Address& address, std::size_t dataSize, Values values,
                   std::initializer_list<std::pair<int, int>> extra = {})
{
    Bytes data(dataSize, 0);
    for (auto [offset, value] : values)
        data[std::size_t(offset)] = std::uint8_t(value);
    for (auto [offset, value] : extra)
        data[std::size_t(offset)] = std::uint8_t(value);
    const Bytes m = dataSetMessage(tsMC505, address, data);
    image.insert(image.end(), m.begin(), m.end());
}

} // namespace

Bytes initialImage()
{
    Bytes image;
    image.reserve(ImageSize);
    for (int p = 0; p < NormalPartCount; ++p) {
        const auto part = std::uint8_t(p);
        appendMessage(image, {0x02, part, 0x00, 0x00}, CommonDataSize, CommonValues);
        for (int t = 1; t <= ToneCount; ++t)
            appendMessage(image, {0x02, part, ToneBase[std::size_t(t)], 0x00}, ToneDataSize,
                          ToneValues, {{0, t == 1 ? 1 : 0}});
    }
    appendMessage(image, {0x02, RhythmPart, 0x00, 0x00}, RhythmCommonDataSize, {});
    for (int i = 0; i < DrumNoteCount; ++i)
        appendMessage(image, {0x02, RhythmPart, std::uint8_t(FirstDrumKey + i), 0x00},
                      DrumNoteDataSize, DrumNoteValues, {{12, FirstDrumKey + i}});

    t505temppatch patch;
    patch.LoadFromBytes(image);
    for (int p = 0; p < NormalPartCount; ++p)
        patch.SetPatchName(p, InitName);
    patch.SetPatchName(RhythmPart, InitName);
    return patch.AllBytes();
}

Bytes initialPartFile()
{
    const Bytes image = initialImage();
    return Bytes(image.begin(), image.begin() + std::ptrdiff_t(PartBlockSize));
}

} // namespace dorvane
