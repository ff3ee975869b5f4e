// SPDX-License-Identifier: GPL-3.0-or-later
// The input event ring: how many events a second pass from a driver thread to
// the main thread, through the bare ring and through the input port's own
// callback path (filter, sysex buffers, wake-up) and TakeEvent's copy.
// Goal: at least a million events a second.
#include "midi/midiinputcontext.h"
#include "midi/spscring.h"
#include "midi/wakeup.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

using namespace dorvane;

namespace {

struct Entry
{
    std::uint32_t timeStamp;
    std::uint32_t packed;
    std::int32_t buffer;
};

} // namespace

// One thread pushing, the other taking, both flat out.
static void BM_RingTwoThreads(benchmark::State& state)
{
    const std::size_t capacity = std::size_t(state.range(0));
    constexpr std::uint32_t batch = 1 << 20;
    for (auto _ : state) {
        SpscRing<Entry> ring(capacity);
        std::thread producer([&] {
            for (std::uint32_t i = 0; i < batch;)
                if (ring.push({i, i, -1}))
                    ++i;
        });
        std::uint32_t expected = 0;
        while (expected < batch) {
            if (const Entry* e = ring.peek()) {
                if (e->packed != expected)
                    state.SkipWithError("out of order");
                ring.drop();
                ++expected;
            }
        }
        producer.join();
    }
    state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_RingTwoThreads)->Arg(1024)->Arg(2048)->UseRealTime()->Unit(benchmark::kMillisecond);

// The port's path on one thread: a short message in, an event out.
static void BM_InputPathShortMessage(benchmark::State& state)
{
    WakeUp wake;
    MidiInputContext context(2048, 32, 5120, wake);
    context.start();
    const std::uint8_t message[3] = {0x90, 60, 100};
    for (auto _ : state) {
        context.midiData(ByteView(message, 3));
        auto event = context.take();
        benchmark::DoNotOptimize(event);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InputPathShortMessage);

// A 141-byte Data Set message into a sysex buffer and out as an event.
static void BM_InputPathDataSet(benchmark::State& state)
{
    WakeUp wake;
    MidiInputContext context(2048, 32, 5120, wake);
    context.start();
    Bytes message(141, 0x11);
    message.front() = 0xF0;
    message.back() = 0xF7;
    for (auto _ : state) {
        context.midiLongData(message);
        auto event = context.take();
        benchmark::DoNotOptimize(event);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * 141);
}
BENCHMARK(BM_InputPathDataSet);

// The callback on a driver thread while the main thread takes: events a second
// across threads, wake-ups included.
static void BM_InputPathTwoThreads(benchmark::State& state)
{
    constexpr int batch = 200000;
    WakeUp wake;
    for (auto _ : state) {
        MidiInputContext context(2048, 32, 5120, wake);
        context.start();
        std::atomic<bool> done{false};
        std::thread driver([&] {
            const std::uint8_t message[3] = {0x90, 60, 100};
            for (int i = 0; i < batch; ++i) {
                // The driver never waits; a full ring would drop. Keep pace
                // the way a device does: it cannot outrun a free slot forever.
                while (context.pending() > 2000)
                    std::this_thread::yield();
                context.midiData(ByteView(message, 3));
            }
            done = true;
        });
        int taken = 0;
        while (taken < batch) {
            if (context.take())
                ++taken;
            else if (done && context.pending() == 0)
                break;
        }
        driver.join();
        if (taken != batch)
            state.SkipWithError("events lost");
    }
    state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_InputPathTwoThreads)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // the wake-up's socket notifier needs one
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
