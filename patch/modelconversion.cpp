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

// A whole patch common: it starts a patch, and holds the model's common.
bool isPatchCommon(const DataSetView& v, TSynth model)
{
    const std::size_t size = model == tsMC505 ? CommonDataSize : JVXPCommonDataSize;
    return v.address[2] == 0 && v.address[3] == 0 && v.data.size() == size;
}

// Part of a common that reaches past the bytes both models share: the MC-505's
// two added bytes have no place in a SuperJV/XP common, nor the other way round.
bool reachesPastSharedCommon(const DataSetView& v)
{
    return v.address[2] == 0 && v.address[3] + v.data.size() > JVXPCommonDataSize;
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
    out.reserve(input.size() + 3 * messages.size());
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const auto v = parseDataSet(messages[i]);
        if (!v || v->synth != from)
            return ConversionError{"Message " + std::to_string(i + 1) + " is not a " +
                                   modelName(from) + " Data Set message"};
        const bool common = isPatchCommon(*v, from);
        if (i == 0 && !common)
            return ConversionError{"The file does not start with a " + modelName(from) +
                                   " patch common message of " + std::to_string(commonSize) +
                                   " bytes"};
        if (!common && reachesPastSharedCommon(*v))
            return ConversionError{"Message " + std::to_string(i + 1) + " (" +
                                   addressText(v->address) +
                                   ") holds part of a patch common that cannot be converted"};
        Bytes data(v->data.begin(), v->data.end());
        if (common && to == tsMC505)
            data.insert(data.end(), std::begin(AddedCommonBytes), std::end(AddedCommonBytes));
        else if (common)
            data.resize(JVXPCommonDataSize);
        Bytes message = dataSetMessage(to, v->address, data);
        message[2] = v->device;
        // Every other message keeps its checksum as it was, right or wrong:
        // the model ID is outside the checksum.
        if (!common)
            message[message.size() - 2] = v->checksum;
        out.insert(out.end(), message.begin(), message.end());
    }
    return out;
}

} // namespace dorvane
