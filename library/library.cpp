// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/library.h"

#include "patch/fileio.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <set>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace dorvane {

namespace {

// Changes on disk settle for this long before a scan follows them.
constexpr int SettleMs = 400;
// Progress reaches the main thread at most this often.
constexpr qint64 ProgressEveryMs = 100;
// More files of one name than anyone keeps; past it the save gives up.
constexpr int MaxNumberedNames = 9999;

} // namespace

Library::Library(const QString& databaseFile, QObject* parent, ReadEntries read)
    : QObject(parent), m_db(std::make_unique<LibraryDatabase>(databaseFile))
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, &Library::rescan);
    if (read == ReadEntries::Now) {
        reload();
    } else {
        readFolders();
    }
}

Library::~Library()
{
    m_cancel = true;
    if (m_thread.joinable())
        m_thread.join();
}

QString Library::defaultDatabaseFile()
{
    // The window and dorvane-cli share one index, whichever of them asks.
    const QString running = QCoreApplication::applicationName();
    const QString organisation = QCoreApplication::organizationName();
    QCoreApplication::setOrganizationName("Quellrin");
    QCoreApplication::setApplicationName("Dorvane");
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setApplicationName(running);
    QCoreApplication::setOrganizationName(organisation);
    return folder + "/library.sqlite";
}

QString Library::addFolder(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return QString("%1 is not a folder; nothing was added").arg(QDir::toNativeSeparators(path));
    const auto added = m_db->addFolder(info.canonicalFilePath());
    readFolders();
    if (!added.added)
        return QString("%1 is in the library already (with %2)")
            .arg(QDir::toNativeSeparators(info.canonicalFilePath()),
                 QDir::toNativeSeparators(added.coveredBy));
    rescan();
    return QString("Reading %1 into the library")
        .arg(QDir::toNativeSeparators(info.canonicalFilePath()));
}

void Library::removeFolder(const QString& path)
{
    m_db->removeFolder(path);
    reload();
    rescan();
}

void Library::rescan()
{
    if (m_scanning) {
        m_rescanPending = true;
        return;
    }
    m_scanning = true;
    m_rescanPending = false;
    m_cancel = false;
    emit scanStarted();
    m_marksAtScanStart = m_marksChanged;
    m_thread = std::thread([this, file = m_db->file(), entriesRead = m_entriesRead] {
        ScanReport report;
        QString error;
        std::shared_ptr<Snapshot> snapshot;
        try {
            // A connection of its own: one belongs to the thread that opened it.
            LibraryDatabase db(file);
            LibraryScanner scanner(db);
            scanner.setCancelFlag(&m_cancel);
            QElapsedTimer since;
            since.start();
            scanner.setCounting([&](int found) {
                if (since.elapsed() < ProgressEveryMs)
                    return;
                since.restart();
                QMetaObject::invokeMethod(
                    this, [this, found] { emit scanCounting(found); }, Qt::QueuedConnection);
            });
            scanner.setProgress([&](int done, int total) {
                if (done < total && since.elapsed() < ProgressEveryMs)
                    return;
                since.restart();
                QMetaObject::invokeMethod(
                    this, [this, done, total] { emit scanProgress(done, total); },
                    Qt::QueuedConnection);
            });
            report = scanner.scan();
            // Reading the index back takes a while at a collector's scale:
            // done here, the window goes on answering meanwhile. A scan that
            // changed nothing leaves the entries as they are, once they were read.
            if (report.read > 0 || report.removed > 0 || !entriesRead)
                snapshot = std::make_shared<Snapshot>(Snapshot{db.entries(), db.fileCount()});
        } catch (const std::exception& e) {
            error = QString::fromStdString(e.what());
        }
        QMetaObject::invokeMethod(
            this, [this, report, error, snapshot] { scanEnded(report, error, snapshot); },
            Qt::QueuedConnection);
    });
}

void Library::waitForScan()
{
    while (m_scanning) {
        if (m_thread.joinable())
            m_thread.join();
        // The scan's end was posted to this thread before the scan thread ended.
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}

void Library::scanEnded(const ScanReport& report, const QString& error,
                        const std::shared_ptr<Snapshot>& snapshot)
{
    if (m_thread.joinable())
        m_thread.join();
    m_scanning = false;
    m_lastScan = report;
    // A mark set while the scan thread read the index may be missing from
    // what it read: then the index is read again here.
    if (snapshot && m_marksChanged == m_marksAtScanStart) {
        m_search.setEntries(std::move(snapshot->entries));
        m_entriesRead = true;
        m_sounds.reset();
        m_fileCount = snapshot->fileCount;
        readFolders();
        emit entriesChanged();
    } else if (snapshot || !error.isEmpty() || m_marksChanged != m_marksAtScanStart ||
               m_folders.size() != qsizetype(m_db->folders().size())) {
        reload();
    }
    if (!error.isEmpty()) {
        emit scanFailed(error);
    } else {
        watch(report.directories);
        emit scanFinished();
    }
    if (m_rescanPending)
        rescan();
}

void Library::readFolders()
{
    m_folders.clear();
    for (const auto& f : m_db->folders())
        m_folders << f.path;
}

void Library::reload()
{
    m_search.setEntries(m_db->entries());
    m_entriesRead = true;
    m_sounds.reset();
    readFolders();
    m_fileCount = m_db->fileCount();
    emit entriesChanged();
}

void Library::watch(const QStringList& directories)
{
    if (!m_watcher) {
        m_watcher = new QFileSystemWatcher(this);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this,
                [this] { m_settle.start(); });
    }
    const QStringList watched = m_watcher->directories();
    const std::set<QString> wanted(directories.begin(), directories.end());
    const std::set<QString> have(watched.begin(), watched.end());
    QStringList gone;
    for (const QString& d : watched)
        if (!wanted.count(d))
            gone << d;
    QStringList added;
    for (const QString& d : directories)
        if (!have.count(d))
            added << d;
    if (!gone.isEmpty())
        m_watcher->removePaths(gone);
    // A folder the system will not watch (out of watches) is still scanned
    // at every start; nothing more is lost.
    if (!added.isEmpty())
        m_watcher->addPaths(added);
}

