// SPDX-License-Identifier: GPL-3.0-or-later
// The morph and the breed as plain functions: one slider step over every
// parameter of the window's tone and common sheets, with the messages it
// changes, and one generation of eight variations, first and bred.
#include "editor/soundparameters.h"
#include "patch/imagediff.h"
#include "patch/initialpatch.h"
#include "patch/randomsource.h"
#include "patch/t505temppatch.h"
#include "tools/breed.h"
#include "tools/morph.h"

#include <benchmark/benchmark.h>

using namespace dorvane;

namespace {

constexpr int Part = 1;

t505temppatch initial()
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    return image;
}

} // namespace

static void BM_MorphSliderStep(benchmark::State& state)
{
    const t505temppatch a = initial();
    t505temppatch b = initial();
    RandomSource random;
    random.seed(3);
    const auto parameters = soundParameters(Part);
    b = breedFirstGeneration(a, {Part, soundAreas(Part), parameters, {}, 0}, random, 1).at(0);
    t505temppatch target = a;
    int position = 0;
    for (auto _ : state) {
        const Bytes before = target.bytes();
        position = (position + 7) % (MorphMax + 1);
        morphPart(target, Part, {&a, Part}, {&b, Part}, parameters, position);
        benchmark::DoNotOptimize(changedMessages(before, target.bytes()));
    }
}
BENCHMARK(BM_MorphSliderStep);

static void BM_BreedGenerationOfEight(benchmark::State& state)
{
    const t505temppatch image = initial();
    ShakeOptions options;
    options.type = ShakeType::NonLinear;
    const BreedSetup setup{Part, soundAreas(Part), soundParameters(Part), options, 640};
    RandomSource random;
    random.seed(1);
    const auto first = breedFirstGeneration(image, setup, random);
    const bool bred = state.range(0) == 1;
    for (auto _ : state) {
        if (bred)
            benchmark::DoNotOptimize(breedNextGeneration(std::span(first).first(3), setup, random));
        else
            benchmark::DoNotOptimize(breedFirstGeneration(image, setup, random));
    }
    state.SetLabel(bred ? "next, from three favourites" : "first");
}
BENCHMARK(BM_BreedGenerationOfEight)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
