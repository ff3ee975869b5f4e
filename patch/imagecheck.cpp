// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/imagecheck.h"

#include <algorithm>
#include <cstdio>

namespace dorvane {

namespace {

std::string hexByte(std::uint8_t b)
{
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", b);
    return buf;
}

std::string partText(int part)
{
    return part == RhythmPart ? "part R" : "part " + std::to_string(part + 1);
}

std::string blockName(BlockKind kind, int part)
{
    switch (kind) {
    case BlockKind::Image:
        return "the 8 part image";
    case BlockKind::Part:
        return isNormalPart(part) ? partText(part) : "the part";
    case BlockKind::Rhythm:
        return "part R";
    }
    return {};
}

bool isMC505Header(ByteView b, std::size_t pos)
{
    return pos + 6 <= b.size() && b[pos] == SysexStart && b[pos + 1] == RolandId &&
           b[pos + 2] < 0x80 && b[pos + 3] == 0x00 && b[pos + 4] == 0x0B &&
           b[pos + 5] == DataSetCommand;
}

Address addressAt(ByteView b, std::size_t pos)
{
    return {b[pos + 6], b[pos + 7], b[pos + 8], b[pos + 9]};
}

// What stands at pos where a Data Set message of this instrument was expected.
std::string foundText(ByteView b, std::size_t pos)
{
    if (pos >= b.size())
        return "the end";
    if (b[pos] != SysexStart)
        return hexByte(b[pos]) + ", which starts no message";
    if (isMC505Header(b, pos) && pos + MessageHeaderSize <= b.size()) {
        const Address a = addressAt(b, pos);
        const std::string name = messageName(a);
        return name.rfind("address", 0) == 0 ? "a message for " + name : "the one of " + name;
    }
    if (pos + 5 <= b.size() && b[pos + 1] == RolandId && b[pos + 3] == 0x6A &&
        b[pos + 4] == DataSetCommand)
        return "a SuperJV/XP message";
    if (pos + 6 <= b.size() && b[pos + 1] == RolandId && b[pos + 3] == 0x00 && b[pos + 4] == 0x0B &&
        b[pos + 5] == DataRequestCommand)
        return "a Data Request";
    if (pos + 1 < b.size() && b[pos + 1] == RolandId)
        return "another Roland message";
    return "a message of another kind";
}

struct Verdict
{
    bool ok = false;
    bool checksumWrong = false;
    std::size_t at = 0;
    std::string reason;
};

Verdict fault(std::size_t at, std::string reason)
{
    return {false, false, at, std::move(reason)};
}

// A whole message ending at `end`, whose address and data bytes add up to `sum`.
template <typename Name>
Verdict checked(std::size_t end, unsigned sum, std::uint8_t checksum, const Name& name)
{
    Verdict v;
    v.ok = true;
    v.at = end - 1;
    v.checksumWrong = checksum != std::uint8_t((128 - sum % 128) % 128);
    if (v.checksumWrong)
        v.reason = "wrong checksum in the Data Set message of " + name();
    return v;
}

// The message at pos against what belongs there. With anyPart the message may
// address any normal part (the first message of a part file).
Verdict checkMessageAt(ByteView b, std::size_t pos, const ExpectedMessage& slot, bool anyPart)
{
    const Address& want = slot.address;
    // Texts are made only for a fault: a good image is checked many times a second.
    auto misplaced = [&] {
        return fault(pos, "expected the Data Set message of " +
                              (anyPart ? std::string("a part common") : messageName(want)) +
                              ", found " + foundText(b, pos));
    };
    if (!isMC505Header(b, pos) || pos + MessageHeaderSize > b.size())
        return misplaced();
    const Address a = addressAt(b, pos);
    const bool samePlace = a[0] == want[0] && a[2] == want[2] && a[3] == want[3];
    if (!samePlace || (anyPart ? !isNormalPart(a[1]) : a[1] != want[1]))
        return misplaced();
    auto name = [&a] { return messageName(a); };
    const std::size_t n = slot.dataSize;
    const std::size_t end = pos + MessageHeaderSize + n + 1;
    // A library scan checks every message of every file: a whole message is
    // first looked at in one pass the compiler makes wide, and walked byte by
    // byte below only to say what is wrong with it.
    if (end < b.size() && b[end] == SysexEnd) {
        std::uint8_t high = 0;
        unsigned sum = 0;
        for (std::size_t k = pos + MessageHeaderSize; k < end - 1; ++k) {
            high |= b[k];
            sum += b[k];
        }
        high |= b[end - 1];
        if (!(high & 0x80)) {
            for (std::size_t k = pos + 6; k < pos + MessageHeaderSize; ++k)
                sum += b[k];
            return checked(end, sum, b[end - 1], name);
        }
    }
    // n data bytes and the checksum: all 7-bit.
    for (std::size_t i = 0; i <= n; ++i) {
        const std::size_t k = pos + MessageHeaderSize + i;
        if (k >= b.size())
            return fault(k, "the Data Set message of " + name() + " is cut short after " +
                                std::to_string(i) + " of its " + std::to_string(n) + " data bytes");
        const std::uint8_t v = b[k];
        if (v == SysexEnd)
            return fault(
                k, i < n ? "the Data Set message of " + name() + " ends after " +
                               std::to_string(i) + " of its " + std::to_string(n) + " data bytes"
                         : "the Data Set message of " + name() + " ends without its checksum");
        if (v == SysexStart)
            return fault(k, "a message starts inside the Data Set message of " + name() +
                                ", whose F7 is missing");
        if (v & 0x80)
            return fault(k, "the Data Set message of " + name() + " holds " + hexByte(v) +
                                ", which is no data byte");
    }
    if (end >= b.size())
        return fault(end, "the Data Set message of " + name() + " has no F7, found the end");
    if (b[end] != SysexEnd)
        return fault(end, "the Data Set message of " + name() + " should end here (F7), found " +
                              hexByte(b[end]));
    unsigned sum = 0;
    for (std::size_t k = pos + 6; k < end - 1; ++k)
        sum += b[k];
    return checked(end, sum, b[end - 1], name);
}

BlockCheck refused(std::size_t base, std::size_t at, const std::string& reason)
{
    BlockCheck r;
    r.problemAt = base + at;
    r.problem = "byte " + std::to_string(base + at) + ": " + reason;
    return r;
}

BlockCheck checkInOrder(ByteView b, std::size_t base, const std::vector<ExpectedMessage>& slots,
                        BlockKind kind, int part, ChecksumRule checksums)
{
    const bool anyPart = kind == BlockKind::Part && part == AnyNormalPart;
    int partFound = part;
    std::size_t pos = 0;
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        ExpectedMessage slot = slots[i];
        if (anyPart && i > 0)
            slot.address[1] = std::uint8_t(partFound);
        const Verdict v = checkMessageAt(b, pos, slot, anyPart && i == 0);
        if (!v.ok || (v.checksumWrong && checksums == ChecksumRule::Required))
            return refused(base, v.at, v.reason);
        if (anyPart && i == 0)
            partFound = b[pos + 7];
        wrong += v.checksumWrong;
        pos += slot.dataSize + MessageOverhead;
    }
    if (pos < b.size())
        return refused(base, pos,
                       std::to_string(b.size() - pos) + (b.size() - pos == 1 ? " byte" : " bytes") +
                           " more after the last message of " + blockName(kind, partFound) +
                           ", starting with " + foundText(b, pos));
    BlockCheck r;
    r.bytes = Bytes(b.begin(), b.end());
    r.wrongChecksums = wrong;
    r.part = kind == BlockKind::Rhythm ? RhythmPart : kind == BlockKind::Image ? -1 : partFound;
    return r;
}

BlockCheck checkAnyOrder(ByteView b, std::size_t base, std::vector<ExpectedMessage> slots,
                         BlockKind kind, int part, ChecksumRule checksums)
{
    int partFound = part;
    std::vector<std::size_t> placed(slots.size(), SIZE_MAX);
    std::size_t pos = 0;
    std::size_t wrong = 0;
    while (pos < b.size()) {
        // The address says which slot the message is meant for.
        if (!isMC505Header(b, pos) || pos + MessageHeaderSize > b.size())
            return refused(base, pos,
                           "expected a Data Set message of " + blockName(kind, partFound) +
                               ", found " + foundText(b, pos));
        const Address a = addressAt(b, pos);
        if (kind == BlockKind::Part && partFound < 0 && a[0] == 0x02 && isNormalPart(a[1])) {
            partFound = a[1];
            for (auto& s : slots)
                s.address[1] = std::uint8_t(partFound);
        }
        const auto it = std::find_if(slots.begin(), slots.end(),
                                     [&a](const ExpectedMessage& s) { return s.address == a; });
        if (it == slots.end())
            return refused(base, pos,
                           "the Data Set message of " + messageName(a) + " does not belong to " +
                               blockName(kind, partFound));
        const std::size_t i = std::size_t(it - slots.begin());
        if (placed[i] != SIZE_MAX)
            return refused(base, pos, "the Data Set message of " + messageName(a) + " came twice");
        const Verdict v = checkMessageAt(b, pos, *it, false);
        if (!v.ok || (v.checksumWrong && checksums == ChecksumRule::Required))
            return refused(base, v.at, v.reason);
        wrong += v.checksumWrong;
        placed[i] = pos;
        pos += it->dataSize + MessageOverhead;
    }
    BlockCheck r;
    Bytes out;
    out.reserve(blockSize(kind));
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (placed[i] == SIZE_MAX)
            return refused(base, b.size(),
                           "the Data Set message of " + messageName(slots[i].address) +
                               " is missing");
        const auto start = b.begin() + std::ptrdiff_t(placed[i]);
        out.insert(out.end(), start, start + std::ptrdiff_t(slots[i].dataSize + MessageOverhead));
    }
    r.bytes = std::move(out);
    r.wrongChecksums = wrong;
    r.part = kind == BlockKind::Rhythm ? RhythmPart : kind == BlockKind::Image ? -1 : partFound;
    return r;
}

