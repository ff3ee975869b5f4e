// SPDX-License-Identifier: GPL-3.0-or-later
// Dorvane's entry: the application, the program's MIDI devices (the system's and
// the built-in instrument), the dialogs, the main window, the knob window, and a
// file from the command line or the desktop.
#include "app/qtdialogs.h"
#include "app/startoptions.h"
#include "editor/afterfirstpaint.h"
#include "editor/desktopfiles.h"
#include "editor/interfacepalette.h"
#include "editor/interfacestyle.h"
#include "editor/mainwindow.h"
#include "library/library.h"
#include "midi/builtininstrument.h"
#include "midi/midideviceregistry.h"
#include "player/tmidiapputil.h"
#include "quickedit/tform3.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

namespace {

void nameTheApplication()
{
    QCoreApplication::setOrganizationName("Quellrin");
    QCoreApplication::setApplicationName("Dorvane");
    QCoreApplication::setApplicationVersion(DORVANE_VERSION);
}

// Prints the answer to --help, --version or a wrong argument; the exit status.
int answer(const dorvane::StartOptions& options)
{
    using Action = dorvane::StartOptions::Action;
    const QByteArray text = options.text.toLocal8Bit();
    std::fputs(text.constData(), options.action == Action::Error ? stderr : stdout);
    if (!text.endsWith('\n'))
        std::fputc('\n', options.action == Action::Error ? stderr : stdout);
    return options.action == Action::Error ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (dorvane::wantsTextOnly(argc, argv)) {
        QCoreApplication app(argc, argv);
        nameTheApplication();
        return answer(dorvane::parseStartOptions(QCoreApplication::arguments()));
    }

    QApplication app(argc, argv);
    nameTheApplication();
    QApplication::setApplicationDisplayName("Dorvane");
    // Ties the windows to the menu entry (its icon in docks and on Wayland).
    QGuiApplication::setDesktopFileName("org.quellrin.Dorvane");
    const dorvane::StartOptions options = dorvane::parseStartOptions(QCoreApplication::arguments());
    if (options.action != dorvane::StartOptions::Action::Run)
        return answer(options);

    // One style and one palette for every window, light or dark as the desktop
    // prefers, before any window takes its colours.
    dorvane::useInterfaceStyle();
    dorvane::applyColourScheme(dorvane::preferredScheme());
    // And again whenever the desktop switches while the program runs.
    dorvane::ColourSchemeFollower schemeFollower;

    const QString folder = dorvane::TMIDIappUtil::ProgramFolder();
    // Without a groovebox at hand, the built-in one answers like the real thing.
    dorvane::MidiDeviceRegistry::application().addSource(
        std::make_shared<dorvane::BuiltInInstrument>((folder + "/perf.syx").toStdString()));

    dorvane::QtDialogs dialogs;
    dorvane::MainWindow::Setup setup;
    setup.dialogs = &dialogs;
    setup.programFolder = folder;
    setup.libraryFile = dorvane::Library::defaultDatabaseFile();
    dorvane::MainWindow window(std::move(setup));
    // The knob window, right after the main window, which owns it; hidden until F9.
    new dorvane::Tform3(window.parts());
    dialogs.setParent(&window);
    window.show();
    // Once the window is on the screen: reading the picture loads the image
    // plugins, which the first sight of the window need not wait for.
    dorvane::afterFirstPaint(
        window, [folder] { QApplication::setWindowIcon(QIcon(folder + "/dorvane.png")); });
    if (!options.file.isEmpty())
        window.desktop().openFile(options.file);
    return app.exec();
}
