// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu: opening and saving whole images and single parts as .syx
// files, Initialize Patch from the template, the automatic backup, and the
// Standard MIDI File export.
#include "editor/mainwindow.h"

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

QString MainWindow::partLabel() const
{
    return isRhythmPart() ? QString("R") : QString::number(partIndex() + 1);
}

std::optional<QString> MainWindow::askOpen(const char* title)
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

std::optional<QString> MainWindow::askSave(const char* title, const QString& startName,
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

void MainWindow::reportWrongChecksums(const QString& file, std::size_t wrong, std::size_t messages)
{
    if (wrong > 0)
        setStatusText(QString(texts::WrongChecksums)
                          .arg(QFileInfo(file).fileName())
                          .arg(qulonglong(wrong))
                          .arg(qulonglong(messages)));
}

void MainWindow::open8Part()
{
    if (const auto file = askOpen(texts::Open8PartTitle))
        loadImageFile(*file);
}

bool MainWindow::loadImageFile(const QString& file)
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
    refresh();
    rememberFile(file);
    return true;
}

void MainWindow::openPartFile()
{
    if (const auto file = askOpen(texts::OpenPartTitle))
        loadPartFileOnCurrentPart(*file);
}

bool MainWindow::loadPartFileOnCurrentPart(const QString& file)
{
    const Bytes bytes = readWholeFile(file.toStdString());
    const SysexFileCheck check = checkSysexFileAs(
        bytes, isRhythmPart() ? SysexFileKind::RhythmPartFile : SysexFileKind::PartFile);
    if (!check.ok()) {
        // Nothing is loaded; saying so keeps a wrong file from passing for a loaded one.
        setStatusText(
            QString(texts::PartFileNotLoaded)
                .arg(QFileInfo(file).fileName(), QString::fromStdString(check.problem())));
        return false;
    }
    if (!mayReplace(partNumber(), QString(texts::UnsavedOpen).arg(QFileInfo(file).fileName())))
        return false;
    const QString before = statusText();
    if (!loadPartBlock(check.block(bytes), onPart("Open " + QFileInfo(file).fileName()),
                       check.wrongChecksums(), file))
        return false;
    // A warning about checksums outweighs the word that the file was opened.
    const QString warning = statusText();
    fileTaken(file, FileUse::OpenedPart);
    if (warning != before)
        setStatusText(warning);
    rememberFile(file);
    return true;
}

bool MainWindow::loadPartBlock(ByteView block, const QString& step, std::size_t wrongChecksums,
                               const QString& file)
{
    if (!m_session.image().LoadPartBlock(block, partNumber())) {
        setStatusText(
            QString(texts::PartFileNotLoaded)
                .arg(QFileInfo(file).fileName(),
                     QString("the image holds no part %1 to load it into").arg(partLabel())));
        return false;
    }
    reportWrongChecksums(file, wrongChecksums, isRhythmPart() ? MessagesInRhythm : MessagesPerPart);
    imageChanged(step);
    refresh();
    return true;
}

std::optional<QString> MainWindow::loadPartFile(const QString& file)
{
    const Bytes bytes = readWholeFile(file.toStdString());
    const SysexFileCheck check = checkSysexFileAs(
        bytes, isRhythmPart() ? SysexFileKind::RhythmPartFile : SysexFileKind::PartFile);
    if (!check.ok())
        return QString::fromStdString(check.problem());
    if (!m_session.image().LoadPartBlock(check.block(bytes), partNumber()))
        return QString("the image holds no part %1 to load it into").arg(partLabel());
    reportWrongChecksums(file, check.wrongChecksums(),
                         isRhythmPart() ? MessagesInRhythm : MessagesPerPart);
    return std::nullopt;
}

void MainWindow::save8Part()
{
    if (const auto file = askSave(texts::Save8PartTitle, m_saveFileName)) {
        m_session.image().SaveToFile(file->toStdString());
        m_saveFileName = *file;
        fileTaken(*file, FileUse::SavedImage);
        rememberFile(*file);
    }
}

void MainWindow::savePartFile()
{
    const QString name = m_name->text().trimmed();
    const QString start = name.isEmpty() ? m_saveFileName : besideLastSave(name);
    if (const auto file = askSave(texts::SavePartTitle, start)) {
        m_session.image().SavePartFile(file->toStdString(), partNumber());
        m_saveFileName = *file;
        fileTaken(*file, FileUse::SavedPart);
        rememberFile(*file);
    }
}

