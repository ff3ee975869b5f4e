// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: every sound parameter of the selected part and tone as a
// value control, bound to the temp-patch image by the binding table. A release
// on a control writes the image and sends the one-parameter message at once; a
// refresh redraws the controls from the image and never sends anything.
//
// The class is split by concern: mainwindow.cpp (life: start-up, settings,
// shut-down, keyboard), mainwindowui.cpp (building the sheets, panels and
// menus), editflow.cpp (the release handlers), navigation.cpp (part, tone and
// drum-note selection and the refresh), devicesetup.cpp (ports and panic),
// historycommands.cpp (the Edit menu's Undo and Redo over every change),
// shakecommands.cpp (Shake Patch, Undo Shake and the shake flags),
// presetsandscales.cpp (random names, preset selection and scale tune),
// copymode.cpp (copying tones and drum notes, extracting drum notes from a file),
// toolcommands.cpp (drum mixer, control-change look-up, model conversion),
// librarycommands.cpp (the library's dock and what its rows do to the image),
// filecommands.cpp (the File menu), desktopfiles.cpp (files from the command
// line, drops and the recent list; the window's place; the help window).
#pragma once

#include "editor/bindingtable.h"
#include "editor/copypanel.h"
#include "editor/settingsstore.h"
#include "patch/randomsource.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"
#include "session/editsession.h"
#include "session/imagehistory.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QScrollArea;
class QStackedWidget;
class QTabWidget;

namespace dorvane {

class Dialogs;
class DrumMixerPanel;
class Library;
class LibraryPanel;
class MidiMonitor;
class DumpReceiver;
struct DumpResult;
class MidiDeviceRegistry;
class TDragTweak;
class TMIDIappUtil;
class TMidiInput;
class TMidiOutput;
class TRevScrB;
class TSuperTimer;
class HelpWindow;

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

    // What a file did for the window, for fileTaken().
    enum class FileUse
    {
        OpenedImage,
        SavedImage,
        OpenedPart,
        SavedPart,
    };

    explicit MainWindow(Setup setup, QWidget* parent = nullptr);
    ~MainWindow() override;

    // What the window holds.
    t505temppatch& image() { return m_session.image(); }
    t505temppatch& undoImage() { return m_undoImage; }
    TMIDIappUtil& util() { return *m_util; }
    TMidiOutput& midiOutput() { return *m_output; }
    TMidiInput& midiInput() { return *m_input; }
    SettingsStore& settings() { return *m_settings; }
    Dialogs& dialogs() { return *m_dialogs; }
    QString programFolder() const { return m_programFolder; }
    // The program's one source of randomness; tests fix its seed.
    RandomSource& random() { return m_random; }
    ImageHistory& history() { return m_session.history(); }
    // The image, its history and what the instrument holds of each part.
    EditSession& session() { return m_session; }

    // Every change to the image reports itself here once it is made, named as
    // the Edit menu shows it ("Cutoff Frequency, part 3"); a report that
    // changed nothing is dropped.
    void imageChanged(const QString& what);

    // The selection.
    int partIndex() const;  // 0..7 as the PART selector counts ("R" is 7)
    int partNumber() const; // 0..6, or 9 for part R
    bool isRhythmPart() const { return partNumber() == RhythmPart; }
    int shownTone() const; // 1..4
    int drumNote() const;  // 0..63
    bool toneSelected(int tone) const;
    void setToneSelected(int tone, bool selected);

