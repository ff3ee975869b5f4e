// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/modelconversion.h"

#include "patch/rolandmessage.h"

namespace dorvane {

namespace {

constexpr std::size_t JVXPCommonDataSize = 72;
constexpr std::size_t JVXPCommonMessageSize = 5 + 4 + JVXPCommonDataSize + 2; // 83
constexpr std::size_t MC505CommonMessageSize = 6 + 4 + CommonDataSize + 2;    // 86
// The MC-505 patch common carries two bytes more than the SuperJV/XP one.
constexpr std::uint8_t AddedCommonBytes[2] = {0x01, 0x00};

std::string modelName(TSynth s)
{
    return s == tsMC505 ? "MC-505" : "SuperJV/XP";
}

} // namespace

ConversionDirection conversionDirection(ByteView input)
{
    return input.size() > 3 && input[3] == 0x00 ? ConversionDirection::ToJVXP
                                                : ConversionDirection::ToMC505;
}

ConversionResult convertModel(ByteView input)
{
    const ConversionDirection direction = conversionDirection(input);
    const TSynth from = direction == ConversionDirection::ToMC505 ? tsJVXP : tsMC505;
    const TSynth to = from == tsJVXP ? tsMC505 : tsJVXP;
    const std::size_t commonSize = from == tsJVXP ? JVXPCommonMessageSize : MC505CommonMessageSize;

    const auto messages = splitSysex(input);
    std::size_t covered = 0;
    for (ByteView m : messages)
        covered += m.size();
    if (messages.empty() || covered != input.size() || input.front() != SysexStart)
        return ConversionError{"This is not a sysex file of Roland Data Set messages"};

    Bytes out;
    out.reserve(input.size() + messages.size() + 2);
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const auto v = parseDataSet(messages[i]);
        if (!v || v->synth != from)
            return ConversionError{"Message " + std::to_string(i + 1) + " is not a " +
                                   modelName(from) + " Data Set message"};
        const Bytes header = DataSetHeader(to);
        out.insert(out.end(), header.begin(), header.end());
        out[out.size() - header.size() + 2] = v->device;
        if (i > 0) {
            // Tones and the rest keep their data and checksum: the model ID is
            // outside the checksum.
            out.insert(out.end(), v->address.begin(), v->address.end());
            out.insert(out.end(), v->data.begin(), v->data.end());
            out.push_back(v->checksum);
            out.push_back(SysexEnd);
            continue;
        }
        if (messages[0].size() != commonSize)
            return ConversionError{"The file does not start with a " + modelName(from) +
                                   " patch common message of " + std::to_string(commonSize) +
                                   " bytes"};
        Bytes data(v->data.begin(), v->data.end());
        if (to == tsMC505)
            data.insert(data.end(), std::begin(AddedCommonBytes), std::end(AddedCommonBytes));
        else
            data.resize(JVXPCommonDataSize);
        Bytes message = dataSetMessage(to, v->address, data);
        message[2] = v->device;
        out.resize(out.size() - header.size());
        out.insert(out.end(), message.begin(), message.end());
    }
    return out;
}

} // namespace dorvane
