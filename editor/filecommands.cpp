// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu: opening and saving whole images and single parts as .syx
// files, Initialize Patch from the template, the automatic backup, and the
// Standard MIDI File export.
#include "editor/mainwindow.h"

#include "editor/settingsstore.h"
#include "editor/windowtexts.h"
#include "patch/fileio.h"
#include "patch/imagecheck.h"
#include "player/dialogs.h"
#include "player/tmidiapputil.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QStatusBar>
#include <QTime>

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

void MainWindow::open8Part()
{
    const auto file = askOpen(texts::Open8PartTitle);
    if (!file)
        return;
    const Bytes bytes = readWholeFile(file->toStdString());
    switch (classifySysexFile(bytes)) {
    case SysexFileKind::Image:
        m_image.LoadFromBytes(bytes);
        break;
    case SysexFileKind::ImageWithLeadingBlock:
        // Some librarians keep a block of their own in front; only its length matters.
        m_image.LoadFromBytes(ByteView(bytes).subspan(LeadingBlockSize));
        break;
    default:
        m_openFileName = m_settings->text(Setting::Directory);
        m_dialogs->ask(texts::withLineBreaks(texts::WrongSize), AskKind::Information);
        return;
    }
    imageChanged("Open " + QFileInfo(*file).fileName());
    refresh();
}

void MainWindow::openPartFile()
{
    const auto file = askOpen(texts::OpenPartTitle);
    if (!file)
        return;
    if (!m_image.LoadPartFile(file->toStdString(), partNumber())) {
        // Nothing is loaded; saying so keeps a wrong file from passing for a loaded one.
        setStatusText(QString("%1 is not a part file of %2 bytes: not loaded")
                          .arg(QFileInfo(*file).fileName())
                          .arg(partBlockSize(partNumber())));
    }
    imageChanged(onPart("Open " + QFileInfo(*file).fileName()));
    refresh();
}

void MainWindow::save8Part()
{
    if (const auto file = askSave(texts::Save8PartTitle, m_saveFileName)) {
        m_image.SaveToFile(file->toStdString());
        m_saveFileName = *file;
    }
}

void MainWindow::savePartFile()
{
    QString start = m_saveFileName;
    const QString name = m_name->text().trimmed();
    if (!name.isEmpty())
        start = QFileInfo(m_saveFileName).dir().filePath(name + ".syx");
    if (const auto file = askSave(texts::SavePartTitle, start)) {
        m_image.SavePartFile(file->toStdString(), partNumber());
        m_saveFileName = *file;
    }
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
    setStatusText(texts::AutoSavedTo + path + " " + when);
    m_image.SaveToFile(file.toStdString());
}

void MainWindow::initializePatch()
{
    if (!m_dialogs->ask(texts::InitializeQuestion + partLabel() + "?", AskKind::Warning))
        return;
    if (isRhythmPart())
        return;
    const QString templ = m_programFolder + "/part.syx";
    if (!m_image.LoadPartFile(templ.toStdString(), partNumber()))
        throw FileError("The template " + templ.toStdString() + " is not a part file of 650 bytes");
    m_util->SendLong(m_image.PartBytes(partNumber()));
    imageChanged("Initialize Part " + partLabel());
    refresh();
}

void MainWindow::savePartMidi()
{
    if (const auto file = askSave(texts::SavePartMidiTitle, QString(), "mid"))
        m_image.SavePartAsMidiFile(file->toStdString(), partNumber());
}

void MainWindow::save8PartMidi()
{
    if (const auto file = askSave(texts::Save8PartMidiTitle, QString(), "mid"))
        m_image.SaveAsMidiFile(file->toStdString());
}

} // namespace dorvane
