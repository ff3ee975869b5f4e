// SPDX-License-Identifier: GPL-3.0-or-later
// Grabs the main window as a new user meets it, sheet by sheet for part 1 and
// part R, a Get and the differences it weighs, the knob window, the copy
// panel in its three modes, Find Instrument and the MIDI monitor, into the PNG
// files of docs/screenshots: windowshots OUTFOLDER [WIDTHxHEIGHT] [--dark]. Run it
// on the offscreen platform or under Xvfb; with QT_SCALE_FACTOR=2 it makes the
// "-200" shots, with --dark the "-dark" ones (the main window, the knob window,
// the drum mixer, the copy panel and the library in the dark scheme).
// `cmake --build build --target screenshots` makes them all.
#include "app/qtdialogs.h"
#include "editor/breedcommands.h"
#include "editor/breedpanel.h"
#include "editor/copycommands.h"
#include "editor/desktopfiles.h"
#include "editor/devicesetup.h"
#include "editor/differencespanel.h"
#include "editor/drummixerpanel.h"
#include "editor/filecommands.h"
#include "editor/findinstrumentpanel.h"
#include "editor/historycommands.h"
#include "editor/instrumentfinder.h"
#include "editor/interfacepalette.h"
#include "editor/interfacestyle.h"
#include "editor/librarycommands.h"
#include "editor/librarypanel.h"
#include "editor/mainwindow.h"
#include "editor/midimonitor.h"
#include "editor/morphcommands.h"
#include "editor/morphpanel.h"
#include "editor/presetsandscales.h"
#include "editor/settingsstore.h"
#include "editor/shakecommands.h"
#include "editor/tdragtweak.h"
#include "editor/toolcommands.h"
#include "editor/transfercommands.h"
#include "editor/trevscrb.h"
#include "editor/valuesheets.h"
#include "editor/verifycommands.h"
#include "editor/windowframe.h"
#include "editor/windowtexts.h"
#include "library/library.h"
#include "midi/builtininstrument.h"
#include "midi/loopbackdriver.h"
#include "midi/midideviceregistry.h"
#include "quickedit/tform3.h"
#include "quickedit/tknob.h"
#include "support/scripteddialogs.h"
#include "tools/morph.h"
#include "transfer/dumpreceiver.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QEnterEvent>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

