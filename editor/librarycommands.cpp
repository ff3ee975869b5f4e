// SPDX-License-Identifier: GPL-3.0-or-later
// The library in the window: the dock and View > Library, and what its rows do
// to the image. A load goes the way of the File menu's part open (the same
// check of the file, the same loading onto a part, one step of the history)
// and is then sent as Initialize Patch sends its part. An audition asks
// nothing and changes nothing: the instrument plays the file's part until the
// window's own goes back. Dropping a row on a PART button loads it there.
#include "editor/librarycommands.h"
#include "editor/columnflowpage.h"
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
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace dorvane {

namespace {

// A sheet whose panels wrap into fewer columns always fits beside the dock;
// it is the width of all its columns that the dock takes away.
int widthWanted(const QWidget& content)
{
    if (const auto* flow = qobject_cast<const ColumnFlowPage*>(&content))
        return flow->widthFor(flow->mostColumns());
    return content.minimumSizeHint().width();
}

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
    QMenu* view = m_parts.window->menuBar()->addMenu("&View");
    view->setObjectName("ViewMenu");
    // The dock is built the first time it is wanted: most starts never show
    // it, and its table, buttons and title bar held up the first window.
    // Until then this entry stands in for the dock's own, and after, it
    // follows and drives it.
    QAction* show = view->addAction(texts::Library);
    m_viewAction = show;
    show->setObjectName("ViewLibrary");
    show->setCheckable(true);
    // Ctrl and a letter alone leave the keyboard piano be.
    show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    show->setStatusTip(texts::LibraryHint);
    connect(show, &QAction::triggered, this,
            [this] { libraryPanel()->toggleViewAction()->trigger(); });
    connect(show, &QAction::triggered, this, [this](bool shown) {
        // In a tab behind a sheet, it reads as closed: asked for, it comes forward.
        if (m_inSheetTabs) {
            m_parts.sheets->pages()->setCurrentWidget(m_libraryTab);
            m_libraryPanel->searchField()->setFocus();
            return;
        }
        if (!shown)
            return;
        openLibraryOnce();
        m_libraryPanel->searchField()->setFocus();
    });
    for (QAbstractButton* b : m_parts.sheets->partGroup()->buttons())
        b->setAcceptDrops(true);
}

LibraryPanel* LibraryCommands::libraryPanel() const
{
    if (!m_libraryPanel)
        const_cast<LibraryCommands*>(this)->buildPanel();
    return m_libraryPanel;
}

bool LibraryCommands::shownAtStart() const
{
    // A state saved before the window said so: the dock itself is asked.
    if (!m_settings->contains(Setting::LibraryShown))
        return !m_settings->text(Setting::WindowState).isEmpty();
    return m_settings->boolean(Setting::LibraryShown);
}

void LibraryCommands::buildPanel()
{
    m_libraryPanel = new LibraryPanel(*m_dialogs, m_parts.window);
    m_inFrontAtStart = m_settings->boolean(Setting::LibraryInFront);
    m_parts.window->addDockWidget(Qt::RightDockWidgetArea, m_libraryPanel);
    m_libraryPanel->hide();
    // Built after the window's state was restored: it takes its place from
    // there (floating, its size), hidden until it is asked for.
    if (m_parts.window->restoreDockWidget(m_libraryPanel))
        m_libraryPanel->hide();
    QAction* own = m_libraryPanel->toggleViewAction();
    m_viewAction->setChecked(own->isChecked());
    connect(own, &QAction::toggled, m_viewAction, &QAction::setChecked);
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
    // Opened when first shown: most starts never look at the library, and its
    // SQL driver, database and rescan of the folders would hold up the window.
    connect(m_libraryPanel, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) {
            openLibraryOnce();
            followSheetWidths();
            placeLibrary();
        }
    });
    // Docked again by hand, it stays docked until it is next closed.
    connect(m_libraryPanel, &QDockWidget::topLevelChanged, this, [this](bool floating) {
        if (!floating && m_libraryPanel->isVisible())
            m_keptDocked = true;
    });
    connect(m_libraryPanel, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        // Closed, not merely behind another tab.
        if (visible || !m_libraryPanel->isHidden())
            return;
        m_keptDocked = false;
        returnLibraryToDock(false);
    });
}

