// SPDX-License-Identifier: GPL-3.0-or-later
// Two whole images compared in words: alike but for stale checksums (the
// common case after a send), one byte apart in every message, and every data
// byte apart (an image against one of another song); then the worst list
// shown in the differences panel.
#include "editor/differencespanel.h"
#include "editor/parameterwords.h"
#include "patch/imagedifferences.h"
#include "patch/initialpatch.h"
#include "patch/t505temppatch.h"

#include "windowbenchrig.h"

#include <QApplication>
#include <QStringList>

#include <benchmark/benchmark.h>

using namespace dorvane;

namespace {

QStringList waveList()
{
    QStringList names;
    for (int i = 0; i < 510; ++i)
        names << QString("  Wave %1").arg(i);
    return names;
}

const BindingWords& words()
{
    static const BindingWords w(waveList());
    return w;
}

Bytes staleChecksums()
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    for (int part = 0; part < NormalPartCount; ++part)
        image.WriteByte(part, 1, 81, 5);
    image.UpdateAllChecksums();
    for (int part = 0; part < NormalPartCount; ++part)
        image.WriteByte(part, 1, 81, 127);
    return image.bytes();
}

Bytes oneByteEachMessage()
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    for (int part = 0; part < NormalPartCount; ++part)
        for (int area = 0; area <= ToneCount; ++area)
            image.WriteByte(part, area, 48, 1 + image.ReadByte(part, area, 48) % 100);
    for (int note = 0; note < DrumNoteCount; ++note)
        image.WriteByte(RhythmPart, note, 41, note);
    image.SetPatchName(RhythmPart, "BENCH");
    return image.bytes();
}

// Every data byte another value in range, so each names a value on its scale.
Bytes everyDataByte()
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    auto flip = [&](int part, int area, int count) {
        for (int o = 0; o < count; ++o)
            image.WriteByte(part, area, o, image.ReadByte(part, area, o) == 0 ? 1 : 0);
    };
    for (int part = 0; part < NormalPartCount; ++part) {
        flip(part, 0, int(CommonDataSize));
        for (int tone = 1; tone <= ToneCount; ++tone)
            flip(part, tone, int(ToneDataSize));
    }
    for (int note = 0; note < DrumNoteCount; ++note)
        flip(RhythmPart, note, int(DrumNoteDataSize));
    image.SetPatchName(RhythmPart, "OTHER SONG");
    return image.bytes();
}

void compare(benchmark::State& state, const Bytes& mine)
{
    const Bytes theirs = initialImage();
    std::size_t count = 0;
    for (auto _ : state) {
        auto list = imageDifferences(mine, theirs, &words());
        count = list.size();
        benchmark::DoNotOptimize(list.data());
    }
    state.counters["differences"] = double(count);
    state.SetBytesProcessed(state.iterations() * std::int64_t(ImageSize));
}

} // namespace

static void BM_ImageDifferencesChecksumsOnly(benchmark::State& state)
{
    compare(state, staleChecksums());
}
BENCHMARK(BM_ImageDifferencesChecksumsOnly);

static void BM_ImageDifferencesOneByteEachMessage(benchmark::State& state)
{
    compare(state, oneByteEachMessage());
}
BENCHMARK(BM_ImageDifferencesOneByteEachMessage);

static void BM_ImageDifferencesEveryDataByte(benchmark::State& state)
{
    compare(state, everyDataByte());
}
BENCHMARK(BM_ImageDifferencesEveryDataByte);

static void BM_DifferencesPanelEveryDataByte(benchmark::State& state)
{
    const auto list = imageDifferences(everyDataByte(), initialImage(), &words());
    DifferencesPanel panel;
    panel.show();
    for (auto _ : state) {
        panel.setDifferences(list);
        QApplication::processEvents();
    }
    state.counters["rows"] = double(list.size());
}
BENCHMARK(BM_DifferencesPanelEveryDataByte)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return bench::runQtBenchmarks(argc, argv);
}
