// SPDX-License-Identifier: GPL-3.0-or-later
// The knob window: one drag step to the knob repainted; a knob release with
// all four tones selected to the fourth message handed to the driver (goal,
// as for the main window's own edit: < 50 us); the first show, which builds
// its panels; and start-up to the first visible window with and without the
// knob window (goal: it adds no more than 20 ms).
#include "editor/tdragtweak.h"
#include "midi/midisender.h"
#include "midi/tmidioutput.h"
#include "player/tmidiapputil.h"
#include "quickedit/tform3.h"
#include "quickedit/tknob.h"
#include "windowbenchrig.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

#include <benchmark/benchmark.h>

using namespace dorvane;

namespace {

// Counts the paints a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

struct Rig : bench::WindowBenchRig
{
    Tform3* knobs = nullptr;

    Rig() : WindowBenchRig(0)
    {
        window = makeWindow();
        knobs = new Tform3(window->parts());
        window->show();
        window->toggleQuickEdit();
        for (int t = 1; t <= 4; ++t)
            window->session().setToneSelected(t, true);
        QApplication::processEvents();
    }
};

Rig& rig()
{
    static Rig r;
    return r;
}

void sendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void untilSenderIdle()
{
    while (!rig().window->util().Sender().IsIdle())
        QCoreApplication::processEvents();
}

// Waits until the window is on the screen and has painted once.
void untilVisible(QWidget& w)
{
    PaintCounter counter;
    w.installEventFilter(&counter);
    while (!w.windowHandle() || !w.windowHandle()->isExposed() || counter.paints == 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    w.removeEventFilter(&counter);
}

} // namespace

// One move of a drag on the cutoff knob, to its new frame painted.
static void BM_KnobDragStepToRepaint(benchmark::State& state)
{
    tknob* cutoff = rig().knobs->knob("cutoff");
    PaintCounter counter;
    cutoff->installEventFilter(&counter);
    sendMouse(cutoff, QEvent::MouseButtonPress, {15, 15}, Qt::LeftButton, Qt::LeftButton);
    int x = 0;
    int direction = 1;
    for (auto _ : state) {
        // Back and forth across the knob's range, so every step changes the frame.
        if (cutoff->Position() >= cutoff->Max())
            direction = -1;
        else if (cutoff->Position() <= cutoff->Min())
            direction = 1;
        x += direction;
        const int paints = counter.paints;
        sendMouse(cutoff, QEvent::MouseMove, {x, 15}, Qt::NoButton, Qt::LeftButton);
        while (counter.paints == paints)
            QCoreApplication::processEvents();
    }
    // Let go with the right button: no edit follows the measurement.
    sendMouse(cutoff, QEvent::MouseButtonRelease, {15, 15}, Qt::RightButton, Qt::NoButton);
    cutoff->removeEventFilter(&counter);
}
BENCHMARK(BM_KnobDragStepToRepaint)->Unit(benchmark::kMicrosecond);

// A knob let go, four tones selected: from the release to the moment the
// fourth message is handed to the driver.
static void BM_KnobReleaseFourTonesToDriver(benchmark::State& state)
{
    Rig& r = rig();
    tknob* cutoff = r.knobs->knob("cutoff");
    int value = 0;
    for (auto _ : state) {
        cutoff->SetPosition(value++ & 0x7F);
        const int target = r.stamp->handed + 4;
        const auto start = bench::StampDriver::now();
        sendMouse(cutoff, QEvent::MouseButtonRelease, {15, 15}, Qt::LeftButton, Qt::NoButton);
        while (r.stamp->handed < target)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(double(r.stamp->lastNs - start) * 1e-9);
        untilSenderIdle();
    }
}
BENCHMARK(BM_KnobReleaseFourTonesToDriver)->UseManualTime()->Unit(benchmark::kMicrosecond);
// What the knob window adds to start-up: made right after the main window,
// its panels left for the first show.
static void BM_KnobWindowCreate(benchmark::State& state)
{
    bench::WindowBenchRig setup(1);
    std::unique_ptr<MainWindow> window = setup.makeWindow();
    for (auto _ : state) {
        auto* knobs = new Tform3(window->parts());
        state.PauseTiming();
        delete knobs;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_KnobWindowCreate)->Unit(benchmark::kMicrosecond);

// The first F9: the panels built, the knobs linked and set from the image.
static void BM_KnobWindowFirstShow(benchmark::State& state)
{
    bench::WindowBenchRig setup(1);
    std::unique_ptr<MainWindow> window = setup.makeWindow();
    for (auto _ : state) {
        auto* knobs = new Tform3(window->parts());
        knobs->ensureBuilt();
        state.PauseTiming();
        delete knobs;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_KnobWindowFirstShow)->Unit(benchmark::kMillisecond)->Iterations(10);

// Start-up to the main window on the screen and painted, as the program
// starts: the main window alone, then with the knob window made after it.
static void startUp(benchmark::State& state, bool withKnobs)
{
    bench::WindowBenchRig setup(1);
    for (auto _ : state) {
        std::unique_ptr<MainWindow> window = setup.makeWindow();
        if (withKnobs)
            new Tform3(window->parts());
        window->show();
        untilVisible(*window);
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

static void BM_StartUpMainWindowOnly(benchmark::State& state)
{
    startUp(state, false);
}
BENCHMARK(BM_StartUpMainWindowOnly)->Unit(benchmark::kMillisecond)->Iterations(20);

static void BM_StartUpWithKnobWindow(benchmark::State& state)
{
    startUp(state, true);
}
BENCHMARK(BM_StartUpWithKnobWindow)->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    rig(); // made before any timing: the first show has a benchmark of its own
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    rig().window.reset();
    return 0;
}
