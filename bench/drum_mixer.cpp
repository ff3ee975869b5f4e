// SPDX-License-Identifier: GPL-3.0-or-later
// The drum mixer's fader let go of with all 64 drum notes selected: 64 image
// writes, 64 messages handed to the driver and 64 lines rewritten.
#include "editor/drummixerpanel.h"
#include "editor/mainwindow.h"
#include "editor/settingsstore.h"
#include "editor/trevscrb.h"
#include "midi/midideviceregistry.h"
#include "midi/mididrivererror.h"
#include "midi/midisender.h"
#include "midi/tmidioutput.h"
#include "player/dialogs.h"
#include "player/tmidiapputil.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <filesystem>

using namespace dorvane;

namespace {

class SilentDialogs : public Dialogs
{
public:
    bool ask(const QString&, AskKind) override { return true; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QFont> chooseFont(const QFont&) override { return std::nullopt; }
};

// A device that notes when each message is handed to it, so the figure ends
// where the messages leave the program, not when the main loop next looks.
class StampDriver : public MidiDriver
{
public:
    std::atomic<int> handed{0};
    std::atomic<std::int64_t> lastNs{0};

    MidiDeviceNames devices() override { return {{"Stamp"}, {}, {}, {}}; }
    std::unique_ptr<MidiOutputConnection> openOutput(int, const std::string&) override
    {
        struct Out : MidiOutputConnection
        {
            StampDriver* d;
            explicit Out(StampDriver* driver) : d(driver) {}
            void transmit(ByteView) override
            {
                d->lastNs = std::chrono::steady_clock::now().time_since_epoch().count();
                ++d->handed;
            }
            std::size_t maxMessageSize() const override { return 65535; }
            std::size_t bytesPerSecond() const override { return 0; }
        };
        return std::make_unique<Out>(this);
    }
    std::unique_ptr<MidiInputConnection> openInput(int, const std::string&, MidiInputSink&) override
    {
        throw MidiDriverError(MidiResult::BadDeviceId, "no input");
    }
};

struct Rig
{
    QTemporaryDir dir;
    std::shared_ptr<StampDriver> stamp = std::make_shared<StampDriver>();
    MidiDeviceRegistry registry;
    SilentDialogs dialogs;
    std::unique_ptr<MainWindow> window;

    Rig()
    {
        registry.addSource(stamp);
        const QString bin = QCoreApplication::applicationDirPath();
        for (const char* f : {"perf.syx", "wavelist.txt"})
            std::filesystem::copy_file((bin + "/" + f).toStdString(),
                                       dir.filePath(f).toStdString());
        {
            QSettings s(dir.filePath("settings.ini"), QSettings::IniFormat);
            s.setValue("setup/midiout", "0");
            s.setValue("setup/autotrig", "0");
        }
        MainWindow::Setup setup;
        setup.dialogs = &dialogs;
        setup.settings = std::make_unique<SettingsStore>(dir.filePath("settings.ini"));
        setup.programFolder = dir.path();
        setup.devices = &registry;
        window = std::make_unique<MainWindow>(std::move(setup));
        window->show();
        window->action("DrumMixer")->trigger();
        window->drumMixer()->noteList()->selectAll();
        QApplication::processEvents();
    }
};

} // namespace

// From the start of the fader's release to the moment the 64th message is
// handed to the driver (the main loop may still be repainting the list).
static void BM_MixerReleaseAll64ToDriver(benchmark::State& state)
{
    Rig r;
    TRevScrB* fader = r.window->drumMixer()->fader();
    int value = 0;
    for (auto _ : state) {
        const int target = r.stamp->handed + DrumNoteCount;
        fader->SetRevPosition(value++ & 0x7F);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        const auto start = std::chrono::steady_clock::now().time_since_epoch().count();
        QApplication::sendEvent(fader, &release);
        while (r.stamp->handed < target)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(double(r.stamp->lastNs - start) * 1e-9);
        while (!r.window->util().Sender().IsIdle())
            QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_MixerReleaseAll64ToDriver)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The release alone: writes, messages built and queued, lines rewritten.
static void BM_MixerReleaseAll64(benchmark::State& state)
{
    Rig r;
    DrumMixerPanel& mixer = *r.window->drumMixer();
    int value = 0;
    for (auto _ : state) {
        mixer.fader()->SetRevPosition(value++ & 0x7F);
        mixer.apply();
        state.PauseTiming();
        while (!r.window->util().Sender().IsIdle())
            QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MixerReleaseAll64)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
