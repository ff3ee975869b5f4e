// SPDX-License-Identifier: GPL-3.0-or-later
// The window's life: start-up from the settings and the files beside the
// program, the close question, shut-down writing the settings back, and the
// keyboard, which plays the current part while the editor pages are shown.
#include "editor/mainwindow.h"
#include "editor/afterfirstpaint.h"
#include "editor/breedcommands.h"
#include "editor/copycommands.h"
#include "editor/desktopfiles.h"
#include "editor/devicesetup.h"
#include "editor/filecommands.h"
#include "editor/historycommands.h"
#include "editor/instrumentfinder.h"
#include "editor/librarycommands.h"
#include "editor/morphcommands.h"
#include "editor/presetsandscales.h"
#include "editor/shakecommands.h"
#include "editor/toolcommands.h"
#include "editor/transfercommands.h"
#include "editor/valuesheets.h"
#include "editor/verifycommands.h"
#include "editor/windowframe.h"

#include "editor/librarypanel.h"
#include "editor/midimonitor.h"
#include "editor/senderoutput.h"
#include "editor/settingsstore.h"
#include "editor/tdragtweak.h"
#include "editor/windowtexts.h"
#include "midi/dialogs.h"
#include "midi/midideviceregistry.h"
#include "midi/midisender.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"
#include "midi/tsupertimer.h"
#include "patch/fileio.h"
#include "patch/imagecheck.h"
#include "patch/textlines.h"
#include "player/tmidiapputil.h"
#include "transfer/dumpinput.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStandardPaths>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>

