// SPDX-License-Identifier: GPL-3.0-or-later
// The window's life: start-up from the settings and the files beside the
// program, the close question, shut-down writing the settings back, and the
// keyboard, which plays the current part while the editor pages are shown.
#include "editor/mainwindow.h"

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
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStandardPaths>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTextStream>

namespace dorvane {

namespace {

constexpr std::uint16_t AutoSaveIntervalMs = 60000;
// The window's own defaults for the player (the component's are 97 and 10).
constexpr int PlayerVelocity = 96;
constexpr int PlayerVelocitySpread = 6;

// The shake amount selectors and where they are remembered.
const std::pair<const char*, Setting> ShakeAmounts[] = {
    {"lshakeamt", Setting::LShakeAmt},
    {"shakeamt", Setting::ShakeAmt},
    {"wshakeamt", Setting::WShakeAmt},
};

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

    m_output = new TMidiOutput(*m_devices, this);
    // A device change or the end of the program waits for a send to finish;
    // the status bar says why the window does not answer meanwhile.
    connect(m_output, &TMidiOutput::closing, this, [this](qint64 bytes, int ms) {
        setStatusText(QString(texts::OutputDraining).arg(bytes).arg((ms + 999) / 1000));
        m_status->repaint();
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
    connect(m_util, &TMIDIappUtil::sendFailed, this, &MainWindow::showSendError);
    connect(&m_util->Sender(), &MidiSender::messageFailed, this, &MainWindow::messageFailed);
    connect(m_output, &TMidiOutput::deviceLost, this, &MainWindow::outputLost);
    m_editOutput = std::make_unique<SenderEditOutput>(m_util->Sender());
    m_session.setOutput(m_editOutput.get());
    m_session.setSynth(m_util->Synth());

    m_timer = new TSuperTimer(this);
    m_timer->SetInterval(AutoSaveIntervalMs);
    connect(m_timer, &TSuperTimer::OnTimer, this,
            [this] { runCommand([this] { autoSaveTick(); }); });

    // The window's font before its controls exist: they inherit it instead of
    // each being measured and laid out again once it changes.
    setFont(QFont(m_settings->text(Setting::Font), font().pointSize()));
    buildUi();
    followSelection();
    connect(&m_session, &EditSession::changeRecorded, this,
            [this](const QString&, const Bytes& before, bool stepped) {
                changeRecorded(before, stepped);
            });
    connect(&m_session, &EditSession::partSyncChanged, this, &MainWindow::showPartSync);
    for (int i = 0; i < EditSession::PartCount; ++i)
        showPartSync(i);
    setUpTransfers();
    // Every change to the image may make it differ from the file, or agree again.
    connect(this, &MainWindow::historyChanged, this, &MainWindow::updateTitle);
    setAcceptDrops(true);
    placeWindow();
    startUp();
    attachShownSheet();
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow()
{
    // The knob window goes first, while the controls its knobs mirror still stand.
    delete m_quickEdit.data();
    qApp->removeEventFilter(this);
    shutDown();
    // The ports, deleted with the window's children, tell the sender that what
    // was in flight is finished; by then this window is no longer one to tell.
    disconnect(&m_util->Sender(), nullptr, this, nullptr);
    disconnect(m_util, nullptr, this, nullptr);
    // Closing hides the library's dock, whose visibility handler would then run
    // on a window already half taken down.
    if (m_libraryPanel)
        disconnect(m_libraryPanel, nullptr, this, nullptr);
    m_output->SetTap(nullptr);
    m_input->SetTap(nullptr);
}

void MainWindow::startUp()
{
    applyFont(QFont(m_settings->text(Setting::Font), font().pointSize()));
    m_saveFileName = m_settings->text(Setting::SaveDirectory);
    m_showHint->setChecked(m_settings->boolean(Setting::Hint));
    m_autoTrig->setChecked(m_settings->boolean(Setting::AutoTrig));

    fillDeviceLists();
    runCommand([this] { openRememberedPorts(); });

    loadWaveList();
    m_keepImage->setChecked(m_settings->boolean(Setting::KeepImage));
    const QString perfProblem = loadStartImage();
    updateEditMenu();
    buildDrumNoteList();

    for (const auto& [name, setting] : ShakeAmounts)
        control(name)->SetPosition(m_settings->integer(setting));
    readShakeSettings();
    const bool test = m_settings->boolean(Setting::Test);
    m_testMenu->menuAction()->setVisible(test);
    m_morphPanel->setVisible(test);
    if (QAction* morph = action("ToneMorphAction"))
        morph->setChecked(test);

    m_timer->SetEnabled(true);
    partChanged();
    restoreState(QByteArray::fromBase64(m_settings->text(Setting::WindowState).toLatin1()));
    // Left open at the last exit: it is wanted now.
    if (!m_libraryPanel->isHidden())
        openLibraryOnce();
    if (!perfProblem.isEmpty())
        setStatusText(perfProblem);
}

QString MainWindow::loadStartImage()
{
    // The image of the last run, when it was kept and is whole; otherwise
    // perf.syx beside the program, as on the first start.
    std::optional<Bytes> kept;
    if (m_keepImage->isChecked()) {
        try {
            const Bytes bytes = readWholeFile(keptImagePath().toStdString());
            const SysexFileCheck check = checkSysexFileAs(bytes, SysexFileKind::Image);
            // It was written with fresh checksums: a wrong one means damage.
            if (check.ok() && check.wrongChecksums() == 0) {
                const ByteView block = check.block(bytes);
                kept = Bytes(block.begin(), block.end());
            }
        } catch (const FileError&) {
            // None kept yet (or unreadable): the start image stands in.
        }
    }
    QString problem;
    if (kept) {
        m_session.image().LoadFromBytes(*kept);
        m_imageFile = m_settings->text(Setting::ImageFile);
        // An image kept with changes not saved is compared with nothing, so
        // it keeps its mark until it is saved.
        m_savedImage = m_settings->boolean(Setting::ImageChanged) ? Bytes() : *kept;
    } else {
        problem = loadPerfImage();
        m_imageFile.clear();
        m_savedImage = m_session.image().bytes();
    }
    if (!m_imageFile.isEmpty())
        m_lastGoodFolder = QFileInfo(m_imageFile).absolutePath();
    m_undoImage.LoadFromStream(m_session.image());
    // Where the musician left off is no step to undo.
    m_session.history().reset(m_session.image().bytes());
    return problem;
}

QString MainWindow::loadPerfImage()
{
    const QString perf = m_programFolder + "/perf.syx";
    Bytes bytes;
    try {
        bytes = readWholeFile(perf.toStdString());
    } catch (const FileError&) {
        // Without a start image the window starts empty, as it always has.
        return {};
    }
    const SysexFileCheck check = checkSysexFileAs(bytes, SysexFileKind::Image);
    if (!check.ok())
        return QString(texts::PartFileNotLoaded)
            .arg("perf.syx", QString::fromStdString(check.problem()));
    m_session.image().LoadFromBytes(check.block(bytes));
    if (check.wrongChecksums() == 0)
        return {};
    return QString(texts::WrongChecksums)
        .arg("perf.syx")
        .arg(qulonglong(check.wrongChecksums()))
        .arg(qulonglong(MessagesInImage));
}

QString MainWindow::keptImagePath() const
{
    return QDir(m_dataFolder).filePath("image.syx");
}

bool MainWindow::keepImageForNextStart(QString* problem)
{
    m_settings->setBoolean(Setting::KeepImage, m_keepImage->isChecked());
    if (!m_keepImage->isChecked() || m_session.image().Size() != ImageSize)
        return true;
    try {
        if (!QDir().mkpath(m_dataFolder))
            throw FileError("cannot make the folder " + m_dataFolder.toStdString());
        // Fresh checksums, so the kept file passes the same check as any other.
        writeFileAtomically(keptImagePath().toStdString(), m_session.image().AllBytes());
    } catch (const std::exception& e) {
        *problem = QString::fromLocal8Bit(e.what());
        return false;
    }
    m_settings->setText(Setting::ImageFile, m_imageFile);
    m_settings->setBoolean(Setting::ImageChanged, hasUnsavedChanges());
    return true;
}

void MainWindow::shutDown()
{
    m_timer->SetEnabled(false);
    m_input->Close();
    m_output->Close();
    // The backup file is for the run in which it was chosen only.
    m_settings->remove(Setting::AutoSave);
    for (const auto& [name, setting] : ShakeAmounts)
        m_settings->setInteger(setting, control(name)->Position());
    writeShakeSettings();
    m_settings->setBoolean(Setting::AutoTrig, m_autoTrig->isChecked());
    m_settings->setBoolean(Setting::Hint, m_showHint->isChecked());
    if (!m_saveFileName.isEmpty())
        m_settings->setText(Setting::SaveDirectory, m_saveFileName);
    m_settings->setText(Setting::Font, font().family());
    writeRememberedPorts();
    m_settings->setText(Setting::WindowState, QString::fromLatin1(saveState().toBase64()));
    rememberPlace();
    m_settings->sync();
}

void MainWindow::loadWaveList()
{
    m_waveNames.clear();
    // A list that is missing or cannot be read leaves the wave list empty, as it always has.
    QString error;
    if (const auto text = readTextList(m_util->Wavelist(), &error))
        for (const std::string& line : textLines(*text))
            m_waveNames << "  " + QString::fromStdString(line);
    m_wave->clear();
    m_wave->addItems(m_waveNames);
}

void MainWindow::applyFont(const QFont& f)
{
    setFont(f);
    for (const auto& [name, c] : m_controls) {
        QFont controlFont = c->font();
        controlFont.setFamily(f.family());
        controlFont.setPointSize(f.pointSize());
        c->setFont(controlFont);
    }
}

void MainWindow::chooseFont()
{
    if (const auto chosen = m_dialogs->chooseFont(font()))
        applyFont(*chosen);
}

void MainWindow::runCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& e) {
        m_dialogs->ask(QString::fromLocal8Bit(e.what()), AskKind::Information);
    }
}

void MainWindow::setQuickEditWindow(QWidget* window)
{
    m_quickEdit = window;
}

void MainWindow::toggleQuickEdit()
{
    // The knobs are a tone's; part R has none. While another mode has the
    // window (a reception, the mixer, copying) the knobs stay away as well.
    if (!m_quickEdit || isRhythmPart() || m_pages->isHidden())
        return;
    if (m_quickEdit->isVisible()) {
        m_quickEdit->hide();
        activateWindow();
        return;
    }
    m_quickEdit->show();
    m_quickEdit->raise();
    m_quickEdit->activateWindow();
}

QString MainWindow::statusText() const
{
    return m_status->text();
}

void MainWindow::setStatusText(const QString& text)
{
    m_status->setText(text);
    emit statusTextChanged(text);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    QString question = texts::ExitQuestion;
    if (hasUnsavedChanges())
        question += m_keepImage->isChecked() ? texts::UnsavedExitKept : texts::UnsavedExitLost;
    if (!m_dialogs->ask(texts::withLineBreaks(question), AskKind::Warning)) {
        event->ignore();
        return;
    }
    m_closing = true;
    QString problem;
    if (!keepImageForNextStart(&problem))
        m_dialogs->ask(QString(texts::NotKept).arg(problem), AskKind::Information);
    if (m_copyMode != CopyMode::Off) {
        // Copies still waiting for "Done!" go to the instrument first; the
        // port drops what it has not sent when it closes, so the window
        // closes once the sender has finished (or at a second request).
        copyDone();
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
        showHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    // Keys let go in another window never reach this one: the notes would hang.
    if (event->type() == QEvent::WindowDeactivate)
        m_util->releaseAllKeys();
    return QMainWindow::event(event);
}

void MainWindow::showHint(const QString& hint)
{
    if (!m_showHint || !m_showHint->isChecked())
        return;
    if (!hint.isEmpty()) {
        // A hint is this window's own: the quick-edit window shows its own hints.
        m_status->setText(hint);
        m_hintShown = hint;
    } else if (!m_copyStatus.isEmpty()) {
        // A mode's text comes back once the pointer leaves what had a hint.
        setStatusText(m_copyStatus);
    }
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
    return m_pages->isVisible();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    // Esc ends an audition wherever the focus is in this window or the library's dock.
    if (type == QEvent::KeyPress && m_auditionPart &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && watched->isWidgetType() &&
        (static_cast<QWidget*>(watched)->window() == this ||
         static_cast<QWidget*>(watched)->window() == m_libraryPanel)) {
        runCommand([this] { endAudition(); });
        return true;
    }
    if ((type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) &&
        partButtonDrag(watched, event))
        return true;
    // A menu's hints are about its entries: once it closes they would only
    // mislead (the AutoSave warning standing under the next dialog).
    if (type == QEvent::Hide && isOwnMenu(watched) && !m_hintShown.isEmpty() &&
        statusText() == m_hintShown) {
        setStatusText(QString());
        m_hintShown.clear();
    }
    // Keys typed in the quick-edit window play here too.
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && watched->isWidgetType() &&
        (static_cast<QWidget*>(watched)->window() == this ||
         (m_quickEdit && static_cast<QWidget*>(watched)->window() == m_quickEdit))) {
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
        runCommand(
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
        control("octave")->SetPosition(m_util->Octave());
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
    const QString current = statusText();
    setStatusText(current.size() > 79 ? note : current + "  " + note);

    if (code >= vk::Numpad0 && code <= vk::Numpad0 + 9) {
        TDragTweak* mode = control("playmode");
        mode->SetPosition(code - vk::Numpad0);
        m_util->SetPlaymode(TPlayMode(mode->Position()));
    }
    // Playing a key in the drum-note list selects that drum note.
    if (QApplication::focusWidget() == m_drumNote) {
        for (int k = 0; k < m_drumNote->count(); ++k) {
            if (m_drumNote->itemText(k).mid(1, 3) == note.left(3)) {
                selectDrumNote(k);
                break;
            }
        }
    }
    return TMIDIappUtil::KeyOffset(code) >= 0 || code == vk::Space;
}

} // namespace dorvane