    // Parts of the window, by the names the musician's documentation uses.
    TDragTweak* control(const QString& name) const;
    const Binding* bindingOf(const TDragTweak* control) const;
    QTabWidget* pages() const { return m_pages; }
    // Where the sheets are: a mode that takes over the window adds its page
    // here and shows it with showInSheetArea(); showSheets() comes back.
    QStackedWidget* sheetArea() const { return m_sheetArea; }
    void showInSheetArea(QWidget* page);
    void showSheets();
    QWidget* receptionPanel() const { return m_receptionPanel; }
    // Whether a dump is coming in: its panel has the sheets' place until it ends.
    bool receiving() const;
    QProgressBar* receptionProgressBar() const { return m_progress; }
    QProgressBar* sendProgressBar() const { return m_sendProgress; }
    QWidget* sheet(Sheet sheet) const;
    QGroupBox* panel(const QString& name) const;
    QComboBox* waveList() const { return m_wave; }
    QComboBox* categoryList() const { return m_category; }
    QComboBox* drumNoteList() const { return m_drumNote; }
    QLineEdit* nameField() const { return m_name; }
    QComboBox* bankList() const { return m_bank; }      // ComboBox1
    QComboBox* presetList() const { return m_presets; } // presets
    QComboBox* scaleList() const { return m_scales; }   // scales
    QPushButton* scaleSendButton() const { return m_scaleSend; }
    QCheckBox* toneBox(int tone) const { return m_toneBoxes[std::size_t(tone - 1)]; }
    QCheckBox* autoTriggerBox() const { return m_autoTrig; }
    QCheckBox* showHintBox() const { return m_showHint; }
    QAction* action(const QString& objectName) const;
    QPushButton* sysexButton() const { return m_sysexButton; }
    QSpinBox* messagePauseBox() const { return m_messagePause; }
    DumpReceiver& receiver() { return *m_receiver; }
    MidiMonitor& monitor() { return *m_monitor; }
    QMenu* testMenu() const { return m_testMenu; }
    QGroupBox* morphPanel() const { return m_morphPanel; }
    TRevScrB* morphBar(int index) const { return m_morphBars[std::size_t(index)]; }
    QWidget* selectionBar() const { return m_selectionBar; }
    CopyPanel* copyPanel() const { return m_copyPanel; }

    // The copy mode takes over the window with the copy panel until "Done!".
    enum class CopyMode
    {
        Off,
        Tone,    // a part common or a tone, between parts 1-7
        Drum,    // drum notes inside part R
        Extract, // drum notes from an 8 part file into part R
    };
    CopyMode copyMode() const { return m_copyMode; }
    DrumMixerPanel* drumMixer() const { return m_drumMixer; }
    bool drumMixerOpen() const;
    // The wave list's entries as loaded, each with its two leading blanks.
    const QStringList& waveNames() const { return m_waveNames; }

    // The texts of the status bar's first panel and of the caption's second part.
    QString statusText() const;
    void setStatusText(const QString& text);
    QString captionText() const { return m_caption; }

    // Commands (each is also reachable from a menu or a control).
    void selectPart(int index);
    void selectShownTone(int tone);
    void selectDrumNote(int note);
    void showSheet(Sheet sheet);
    void jumpTo(const QString& entry);
    void refresh();
    void panic();
    void selectWave(int wave);
    // Edit menu: takes back or does again the last change to the image, then
    // sends the instrument the messages that changed and redraws.
    void undo();
    void redo();
    // Shake Patch.. and Undo Shake, each asking first.
    void shakePatch();
    void undoShake();
    // The shake flags' menu of a control, as a right click opens it.
    void openShakeMenu(TDragTweak* control, const QPoint& pos);
    QMenu* shakeMenu() const { return m_shakeMenu; }
    // Whether the shake moves this control: the user's stored choice, else its Tag3.
    bool willShake(const TDragTweak* control) const;
    QButtonGroup* shakeTypeGroup() const { return m_shakeType; }
    QCheckBox* autoSendShakeBox() const { return m_shakeAutoSend; }
    QCheckBox* shakeWaveBox() const { return m_shakeWave; }
    // A name of two words from wordlist.txt, entered as by Enter.
    void randomName();
    // Twelve scale-tune messages for the current part from the chosen line of
    // scales.txt, rotated to the song key; the image is not touched.
    void sendScaleTuning();
    // "Copy Tone or Drum note..", "Extract drum notes from a 8 part file..",
    // the panel's "Copy", "Done!" and a double-click on a list entry.
    void startCopyMode();
    void startExtraction();
    void copyPressed();
    void copyDone();
    void showListInfo(CopyPanel::Side side, int row);
    // The backup timer's tick: saves the image to the chosen AutoSave file, if any.
    void autoSaveTick();
    // The category list's jump: the group's first wave, as a wave change.
    void selectCategory(int index);
    // A release on tone box `tone` with these modifiers held (Shift: solo,
    // Alt: all but this one, Ctrl: invert; otherwise the box's own toggle stands).
    void toneBoxReleased(int tone, Qt::KeyboardModifiers modifiers);

    // The quick-edit window: created after this one, shown and hidden by
    // "Graphical &Ed" (F9). Keys typed there play as if typed here.
    void setQuickEditWindow(QWidget* window);
    QWidget* quickEditWindow() const { return m_quickEdit.data(); }
    void toggleQuickEdit();

