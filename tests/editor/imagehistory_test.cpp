// SPDX-License-Identifier: GPL-3.0-or-later
// The steps of change kept for Undo and Redo.
#include "editor/imagehistory.h"

#include "patch/initialpatch.h"
#include "patch/t505temppatch.h"

#include <gtest/gtest.h>

using namespace dorvane;

TEST(ImageHistory, KeepsTheNewestStepsAndWalksThemBothWays)
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    ImageHistory history;
    history.reset(image.bytes());
    EXPECT_FALSE(history.canUndo());
    EXPECT_FALSE(history.undo());

    std::vector<Bytes> after; // after[i]: the image after edit i+1
    for (int i = 0; i < 150; ++i) {
        image.WriteByte(i % 7, 1 + i % 4, 81, i % 128);
        image.WriteByte(i % 7, 0, 48, (i * 3) % 128);
        ASSERT_TRUE(history.record(image.bytes(), QString("Edit %1").arg(i + 1)));
        after.push_back(image.bytes());
    }
    EXPECT_EQ(history.undoCount(), 100u);
    EXPECT_EQ(history.undoText(), "Edit 150");

    int undone = 0;
    for (int i = 0; i < 150; ++i)
        if (auto back = history.undo()) {
            ++undone;
            ASSERT_EQ(*back, after[std::size_t(148 - i)]) << "undo " << i + 1;
        }
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(history.current(), after[49]) << "the oldest fifty were dropped";
    EXPECT_EQ(history.redoText(), "Edit 51");

    ASSERT_TRUE(history.redo());
    ASSERT_EQ(*history.redo(), after[51]);
    // A new step after undoing drops what could have been redone.
    image.LoadFromBytes(after[51]);
    image.WriteByte(0, 0, 50, 7);
    EXPECT_TRUE(history.record(image.bytes(), "Bender"));
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undoText(), "Bender");
    EXPECT_EQ(*history.undo(), after[51]);
    EXPECT_EQ(history.undoText(), "Edit 52");
}

TEST(ImageHistory, AChangeOfChecksumsAloneIsNoStep)
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    ImageHistory history;
    history.reset(image.bytes());
    image.WriteByte(3, 2, 83, 99);
    ASSERT_TRUE(history.record(image.bytes(), "Resonance, part 4"));
    image.UpdateAllChecksums(); // a send of the part
    EXPECT_FALSE(history.record(image.bytes(), "nothing"));
    EXPECT_EQ(history.undoCount(), 1u);
    EXPECT_EQ(history.current(), image.bytes());
    EXPECT_EQ(ImageHistory(0).depth(), 1u);
}
