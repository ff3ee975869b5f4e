// SPDX-License-Identifier: GPL-3.0-or-later
// Messages through the real ports and back: a 141-byte Data Set message from an
// output port to an input port over the loopback driver, one at a time (round
// trip) and as a stream of 1,000; and the stream over a real JACK server
// (a private `jackd -d dummy`, started here when jackd is installed), from
// Dorvane's virtual output to its virtual input. Goal: no message lost at 100
// times MIDI wire speed (312,500 bytes a second).
#include "midi/loopbackdriver.h"
#include "midi/midideviceregistry.h"
#include "midi/rtmididriver.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"

#include "benchjack.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <benchmark/benchmark.h>

#include <memory>
#include <thread>

using namespace dorvane;
using dorvane::bench::JackServer;

namespace {

constexpr std::size_t MessageSize = 141;
constexpr int StreamCount = 1000;

Bytes dataSet(int seed)
{
    Bytes m(MessageSize, std::uint8_t(seed & 0x7F));
    m.front() = 0xF0;
    m.back() = 0xF7;
    return m;
}

// An input port set up as the main window's is, counting what it takes.
struct Receiver
{
    explicit Receiver(MidiDeviceRegistry& devices, int id) : port(devices)
    {
        port.SetCapacity(2048);
        port.SetSysexBufferSize(5120);
        port.SetSysexBufferCount(32);
        port.SetSysexOnly(true);
        port.SetDeviceID(id);
        QObject::connect(&port, &TMidiInput::OnMidiInput, &port, [this](TMidiInput* sender) {
            while (auto event = sender->TakeEvent()) {
                ++events;
                bytes += event->SysexByteCount;
            }
        });
        QObject::connect(&port, &TMidiInput::OnOverflow, &port, [this] { ++overflows; });
        port.Open();
        port.Start();
    }
    TMidiInput port;
    std::int64_t events = 0;
    std::int64_t bytes = 0;
    std::int64_t overflows = 0;
};

// Runs the event loop until `done` or the time is up; false on time out.
template <typename F> bool spin(F done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Streams 1,000 messages per iteration from output `outId` to input `inId`;
// `link` joins the two once they are open, where that takes a step of its own.
template <typename Link>
void stream(benchmark::State& state, MidiDeviceRegistry& devices, int outId, int inId, Link link)
{
    Receiver in(devices, inId);
    TMidiOutput out(devices);
    out.SetDeviceID(outId);
    if (!out.Open() || in.port.State() != misOpen) {
        state.SkipWithError("cannot open the ports");
        return;
    }
    if (!link()) {
        state.SkipWithError("cannot connect the ports");
        return;
    }
    std::int64_t sent = 0;
    std::int64_t lost = 0;
    QElapsedTimer clock;
    qint64 elapsedNs = 0;
    for (auto _ : state) {
        const std::int64_t before = in.events;
        clock.start();
        for (int i = 0; i < StreamCount; ++i)
            out.SendLongMessage(dataSet(i));
        spin([&] { return in.events - before >= StreamCount; }, 10000);
        elapsedNs += clock.nsecsElapsed();
        sent += StreamCount;
        lost += StreamCount - (in.events - before);
    }
    state.counters["lost"] = double(lost);
    state.counters["overflows"] = double(in.overflows);
    state.counters["bytes_per_s"] = double(sent) * MessageSize / (double(elapsedNs) / 1e9);
    state.SetItemsProcessed(sent);
}

std::shared_ptr<LoopbackDriver> loopback(MidiDeviceRegistry& devices, std::size_t bytesPerSecond)
{
    auto driver = std::make_shared<LoopbackDriver>();
    driver->addDevice("Loop");
    driver->setBytesPerSecond(bytesPerSecond);
    devices.addSource(driver);
    return driver;
}

} // namespace

static void BM_LoopbackRoundTrip141(benchmark::State& state)
{
    MidiDeviceRegistry devices;
    auto driver = loopback(devices, 0);
    Receiver in(devices, 0);
    TMidiOutput out(devices);
    out.Open();
    const Bytes message = dataSet(1);
    for (auto _ : state) {
        const std::int64_t before = in.events;
        out.SendLongMessage(message);
        if (!spin([&] { return in.events > before; }, 5000)) {
            state.SkipWithError("message lost");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * std::int64_t(MessageSize));
}
BENCHMARK(BM_LoopbackRoundTrip141)->Unit(benchmark::kMicrosecond);

// Range: the device's pace in bytes a second (100, 320 and 1,000 times wire speed).
static void BM_LoopbackStream141(benchmark::State& state)
{
    MidiDeviceRegistry devices;
    auto driver = loopback(devices, std::size_t(state.range(0)));
    stream(state, devices, 0, 0, [] { return true; });
}
BENCHMARK(BM_LoopbackStream141)
    ->Arg(312500)
    ->Arg(1000000)
    ->Arg(3125000)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

static void BM_JackStream141(benchmark::State& state)
{
    MidiDeviceRegistry devices;
    devices.addSource(std::make_shared<RtMidiDriver>());
    // Dorvane's virtual output connected to its own virtual input.
    stream(state, devices, -1, -1, [] {
        const QString from = JackServer::ownPort(RtMidiDriver::OutputPortName);
        const QString to = JackServer::ownPort(RtMidiDriver::InputPortName);
        return QProcess::execute("jack_connect", {from, to}) == 0;
    });
}

int main(int argc, char** argv)
{
    return bench::runWithJack(argc, argv, [] {
        benchmark::RegisterBenchmark("BM_JackStream141", BM_JackStream141)
            ->Iterations(3)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    });
}
