// SPDX-License-Identifier: GPL-3.0-or-later
// Which messages of an image changed, checksums aside.
#include "patch/imagediff.h"

#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "patch/t505temppatch.h"

#include <gtest/gtest.h>

using namespace dorvane;

TEST(ImageDiff, OneChangeIsOneMessageWithItsOwnChecksum)
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    const Bytes before = image.bytes();
    image.WriteByte(2, 3, 81, 5);
    image.WriteByte(RhythmPart, 63, 9, (image.ReadByte(RhythmPart, 63, 9) + 1) % 128);
    const auto changed = changedMessages(before, image.bytes());
    ASSERT_EQ(changed.size(), 2u);
    const Bytes part = image.PartBytes(2);
    EXPECT_EQ(changed[0], Bytes(part.begin() + 86 + 2 * 141, part.begin() + 86 + 3 * 141));
    EXPECT_EQ(changed[1].size(), DrumNoteMessageSize);
    EXPECT_EQ(changed[1][8], FirstDrumKey + 63);
    for (const Bytes& m : changed)
        EXPECT_TRUE(checksumProblems(m).empty());

    // Only checksums apart: nothing to send, and the same content.
    t505temppatch refreshed;
    refreshed.LoadFromBytes(image.bytes());
    refreshed.UpdateAllChecksums();
    ASSERT_NE(refreshed.bytes(), image.bytes());
    EXPECT_TRUE(changedMessages(image.bytes(), refreshed.bytes()).empty());
    EXPECT_TRUE(sameContent(image.bytes(), refreshed.bytes()));
    EXPECT_FALSE(sameContent(before, image.bytes()));
    // The end of sysex of a message counts too: it is no checksum.
    Bytes broken = image.bytes();
    broken[imageMessages()[4].offset + imageMessages()[4].size - 1] = 0;
    EXPECT_EQ(changedMessages(image.bytes(), broken).size(), 1u);
}

TEST(ImageDiff, FromNoImageEverythingChangesAndToNoImageNothingCanBeSent)
{
    const Bytes image = initialImage();
    const auto all = changedMessages({}, image);
    ASSERT_EQ(all.size(), MessagesInImage);
    Bytes joined;
    for (const Bytes& m : all)
        joined.insert(joined.end(), m.begin(), m.end());
    EXPECT_EQ(joined, image);
    EXPECT_TRUE(changedMessages(image, Bytes(100, 0xF0)).empty());
    EXPECT_TRUE(changedMessages(image, {}).empty());
    EXPECT_FALSE(sameContent({}, image));
    EXPECT_TRUE(sameContent(Bytes{1, 2}, Bytes{1, 2}));
}
