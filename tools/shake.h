// SPDX-License-Identifier: GPL-3.0-or-later
// Shake: every flagged control of the current part moves its value by a
// random step up or down, and the result goes into every selected tone (or
// the part's common block); the wave may move through the wave list too.
// These are the shake's draws and writes as plain functions over the image;
// the window supplies what its controls show and draws the result.
//
// The draws come in a fixed order, so a shake replays exactly from a seed:
// for the wave, its direction and then its size; for each control in visiting
// order, its size and then its direction.
#pragma once

#include "patch/layout.h"

#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace dorvane {

class RandomSource;
class t505temppatch;

enum class ShakeType
{
    Linear = 0,
    NonLinear = 1,
};

// The ranges of the amount controls ("Patch Shake amount" 0..48 linear,
// 0..9 non-linear); the shake takes any amount given to it within them.
constexpr int MaxLinearShakeAmount = 48;
constexpr int MaxShakeAmount = 9;

struct ShakeOptions
{
    ShakeType type = ShakeType::Linear;
    int linearAmount = 12; // L: a linear step is 0..L-1, whatever the range
    int amount = 3;        // A: a non-linear step is up to about (10A+5)/2 % of the range
    int waveAmount = 3;    // B: the same for the wave, over the whole wave list
    bool shakeWave = true;
};

// A container of controls the shake visits, in visiting order.
struct ShakeGroup
{
    std::string_view panel;
    bool common; // its controls write to the part's common block, not to tones
};
std::span<const ShakeGroup> shakeGroups();

// One control as the shake sees it. The starting position is the one shown,
// not read back from the image: a parameter with two controls (Pitch LFO1
// Depth sits in the pitch panel and in the LFO box) is shaken twice from the
// same start, and the later write stands.
struct ShakeControl
{
    int ctrlNo = 0;
    int valueCount = 0; // N: positions 0..N-1
    int position = 0;   // as shown before the shake
    bool common = false;
    bool flagged = false;
};

// The wave list as shown before the shake.
struct WaveList
{
    int selected = -1; // -1 when the list shows no wave
    int count = 0;
};

struct ShakeResult
{
    std::optional<int> wave;    // the wave written to the tones, when the wave was shaken
    std::vector<int> positions; // per control, its position after the shake
};

// The largest wave step plus one: Random(limit) gives the step.
int waveStepLimit(const ShakeOptions& options, int waveCount);

// The size of one control's step (one or two draws).
int shakeStep(const ShakeOptions& options, int valueCount, RandomSource& random);

// One control's move from `position`: its step, then its direction, the
// result kept within 0..valueCount-1 (a control with no values stays put).
int shakePosition(const ShakeOptions& options, int valueCount, int position, RandomSource& random);

// The wave's move from `selected` over a list of `count`: its direction,
// then its step, kept within the list; `selected` itself when the list is empty.
int shakeWaveIndex(const ShakeOptions& options, int selected, int count, RandomSource& random);

// Shakes part `part` (1..7 as 0..6; never part R): the wave when the options
// say so, then each control in order, writing into the tones marked in
// `selected` (tone 1 first) or the common block.
ShakeResult shakePart(t505temppatch& image, int part, const std::array<bool, ToneCount>& selected,
                      std::span<const ShakeControl> controls, const ShakeOptions& options,
                      const WaveList& wave, RandomSource& random);

} // namespace dorvane
