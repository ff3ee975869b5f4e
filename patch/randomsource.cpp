// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/randomsource.h"

#include <chrono>

namespace dorvane {

RandomSource::RandomSource()
{
    seedFromClock();
}

int RandomSource::Random(int n)
{
    if (n <= 0)
        return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(m_engine);
}

void RandomSource::seed(std::uint32_t value)
{
    m_engine.seed(value);
}

void RandomSource::seedFromClock()
{
    if (m_fixed) {
        m_engine.seed(*m_fixed);
        return;
    }
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    m_engine.seed(std::uint32_t(now ^ (now >> 32)));
}

void RandomSource::setFixedSeed(std::optional<std::uint32_t> value)
{
    m_fixed = value;
    if (m_fixed)
        m_engine.seed(*m_fixed);
}

} // namespace dorvane
