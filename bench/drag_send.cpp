// SPDX-License-Identifier: GPL-3.0-or-later
// Sending while dragging, from the session's step to the driver: one drag
// step, one morph slider step, and a two-second drag over four tones at the
// MIDI cable's pace, thinned to what the cable carries, with the time from
// the release to the last tone's value.
#include "benchspin.h"
#include "editor/senderoutput.h"
#include "editor/soundparameters.h"
#include "midi/loopbackdriver.h"
#include "midi/midideviceregistry.h"
#include "midi/midisender.h"
#include "midi/tmidioutput.h"
#include "patch/initialpatch.h"
#include "patch/parameteraddress.h"
#include "patch/randomsource.h"
#include "patch/rolandmessage.h"
#include "session/editsession.h"
#include "tools/breed.h"
#include "tools/morph.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <thread>

using namespace dorvane;

using dorvane::bench::spin;

namespace {

constexpr int Part = 1;
constexpr int Cutoff = 81;
const char* const Device = "Loop";

// The window's road without the window: session, its output over the
// sender, the port, a loopback device.
struct Chain
{
    Chain(std::size_t portPace, double latestPace)
    {
        driver->addDevice(Device);
        driver->setEcho(Device, false);
        driver->setBytesPerSecond(portPace);
        devices.addSource(driver);
        out.Open();
        sender.SetOutput(&out);
        sender.SetLatestPace(latestPace);
        session.image().LoadFromBytes(initialImage());
        session.history().reset(session.image().bytes());
        session.setOutput(&output);
    }
    std::size_t sentCount() const { return driver->sent(Device).size(); }

    std::shared_ptr<LoopbackDriver> driver = std::make_shared<LoopbackDriver>();
    MidiDeviceRegistry devices;
    TMidiOutput out{devices};
    MidiSender sender;
    SenderEditOutput output{sender};
    EditSession session;
};

} // namespace

static void BM_DragStepToDriver(benchmark::State& state)
{
    Chain chain(0, MidiSender::WireBytesPerSecond);
    int value = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Each step measured finds the cable free, as a step after a pause does.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        spin([&] { return chain.sender.IsIdle(); });
        chain.driver->clearSent(Device);
        value = (value + 1) % 128;
        const ParameterWrite write{Part, 1, Cutoff, value};
        state.ResumeTiming();
        chain.session.preview(std::span(&write, 1));
        if (!chain.driver->waitForSent(Device, 1, 1000)) {
            state.SkipWithError("the step never reached the driver");
            break;
        }
    }
}
// Each step waits out the cable first, so a fixed count keeps the run short.
BENCHMARK(BM_DragStepToDriver)->Iterations(300)->UseRealTime()->Unit(benchmark::kMicrosecond);

static void BM_MorphSliderStepToDriver(benchmark::State& state)
{
    // A port as fast as JACK's: the slider's messages are not held to the cable.
    Chain chain(0, 0);
    const t505temppatch a = chain.session.image();
    RandomSource random;
    random.seed(9);
    const auto parameters = soundParameters(Part);
    const t505temppatch b =
        breedFirstGeneration(a, {Part, soundAreas(Part), parameters, {}, 0}, random, 1).at(0);
    int position = 0;
    for (auto _ : state) {
        position = (position + 3) % (MorphMax + 1);
        chain.session.preview([&](t505temppatch& image) {
            morphPart(image, Part, {&a, Part}, {&b, Part}, parameters, position);
        });
        if (!spin([&] { return chain.sender.IsIdle(); })) {
            state.SkipWithError("the slider's messages never left");
            break;
        }
        state.PauseTiming();
        chain.driver->clearSent(Device);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MorphSliderStepToDriver)->UseRealTime()->Unit(benchmark::kMicrosecond);

static void BM_TwoSecondDragOverFourTonesAtTheWire(benchmark::State& state)
{
    const bool portPaced = state.range(0) == 1;
    for (auto _ : state) {
        // The sender keeps the cable's pace as the window's does, in front of
        // a device that takes bytes as fast as they come (the built-in
        // instrument) or of a port that paces itself at the cable's rate too.
        Chain chain(portPaced ? 3125 : 0, MidiSender::WireBytesPerSecond);
        constexpr int DragMs = 2000;
        constexpr int MoveEveryMs = 8; // a mouse's move events
        QElapsedTimer clock;
        clock.start();
        int value = 0;
        int steps = 0;
        qint64 nextMove = 0;
        while (clock.elapsed() < DragMs) {
            if (clock.elapsed() >= nextMove) {
                value = (value + 1) % 127;
                std::array<ParameterWrite, ToneCount> writes{};
                for (int t = 1; t <= ToneCount; ++t)
                    writes[std::size_t(t - 1)] = {Part, t, Cutoff, value};
                chain.session.preview(writes);
                ++steps;
                nextMove += MoveEveryMs;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        const std::size_t dragBytes = chain.driver->sentBytes(Device).size();
        std::array<ParameterWrite, ToneCount> release{};
        for (int t = 1; t <= ToneCount; ++t)
            release[std::size_t(t - 1)] = {Part, t, Cutoff, 127};
        QElapsedTimer sinceRelease;
        sinceRelease.start();
        chain.session.apply("Cutoff Frequency, part 2", release, EditSession::Handover::Latest);
        auto allFinal = [&] {
            const auto sent = chain.driver->sent(Device);
            int found = 0;
            for (int t = 1; t <= ToneCount; ++t)
                found +=
                    std::count(sent.begin(), sent.end(),
                               parameterMessage(tsMC505, toneAddress(Part, t, Cutoff), 127)) > 0;
            return found == ToneCount;
        };
        if (!spin(allFinal)) {
            state.SkipWithError("the release's values never all arrived");
            break;
        }
        state.counters["release_to_last_ms"] = double(sinceRelease.nsecsElapsed()) / 1e6;
        state.counters["drag_bytes"] = double(dragBytes);
        state.counters["wire_capacity_bytes"] = 3125.0 * DragMs / 1000;
        state.counters["steps_offered"] = double(steps * ToneCount);
        state.counters["messages_sent"] = double(dragBytes) / 13;
    }
    state.SetLabel(portPaced ? "port paced at 3,125 bytes/s" : "sender paced, device unpaced");
}
BENCHMARK(BM_TwoSecondDragOverFourTonesAtTheWire)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Repetitions(5)
    ->ComputeStatistics("max",
                        [](const std::vector<double>& v) { return *std::ranges::max_element(v); })
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