namespace dorvane {

namespace {

constexpr std::uint16_t AutoSaveIntervalMs = 60000;
// The longest the settings wait for the window's first paint.
constexpr int SettingsHoldLimitMs = 3000;
// The window's own defaults for the player (the component's are 97 and 10).
constexpr int PlayerVelocity = 96;
constexpr int PlayerVelocitySpread = 6;

// The shake amount selectors and where they are remembered.
const std::pair<const char*, Setting> ShakeAmounts[] = {
    {"lshakeamt", Setting::LShakeAmt},
    {"shakeamt", Setting::ShakeAmt},
    {"wshakeamt", Setting::WShakeAmt},
};

// The family the window is drawn in: the one remembered where this system has
// it, else the desktop's own. A family it lacks (the default names a Windows
// font) sent the first text drawn on a search through every font installed
// for a look-alike.
QString shownFamily(const QString& remembered)
{
    // Nothing remembered is the desktop's font, without asking the font
    // database about an empty name, which costs the first window a search.
    return !remembered.isEmpty() && QFontDatabase::hasFamily(remembered)
               ? remembered
               : QApplication::font().family();
}

bool isTextEntry(const QWidget* w)
{
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           (qobject_cast<const QComboBox*>(w) && static_cast<const QComboBox*>(w)->isEditable());
}

bool isModifierKey(int key)
{
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_AltGr;
}

} // namespace

MainWindow::MainWindow(Setup setup, QWidget* parent)
    : QMainWindow(parent), m_dialogs(setup.dialogs), m_settings(std::move(setup.settings)),
      m_programFolder(setup.programFolder), m_dataFolder(setup.dataFolder),
      m_devices(setup.devices ? setup.devices : &MidiDeviceRegistry::application()),
      m_libraryFile(setup.libraryFile)
{
    setObjectName("MainWindow");
    if (!m_settings)
        m_settings = std::make_unique<SettingsStore>();
    if (m_programFolder.isEmpty())
        m_programFolder = TMIDIappUtil::ProgramFolder();
    if (m_dataFolder.isEmpty())
        m_dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    m_settings->setProgramFolder(m_programFolder);
    // Start-up reads the settings and at most writes back what it read or a
    // default: none of it needs the disk before the window is on the screen.
    m_settings->holdWrites();
    afterFirstPaint(*this, [this] { m_settings->releaseWrites(); });
    // A window started minimized is not drawn for a while: its settings
    // still reach the disk.
    QTimer::singleShot(SettingsHoldLimitMs, this, [this] { m_settings->releaseWrites(); });
    auto* frame = new WindowFrame(*this, *m_dialogs);

    m_output = new TMidiOutput(*m_devices, this);
    // A device change or the end of the program waits for a send to finish;
    // the status bar says why the window does not answer meanwhile.
    connect(m_output, &TMidiOutput::closing, this, [frame](qint64 bytes, int ms) {
        frame->setStatusText(QString(texts::OutputDraining).arg(bytes).arg((ms + 999) / 1000));
        frame->statusLine()->repaint();
    });
    m_input = new TMidiInput(*m_devices, this);
    prepareForDumps(*m_input);

    // Collects from the start, so opening it shows what went on before.
    m_monitor = new MidiMonitor(this);
    m_output->SetTap(m_monitor);
    m_input->SetTap(m_monitor);

    m_util = new TMIDIappUtil(this);
    m_util->SetOUTPUT(m_output);
    m_util->SetINPUT(m_input);
    m_util->SetSynth(tsMC505);
    m_util->SetVelocity(PlayerVelocity);
    m_util->SetVelRnd(PlayerVelocitySpread);
    m_util->SetWavelist("wavelist.txt");
    m_util->SetDialogs(m_dialogs);
    m_util->SetRandom([this](int n) { return m_random.Random(n); });
    m_editOutput = std::make_unique<SenderEditOutput>(m_util->Sender());
    m_session.setOutput(m_editOutput.get());
    m_session.setSynth(m_util->Synth());

    // The parts know one another through m_parts, filled before any builds.
    m_parts.window = this;
    m_parts.session = &m_session;
    m_parts.dialogs = m_dialogs;
    m_parts.settings = m_settings.get();
    m_parts.random = &m_random;
    m_parts.util = m_util;
    m_parts.output = m_output;
    m_parts.input = m_input;
    m_parts.devices = m_devices;
    m_parts.monitor = m_monitor;
    m_parts.frame = frame;
    m_parts.programFolder = m_programFolder;
    m_parts.dataFolder = m_dataFolder;
    m_parts.libraryFile = m_libraryFile;
    m_parts.sheets = new ValueSheets(m_parts);
    m_parts.files = new FileCommands(m_parts);
    m_parts.desktop = new DesktopFiles(m_parts);
    m_parts.history = new HistoryCommands(m_parts);
    m_parts.transfers = new TransferCommands(m_parts);
    m_parts.verify = new VerifyCommands(m_parts);
    m_parts.deviceSetup = new DeviceSetup(m_parts);
    m_parts.finder = new InstrumentFinder(m_parts);
    m_parts.shake = new ShakeCommands(m_parts);
    m_parts.copy = new CopyCommands(m_parts);
    m_parts.tools = new ToolCommands(m_parts);
    m_parts.library = new LibraryCommands(m_parts);
    m_parts.presets = new PresetsAndScales(m_parts);
    m_parts.morph = new MorphCommands(m_parts);
    m_parts.breed = new BreedCommands(m_parts);
    // Every menu command first ends an audition: the instrument plays the
    // window's own part again before anything else happens to it.
    frame->setBeforeEachCommand([this] { m_parts.library->endAudition(); });

    connect(m_util, &TMIDIappUtil::sendFailed, m_parts.deviceSetup, &DeviceSetup::showSendError);
    connect(&m_util->Sender(), &MidiSender::messageFailed, m_parts.deviceSetup,
            &DeviceSetup::messageFailed);
    connect(m_output, &TMidiOutput::deviceLost, m_parts.deviceSetup, &DeviceSetup::outputLost);
    connect(m_output, &TMidiOutput::deviceReturned, m_parts.deviceSetup,
            &DeviceSetup::outputReturned);
    connect(m_input, &TMidiInput::deviceLost, m_parts.deviceSetup, &DeviceSetup::inputLost);
    connect(m_input, &TMidiInput::deviceReturned, m_parts.deviceSetup, &DeviceSetup::inputReturned);
    connect(m_parts.devices, &MidiDeviceRegistry::devicesChanged, m_parts.deviceSetup,
            &DeviceSetup::devicesChanged);

    m_timer = new TSuperTimer(this);
    m_timer->SetInterval(AutoSaveIntervalMs);
    connect(m_timer, &TSuperTimer::OnTimer, this,
            [this] { m_parts.frame->runCommand([this] { m_parts.files->autoSaveTick(); }); });

    // The window's font before its controls exist: they inherit it instead of
    // each being measured and laid out again once it changes.
    setFont(QFont(shownFamily(m_settings->text(Setting::Font)), font().pointSize()));
    buildUi();
    m_parts.sheets->followSelection();
    m_parts.history->followSession();
    connect(&m_session, &EditSession::partSyncChanged, m_parts.sheets, &ValueSheets::showPartSync);
    for (int i = 0; i < EditSession::PartCount; ++i)
        m_parts.sheets->showPartSync(i);
    m_parts.transfers->setUpTransfers();
    m_parts.verify->setUpVerify();
    // Every change to the image may make it differ from the file, or agree again.
    connect(m_parts.history, &HistoryCommands::historyChanged, m_parts.files,
            &FileCommands::updateTitle);
    setAcceptDrops(true);
    m_parts.desktop->placeWindow();
    startUp();
    m_parts.sheets->attachShownSheet();
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow()
{
    // The knob window goes first, while the controls its knobs mirror still stand.
    delete m_parts.frame->quickEditWindow();
    qApp->removeEventFilter(this);
    shutDown();
    // The ports, deleted with the window's children, tell the sender that what
    // was in flight is finished; by then this window is no longer one to tell.
    disconnect(&m_util->Sender(), nullptr, m_parts.deviceSetup, nullptr);
    disconnect(m_util, nullptr, m_parts.deviceSetup, nullptr);
    disconnect(&m_util->Sender(), nullptr, m_parts.transfers, nullptr);
    disconnect(&m_util->Sender(), nullptr, m_parts.verify, nullptr);
    // Closing hides the library's dock, whose visibility handler would then run
    // on a window already half taken down.
    m_parts.library->detachPanel();
    m_output->SetTap(nullptr);
    m_input->SetTap(nullptr);
}

void MainWindow::startUp()
{
    m_parts.sheets->applyFont(QFont(font().family(), font().pointSize()));
    m_parts.files->saveFileName() = m_settings->text(Setting::SaveDirectory);
    m_parts.sheets->showHintBox()->setChecked(m_settings->boolean(Setting::Hint));
    m_parts.sheets->autoTriggerBox()->setChecked(m_settings->boolean(Setting::AutoTrig));

    m_parts.deviceSetup->startPorts();

    m_parts.sheets->loadWaveList();
    m_parts.sheets->keepImageBox()->setChecked(m_settings->boolean(Setting::KeepImage));
    const QString perfProblem = m_parts.files->loadStartImage();
    m_parts.history->updateEditMenu();
    m_parts.sheets->buildDrumNoteList();

    for (const auto& [name, setting] : ShakeAmounts)
        m_parts.sheets->control(name)->SetPosition(m_settings->integer(setting));
    m_parts.shake->readShakeSettings();
    const bool test = m_settings->boolean(Setting::Test);
    m_testMenu->menuAction()->setVisible(test);
    if (QAction* morph = m_parts.frame->action("ToneMorphAction"))
        morph->setChecked(test);

    m_timer->SetEnabled(true);
    m_parts.sheets->partChanged();
    // Left open at the last exit, the dock is built before the state puts it back.
    if (m_parts.library->shownAtStart())
        m_parts.library->libraryPanel();
    restoreState(QByteArray::fromBase64(m_settings->text(Setting::WindowState).toLatin1()));
    // Left open at the last exit: it is wanted now.
    if (m_parts.library->builtPanel() && !m_parts.library->builtPanel()->isHidden())
        m_parts.library->openLibraryOnce();
    if (!perfProblem.isEmpty())
        m_parts.frame->setStatusText(perfProblem);
}

void MainWindow::shutDown()
{
    m_timer->SetEnabled(false);
    m_input->Close();
    m_output->Close();
    // The backup file is for the run in which it was chosen only.
    m_settings->remove(Setting::AutoSave);
    for (const auto& [name, setting] : ShakeAmounts)
        m_settings->setInteger(setting, m_parts.sheets->control(name)->Position());
    m_parts.shake->writeShakeSettings();
    m_settings->setBoolean(Setting::AutoTrig, m_parts.sheets->autoTriggerBox()->isChecked());
    m_settings->setBoolean(Setting::Hint, m_parts.sheets->showHintBox()->isChecked());
    if (!m_parts.files->saveFileName().isEmpty())
        m_settings->setText(Setting::SaveDirectory, m_parts.files->saveFileName());
    // A family this system lacks stays remembered while the desktop's stands in.
    const QString remembered = m_settings->text(Setting::Font);
    m_settings->setText(Setting::Font,
                        font().family() == shownFamily(remembered) ? remembered : font().family());
    m_parts.deviceSetup->writeRememberedPorts();
    m_parts.library->keepPlaceForNextStart();
    m_settings->setText(Setting::WindowState, QString::fromLatin1(saveState().toBase64()));
    m_parts.desktop->rememberPlace();
    m_settings->sync();
}

void MainWindow::toggleQuickEdit()
{
    // The knobs are a tone's; part R has none. While another mode has the
    // window (a reception, the mixer, copying) the knobs stay away as well.
    QWidget* knobs = m_parts.frame->quickEditWindow();
    if (!knobs || m_session.isRhythmPart() || m_parts.sheets->pages()->isHidden())
        return;
    if (knobs->isVisible()) {
        knobs->hide();
        activateWindow();
        return;
    }
    knobs->show();
    knobs->raise();
    knobs->activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    QString question = texts::ExitQuestion;
    if (m_parts.files->hasUnsavedChanges())
        question += m_parts.sheets->keepImageBox()->isChecked() ? texts::UnsavedExitKept
                                                                : texts::UnsavedExitLost;
    if (!m_dialogs->ask(texts::withLineBreaks(question), AskKind::Warning)) {
        event->ignore();
        return;
    }
    m_closing = true;
    QString problem;
    if (!m_parts.files->keepImageForNextStart(&problem))
        m_dialogs->ask(QString(texts::NotKept).arg(problem), AskKind::Information);
    if (m_parts.copy->copyMode() != CopyCommands::CopyMode::Off) {
        // Copies still waiting for "Done!" go to the instrument first; the
        // port drops what it has not sent when it closes, so the window
        // closes once the sender has finished (or at a second request).
        m_parts.copy->copyDone();
        if (!m_util->Sender().IsIdle()) {
            connect(&m_util->Sender(), &MidiSender::queueEmpty, this, &QWidget::close,
                    Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
            event->ignore();
            return;
        }
    }
    event->accept();
}

bool MainWindow::event(QEvent* event)
{
    // Hints of controls and menu entries go to the first status panel.
    if (event->type() == QEvent::StatusTip) {
        m_parts.frame->showHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    // Keys let go in another window never reach this one: the notes would hang.
    if (event->type() == QEvent::WindowDeactivate)
        m_util->releaseAllKeys();
    return QMainWindow::event(event);
}

bool MainWindow::isOwnMenu(const QObject* object) const
{
    // Menus are windows of their own; their parents lead back to the menu bar.
    const auto* menu = qobject_cast<const QMenu*>(object);
    for (const QWidget* w = menu; w; w = w->parentWidget())
        if (!qobject_cast<const QMenu*>(w))
            return w->window() == this;
    return false;
}

bool MainWindow::editorPagesVisible() const
{
    return m_parts.sheets->pages()->isVisible();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    // Esc ends an audition wherever the focus is in this window or the library's dock.
    if (type == QEvent::KeyPress && m_parts.library->auditioning() &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && watched->isWidgetType() &&
        (static_cast<QWidget*>(watched)->window() == this ||
         static_cast<QWidget*>(watched)->window() == m_parts.library->builtPanel())) {
        m_parts.frame->runCommand([this] { m_parts.library->endAudition(); });
        return true;
    }
    if ((type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) &&
        m_parts.library->partButtonDrag(watched, event))
        return true;
    // A menu's hints are about its entries: once it closes they would only
    // mislead (the AutoSave warning standing under the next dialog).
    if (type == QEvent::Hide && isOwnMenu(watched))
        m_parts.frame->menuClosed();
    // Keys typed in the quick-edit window play here too.
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && watched->isWidgetType() &&
        (static_cast<QWidget*>(watched)->window() == this ||
         (m_parts.frame->quickEditWindow() &&
          static_cast<QWidget*>(watched)->window() == m_parts.frame->quickEditWindow()))) {
        auto* key = static_cast<QKeyEvent*>(event);
        // A key the focused control does not take travels up to its parents,
        // passing this filter again: it is handled once.
        const KeySeen seen{type, key->key(), key->timestamp()};
        if (seen == m_lastKey)
            return false;
        m_lastKey = seen;
        // A held key repeats; it must not sound again or stop the note.
        if (key->isAutoRepeat())
            return TMIDIappUtil::KeyOffset(TMIDIappUtil::KeyCodeOf(*key)) >= 0 &&
                   !isTextEntry(QApplication::focusWidget());
        bool consumed = false;
        m_parts.frame->runCommand(
            [&] { consumed = type == QEvent::KeyPress ? keyPressed(key) : keyReleased(key); });
        return consumed;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::keyPressed(QKeyEvent* event)
{
    // Typing a name plays no notes.
    if (!editorPagesVisible() || isTextEntry(QApplication::focusWidget()))
        return false;
    const int code = TMIDIappUtil::KeyCodeOf(*event);
    if (code == 0)
        return false;
    m_util->KeyDown(code, event->modifiers());
    // The setup sheet's Octave shows what the keys play.
    if (code == vk::F3 || code == vk::F4)
        m_parts.sheets->control("octave")->SetPosition(m_util->Octave());
    const auto modifiers = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    const bool playing = TMIDIappUtil::KeyOffset(code) >= 0 || code == vk::Space;
    const bool function = code == vk::F3 || code == vk::F4 || code == vk::F7 || code == vk::F8;
    // Keys the player took are not also typed into the focused control.
    return !modifiers && (playing || (function && event->modifiers() == Qt::NoModifier));
}

bool MainWindow::keyReleased(QKeyEvent* event)
{
    if (isModifierKey(event->key()))
        return false;
    const int code = TMIDIappUtil::KeyCodeOf(*event);
    if (code == 0)
        return false;
    // Whatever has the focus now, a key that sounded a note must stop it: the
    // focus may have moved to the name field while the key was held. Keys
    // that sounded nothing do nothing here.
    m_util->KeyUp(code);
    if (isTextEntry(QApplication::focusWidget()) || !editorPagesVisible())
        return false;
    const QString note = m_util->Note();
    const QString current = m_parts.frame->statusText();
    m_parts.frame->setStatusText(current.size() > 79 ? note : current + "  " + note);

    if (code >= vk::Numpad0 && code <= vk::Numpad0 + 9) {
        TDragTweak* mode = m_parts.sheets->control("playmode");
        mode->SetPosition(code - vk::Numpad0);
        m_util->SetPlaymode(TPlayMode(mode->Position()));
    }
    // Playing a key in the drum-note list selects that drum note.
    if (QApplication::focusWidget() == m_parts.sheets->drumNoteList()) {
        for (int k = 0; k < m_parts.sheets->drumNoteList()->count(); ++k) {
            if (m_parts.sheets->drumNoteList()->itemText(k).mid(1, 3) == note.left(3)) {
                m_parts.sheets->selectDrumNote(k);
                break;
            }
        }
    }
    return TMIDIappUtil::KeyOffset(code) >= 0 || code == vk::Space;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    m_parts.desktop->dragEnter(event);
}

void MainWindow::dropEvent(QDropEvent* event)
{
    m_parts.desktop->drop(event);
}

} // namespace dorvane
