// SPDX-License-Identifier: GPL-3.0-or-later
// How long a MIDI port that appears or vanishes takes to be noticed: from the
// moment another JACK client registers (or unregisters) a MIDI port to the
// device registry's devicesChanged with the port listed (or no longer listed),
// over a real JACK server (a private `jackd -d dummy`, started here when
// jackd is installed). Each iteration is one appearance or one vanishing, in
// turn. Goal: under a second. The loopback's figure is the floor set by the
// wake-up and the listing alone.
#include "benchjack.h"
#include "benchspin.h"
#include "midi/loopbackdriver.h"
#include "midi/midideviceregistry.h"
#include "midi/portwatcher.h"
#include "midi/rtmididriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

#include <jack/jack.h>

#include <algorithm>
#include <memory>

using namespace dorvane;

using dorvane::bench::spin;

namespace {

// Times `change` until the registry announces a list in which `name` is
// listed as `listed` says.
template <typename Change>
bool timeNotice(benchmark::State& state, MidiDeviceRegistry& devices, const std::string& name,
                bool listed, double& slowest, Change change)
{
    int announced = 0;
    const auto connection =
        QObject::connect(&devices, &MidiDeviceRegistry::devicesChanged, [&] { ++announced; });
    QElapsedTimer clock;
    clock.start();
    change();
    const bool seen =
        spin([&] { return announced > 0 && devices.outputListed(name) == listed; }, 5000);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    QObject::disconnect(connection);
    if (!seen) {
        state.SkipWithError("the change was not noticed within 5 s");
        return false;
    }
    state.SetIterationTime(seconds);
    slowest = std::max(slowest, seconds);
    return true;
}

} // namespace

static void BM_JackPortNoticed(benchmark::State& state)
{
    MidiDeviceRegistry devices;
    auto driver = std::make_shared<RtMidiDriver>();
    devices.addSource(driver);
    devices.watch();
    if (!spin([&] { return driver->watcher() && driver->watcher()->jackListening(); }, 5000)) {
        state.SkipWithError("the watcher did not attach to the JACK server");
        return;
    }
    // Another program's client, as a synthesizer that comes and goes.
    jack_client_t* peer = jack_client_open("blink", JackNoStartServer, nullptr);
    if (!peer || jack_activate(peer) != 0) {
        state.SkipWithError("cannot open the peer's JACK client");
        return;
    }
    // The watch's first reading settles before the first timing.
    spin([] { return false; }, 200);
    jack_port_t* port = nullptr;
    double slowest = 0;
    for (auto _ : state) {
        const bool appear = port == nullptr;
        const bool ok = timeNotice(state, devices, "blink:in", appear, slowest, [&] {
            if (appear)
                port = jack_port_register(peer, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
            else if (jack_port_unregister(peer, port) == 0)
                port = nullptr;
        });
        if (!ok)
            break;
    }
    state.counters["slowest_ms"] = slowest * 1000;
    jack_client_close(peer);
}

static void BM_LoopbackDeviceNoticed(benchmark::State& state)
{
    MidiDeviceRegistry devices;
    auto driver = std::make_shared<LoopbackDriver>();
    devices.addSource(driver);
    devices.watch();
    spin([] { return false; }, 50);
    bool there = false;
    double slowest = 0;
    for (auto _ : state) {
        const bool appear = !there;
        const bool ok = timeNotice(state, devices, "Loop", appear, slowest, [&] {
            if (appear)
                driver->addDevice("Loop");
            else
                driver->removeDevice("Loop");
        });
        if (!ok)
            break;
        there = appear;
    }
    state.counters["slowest_ms"] = slowest * 1000;
}
BENCHMARK(BM_LoopbackDeviceNoticed)->UseManualTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return bench::runWithJack(argc, argv, [] {
        benchmark::RegisterBenchmark("BM_JackPortNoticed", BM_JackPortNoticed)
            ->Iterations(40)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    });
}
