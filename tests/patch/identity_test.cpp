// SPDX-License-Identifier: GPL-3.0-or-later
// Identity replies and what the search makes of a received message, without
// ports; and the built-in instrument's side of both.
#include "patch/identity.h"
#include "patch/initialpatch.h"
#include "patch/instrumentstate.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace dorvane;
using namespace dorvane::test;

TEST(Identity, RequestsAreTheUniversalOneAndTheNameOfPart1)
{
    EXPECT_EQ(hex(identityRequestMessage()), "F0 7E 7F 06 01 F7");
    // Address 02 00 00 00, size 0C: 2 + 12 = 14, checksum 128 - 14 = 114 = 72.
    EXPECT_EQ(hex(nameRequestMessage(0x10)), "F0 41 10 00 0B 11 02 00 00 00 00 00 00 0C 72 F7");
    EXPECT_EQ(hex(nameRequestMessage(0x1F)), "F0 41 1F 00 0B 11 02 00 00 00 00 00 00 0C 72 F7");
}

TEST(Identity, RepliesAreTakenAsReceivedOrNotAtAll)
{
    struct Case
    {
        const char* bytes;
        const char* text; // empty: no identity reply
    };
    const Case cases[] = {
        {"F0 7E 10 06 02 41 0B 02 00 00 00 03 00 00 F7",
         "device ID 10, manufacturer 41, family 0B 02, member 00 00, version 00 03 00 00"},
        {"F0 7E 11 06 02 00 20 29 01 02 03 04 05 06 07 08 F7",
         "device ID 11, manufacturer 00 20 29, family 01 02, member 03 04, version 05 06 07 08"},
        {"F0 7E 10 06 02 7D 44 56 42 49 00 00 00 01 F7",
         "device ID 10, manufacturer 7D, family 44 56, member 42 49, version 00 00 00 01"},
        {"F0 7E 10 06 02 41 0B 02 00 00 00 03 00 F7", ""},       // a byte short
        {"F0 7E 10 06 02 41 0B 02 00 00 00 03 00 00 00 F7", ""}, // a byte long
        {"F0 7E 10 06 02 00 20 29 01 02 03 04 05 06 07 F7", ""}, // three-byte maker, short
        {"F0 7E 10 06 01 41 0B 02 00 00 00 03 00 00 F7", ""},    // a request's sub-ID
        {"F0 7F 10 06 02 41 0B 02 00 00 00 03 00 00 F7", ""},    // real time, not non-real time
        {"F0 7E 10 06 02 41 8B 02 00 00 00 03 00 00 F7", ""},    // a status byte inside
        {"F0 7E 10 06 02 41 0B 02 00 00 00 03 00 00", ""},       // no F7
        {"F0 7E 7F 06 01 F7", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        const auto reply = parseIdentityReply(fromHex(c.bytes));
        if (!*c.text) {
            EXPECT_FALSE(reply);
            continue;
        }
        ASSERT_TRUE(reply);
        EXPECT_EQ(identityText(*reply), c.text);
        EXPECT_EQ(hex(identityReplyMessage(*reply)), c.bytes) << "rebuilt byte for byte";
    }
}

TEST(Identity, OnlyTheBuiltInInstrumentIsNamedFromItsReply)
{
    EXPECT_TRUE(isBuiltInIdentity(builtInIdentity(0x10)));
    EXPECT_EQ(builtInIdentity(0x10).manufacturer, Bytes{0x7D}) << "never Roland's 41";
    IdentityReply roland =
        *parseIdentityReply(fromHex("F0 7E 10 06 02 41 44 56 42 49 00 00 00 01 F7"));
    EXPECT_FALSE(isBuiltInIdentity(roland)) << "the same family from another maker";
}

TEST(Identity, EachReceivedMessageIsAnEchoAnIdentityAnAnswerOrNothing)
{
    t505temppatch p;
    p.LoadFromBytes(initialImage());
    p.SetPatchName(0, "FOUND IT");
    const Bytes all = p.AllBytes();
    const Bytes common(all.begin(), all.begin() + CommonMessageSize);
    const std::vector<Bytes> sent = {identityRequestMessage(), nameRequestMessage(0x10)};
    Bytes badChecksum = dataSetMessage(tsMC505, {0x02, 0x00, 0x00, 0x00}, Bytes(12, 0x41));
    badChecksum[badChecksum.size() - 2] ^= 1;

    struct Case
    {
        const char* what;
        Bytes message;
        ReplyKind kind;
        std::uint8_t device;
        const char* name; // empty: none
    };
    const Case cases[] = {
        {"our identity request echoed", identityRequestMessage(), ReplyKind::Echo, 0, ""},
        {"our name request echoed", nameRequestMessage(0x10), ReplyKind::Echo, 0, ""},
        {"a request we did not send", nameRequestMessage(0x11), ReplyKind::Other, 0, ""},
        {"an identity reply", identityReplyMessage(builtInIdentity(0x13)), ReplyKind::Identity,
         0x13, ""},
        {"the name answered", dataSetMessage(tsMC505, {0x02, 0x00, 0x00, 0x00}, Bytes(12, 'A')),
         ReplyKind::Answer, 0x10, "AAAAAAAAAAAA"},
        {"the whole common block", common, ReplyKind::Answer, 0x10, "FOUND IT    "},
        {"another address", parameterMessage(tsMC505, {0x02, 0x03, 0x10, 0x05}, 9),
         ReplyKind::Answer, 0x10, ""},
        {"a wrong checksum", badChecksum, ReplyKind::Other, 0, ""},
        {"another model", dataSetMessage(tsJVXP, {0x02, 0x00, 0x00, 0x00}, Bytes(12, 'A')),
         ReplyKind::Other, 0, ""},
        {"a note", {0x90, 0x3C, 0x64}, ReplyKind::Other, 0, ""},
        {"nothing", {}, ReplyKind::Other, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ProbeReply r = classifyReply(c.message, sent);
        EXPECT_EQ(r.kind, c.kind);
        if (c.kind == ReplyKind::Identity || c.kind == ReplyKind::Answer) {
            EXPECT_EQ(r.device, c.device);
        }
        EXPECT_EQ(r.patchName.value_or(""), c.name);
    }
    Bytes other = common;
    other[2] = 0x11;
    EXPECT_EQ(classifyReply(other, sent).device, 0x11) << "the device ID that answered";
}

TEST(Identity, TheBuiltInInstrumentSaysWhoItIsAndAnswersThePiecesAskedFor)
{
    t505temppatch p;
    p.LoadFromBytes(initialImage());
    p.SetPatchName(0, "BUILT NAME");
    p.SetPatchName(9, "KIT NAME");
    InstrumentState inst(p.AllBytes());

    auto answer = [&inst](const Bytes& request) {
        const auto replies = inst.receive(request);
        return replies.size() == 1 ? hex(replies.front()) : std::to_string(replies.size());
    };
    EXPECT_EQ(answer(identityRequestMessage()), hex(identityReplyMessage(builtInIdentity(0x10))));
    EXPECT_EQ(answer(fromHex("F0 7E 10 06 01 F7")),
              hex(identityReplyMessage(builtInIdentity(0x10))));
    EXPECT_EQ(answer(fromHex("F0 7E 11 06 01 F7")), "0") << "another device's request";
    EXPECT_EQ(
        answer(nameRequestMessage(0x10)),
        hex(dataSetMessage(tsMC505, {0x02, 0x00, 0x00, 0x00},
                           Bytes{'B', 'U', 'I', 'L', 'T', ' ', 'N', 'A', 'M', 'E', ' ', ' '})));
    EXPECT_EQ(answer(nameRequestMessage(0x11)), "0") << "set to device ID 10";

    // Any piece inside one message; none that runs past it or is damaged.
    auto request = [](Address a, int size) {
        Bytes body(a.begin(), a.end());
        for (int shift : {21, 14, 7, 0})
            body.push_back(std::uint8_t((size >> shift) & 0x7F));
        Bytes m = {0xF0, 0x41, 0x10, 0x00, 0x0B, 0x11};
        m.insert(m.end(), body.begin(), body.end());
        m.push_back(Checksum(body));
        m.push_back(0xF7);
        return m;
    };
    EXPECT_EQ(answer(request({0x02, 0x09, 0x00, 0x00}, 8)),
              hex(dataSetMessage(tsMC505, {0x02, 0x09, 0x00, 0x00},
                                 Bytes{'K', 'I', 'T', ' ', 'N', 'A', 'M', 'E'})));
    EXPECT_EQ(answer(request({0x02, 0x00, 0x10, 0x7F}, 2)),
              hex(dataSetMessage(tsMC505, {0x02, 0x00, 0x10, 0x7F},
                                 Bytes{p.ReadByte(0, 1, 127), p.ReadByte(0, 1, 128)})))
        << "offsets 127 and 128 of tone 1";
    EXPECT_EQ(answer(request({0x02, 0x00, 0x00, 0x40}, 20)), "0") << "past the common block";
    EXPECT_EQ(answer(request({0x02, 0x07, 0x00, 0x00}, 12)), "0") << "no part 8";
    EXPECT_EQ(answer(request({0x02, 0x00, 0x00, 0x00}, 0)), "0");
    Bytes damaged = nameRequestMessage(0x10);
    damaged[14] ^= 1;
    EXPECT_EQ(answer(damaged), "0");
    EXPECT_EQ(inst.counts().identityRequests, 2);
    EXPECT_EQ(inst.counts().requestsAnswered, 3);
    EXPECT_EQ(answer(requestPartMessage(2)), "5") << "whole parts as before";
}