BlockCheck checkBlockAt(ByteView bytes, std::size_t base, BlockKind kind, int part,
                        MessageOrder order, ChecksumRule checksums)
{
    if (kind == BlockKind::Part && part != AnyNormalPart && !isNormalPart(part))
        return refused(base, 0, partText(part) + " has no block of its own");
    const int which = kind == BlockKind::Part ? part : kind == BlockKind::Rhythm ? RhythmPart : -1;
    auto slots = expectedMessages(kind, isNormalPart(part) ? part : 0);
    if (order == MessageOrder::AsLaidOut)
        return checkInOrder(bytes, base, slots, kind, which, checksums);
    return checkAnyOrder(bytes, base, std::move(slots), kind, which, checksums);
}

std::size_t kindSize(SysexFileKind kind)
{
    switch (kind) {
    case SysexFileKind::Image:
        return ImageSize;
    case SysexFileKind::ImageWithLeadingBlock:
        return ImageWithLeadingBlockSize;
    case SysexFileKind::PartFile:
        return PartBlockSize;
    case SysexFileKind::RhythmPartFile:
        return RhythmBlockSize;
    case SysexFileKind::Other:
        break;
    }
    return 0;
}

SysexFileCheck checkAs(ByteView bytes, SysexFileKind kind)
{
    SysexFileCheck c;
    switch (kind) {
    case SysexFileKind::Image:
        c.check = checkBlockAt(bytes, 0, BlockKind::Image, 0, MessageOrder::AsLaidOut,
                               ChecksumRule::Counted);
        break;
    case SysexFileKind::ImageWithLeadingBlock:
        // Only the leading block's length is known; what it holds is another
        // program's business.
        c.blockOffset = LeadingBlockSize;
        c.check =
            bytes.size() < LeadingBlockSize
                ? refused(0, bytes.size(), "the file ends inside the leading block")
                : checkBlockAt(bytes.subspan(LeadingBlockSize), LeadingBlockSize, BlockKind::Image,
                               0, MessageOrder::AsLaidOut, ChecksumRule::Counted);
        break;
    case SysexFileKind::PartFile:
        c.check = checkBlockAt(bytes, 0, BlockKind::Part, AnyNormalPart, MessageOrder::AsLaidOut,
                               ChecksumRule::Counted);
        break;
    case SysexFileKind::RhythmPartFile:
        c.check = checkBlockAt(bytes, 0, BlockKind::Rhythm, RhythmPart, MessageOrder::AsLaidOut,
                               ChecksumRule::Counted);
        break;
    case SysexFileKind::Other:
        break;
    }
    c.kind = c.check.ok() ? kind : SysexFileKind::Other;
    return c;
}