QString MainWindow::besideLastSave(const QString& patchName) const
{
    return QFileInfo(m_saveFileName).dir().filePath(patchFileName(patchName));
}

bool MainWindow::hasUnsavedChanges(std::optional<int> part) const
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

bool MainWindow::mayReplace(std::optional<int> part, const QString& question)
{
    return !hasUnsavedChanges(part) ||
           m_dialogs->ask(texts::withLineBreaks(question), AskKind::Warning);
}

QString MainWindow::withUnsavedNote(const QString& question, std::optional<int> part) const
{
    return hasUnsavedChanges(part) ? question + texts::UnsavedGet : question;
}

void MainWindow::updateTitle()
{
    QString file;
    if (!m_imageFile.isEmpty())
        file = QFileInfo(m_imageFile).fileName() + (hasUnsavedChanges() ? texts::NotSavedMark : "");
    else if (hasUnsavedChanges())
        file = texts::NoFileChanged;
    setWindowTitle(texts::CaptionPrefix + m_caption + (file.isEmpty() ? "" : "  \u2014  " + file));
}

void MainWindow::fileTaken(const QString& file, FileUse use)
{
    const QString name = QFileInfo(file).fileName();
    m_lastGoodFolder = QFileInfo(file).absolutePath();
    const bool saved = use == FileUse::SavedImage || use == FileUse::SavedPart;
    setStatusText(QString(saved ? texts::SavedFile : texts::OpenedFile).arg(name));
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
        m_session.partChangedHere(partIndex(), notSent);
    emit fileUsed(file, use == FileUse::OpenedImage || use == FileUse::SavedImage);
}

void MainWindow::chooseAutoSaveFile()
{
    if (const auto file = askSave(texts::AutoSaveTitle, m_settings->text(Setting::AutoSave)))
        m_settings->setText(Setting::AutoSave, *file);
}

void MainWindow::autoSaveTick()
{
    const QString file = m_settings->text(Setting::AutoSave);
    if (file.isEmpty() || !m_settings->contains(Setting::AutoSave))
        return;
    const QString when = QTime::currentTime().toString();
    const QString path = m_settings->text(Setting::AutoSavePath);
    const QString rest = path + " " + when;
    m_status->setText(texts::AutoSavedTo + rest);
    emit statusTextChanged(texts::AutoSavedToKnobs + rest);
    m_session.image().SaveToFile(file.toStdString());
}

void MainWindow::initializePatch()
{
    if (!m_dialogs->ask(texts::InitializeQuestion + partLabel() + "?", AskKind::Warning))
        return;
    const int part = partNumber();
    if (isRhythmPart()) {
        // Part R has no template file of its own; the start-up image holds a
        // neutral kit, each drum note playing its own key.
        const QString perf = m_programFolder + "/perf.syx";
        const Bytes perfBytes = readWholeFile(perf.toStdString());
        const SysexFileCheck kit = checkSysexFileAs(perfBytes, SysexFileKind::Image);
        if (!kit.ok())
            throw FileError("The start-up image " + perf.toStdString() +
                            " holds no drum kit to start from: " + kit.problem());
        Bytes all = m_session.image().bytes();
        if (!replaceRhythmBlock(all, kit.block(perfBytes)))
            throw FileError("There is no image to initialize part R in");
        m_session.image().LoadFromBytes(all);
    } else {
        const QString templ = m_programFolder + "/part.syx";
        if (const auto problem = loadPartFile(templ))
            throw FileError("The template " + templ.toStdString() +
                            " was not loaded: " + problem->toStdString());
    }
    sendWithProgress(m_session.image().PartBytes(part), {partSyncIndex(part)});
    imageChanged("Initialize Part " + partLabel());
    refresh();
}

void MainWindow::savePartMidi()
{
    if (const auto file = askSave(texts::SavePartMidiTitle, QString(), "mid"))
        m_session.image().SavePartAsMidiFile(file->toStdString(), partNumber());
}

void MainWindow::save8PartMidi()
{
    if (const auto file = askSave(texts::Save8PartMidiTitle, QString(), "mid"))
        m_session.image().SaveAsMidiFile(file->toStdString());
}

} // namespace dorvane
