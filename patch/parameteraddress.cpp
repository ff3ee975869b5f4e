// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/parameteraddress.h"

namespace dorvane {

namespace {

constexpr int SevenBits = 128;
constexpr int SystemArea = 0x00;
constexpr int SetupArea = 0x01;
constexpr int TempArea = 0x02;
constexpr int FirstPartSetup = 0x10;

} // namespace

std::array<std::uint8_t, 2> tempoData(int tempo)
{
    return {std::uint8_t(tempo / 16), std::uint8_t(tempo % 16)};
}

Address parameterAddress(int a1, int a2, int a3, int offset)
{
    return {std::uint8_t(a1), std::uint8_t(a2), std::uint8_t(a3 + offset / SevenBits),
            std::uint8_t(offset % SevenBits)};
}

Address systemAddress(int offset)
{
    return parameterAddress(SystemArea, 0x00, 0x00, offset);
}

Address effectsAddress(int offset)
{
    return parameterAddress(SetupArea, 0x00, 0x00, offset);
}

Address partSetupAddress(int part, int offset)
{
    return parameterAddress(SetupArea, 0x00, FirstPartSetup + part, offset);
}

Address partCommonAddress(int part, int offset)
{
    return parameterAddress(TempArea, part, 0x00, offset);
}

Address toneAddress(int part, int tone, int offset)
{
    return parameterAddress(TempArea, part, ToneBase[std::size_t(tone)], offset);
}

Address drumNoteAddress(int note, int offset)
{
    return parameterAddress(TempArea, RhythmPart, FirstDrumKey + note, offset);
}

} // namespace dorvane
