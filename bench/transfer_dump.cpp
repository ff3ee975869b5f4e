// SPDX-License-Identifier: GPL-3.0-or-later
// Receiving dumps. Goals: a whole image arriving at the MIDI wire rate (3,125
// bytes a second, 2.9 s for 9054 bytes) is loaded within 50 ms of its last
// byte; at full speed the collector keeps up with 1,000 messages in a row
// without loss. The instrument is played by a thread feeding the loopback
// driver, which delivers on a thread of its own as a real driver does; the
// input port is set up as the main window's.
#include "midi/loopbackdriver.h"
#include "midi/midideviceregistry.h"
#include "midi/tmidiinput.h"
#include "patch/initialpatch.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"
#include "transfer/dumpinput.h"
#include "transfer/dumpreceiver.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

using namespace dorvane;
using Clock = std::chrono::steady_clock;

namespace {

constexpr char Device[] = "MC-505";
constexpr double WireBytesPerSecond = 3125.0;

struct Setup
{
    Setup()
    {
        driver->addDevice(Device);
        driver->setEcho(Device, false);
        registry.addSource(driver);
        prepareForDumps(input);
        input.SetProductName(Device);
        input.Open();
        receiver.SetTempFile(temp.filePath("temp"));
    }

    std::shared_ptr<LoopbackDriver> driver = std::make_shared<LoopbackDriver>();
    MidiDeviceRegistry registry;
    TMidiInput input{registry};
    QTemporaryDir temp;
    DumpReceiver receiver{&input};
};

std::vector<Bytes> messages(ByteView bytes)
{
    std::vector<Bytes> list;
    for (ByteView m : splitSysex(bytes))
        list.emplace_back(m.begin(), m.end());
    return list;
}

// Runs the event loop until the reception ends or the time is up.
std::optional<DumpResult> waitForResult(DumpReceiver& receiver, int timeoutMs,
                                        const std::function<void(const DumpResult&)>& onEnd)
{
    std::optional<DumpResult> result;
    QEventLoop loop;
    const auto connection =
        QObject::connect(&receiver, &DumpReceiver::finished, &loop, [&](const DumpResult& r) {
            if (onEnd)
                onEnd(r);
            result = r;
            loop.quit();
        });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!result)
        loop.exec();
    QObject::disconnect(connection);
    return result;
}

void BM_WireRateImageLastByteToLoaded(benchmark::State& state)
{
    Setup s;
    const Bytes image = initialImage();
    const auto list = messages(image);
    t505temppatch editor;
    double worstMs = 0;
    for (auto _ : state) {
        editor.LoadFromBytes(Bytes(ImageSize, 0));
        std::atomic<Clock::rep> lastByte{0};
        s.receiver.startAll();
        // Each message is handed over when its last byte would have crossed the wire.
        std::thread instrument([&] {
            const auto start = Clock::now();
            std::size_t sent = 0;
            for (const Bytes& m : list) {
                sent += m.size();
                std::this_thread::sleep_until(
                    start + std::chrono::duration_cast<Clock::duration>(
                                std::chrono::duration<double>(sent / WireBytesPerSecond)));
                lastByte.store(Clock::now().time_since_epoch().count());
                s.driver->feedLong(Device, m);
            }
        });
        Clock::time_point loaded;
        const auto result = waitForResult(s.receiver, 10000, [&](const DumpResult& r) {
            r.loadInto(editor);
            loaded = Clock::now();
        });
        instrument.join();
        if (!result || editor.bytes() != image) {
            state.SkipWithError("the image was not loaded");
            break;
        }
        const std::chrono::duration<double> latency =
            loaded - Clock::time_point(Clock::duration(lastByte.load()));
        worstMs = std::max(worstMs, latency.count() * 1000);
        state.SetIterationTime(latency.count());
    }
    state.counters["worst_ms"] = worstMs;
}
BENCHMARK(BM_WireRateImageLastByteToLoaded)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// A Data Set message of a tone's size whose bytes tell it apart.
Bytes toneMessage(int seed)
{
    Bytes m = {0xF0, 0x41, 0x10, 0x00, 0x0B, 0x12, 0x02, std::uint8_t(seed % 7), 0x10, 0x00};
    while (m.size() < ToneMessageSize - 2)
        m.push_back(std::uint8_t((seed + m.size()) & 0x7F));
    m.push_back(Checksum(ByteView(m).subspan(6)));
    m.push_back(SysexEnd);
    return m;
}

// 1,000 messages in a row. Arguments: the number of sysex buffers of the input
// port (32 as the main window sets it up, 1024 to hold the whole burst), and
// the rate in bytes a second (0: back to back, as fast as the driver thread
// takes them; 312,500: a hundred times the wire rate, a fast USB interface).
void BM_FullSpeedThousandMessages(benchmark::State& state)
{
    Setup s;
    s.input.Close();
    s.input.SetSysexBufferCount(std::uint16_t(state.range(0)));
    s.input.Open();
    const double rate = double(state.range(1));
    constexpr int Count = 1000;
    std::vector<Bytes> list;
    Bytes all;
    for (int i = 0; i < Count; ++i) {
        list.push_back(toneMessage(i));
        all.insert(all.end(), list.back().begin(), list.back().end());
    }
    const QString file = s.temp.filePath("dump.syx");
    std::size_t lost = 0;
    int overflows = 0;
    double total = 0;
    for (auto _ : state) {
        s.receiver.startFile(file);
        std::atomic<bool> fed{false};
        const auto start = Clock::now();
        std::thread instrument([&] {
            std::size_t sent = 0;
            for (const Bytes& m : list) {
                sent += m.size();
                if (rate > 0)
                    std::this_thread::sleep_until(
                        start + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(double(sent) / rate)));
                s.driver->feedLong(Device, m);
            }
            s.driver->waitUntilDelivered(Device, 10000);
            fed = true;
        });
        // Done when everything is in, or when everything was delivered and
        // taken and some is still missing (dropped on the way).
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (s.receiver.Received().size() >= all.size() ||
                (fed && s.input.PendingEventCount() == 0))
                loop.quit();
        });
        const auto connection = QObject::connect(&s.receiver, &DumpReceiver::progress, &loop,
                                                 [&](qint64 received, qint64) {
                                                     if (std::size_t(received) >= all.size())
                                                         loop.quit();
                                                 });
        check.start(1);
        loop.exec();
        QObject::disconnect(connection);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        instrument.join();
        QCoreApplication::processEvents();
        const auto result = s.receiver.finish();
        if (!result || result->received != all)
            lost +=
                result ? all.size() - std::min(all.size(), result->received.size()) : all.size();
        overflows += result && result->dataLost;
        total += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["bytes_lost"] = double(lost);
    state.counters["overflows"] = overflows;
    state.counters["messages_per_s"] = double(Count) * double(state.iterations()) / total;
}
BENCHMARK(BM_FullSpeedThousandMessages)
    ->Args({DumpSysexBufferCount, 0})
    ->Args({32, 0})
    ->Args({32, 312500})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
