// SPDX-License-Identifier: GPL-3.0-or-later
// The real main window on the loopback driver, with settings in a temporary
// folder, the start-up files beside a temporary "program", and the dialog seam
// answered by the test. take() reads back exactly what went out since the last
// look.
#pragma once

#include "editor/copycommands.h"
#include "editor/desktopfiles.h"
#include "editor/devicesetup.h"
#include "editor/filecommands.h"
#include "editor/historycommands.h"
#include "editor/instrumentfinder.h"
#include "editor/librarycommands.h"
#include "editor/mainwindow.h"
#include "editor/presetsandscales.h"
#include "editor/settingsstore.h"
#include "editor/shakecommands.h"
#include "editor/tdragtweak.h"
#include "editor/toolcommands.h"
#include "editor/transfercommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"
#include "midi/loopbackdriver.h"
#include "midi/midideviceregistry.h"
#include "midi/midisender.h"
#include "midi/tmidioutput.h"
#include "player/tmidiapputil.h"
#include "support/scripteddialogs.h"
#include "support/sentmessages.h"
#include "support/testutil.h"
#include "support/widgetinput.h"

#include <QDeadlineTimer>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace dorvane::test {

using Messages = std::vector<std::string>;

// Waits for a condition while the event loop runs, waking as soon as an event
// comes (QTest::qWaitFor sleeps 10 ms at a time, longer than a fast device
// takes to fill the input port's buffers).
template <typename Predicate> bool waitUntil(Predicate predicate, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    QTimer tick;
    tick.start(2);
    while (!predicate()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

struct WindowRig
{
    static constexpr const char* Devices[] = {"Synth A", "Synth B", "Synth C"};

    TempDir dir;
    std::shared_ptr<LoopbackDriver> driver = std::make_shared<LoopbackDriver>();
    MidiDeviceRegistry registry;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    QString libraryFile; // the library's index, when the test wants one

    WindowRig()
    {
        for (const char* name : Devices) {
            driver->addDevice(name);
            driver->setEcho(name, false);
        }
        registry.addSource(driver);
        for (const char* file : {"perf.syx", "wavelist.txt"})
            std::filesystem::copy_file(binDir() + "/" + file, this->file(file));
        // A window that starts with no output offers to search for the
        // instrument once; the tests of that offer take this back.
        store("findoffered", "1");
    }

    std::string file(const std::string& name) const { return dir.file(name); }
    QString iniFile() const { return QString::fromStdString(file("settings.ini")); }
    // Where the window keeps the image between runs.
    QString dataFolder() const { return QString::fromStdString(file("data")); }

    // Settings as a previous run left them ("setup" group).
    void store(const QString& key, const QString& value)
    {
        QSettings s(iniFile(), QSettings::IniFormat);
        s.setValue("setup/" + key, value);
    }
    QString stored(const QString& key) const
    {
        QSettings s(iniFile(), QSettings::IniFormat);
        return s.value("setup/" + key).toString();
    }

    MainWindow& open()
    {
        MainWindow::Setup setup;
        setup.dialogs = &dialogs;
        setup.settings = std::make_unique<SettingsStore>(iniFile());
        setup.programFolder = QString::fromStdString(dir.path().string());
        setup.devices = &registry;
        setup.libraryFile = libraryFile;
        setup.dataFolder = dataFolder();
        window = std::make_unique<MainWindow>(std::move(setup));
        window->show();
        // The devices are listed and the remembered ports opened once the
        // window is drawn.
        waitUntil([&] { return window->deviceSetup().portsStarted(); });
        return *window;
    }

    // The window on an open output (device 0, "Synth A"), test notes off.
    MainWindow& openPlaying()
    {
        store("midiout", "0");
        store("autotrig", "0");
        MainWindow& w = open();
        w.util().SetVelRnd(0);
        return w;
    }

    void closeWindow()
    {
        dialogs.answers.push_back(true);
        window->close();
        window.reset();
    }

    TDragTweak* control(const char* name) { return window->sheets().control(name); }

    // A left release on a control after setting its position, as a drag ends.
    void release(const char* name, int position, Qt::MouseButton button = Qt::LeftButton)
    {
        TDragTweak* c = control(name);
        c->SetPosition(position);
        test::release(c, QPoint(2, 2), button);
    }

    Messages take(const char* device = Devices[0])
    {
        return takeSent(*driver, window->midiOutput(), window->util().Sender(), device);
    }
};

} // namespace dorvane::test