using namespace dorvane;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: windowshots OUTFOLDER [WIDTHxHEIGHT] [--dark]\n");
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    QSize size(1366, 740);
    bool dark = false;
    for (int i = 2; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--dark") {
            dark = true;
            continue;
        }
        const QStringList wh = arg.split('x');
        size = QSize(wh.value(0).toInt(), wh.value(1).toInt());
    }
    // The program's style, and the scheme the desktop would ask for, whatever
    // this machine's own is.
    useInterfaceStyle();
    applyColourScheme(dark ? ColourScheme::Dark : ColourScheme::Light);

    QTemporaryDir settingsDir;
    // The built-in instrument as the output and input, as a newcomer would choose.
    MidiDeviceRegistry registry;
    auto instrument = std::make_shared<BuiltInInstrument>(
        (QCoreApplication::applicationDirPath() + "/perf.syx").toStdString());
    instrument->setFullSpeed(true);
    registry.addSource(instrument);
    {
        QSettings s(settingsDir.filePath("dorvane.ini"), QSettings::IniFormat);
        s.setValue("setup/midiout", "0");
        s.setValue("setup/midiin", "0");
        s.setValue("setup/autotrig", "0");
    }
    test::ScriptedDialogs dialogs;
    MainWindow::Setup setup;
    setup.dialogs = &dialogs;
    setup.settings = std::make_unique<SettingsStore>(settingsDir.filePath("dorvane.ini"));
    setup.programFolder = QCoreApplication::applicationDirPath();
    setup.devices = &registry;
    setup.dataFolder = settingsDir.filePath("data");
    setup.libraryFile = settingsDir.filePath("library.sqlite");
    MainWindow window(std::move(setup));
    window.resize(size);
    window.show();
    // The devices are listed and the remembered ports opened once it is drawn.
    for (QDeadlineTimer drawn(10000); !window.deviceSetup().portsStarted() && !drawn.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("size hint %dx%d, shown at %dx%d\n", window.sizeHint().width(),
                window.sizeHint().height(), window.width(), window.height());

    // At a device pixel ratio of 2 (QT_SCALE_FACTOR=2) the shots that show how
    // the window scales: the Tone sheet and the knob window, named "-200".
    const bool doubled = window.devicePixelRatio() >= 2.0;
    const QString suffix = QString(dark ? "-dark" : "") + (doubled ? "-200" : "");
    // In the dark scheme, one picture of each window whose look it changes.
    const QStringList darkSet = {"window-part1-tone", "knobs", "window-drum-mixer",
                                 "window-copy-tone", "window-library"};
    auto save = [&](const QPixmap& shot, const QString& name) {
        if (dark && !darkSet.contains(name))
            return;
        const QString file = QString("%1/%2%3.png").arg(out, name, suffix);
        if (!shot.save(file))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        std::printf("%s (%dx%d)\n", qPrintable(file), shot.width(), shot.height());
    };
    const char* sheetNames[] = {"tone", "common", "setup"};
    for (int part : {0, 7}) {
        window.sheets().selectPart(part);
        for (int s = 0; s < 3; ++s) {
            // Part R's Tone sheet shows what differs there; the rest at 100 % only.
            if ((part == 7 && s != 0) || (doubled && (part == 7 || s != 0)))
                continue;
            window.sheets().showSheet(Sheet(s));
            QApplication::processEvents();
            save(window.grab(),
                 QString("window-part%1-%2").arg(part == 7 ? "R" : "1", sheetNames[s]));
        }
    }
    // A window too narrow for the Tone sheet's three columns: its panels wrap
    // into two, and the sheet scrolls up and down.
    if (!doubled) {
        window.sheets().selectPart(0);
        window.sheets().showSheet(Sheet::Tone);
        window.resize(1000, size.height());
        QApplication::processEvents();
        save(window.grab(), "window-part1-tone-narrow");
        window.resize(size);
        QApplication::processEvents();
    }
    // Part 3 with a preset called up and a temperament chosen, as the "Done
    // when" of the preset and scale panels reads.
    window.sheets().selectPart(2);
    window.sheets().showSheet(Sheet::Common);
    window.presets().bankList()->setCurrentIndex(2);
    emit window.presets().bankList()->activated(2);
    window.presets().presetList()->setCurrentIndex(4);
    emit window.presets().presetList()->activated(4);
    window.presets().scaleList()->setCurrentIndex(
        window.presets().scaleList()->findText("Werckmeister III", Qt::MatchEndsWith));
    window.sheets().control("key")->SetPosition(2);
    QApplication::processEvents();
    save(window.grab(), "window-part3-common-presets");

    // A Get of all parts at the instrument's own pace, caught half way.
    instrument->setFullSpeed(false);
    window.frame().action("Get8Part")->trigger(); // the scripted answer is Yes
    QDeadlineTimer halfway(10000);
    while (window.transfers().receiver().Received().size() < 4000 && !halfway.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QApplication::processEvents();
    save(window.grab(), "window-get");
    while (!window.sheets().pages()->isVisible() && !halfway.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    instrument->setFullSpeed(true);

    // Find Instrument with two interfaces more plugged in, one of them wired
    // back to itself, and the offer to use the instrument declined.
    auto interfaces = std::make_shared<LoopbackDriver>();
    interfaces->addDevice("USB MIDI Interface");
    interfaces->addDevice("USB MIDI Thru Box");
    interfaces->setEcho("USB MIDI Interface", false);
    registry.addSource(interfaces);
    window.sheets().showSheet(Sheet::Setup);
    dialogs.answers.push_back(false);
    window.finder().findButton()->click();
    QDeadlineTimer searched(10000);
    while ((window.finder().searching() || dialogs.answers.size() > 0) && !searched.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QApplication::processEvents();
    save(window.grab(), "window-find");
    window.finder().panel()->backButton()->click();
    // The differences page: part 3 edited and not saved, the instrument never
    // told; a Get of the part asks, and "Show the differences" lists them.
    // Sorted by where in the part; taking theirs afterwards puts part 3 back
    // as it was.
    window.sheets().selectPart(2);
    window.session().apply(
        "edits",
        [](t505temppatch& image) {
            image.SetPatchName(2, "WARM BASS");
            image.WriteByte(2, 2, 81, 107); // Cutoff Frequency
            image.WriteByte(2, 2, 82, 30);  // Cutoff Keyfollow
            image.WriteByte(2, 1, 91, 12);
            image.WriteWave(2, 3, 120);
            image.WriteByte(2, 4, 81, 127 - image.ReadByte(2, 4, 81));
        },
        EditSession::Sending::Nothing);
    dialogs.choices.push_back(1);
    window.frame().action("GetPart")->trigger();
    QDeadlineTimer shown(5000);
    while (window.frame().shownInSheetArea() != window.verify().differencesPage() &&
           !shown.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    window.verify().differencesPanel()->table()->sortByColumn(DifferencesPanel::WhereColumn,
                                                              Qt::AscendingOrder);
    QApplication::processEvents();
    save(window.grab(), "window-differences");
    if (QPushButton* theirs = window.verify().differencesPanel()->takeTheirsButton(2))
        theirs->click();

    // The knob window over part 3, tone 2 alone, with cutoff and resonance
    // turned and the pointer on the resonance knob.
    auto* knobs = new Tform3(window.parts());
    window.sheets().selectPart(0);
    window.sheets().showSheet(Sheet::Tone);
    window.sheets().selectPart(2);
    window.sheets().toneBoxReleased(2, Qt::ShiftModifier);
    window.toggleQuickEdit();
    for (const auto& [name, value] : {std::pair{"cutoff", 88}, std::pair{"q", 64}}) {
        tknob* k = knobs->knob(name);
        k->SetPosition(value);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(4, 4), QPointF(4, 4),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(k, &release);
        QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
        QApplication::sendEvent(k, &enter);
    }
    QApplication::processEvents();
    save(knobs->grab(), "knobs");

    // The copy panel: a tone of part 2 onto part 5, a run of drum notes, and a
    // kit file beside part R (the start-up image stands in for a saved kit).
    auto shot = [&](const QString& name) {
        QApplication::processEvents();
        // At 200 % the kit file's panel alone shows how the lists scale.
        if (!doubled || dark || name == "window-copy-extract")
            save(window.grab(), name);
    };
    CopyPanel* panel = window.copy().copyPanel();
    window.sheets().selectPart(1);
    window.frame().action("CopyToneOrDrum")->trigger();
    panel->partList(CopyPanel::Destination)->setCurrentIndex(4);
    emit panel->partList(CopyPanel::Destination)->activated(4);
    panel->select(CopyPanel::Source, 1);
    panel->select(CopyPanel::Destination, 3);
    shot("window-copy-tone");
    window.copy().copyDone();
    window.sheets().selectPart(7);
    window.sheets().selectDrumNote(10);
    window.frame().action("CopyToneOrDrum")->trigger();
    panel->select(CopyPanel::Destination, 20);
    shot("window-copy-drum");
    window.copy().copyDone();
    dialogs.files.push_back(QCoreApplication::applicationDirPath() + "/perf.syx");
    window.frame().action("ExtractDrumNotes")->trigger();
    panel->select(CopyPanel::Source, 2);
    panel->select(CopyPanel::Destination, 2);
    shot("window-copy-extract");
    window.copy().copyDone();

    // The drum mixer on part R's kick and snare after their level came down, and
    // the control-change look-up of part 1 tone 2 in the box the program shows.
    // Kicks, snares and hi-hats on their own waves, as a kit would have them.
    knobs->hide();
    const std::pair<int, int> kit[] = {{0, 478}, {1, 464}, {3, 399},  {5, 379},
                                       {7, 286}, {9, 308}, {11, 322}, {4, 353}};
    for (const auto& [note, wave] : kit)
        window.image().WriteWave(RhythmPart, note, wave);
    window.frame().action("DrumMixer")->trigger();
    DrumMixerPanel& mixer = *window.tools().drumMixer();
    for (int row : {0, 1, 3, 5})
        mixer.noteList()->item(row)->setSelected(true);
    mixer.fader()->SetRevPosition(90);
    mixer.apply();
    QApplication::processEvents();
    save(window.grab(), "window-drum-mixer");
    mixer.closeButton()->click();

    // Part 1 a third of the way towards part 2, and the breed's tiles with
    // one heard and two marked.
    window.sheets().selectPart(0);
    window.frame().action("Morph")->trigger();
    window.parts().morph->panel()->slider()->setValue(MorphMax / 3);
    QApplication::processEvents();
    save(window.grab(), "window-morph");
    window.parts().morph->cancel();
    window.random().setFixedSeed(1);
    window.frame().action("Breed")->trigger();
    window.parts().breed->tryTile(2);
    window.parts().breed->panel()->favouriteBox(2)->setChecked(true);
    window.parts().breed->panel()->favouriteBox(5)->setChecked(true);
    QApplication::processEvents();
    save(window.grab(), "window-breed");
    window.parts().breed->cancel();

    window.sheets().selectPart(0);
    window.sheets().selectShownTone(2);
    window.frame().action("CcLookUp")->trigger();
    QtDialogs boxes(&window);
    QTimer::singleShot(0, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            save(box->grab(), "cc-lookup");
            box->close();
        }
    });
    boxes.ask(dialogs.lastText(), AskKind::Information);

    // The library at the window's size: on a laptop's screen it floats over
    // the window's right edge and the sheets keep their width. The program's
    // own start-up files stand in for a folder of patches.
    window.sheets().selectPart(0);
    window.sheets().showSheet(Sheet::Tone);
    window.frame().action("ViewLibrary")->trigger();
    LibraryPanel* library = window.library().libraryPanel();
    if (window.library().library() && window.library().library()->folders().isEmpty()) {
        dialogs.folders.push_back(QCoreApplication::applicationDirPath());
        library->action("LibraryAddFolder")->trigger();
    }
    QDeadlineTimer scanned(20000);
    while (window.library().library() && window.library().library()->scanning() &&
           !scanned.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    {
        QPixmap shot = window.grab();
        if (library->isFloating()) {
            QPainter painter(&shot);
            painter.drawPixmap(library->mapToGlobal(QPoint(0, 0)) -
                                   window.mapToGlobal(QPoint(0, 0)),
                               library->grab());
        }
        save(shot, "window-library");
    }
    library->hide();

    if (doubled || dark)
        return 0;

    // A value's shake menu over the Pitch and Filter panels, with its hint in
    // the status line. A popup is a window of its own, so it is drawn onto the
    // grab of the main window where it opened (not where a small offscreen
    // screen may have pushed it).
    window.sheets().selectPart(0);
    window.sheets().showSheet(Sheet::Tone);
    QApplication::processEvents();
    TDragTweak* resonance = window.sheets().control("q");
    const QPoint pressed(resonance->width() / 2, resonance->height() / 2);
    window.shake().openShakeMenu(resonance, pressed);
    QMenu* menu = window.shake().shakeMenu();
    menu->setActiveAction(menu->actions().front());
    emit menu->hovered(menu->actions().front());
    QApplication::processEvents();
    {
        QPixmap shot = window.grab();
        QPainter painter(&shot);
        painter.drawPixmap(resonance->mapTo(&window, pressed), menu->grab());
        painter.end();
        const QWidget* pitch = window.sheets().panel("pitchpanel");
        const QPoint corner = pitch->mapTo(&window, QPoint(0, 0)) - QPoint(8, 2);
        const QRect area(corner, QPoint(corner.x() + 919, window.height() - 1));
        const QString file = out + "/shake-menu.png";
        shot.copy(QRect(area.topLeft() * shot.devicePixelRatio(),
                        area.size() * shot.devicePixelRatio()))
            .save(file);
        std::printf("%s\n", qPrintable(file));
    }
    menu->hide();

    // The shake options on the setup sheet, with the hint of an amount.
    window.resize(930, 325);
    window.sheets().showSheet(Sheet::Setup);
    window.frame().setStatusText(texts::ShakeAmountHint);
    QApplication::processEvents();
    const QString optionsFile = out + "/shake-options.png";
    window.grab().save(optionsFile);
    std::printf("%s\n", qPrintable(optionsFile));
    window.resize(size);

    // First ten minutes: a value of part 1 edited, and the Edit menu dropped
    // down to take it back, drawn where it opens under its title.
    knobs->hide();
    window.sheets().selectPart(0);
    window.sheets().showSheet(Sheet::Tone);
    TDragTweak* firstEdit = window.sheets().control("cutoff");
    firstEdit->SetPosition(100);
    firstEdit->RaiseMouseUp(Qt::LeftButton, Qt::NoModifier, QPoint());
    if (QMenu* edit = window.menuBar()->findChild<QMenu*>("EditMenu")) {
        const QRect title = window.menuBar()->actionGeometry(edit->menuAction());
        const QPoint drop = window.menuBar()->mapTo(&window, title.bottomLeft());
        edit->popup(window.mapToGlobal(drop));
        edit->setActiveAction(window.frame().action("Undo"));
        QApplication::processEvents();
        QPixmap shot = window.grab();
        QPainter painter(&shot);
        painter.drawPixmap(drop, edit->grab());
        painter.end();
        edit->hide();
        save(shot, "first-undo");
    }

    // The MIDI monitor after an edit, a panic and a part fetched from the instrument.
    knobs->hide();
    window.sheets().selectPart(0);
    window.sheets().showSheet(Sheet::Tone);
    TDragTweak* cutoff = window.sheets().control("cutoff");
    cutoff->SetPosition(90);
    cutoff->RaiseMouseUp(Qt::LeftButton, Qt::NoModifier, QPoint());
    window.deviceSetup().panic();
    window.frame().action("GetPart")->trigger(); // the scripted answer is Yes
    QDeadlineTimer deadline(5000);
    while (!window.sheets().pages()->isVisible() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    window.frame().action("MidiMonitor")->trigger();
    window.monitor().flush();
    QApplication::processEvents();
    save(window.monitor().grab(), "midi-monitor");
    window.monitor().hide();

    // The USB interface chosen, then unplugged: the selector still names it,
    // as gone, and every part is not known.
    const auto usb = registry.findOutput("USB MIDI Interface", 0);
    const auto usbIn = registry.findInput("USB MIDI Interface", 0);
    if (!usb || !usbIn)
        std::fprintf(stderr, "no USB MIDI Interface listed\n");
    else if (const auto problem = window.deviceSetup().chooseInstrument(
                 *usb, "USB MIDI Interface", *usbIn, "USB MIDI Interface", DeviceId))
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
    window.sheets().showSheet(Sheet::Setup);
    interfaces->removeDevice("USB MIDI Interface");
    TDragTweak* chosen = window.sheets().control("midiout");
    QDeadlineTimer gone(5000);
    while (!chosen->Items().value(chosen->Position()).endsWith("(gone)") && !gone.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    // The selector's new width reaches the sheet's layout on a later turn.
    QTest::qWait(200);
    save(window.grab(), "window-device-gone");
    // The answer to "Exit Dorvane now?" is Yes.
    return 0;
}
