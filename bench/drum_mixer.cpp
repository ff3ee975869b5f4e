// SPDX-License-Identifier: GPL-3.0-or-later
// The drum mixer's fader let go of with all 64 drum notes selected: 64 image
// writes, 64 messages handed to the driver and 64 lines rewritten.
#include "windowbenchrig.h"

#include "editor/drummixerpanel.h"
#include "editor/trevscrb.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

using namespace dorvane;

namespace {

// The window on the stamping device (output 0) with the mixer open and every
// drum note selected.
struct Rig : bench::WindowBenchRig
{
    Rig() : WindowBenchRig(0)
    {
        openWindow();
        window->frame().action("DrumMixer")->trigger();
        window->tools().drumMixer()->noteList()->selectAll();
        QApplication::processEvents();
    }
};

} // namespace

// From the start of the fader's release to the moment the 64th message is
// handed to the driver (the main loop may still be repainting the list).
static void BM_MixerReleaseAll64ToDriver(benchmark::State& state)
{
    Rig r;
    TRevScrB* fader = r.window->tools().drumMixer()->fader();
    int value = 0;
    for (auto _ : state) {
        fader->SetRevPosition(value++ & 0x7F);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        state.SetIterationTime(r.stamp->secondsUntilHanded(
            DrumNoteCount, [&] { QApplication::sendEvent(fader, &release); }));
        bench::untilSenderIdle(*r.window);
    }
}
BENCHMARK(BM_MixerReleaseAll64ToDriver)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The release alone: writes, messages built and queued, lines rewritten.
static void BM_MixerReleaseAll64(benchmark::State& state)
{
    Rig r;
    DrumMixerPanel& mixer = *r.window->tools().drumMixer();
    int value = 0;
    for (auto _ : state) {
        mixer.fader()->SetRevPosition(value++ & 0x7F);
        mixer.apply();
        state.PauseTiming();
        bench::untilSenderIdle(*r.window);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MixerReleaseAll64)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return bench::runQtBenchmarks(argc, argv);
}
