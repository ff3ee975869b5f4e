// SPDX-License-Identifier: GPL-3.0-or-later
// A long session against the built-in instrument at full speed, through the
// ports, sender and dump receiver the window uses: 10,000 one-parameter edits
// and, after every hundred, a Get of the whole area. Each Get must come back
// equal to the editor's own image (no edit lost, none misplaced), the
// instrument must have applied every edit, and the resident memory at the end
// must be within 5 % of what it was after the first hundred edits.
#include "midi/builtininstrument.h"
#include "midi/midideviceregistry.h"
#include "midi/midisender.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"
#include "patch/initialpatch.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"
#include "transfer/dumpinput.h"
#include "transfer/dumpreceiver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <random>

#include <unistd.h>

using namespace dorvane;

namespace {

// A lost or misplaced message fails the run itself, so the short run CTest
// makes of every benchmark catches it too.
bool soakFailed = false;

double residentKilobytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / 1024.0;
}

struct Edit
{
    int part, area, offset, value;
};

// Any data byte of any message, as the window's controls reach them.
Edit randomEdit(std::mt19937& random)
{
    Edit e{};
    const int which = int(random() % 8);
    e.part = which == 7 ? RhythmPart : which;
    if (e.part == RhythmPart) {
        e.area = int(random() % DrumNoteCount);
        e.offset = int(random() % DrumNoteDataSize);
    } else {
        e.area = int(random() % (ToneCount + 1));
        e.offset = int(random() % (e.area == 0 ? CommonDataSize : ToneDataSize));
    }
    e.value = int(random() % 128);
    return e;
}

// Roland addresses count seven bits a byte.
Address addressOf(const Edit& e)
{
    const auto p = std::uint8_t(e.part);
    if (e.part == RhythmPart)
        return {0x02, p, std::uint8_t(FirstDrumKey + e.area), std::uint8_t(e.offset)};
    if (e.area == 0)
        return {0x02, p, 0x00, std::uint8_t(e.offset)};
    return {0x02, p, std::uint8_t(ToneBase[std::size_t(e.area)] + e.offset / 128),
            std::uint8_t(e.offset % 128)};
}

} // namespace

static void BM_SoakEditsAndGets(benchmark::State& state)
{
    const bool smoke = qEnvironmentVariableIsSet("DORVANE_BENCH_SMOKE");
    const int gets = smoke ? 10 : 100;
    const int editsPerGet = 100;
    QTemporaryDir dir;
    {
        const Bytes image = initialImage();
        std::ofstream(dir.filePath("perf.syx").toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    }
    auto instrument = std::make_shared<BuiltInInstrument>(dir.filePath("perf.syx").toStdString());
    instrument->setFullSpeed(true);
    MidiDeviceRegistry registry;
    registry.addSource(instrument);
    TMidiOutput output(registry);
    TMidiInput input(registry);
    prepareForDumps(input);
    output.SetDeviceID(0);
    input.SetDeviceID(0);
    if (!output.Open() || (input.Open(), input.State() != misOpen)) {
        soakFailed = true;
        state.SkipWithError("cannot open the built-in instrument");
        return;
    }
    MidiSender sender;
    sender.SetOutput(&output);
    DumpReceiver receiver(&input);
    receiver.SetTempFile(dir.filePath("temp"));

    t505temppatch editor;
    editor.LoadFromBytes(initialImage());
    std::mt19937 random(505);
    int edits = 0, mismatches = 0, failedGets = 0;
    double rssAfterFirstHundred = 0, seconds = 0;

    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int g = 0; g < gets; ++g) {
            for (int i = 0; i < editsPerGet; ++i) {
                const Edit e = randomEdit(random);
                editor.WriteByte(e.part, e.area, e.offset, e.value);
                sender.SendLong(parameterMessage(tsMC505, addressOf(e), e.value));
                ++edits;
            }
            // The request queues behind the edits: the answer holds all of them.
            QEventLoop loop;
            std::optional<Bytes> block;
            const auto c = QObject::connect(&receiver, &DumpReceiver::finished, &loop,
                                            [&](const DumpResult& r) {
                                                block = r.block;
                                                loop.quit();
                                            });
            receiver.startAll();
            sender.SendLong(requestAllMessage());
            QTimer::singleShot(10000, &loop, &QEventLoop::quit);
            loop.exec();
            QObject::disconnect(c);
            if (!block)
                ++failedGets;
            else if (*block != editor.refreshedBytes())
                ++mismatches;
            if (g == 0)
                rssAfterFirstHundred = residentKilobytes();
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
    }
    const InstrumentCounts counts = instrument->counts();
    const double rssEnd = residentKilobytes();
    state.counters["edits"] = edits;
    state.counters["gets"] = gets;
    state.counters["edits_lost"] = edits - counts.dataSetsApplied;
    state.counters["gets_not_loaded"] = failedGets;
    state.counters["gets_unequal"] = mismatches;
    state.counters["equal_at_end"] = instrument->image() == editor.refreshedBytes();
    state.counters["rss_kb_after_100"] = rssAfterFirstHundred;
    state.counters["rss_kb_end"] = rssEnd;
    state.counters["rss_growth_pct"] =
        100.0 * (rssEnd - rssAfterFirstHundred) / rssAfterFirstHundred;
    if (edits != counts.dataSetsApplied || failedGets || mismatches) {
        soakFailed = true;
        state.SkipWithError("messages were lost or misplaced");
    }
}
BENCHMARK(BM_SoakEditsAndGets)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return soakFailed ? 1 : 0;
}
