// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/imagecheck.h"
#include "patch/initialpatch.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace dorvane;

TEST(ImageCheck, KindsBySize)
{
    EXPECT_EQ(classifySysexFile(Bytes(9054)), SysexFileKind::Image);
    EXPECT_EQ(classifySysexFile(Bytes(9807)), SysexFileKind::ImageWithLeadingBlock);
    EXPECT_EQ(classifySysexFile(Bytes(650)), SysexFileKind::PartFile);
    EXPECT_EQ(classifySysexFile(Bytes(4504)), SysexFileKind::RhythmPartFile);
    EXPECT_EQ(classifySysexFile(Bytes(9053)), SysexFileKind::Other);
    EXPECT_EQ(kindText(SysexFileKind::RhythmPartFile), "part R");
}

TEST(ImageCheck, ChecksumProblemsNameTheAddress)
{
    Bytes image = initialImage();
    image[366] ^= 1; // part 1, tone 2
    const auto problems = checksumProblems(image);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].offset, 227u);
    ASSERT_TRUE(problems[0].address);
    EXPECT_EQ(addressText(*problems[0].address), "02 00 12 00");

    EXPECT_EQ(checksumProblems(test::fromHex("F0 41 10")).size(), 1u);
    EXPECT_EQ(checksumProblems(test::fromHex("33 F0 7E F7 44")).size(), 2u);
}

TEST(ImageCheck, ArrangesMessagesByAddress)
{
    const Bytes image = initialImage();
    auto messages = splitSysex(image);
    std::reverse(messages.begin(), messages.end());
    Bytes reversed;
    for (ByteView m : messages)
        reversed.insert(reversed.end(), m.begin(), m.end());
    ASSERT_EQ(reversed.size(), image.size());
    const auto r = arrangeByAddress(reversed, BlockKind::Image, 0);
    ASSERT_TRUE(r.bytes) << r.problem;
    EXPECT_EQ(*r.bytes, image);

    const Bytes part3(image.begin() + 3 * 650, image.begin() + 4 * 650);
    EXPECT_TRUE(arrangeByAddress(part3, BlockKind::Part, 3).bytes);
    EXPECT_FALSE(arrangeByAddress(part3, BlockKind::Part, 2).bytes) << "addresses of another part";
    const Bytes rhythm(image.begin() + 4550, image.end());
    EXPECT_TRUE(arrangeByAddress(rhythm, BlockKind::Rhythm, 9).bytes);

    Bytes twice = part3;
    std::copy(part3.begin() + 86, part3.begin() + 227, twice.begin() + 227);
    EXPECT_NE(arrangeByAddress(twice, BlockKind::Part, 3).problem.find("twice"), std::string::npos);
    Bytes badSum = part3;
    badSum[84] ^= 1;
    EXPECT_NE(arrangeByAddress(badSum, BlockKind::Part, 3).problem.find("checksum"),
              std::string::npos);
    const Bytes missing(part3.begin(), part3.end() - 141);
    EXPECT_NE(arrangeByAddress(missing, BlockKind::Part, 3).problem.find("missing"),
              std::string::npos);
    for (const Bytes& bad : {Bytes{}, test::randomBytes(650, 1), Bytes(9054, 0xF7)})
        EXPECT_FALSE(arrangeByAddress(bad, BlockKind::Image, 0).bytes);
}