// How far into the file a check got before its fault: the kind the file
// comes closest to is the one whose reason the musician should read. A
// leading block counts only when an image follows it.
std::size_t progress(const SysexFileCheck& c)
{
    if (c.blockOffset && c.check.problemAt <= c.blockOffset)
        return 0;
    return c.check.problemAt;
}

SysexFileCheck closest(ByteView bytes, std::initializer_list<SysexFileKind> kinds)
{
    // A kind takes only files of its exact size, so at most one kind can take
    // these bytes: that one is tried first, and a file it takes is spared the
    // others' refusals, whose texts cost more than the check that took it.
    for (SysexFileKind kind : kinds) {
        if (kindSize(kind) == bytes.size()) {
            SysexFileCheck c = checkAs(bytes, kind);
            if (c.ok())
                return c;
            break;
        }
    }
    std::optional<SysexFileCheck> best;
    std::size_t bestProgress = 0;
    std::size_t bestDistance = 0;
    for (SysexFileKind kind : kinds) {
        SysexFileCheck c = checkAs(bytes, kind);
        if (c.ok())
            return c;
        const std::size_t p = progress(c);
        if (c.blockOffset && p == 0 && best)
            continue; // no image after the leading block: its reason would only mislead
        const std::size_t size = kindSize(kind);
        const std::size_t distance =
            size > bytes.size() ? size - bytes.size() : bytes.size() - size;
        if (!best || p > bestProgress || (p == bestProgress && distance < bestDistance)) {
            best = std::move(c);
            bestProgress = p;
            bestDistance = distance;
        }
    }
    return *best;
}