    // The library's dock, and the library when its index could be opened.
    LibraryPanel* libraryPanel() const { return m_libraryPanel; }
    Library* library() const { return m_library; }
    enum class LibraryLoad
    {
        Load,    // double click, Enter, a drop on a PART button
        Audition // at one click, asking nothing: the instrument plays it, the window keeps its own
    };
    // Loads an entry of the library onto the current part (a part R kit onto
    // part R), or onto the part of the PART selector's index `onPart`, as one
    // step of the history, and sends it, asking first over changes not saved.
    // An audition only sends it, until Esc, another action or the dock's
    // closing sends the window's own part back.
    void loadFromLibrary(std::size_t entry, LibraryLoad how, std::optional<int> onPart = {});
    void openWholeFileFromLibrary(std::size_t entry);
    void saveCurrentPartToLibrary();

    // Opens a whole image (9054 bytes, or 9807 with a leading block): what the
    // File menu, the command line, a drop and the recent files all go through.
    // Asks first when it would replace changes not saved; false when nothing
    // was loaded (a refused file has been reported).
    bool loadImageFile(const QString& file);
    // The file the image was last opened from or saved to, or empty.
    QString imageFile() const { return m_imageFile; }
    // Whether the image (or one part of it) differs from what was last opened
    // or saved; checksums aside.
    bool hasUnsavedChanges(std::optional<int> part = std::nullopt) const;
    // The folder the image is kept in between runs.
    QString dataFolder() const { return m_dataFolder; }
    QCheckBox* keepImageBox() const { return m_keepImage; }

    // Opens a .syx file as the File menu's commands would, chosen by its kind:
    // an 8-part file replaces the image, a part file goes onto the current part,
    // a part R file onto part R. Anything else is refused with the reason and
    // changes nothing. For files named on the command line, dropped on the
    // window or chosen from the recent list.
    bool openFile(const QString& path);
    // The files last opened or saved, newest first.
    QStringList recentFiles() const;
    QMenu* recentMenu() const { return m_recentMenu; }
    // The manual, in a window of its own (F1).
    void showHelp();
    HelpWindow* helpWindow() const { return m_help; }

    // Runs a command, turning an exception into a message box with its text
    // (Qt lets no exception cross its event loop).
    void runCommand(const std::function<void()>& command);

signals:
    // The status text of an edit or a key, for the quick-edit window.
    void statusTextChanged(const QString& text);
    // The refresh has run (the quick-edit window follows it).
    void refreshed();
    // A step was added to the history, or undone or redone.
    void historyChanged();
    // A mode that takes over the window (copy, drum mixer, a Get) is starting,
    // or part R became current: the quick-edit window hides.
    void quickEditHideRequested();
    // A file was opened or saved by the user (a whole image, or one part).
    void fileUsed(const QString& file, bool wholeImage);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    // mainwindowui.cpp
    void buildUi();
    void buildMenus();
    QWidget* buildToneSheet();
    QWidget* buildCommonSheet();
    QWidget* buildSetupSheet();
    QWidget* buildSelectionBar();
    QGroupBox* buildPanel(const QString& name, int columns);
    void placeControls(QGroupBox* box, const std::vector<const Binding*>& rows);
    QGroupBox* buildModulationPanel();
    QLabel* makeLabel(const Binding& row, TDragTweak* control);
    TDragTweak* makeControl(const Binding& row, QWidget* parent);
    void showAbout();
    void attachShownSheet();
    QAction* addAction(QMenu* menu, const QString& name, const QString& caption,
                       const QKeySequence& shortcut, const QString& hint,
                       const std::function<void()>& triggered);

    // editflow.cpp
    void controlReleased(TDragTweak* control, Qt::MouseButton button,
                         Qt::KeyboardModifiers modifiers);
    void toneReleased(TDragTweak* control, const Binding& row, Qt::MouseButton button);
    void commonReleased(TDragTweak* control, const Binding& row, Qt::MouseButton button);
    void sendInstrumentParameter(const Address& address, int value);
    void tempoReleased(TDragTweak* control);
    // The instrument's own areas: what was sent, per part for the part box.
    void rememberSent(const TDragTweak* control, const Binding& row);
    void showSentValues();
    void playerReleased(TDragTweak* control, const Binding& row);
    void showToneValues(TDragTweak* control); // on entering a tone control
    QString toneValuesText(const TDragTweak* control) const;
    QString editText(const TDragTweak* control, const Binding& row) const;
    void nameEntered();
    void testNote();
    void morphReleased(int bar);

