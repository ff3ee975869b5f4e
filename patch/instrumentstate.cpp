// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/instrumentstate.h"

#include "patch/identity.h"
#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

#include <algorithm>

namespace dorvane {

namespace {

// Roland addresses count in 7-bit bytes: offset 128 of a tone lies at the next
// value of the third address byte. Within a part, a block's data starts at
// (third byte) * 128 in that count.
struct BlockPlace
{
    int linearStart; // third address byte * 128
    std::size_t dataSize;
    std::size_t dataAt; // image offset of the block's first data byte
};

std::vector<BlockPlace> blocksOfPart(int part)
{
    std::vector<BlockPlace> blocks;
    if (isNormalPart(part)) {
        const std::size_t base = partBlockOffset(part);
        blocks.push_back({0, CommonDataSize, base + MessageHeaderSize});
        for (int t = 1; t <= ToneCount; ++t)
            blocks.push_back({ToneBase[std::size_t(t)] * 128, ToneDataSize,
                              base + CommonMessageSize + std::size_t(t - 1) * ToneMessageSize +
                                  MessageHeaderSize});
    } else if (part == RhythmPart) {
        blocks.push_back({0, RhythmCommonDataSize, RhythmBlockOffset + MessageHeaderSize});
        for (int i = 0; i < DrumNoteCount; ++i)
            blocks.push_back({(FirstDrumKey + i) * 128, DrumNoteDataSize,
                              RhythmBlockOffset + RhythmCommonMessageSize +
                                  std::size_t(i) * DrumNoteMessageSize + MessageHeaderSize});
    }
    return blocks;
}

// A value of the request's size field: four 7-bit bytes, highest first.
int sevenBitValue(ByteView four)
{
    int value = 0;
    for (std::uint8_t b : four)
        value = value * 128 + b;
    return value;
}

bool isRequest(ByteView m)
{
    return m.size() >= 6 && m[0] == SysexStart && m[1] == RolandId && m[3] == 0x00 &&
           m[4] == 0x0B && m[5] == DataRequestCommand;
}

} // namespace

InstrumentState::InstrumentState(Bytes image)
{
    // The hardware always has a whole area; without a usable start image it
    // starts from the neutral one. The area is kept in address order: every
    // Data Set and checksum refresh below writes at the layout's positions.
    BlockCheck check =
        checkBlock(image, BlockKind::Image, 0, MessageOrder::AnyOrder, ChecksumRule::Counted);
    if (!check.ok()) {
        m_image = initialImage();
        return;
    }
    t505temppatch p;
    p.LoadFromBytes(*check.bytes);
    m_image = p.AllBytes();
}

std::vector<Bytes> InstrumentState::receive(ByteView message)
{
    if (message.empty())
        return {};
    const std::uint8_t status = message[0];
    if (status == SysexStart) {
        if (isIdentityRequest(message, DeviceId)) {
            ++m_counts.identityRequests;
            return {identityReplyMessage(builtInIdentity(DeviceId))};
        }
        if (isRequest(message))
            return answerRequest(message);
        if (applyDataSet(message))
            ++m_counts.dataSetsApplied;
        else
            ++m_counts.dataSetsIgnored;
        return {};
    }
    switch (status & 0xF0) {
    case 0x80:
    case 0x90:
        ++m_counts.notes;
        break;
    case 0xB0:
        ++m_counts.controllers;
        break;
    case 0xC0:
        ++m_counts.programChanges;
        break;
    default:
        ++m_counts.otherMessages;
    }
    return {};
}

bool InstrumentState::applyDataSet(ByteView message)
{
    const auto v = parseDataSet(message);
    if (!v || v->synth != tsMC505 || v->device != DeviceId)
        return false;
    Bytes body(v->address.begin(), v->address.end());
    body.insert(body.end(), v->data.begin(), v->data.end());
    if (Checksum(body) != v->checksum)
        return false;
    if (v->address[0] != 0x02)
        return false; // system and part settings are not part of the area
    const auto blocks = blocksOfPart(v->address[1]);
    if (blocks.empty())
        return false;
    const int start = v->address[2] * 128 + v->address[3];
    bool any = false;
    for (std::size_t i = 0; i < v->data.size(); ++i) {
        const int linear = start + int(i);
        for (const auto& b : blocks) {
            if (linear >= b.linearStart && linear < b.linearStart + int(b.dataSize)) {
                m_image[b.dataAt + std::size_t(linear - b.linearStart)] = v->data[i];
                any = true;
                break;
            }
        }
    }
    if (any) {
        t505temppatch p;
        p.LoadFromBytes(m_image);
        p.UpdateChecksums(v->address[1]);
        m_image = p.bytes();
    }
    return any;
}

std::vector<Bytes> InstrumentState::answerRequest(ByteView message)
{
    auto is = [&message](const Bytes& known) {
        return std::equal(known.begin(), known.end(), message.begin(), message.end());
    };
    // Only the three requests the editor sends are known; their checksums are
    // part of the comparison.
    ByteView block;
    if (is(requestAllMessage()))
        block = m_image;
    else if (is(requestRhythmMessage()))
        block = ByteView(m_image).subspan(RhythmBlockOffset, RhythmBlockSize);
    for (int p = 0; p < NormalPartCount && block.empty(); ++p)
        if (is(requestPartMessage(p)))
            block = ByteView(m_image).subspan(partBlockOffset(p), PartBlockSize);
    if (block.empty()) {
        if (auto piece = answerPiece(message)) {
            ++m_counts.requestsAnswered;
            return {std::move(*piece)};
        }
        ++m_counts.requestsUnknown;
        return {};
    }
    ++m_counts.requestsAnswered;
    std::vector<Bytes> out;
    for (ByteView m : splitSysex(block))
        out.emplace_back(m.begin(), m.end());
    return out;
}

std::optional<Bytes> InstrumentState::answerPiece(ByteView m) const
{
    // F0 41 10 00 0B 11, address, size, checksum, F7: to this device only,
    // with a right checksum, as the hardware ignores anything else.
    constexpr std::size_t RequestSize = 16;
    if (m.size() != RequestSize || m[2] != DeviceId || m.back() != SysexEnd)
        return std::nullopt;
    const ByteView body = m.subspan(6, 8);
    if (std::any_of(body.begin(), body.end(), [](std::uint8_t b) { return b & 0x80; }) ||
        Checksum(body) != m[14] || body[0] != TempPatchArea)
        return std::nullopt;
    const int start = body[2] * 128 + body[3];
    const int size = sevenBitValue(body.subspan(4, 4));
    if (size <= 0)
        return std::nullopt;
    for (const BlockPlace& b : blocksOfPart(body[1])) {
        if (start < b.linearStart || start + size > b.linearStart + int(b.dataSize))
            continue;
        const ByteView data = ByteView(m_image).subspan(
            b.dataAt + std::size_t(start - b.linearStart), std::size_t(size));
        return dataSetMessage(tsMC505, {body[0], body[1], body[2], body[3]}, data);
    }
    return std::nullopt;
}

} // namespace dorvane
