// SPDX-License-Identifier: GPL-3.0-or-later
// "Send and Verify 8 Part" in the running window against the built-in
// instrument at the MIDI wire rate: the image goes over, is asked back and
// compared, from the menu command to the verdict on the status line. The
// floor is two wire times, one each way (2 x 2.897 s).
// Goal: no more than 2.05 times one wire time.
#include "editor/verifycommands.h"
#include "midi/builtininstrument.h"

#include "windowbenchrig.h"

#include <benchmark/benchmark.h>

#include <chrono>

using namespace dorvane;

static void BM_SendAndVerifyAllAtWireRate(benchmark::State& state)
{
    // The smoke run only proves it works, at full speed.
    const bool wire = !qEnvironmentVariableIsSet("DORVANE_BENCH_SMOKE");
    bench::WindowBenchRig rig;
    auto instrument =
        std::make_shared<BuiltInInstrument>(rig.dir.filePath("perf.syx").toStdString());
    instrument->setFullSpeed(!wire);
    rig.registry.addSource(instrument);
    // After the stamping device and the loopback's "Bench".
    rig.store("midiout", "2");
    rig.store("midiin", "1");
    MainWindow& window = rig.openWindow();

    const double wireSeconds = double(ImageSize) / BuiltInInstrument::WireBytesPerSecond;
    double worst = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        window.frame().action("SendVerify8Part")->trigger();
        // With the main thread idle meanwhile, as the window's would be.
        bench::waitFor([&] { return !window.verify().verifying(); }, std::chrono::seconds(30));
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!window.frame().statusText().startsWith("Verified")) {
            state.SkipWithError(window.frame().statusText().toStdString().c_str());
            break;
        }
        state.SetIterationTime(seconds);
        worst = std::max(worst, seconds / wireSeconds);
    }
    state.counters["wire_seconds"] = wireSeconds;
    state.counters["worst_ratio_to_one_wire_time"] = worst;
}
BENCHMARK(BM_SendAndVerifyAllAtWireRate)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return bench::runQtBenchmarks(argc, argv);
}
