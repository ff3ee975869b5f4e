// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/sendcheck.h"

#include "patch/imagecheck.h"
#include "patch/layout.h"

#include "support/knownimage.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace dorvane;
using namespace dorvane::test;

TEST(SendCheck, OnlyCompleteSysexMessagesCanBeSentAsTheyStand)
{
    EXPECT_EQ(sysexFileProblem(knownImage()), std::nullopt);
    EXPECT_EQ(sysexFileProblem(Bytes{0xF0, 0x7E, 0xF7, 0xF0, 0xF7}), std::nullopt);
    EXPECT_EQ(sysexFileProblem(Bytes{}), "the file is empty");
    EXPECT_EQ(sysexFileProblem(Bytes{'M', 'T', 'h', 'd'}), "byte 0 is outside any sysex message");
    EXPECT_EQ(sysexFileProblem(Bytes{0xF0, 0x01, 0xF7, 0x90, 0x3C, 0x40}),
              "byte 3 is outside any sysex message");
    EXPECT_EQ(sysexFileProblem(Bytes{0xF0, 0x01, 0xF7, 0xF0, 0x02}),
              "the message at byte 3 has no end (F7)");
    for (std::uint32_t seed = 0; seed < 20; ++seed)
        EXPECT_NE(sysexFileProblem(randomBytes(500, seed)), std::nullopt);
    // A status byte among the data would reach the instrument as a loose message.
    EXPECT_EQ(sysexFileProblem(Bytes{0xF0, 0x41, 0x90, 0x3C, 0xF7}),
              "byte 2 inside the message at byte 0 is no data byte");
}

TEST(SendCheck, AGeneralFileIsSentWithFreshChecksumsOnlyWhenItIsAnImage)
{
    const Bytes image = knownImage(2);
    Bytes stale = image;
    stale[ImageSize - 2] ^= 0x11;       // last drum note's checksum
    stale[PartBlockSize + 100] ^= 0x01; // a data byte of part 2's tone 1: its checksum is stale now
    const RefreshedImage ok = refreshedImage(stale);
    ASSERT_TRUE(ok.bytes) << ok.problem;
    EXPECT_TRUE(checksumProblems(*ok.bytes).empty());
    Bytes expected = stale;
    refreshChecksums(expected);
    EXPECT_EQ(*ok.bytes, expected) << "only checksum bytes change";
    EXPECT_EQ((*ok.bytes)[PartBlockSize + 100], stale[PartBlockSize + 100]);

    // Not the layout the fixed-position refresh writes into: nothing is sent.
    RefreshedImage r = refreshedImage(Bytes(image.begin(), image.end() - 1));
    EXPECT_FALSE(r.bytes);
    EXPECT_EQ(r.problem, "the file is not an MC-505 8 part file (byte 9053: the Data Set "
                         "message of part R note 98 has no F7, found the end): nothing was sent");
    Bytes leading(LeadingBlockSize, 0x00);
    leading.insert(leading.end(), image.begin(), image.end());
    EXPECT_FALSE(refreshedImage(leading).bytes);
    EXPECT_FALSE(refreshedImage(randomBytes(ImageSize, 5)).bytes);
    auto messages = messagesOf(image);
    std::swap(messages[0], messages[5]);
    r = refreshedImage(joined(messages));
    EXPECT_FALSE(r.bytes);
    EXPECT_EQ(r.problem, "the file is not an MC-505 8 part file (byte 0: expected the Data Set "
                         "message of part 1 common, found the one of part 2 common): nothing was "
                         "sent");
    Bytes foreign = image;
    foreign[7] = 0x08; // part 1's common claims to be part 9's
    r = refreshedImage(foreign);
    EXPECT_FALSE(r.bytes);
    EXPECT_NE(r.problem.find("is not an MC-505 8 part file"), std::string::npos) << r.problem;
}
