// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: a shell around the edit session. It owns the ports, the
// session and the window's parts, each a small object over the session (the
// sheets of value controls, the File menu, the transfers and Send and Verify,
// the ports, the Edit menu, shake, copies, the tools, the library's dock,
// presets and scales, and the files from the desktop), lays them out, and
// keeps the window's life: start-up, the close question, shut-down, and the
// keyboard, which plays the current part while the sheets are shown.
// mainwindowui.cpp builds the menus and the layout.
#pragma once

#include "editor/settingsstore.h"
#include "editor/windowparts.h"
#include "patch/randomsource.h"
#include "patch/t505temppatch.h"
#include "session/editsession.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <memory>

class QMenu;

namespace dorvane {

class EditOutput;
class TSuperTimer;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    struct Setup
    {
        Dialogs* dialogs = nullptr;              // not owned; must outlive the window
        std::unique_ptr<SettingsStore> settings; // the native store unless a test gives one
        QString programFolder;                   // perf.syx, wavelist.txt … live here
        MidiDeviceRegistry* devices = nullptr;   // the program's devices unless given
        QString libraryFile; // the library's index; without one the window has no library
        QString dataFolder;  // the image kept between runs; the data folder unless given
    };

    explicit MainWindow(Setup setup, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The image, its history, the selection and what the instrument holds.
    EditSession& session() { return m_session; }
    t505temppatch& image() { return m_session.image(); }
    TMIDIappUtil& util() { return *m_util; }
    TMidiOutput& midiOutput() { return *m_output; }
    TMidiInput& midiInput() { return *m_input; }
    SettingsStore& settings() { return *m_settings; }
    Dialogs& dialogs() { return *m_dialogs; }
    // The program's one source of randomness; tests fix its seed.
    RandomSource& random() { return m_random; }
    MidiMonitor& monitor() { return *m_monitor; }
    QMenu* testMenu() const { return m_testMenu; }

    // The window's parts.
    WindowFrame& frame() const { return *m_parts.frame; }
    ValueSheets& sheets() const { return *m_parts.sheets; }
    FileCommands& files() const { return *m_parts.files; }
    DesktopFiles& desktop() const { return *m_parts.desktop; }
    HistoryCommands& history() const { return *m_parts.history; }
    TransferCommands& transfers() const { return *m_parts.transfers; }
    VerifyCommands& verify() const { return *m_parts.verify; }
    DeviceSetup& deviceSetup() const { return *m_parts.deviceSetup; }
    InstrumentFinder& finder() const { return *m_parts.finder; }
    ShakeCommands& shake() const { return *m_parts.shake; }
    CopyCommands& copy() const { return *m_parts.copy; }
    ToolCommands& tools() const { return *m_parts.tools; }
    LibraryCommands& library() const { return *m_parts.library; }
    PresetsAndScales& presets() const { return *m_parts.presets; }

    // What the knob window and the parts are made over.
    const WindowParts& parts() const { return m_parts; }
    // Shows or hides the knob window (F9); keys typed there play as if typed here.
    void toggleQuickEdit();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildUi();
    void buildMenus();
    void showAbout();

    // mainwindow.cpp
    void startUp();
    void shutDown();
    bool keyPressed(QKeyEvent* event);
    bool keyReleased(QKeyEvent* event);
    bool editorPagesVisible() const;
    bool isOwnMenu(const QObject* object) const;

    Dialogs* m_dialogs;
    std::unique_ptr<SettingsStore> m_settings;
    QString m_programFolder;
    QString m_dataFolder;
    MidiDeviceRegistry* m_devices;
    QString m_libraryFile;

    EditSession m_session;
    // The session's way to the sender.
    std::unique_ptr<EditOutput> m_editOutput;
    RandomSource m_random;
    TMIDIappUtil* m_util = nullptr;
    TMidiOutput* m_output = nullptr;
    TMidiInput* m_input = nullptr;
    TSuperTimer* m_timer = nullptr;
    MidiMonitor* m_monitor = nullptr;
    QMenu* m_testMenu = nullptr;
    WindowParts m_parts;

    struct KeySeen
    {
        int type = 0;
        int key = 0;
        unsigned long timestamp = 0;
        bool operator==(const KeySeen&) const = default;
    };
    KeySeen m_lastKey;
    bool m_closing = false;
};

} // namespace dorvane
