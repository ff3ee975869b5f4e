// SPDX-License-Identifier: GPL-3.0-or-later
// A Get from the built-in instrument at the MIDI wire rate, through the same
// ports and dump receiver the window uses: from the Data Request to the
// automatic completion, against the time the data takes on the wire.
// Goal: no more than 1.05 times the wire time.
#include "midi/builtininstrument.h"
#include "midi/midideviceregistry.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"
#include "patch/initialpatch.h"
#include "patch/rolandmessage.h"
#include "transfer/dumpinput.h"
#include "transfer/dumpreceiver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>

using namespace dorvane;

static void BM_GetAtWireRate(benchmark::State& state)
{
    const bool whole = !qEnvironmentVariableIsSet("DORVANE_BENCH_SMOKE");
    QTemporaryDir dir;
    {
        const Bytes image = initialImage();
        std::ofstream(dir.filePath("perf.syx").toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    }
    auto instrument = std::make_shared<BuiltInInstrument>(dir.filePath("perf.syx").toStdString());
    MidiDeviceRegistry registry;
    registry.addSource(instrument);
    TMidiOutput output(registry);
    TMidiInput input(registry);
    prepareForDumps(input);
    output.SetDeviceID(0);
    if (!output.Open()) {
        state.SkipWithError("cannot open the built-in instrument");
        return;
    }
    input.SetDeviceID(0);
    input.Open();
    DumpReceiver receiver(&input);
    receiver.SetTempFile(dir.filePath("temp"));

    const double bytes = whole ? double(ImageSize) : double(PartBlockSize);
    const double wireSeconds = bytes / BuiltInInstrument::WireBytesPerSecond;
    double worst = 0;
    for (auto _ : state) {
        QEventLoop loop;
        bool loaded = false;
        const auto c =
            QObject::connect(&receiver, &DumpReceiver::finished, &loop, [&](const DumpResult& r) {
                loaded = r.loadable();
                loop.quit();
            });
        const auto start = std::chrono::steady_clock::now();
        if (whole) {
            receiver.startAll();
            output.SendLongMessage(requestAllMessage());
        } else {
            receiver.startPart(0);
            output.SendLongMessage(requestPartMessage(0));
        }
        QTimer::singleShot(int(wireSeconds * 3000) + 1000, &loop, &QEventLoop::quit);
        loop.exec();
        QObject::disconnect(c);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!loaded) {
            state.SkipWithError("the dump did not complete");
            return;
        }
        state.SetIterationTime(seconds);
        worst = std::max(worst, seconds / wireSeconds);
    }
    state.counters["wire_seconds"] = wireSeconds;
    state.counters["worst_ratio_to_wire"] = worst;
}
BENCHMARK(BM_GetAtWireRate)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
