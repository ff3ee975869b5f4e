// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's hot paths: a full refresh of the Tone and Common sheets,
// and one edit with all four tones selected, from the release on the control
// to the bytes handed to the driver.
#include "editor/tdragtweak.h"
#include "midi/tmidioutput.h"
#include "windowbenchrig.h"

#include <QApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

using namespace dorvane;

namespace {

bench::WindowBenchRig& rig()
{
    static bench::WindowBenchRig r;
    if (!r.window)
        r.openWindow();
    return r;
}

void refreshSheet(benchmark::State& state, Sheet sheet)
{
    MainWindow& w = *rig().window;
    w.sheets().showSheet(sheet);
    int part = 0;
    for (auto _ : state) {
        w.sheets().selectPart(part); // a part change ends in the refresh
        part = (part + 1) % 7;
    }
}

static void BM_RefreshToneSheet(benchmark::State& state)
{
    refreshSheet(state, Sheet::Tone);
}
BENCHMARK(BM_RefreshToneSheet)->Unit(benchmark::kMicrosecond);

static void BM_RefreshCommonSheet(benchmark::State& state)
{
    refreshSheet(state, Sheet::Common);
}
BENCHMARK(BM_RefreshCommonSheet)->Unit(benchmark::kMicrosecond);

// The cutoff control of part 1, with all four tones selected for the edit.
TDragTweak* cutoffOnFourTones()
{
    MainWindow& w = *rig().window;
    w.sheets().selectPart(0);
    w.sheets().showSheet(Sheet::Tone);
    for (int t = 1; t <= 4; ++t)
        w.session().setToneSelected(t, true);
    return w.sheets().control("cutoff");
}

// A drag on the control ends: a new position, then the release.
void releaseAt(TDragTweak* control, int value)
{
    control->SetPosition(value & 0x7F);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(control, &release);
}

} // namespace

// From the release to the four messages handed to the driver.
static void BM_EditFourTonesToDriver(benchmark::State& state)
{
    bench::WindowBenchRig& r = rig();
    TDragTweak* cutoff = cutoffOnFourTones();
    int value = 0;
    for (auto _ : state) {
        r.driver->clearSent("Bench");
        releaseAt(cutoff, value++);
        bench::waitFor([&] { return r.driver->sent("Bench").size() >= 4; });
    }
}
BENCHMARK(BM_EditFourTonesToDriver)->Unit(benchmark::kMicrosecond);

// The same, timed at the device itself: the release's start to the moment the
// fourth message is handed to the driver (the main loop may still be painting).
static void BM_EditFourTonesToDriverStamped(benchmark::State& state)
{
    bench::WindowBenchRig& r = rig();
    MainWindow& w = *r.window;
    w.midiOutput().Close();
    w.midiOutput().SetDeviceID(0);
    w.midiOutput().Open();
    TDragTweak* cutoff = cutoffOnFourTones();
    int value = 0;
    for (auto _ : state) {
        state.SetIterationTime(r.stamp->secondsUntilHanded(4, [&] { releaseAt(cutoff, value++); }));
        bench::untilSenderIdle(w);
    }
    w.midiOutput().Close();
    w.midiOutput().SetDeviceID(1);
    w.midiOutput().Open();
}
BENCHMARK(BM_EditFourTonesToDriverStamped)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The release handler alone: image written, messages built and queued.
static void BM_ReleaseOnly(benchmark::State& state)
{
    TDragTweak* cutoff = cutoffOnFourTones();
    int value = 0;
    for (auto _ : state)
        releaseAt(cutoff, value++);
    bench::untilSenderIdle(*rig().window);
}
BENCHMARK(BM_ReleaseOnly)->Unit(benchmark::kMicrosecond)->Iterations(200);

// From the release to the messages handed to the output port.
static void BM_EditFourTonesToPort(benchmark::State& state)
{
    MainWindow& w = *rig().window;
    TDragTweak* cutoff = cutoffOnFourTones();
    int value = 0;
    for (auto _ : state) {
        releaseAt(cutoff, value++);
        while (w.util().Sender().QueuedCount() > 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        state.PauseTiming();
        bench::untilSenderIdle(w);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EditFourTonesToPort)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return bench::runQtBenchmarks(argc, argv, [] { rig().window.reset(); });
}
