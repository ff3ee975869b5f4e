// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/rolandmessage.h"

#include <algorithm>
#include <cstdio>

namespace dorvane {

namespace {

constexpr std::array<std::uint8_t, 6> MC505Header = {SysexStart, RolandId, DeviceId,
                                                     0x00,       0x0B,     DataSetCommand};
constexpr std::array<std::uint8_t, 5> JVXPHeader = {SysexStart, RolandId, DeviceId, 0x6A,
                                                    DataSetCommand};

Bytes requestMessage(const Address& address, const std::array<std::uint8_t, 4>& size)
{
    Bytes m = {SysexStart, RolandId, DeviceId, 0x00, 0x0B, DataRequestCommand};
    m.insert(m.end(), address.begin(), address.end());
    m.insert(m.end(), size.begin(), size.end());
    m.push_back(Checksum(ByteView(m).subspan(6)));
    m.push_back(SysexEnd);
    return m;
}

} // namespace

std::uint8_t Checksum(ByteView body)
{
    unsigned sum = 0;
    for (auto b : body)
        sum += b;
    return std::uint8_t((128 - sum % 128) % 128);
}

Bytes DataSetHeader(TSynth synth)
{
    if (synth == tsMC505)
        return Bytes(MC505Header.begin(), MC505Header.end());
    return Bytes(JVXPHeader.begin(), JVXPHeader.end());
}

Bytes dataSetMessage(TSynth synth, const Address& address, ByteView data)
{
    Bytes m = DataSetHeader(synth);
    const std::size_t bodyStart = m.size();
    m.insert(m.end(), address.begin(), address.end());
    m.insert(m.end(), data.begin(), data.end());
    m.push_back(Checksum(ByteView(m).subspan(bodyStart)));
    m.push_back(SysexEnd);
    return m;
}

Bytes parameterMessage(TSynth synth, const Address& address, int value)
{
    // Values from 128 on do not fit one data byte; the instrument takes them as
    // two nibble-sized bytes. No range check: above 255 the high byte exceeds 15.
    Bytes data;
    if (value < 128) {
        data.push_back(std::uint8_t(value));
    } else {
        data.push_back(std::uint8_t(value / 16));
        data.push_back(std::uint8_t(value % 16));
    }
    return dataSetMessage(synth, address, data);
}

Bytes waveMessage(TSynth synth, std::uint8_t a1, std::uint8_t a2, std::uint8_t a3, int wave)
{
    const unsigned w = unsigned(wave);
    const bool upper = w >= 255;
    const unsigned number = upper ? w - 254 : w;
    const std::uint8_t data[4] = {0x00, std::uint8_t(upper ? 2 : 1), std::uint8_t(number / 16),
                                  std::uint8_t(number % 16)};
    return dataSetMessage(synth, {a1, a2, a3, 0x01}, data);
}

Bytes nameMessage(TSynth synth, std::string_view name, std::uint8_t a1, std::uint8_t a2)
{
    Bytes data(name.begin(), name.end());
    if (data.size() < 12)
        data.resize(12, ' ');
    return dataSetMessage(synth, {a1, a2, 0x00, 0x00}, data);
}

Bytes requestAllMessage()
{
    return requestMessage({0x02, 0x00, 0x00, 0x00}, {0x00, 0x09, 0x62, 0x3A});
}

Bytes requestPartMessage(int part)
{
    return requestMessage({0x02, std::uint8_t(part), 0x00, 0x00}, {0x00, 0x00, 0x18, 0x00});
}

Bytes requestRhythmMessage()
{
    return requestMessage({0x02, 0x09, 0x00, 0x00}, {0x00, 0x00, 0x63, 0x00});
}

Bytes requestMessageForPart(int part)
{
    return part == RhythmPart ? requestRhythmMessage() : requestPartMessage(part);
}

std::vector<ByteView> splitSysex(ByteView bytes)
{
    std::vector<ByteView> messages;
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (bytes[i] != SysexStart) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < bytes.size() && bytes[end] != SysexEnd)
            ++end;
        const std::size_t length = end < bytes.size() ? end - i + 1 : bytes.size() - i;
        messages.push_back(bytes.subspan(i, length));
        i += length;
    }
    return messages;
}

std::vector<int> partsAddressed(ByteView bytes)
{
    std::vector<int> parts;
    for (ByteView m : splitSysex(bytes)) {
        const auto v = parseDataSet(m);
        if (!v || v->synth != tsMC505 || v->address[0] != TempPatchArea)
            continue;
        const int part = v->address[1];
        if (isPart(part) && std::find(parts.begin(), parts.end(), part) == parts.end())
            parts.push_back(part);
    }
    return parts;
}

std::optional<DataSetView> parseDataSet(ByteView m)
{
    if (m.size() < 3 || m.front() != SysexStart || m.back() != SysexEnd || m[1] != RolandId)
        return std::nullopt;
    std::size_t addressAt;
    TSynth synth;
    if (m.size() >= 6 && m[3] == 0x00 && m[4] == 0x0B && m[5] == DataSetCommand) {
        synth = tsMC505;
        addressAt = 6;
    } else if (m.size() >= 5 && m[3] == 0x6A && m[4] == DataSetCommand) {
        synth = tsJVXP;
        addressAt = 5;
    } else {
        return std::nullopt;
    }
    // Address, at least one data byte, checksum and F7.
    if (m.size() < addressAt + 4 + 1 + 2)
        return std::nullopt;
    DataSetView v;
    v.synth = synth;
    v.device = m[2];
    for (int i = 0; i < 4; ++i)
        v.address[i] = m[addressAt + i];
    const std::size_t dataAt = addressAt + 4;
    v.data = m.subspan(dataAt, m.size() - 2 - dataAt);
    v.checksum = m[m.size() - 2];
    for (auto b : m.subspan(1, m.size() - 2))
        if (b & 0x80)
            return std::nullopt;
    return v;
}

void refreshChecksums(std::span<std::uint8_t> bytes)
{
    for (ByteView m : splitSysex(bytes)) {
        const auto v = parseDataSet(m);
        if (!v)
            continue;
        unsigned sum = 0;
        for (auto b : v->address)
            sum += b;
        for (auto b : v->data)
            sum += b;
        const std::size_t at = std::size_t(m.data() - bytes.data()) + m.size() - 2;
        bytes[at] = std::uint8_t((128 - sum % 128) % 128);
    }
}

void stampDeviceId(std::span<std::uint8_t> bytes, std::uint8_t device)
{
    for (std::size_t i = 0; i + 5 <= bytes.size(); ++i)
        if (bytes[i] == SysexStart && bytes[i + 1] == RolandId && bytes[i + 2] < 0x80 &&
            bytes[i + 3] == 0x00 && bytes[i + 4] == 0x0B)
            bytes[i + 2] = device & 0x7F;
}

std::vector<std::uint8_t> deviceIds(ByteView bytes)
{
    std::vector<std::uint8_t> ids;
    for (ByteView m : splitSysex(bytes))
        if (const auto v = parseDataSet(m);
            v && std::find(ids.begin(), ids.end(), v->device) == ids.end())
            ids.push_back(v->device);
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::string addressText(const Address& a)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02X %02X %02X %02X", a[0], a[1], a[2], a[3]);
    return buf;
}

std::string hexBytes(ByteView bytes)
{
    std::string text;
    for (std::uint8_t b : bytes) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02X", b);
        if (!text.empty())
            text += ' ';
        text += buf;
    }
    return text;
}

} // namespace dorvane
