// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/imagecheck.h"

#include <cstdio>
#include <map>

namespace dorvane {

SysexFileKind classifySysexFile(ByteView bytes)
{
    switch (bytes.size()) {
    case ImageSize:
        return SysexFileKind::Image;
    case ImageWithLeadingBlockSize:
        return SysexFileKind::ImageWithLeadingBlock;
    case PartBlockSize:
        return SysexFileKind::PartFile;
    case RhythmBlockSize:
        return SysexFileKind::RhythmPartFile;
    default:
        return SysexFileKind::Other;
    }
}

std::string kindText(SysexFileKind kind)
{
    switch (kind) {
    case SysexFileKind::Image:
        return "8-part image";
    case SysexFileKind::ImageWithLeadingBlock:
        return "8-part image with leading block";
    case SysexFileKind::PartFile:
        return "part";
    case SysexFileKind::RhythmPartFile:
        return "part R";
    case SysexFileKind::Other:
        break;
    }
    return "other";
}

std::size_t blockSize(BlockKind kind)
{
    switch (kind) {
    case BlockKind::Image:
        return ImageSize;
    case BlockKind::Part:
        return PartBlockSize;
    case BlockKind::Rhythm:
        return RhythmBlockSize;
    }
    return 0;
}

BlockKind blockKindOfPart(int part)
{
    return part == RhythmPart ? BlockKind::Rhythm : BlockKind::Part;
}

std::vector<MessageProblem> checksumProblems(ByteView bytes)
{
    std::vector<MessageProblem> problems;
    std::size_t expectedStart = 0;
    for (ByteView m : splitSysex(bytes)) {
        const std::size_t offset = std::size_t(m.data() - bytes.data());
        if (offset != expectedStart)
            problems.push_back({expectedStart, std::nullopt, "bytes outside any sysex message"});
        expectedStart = offset + m.size();
        if (m.back() != SysexEnd) {
            problems.push_back({offset, std::nullopt, "message without its end (F7)"});
            continue;
        }
        const auto v = parseDataSet(m);
        if (!v)
            continue; // not a Roland Data Set message: no checksum to check
        Bytes body(v->address.begin(), v->address.end());
        body.insert(body.end(), v->data.begin(), v->data.end());
        const std::uint8_t want = Checksum(body);
        if (want != v->checksum) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "checksum %02X, should be %02X", v->checksum, want);
            problems.push_back({offset, v->address, buf});
        }
    }
    if (expectedStart < bytes.size())
        problems.push_back({expectedStart, std::nullopt, "bytes outside any sysex message"});
    return problems;
}

std::vector<ExpectedMessage> expectedMessages(BlockKind kind, int part)
{
    std::vector<ExpectedMessage> list;
    auto addPart = [&list](int p) {
        const auto pb = std::uint8_t(p);
        list.push_back({{0x02, pb, 0x00, 0x00}, CommonDataSize});
        for (int t = 1; t <= ToneCount; ++t)
            list.push_back({{0x02, pb, ToneBase[std::size_t(t)], 0x00}, ToneDataSize});
    };
    auto addRhythm = [&list] {
        list.push_back({{0x02, RhythmPart, 0x00, 0x00}, RhythmCommonDataSize});
        for (int i = 0; i < DrumNoteCount; ++i)
            list.push_back(
                {{0x02, RhythmPart, std::uint8_t(FirstDrumKey + i), 0x00}, DrumNoteDataSize});
    };
    switch (kind) {
    case BlockKind::Image:
        for (int p = 0; p < NormalPartCount; ++p)
            addPart(p);
        addRhythm();
        break;
    case BlockKind::Part:
        addPart(part);
        break;
    case BlockKind::Rhythm:
        addRhythm();
        break;
    }
    return list;
}

ArrangeResult arrangeByAddress(ByteView received, BlockKind kind, int part)
{
    const auto expected = expectedMessages(kind, part);
    std::map<Address, std::size_t> slot; // address -> index in the block
    for (std::size_t i = 0; i < expected.size(); ++i)
        slot[expected[i].address] = i;

    std::vector<ByteView> placed(expected.size());
    std::size_t covered = 0;
    for (ByteView m : splitSysex(received)) {
        covered += m.size();
        const auto v = parseDataSet(m);
        if (!v || v->synth != tsMC505)
            return {std::nullopt, "a message that is not an MC-505 Data Set message"};
        const auto it = slot.find(v->address);
        if (it == slot.end())
            return {std::nullopt, "a message for address " + addressText(v->address) +
                                      ", which is not part of the requested block"};
        if (v->data.size() != expected[it->second].dataSize)
            return {std::nullopt,
                    "the message for " + addressText(v->address) + " has the wrong length"};
        Bytes body(v->address.begin(), v->address.end());
        body.insert(body.end(), v->data.begin(), v->data.end());
        if (Checksum(body) != v->checksum)
            return {std::nullopt, "wrong checksum in the message for " + addressText(v->address)};
        if (!placed[it->second].empty())
            return {std::nullopt, "the message for " + addressText(v->address) + " came twice"};
        placed[it->second] = m;
    }
    if (covered != received.size())
        return {std::nullopt, "bytes outside any sysex message"};
    Bytes out;
    out.reserve(blockSize(kind));
    for (std::size_t i = 0; i < placed.size(); ++i) {
        if (placed[i].empty())
            return {std::nullopt,
                    "the message for " + addressText(expected[i].address) + " is missing"};
        out.insert(out.end(), placed[i].begin(), placed[i].end());
    }
    return {std::move(out), {}};
}

} // namespace dorvane
