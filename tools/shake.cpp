// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/shake.h"

#include "patch/randomsource.h"
#include "patch/t505temppatch.h"

#include <algorithm>

namespace dorvane {

namespace {

constexpr std::array<ShakeGroup, 8> Groups = {{
    {"fxmbox", false},
    {"pitchpanel", false},
    {"filterpanel", false},
    {"amppanel", false},
    {"lfo1box", false},
    {"lfo2box", false},
    {"modpanel", false},
    {"commonpanel", true},
}};

// Each direction is one of 1024 draws, the lower half meaning up.
constexpr int DirectionDraws = 1024;

bool drawUp(RandomSource& random)
{
    return random.Random(DirectionDraws) < DirectionDraws / 2;
}

// (10*amount + 5) per cent of a range of `span` steps, times 100, as the
// divisions below expect it.
int percentOf(int span, int amount)
{
    return span * (10 * amount + 5);
}

// The amounts come from settings a hand may have edited; beyond the
// controls' ranges the arithmetic below would overflow an int.
ShakeOptions withinRange(const ShakeOptions& given)
{
    ShakeOptions o = given;
    o.linearAmount = std::clamp(o.linearAmount, 0, MaxLinearShakeAmount);
    o.amount = std::clamp(o.amount, 0, MaxShakeAmount);
    o.waveAmount = std::clamp(o.waveAmount, 0, MaxShakeAmount);
    return o;
}

} // namespace

std::span<const ShakeGroup> shakeGroups()
{
    return Groups;
}

int waveStepLimit(const ShakeOptions& given, int waveCount)
{
    const ShakeOptions options = withinRange(given);
    if (options.type == ShakeType::Linear)
        return options.linearAmount;
    return percentOf(waveCount - 1, options.waveAmount) / 100;
}

int shakeStep(const ShakeOptions& given, int valueCount, RandomSource& random)
{
    const ShakeOptions options = withinRange(given);
    if (options.type == ShakeType::Linear)
        return random.Random(options.linearAmount);
    // A switch would never move by the rule below, so it flips a coin.
    if (valueCount == 2)
        return drawUp(random) ? 1 : 0;
    return random.Random(percentOf(valueCount - 1, options.amount)) / 100 / 2;
}

int shakePosition(const ShakeOptions& options, int valueCount, int position, RandomSource& random)
{
    const int step = shakeStep(options, valueCount, random);
    const int moved = drawUp(random) ? position + step : position - step;
    if (valueCount <= 0)
        return position;
    return std::clamp(moved, 0, valueCount - 1);
}

int shakeWaveIndex(const ShakeOptions& options, int selected, int count, RandomSource& random)
{
    const int limit = waveStepLimit(options, count);
    const bool up = drawUp(random);
    const int step = random.Random(limit);
    if (count <= 0)
        return selected;
    // The step may carry the index off either end of the list; it stops
    // there, as the value controls do.
    return std::clamp(up ? selected + step : selected - step, 0, count - 1);
}

ShakeResult shakePart(t505temppatch& image, int part, const std::array<bool, ToneCount>& selected,
                      std::span<const ShakeControl> controls, const ShakeOptions& options,
                      const WaveList& wave, RandomSource& random)
{
    ShakeResult result;
    auto eachSelectedTone = [&](auto write) {
        for (int t = 1; t <= ToneCount; ++t)
            if (selected[std::size_t(t - 1)])
                write(t);
    };

    if (options.shakeWave) {
        const int index = shakeWaveIndex(options, wave.selected, wave.count, random);
        // An empty list has no wave to write.
        if (wave.count > 0) {
            eachSelectedTone([&](int t) { image.WriteWave(part, t, index); });
            result.wave = index;
        }
    }

    result.positions.reserve(controls.size());
    for (const ShakeControl& c : controls) {
        if (!c.flagged) {
            result.positions.push_back(c.position);
            continue;
        }
        const int position = shakePosition(options, c.valueCount, c.position, random);
        result.positions.push_back(position);
        if (c.valueCount <= 0)
            continue;
        if (c.common)
            image.WriteByte(part, 0, c.ctrlNo, position);
        else
            eachSelectedTone([&](int t) { image.WriteByte(part, t, c.ctrlNo, position); });
    }
    return result;
}

} // namespace dorvane
