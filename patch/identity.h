// SPDX-License-Identifier: GPL-3.0-or-later
// What finding the instrument says and hears, as plain functions: the
// universal Identity Request and its reply, the Data Request for part 1's
// patch name, and what one received message is to the search (an echo of
// something it sent, an identity reply, an answer of this model, or nothing
// of these). An identity reply is kept as received: the family code the
// instrument sends is not known here, so no reply is ever given a name from
// it, save the built-in instrument's own, whose bytes are ours.
#pragma once

#include "patch/layout.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dorvane {

constexpr std::uint8_t UniversalNonRealTime = 0x7E;
// The device byte of a universal message addressed to every device.
constexpr std::uint8_t AllCall = 0x7F;
constexpr std::uint8_t GeneralInformation = 0x06;
constexpr std::uint8_t IdentityRequestId = 0x01;
constexpr std::uint8_t IdentityReplyId = 0x02;

// F0 7E 7F 06 01 F7.
Bytes identityRequestMessage();
// Whether a message is an identity request the device `device` answers
// (addressed to it or to all devices).
bool isIdentityRequest(ByteView message, std::uint8_t device);

struct IdentityReply
{
    std::uint8_t device = 0; // the device ID the reply came from
    Bytes manufacturer;      // one byte, or three starting 00
    std::array<std::uint8_t, 2> family{};
    std::array<std::uint8_t, 2> member{};
    std::array<std::uint8_t, 4> version{};

    bool operator==(const IdentityReply&) const = default;
};

// F0 7E dev 06 02, the manufacturer, family, member and version, F7; nothing
// for anything else, a byte short or long included.
std::optional<IdentityReply> parseIdentityReply(ByteView message);
Bytes identityReplyMessage(const IdentityReply& reply);
// "device ID 10, manufacturer 41, family 0B 02, member 00 00, version 00 03 00 00":
// the bytes in hex as received, in the order received.
std::string identityText(const IdentityReply& reply);

// The built-in instrument's identity. Its manufacturer is 7D, the ID MIDI
// keeps for non-commercial use, so it can never be read as Roland's (41) or
// any maker's; family "DV" and member "BI" (built in) mark it as Dorvane's.
IdentityReply builtInIdentity(std::uint8_t device);
bool isBuiltInIdentity(const IdentityReply& reply);

// The Data Request (RQ1) of this model for part 1's patch name, to `device`.
Bytes nameRequestMessage(std::uint8_t device);

// What one received message is to the search.
enum class ReplyKind
{
    Echo,     // byte for byte a message the search sent: a loop, not an answer
    Identity, // an identity reply
    Answer,   // a Data Set of this model with a right checksum
    Other,    // anything else, a damaged answer included
};

struct ProbeReply
{
    ReplyKind kind = ReplyKind::Other;
    std::optional<IdentityReply> identity; // with Identity
    std::uint8_t device = 0;               // with Identity and Answer: who answered
    std::optional<std::string> patchName;  // with an Answer that holds part 1's whole name
};

// `sent`: every message the search has sent so far.
ProbeReply classifyReply(ByteView message, const std::vector<Bytes>& sent);

} // namespace dorvane
