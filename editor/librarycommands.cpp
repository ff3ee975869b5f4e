// SPDX-License-Identifier: GPL-3.0-or-later
// The library in the window: the dock and View > Library, and what its rows do
// to the image. A load goes the way of the File menu's part open (the same
// check of the file, the same loading onto a part, one step of the history)
// and is then sent as Initialize Patch sends its part. An audition asks
// nothing and changes nothing: the instrument plays the file's part until the
// window's own goes back. Dropping a row on a PART button loads it there.
#include "editor/librarycommands.h"
#include "editor/filecommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"

#include "editor/librarymodel.h"
#include "editor/librarypanel.h"
#include "editor/librarytexts.h"
#include "editor/settingsstore.h"
#include "editor/windowtexts.h"
#include "library/library.h"
#include "library/patchfileparts.h"
#include "midi/dialogs.h"
#include "midi/tmidioutput.h"
#include "player/tmidiapputil.h"
#include "session/editsession.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

namespace dorvane {

namespace {

// The part selector's index of part R.

// The part a drag from the library carries, if it is one.
std::optional<qint64> draggedPart(const QMimeData* data)
{
    if (!data || !data->hasFormat(LibraryModel::MimeType))
        return std::nullopt;
    bool ok = false;
    const qint64 id = data->data(LibraryModel::MimeType).toLongLong(&ok);
    return ok ? std::optional<qint64>(id) : std::nullopt;
}

} // namespace

void LibraryCommands::buildViewMenu()
{
    m_libraryPanel = new LibraryPanel(*m_dialogs, m_parts.window);
    m_parts.window->addDockWidget(Qt::RightDockWidgetArea, m_libraryPanel);
    m_libraryPanel->hide();
    connect(m_libraryPanel, &LibraryPanel::loadRequested, this, [this](std::size_t e) {
        m_frame.runCommand([&] { loadFromLibrary(e, LibraryLoad::Load); });
    });
    connect(m_libraryPanel, &LibraryPanel::auditionRequested, this, [this](std::size_t e) {
        m_frame.runCommand([&] { loadFromLibrary(e, LibraryLoad::Audition); });
    });
    connect(m_libraryPanel, &LibraryPanel::openFileRequested, this,
            [this](std::size_t e) { m_frame.runCommand([&] { openWholeFileFromLibrary(e); }); });
    connect(m_libraryPanel, &LibraryPanel::savePartRequested, this,
            [this] { m_frame.runCommand([this] { saveCurrentPartToLibrary(); }); });
    connect(m_libraryPanel, &LibraryPanel::exportBankRequested, this,
            [this](std::vector<std::size_t> e) { m_frame.runCommand([&] { exportBank(e); }); });
    connect(
        m_libraryPanel, &LibraryPanel::compareRequested, this,
        [this](std::size_t a, std::size_t b) { m_frame.runCommand([&] { compareParts(a, b); }); });
    connect(m_libraryPanel, &LibraryPanel::message, &m_frame, &WindowFrame::setStatusText);
    connect(m_libraryPanel, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (!visible)
            m_frame.runCommand([this] { endAudition(); });
    });

    QMenu* view = m_parts.window->menuBar()->addMenu("&View");
    view->setObjectName("ViewMenu");
    QAction* show = m_libraryPanel->toggleViewAction();
    show->setObjectName("ViewLibrary");
    show->setText(texts::Library);
    // Ctrl and a letter alone leave the keyboard piano be.
    show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    show->setStatusTip(texts::LibraryHint);
    view->addAction(show);
    connect(show, &QAction::triggered, this, [this](bool shown) {
        if (!shown)
            return;
        openLibraryOnce();
        m_libraryPanel->searchField()->setFocus();
    });
    // Opened when first shown: most starts never look at the library, and its
    // SQL driver, database and rescan of the folders would hold up the window.
    connect(m_libraryPanel, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            openLibraryOnce();
    });

    for (QAbstractButton* b : m_parts.sheets->partGroup()->buttons())
        b->setAcceptDrops(true);
}

void LibraryCommands::openLibraryOnce()
{
    if (m_libraryOpened)
        return;
    m_libraryOpened = true;
    openLibrary(m_parts.libraryFile);
}

void LibraryCommands::openLibrary(const QString& databaseFile)
{
    if (databaseFile.isEmpty()) {
        m_libraryPanel->setLibrary(nullptr, "no index was given to this window");
        return;
    }
    try {
        m_library = new Library(databaseFile, this);
    } catch (const LibraryError& e) {
        // Everything else works without it; the panel and the status bar say why.
        const QString why = QString::fromStdString(e.what());
        m_libraryPanel->setLibrary(nullptr, why);
        m_frame.setStatusText(QString(texts::LibraryUnavailable).arg(why));
        return;
    }
    m_libraryPanel->setLibrary(m_library);
    // What changed on disk while the program was not running.
    m_library->rescan();
}

