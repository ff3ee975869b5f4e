// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/longmessage.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::fromHex;
using dorvane::test::hex;
using dorvane::test::randomBytes;

namespace {

std::vector<std::string> piecesOf(const Bytes& bytes)
{
    std::vector<std::string> out;
    for (ByteView piece : messagePieces(bytes))
        out.push_back(hex(Bytes(piece.begin(), piece.end())));
    return out;
}

Bytes join(const std::vector<ByteView>& pieces)
{
    Bytes all;
    for (ByteView p : pieces)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

} // namespace

TEST(LongMessage, PiecesEndAfterEachF7AndStartAtEachF0)
{
    EXPECT_EQ(piecesOf(fromHex("F0 01 F7 F0 02 03 F7")),
              (std::vector<std::string>{"F0 01 F7", "F0 02 03 F7"}));
    // Stray bytes, an unterminated message cut short by the next F0, a tail.
    EXPECT_EQ(piecesOf(fromHex("90 3C F0 01 F0 02 F7 F7 F0 05")),
              (std::vector<std::string>{"90 3C", "F0 01", "F0 02 F7", "F7", "F0 05"}));
    EXPECT_TRUE(piecesOf({}).empty());
}

TEST(LongMessage, PiecesJoinBackToTheInputWhateverItHolds)
{
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        const Bytes bytes = randomBytes(seed * 37, seed);
        EXPECT_EQ(join(messagePieces(bytes)), bytes) << "seed " << seed;
    }
}

TEST(LongMessage, GroupsKeepMessagesWholeAndStayWithinTheLimit)
{
    Bytes stream;
    for (int i = 0; i < 50; ++i) {
        Bytes m(10 + i, 0x11);
        m.front() = 0xF0;
        m.back() = 0xF7;
        stream.insert(stream.end(), m.begin(), m.end());
    }
    const auto groups = groupIntoLongMessages(stream, 100);
    EXPECT_EQ(join(groups), stream);
    for (ByteView g : groups) {
        EXPECT_LE(g.size(), 100u);
        EXPECT_EQ(g.front(), 0xF0);
        EXPECT_EQ(g.back(), 0xF7) << "cut only after a message's end";
    }
    EXPECT_EQ(groupIntoLongMessages(stream, stream.size()).size(), 1u);
}

TEST(LongMessage, OneMessageBeyondTheLimitIsRefusedWithItsSizeAndPlace)
{
    Bytes stream = fromHex("F0 01 F7");
    Bytes big(120, 0x22);
    big.front() = 0xF0;
    big.back() = 0xF7;
    stream.insert(stream.end(), big.begin(), big.end());
    try {
        groupIntoLongMessages(stream, 100);
        FAIL() << "not refused";
    } catch (const MessageTooLong& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("120 bytes"), std::string::npos) << text;
        EXPECT_NE(text.find("byte 3"), std::string::npos) << text;
        EXPECT_NE(text.find("Nothing was sent"), std::string::npos) << text;
    }
}
