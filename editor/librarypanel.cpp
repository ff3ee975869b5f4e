// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/librarypanel.h"

#include "editor/librarymodel.h"
#include "editor/librarytexts.h"
#include "library/library.h"
#include "midi/dialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QProgressBar>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace dorvane {

namespace {

// The list of files that are no patch files stops here; the rest is counted.
constexpr int OthersShown = 40;

QString number(qsizetype n)
{
    return QLocale().toString(qlonglong(n));
}

} // namespace

LibraryPanel::LibraryPanel(Dialogs& dialogs, QWidget* parent)
    : QDockWidget(texts::Library, parent), m_dialogs(dialogs)
{
    setObjectName("LibraryDock");
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(4, 2, 4, 4);
    column->setSpacing(4);

    m_search = new QLineEdit;
    m_search->setObjectName("LibrarySearch");
    m_search->setPlaceholderText(texts::LibrarySearchHint);
    m_search->installEventFilter(this);
    column->addWidget(m_search);

    auto* filters = new QHBoxLayout;
    m_favourites = new QCheckBox(texts::LibraryFavourites);
    m_favourites->setObjectName("LibraryFavourites");
    m_kits = new QCheckBox(texts::LibraryKits);
    m_kits->setObjectName("LibraryKits");
    m_duplicates = new QCheckBox(texts::LibraryDuplicates);
    m_duplicates->setObjectName("LibraryDuplicates");
    for (QCheckBox* box : {m_favourites, m_kits, m_duplicates}) {
        filters->addWidget(box);
        connect(box, &QCheckBox::toggled, this, &LibraryPanel::search);
    }
    filters->addStretch(1);
    column->addLayout(filters);

    m_model = new LibraryModel(this);
    m_view = new QTableView;
    m_view->setObjectName("LibraryView");
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows at once make a bank, or two a comparison.
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setDragEnabled(true);
    m_view->setDragDropMode(QAbstractItemView::DragOnly);
    m_view->setShowGrid(false);
    m_view->setAlternatingRowColors(true);
    m_view->setWordWrap(false);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    // Rows of one height and columns of set widths: nothing is measured over
    // tens of thousands of rows while the musician types.
    const QFontMetrics fm(m_view->font());
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(fm.height() + 6);
    QHeaderView* header = m_view->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(true);
    header->setHighlightSections(false);
    const int narrow = fm.horizontalAdvance("\u2605") + 16;
    for (int c : {LibraryModel::PlayColumn, LibraryModel::StarColumn}) {
        header->setSectionResizeMode(c, QHeaderView::Fixed);
        header->resizeSection(c, narrow);
    }
    header->resizeSection(LibraryModel::NameColumn, fm.horizontalAdvance("MMMMMMMMMMMM") + 12);
    header->resizeSection(LibraryModel::PartColumn, fm.horizontalAdvance("Part") + 16);
    header->resizeSection(LibraryModel::CopiesColumn, fm.horizontalAdvance("Copies") + 16);
    header->resizeSection(LibraryModel::TagsColumn, fm.horizontalAdvance("drums, acid") + 12);
    header->resizeSection(LibraryModel::FileColumn, fm.horizontalAdvance("a long file name.syx"));
    // The distance stands beside the name it qualifies, and the folder, the
    // longest text, keeps the stretch as the last column.
    header->resizeSection(LibraryModel::DistanceColumn, fm.horizontalAdvance("Distance") + 16);
    header->moveSection(header->visualIndex(LibraryModel::DistanceColumn),
                        header->visualIndex(LibraryModel::PartColumn));
    connect(m_view, &QTableView::clicked, this, &LibraryPanel::rowClicked);
    connect(m_view, &QTableView::activated, this, &LibraryPanel::rowActivated);
    column->addWidget(m_view, 1);

    QAction* audition = makeAction("LibraryAudition", QString("\u25B6 ") + texts::LibraryAudition,
                                   texts::LibraryAuditionHint);
    connect(audition, &QAction::triggered, this, [this] {
        if (const auto e = currentEntry())
            emit auditionRequested(*e);
    });
    QAction* load = makeAction("LibraryLoad", texts::LibraryLoad, texts::LibraryLoadHint);
    connect(load, &QAction::triggered, this, [this] {
        if (const auto e = currentEntry())
            emit loadRequested(*e);
    });
    QAction* star = makeAction("LibraryFavourite", texts::LibraryFavourite, {});
    connect(star, &QAction::triggered, this, &LibraryPanel::toggleFavourite);
    QAction* tags = makeAction("LibraryTags", texts::LibraryTags, {});
    connect(tags, &QAction::triggered, this, &LibraryPanel::editTags);
    QAction* open =
        makeAction("LibraryOpenFile", texts::LibraryOpenFile, texts::LibraryOpenFileHint);
    connect(open, &QAction::triggered, this, [this] {
        if (const auto e = currentEntry())
            emit openFileRequested(*e);
    });
    QAction* show = makeAction("LibraryShowFolder", texts::LibraryShowFolder, {});
    connect(show, &QAction::triggered, this, &LibraryPanel::showInFolder);
    QAction* save = makeAction("LibrarySavePart", texts::LibrarySavePart, {});
    connect(save, &QAction::triggered, this, &LibraryPanel::savePartRequested);
    QAction* add = makeAction("LibraryAddFolder", texts::LibraryAddFolder, {});
    connect(add, &QAction::triggered, this, &LibraryPanel::addFolder);
    QAction* remove = makeAction("LibraryRemoveFolder", texts::LibraryRemoveFolder, {});
    connect(remove, &QAction::triggered, this, &LibraryPanel::removeFolder);
    QAction* rescan = makeAction("LibraryRescan", texts::LibraryRescan, {});
    connect(rescan, &QAction::triggered, this, [this] {
        if (m_library) {
            m_library->rescan();
            m_announceScan = true;
            scanCounting(0);
            emit message(texts::LibraryRescanning);
        }
    });
    QAction* others = makeAction("LibraryOthers", texts::LibraryOthers, {});
    connect(others, &QAction::triggered, this, &LibraryPanel::showOthers);

    m_menu = new QMenu(this);
    m_menu->addActions({audition, load, star, tags});
    m_menu->addSeparator();
    m_menu->addActions({open, show});
    m_menu->addSeparator();
    m_menu->addAction(save);
    m_menu->addSeparator();
    m_menu->addActions({add, remove, rescan, others});
    m_menu->addSeparator();
    QAction* like =
        makeAction("LibrarySoundsLike", texts::LibrarySoundsLike, texts::LibrarySoundsLikeHint);
    connect(like, &QAction::triggered, this, &LibraryPanel::showSoundsLike);
    QAction* bank =
        makeAction("LibraryExportBank", texts::LibraryExportBank, texts::LibraryExportBankHint);
    connect(bank, &QAction::triggered, this,
            [this] { emit exportBankRequested(selectedEntries()); });
    QAction* compare =
        makeAction("LibraryCompare", texts::LibraryCompare, texts::LibraryCompareHint);
    connect(compare, &QAction::triggered, this, [this] {
        const auto chosen = selectedEntries();
        if (chosen.size() == 2)
            emit compareRequested(chosen[0], chosen[1]);
    });
    m_menu->addActions({like, bank, compare});
    connect(m_view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_menu->popup(m_view->viewport()->mapToGlobal(at)); });

    auto* buttons = new QHBoxLayout;
    for (QAction* a : {audition, load, star, add}) {
        auto* b = new QToolButton;
        b->setDefaultAction(a);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        if (a == star) {
            // Wide enough for both of its texts from the start: a dock that
            // widened at a click would move the rows away from the mouse.
            const QFontMetrics bm(b->font());
            b->setMinimumWidth(b->sizeHint().width() - bm.horizontalAdvance(a->text()) +
                               std::max(bm.horizontalAdvance(texts::LibraryFavourite),
                                        bm.horizontalAdvance(texts::LibraryUnfavourite)));
        }
        buttons->addWidget(b);
    }
    auto* more = new QToolButton;
    more->setObjectName("LibraryMore");
    more->setText(texts::LibraryMore);
    more->setMenu(m_menu);
    more->setPopupMode(QToolButton::InstantPopup);
    buttons->addWidget(more);
    buttons->addStretch(1);
    column->addLayout(buttons);

    m_status = new QLabel;
    m_status->setObjectName("LibraryStatus");
    m_status->setWordWrap(true);
    column->addWidget(m_status);
    // Shown while a scan runs: moving to and fro while the files are counted,
    // then filling as they are read.
    m_progressBar = new QProgressBar;
    m_progressBar->setObjectName("LibraryProgress");
    m_progressBar->setTextVisible(true);
    m_progressBar->hide();
    column->addWidget(m_progressBar);

    setWidget(body);
    connect(m_search, &QLineEdit::textChanged, this, &LibraryPanel::search);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &LibraryPanel::updateActions);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &LibraryPanel::updateActions);
    m_view->setColumnHidden(LibraryModel::DistanceColumn, true);
    updateActions();
    updateStatus();
}

