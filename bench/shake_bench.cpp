// SPDX-License-Identifier: GPL-3.0-or-later
// Shake and its undo: one shake of a part with every control of the eight
// groups flagged and four tones checked, and one step of the history taken
// back (the image restored and its hundred messages compared for sending).
#include "editor/bindingtable.h"
#include "patch/imagediff.h"
#include "patch/initialpatch.h"
#include "patch/randomsource.h"
#include "patch/t505temppatch.h"
#include "session/imagehistory.h"
#include "tools/shake.h"

#include <benchmark/benchmark.h>

using namespace dorvane;

namespace {

constexpr int Part = 1;
constexpr std::array<bool, ToneCount> AllTones{true, true, true, true};

std::vector<ShakeControl> everyControlFlagged(const t505temppatch& image)
{
    std::vector<ShakeControl> controls;
    for (const ShakeGroup& g : shakeGroups())
        for (const Binding* row : bindingsOfPanel(g.panel)) {
            const int n = int(valueList(row->values).size());
            const int shown =
                std::min(int(image.ReadByte(Part, g.common ? 0 : 1, row->ctrlNo)), n - 1);
            controls.push_back({row->ctrlNo, n, shown, g.common, true});
        }
    return controls;
}

ShakeOptions nonLinear()
{
    ShakeOptions o;
    o.type = ShakeType::NonLinear;
    return o;
}

} // namespace

static void BM_ShakeOnePart(benchmark::State& state)
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    const auto controls = everyControlFlagged(image);
    RandomSource random;
    random.seed(1);
    for (auto _ : state) {
        const ShakeResult r =
            shakePart(image, Part, AllTones, controls, nonLinear(), {100, 510}, random);
        benchmark::DoNotOptimize(r.positions.data());
    }
    state.counters["controls"] = double(controls.size());
}
BENCHMARK(BM_ShakeOnePart);

// One Undo (or Redo: the same work): the step's image back into the window's
// image, and the messages that differ from what the instrument holds.
static void BM_UndoOneShake(benchmark::State& state)
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    ImageHistory history;
    history.reset(image.bytes());
    RandomSource random;
    random.seed(1);
    shakePart(image, Part, AllTones, everyControlFlagged(image), nonLinear(), {100, 510}, random);
    history.record(image.bytes(), "Shake, part 2");
    std::size_t sent = 0;
    bool undo = true;
    for (auto _ : state) {
        const auto restored = undo ? history.undo() : history.redo();
        undo = !undo;
        const std::vector<Bytes> changed = changedMessages(image.bytes(), *restored);
        image.LoadFromBytes(*restored);
        sent = changed.size();
        benchmark::DoNotOptimize(changed.data());
    }
    state.counters["messages"] = double(sent);
}
BENCHMARK(BM_UndoOneShake);

BENCHMARK_MAIN();
