// SPDX-License-Identifier: GPL-3.0-or-later
// Breed: variations of a part's sound, chosen among and bred again. A first
// generation takes the shake's steps (its rules, its flags, its amount)
// around the current sound, each tone (drum note) from its own value; a next
// generation is made from one to three favourites, each parameter group and
// each tone's wave from one of them, then a small shake. Every draw comes
// from the RandomSource given, in a fixed order, so a seed replays a
// generation exactly.
#pragma once

#include "patch/t505temppatch.h"
#include "tools/shake.h"
#include "tools/soundparameter.h"

#include <span>
#include <vector>

namespace dorvane {

class RandomSource;

constexpr int BreedTiles = 8;
constexpr int MaxFavourites = 3;

// What a breeding works on: the part, the tones (or drum notes) it varies,
// the parameters with their flags and groups, the shake's rules and amount,
// and the wave list's length (0 leaves the waves alone).
struct BreedSetup
{
    int part = 0;
    std::vector<int> areas;
    std::vector<SoundParameter> parameters;
    ShakeOptions options;
    int waveCount = 0;
};

// `count` variations of the setup's part of `image`, each a whole image that
// differs from `image` only in that part; the common block is varied too on
// a normal part.
std::vector<t505temppatch> breedFirstGeneration(const t505temppatch& image, const BreedSetup& setup,
                                                RandomSource& random, int count = BreedTiles);

// The children of one to three favourites (the first MaxFavourites taken;
// none gives none): for each child, each group of parameters and each
// area's wave comes whole from one favourite drawn at random, and the rest
// of the part from the first; then the child takes a small shake
// (`smallShake(setup.options)`).
std::vector<t505temppatch> breedNextGeneration(std::span<const t505temppatch> favourites,
                                               const BreedSetup& setup, RandomSource& random,
                                               int count = BreedTiles);

// The shake a child takes after its genes are chosen: a quarter of the
// linear amount (at least a step of one), a third of the non-linear one,
// and the wave left as inherited.
ShakeOptions smallShake(const ShakeOptions& options);

} // namespace dorvane