QAction* LibraryPanel::makeAction(const QString& name, const QString& text, const QString& hint)
{
    auto* a = new QAction(text, this);
    a->setObjectName(name);
    if (!hint.isEmpty()) {
        a->setStatusTip(hint);
        a->setToolTip(hint);
    }
    return a;
}

QAction* LibraryPanel::action(const QString& objectName) const
{
    return findChild<QAction*>(objectName);
}

void LibraryPanel::setLibrary(Library* library, const QString& whyNot)
{
    for (const auto& c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_library = library;
    m_whyNot = whyNot;
    m_model->setLibrary(library);
    if (library) {
        m_connections.push_back(
            connect(library, &Library::entriesChanged, this, &LibraryPanel::search));
        m_connections.push_back(
            connect(library, &Library::scanStarted, this, &LibraryPanel::updateStatus));
        m_connections.push_back(
            connect(library, &Library::scanCounting, this, &LibraryPanel::scanCounting));
        m_connections.push_back(
            connect(library, &Library::scanProgress, this, &LibraryPanel::scanProgress));
        m_connections.push_back(connect(library, &Library::scanFinished, this, [this] {
            m_progressBar->hide();
            updateStatus();
            // The musician asked for this scan: the status bar's "Reading..." gets
            // its answer, once the scan that read what was asked for is over.
            if (!m_announceScan)
                return;
            const ScanReport& r = m_library->lastScan();
            m_announced.read += r.read;
            m_announced.others += r.others;
            m_announced.removed += r.removed;
            if (m_library->rescanPending())
                return;
            m_announceScan = false;
            const QLocale l;
            emit message(QString(texts::LibraryScanDone)
                             .arg(l.toString(m_announced.read), l.toString(m_announced.others),
                                  l.toString(m_announced.removed),
                                  l.toString(qlonglong(m_library->entries().size()))));
            m_announced = ScanReport();
        }));
        m_connections.push_back(
            connect(library, &Library::scanFailed, this, [this](const QString& why) {
                m_progressBar->hide();
                updateStatus();
                emit message(why);
            }));
    }
    search();
}

LibraryQuery LibraryPanel::query() const
{
    return {m_search->text(), m_favourites->isChecked(), m_kits->isChecked(),
            m_duplicates->isChecked()};
}

void LibraryPanel::search()
{
    if (!m_library) {
        m_model->setRows({});
        updateStatus();
        return;
    }
    // The row the musician is on stays current when it is still found.
    const auto current = currentEntry();
    const qint64 partId = current ? m_library->entries()[*current].partId : 0;
    m_model->setRows(m_library->find(query()));
    m_view->setColumnHidden(LibraryModel::DistanceColumn, true);
    if (partId)
        selectPart(partId);
    updateStatus();
    updateActions();
}

std::optional<std::size_t> LibraryPanel::currentEntry() const
{
    const int index = m_model->entryIndex(m_view->currentIndex().row());
    return index >= 0 ? std::optional<std::size_t>(std::size_t(index)) : std::nullopt;
}

bool LibraryPanel::selectPart(qint64 partId)
{
    const int row = m_model->rowOfPart(partId);
    if (row < 0)
        return false;
    m_view->setCurrentIndex(m_model->index(row, LibraryModel::NameColumn));
    return true;
}

void LibraryPanel::updateStatus()
{
    if (!m_library) {
        m_status->setText(QString(texts::LibraryUnavailable).arg(m_whyNot));
        return;
    }
    QString text;
    if (m_library->folders().isEmpty() && m_library->entries().empty())
        text = texts::LibraryEmpty;
    else if (m_library->scanning() && m_library->entries().empty())
        text = texts::LibraryReadingIndex;
    else
        text = QString(texts::LibraryShown)
                   .arg(number(m_model->rowCount()), number(qsizetype(m_library->entries().size())),
                        number(m_library->fileCount()));
    const QStringList missing = m_library->lastScan().missingFolders;
    if (!missing.isEmpty())
        text += "\n" + QString(texts::LibraryMissing).arg(missing.join(", "));
    m_status->setText(text);
}

void LibraryPanel::updateActions()
{
    const auto e = currentEntry();
    const LibraryEntry* entry = e ? &m_library->entries()[*e] : nullptr;
    for (const char* name :
         {"LibraryAudition", "LibraryLoad", "LibraryFavourite", "LibraryTags", "LibraryShowFolder"})
        action(name)->setEnabled(entry != nullptr);
    action("LibraryOpenFile")->setEnabled(entry && entry->fileKind == LibraryFileKind::Image);
    action("LibraryFavourite")
        ->setText(entry && entry->favourite ? texts::LibraryUnfavourite : texts::LibraryFavourite);
    for (const char* name : {"LibrarySavePart", "LibraryAddFolder", "LibraryRemoveFolder",
                             "LibraryRescan", "LibraryOthers"})
        action(name)->setEnabled(m_library != nullptr);
    action("LibrarySoundsLike")->setEnabled(entry && !entry->rhythm());
    const std::size_t chosen = m_library ? selectedEntries().size() : 0;
    action("LibraryExportBank")->setEnabled(chosen > 0);
    action("LibraryCompare")->setEnabled(chosen == 2);
}

std::vector<std::size_t> LibraryPanel::selectedEntries() const
{
    std::vector<std::size_t> out;
    if (!m_view->selectionModel())
        return out;
    QModelIndexList rows = m_view->selectionModel()->selectedRows();
    // In the list's order, as the musician sees them.
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& row : rows)
        if (const int e = m_model->entryIndex(row.row()); e >= 0)
            out.push_back(std::size_t(e));
    return out;
}

