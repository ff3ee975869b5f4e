// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/messagedescription.h"

#include "patch/catalogue.h"
#include "patch/notename.h"
#include "patch/rolandmessage.h"

#include <algorithm>
#include <cstdio>

namespace dorvane {

namespace {

std::string partText(int part)
{
    return part == RhythmPart ? "part R" : "part " + std::to_string(part + 1);
}

std::string quoted(std::optional<std::string_view> name, int offset)
{
    return name ? "\"" + std::string(*name) + "\"" : "offset " + std::to_string(offset);
}

// One parameter's value: a byte, or two nibble-sized bytes for larger values.
std::string valueText(ByteView data)
{
    if (data.size() == 1)
        return std::to_string(data[0]);
    if (data.size() == 2)
        return std::to_string(data[0] * 16 + data[1]);
    return std::to_string(data.size()) + " bytes";
}

// One parameter's value: a byte, or two nibble-sized bytes for larger values.
std::optional<int> numericValue(ByteView data)
{
    if (data.size() == 1)
        return data[0];
    if (data.size() == 2)
        return data[0] * 16 + data[1];
    return std::nullopt;
}

// "Coarse Tune = 2 (50)": the value as the control shows it, with the raw
// value beside it where the two differ. Nothing when the words know nothing.
std::optional<std::string> inWords(const ParameterWords* words, ParameterWords::Area area,
                                   int offset, ByteView data)
{
    const auto value = numericValue(data);
    if (!words || !value)
        return std::nullopt;
    const auto w = words->describe(area, offset, *value);
    if (!w)
        return std::nullopt;
    const std::string raw = std::to_string(*value);
    return w->name + " = " + w->value + (w->value == raw ? "" : " (" + raw + ")");
}

std::string describeTempPatch(const Address& a, ByteView data, const ParameterWords* words)
{
    const int part = a[1];
    if (!isPart(part))
        return "temp patch, no such part " + std::to_string(part);
    // Roland addresses count 7 bits a byte: offset 128 of a tone is at base + 1.
    const int linear = a[2] * 128 + a[3];
    std::string where;
    std::optional<std::string_view> name;
    int offset = 0;
    // Part R's common block has no controls of its own to name it.
    std::optional<ParameterWords::Area> area;
    if (part == RhythmPart) {
        if (a[2] == 0) {
            where = "part R common";
            offset = a[3];
            if (offset == 0 && data.size() == RhythmCommonDataSize)
                return where + " name \"" + std::string(data.begin(), data.end()) + "\"";
        } else {
            where = "part R drum note " + noteName(a[2]);
            offset = a[3];
            name = parameterName(ParameterTable::RhythmNote, offset);
            area = ParameterWords::Area::RhythmNote;
        }
    } else if (a[2] == 0) {
        where = partText(part) + " common";
        offset = a[3];
        if (offset == 0 && data.size() == 12)
            return where + " name \"" + std::string(data.begin(), data.end()) + "\"";
        name = parameterName(ParameterTable::PartCommon, offset);
        area = ParameterWords::Area::PartCommon;
    } else {
        int tone = 0;
        for (int t = 1; t <= ToneCount; ++t)
            if (linear >= ToneBase[std::size_t(t)] * 128 &&
                linear < ToneBase[std::size_t(t)] * 128 + int(ToneDataSize))
                tone = t;
        if (!tone)
            return partText(part) + ", address " + addressText(a);
        offset = linear - ToneBase[std::size_t(tone)] * 128;
        where = partText(part) + " tone " + std::to_string(tone);
        name = parameterName(ParameterTable::Tone, offset);
        area = ParameterWords::Area::Tone;
    }
    if (data.size() > 2) {
        if (offset == 1 && data.size() == 4)
            return where +
                   " wave = " + std::to_string((data[1] != 1 ? 254 : 0) + 16 * data[2] + data[3]);
        if (offset == 0)
            return where + " (whole block, " + std::to_string(data.size()) + " bytes)";
    }
    if (area)
        if (const auto w = inWords(words, *area, offset, data))
            return where + " " + *w;
    return where + " " + quoted(name, offset) + " = " + valueText(data);
}

std::string describeDataSet(const DataSetView& v, const ParameterWords* words)
{
    using Area = ParameterWords::Area;
    std::string text = "Data Set " + addressText(v.address) + ": ";
    const Address& a = v.address;
    if (a[0] == 0x02)
        return text + describeTempPatch(a, v.data, words);
    if (a[0] == 0x01 && a[1] == 0x00 && a[2] == 0x00) {
        if (const auto w = inWords(words, Area::Effects, a[3], v.data))
            return text + "effects " + *w;
        return text + "effects parameter " + std::to_string(a[3]) + " = " + valueText(v.data);
    }
    if (a[0] == 0x01 && a[1] == 0x00 && a[2] >= 0x10) {
        const std::string part = partText(a[2] - 0x10);
        if (const auto w = inWords(words, Area::PartSetting, a[3], v.data))
            return text + part + " " + *w;
        return text + part + " setting " + std::to_string(a[3]) + " = " + valueText(v.data);
    }
    if (a[0] == 0x00 && a[1] == 0x00 && a[2] == 0x00)
        if (const auto w = inWords(words, Area::System, a[3], v.data))
            return text + "system " + *w;
    if (a[0] == 0x00 && a[1] == 0x00 && a[2] == 0x00 && a[3] == 0x60)
        return text + "system tempo = " + valueText(v.data);
    // Scale tune: 00 00 (10 + part) note, one value per note of the octave.
    if (a[0] == 0x00 && a[1] == 0x00 && a[2] >= 0x10 && isPart(a[2] - 0x10) && a[3] < 12)
        return text + partText(a[2] - 0x10) + " scale tune " + std::string(PitchNames[a[3]]) +
               " = " + valueText(v.data);
    return text + "system parameter " + std::to_string(a[3]) + " = " + valueText(v.data);
}

std::string describeSysex(ByteView m, const ParameterWords* words)
{
    if (const auto v = parseDataSet(m))
        return describeDataSet(*v, words) + (v->synth == tsJVXP ? " (SuperJV/XP)" : "");
    auto is = [&m](const Bytes& known) {
        return std::equal(known.begin(), known.end(), m.begin(), m.end());
    };
    if (is(requestAllMessage()))
        return "Data Request: whole temp patch";
    if (is(requestRhythmMessage()))
        return "Data Request: part R";
    for (int p = 0; p < NormalPartCount; ++p)
        if (is(requestPartMessage(p)))
            return "Data Request: part " + std::to_string(p + 1);
    return "Sysex " + hexBytes(m);
}

} // namespace

std::string describeMidiMessage(ByteView m, const ParameterWords* words)
{
    if (m.empty())
        return "(empty)";
    const int status = m[0];
    if (status == SysexStart)
        return describeSysex(m, words);
    const std::string channel = " ch " + std::to_string((status & 0x0F) + 1);
    auto data = [&m](std::size_t i) { return i < m.size() ? int(m[i]) : 0; };
    switch (status & 0xF0) {
    case 0x80:
        return "Note off" + channel + " " + noteName(data(1));
    case 0x90:
        return (data(2) ? "Note on" : "Note off") + channel + " " + noteName(data(1)) +
               "velocity " + std::to_string(data(2));
    case 0xB0: {
        std::string name;
        switch (data(1)) {
        case 0:
            name = " (Bank Select)";
            break;
        case 32:
            name = " (Bank Select LSB)";
            break;
        case 64:
            name = " (Hold)";
            break;
        case 120:
            name = " (All Sound Off)";
            break;
        case 121:
            name = " (Reset All Controllers)";
            break;
        default:
            break;
        }
        return "Control change" + channel + " " + std::to_string(data(1)) + name + " = " +
               std::to_string(data(2));
    }
    case 0xC0:
        return "Program change" + channel + " " + std::to_string(data(1));
    case 0xE0:
        return "Pitch bend" + channel + " " + std::to_string(data(1) + 128 * data(2) - 8192);
    default:
        break;
    }
    if (status == 0xFE)
        return "Active sensing";
    if (status == 0xF8)
        return "Timing clock";
    return hexBytes(m);
}

} // namespace dorvane
