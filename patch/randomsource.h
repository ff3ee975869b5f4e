// SPDX-License-Identifier: GPL-3.0-or-later
// The program's one source of randomness: shakes, random names and the
// velocity spread all draw from it, so a test that fixes the seed can replay
// every draw in order.
#pragma once

#include <cstdint>
#include <optional>
#include <random>

namespace dorvane {

class RandomSource
{
public:
    RandomSource();

    // A uniform integer in 0 .. n-1; 0 when n is 0 or less.
    int Random(int n);

    void seed(std::uint32_t value);
    // Reseeds from the clock, unless a fixed seed is set: then it reseeds with
    // that seed, so a command that starts from the clock replays the same draws.
    void seedFromClock();
    void setFixedSeed(std::optional<std::uint32_t> value);
    std::optional<std::uint32_t> fixedSeed() const { return m_fixed; }

private:
    std::mt19937 m_engine;
    std::optional<std::uint32_t> m_fixed;
};

} // namespace dorvane
