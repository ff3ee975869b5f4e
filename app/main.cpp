// SPDX-License-Identifier: GPL-3.0-or-later
// Dorvane's entry: the application, the program's MIDI devices (the system's and
// the built-in instrument), the dialogs, the main window and the knob window.
#include "app/qtdialogs.h"
#include "editor/mainwindow.h"
#include "library/library.h"
#include "midi/builtininstrument.h"
#include "midi/midideviceregistry.h"
#include "player/tmidiapputil.h"
#include "quickedit/tform3.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Quellrin");
    QApplication::setApplicationName("Dorvane");
    QApplication::setApplicationDisplayName("Dorvane");
    QApplication::setApplicationVersion(DORVANE_VERSION);

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
    new dorvane::Tform3(window);
    dialogs.setParent(&window);
    window.show();
    return app.exec();
}
