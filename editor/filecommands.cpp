// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu: opening and saving whole images and single parts as .syx
// files, Initialize Patch from the template, the automatic backup, and the
// Standard MIDI File export.
#include "editor/filecommands.h"
#include "editor/desktopfiles.h"
#include "editor/shakecommands.h"
#include "editor/transfercommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"

#include "editor/settingsstore.h"
#include "editor/windowtexts.h"
#include "library/library.h"
#include "midi/dialogs.h"
#include "patch/fileio.h"
#include "patch/imagecheck.h"
#include "patch/imagediff.h"
#include "patch/rhythmpart.h"
#include "player/tmidiapputil.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTime>

#include <algorithm>

namespace dorvane {

namespace {

const QString MidiFilter = "*.mid (*.mid);;* (*)";

} // namespace

QString FileCommands::loadStartImage()
{
    // The image of the last run, when it was kept and is whole; otherwise
    // perf.syx beside the program, as on the first start.
    std::optional<Bytes> kept;
    if (m_parts.sheets->keepImageBox()->isChecked()) {
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
    m_parts.shake->undoImage().LoadFromStream(m_session.image());
    // Where the musician left off is no step to undo.
    m_session.history().reset(m_session.image().bytes());
    return problem;
}

QString FileCommands::loadPerfImage()
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

QString FileCommands::keptImagePath() const
{
    return QDir(m_dataFolder).filePath("image.syx");
}

bool FileCommands::keepImageForNextStart(QString* problem)
{
    m_settings->setBoolean(Setting::KeepImage, m_parts.sheets->keepImageBox()->isChecked());
    if (!m_parts.sheets->keepImageBox()->isChecked() || m_session.image().Size() != ImageSize)
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

std::optional<QString> FileCommands::askOpen(const char* title)
{
    FileDialogRequest r;
    r.title = title;
    // The open dialog starts where the last save went, until it has a name of its own.
    r.fileName = m_openFileName.isEmpty() ? m_saveFileName : m_openFileName;
    auto chosen = m_dialogs->openFile(r);
    if (chosen)
        m_openFileName = *chosen;
    return chosen;
}

std::optional<QString> FileCommands::askSave(const char* title, const QString& startName,
                                             const QString& suffix)
{
    FileDialogRequest r;
    r.title = title;
    r.fileName = startName;
    if (suffix == "mid") {
        r.defaultSuffix = "mid";
        r.filter = MidiFilter;
    }
    return m_dialogs->saveFile(r);
}

void FileCommands::reportWrongChecksums(const QString& file, std::size_t wrong,
                                        std::size_t messages)
{
    if (wrong > 0)
        m_frame.setStatusText(QString(texts::WrongChecksums)
                                  .arg(QFileInfo(file).fileName())
                                  .arg(qulonglong(wrong))
                                  .arg(qulonglong(messages)));
}

void FileCommands::open8Part()
{
    if (const auto file = askOpen(texts::Open8PartTitle))
        loadImageFile(*file);
}

bool FileCommands::loadImageFile(const QString& file)
{
    const Bytes bytes = readWholeFile(file.toStdString());
    const SysexFileCheck check = checkSysexFileAs(bytes, SysexFileKind::Image);
    if (!check.ok()) {
        // The next open starts where the last good file was, not at a name
        // that is not there.
        m_openFileName =
            m_lastGoodFolder.isEmpty() ? m_settings->text(Setting::Directory) : m_lastGoodFolder;
        m_dialogs->ask(
            QString(texts::FileNotLoaded)
                .arg(QFileInfo(file).fileName(), QString::fromStdString(check.problem())),
            AskKind::Information);
        return false;
    }
    if (!mayReplace(std::nullopt, QString(texts::UnsavedOpen).arg(QFileInfo(file).fileName())))
        return false;
    // Some librarians keep a block of their own in front; block() skips it.
    m_session.apply(
        "Open " + QFileInfo(file).fileName(),
        [&](t505temppatch& image) { image.LoadFromBytes(check.block(bytes)); },
        EditSession::Sending::Nothing);
    fileTaken(file, FileUse::OpenedImage);
    reportWrongChecksums(file, check.wrongChecksums(), MessagesInImage);
    m_parts.sheets->refresh();
    m_parts.desktop->rememberFile(file);
    return true;
}

void FileCommands::openPartFile()
{
    if (const auto file = askOpen(texts::OpenPartTitle))
        loadPartFileOnCurrentPart(*file);
}

bool FileCommands::loadPartFileOnCurrentPart(const QString& file)
{
    const Bytes bytes = readWholeFile(file.toStdString());
    const SysexFileCheck check = checkSysexFileAs(
        bytes, m_session.isRhythmPart() ? SysexFileKind::RhythmPartFile : SysexFileKind::PartFile);
    if (!check.ok()) {
        // Nothing is loaded; saying so keeps a wrong file from passing for a loaded one.
        m_frame.setStatusText(
            QString(texts::PartFileNotLoaded)
                .arg(QFileInfo(file).fileName(), QString::fromStdString(check.problem())));
        return false;
    }
    if (!mayReplace(m_session.partNumber(),
                    QString(texts::UnsavedOpen).arg(QFileInfo(file).fileName())))
        return false;
    const QString before = m_frame.statusText();
    if (!loadPartBlock(check.block(bytes), m_session.onPart("Open " + QFileInfo(file).fileName()),
                       check.wrongChecksums(), file))
        return false;
    // A warning about checksums outweighs the word that the file was opened.
    const QString warning = m_frame.statusText();
    fileTaken(file, FileUse::OpenedPart);
    if (warning != before)
        m_frame.setStatusText(warning);
    m_parts.desktop->rememberFile(file);
    return true;
}

bool FileCommands::loadPartBlock(ByteView block, const QString& step, std::size_t wrongChecksums,
                                 const QString& file)
{
    // A load the image has no place for changes nothing and leaves no step.
    bool loaded = false;
    const int part = m_session.partNumber();
    m_session.apply(
        step, [&](t505temppatch& image) { loaded = image.LoadPartBlock(block, part); },
        EditSession::Sending::Nothing);
    if (!loaded) {
        m_frame.setStatusText(QString(texts::PartFileNotLoaded)
                                  .arg(QFileInfo(file).fileName(),
                                       QString("the image holds no part %1 to load it into")
                                           .arg(m_session.partLabel())));
        return false;
    }
    reportWrongChecksums(file, wrongChecksums,
                         m_session.isRhythmPart() ? MessagesInRhythm : MessagesPerPart);
    m_parts.sheets->refresh();
    return true;
}

std::optional<QString> FileCommands::readPartFile(const QString& file, Bytes& block)
{
    const Bytes bytes = readWholeFile(file.toStdString());
    const SysexFileCheck check = checkSysexFileAs(
        bytes, m_session.isRhythmPart() ? SysexFileKind::RhythmPartFile : SysexFileKind::PartFile);
    if (!check.ok())
        return QString::fromStdString(check.problem());
    const ByteView part = check.block(bytes);
    block.assign(part.begin(), part.end());
    reportWrongChecksums(file, check.wrongChecksums(),
                         m_session.isRhythmPart() ? MessagesInRhythm : MessagesPerPart);
    return std::nullopt;
}

void FileCommands::save8Part()
{
    if (const auto file = askSave(texts::Save8PartTitle, m_saveFileName)) {
        m_session.image().SaveToFile(file->toStdString());
        m_saveFileName = *file;
        fileTaken(*file, FileUse::SavedImage);
        m_parts.desktop->rememberFile(*file);
    }
}

void FileCommands::savePartFile()
{
    const QString name = m_parts.sheets->nameField()->text().trimmed();
    const QString start = name.isEmpty() ? m_saveFileName : besideLastSave(name);
    if (const auto file = askSave(texts::SavePartTitle, start)) {
        m_session.image().SavePartFile(file->toStdString(), m_session.partNumber());
        m_saveFileName = *file;
        fileTaken(*file, FileUse::SavedPart);
        m_parts.desktop->rememberFile(*file);
    }
}

QString FileCommands::besideLastSave(const QString& patchName) const
{
    return QFileInfo(m_saveFileName).dir().filePath(patchFileName(patchName));
}

bool FileCommands::hasUnsavedChanges(std::optional<int> part) const
{
    if (!part)
        return !sameContent(m_session.image().bytes(), m_savedImage);
    // A changed message belongs to the part its address names.
    constexpr std::size_t PartByte = 7; // F0 41 10 00 0B 12 02 part ...
    for (const Bytes& message : changedMessages(m_savedImage, m_session.image().bytes()))
        if (message.size() > PartByte && message[PartByte] == *part)
            return true;
    return false;
}

bool FileCommands::mayReplace(std::optional<int> part, const QString& question)
{
    return !hasUnsavedChanges(part) ||
           m_dialogs->ask(texts::withLineBreaks(question), AskKind::Warning);
}

void FileCommands::updateTitle()
{
    QString file;
    if (!m_imageFile.isEmpty())
        file = QFileInfo(m_imageFile).fileName() + (hasUnsavedChanges() ? texts::NotSavedMark : "");
    else if (hasUnsavedChanges())
        file = texts::NoFileChanged;
    m_parts.window->setWindowTitle(texts::CaptionPrefix + m_parts.sheets->captionText() +
                                   (file.isEmpty() ? "" : "  \u2014  " + file));
}

void FileCommands::fileTaken(const QString& file, FileUse use)
{
    const QString name = QFileInfo(file).fileName();
    m_lastGoodFolder = QFileInfo(file).absolutePath();
    const bool saved = use == FileUse::SavedImage || use == FileUse::SavedPart;
    m_frame.setStatusText(QString(saved ? texts::SavedFile : texts::OpenedFile).arg(name));
    if (use == FileUse::OpenedImage || use == FileUse::SavedImage) {
        // The image now says what this file says: the mark of changes not
        // saved starts over from here.
        m_imageFile = file;
        m_savedImage = m_session.image().bytes();
        updateTitle();
    }
    const QString notSent = QString(texts::OpenedNotSent).arg(name);
    if (use == FileUse::OpenedImage)
        m_session.imageChangedHere(notSent);
    else if (use == FileUse::OpenedPart)
        m_session.partChangedHere(m_session.partIndex(), notSent);
    emit fileUsed(file, use == FileUse::OpenedImage || use == FileUse::SavedImage);
}

void FileCommands::chooseAutoSaveFile()
{
    if (const auto file = askSave(texts::AutoSaveTitle, m_settings->text(Setting::AutoSave)))
        m_settings->setText(Setting::AutoSave, *file);
}

void FileCommands::autoSaveTick()
{
    const QString file = m_settings->text(Setting::AutoSave);
    if (file.isEmpty() || !m_settings->contains(Setting::AutoSave))
        return;
    const QString when = QTime::currentTime().toString();
    const QString path = m_settings->text(Setting::AutoSavePath);
    const QString rest = path + " " + when;
    m_frame.statusLine()->setText(texts::AutoSavedTo + rest);
    emit m_frame.statusTextChanged(texts::AutoSavedToKnobs + rest);
    m_session.image().SaveToFile(file.toStdString());
}

void FileCommands::initializePatch()
{
    if (!m_dialogs->ask(texts::InitializeQuestion + m_session.partLabel() + "?", AskKind::Warning))
        return;
    const int part = m_session.partNumber();
    // Read and checked before the image is touched: a template that fails
    // leaves the part as it was.
    Bytes start;
    if (m_session.isRhythmPart()) {
        // Part R has no template file of its own; the start-up image holds a
        // neutral kit, each drum note playing its own key.
        const QString perf = m_programFolder + "/perf.syx";
        const Bytes perfBytes = readWholeFile(perf.toStdString());
        const SysexFileCheck kit = checkSysexFileAs(perfBytes, SysexFileKind::Image);
        if (!kit.ok())
            throw FileError("The start-up image " + perf.toStdString() +
                            " holds no drum kit to start from: " + kit.problem());
        start = m_session.image().bytes();
        if (!replaceRhythmBlock(start, kit.block(perfBytes)))
            throw FileError("There is no image to initialize part R in");
    } else {
        const QString templ = m_programFolder + "/part.syx";
        if (const auto problem = readPartFile(templ, start))
            throw FileError("The template " + templ.toStdString() +
                            " was not loaded: " + problem->toStdString());
    }
    bool loaded = false;
    // The part goes over whole, with its progress, rather than as the
    // messages that differ; taking its bytes refreshes their checksums, which
    // the step then keeps.
    m_session.apply(
        "Initialize Part " + m_session.partLabel(),
        [&](t505temppatch& image) {
            if (m_session.isRhythmPart()) {
                image.LoadFromBytes(start);
                loaded = true;
            } else {
                loaded = image.LoadPartBlock(start, part);
            }
            if (loaded)
                m_parts.transfers->sendWithProgress(image.PartBytes(part), {partSyncIndex(part)});
        },
        EditSession::Sending::Nothing);
    if (!loaded)
        throw FileError("There is no part " + m_session.partLabel().toStdString() +
                        " in the image to initialize");
    m_parts.sheets->refresh();
}

void FileCommands::savePartMidi()
{
    if (const auto file = askSave(texts::SavePartMidiTitle, QString(), "mid"))
        m_session.image().SavePartAsMidiFile(file->toStdString(), m_session.partNumber());
}

void FileCommands::save8PartMidi()
{
    if (const auto file = askSave(texts::Save8PartMidiTitle, QString(), "mid"))
        m_session.image().SaveAsMidiFile(file->toStdString());
}

FileCommands::FileCommands(const WindowParts& parts) : WindowPart(parts) {}

} // namespace dorvane
