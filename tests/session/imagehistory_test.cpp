// SPDX-License-Identifier: GPL-3.0-or-later
// The steps of change kept for Undo and Redo (the window's tests walk a
// hundred and fifty of them).
#include "session/imagehistory.h"

#include "patch/initialpatch.h"
#include "patch/t505temppatch.h"

#include <gtest/gtest.h>

using namespace dorvane;

TEST(ImageHistory, ANewStepDropsTheRedoAndChecksumsAloneMakeNone)
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    ImageHistory history;
    history.reset(image.bytes());
    const Bytes start = image.bytes();
    image.WriteByte(3, 2, 83, 99);
    ASSERT_TRUE(history.record(image.bytes(), "Resonance, part 4"));

    image.UpdateAllChecksums(); // a send of the part
    EXPECT_FALSE(history.record(image.bytes(), "nothing"));
    EXPECT_EQ(history.undoCount(), 1u);
    EXPECT_EQ(history.current(), image.bytes()) << "the next step starts from the send";

    EXPECT_EQ(*history.undo(), start);
    image.LoadFromBytes(start);
    image.WriteByte(0, 0, 50, 7);
    EXPECT_TRUE(history.record(image.bytes(), "Bender Range Down, part 1"));
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undoText(), "Bender Range Down, part 1");
    EXPECT_EQ(*history.undo(), start);
    EXPECT_FALSE(history.canUndo());
}
