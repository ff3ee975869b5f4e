// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/breed.h"

#include "patch/randomsource.h"

#include <algorithm>

namespace dorvane {

namespace {

bool varies(const SoundParameter& p, const BreedSetup& setup)
{
    return p.flagged && p.valueCount > 0 && !(p.common && setup.part == RhythmPart);
}

// The shake's steps over every flagged parameter of the setup's areas, each
// from the value it holds: common first, then area by area its wave and its
// parameters in the order given.
void shakeSound(t505temppatch& image, const BreedSetup& setup, const ShakeOptions& options,
                RandomSource& random)
{
    auto shake = [&](const SoundParameter& p, int area) {
        const int from =
            std::min<int>(image.ReadByte(setup.part, area, p.offset), p.valueCount - 1);
        image.WriteByte(setup.part, area, p.offset,
                        shakePosition(options, p.valueCount, from, random));
    };
    for (const SoundParameter& p : setup.parameters)
        if (p.common && varies(p, setup))
            shake(p, 0);
    for (int area : setup.areas) {
        if (options.shakeWave && setup.waveCount > 0) {
            const int from = std::min(image.ReadWave(setup.part, area), setup.waveCount - 1);
            image.WriteWave(setup.part, area,
                            shakeWaveIndex(options, from, setup.waveCount, random));
        }
        for (const SoundParameter& p : setup.parameters)
            if (!p.common && varies(p, setup))
                shake(p, area);
    }
}

} // namespace

ShakeOptions smallShake(const ShakeOptions& options)
{
    ShakeOptions o = options;
    o.linearAmount = options.linearAmount / 4;
    o.amount = options.amount / 3;
    o.shakeWave = false;
    return o;
}

std::vector<t505temppatch> breedFirstGeneration(const t505temppatch& image, const BreedSetup& setup,
                                                RandomSource& random, int count)
{
    std::vector<t505temppatch> children;
    if (!isPart(setup.part))
        return children;
    children.reserve(std::size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        t505temppatch child = image;
        shakeSound(child, setup, setup.options, random);
        children.push_back(std::move(child));
    }
    return children;
}

std::vector<t505temppatch> breedNextGeneration(std::span<const t505temppatch> favourites,
                                               const BreedSetup& setup, RandomSource& random,
                                               int count)
{
    std::vector<t505temppatch> children;
    const int parents = int(std::min<std::size_t>(favourites.size(), MaxFavourites));
    if (parents == 0 || !isPart(setup.part))
        return children;

    // The groups in the order they first appear, each drawn once per child.
    std::vector<int> groups;
    for (const SoundParameter& p : setup.parameters)
        if (std::find(groups.begin(), groups.end(), p.group) == groups.end())
            groups.push_back(p.group);

    const ShakeOptions small = smallShake(setup.options);
    children.reserve(std::size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        t505temppatch child = favourites[0];
        std::vector<int> parentOf(groups.size());
        for (int& parent : parentOf)
            parent = random.Random(parents);
        for (const SoundParameter& p : setup.parameters) {
            if (p.common && setup.part == RhythmPart)
                continue;
            const auto g =
                std::size_t(std::find(groups.begin(), groups.end(), p.group) - groups.begin());
            const t505temppatch& parent = favourites[std::size_t(parentOf[g])];
            if (p.common) {
                child.WriteByte(setup.part, 0, p.offset, parent.ReadByte(setup.part, 0, p.offset));
                continue;
            }
            for (int area : setup.areas)
                child.WriteByte(setup.part, area, p.offset,
                                parent.ReadByte(setup.part, area, p.offset));
        }
        for (int area : setup.areas) {
            const t505temppatch& parent = favourites[std::size_t(random.Random(parents))];
            child.WriteWave(setup.part, area, parent.ReadWave(setup.part, area));
        }
        shakeSound(child, setup, small, random);
        children.push_back(std::move(child));
    }
    return children;
}

} // namespace dorvane
