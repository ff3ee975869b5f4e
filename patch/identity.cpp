// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/identity.h"

#include "patch/patchname.h"
#include "patch/rolandmessage.h"

#include <algorithm>
#include <cstdio>

namespace dorvane {

namespace {

// F0 7E dev 06 02 and F7 around the manufacturer and the eight bytes after it.
constexpr std::size_t ReplyHeaderSize = 5;
constexpr std::size_t ReplyTailSize = 2 + 2 + 4 + 1;

constexpr std::uint8_t NonCommercialId = 0x7D;
constexpr std::array<std::uint8_t, 2> BuiltInFamily = {'D', 'V'};
constexpr std::array<std::uint8_t, 2> BuiltInMember = {'B', 'I'};
constexpr std::array<std::uint8_t, 4> BuiltInVersion = {0x00, 0x00, 0x00, 0x01};

} // namespace

Bytes identityRequestMessage()
{
    return {SysexStart,         UniversalNonRealTime, AllCall,
            GeneralInformation, IdentityRequestId,    SysexEnd};
}

bool isIdentityRequest(ByteView m, std::uint8_t device)
{
    return m.size() == 6 && m[0] == SysexStart && m[1] == UniversalNonRealTime &&
           (m[2] == AllCall || m[2] == device) && m[3] == GeneralInformation &&
           m[4] == IdentityRequestId && m[5] == SysexEnd;
}

std::optional<IdentityReply> parseIdentityReply(ByteView m)
{
    if (m.size() < ReplyHeaderSize + 1 + ReplyTailSize || m[0] != SysexStart ||
        m[1] != UniversalNonRealTime || m[3] != GeneralInformation || m[4] != IdentityReplyId ||
        m.back() != SysexEnd)
        return std::nullopt;
    for (std::uint8_t b : m.subspan(1, m.size() - 2))
        if (b & 0x80)
            return std::nullopt;
    // A manufacturer ID of 00 is the first of three bytes.
    const std::size_t makerSize = m[ReplyHeaderSize] == 0x00 ? 3 : 1;
    if (m.size() != ReplyHeaderSize + makerSize + ReplyTailSize)
        return std::nullopt;
    IdentityReply r;
    r.device = m[2];
    const ByteView rest = m.subspan(ReplyHeaderSize);
    r.manufacturer.assign(rest.begin(), rest.begin() + std::ptrdiff_t(makerSize));
    std::size_t i = makerSize;
    for (auto& b : r.family)
        b = rest[i++];
    for (auto& b : r.member)
        b = rest[i++];
    for (auto& b : r.version)
        b = rest[i++];
    return r;
}

Bytes identityReplyMessage(const IdentityReply& r)
{
    Bytes m = {SysexStart, UniversalNonRealTime, std::uint8_t(r.device & 0x7F), GeneralInformation,
               IdentityReplyId};
    m.insert(m.end(), r.manufacturer.begin(), r.manufacturer.end());
    m.insert(m.end(), r.family.begin(), r.family.end());
    m.insert(m.end(), r.member.begin(), r.member.end());
    m.insert(m.end(), r.version.begin(), r.version.end());
    m.push_back(SysexEnd);
    return m;
}

std::string identityText(const IdentityReply& r)
{
    return "device ID " + hexBytes(ByteView(&r.device, 1)) + ", manufacturer " +
           hexBytes(r.manufacturer) + ", family " + hexBytes(r.family) + ", member " +
           hexBytes(r.member) + ", version " + hexBytes(r.version);
}

IdentityReply builtInIdentity(std::uint8_t device)
{
    return {std::uint8_t(device & 0x7F),
            {NonCommercialId},
            BuiltInFamily,
            BuiltInMember,
            BuiltInVersion};
}

bool isBuiltInIdentity(const IdentityReply& r)
{
    return r.manufacturer == Bytes{NonCommercialId} && r.family == BuiltInFamily &&
           r.member == BuiltInMember;
}

Bytes nameRequestMessage(std::uint8_t device)
{
    // Address 02 00 00 00 (part 1's common block), size 00 00 00 0C.
    Bytes m = {SysexStart, RolandId, std::uint8_t(device & 0x7F), 0x00, 0x0B, DataRequestCommand};
    const Bytes body = {TempPatchArea, 0x00, 0x00, 0x00,
                        0x00,          0x00, 0x00, std::uint8_t(PatchNameLength)};
    m.insert(m.end(), body.begin(), body.end());
    m.push_back(Checksum(body));
    m.push_back(SysexEnd);
    return m;
}

ProbeReply classifyReply(ByteView message, const std::vector<Bytes>& sent)
{
    ProbeReply r;
    const bool echoed = std::any_of(sent.begin(), sent.end(), [&](const Bytes& s) {
        return std::equal(s.begin(), s.end(), message.begin(), message.end());
    });
    if (echoed) {
        r.kind = ReplyKind::Echo;
        return r;
    }
    if (auto identity = parseIdentityReply(message)) {
        r.kind = ReplyKind::Identity;
        r.device = identity->device;
        r.identity = std::move(identity);
        return r;
    }
    const auto v = parseDataSet(message);
    if (!v || v->synth != tsMC505)
        return r;
    Bytes body(v->address.begin(), v->address.end());
    body.insert(body.end(), v->data.begin(), v->data.end());
    if (Checksum(body) != v->checksum)
        return r; // damaged on its way: it proves nothing
    r.kind = ReplyKind::Answer;
    r.device = v->device;
    if (v->address == Address{TempPatchArea, 0x00, 0x00, 0x00} && v->data.size() >= PatchNameLength)
        r.patchName = std::string(v->data.begin(), v->data.begin() + PatchNameLength);
    return r;
}

} // namespace dorvane