void LibraryCommands::loadFromLibrary(std::size_t index, LibraryLoad how, std::optional<int> onPart)
{
    if (!m_library || index >= m_library->entries().size())
        return;
    // A copy: the list may be read again before this is done.
    const LibraryEntry entry = m_library->entries()[index];
    int target = onPart.value_or(m_session.partIndex());
    if (entry.rhythm()) {
        if (onPart && *onPart != EditSession::RhythmIndex) {
            m_frame.setStatusText(QString(texts::LibraryRhythmOnNormal).arg(entry.name));
            return;
        }
        target = EditSession::RhythmIndex;
    } else if (target == EditSession::RhythmIndex) {
        m_frame.setStatusText(QString(texts::LibraryNormalOnRhythm).arg(entry.name));
        return;
    }

    // The file as it is now, judged again: it may have changed since it was read.
    const PartRereading reading = rereadPart(entry);
    if (!reading.ok()) {
        m_frame.setStatusText(
            QString(texts::LibraryFileChanged).arg(entry.fileName, reading.problem));
        m_library->indexFile(entry.path);
        return;
    }

    const int part = partOfSyncIndex(target);
    if (how == LibraryLoad::Load &&
        !m_parts.files->mayReplace(part, QString(texts::UnsavedOpen).arg(entry.fileName)))
        return;
    // What goes out next replaces the auditioned part anyway; another part
    // auditioned gets its own sound back first.
    if (m_auditionPart == part)
        m_auditionPart.reset();
    else
        endAudition();
    if (target != m_session.partIndex())
        m_parts.sheets->selectPart(target);

    if (how == LibraryLoad::Audition) {
        t505temppatch heard;
        heard.LoadFromStream(m_session.image());
        if (!heard.LoadPartBlock(reading.block, part))
            return;
        m_util->SendLong(heard.PartBytes(part));
        m_session.partChangedHere(partSyncIndex(part),
                                  QString(texts::AuditionHeard).arg(entry.name));
        m_auditionPart = part;
        m_auditionStatus = QString(texts::LibraryAuditioned).arg(entry.name, m_session.partLabel());
        m_frame.setStatusText(m_auditionStatus);
        m_parts.sheets->testNote();
        return;
    }
    if (!m_parts.files->loadPartBlock(
            reading.block, QString(texts::LibraryLoadStep).arg(entry.name, m_session.partLabel()),
            reading.wrongChecksums, entry.path))
        return;
    m_util->SendLong(m_session.image().PartBytes(m_session.partNumber()));
    // The whole part went out; a failure on the way is told by the port.
    if (m_output->IsOpen())
        m_session.partSent(m_session.partIndex());
    else
        m_session.partChangedHere(m_session.partIndex(),
                                  QString(texts::LibraryNotSent).arg(entry.name));
    m_frame.setStatusText(QString(texts::LibraryLoaded).arg(entry.name, m_session.partLabel()));
}

void LibraryCommands::endAudition()
{
    if (!m_auditionPart)
        return;
    const int part = *m_auditionPart;
    m_auditionPart.reset();
    m_util->SendLong(m_session.image().PartBytes(part));
    if (m_output->IsOpen())
        m_session.partSent(partSyncIndex(part));
    // Ended by Esc or the dock closing, the line would still name the
    // audition; ended by a command, that command says what it did.
    if (m_frame.statusText() == m_auditionStatus)
        m_frame.setStatusText(
            QString(texts::AuditionEnded)
                .arg(part == RhythmPart ? QString("R") : QString::number(part + 1)));
}

void LibraryCommands::openWholeFileFromLibrary(std::size_t index)
{
    if (!m_library || index >= m_library->entries().size())
        return;
    const LibraryEntry& entry = m_library->entries()[index];
    if (entry.fileKind != LibraryFileKind::Image) {
        m_frame.setStatusText(QString(texts::LibraryNoImage).arg(entry.fileName));
        return;
    }
    m_parts.files->loadImageFile(entry.path);
}

void LibraryCommands::saveCurrentPartToLibrary()
{
    if (!m_library)
        return;
    const QStringList folders = m_library->folders();
    if (folders.isEmpty()) {
        m_dialogs->ask(texts::LibraryNoFolder, AskKind::Information);
        return;
    }
    int chosen = 0;
    if (folders.size() > 1) {
        QStringList shown;
        for (const QString& f : folders)
            shown << QDir::toNativeSeparators(f);
        const auto item =
            m_dialogs->chooseItem(texts::LibrarySaveTitle, texts::LibrarySaveLabel, shown);
        if (!item || *item < 0 || *item >= folders.size())
            return;
        chosen = *item;
    }
    const int part = m_session.partNumber();
    QString name = QString::fromStdString(m_session.image().GetPatchName(part));
    if (name.isEmpty())
        name = "Part " + m_session.partLabel();
    const Bytes block = m_session.image().refreshedPartBytes(part);
    const QString path = m_library->savePartFile(folders[chosen], name, block);
    m_frame.setStatusText(QString(texts::LibrarySaved).arg(QFileInfo(path).fileName()));
    for (const LibraryEntry& e : m_library->entries())
        if (e.path == path) {
            m_libraryPanel->selectPart(e.partId);
            break;
        }
}

bool LibraryCommands::partButtonDrag(QObject* watched, QEvent* event)
{
    auto* button = qobject_cast<QAbstractButton*>(watched);
    const int target = button ? m_parts.sheets->partGroup()->id(button) : -1;
    if (target < 0)
        return false;
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!draggedPart(drag->mimeData()))
            return false;
        drag->acceptProposedAction();
        return true;
    }
    if (event->type() != QEvent::Drop)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const auto partId = draggedPart(drop->mimeData());
    if (!partId || !m_library)
        return false;
    drop->acceptProposedAction();
    // Loaded once the drop is over: a question inside the drop would keep the
    // drag waiting for its end. By the part's id, since the list may be read
    // again meanwhile.
    QMetaObject::invokeMethod(
        this,
        [this, id = *partId, target] {
            const auto& entries = m_library->entries();
            for (std::size_t i = 0; i < entries.size(); ++i)
                if (entries[i].partId == id) {
                    m_frame.runCommand([&] { loadFromLibrary(i, LibraryLoad::Load, target); });
                    return;
                }
        },
        Qt::QueuedConnection);
    return true;
}

void LibraryCommands::detachPanel()
{
    if (m_libraryPanel)
        disconnect(m_libraryPanel, nullptr, this, nullptr);
}

LibraryCommands::LibraryCommands(const WindowParts& parts) : WindowPart(parts) {}

} // namespace dorvane