    // historycommands.cpp: what follows every change the session records.
    void changeRecorded(const Bytes& before, bool stepped);

    // navigation.cpp
    // The selectors become views of the session's selection.
    void followSelection();
    void partChanged();
    // Shows a pitch, filter or amp panel's controls for parts 1..7 or part R.
    void layOutTonePanel(const char* name, bool rhythm);
    void buildDrumNoteList();
    void refreshCaption();
    void refreshToneSheet();
    void refreshCommonSheet();
    void setControlFromImage(TDragTweak* control, int part, int area, int offset);
    QString waveName(int wave) const;

    // filecommands.cpp
    QString partLabel() const;
    // perf.syx into the image; what to tell the musician about it, if anything.
    QString loadPerfImage();
    // Loads a part file onto the current part, or says why it was not loaded.
    std::optional<QString> loadPartFile(const QString& file);
    // The first status panel tells about messages whose checksums a file had wrong.
    void reportWrongChecksums(const QString& file, std::size_t wrong, std::size_t messages);
    std::optional<QString> askOpen(const char* title);
    std::optional<QString> askSave(const char* title, const QString& startName,
                                   const QString& suffix = "syx");
    void open8Part();
    void openPartFile();
    // A checked part block onto the current part, as one step of the history:
    // the File menu's part open and the library's loads both come this way.
    bool loadPartBlock(ByteView block, const QString& step, std::size_t wrongChecksums,
                       const QString& file);
    bool loadPartFileOnCurrentPart(const QString& file);
    void save8Part();
    void savePartFile();
    // The file a patch name is offered as, in the folder of the last save.
    QString besideLastSave(const QString& patchName) const;
    void chooseAutoSaveFile();
    void initializePatch();
    void savePartMidi();
    void save8PartMidi();
    // The one place every open and save of a file passes through: the status
    // word, the folder the next open starts in, and for whole images the file
    // in the caption and the start of "changes not saved".
    void fileTaken(const QString& file, FileUse use);
    // Asks `question` when the part (or the whole image) holds changes not
    // saved; true to go ahead.
    bool mayReplace(std::optional<int> part, const QString& question);
    // A question with a line added when it would replace changes not saved.
    QString withUnsavedNote(const QString& question, std::optional<int> part) const;
    void updateTitle();

    // copymode.cpp
    void buildCopyMenu(QMenu* utility);
    CopyPanel* buildCopyPanel();
    void takeOverForCopy(CopyMode mode, const QString& status);
    void fillCopyList(CopyPanel::Side side);
    void fillDrumLists(const t505temppatch* kit);
    QStringList drumNoteLabels() const;
    std::optional<t505temppatch> readKit(const QString& file);

    // desktopfiles.cpp
    void buildRecentMenu(QMenu* file);
    void refreshRecentMenu();
    void rememberFile(const QString& path);
    void openRecent(const QString& path);
    void placeWindow();
    void rememberPlace();

    // transfercommands.cpp
    void buildTransferMenu(QMenu* utility);
    QWidget* buildReceptionPanel();
    void setUpTransfers();
    void sendCurrentPart();
    void send8Part();
    void sendFile();
    void sendGeneralFile();
    void beginReception(const QString& what);
    // Sends a part, an image or a file message by message, with the count of
    // what has left in the status bar and a word when it is done.
    // `parts` (by the PART selector's index) are in step once it all left.
    void sendWithProgress(const Bytes& bytes, const std::vector<int>& parts = {});
    void sendProgressed();
    void getCurrentPart();
    void get8Part();
    void getFile();
    void receptionProgress(qint64 received, qint64 expected);
    void receptionEnded(const DumpResult& result);

    // historycommands.cpp
    void buildEditMenu();
    void updateEditMenu();
    // After Undo or Redo put an image back: the part states, the sheets, the menu.
    void imageRestored(const Bytes& before);
    // A step's name with where it happened: "Cutoff Frequency, part 3".
    QString onPart(const QString& what) const;
    QString onDrumNote(const QString& what) const; // "Level, part R D2"

