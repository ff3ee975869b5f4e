// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/libraryscanner.h"

#include "library/patchfileparts.h"
#include "patch/fileio.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace dorvane {

namespace {

struct Found
{
    QString path;
    qint64 size;
    qint64 modified;
};

struct Stamp
{
    qint64 size = 0;
    qint64 modified = 0; // ms since the epoch
};

// A file's size and the time it was last changed. A rescan asks it of every
// file: on Unix one stat, without the time zone arithmetic a QDateTime in
// local time costs.
Stamp stampOf(const QFileInfo& info)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(QFile::encodeName(info.absoluteFilePath()).constData(), &st) == 0) {
#ifdef Q_OS_MACOS
        const auto& t = st.st_mtimespec;
#else
        const auto& t = st.st_mtim;
#endif
        return {qint64(st.st_size), qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000};
    }
#endif
    return {info.size(), info.lastModified().toMSecsSinceEpoch()};
}

// The files the library reads, by their names' endings in any case.
bool isLibraryFileName(const QString& name)
{
    for (const char* suffix : {".syx", ".mid", ".midi"})
        if (name.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            return true;
    return false;
}

#ifdef Q_OS_UNIX
// Every folder under `path` and every file the library reads, with their
// sizes and times. Each entry is stated relative to its folder's descriptor,
// as find does: a rescan with nothing changed is this walk and little more.
void walkFolder(const QString& path, int fd, std::vector<Found>& files, QStringList& directories)
{
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    while (const dirent* e = ::readdir(dir)) {
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        const bool maybeFolder =
            e->d_type == DT_DIR || e->d_type == DT_UNKNOWN || e->d_type == DT_LNK;
        const QString fileName = QFile::decodeName(name);
        if (!maybeFolder && !isLibraryFileName(fileName))
            continue;
        struct stat st;
        if (::fstatat(::dirfd(dir), name, &st, 0) != 0)
            continue; // gone meanwhile, or a link to nothing
        const QString full = path + '/' + fileName;
        if (S_ISDIR(st.st_mode)) {
            directories << full;
            if (e->d_type == DT_LNK)
                continue;
            const int sub = ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (sub >= 0)
                walkFolder(full, sub, files, directories);
        } else if (isLibraryFileName(fileName)) {
#ifdef Q_OS_MACOS
            const auto& t = st.st_mtimespec;
#else
            const auto& t = st.st_mtim;
#endif
            files.push_back(
                {full, qint64(st.st_size), qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000});
        }
    }
    ::closedir(dir);
}
#endif

void walk(const QString& folder, std::vector<Found>& files, QStringList& directories)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0)
        walkFolder(folder, fd, files, directories);
#else
    // Names are matched here rather than by the iterator's filters, which
    // would match every name against patterns.
    QDirIterator it(folder, QDir::Files | QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isDir()) {
            directories << info.absoluteFilePath();
        } else if (isLibraryFileName(info.fileName())) {
            const Stamp stamp = stampOf(info);
            files.push_back({info.absoluteFilePath(), stamp.size, stamp.modified});
        }
    }
#endif
}

} // namespace

FileReading readLibraryFile(const QString& path)
{
    Bytes bytes;
    try {
        bytes = readWholeFile(QFile::encodeName(path).toStdString());
    } catch (const FileError& e) {
        FileReading unreadable;
        unreadable.reason = QString::fromStdString(e.reason());
        return unreadable;
    }
    return readPatchFile(bytes);
}

ScanReport LibraryScanner::scan()
{
    ScanReport report;
    const auto folders = m_db.folders();
    // The whole list first: the progress then knows how far there is to go.
    std::vector<std::pair<const LibraryDatabase::Folder*, std::vector<Found>>> found;
    int total = 0;
    for (const auto& folder : folders) {
        if (!QFileInfo(folder.path).isDir()) {
            report.missingFolders << folder.path;
            continue;
        }
        std::vector<Found> files;
        report.directories << folder.path;
        // One walk lists the files and the folders to watch. Symbolic links to
        // folders are not followed: a link back up the tree would never end.
        walk(folder.path, files, report.directories);
        total += int(files.size());
        found.emplace_back(&folder, std::move(files));
    }
    report.files = total;

    int done = 0;
    int inBatch = 0;
    std::optional<LibraryDatabase::Transaction> batch;
    for (auto& [folder, files] : found) {
        auto states = m_db.fileStates(folder->id);
        for (const Found& f : files) {
            if (cancelled()) {
                report.cancelled = true;
                break;
            }
            const auto known = states.constFind(f.path);
            const bool unchanged = known != states.constEnd() && known->size == f.size &&
                                   known->modified == f.modified;
            std::optional<qint64> id;
            if (known != states.constEnd()) {
                id = known->id;
                states.erase(known);
            }
            if (!unchanged) {
                const FileReading reading = readLibraryFile(f.path);
                if (!batch)
                    batch.emplace(m_db);
                m_db.storeFile(folder->id, id, f.path, f.size, f.modified, reading);
                ++report.read;
                report.others += reading.kind == LibraryFileKind::Other;
                if (++inBatch == BatchSize) {
                    batch->commit();
                    batch.reset();
                    inBatch = 0;
                }
            }
            if (m_progress)
                m_progress(++done, total);
        }
        if (report.cancelled)
            break;
        // What is left was indexed once and is no longer there.
        if (!states.isEmpty() && !batch)
            batch.emplace(m_db);
        for (const auto& gone : std::as_const(states)) {
            m_db.removeFile(gone.id);
            ++report.removed;
        }
    }
    if (batch)
        batch->commit();
    return report;
}

bool LibraryScanner::indexFile(const QString& path)
{
    const QFileInfo info(path);
    const QString absolute = info.absoluteFilePath();
    const LibraryDatabase::Folder* holder = nullptr;
    const auto folders = m_db.folders();
    for (const auto& folder : folders)
        if (absolute.startsWith(folder.path.endsWith('/') ? folder.path : folder.path + '/'))
            holder = &folder;
    if (!holder)
        return false;
    const auto states = m_db.fileStates(holder->id);
    const auto known = states.constFind(absolute);
    std::optional<qint64> id;
    if (known != states.constEnd())
        id = known->id;
    LibraryDatabase::Transaction t(m_db);
    if (!info.exists()) {
        if (id)
            m_db.removeFile(*id);
    } else {
        const Stamp stamp = stampOf(info);
        m_db.storeFile(holder->id, id, absolute, stamp.size, stamp.modified,
                       readLibraryFile(absolute));
    }
    t.commit();
    return true;
}

} // namespace dorvane
