// SPDX-License-Identifier: GPL-3.0-or-later
// The note player's share of the time between a key going down and its notes
// leaving: reading the key event, and a five-note chord struck and released on
// an open port of the loopback driver.
#include "midi/loopbackdriver.h"
#include "midi/midideviceregistry.h"
#include "midi/tmidioutput.h"
#include "player/tmidiapputil.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <memory>

using namespace dorvane;

static void BM_KeyEventToOffset(benchmark::State& state)
{
    const int keys[] = {Qt::Key_Z,  Qt::Key_Comma, Qt::Key_At, Qt::Key_BracketRight,
                        Qt::Key_F4, Qt::Key_A};
    std::vector<std::unique_ptr<QKeyEvent>> events;
    for (int key : keys)
        events.push_back(std::make_unique<QKeyEvent>(QEvent::KeyPress, key, Qt::NoModifier));
    std::size_t i = 0;
    for (auto _ : state) {
        const QKeyEvent& event = *events[i++ % events.size()];
        benchmark::DoNotOptimize(TMIDIappUtil::KeyOffset(TMIDIappUtil::KeyCodeOf(event)));
    }
}
BENCHMARK(BM_KeyEventToOffset);

static void BM_ChordStruckAndReleased(benchmark::State& state)
{
    auto driver = std::make_shared<LoopbackDriver>();
    driver->addDevice("Bench");
    driver->setEcho("Bench", false);
    MidiDeviceRegistry registry;
    registry.addSource(driver);
    TMidiOutput output(registry);
    if (!output.Open()) {
        state.SkipWithError("the loopback device does not open");
        return;
    }
    TMIDIappUtil util;
    util.SetOUTPUT(&output);
    util.SetPlaymode(pmMajor9th);
    std::int64_t messages = 0;
    for (auto _ : state) {
        util.KeyDown('Z', Qt::NoModifier);
        util.KeyUp('Z');
        messages += 10;
        // The port hands finished messages back on the event loop.
        QCoreApplication::processEvents();
        if (messages % 10000 == 0) {
            state.PauseTiming();
            driver->clearSent("Bench");
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(messages);
}
BENCHMARK(BM_ChordStruckAndReleased);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
