// SPDX-License-Identifier: GPL-3.0-or-later
// Laying out the main window from its parts (the selection bar, the sheet area
// with the sheets and the pages of the modes that take their place) and
// building the menu bar.
#include "editor/breedcommands.h"
#include "editor/copycommands.h"
#include "editor/desktopfiles.h"
#include "editor/devicesetup.h"
#include "editor/filecommands.h"
#include "editor/historycommands.h"
#include "editor/instrumentfinder.h"
#include "editor/librarycommands.h"
#include "editor/mainwindow.h"
#include "editor/morphcommands.h"
#include "editor/presetsandscales.h"
#include "editor/shakecommands.h"
#include "editor/toolcommands.h"
#include "editor/transfercommands.h"
#include "editor/valuesheets.h"
#include "editor/verifycommands.h"
#include "editor/windowframe.h"

#include "editor/drummixerpanel.h"
#include "editor/midimonitor.h"
#include "editor/nameedit.h"
#include "editor/settingsstore.h"
#include "editor/tdragtweak.h"
#include "editor/trevscrb.h"
#include "editor/windowtexts.h"
#include "midi/dialogs.h"

#include <QAction>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace dorvane {

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("FileMenu");
    file->menuAction()->setStatusTip(texts::FileMenuHint);
    m_parts.frame->addAction(file, "Open8Part", texts::Open8Part,
                             QKeySequence(Qt::CTRL | Qt::Key_O), texts::Open8PartHint,
                             [this] { m_parts.files->open8Part(); });
    m_parts.frame->addAction(file, "OpenPart", texts::OpenPart, QKeySequence(Qt::CTRL | Qt::Key_L),
                             texts::OpenPartHint, [this] { m_parts.files->openPartFile(); });
    m_parts.desktop->buildRecentMenu(file);
    m_parts.frame->addAction(file, "Save8Part", texts::Save8Part,
                             QKeySequence(Qt::CTRL | Qt::Key_S), texts::Save8PartHint,
                             [this] { m_parts.files->save8Part(); });
    m_parts.frame->addAction(file, "SavePart", texts::SavePart, QKeySequence(Qt::CTRL | Qt::Key_A),
                             texts::SavePartHint, [this] { m_parts.files->savePartFile(); });
    file->addSeparator();
    m_parts.frame->addAction(file, "SavePartMidi", texts::SavePartMidi, {}, "",
                             [this] { m_parts.files->savePartMidi(); });
    m_parts.frame->addAction(file, "Save8PartMidi", texts::Save8PartMidi, {}, "",
                             [this] { m_parts.files->save8PartMidi(); });
    file->addSeparator();
    m_parts.frame->addAction(file, "AutoSave", texts::AutoSave, QKeySequence(Qt::CTRL | Qt::Key_E),
                             texts::FileMenuHint, [this] { m_parts.files->chooseAutoSaveFile(); });
    file->addSeparator();
    m_parts.frame->addAction(file, "Exit", "E&xit", QKeySequence(Qt::ALT | Qt::Key_F4), "",
                             [this] { close(); });

    m_parts.history->buildEditMenu();
    if (QMenu* edit = menuBar()->findChild<QMenu*>("EditMenu")) {
        edit->addSeparator();
        m_parts.morph->buildMenu(edit);
        m_parts.breed->buildMenu(edit);
    }

    QMenu* utility = menuBar()->addMenu("&Utility");
    utility->setObjectName("UtilityMenu");
    m_parts.frame->addAction(utility, "InitializePatch", texts::InitializePatch,
                             QKeySequence(Qt::CTRL | Qt::Key_F12), texts::InitializePatchHint,
                             [this] { m_parts.files->initializePatch(); });
    m_parts.copy->buildCopyMenu(utility);
    utility->addSeparator();
    m_parts.transfers->buildTransferMenu(utility);
    utility->addSeparator();
    m_parts.tools->buildToolsMenu(utility);
    utility->addSeparator();
    m_parts.frame->addAction(utility, "MidiMonitor", "MIDI &Monitor...",
                             QKeySequence(Qt::CTRL | Qt::Key_M),
                             "Show the messages going out and coming in, decoded", [this] {
                                 m_monitor->show();
                                 m_monitor->raise();
                             });
    m_parts.frame->addAction(utility, "Panic", "Panic", QKeySequence(Qt::ALT | Qt::Key_Backspace),
                             texts::PanicHint, [this] { m_parts.deviceSetup->panic(); });

    QMenu* jump = menuBar()->addMenu("&Jump");
    jump->setObjectName("JumpMenu");
    for (int i = 0; i < 8; ++i) {
        const QString label = i < 7 ? QString::number(i + 1) : QString("R");
        m_parts.frame->addAction(jump, "JumpPart" + label, label,
                                 QKeySequence(Qt::CTRL | (Qt::Key_1 + i)), texts::JumpPartsHint,
                                 [this, i] { m_parts.sheets->selectPart(i); });
    }
    jump->addSeparator();
    m_parts.frame->addAction(jump, "JumpDrumNote", "Drum Note Select",
                             QKeySequence(Qt::CTRL | Qt::Key_0), texts::JumpDrumHint, [this] {
                                 if (m_parts.sheets->drumNoteList()->isVisible())
                                     m_parts.sheets->drumNoteList()->setFocus();
                             });
    // The selector its hint names lives on the Common sheet, which has to be
    // shown for the list to take the keyboard.
    m_parts.frame->addAction(jump, "JumpPreset", "Preset Select",
                             QKeySequence(Qt::CTRL | Qt::Key_9), texts::JumpPresetHint, [this] {
                                 m_parts.sheets->showSheet(Sheet::Common);
                                 m_parts.presets->presetList()->setFocus();
                             });
    jump->addSeparator();
    const char* entries[] = {"Wave",   "Pitch", "Filter", "Amp",    "LFO",
                             "Common", "Mod",   "Part",   "System", "Setup"};
    for (int i = 0; i < 10; ++i) {
        const QString entry = entries[i];
        m_parts.frame->addAction(jump, "Jump" + entry, entry,
                                 QKeySequence(Qt::SHIFT | (Qt::Key_F1 + i)), "",
                                 [this, entry] { m_parts.sheets->jumpTo(entry); });
    }

    // A command of its own on the menu bar, as musicians know it; F9 from
    // either window.
    QAction* knobs = menuBar()->addAction(texts::GraphicalEd);
    knobs->setObjectName("GraphicalEd");
    knobs->setShortcut(QKeySequence(Qt::Key_F9));
    knobs->setStatusTip(texts::GraphicalEdHint);
    connect(knobs, &QAction::triggered, this,
            [this] { m_parts.frame->runCommand([this] { toggleQuickEdit(); }); });
    m_parts.library->buildViewMenu();

    QMenu* options = menuBar()->addMenu("&Options");
    options->setObjectName("OptionsMenu");
    QAction* hints = options->addAction(texts::ShowHint);
    hints->setObjectName("ShowHintAction");
    hints->setCheckable(true);
    connect(hints, &QAction::toggled, m_parts.sheets->showHintBox(), &QCheckBox::setChecked);
    connect(m_parts.sheets->showHintBox(), &QCheckBox::toggled, hints, &QAction::setChecked);
    m_parts.frame->addAction(options, "FontAction", "&Font...", {},
                             "Choose the font of the window and its controls",
                             [this] { m_parts.sheets->chooseFont(); });

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("HelpMenu");
    m_parts.frame->addAction(help, "Help", texts::HelpAction, QKeySequence(Qt::Key_F1),
                             "The manual: getting started, every sheet and tool, the keys",
                             [this] { m_parts.desktop->showHelp(); });
    help->addSeparator();
    m_parts.frame->addAction(help, "About", "&About Dorvane...", {}, "", [this] { showAbout(); });

    m_testMenu = menuBar()->addMenu("Test");
    m_testMenu->setObjectName("TestMenu");
    QAction* morph = m_testMenu->addAction("Tone Morph");
    morph->setObjectName("ToneMorphAction");
    morph->setCheckable(true);
    // Its bars write tone parameters; on part R they would land in drum notes.
    connect(morph, &QAction::toggled, this, [this](bool on) {
        // The Tone sheet, when not built yet, takes it as it is built.
        if (m_parts.sheets->sheetBuilt(Sheet::Tone))
            m_parts.sheets->morphPanel()->setVisible(on && !m_session.isRhythmPart());
    });
    m_testMenu->menuAction()->setVisible(false);
}

