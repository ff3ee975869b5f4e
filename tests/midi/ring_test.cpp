// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/spscring.h"

#include <gtest/gtest.h>

#include <thread>

using dorvane::SpscRing;

TEST(SpscRing, RefusesWhenFullKeepsOrderAndWraps)
{
    SpscRing<int> ring(3);
    EXPECT_EQ(ring.peek(), nullptr);
    ring.drop(); // on an empty ring: nothing
    for (int round = 0; round < 5; ++round) {
        EXPECT_TRUE(ring.push(round * 10 + 1));
        EXPECT_TRUE(ring.push(round * 10 + 2));
        EXPECT_TRUE(ring.push(round * 10 + 3));
        EXPECT_FALSE(ring.push(99)) << "full";
        EXPECT_EQ(ring.size(), 3u);
        for (int i = 1; i <= 3; ++i) {
            ASSERT_NE(ring.peek(), nullptr);
            EXPECT_EQ(*ring.peek(), round * 10 + i) << "peek does not consume";
            ring.drop();
        }
        EXPECT_EQ(ring.peek(), nullptr);
        EXPECT_TRUE(ring.push(7)); // out of step with the slot boundaries from here on
        ring.drop();
    }
}

TEST(SpscRing, AZeroSizedRingRefusesEverything)
{
    SpscRing<int> ring(0);
    EXPECT_FALSE(ring.push(1));
    EXPECT_EQ(ring.peek(), nullptr);
    EXPECT_EQ(ring.size(), 0u);
}

TEST(SpscRing, TwoThreadsLoseNothingAndKeepOrder)
{
    constexpr std::uint64_t count = 300'000;
    SpscRing<std::uint64_t> ring(64);
    std::thread producer([&] {
        for (std::uint64_t i = 0; i < count;) {
            if (ring.push(i))
                ++i;
        }
    });
    std::uint64_t expected = 0;
    while (expected < count) {
        if (const std::uint64_t* value = ring.peek()) {
            ASSERT_EQ(*value, expected);
            ring.drop();
            ++expected;
        }
    }
    producer.join();
    EXPECT_EQ(ring.peek(), nullptr);
}