// At 1366 pixels (and at 2732 on a screen at 200 %) the Tone sheet needs the
// window's whole width: the library docked beside it would push Amp and LFO 2
// behind a scroll bar, and floating it would cover them. Where the dock is
// what squeezes the sheets, the library shares the sheet area as a tab beside
// Tone, Common and Setup, a click away from each and each of them whole; on a
// wider window it stays docked, and a musician who docks it again keeps it so.
void LibraryCommands::placeLibrary()
{
    if (m_inSheetTabs || !m_libraryPanel->isVisible() || m_libraryPanel->isFloating() ||
        m_keptDocked)
        return;
    // Every sheet is as wide as the page in front; those behind are laid out
    // only when shown, so each is weighed against that page. A sheet never
    // shown yet is weighed when it is.
    const QWidget* front = m_parts.sheets->pages()->currentWidget();
    if (!front)
        return;
    const int dockWidth = m_libraryPanel->width() + m_parts.window->style()->pixelMetric(
                                                        QStyle::PM_DockWidgetSeparatorExtent);
    bool squeezedByDock = false;
    for (Sheet s : {Sheet::Tone, Sheet::Common, Sheet::Setup})
        if (const auto* area = qobject_cast<const QScrollArea*>(m_parts.sheets->sheet(s));
            area && area->widget()) {
            const int over =
                widthWanted(*area->widget()) - front->width() +
                (area->verticalScrollBar()->isVisible() ? area->verticalScrollBar()->width() : 0);
            squeezedByDock = squeezedByDock || (over > 0 && over <= dockWidth);
        }
    if (squeezedByDock)
        moveLibraryToSheetTabs(std::exchange(m_inFrontAtStart, false));
}

bool LibraryCommands::eventFilter(QObject* watched, QEvent* event)
{
    // Watched: the sheet area and each sheet (followSheetWidths). The window
    // has given the dock its room, or taken some back; a sheet whose panels
    // wrap shows no scroll bar to tell, but its own size does.
    if (event->type() == QEvent::Resize)
        placeLibrary();
    return WindowPart::eventFilter(watched, event);
}

void LibraryCommands::moveLibraryToSheetTabs(bool inFront)
{
    QTabWidget* pages = m_parts.sheets->pages();
    m_dockFeatures = m_libraryPanel->features();
    m_parts.window->removeDockWidget(m_libraryPanel);
    m_inSheetTabs = true;
    // A tab is not a dock: it neither floats nor moves, and closing it (its
    // button, View > Library) gives it back to the dock area, hidden. The tab
    // holds the dock in a page of its own, so that turning to another tab
    // hides the page, not the dock, which would take that for closing.
    m_libraryPanel->setFeatures(QDockWidget::DockWidgetClosable);
    m_libraryTab = new QWidget;
    m_libraryTab->setObjectName("librarytab");
    auto* layout = new QVBoxLayout(m_libraryTab);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_libraryPanel);
    // Asked for just now (the focus in it), or left in front at the last
    // exit, it comes to the front; squeezed out by a sheet chosen, the sheet
    // stays in front.
    const QWidget* focus = QApplication::focusWidget();
    const bool forward = inFront || (focus && m_libraryPanel->isAncestorOf(focus));
    m_libraryPanel->show();
    pages->addTab(m_libraryTab, texts::Library);
    if (forward)
        pages->setCurrentWidget(m_libraryTab);
}

void LibraryCommands::returnLibraryToDock(bool shown)
{
    if (!m_inSheetTabs)
        return;
    m_inSheetTabs = false;
    m_libraryPanel->setFeatures(m_dockFeatures);
    m_parts.window->addDockWidget(Qt::RightDockWidgetArea, m_libraryPanel);
    m_libraryPanel->setVisible(shown);
    QTabWidget* pages = m_parts.sheets->pages();
    if (const int index = pages->indexOf(m_libraryTab); index >= 0)
        pages->removeTab(index);
    m_libraryTab->deleteLater();
    m_libraryTab = nullptr;
}

void LibraryCommands::keepPlaceForNextStart()
{
    // The window's saved state knows docks only: open in a tab, it is saved
    // as an open dock, and placed again when the window next starts.
    const bool inFront = m_inSheetTabs && m_parts.sheets->pages()->currentWidget() == m_libraryTab;
    if (m_inSheetTabs) {
        const QSignalBlocker quiet(m_libraryPanel);
        returnLibraryToDock(true);
    }
    m_settings->setBoolean(Setting::LibraryShown, m_libraryPanel && !m_libraryPanel->isHidden());
    m_settings->setBoolean(Setting::LibraryInFront, inFront);
}

// The sheets exist once the window is built, after the View menu.
void LibraryCommands::followSheetWidths()
{
    if (m_followingSheets)
        return;
    m_followingSheets = true;
    m_parts.sheets->pages()->installEventFilter(this);
    // A sheet's content joins it when first shown: that is when it is weighed.
    for (Sheet s : {Sheet::Tone, Sheet::Common, Sheet::Setup})
        if (auto* area = qobject_cast<QScrollArea*>(m_parts.sheets->sheet(s))) {
            connect(area->horizontalScrollBar(), &QScrollBar::rangeChanged, this,
                    [this] { placeLibrary(); });
            area->installEventFilter(this);
        }
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
        // A collector's index takes a second or more to read: the first scan's
        // thread reads it, and the list fills when it is done.
        m_library = new Library(databaseFile, this, Library::ReadEntries::Later);
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
            libraryPanel()->selectPart(e.partId);
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