void Library::indexFile(const QString& path)
{
    LibraryScanner scanner(*m_db);
    scanner.indexFile(path);
    reload();
}

std::vector<std::pair<int, double>> Library::soundsLike(std::size_t index, std::size_t count)
{
    if (index >= entries().size())
        return {};
    const LibraryEntry& asked = entries()[index];
    const QByteArray features = m_db->features(asked.partId);
    if (features.isEmpty())
        return {};
    if (!m_sounds)
        m_sounds = m_db->soundTable();
    QHash<qint64, int> byId;
    byId.reserve(qsizetype(entries().size()));
    for (std::size_t i = 0; i < entries().size(); ++i)
        byId.insert(entries()[i].partId, int(i));
    std::vector<std::pair<int, double>> out;
    for (const NearSound& n : m_sounds->nearest(features, count, asked.partId))
        if (const auto at = byId.constFind(n.partId); at != byId.constEnd())
            out.emplace_back(*at, n.distance);
    return out;
}

void Library::setFavourite(std::size_t index, bool favourite)
{
    if (index >= entries().size())
        return;
    m_db->setFavourite(entries()[index].partId, favourite);
    ++m_marksChanged;
    m_search.setFavourite(index, favourite);
    emit entriesChanged();
}

void Library::setTags(std::size_t index, const QStringList& tags)
{
    if (index >= entries().size())
        return;
    QStringList clean;
    for (const QString& t : tags) {
        const QString tag = t.simplified();
        if (!tag.isEmpty() && !clean.contains(tag))
            clean << tag;
    }
    clean.sort(Qt::CaseInsensitive);
    m_db->setTags(entries()[index].partId, clean);
    ++m_marksChanged;
    m_search.setTags(index, clean);
    emit entriesChanged();
}

namespace {

QString fileStem(const QString& patchName)
{
    QString base;
    for (const QChar c : patchName.trimmed())
        base += c.unicode() < 0x20 || QString("/\\:*?\"<>|").contains(c) ? QChar('_') : c;
    // Some systems drop dots and blanks at the end of a name.
    while (base.endsWith('.') || base.endsWith(' '))
        base.chop(1);
    if (base.isEmpty())
        base = "Untitled";
    return base;
}

} // namespace

QString patchFileName(const QString& patchName)
{
    return fileStem(patchName) + ".syx";
}

QString freeFileName(const QString& folder, const QString& patchName)
{
    const QDir dir(folder);
    const QString base = fileStem(patchName);
    QString name = base + ".syx";
    for (int n = 2; QFileInfo::exists(dir.filePath(name)) && n <= MaxNumberedNames; ++n)
        name = QString("%1 (%2).syx").arg(base).arg(n);
    return dir.filePath(name);
}

QString Library::savePartFile(const QString& folder, const QString& patchName, ByteView block)
{
    QTemporaryFile temp(QDir(folder).filePath(".dorvane-XXXXXX.syx.part"));
    if (!temp.open())
        throw FileError(QString("Cannot write in %1: %2")
                            .arg(QDir::toNativeSeparators(folder), temp.errorString())
                            .toStdString());
    const auto written =
        temp.write(reinterpret_cast<const char*>(block.data()), qint64(block.size()));
    bool ok = written == qint64(block.size()) && temp.flush();
#ifdef Q_OS_UNIX
    ok = ok && ::fsync(temp.handle()) == 0;
#endif
    if (!ok)
        throw FileError(QString("Cannot write in %1: %2")
                            .arg(QDir::toNativeSeparators(folder), temp.errorString())
                            .toStdString());
    // A rename never replaces a file that is there: another program may have
    // taken the name since it was chosen, and then the next number is tried.
    for (int attempt = 0; attempt < MaxNumberedNames; ++attempt) {
        const QString path = freeFileName(folder, patchName);
        if (temp.rename(path)) {
            temp.setAutoRemove(false);
            indexFile(path);
            return path;
        }
        if (!QFileInfo::exists(path))
            break;
    }
    throw FileError(QString("Cannot save %1 in %2: %3")
                        .arg(patchName, QDir::toNativeSeparators(folder), temp.errorString())
                        .toStdString());
}

} // namespace dorvane