void LibraryPanel::showSoundsLike()
{
    const auto e = currentEntry();
    if (!m_library || !e)
        return;
    const LibraryEntry asked = m_library->entries()[*e];
    if (asked.rhythm()) {
        emit message(QString(texts::LibraryNoLikeness).arg(asked.name));
        return;
    }
    std::vector<std::pair<int, double>> near;
    runSafely([&] { near = m_library->soundsLike(*e, NearestShown); });
    std::vector<int> rows{int(*e)};
    std::vector<double> distances{0};
    for (const auto& [index, distance] : near) {
        rows.push_back(index);
        distances.push_back(distance);
    }
    m_model->setNearest(std::move(rows), std::move(distances));
    m_view->setColumnHidden(LibraryModel::DistanceColumn, false);
    selectPart(asked.partId);
    const QString text =
        QString(texts::LibraryNearest).arg(number(qsizetype(near.size())), asked.name);
    m_status->setText(text);
    emit message(text);
    updateActions();
}

void LibraryPanel::scanCounting(int found)
{
    // No end known yet: the bar moves without a share.
    m_progressBar->setRange(0, 0);
    m_progressBar->setFormat(QString(texts::LibraryCounting).arg(number(found)));
    m_progressBar->show();
}

void LibraryPanel::scanProgress(int done, int total)
{
    // A scan the musician did not ask for (a file saved in a folder) shows
    // the bar only once it takes a while: one at its end alone is over.
    if (m_progressBar->isHidden() && done >= total)
        return;
    m_progressBar->setRange(0, std::max(total, 1));
    m_progressBar->setValue(std::min(done, std::max(total, 1)));
    m_progressBar->setFormat(QString(texts::LibraryReading).arg(number(done), number(total)));
    m_progressBar->show();
}

