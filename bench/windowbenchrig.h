// SPDX-License-Identifier: GPL-3.0-or-later
// What the window benchmarks share: dialogs that answer nothing, a device
// that stamps the moment each message is handed to it (the end of an edit's
// way, timed where it happens rather than when the main loop next looks), and
// the main window on the loopback driver with the start-up files copied beside
// a temporary "program".
#pragma once

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

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>

namespace dorvane::bench {

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

// Output 0 is the stamping device, output 1 the loopback's "Bench".
struct WindowBenchRig
{
    QTemporaryDir dir;
    std::shared_ptr<StampDriver> stamp = std::make_shared<StampDriver>();
    std::shared_ptr<LoopbackDriver> driver = std::make_shared<LoopbackDriver>();
    MidiDeviceRegistry registry;
    SilentDialogs dialogs;

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
        QSettings s(dir.filePath("settings.ini"), QSettings::IniFormat);
        s.setValue("setup/midiout", QString::number(output));
        s.setValue("setup/autotrig", "0");
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
};

} // namespace dorvane::bench