    // shakecommands.cpp
    void buildShakeOptions(QGroupBox* box);
    void buildShakeMenu();
    void readShakeSettings();
    void writeShakeSettings();
    void setShakeGroupFlags(const TDragTweak* control, const std::function<bool(bool)>& flag);
    // presetsandscales.cpp
    void buildPresetSelector(QGroupBox* partBox);
    void buildScalePanel(QGroupBox* scaleBox);
    void bankChanged();
    void presetChosen();
    // The text of a list beside the program, or nothing with why in `error`
    // (empty when the file is not there at all).
    std::optional<std::string> readTextList(const QString& fileName, QString* error) const;

    // toolcommands.cpp
    void buildToolsMenu(QMenu* utility);
    void openDrumMixer();
    void closeDrumMixer();
    void lookUpControlChanges();
    void swapModelFile();
    // The part's name in the name field, which from then on is that part's.
    void showName(int part);
    // librarycommands.cpp
    void buildViewMenu();
    // The index, the first time the library is shown.
    void openLibraryOnce();
    void openLibrary(const QString& databaseFile);
    // Sends the auditioned part's own sound back, when an audition lasts.
    void endAudition();
    bool partButtonDrag(QObject* watched, QEvent* event);

    // devicesetup.cpp
    // One entry of a device selector: the device's number (none for "no
    // midiout") and its name as the system gives it.
    struct DeviceChoice
    {
        std::optional<int> id;
        QString name;
    };
    using DeviceChoices = std::vector<DeviceChoice>;
    void fillDeviceLists();
    void openRememberedPorts();
    void writeRememberedPorts();
    // The selector's position for the remembered device; a device that is
    // gone is added to `missing` in words.
    std::optional<int> rememberedDevice(Setting number, Setting name, const DeviceChoices& choices,
                                        const char* what, QStringList& missing) const;
    std::optional<int> chosenDevice(const char* selector, const DeviceChoices& choices) const;
    void openChosenOutput();
    void outputReleased();
    // The PART buttons' marks and hints follow what the instrument holds.
    void showPartSync(int index);
    void inputReleased();
    void showSendError(const QString& text);
    void messageFailed(const QString& text, const Bytes& message);
    void outputLost(const QString& text);
    // Why an edit made with the port closed did not reach the instrument.
    const char* notSentReason() const;
    void outsideFileSent(const Bytes& bytes);

    // mainwindow.cpp
    void startUp();
    void shutDown();
    // The image of the last run, or perf.syx; nothing is sent. What to tell
    // the musician about perf.syx, if anything.
    QString loadStartImage();
    // False, with the reason, when the image could not be kept.
    bool keepImageForNextStart(QString* problem);
    QString keptImagePath() const;
    void loadWaveList();
    void applyFont(const QFont& font);
    void chooseFont();
    bool keyPressed(QKeyEvent* event);
    bool keyReleased(QKeyEvent* event);
    bool editorPagesVisible() const;
    bool isOwnMenu(const QObject* object) const;
    // A control's or a menu entry's hint in the status bar, when hints are on;
    // a menu's hints go again when it closes.
    void showHint(const QString& hint);

    Dialogs* m_dialogs;
    std::unique_ptr<SettingsStore> m_settings;
    QString m_programFolder;
    QString m_dataFolder;
    MidiDeviceRegistry* m_devices;
    QString m_libraryFile;

    EditSession m_session;
    // The session's way to the sender.
    std::unique_ptr<EditOutput> m_editOutput;
    t505temppatch m_undoImage;
    RandomSource m_random;
    TMIDIappUtil* m_util = nullptr;
    TMidiOutput* m_output = nullptr;
    TMidiInput* m_input = nullptr;
    TSuperTimer* m_timer = nullptr;

    // Controls by object name, and their rows.
    std::unordered_map<QString, TDragTweak*> m_controls;
    std::unordered_map<const TDragTweak*, const Binding*> m_rows;
    std::unordered_map<QString, QGroupBox*> m_panels;
    std::unordered_map<QString, int> m_panelColumns;
    std::optional<bool> m_tonePanelsRhythm; // whom the tone panels are laid out for
    std::unordered_map<const TDragTweak*, QLabel*> m_labels;
    std::array<QScrollArea*, 3> m_sheets{};
    // A sheet's content until the sheet is first shown (then its scroll area owns it).
    std::array<std::unique_ptr<QWidget>, 3> m_sheetContent;

