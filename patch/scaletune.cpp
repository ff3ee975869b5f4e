// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/scaletune.h"

#include "patch/textlines.h"

namespace dorvane {

namespace {

constexpr std::uint8_t ScaleTuneAddress = 0x10; // + part number
constexpr std::uint8_t HighestDataByte = 0x7F;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

ScaleLine failed(std::string problem)
{
    return {std::nullopt, std::move(problem)};
}

} // namespace

ScaleLine parseScaleLine(std::string_view line)
{
    if (line.size() < ScaleLineLength)
        return failed("is too short (twelve values need " + std::to_string(ScaleLineLength) +
                      " characters, it has " + std::to_string(line.size()) + ")");
    ScaleValues values{};
    for (int i = 0; i < ScaleDegrees; ++i) {
        const std::string_view pair = line.substr(std::size_t(3 * i), 2);
        if (pair == "??")
            return failed("holds \"??\": the tuning of this scale is not known");
        const int high = hexDigit(pair[0]);
        const int low = hexDigit(pair[1]);
        if (high < 0 || low < 0)
            return failed("holds \"" + std::string(pair) + "\" at character " +
                          std::to_string(3 * i + 1) + ", not a hexadecimal number");
        const int value = high * 16 + low;
        if (value > HighestDataByte)
            return failed("holds \"" + std::string(pair) + "\" at character " +
                          std::to_string(3 * i + 1) + ", above 7F, the highest tune value");
        values[std::size_t(i)] = std::uint8_t(value);
    }
    return {values, {}};
}

ScaleLine scaleLineOf(std::string_view fileText, int index)
{
    const auto lines = textLines(fileText);
    if (index < 0 || std::size_t(index) >= lines.size())
        return failed("scales.txt has " + std::to_string(lines.size()) + " lines, none for scale " +
                      std::to_string(index + 1) + ".");
    ScaleLine parsed = parseScaleLine(lines[std::size_t(index)]);
    if (!parsed.values)
        parsed.problem =
            "Line " + std::to_string(index + 1) + " of scales.txt " + parsed.problem + ".";
    return parsed;
}

int scaleTuneNote(int key, int degree)
{
    const int note = key + degree;
    return note < ScaleDegrees ? note : note - ScaleDegrees;
}

std::vector<Bytes> scaleTuneMessages(TSynth synth, int part, int key, const ScaleValues& values)
{
    std::vector<Bytes> messages;
    for (int i = 0; i < ScaleDegrees; ++i) {
        const std::uint8_t data[1] = {values[std::size_t(i)]};
        const Address address = {0x00, 0x00, std::uint8_t(ScaleTuneAddress + part),
                                 std::uint8_t(scaleTuneNote(key, i))};
        messages.push_back(dataSetMessage(synth, address, data));
    }
    return messages;
}

} // namespace dorvane
