// SPDX-License-Identifier: GPL-3.0-or-later
// The drum mixer's fader let go of with all 64 drum notes selected: 64 image
// writes, 64 messages handed to the driver and 64 lines rewritten.
#include "windowbenchrig.h"

#include "editor/drummixerpanel.h"
#include "editor/trevscrb.h"
#include "midi/midisender.h"
#include "midi/tmidioutput.h"
#include "player/tmidiapputil.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <chrono>

using namespace dorvane;

namespace {

// The window on the stamping device (output 0) with the mixer open and every
// drum note selected.
struct Rig
{
    bench::WindowBenchRig base{0};
    std::unique_ptr<MainWindow> window = base.makeWindow();
    std::shared_ptr<bench::StampDriver>& stamp = base.stamp;

    Rig()
    {
        window->show();
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
        const int target = r.stamp->handed + DrumNoteCount;
        fader->SetRevPosition(value++ & 0x7F);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        const auto start = std::chrono::steady_clock::now().time_since_epoch().count();
        QApplication::sendEvent(fader, &release);
        while (r.stamp->handed < target)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(double(r.stamp->lastNs - start) * 1e-9);
        while (!r.window->util().Sender().IsIdle())
            QCoreApplication::processEvents();
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
        while (!r.window->util().Sender().IsIdle())
            QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MixerReleaseAll64)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
