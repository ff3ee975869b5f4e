// SPDX-License-Identifier: GPL-3.0-or-later
// Grabs the main window as a new user meets it, sheet by sheet for part 1 and
// part R, then the copy panel in its three modes, the MIDI monitor, the drum
// mixer and the look-up box, into PNG files: windowshots OUTFOLDER
// [WIDTHxHEIGHT]. Run it on the offscreen platform or under Xvfb, with
// QT_SCALE_FACTOR for high-DPI looks.
#include "app/qtdialogs.h"
#include "editor/drummixerpanel.h"
#include "editor/mainwindow.h"
#include "editor/trevscrb.h"
#include "editor/midimonitor.h"
#include "editor/settingsstore.h"
#include "editor/tdragtweak.h"
#include "midi/builtininstrument.h"
#include "midi/midideviceregistry.h"
#include "quickedit/tform3.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QPixmap>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>

using namespace dorvane;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: windowshots OUTFOLDER [WIDTHxHEIGHT]\n");
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    QSize size(1366, 740);
    if (argc > 2) {
        const QStringList wh = QString(argv[2]).split('x');
        size = QSize(wh.value(0).toInt(), wh.value(1).toInt());
    }

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
    MainWindow window(std::move(setup));
    window.resize(size);
    window.show();
    std::printf("size hint %dx%d, shown at %dx%d\n", window.sizeHint().width(),
                window.sizeHint().height(), window.width(), window.height());

    const char* sheetNames[] = {"tone", "common", "setup"};
    for (int part : {0, 7}) {
        window.selectPart(part);
        for (int s = 0; s < 3; ++s) {
            if (part == 7 && s == 2)
                continue;
            window.showSheet(Sheet(s));
            QApplication::processEvents();
            const QString file =
                QString("%1/part%2-%3.png").arg(out, part == 7 ? "R" : "1", sheetNames[s]);
            window.grab().save(file);
            std::printf("%s\n", qPrintable(file));
        }
    }
    // Part 3 with a preset called up and a temperament chosen, as the "Done
    // when" of the preset and scale panels reads.
    window.selectPart(2);
    window.showSheet(Sheet::Common);
    window.bankList()->setCurrentIndex(2);
    emit window.bankList()->activated(2);
    window.presetList()->setCurrentIndex(4);
    emit window.presetList()->activated(4);
    window.scaleList()->setCurrentIndex(window.scaleList()->findText("Werckmeister III",
                                                                     Qt::MatchEndsWith));
    window.control("key")->SetPosition(2);
    QApplication::processEvents();
    const QString presetsFile = out + "/part3-common-presets.png";
    window.grab().save(presetsFile);
    std::printf("%s\n", qPrintable(presetsFile));

    // The copy panel: a tone of part 2 onto part 5, a run of drum notes, and a
    // kit file beside part R (the start-up image stands in for a saved kit).
    auto shot = [&](const QString& name) {
        QApplication::processEvents();
        const QString file = QString("%1/%2.png").arg(out, name);
        window.grab().save(file);
        std::printf("%s\n", qPrintable(file));
    };
    CopyPanel* panel = window.copyPanel();
    window.selectPart(1);
    window.action("CopyToneOrDrum")->trigger();
    panel->partList(CopyPanel::Destination)->setCurrentIndex(4);
    emit panel->partList(CopyPanel::Destination)->activated(4);
    panel->select(CopyPanel::Source, 1);
    panel->select(CopyPanel::Destination, 3);
    shot("copy-tone");
    window.copyDone();
    window.selectPart(7);
    window.selectDrumNote(10);
    window.action("CopyToneOrDrum")->trigger();
    panel->select(CopyPanel::Destination, 20);
    shot("copy-drum");
    window.copyDone();
    dialogs.files.push_back(QCoreApplication::applicationDirPath() + "/perf.syx");
    window.action("ExtractDrumNotes")->trigger();
    panel->select(CopyPanel::Source, 2);
    panel->select(CopyPanel::Destination, 2);
    shot("copy-extract");
    window.copyDone();

    // The MIDI monitor after an edit, a panic and a part fetched from the instrument.
    window.selectPart(0);
    window.showSheet(Sheet::Tone);
    TDragTweak* cutoff = window.control("cutoff");
    cutoff->SetPosition(90);
    cutoff->RaiseMouseUp(Qt::LeftButton, Qt::NoModifier, QPoint());
    window.panic();
    window.action("GetPart")->trigger(); // the scripted answer is Yes
    QDeadlineTimer deadline(5000);
    while (!window.pages()->isVisible() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    window.action("MidiMonitor")->trigger();
    window.monitor().flush();
    QApplication::processEvents();
    const QString monitorFile = out + "/monitor.png";
    window.monitor().grab().save(monitorFile);
    std::printf("%s\n", qPrintable(monitorFile));

    // The drum mixer on part R's kick and snare after their level came down, and
    // the control-change look-up of part 1 tone 2 in the box the program shows.
    // Kicks, snares and hi-hats on their own waves, as a kit would have them.
    const std::pair<int, int> kit[] = {{0, 478}, {1, 464}, {3, 399}, {5, 379},
                                       {7, 286}, {9, 308}, {11, 322}, {4, 353}};
    for (const auto& [note, wave] : kit)
        window.image().WriteWave(RhythmPart, note, wave);
    window.action("DrumMixer")->trigger();
    DrumMixerPanel& mixer = *window.drumMixer();
    for (int row : {0, 1, 3, 5})
        mixer.noteList()->item(row)->setSelected(true);
    mixer.fader()->SetRevPosition(90);
    mixer.apply();
    QApplication::processEvents();
    const QString mixerFile = out + "/drum-mixer.png";
    window.grab().save(mixerFile);
    std::printf("%s\n", qPrintable(mixerFile));
    mixer.closeButton()->click();

    window.selectShownTone(2);
    window.action("CcLookUp")->trigger();
    QtDialogs boxes(&window);
    const QString lookUpFile = out + "/cc-lookup.png";
    QTimer::singleShot(0, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            box->grab().save(lookUpFile);
            box->close();
        }
    });
    boxes.ask(dialogs.lastText(), AskKind::Information);
    std::printf("%s\n", qPrintable(lookUpFile));
    // The knob window over part 3, tone 2, as a musician turning it would see it.
    auto* knobs = new Tform3(window);
    window.selectPart(2);
    window.selectShownTone(2);
    window.toggleQuickEdit();
    QApplication::processEvents();
    const QString knobFile = out + "/knobs.png";
    knobs->grab().save(knobFile);
    std::printf("%s (%dx%d)\n", qPrintable(knobFile), knobs->width(), knobs->height());
    // The answer to "Exit Dorvane now?" is Yes.
    return 0;
}
