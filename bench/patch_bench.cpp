// SPDX-License-Identifier: GPL-3.0-or-later
// The image work done on every send and export: refreshing all checksums and
// handing out the bytes, and building a whole-image MIDI file in memory.
#include "patch/initialpatch.h"
#include "patch/midifile.h"
#include "patch/t505temppatch.h"

#include <benchmark/benchmark.h>

using namespace dorvane;

static void BM_UpdateAllChecksumsThenAllBytes(benchmark::State& state)
{
    t505temppatch p;
    p.LoadFromBytes(initialImage());
    int v = 0;
    for (auto _ : state) {
        p.WriteByte(3, 2, 81, v++ & 0x7F); // a stale checksum each time, as after an edit
        Bytes b = p.AllBytes();
        benchmark::DoNotOptimize(b.data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(ImageSize));
}
BENCHMARK(BM_UpdateAllChecksumsThenAllBytes);

static void BM_WholeImageMidiFile(benchmark::State& state)
{
    t505temppatch p;
    p.LoadFromBytes(initialImage());
    for (auto _ : state) {
        Bytes f = midiFileBytes(p.bytes());
        benchmark::DoNotOptimize(f.data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(ImageSize));
}
BENCHMARK(BM_WholeImageMidiFile);

BENCHMARK_MAIN();
