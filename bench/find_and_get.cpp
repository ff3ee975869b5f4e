// SPDX-License-Identifier: GPL-3.0-or-later
// Over a private JACK server, against the stand-in instrument on
// python-rtmidi (tests/support/jackinstrument.py) answering at full speed
// (100 times the MIDI wire rate):
// - the search over four devices, one of them the instrument, one a MIDI thru
//   loop and two silent, from start to its end. Goal: under 1.5 s.
// - `dorvane-cli get all`, from starting the process to its exit. Goal:
//   under 0.15 s.
#include "midi/midideviceregistry.h"
#include "midi/rtmididriver.h"
#include "patch/fileio.h"
#include "patch/initialpatch.h"
#include "transfer/instrumentsearch.h"

#include "benchjack.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace dorvane;
using dorvane::bench::JackServer;

namespace {

constexpr double FullSpeed = 312500;
// A smoke run (the test suite's) only proves the jobs still work end to end.
const bool Smoke = qEnvironmentVariableIsSet("DORVANE_BENCH_SMOKE");

// One run of the stand-in instrument, until this object goes.
class Peer
{
public:
    Peer(const QString& image, const QStringList& options)
    {
        m_process.setProgram("/usr/bin/python3");
        m_process.setArguments(
            QStringList{DORVANE_BENCH_DIR "/../tests/support/jackinstrument.py", "--image", image} +
            options);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        m_process.waitForStarted(10000);
        while (!m_process.canReadLine() && m_process.waitForReadyRead(15000)) {
        }
        m_ready = m_process.readLine().trimmed() == "READY";
    }
    ~Peer()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
    bool ready() const { return m_ready; }

private:
    QProcess m_process;
    bool m_ready = false;
};

QString imageFile(const QTemporaryDir& dir)
{
    const QString name = dir.filePath("peer.syx");
    writeFileAtomically(name.toStdString(), initialImage());
    return name;
}

} // namespace

static void BM_FindAmongFourDevicesOneInstrument(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString image = imageFile(dir);
    const QString rate = QString::number(FullSpeed);
    std::vector<std::unique_ptr<Peer>> peers;
    peers.push_back(std::make_unique<Peer>(image, QStringList{"--name", "loop", "--echo"}));
    peers.push_back(std::make_unique<Peer>(image, QStringList{"--name", "quiet1", "--silent"}));
    peers.push_back(
        std::make_unique<Peer>(image, QStringList{"--name", "inst", "--rate", rate, "--identity",
                                                  "41 12 34 56 78 00 01 02 03"}));
    peers.push_back(std::make_unique<Peer>(image, QStringList{"--name", "quiet2", "--silent"}));
    for (const auto& p : peers)
        if (!p->ready()) {
            state.SkipWithError("a peer did not start");
            return;
        }
    MidiDeviceRegistry registry;
    registry.addSource(std::make_shared<RtMidiDriver>());
    double seconds = 0;
    int found = 0;
    for (auto _ : state) {
        InstrumentSearch search(registry);
        QEventLoop loop;
        QObject::connect(&search, &InstrumentSearch::finished, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        search.start();
        if (search.isRunning())
            loop.exec();
        seconds += double(clock.nsecsElapsed()) / 1e9;
        found += search.result().instrument() ? 1 : 0;
    }
    state.counters["seconds"] = seconds / double(state.iterations());
    state.counters["found"] = double(found) / double(state.iterations());
}

static void BM_CliGetAllOverJack(benchmark::State& state)
{
    QTemporaryDir dir;
    Peer inst(imageFile(dir), {"--name", "inst", "--rate", QString::number(FullSpeed)});
    if (!inst.ready()) {
        state.SkipWithError("the peer did not start");
        return;
    }
    const QString cli = QCoreApplication::applicationDirPath() + "/dorvane-cli";
    const QStringList args = {"get",  "all",      "--out", "inst:in",
                              "--in", "inst-out", "-o",    dir.filePath("got.syx")};
    double seconds = 0;
    int failed = 0;
    for (auto _ : state) {
        QProcess p;
        QElapsedTimer clock;
        clock.start();
        p.start(cli, args);
        p.waitForFinished(30000);
        seconds += double(clock.nsecsElapsed()) / 1e9;
        failed += p.exitCode() != 0;
    }
    state.counters["seconds"] = seconds / double(state.iterations());
    state.counters["failed"] = failed;
    // The wire rate at full speed needs 29 ms for the 9,054 bytes.
    state.counters["times_wire_time"] = seconds / double(state.iterations()) / (9054 / FullSpeed);
}

int main(int argc, char** argv)
{
    return bench::runWithJack(argc, argv, [] {
        benchmark::RegisterBenchmark("BM_FindAmongFourDevicesOneInstrument",
                                     BM_FindAmongFourDevicesOneInstrument)
            ->Iterations(Smoke ? 1 : 3)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_CliGetAllOverJack", BM_CliGetAllOverJack)
            ->Iterations(Smoke ? 1 : 10)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    });
}