std::string kindWithArticle(SysexFileKind kind)
{
    switch (kind) {
    case SysexFileKind::Image:
    case SysexFileKind::ImageWithLeadingBlock:
        return "an 8 part image";
    case SysexFileKind::PartFile:
        return "a part file of parts 1-7";
    case SysexFileKind::RhythmPartFile:
        return "a part R file";
    case SysexFileKind::Other:
        break;
    }
    return "something else";
}

} // namespace

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

std::string messageName(const Address& a)
{
    if (a[0] == 0x02 && a[3] == 0x00) {
        const int part = a[1];
        if (isNormalPart(part)) {
            if (a[2] == 0)
                return partText(part) + " common";
            for (int t = 1; t <= ToneCount; ++t)
                if (a[2] == ToneBase[std::size_t(t)])
                    return partText(part) + " tone " + std::to_string(t);
        } else if (part == RhythmPart) {
            if (a[2] == 0)
                return "part R common";
            if (a[2] >= FirstDrumKey && a[2] < FirstDrumKey + DrumNoteCount)
                return "part R note " + std::to_string(a[2]);
        }
    }
    return "address " + addressText(a);
}

BlockCheck checkBlock(ByteView bytes, BlockKind kind, int part, MessageOrder order,
                      ChecksumRule checksums)
{
    return checkBlockAt(bytes, 0, kind, part, order, checksums);
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

ByteView SysexFileCheck::block(ByteView file) const
{
    if (!ok() || blockOffset + check.bytes->size() > file.size())
        return {};
    return file.subspan(blockOffset, check.bytes->size());
}

SysexFileCheck checkSysexFile(ByteView bytes)
{
    return closest(bytes, {SysexFileKind::Image, SysexFileKind::ImageWithLeadingBlock,
                           SysexFileKind::PartFile, SysexFileKind::RhythmPartFile});
}

SysexFileKind classifySysexFile(ByteView bytes)
{
    return checkSysexFile(bytes).kind;
}

SysexFileCheck checkSysexFileAs(ByteView bytes, SysexFileKind wanted)
{
    const bool image =
        wanted == SysexFileKind::Image || wanted == SysexFileKind::ImageWithLeadingBlock;
    SysexFileCheck c = checkSysexFile(bytes);
    const bool fits =
        image ? c.kind == SysexFileKind::Image || c.kind == SysexFileKind::ImageWithLeadingBlock
              : c.kind == wanted;
    if (fits)
        return c;
    if (c.ok()) {
        SysexFileCheck other;
        other.check.problem =
            "this is " + kindWithArticle(c.kind) + ", not " + kindWithArticle(wanted);
        return other;
    }
    if (image)
        return closest(bytes, {SysexFileKind::Image, SysexFileKind::ImageWithLeadingBlock});
    return checkAs(bytes, wanted);
}

std::vector<MessageProblem> checksumProblems(ByteView bytes)
{
    std::vector<MessageProblem> problems;
    std::size_t expectedStart = 0;
    for (ByteView m : splitSysex(bytes)) {
        const std::size_t offset = std::size_t(m.data() - bytes.data());
        if (offset != expectedStart)
            problems.push_back(
                {expectedStart, std::nullopt, "bytes outside any sysex message", true});
        expectedStart = offset + m.size();
        if (m.back() != SysexEnd) {
            problems.push_back({offset, std::nullopt, "message without its end (F7)", true});
            continue;
        }
        // A status byte inside is a message cut short or two joined by a lost
        // F7: whatever its maker, it is broken.
        const auto inner = m.subspan(1, m.size() - 2);
        const auto high =
            std::find_if(inner.begin(), inner.end(), [](std::uint8_t b) { return b & 0x80; });
        if (high != inner.end()) {
            const std::size_t at = offset + 1 + std::size_t(high - inner.begin());
            problems.push_back({offset, std::nullopt,
                                "broken message: byte " + std::to_string(at) + " is " +
                                    hexByte(*high) +
                                    (*high == SysexStart ? " (an F7 before it is lost)"
                                                         : ", which is no data byte"),
                                true});
            continue;
        }
        const auto v = parseDataSet(m);
        if (!v) {
            const bool roland = m.size() > 1 && m[1] == RolandId;
            const bool dataSet =
                roland &&
                ((m.size() > 5 && m[3] == 0x00 && m[4] == 0x0B && m[5] == DataSetCommand) ||
                 (m.size() > 4 && m[3] == 0x6A && m[4] == DataSetCommand));
            if (dataSet)
                problems.push_back({offset, std::nullopt,
                                    "broken message: too short for a Data Set message", true});
            continue; // another maker's message: no checksum to check
        }
        Bytes body(v->address.begin(), v->address.end());
        body.insert(body.end(), v->data.begin(), v->data.end());
        const std::uint8_t want = Checksum(body);
        if (want != v->checksum) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "checksum %02X, should be %02X", v->checksum, want);
            problems.push_back({offset, v->address, buf, false});
        }
    }
    if (expectedStart < bytes.size())
        problems.push_back({expectedStart, std::nullopt, "bytes outside any sysex message", true});
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

} // namespace dorvane