void MainWindow::buildUi()
{
    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(2);
    column->addWidget(m_parts.sheets->buildSelectionBar());
    // Modes that take the sheets' place (a Get, the drum mixer, copying) are
    // pages beside them, so the selectors above keep their size.
    WindowFrame& frame = *m_parts.frame;
    frame.setSheets(m_parts.sheets->buildSheets());
    frame.setHintSwitch(m_parts.sheets->showHintBox());
    // The reception panel, the copy panel, the drum mixer, the search's panel
    // and the differences page join the sheet area the first time they are
    // wanted: most runs never show them, and the first window need not wait
    // for them.
    m_parts.finder->buildFindRow(m_parts.sheets->panel("midibox"));
    column->addWidget(frame.sheetArea(), 1);
    setCentralWidget(central);
    buildMenus();
    m_parts.shake->buildShakeMenu();
}

void MainWindow::showAbout()
{
    // readme.txt beside the program, when the user or a packager put one there.
    QString error;
    const auto readme = m_parts.presets->readTextList("readme.txt", &error);
    QString text = readme ? QString::fromStdString(*readme).remove(QChar('\r')) : QString();
    if (text.trimmed().isEmpty())
        text = QString("Dorvane %1\n\nEditor and librarian for the Roland MC-505 groovebox.")
                   .arg(QCoreApplication::applicationVersion());
    m_dialogs->ask(text, AskKind::Information);
}

} // namespace dorvane