void LibraryPanel::rowClicked(const QModelIndex& index)
{
    const int entry = m_model->entryIndex(index.row());
    if (entry < 0)
        return;
    if (index.column() == LibraryModel::PlayColumn)
        emit auditionRequested(std::size_t(entry));
    else if (index.column() == LibraryModel::StarColumn)
        toggleFavourite();
}

void LibraryPanel::rowActivated(const QModelIndex& index)
{
    // A double click on the star or the play mark is two clicks on it, not a load.
    if (index.column() == LibraryModel::PlayColumn || index.column() == LibraryModel::StarColumn)
        return;
    const int entry = m_model->entryIndex(index.row());
    if (entry >= 0)
        emit loadRequested(std::size_t(entry));
}

void LibraryPanel::runSafely(const std::function<void()>& work)
{
    try {
        work();
    } catch (const std::exception& e) {
        m_dialogs.ask(QString::fromLocal8Bit(e.what()), AskKind::Information);
    }
}

void LibraryPanel::toggleFavourite()
{
    const auto e = currentEntry();
    if (!e)
        return;
    runSafely([&] { m_library->setFavourite(*e, !m_library->entries()[*e].favourite); });
}

void LibraryPanel::editTags()
{
    const auto e = currentEntry();
    if (!e)
        return;
    const LibraryEntry& entry = m_library->entries()[*e];
    const auto text = m_dialogs.askText(QString(texts::LibraryTagsTitle).arg(entry.name),
                                        texts::LibraryTagsLabel, entry.tags.join(", "));
    if (!text)
        return;
    runSafely([&] { m_library->setTags(*e, text->split(',')); });
}