    QTabWidget* m_pages = nullptr;
    QStackedWidget* m_sheetArea = nullptr;
    QWidget* m_receptionPanel = nullptr;
    QLabel* m_receptionTitle = nullptr;
    QLabel* m_receptionCount = nullptr;
    QProgressBar* m_sendProgress = nullptr;
    QButtonGroup* m_partGroup = nullptr;
    QWidget* m_toneSelection = nullptr;
    std::array<QCheckBox*, 4> m_toneBoxes{};
    QButtonGroup* m_showGroup = nullptr;
    QWidget* m_showBox = nullptr;
    QComboBox* m_drumNote = nullptr;
    QLabel* m_drumNoteLabel = nullptr;
    QLineEdit* m_name = nullptr;
    int m_namePart = -1; // the part whose name the name field shows
    QString m_nameShown; // and that name as the image held it
    QComboBox* m_wave = nullptr;
    QComboBox* m_category = nullptr;
    QComboBox* m_bank = nullptr;
    QComboBox* m_presets = nullptr;
    QComboBox* m_scales = nullptr;
    QPushButton* m_scaleSend = nullptr;
    QCheckBox* m_autoTrig = nullptr;
    QCheckBox* m_showHint = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_ctrlSource2 = nullptr;
    QLabel* m_ctrlSource3 = nullptr;
    QMenu* m_testMenu = nullptr;
    QGroupBox* m_morphPanel = nullptr;
    std::array<TRevScrB*, 3> m_morphBars{};
    QPushButton* m_sysexButton = nullptr;
    QProgressBar* m_progress = nullptr;
    QSpinBox* m_messagePause = nullptr;
    DumpReceiver* m_receiver = nullptr;
    MidiMonitor* m_monitor = nullptr;
    LibraryPanel* m_libraryPanel = nullptr;
    Library* m_library = nullptr;
    bool m_libraryOpened = false;
    // The part the instrument plays from the library in place of the
    // window's own, while an audition lasts.
    std::optional<int> m_auditionPart;
    QAction* m_undoAction = nullptr;
    QAction* m_redoAction = nullptr;
    QButtonGroup* m_shakeType = nullptr;
    QCheckBox* m_shakeAutoSend = nullptr;
    QCheckBox* m_shakeWave = nullptr;
    QMenu* m_shakeMenu = nullptr;
    QAction* m_shakenAction = nullptr;
    QPointer<TDragTweak> m_shakeMenuControl; // the control the shake menu was opened on
    QWidget* m_selectionBar = nullptr;
    CopyPanel* m_copyPanel = nullptr;
    QAction* m_doneAction = nullptr;
    CopyMode m_copyMode = CopyMode::Off;
    QString m_copyStatus;  // the mode's text in the status bar
    QString m_extractFile; // the file the extraction copies from, read again each time
    DrumMixerPanel* m_drumMixer = nullptr;
    QPointer<QWidget> m_quickEdit;
    QMenu* m_recentMenu = nullptr;
    HelpWindow* m_help = nullptr;

    struct KeySeen
    {
        int type = 0;
        int key = 0;
        unsigned long timestamp = 0;
        bool operator==(const KeySeen&) const = default;
    };
    KeySeen m_lastKey;
    // A send under way: the sender's byte counts that bracket it.
    struct SendJob
    {
        std::uint64_t start = 0;
        std::uint64_t end = 0;
        int messages = 0;
        QString error;          // the first failure while it ran
        std::vector<int> parts; // the window's parts it sends whole
    };
    std::optional<SendJob> m_sendJob;
    bool m_outputLost = false; // the output's device went away and none was chosen since
    // Positions sent to the instrument's own areas this session, by row and
    // part (-1 for the areas all parts share).
    std::map<std::pair<const Binding*, int>, int> m_sentValues;
    QString m_imageFile;      // last opened or saved whole image, or empty
    Bytes m_savedImage;       // the image as that file holds it (empty: unknown)
    QString m_lastGoodFolder; // where the last file that opened or saved lies
    QCheckBox* m_keepImage = nullptr;
    QString m_saveFileName;  // the save dialog's remembered file name
    QString m_openFileName;  // the open dialog's
    QStringList m_waveNames; // as loaded, each with its two leading blanks
    QString m_caption;
    QString m_hintShown;           // the last hint put in the status bar
    DeviceChoices m_outputChoices; // by the midiout selector's positions
    DeviceChoices m_inputChoices;
    QString m_errorShowing; // the send error whose box is open, so repeats don't stack
    bool m_closing = false;
};

} // namespace dorvane
