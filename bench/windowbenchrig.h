// SPDX-License-Identifier: GPL-3.0-or-later
// What the window benchmarks share: dialogs that answer nothing, a device
// that stamps the moment each message is handed to it (the end of an edit's
// way, timed where it happens rather than when the main loop next looks), the
// main window on the loopback driver with the start-up files copied beside a
// temporary "program", the waits on the event loop, and main().
#pragma once

#include "benchspin.h"
#include "editor/copycommands.h"
#include "editor/desktopfiles.h"
#include "editor/devicesetup.h"
#include "editor/filecommands.h"
#include "editor/historycommands.h"
#include "editor/librarycommands.h"
#include "editor/mainwindow.h"
#include "editor/presetsandscales.h"
#include "editor/settingsstore.h"
#include "editor/shakecommands.h"
#include "editor/toolcommands.h"
#include "editor/transfercommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"
#include "midi/dialogs.h"
#include "midi/loopbackdriver.h"
#include "midi/midideviceregistry.h"
#include "midi/mididrivererror.h"
#include "midi/midisender.h"
#include "midi/tmidioutput.h"
#include "player/tmidiapputil.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

namespace dorvane::bench {

// Runs the event loop until done() holds, sleeping between events as a real
// loop would, so that the sending threads get the processor; each event, the
// port's own wake-up included, ends a wait.
template <typename Done> void waitFor(Done done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The same, woken each millisecond at the latest, so the end is seen within a
// millisecond of its coming; false when `limit` passes first.
template <typename Done> bool waitFor(Done done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    QTimer tick;
    tick.start(1);
    waitFor([&] { return done() || std::chrono::steady_clock::now() >= deadline; });
    return done();
}

// Runs the event loop, spinning, until every message queued has gone.
inline void untilSenderIdle(MainWindow& window)
{
    while (!window.util().Sender().IsIdle())
        QCoreApplication::processEvents();
}

// main(): the benchmarks under a Qt application, offscreen unless the caller
// chose a platform; `beforeExit` ends what must go while the application is
// still there.
inline int runQtBenchmarks(int argc, char** argv, const std::function<void()>& beforeExit = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (beforeExit)
        beforeExit();
    return 0;
}

class SilentDialogs : public Dialogs
{
public:
    bool ask(const QString&, AskKind) override { return true; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QFont> chooseFont(const QFont&) override { return std::nullopt; }
};

class StampDriver : public MidiDriver
{
public:
    std::atomic<int> handed{0};
    std::atomic<std::int64_t> lastNs{0};

    static std::int64_t now()
    {
        return std::chrono::steady_clock::now().time_since_epoch().count();
    }

    // Seconds from the start of act() to the moment the count-th message
    // after it was handed over, the event loop running meanwhile.
    template <typename Act> double secondsUntilHanded(int count, Act act)
    {
        const int target = handed + count;
        const std::int64_t start = now();
        act();
        waitFor([&] { return handed >= target; });
        return double(lastNs - start) * 1e-9;
    }

    MidiDeviceNames devices() override { return {{"Stamp"}, {}, {}, {}}; }
    std::unique_ptr<MidiOutputConnection> openOutput(int, const std::string&) override
    {
        struct Out : MidiOutputConnection
        {
            StampDriver* d;
            explicit Out(StampDriver* driver) : d(driver) {}
            void transmit(ByteView) override
            {
                d->lastNs = now();
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

// Output 0 is the stamping device, output 1 the loopback's "Bench"; sources
// added before the window is made come after them.
struct WindowBenchRig
{
    QTemporaryDir dir;
    std::shared_ptr<StampDriver> stamp = std::make_shared<StampDriver>();
    std::shared_ptr<LoopbackDriver> driver = std::make_shared<LoopbackDriver>();
    MidiDeviceRegistry registry;
    SilentDialogs dialogs;
    // Last, so it goes before what it uses.
    std::unique_ptr<MainWindow> window;

    explicit WindowBenchRig(int output = 1)
    {
        registry.addSource(stamp);
        driver->addDevice("Bench");
        driver->setEcho("Bench", false);
        registry.addSource(driver);
        const QString bin = QCoreApplication::applicationDirPath();
        for (const char* f : {"perf.syx", "wavelist.txt"})
            std::filesystem::copy_file((bin + "/" + f).toStdString(),
                                       dir.filePath(f).toStdString());
        store("midiout", QString::number(output));
        store("autotrig", "0");
    }

    // Settings as a previous run left them ("setup" group).
    void store(const QString& key, const QString& value)
    {
        QSettings s(dir.filePath("settings.ini"), QSettings::IniFormat);
        s.setValue("setup/" + key, value);
    }

    std::unique_ptr<MainWindow> makeWindow()
    {
        MainWindow::Setup setup;
        setup.dialogs = &dialogs;
        setup.settings = std::make_unique<SettingsStore>(dir.filePath("settings.ini"));
        setup.programFolder = dir.path();
        setup.dataFolder = dir.filePath("data");
        setup.devices = &registry;
        return std::make_unique<MainWindow>(std::move(setup));
    }

    // The window made, shown and settled.
    MainWindow& openWindow()
    {
        window = makeWindow();
        window->show();
        // Drawn, with the devices listed and the remembered ports opened.
        spin([&] { return window->deviceSetup().portsStarted(); });
        return *window;
    }
};

} // namespace dorvane::bench