void LibraryPanel::addFolder()
{
    if (!m_library)
        return;
    const QStringList folders = m_library->folders();
    const auto folder = m_dialogs.chooseFolder(
        texts::LibraryAddFolderTitle, folders.isEmpty() ? QDir::homePath() : folders.front());
    if (!folder)
        return;
    runSafely([&] { emit message(m_library->addFolder(*folder)); });
    m_announceScan = m_library->scanning();
    if (m_announceScan)
        scanCounting(0);
    updateStatus();
}

void LibraryPanel::removeFolder()
{
    if (!m_library)
        return;
    QStringList folders = m_library->folders();
    if (folders.isEmpty())
        return;
    const auto chosen = m_dialogs.chooseItem(texts::LibraryRemoveFolderTitle,
                                             texts::LibraryRemoveFolderLabel, folders);
    if (!chosen || *chosen < 0 || *chosen >= folders.size())
        return;
    runSafely([&] { m_library->removeFolder(folders[*chosen]); });
}

void LibraryPanel::showOthers()
{
    if (!m_library)
        return;
    const auto others = m_library->others();
    if (others.empty()) {
        m_dialogs.ask(texts::LibraryNoOthers, AskKind::Information);
        return;
    }
    QStringList lines;
    for (std::size_t i = 0; i < others.size() && i < std::size_t(OthersShown); ++i)
        lines << QDir::toNativeSeparators(others[i].path) + ": " + others[i].reason;
    if (others.size() > std::size_t(OthersShown))
        lines << QString("... and %1 more").arg(others.size() - std::size_t(OthersShown));
    m_dialogs.ask(
        QString(texts::LibraryOtherList).arg(number(qsizetype(others.size())), lines.join("\r\n")),
        AskKind::Information);
}

void LibraryPanel::showInFolder()
{
    if (const auto e = currentEntry())
        QDesktopServices::openUrl(
            QUrl::fromLocalFile(QFileInfo(m_library->entries()[*e].path).absolutePath()));
}

void LibraryPanel::showEvent(QShowEvent* event)
{
    // Its icon comes from the icon theme, a search of folders that a start
    // with the library hidden has no reason to wait for.
    m_search->setClearButtonEnabled(true);
    QDockWidget::showEvent(event);
}

bool LibraryPanel::eventFilter(QObject* watched, QEvent* event)
{
    // From the search field, Down goes on into the list.
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down && m_model->rowCount() > 0) {
            m_view->setFocus();
            if (!m_view->currentIndex().isValid())
                m_view->setCurrentIndex(m_model->index(0, LibraryModel::NameColumn));
            return true;
        }
    }
    return QDockWidget::eventFilter(watched, event);
}

} // namespace dorvane
