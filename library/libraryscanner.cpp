// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/libraryscanner.h"

#include "library/librarysearch.h"
#include "library/patchfileparts.h"
#include "patch/fileio.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace dorvane {

namespace {

// A file as the walk finds it. The path stays in bytes, as the index holds
// it: a rescan with nothing changed makes no text of any path.
struct Found
{
    QByteArray path; // UTF-8
    qint64 size;
    qint64 modified;

    QString text() const { return QString::fromUtf8(path); }
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
bool isLibraryFileName(QByteArrayView name)
{
    for (const QByteArrayView suffix : {".syx", ".mid", ".midi"})
        if (name.size() >= suffix.size() &&
            qstrnicmp(name.data() + name.size() - suffix.size(), suffix.size(), suffix.data(),
                      suffix.size()) == 0)
            return true;
    return false;
}

#ifdef Q_OS_UNIX
// One folder as read: the files the library reads, with their sizes and
// times, and the folders inside it, each with the number of files met before
// it, so the whole tree reads back in the order one walk would have met it.
struct Listing
{
    QByteArray path; // as the index holds it
    QByteArray name; // as the system knows it, when that is another
    std::vector<Found> files;
    struct Inside
    {
        std::size_t after; // files met before it
        QByteArray path;
        QByteArray name;
        bool followed;           // a link to a folder is listed, not followed
        std::size_t listing = 0; // its own, once followed
    };
    std::vector<Inside> folders;
};

// Every folder under a folder, read by the scan's thread and helpers of its
// own, each taking the next folder met and not yet read: a collection's walk
// is a fifth of its first scan and most of a rescan, and on one thread it
// left the other cores idle. A folder's entries are stated relative to its
// descriptor, as find does.
class Walk
{
public:
    Walk(const QString& root, const std::function<void(int)>& counted) : m_counted(counted)
    {
        m_listings.push_back({root.toUtf8(), QFile::encodeName(root), {}, {}});
        m_waiting.push_back(0);
    }

    void run(std::vector<Found>& files, QStringList& directories)
    {
        const int helpers = std::clamp(int(std::thread::hardware_concurrency()) - 1, 0, 3);
        std::vector<std::thread> threads;
        for (int i = 0; i < helpers; ++i)
            threads.emplace_back([this] { work(false); });
        work(true);
        for (std::thread& t : threads)
            t.join();
        // The count ends where the walk did, whichever thread found the last files.
        if (m_counted && m_lastCounted != m_filesFound)
            m_counted(m_filesFound);
        files.reserve(files.size() + std::size_t(m_filesFound.load()));
        putInOrder(m_listings[0], files, directories);
    }

private:
    void work(bool counts)
    {
        for (;;) {
            std::size_t index = 0;
            QByteArray path;
            QByteArray name;
            {
                std::unique_lock lock(m_mutex);
                m_more.wait(lock, [&] { return !m_waiting.empty() || m_busy == 0; });
                if (m_waiting.empty())
                    return;
                index = m_waiting.front();
                m_waiting.pop_front();
                path = m_listings[index].path;
                name = m_listings[index].name;
                ++m_busy;
            }
            std::vector<Found> files;
            std::vector<Listing::Inside> folders;
            // The folder the scan was given may be a link; one met inside it
            // is never followed.
            list(path, name, index > 0, counts, files, folders);
            {
                std::lock_guard lock(m_mutex);
                for (Listing::Inside& inside : folders) {
                    if (!inside.followed)
                        continue;
                    inside.listing = m_listings.size();
                    m_listings.push_back({inside.path, inside.name, {}, {}});
                    m_waiting.push_back(inside.listing);
                }
                Listing& listing = m_listings[index];
                listing.files = std::move(files);
                listing.folders = std::move(folders);
                --m_busy;
            }
            m_more.notify_all();
        }
    }

    void list(const QByteArray& path, const QByteArray& systemName, bool noLink, bool counts,
              std::vector<Found>& files, std::vector<Listing::Inside>& folders)
    {
        const int fd =
            ::open(systemName.constData(), O_RDONLY | O_DIRECTORY | (noLink ? O_NOFOLLOW : 0));
        DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
        if (!dir) {
            if (fd >= 0)
                ::close(fd);
            return;
        }
        while (const dirent* e = ::readdir(dir)) {
            const char* name = e->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            const bool maybeFolder =
                e->d_type == DT_DIR || e->d_type == DT_UNKNOWN || e->d_type == DT_LNK;
            const QByteArrayView fileName(name);
            if (!maybeFolder && !isLibraryFileName(fileName))
                continue;
            struct stat st;
            if (::fstatat(::dirfd(dir), name, &st, 0) != 0)
                continue; // gone meanwhile, or a link to nothing
            QByteArray full;
            full.reserve(path.size() + 1 + fileName.size());
            full.append(path).append('/').append(fileName);
            // A name that is no UTF-8 is held as the text Qt makes of it, as
            // the index stores it.
            if (!fileName.isValidUtf8())
                full = QString::fromUtf8(full).toUtf8();
            if (S_ISDIR(st.st_mode)) {
                QByteArray inSystem;
                inSystem.reserve(systemName.size() + 1 + fileName.size());
                inSystem.append(systemName).append('/').append(fileName);
                // A link back up the tree would never end.
                folders.push_back(
                    {files.size(), std::move(full), std::move(inSystem), e->d_type != DT_LNK});
            } else if (isLibraryFileName(fileName)) {
#ifdef Q_OS_MACOS
                const auto& t = st.st_mtimespec;
#else
                const auto& t = st.st_mtim;
#endif
                files.push_back({std::move(full), qint64(st.st_size),
                                 qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000});
                const int found = ++m_filesFound;
                if (counts && m_counted)
                    m_counted(m_lastCounted = found);
            }
        }
        ::closedir(dir);
    }

    // The tree in the order one walk down it meets it: a folder's files, each
    // folder inside it, and what it holds, where the folder's reading met it.
    void putInOrder(Listing& listing, std::vector<Found>& files, QStringList& directories)
    {
        auto file = listing.files.begin();
        for (Listing::Inside& inside : listing.folders) {
            const auto upTo = listing.files.begin() + std::ptrdiff_t(inside.after);
            std::move(file, upTo, std::back_inserter(files));
            file = upTo;
            directories << QString::fromUtf8(inside.path);
            if (inside.followed)
                putInOrder(m_listings[inside.listing], files, directories);
        }
        std::move(file, listing.files.end(), std::back_inserter(files));
        listing.files.clear();
    }

    const std::function<void(int)>& m_counted;
    std::mutex m_mutex;
    std::condition_variable m_more;
    std::deque<Listing> m_listings; // where each stays while others are added
    std::deque<std::size_t> m_waiting;
    int m_busy = 0;
    std::atomic<int> m_filesFound{0};
    int m_lastCounted = 0; // the scan's thread's own
};
#endif

void walk(const QString& folder, std::vector<Found>& files, QStringList& directories,
          const std::function<void(int)>& counted)
{
#ifdef Q_OS_UNIX
    Walk(folder, counted).run(files, directories);
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
        } else if (isLibraryFileName(info.fileName().toUtf8())) {
            const Stamp stamp = stampOf(info);
            files.push_back({info.absoluteFilePath().toUtf8(), stamp.size, stamp.modified});
            if (counted)
                counted(int(files.size()));
        }
    }
#endif
}

FileReading readLibraryFileNamed(const std::string& fileName)
{
    Bytes bytes;
    try {
        bytes = readWholeFile(fileName);
    } catch (const FileError& e) {
        FileReading unreadable;
        unreadable.reason = QString::fromStdString(e.reason());
        return unreadable;
    }
    return readPatchFile(bytes);
}

// Files read and judged on threads of their own while the scan writes the
// ones before them: reading is pure, and the index has one writer. Each
// reader takes the next run of files not yet taken; the readings are handed
// over in the list's order, a bounded number ahead, so memory stays bounded
// whatever the scan. A reading the writer is done with goes back to the
// reader that made it, to be freed there: freed by the writer, each of its
// dozen blocks would take the lock of the reader's heap while that reader
// allocates in it. The lock between them is taken once per run of files, not
// per file: with more threads than cores, a reader holding it is now and then
// put aside by the system for a whole time slice, and the writer with it.
class ReadAhead
{
public:
    // Enough to go on reading through a commit (tens of milliseconds),
    // which would otherwise leave the readers waiting as often as the writer.
    static constexpr std::size_t Ahead = 4096;
    // Files a reader takes, and hands over, at a time.
    static constexpr std::size_t Run = 16;
    // Readers waiting for room are woken when this many slots are free, not
    // at every one: a wake-up per file costs more than the waiting.
    static constexpr std::size_t Room = 64;

    // As many readers as leave a core to the writer, at least one: on two
    // cores two readers still gain, taking the writer's waits.
    static int readers()
    {
        const int cores = int(std::thread::hardware_concurrency());
        return std::clamp(cores, 1, 4);
    }

    ReadAhead(const std::vector<const Found*>& files, const std::function<bool()>& cancelled)
        : m_files(files), m_cancelled(cancelled),
          m_slots(std::clamp(files.size(), std::size_t(1), Ahead))
    {
        const int count = std::min(readers(), int(files.size()));
        m_running = count;
        m_spent.resize(std::size_t(count));
        m_handedBack.resize(std::size_t(count));
        for (int i = 0; i < count; ++i)
            m_threads.emplace_back([this, i] { run(i); });
    }
    ~ReadAhead()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_filled.notify_all();
        m_freed.notify_all();
        for (std::thread& t : m_threads)
            t.join();
    }
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next file's reading, in the list's order, held until the next
    // call; none once the readers stopped early (cancelled) before reading it.
    const FileReading* next()
    {
        if (m_current) {
            m_handedBack[std::size_t(m_current->reader)].push_back(std::move(m_current->reading));
            m_current.reset();
        }
        if (m_handedOut == m_ready.size()) {
            m_ready.clear();
            m_handedOut = 0;
            std::unique_lock lock(m_mutex);
            for (std::size_t r = 0; r < m_handedBack.size(); ++r) {
                auto& to = m_spent[r];
                std::move(m_handedBack[r].begin(), m_handedBack[r].end(), std::back_inserter(to));
                m_handedBack[r].clear();
            }
            m_writerWaits = true;
            m_filled.wait(lock, [&] {
                return m_slots[m_next % m_slots.size()] || m_error || m_stop || m_running == 0;
            });
            m_writerWaits = false;
            if (m_error)
                std::rethrow_exception(m_error);
            // Every reading in place from here on, at once.
            for (;;) {
                auto& slot = m_slots[m_next % m_slots.size()];
                if (!slot)
                    break;
                m_ready.push_back(std::move(*slot));
                slot.reset();
                ++m_next;
            }
            const bool wake = m_readersWaiting > 0;
            lock.unlock();
            if (wake)
                m_freed.notify_all();
            if (m_ready.empty())
                return nullptr;
        }
        m_current = std::move(m_ready[m_handedOut++]);
        return &m_current->reading;
    }

private:
    struct Made
    {
        FileReading reading;
        int reader;
    };

    void run(int me)
    {
        std::vector<FileReading> spent;
        std::vector<FileReading> made;
        try {
            for (;;) {
                std::size_t first = 0;
                std::size_t count = 0;
                {
                    std::unique_lock lock(m_mutex);
                    if (m_stop || m_taken == m_files.size())
                        break;
                    first = m_taken;
                    count = std::min(Run, m_files.size() - first);
                    m_taken += count;
                    spent.swap(m_spent[std::size_t(me)]);
                }
                spent.clear();
                made.clear();
                for (std::size_t i = first; i < first + count; ++i) {
                    if (m_cancelled()) {
                        // The files taken stay unread: every reader stops,
                        // and the writer at the first file it lacks.
                        std::lock_guard lock(m_mutex);
                        m_stop = true;
                        break;
                    }
                    made.push_back(read(i));
                }
                std::unique_lock lock(m_mutex);
                // The run's slots are free once the writer took the readings a
                // whole ring before them.
                const std::size_t last = first + made.size();
                if (last > m_next + m_slots.size()) {
                    ++m_readersWaiting;
                    m_freed.wait(lock, [&] { return last <= m_next + m_slots.size() || m_stop; });
                    --m_readersWaiting;
                }
                if (m_stop)
                    break;
                for (std::size_t k = 0; k < made.size(); ++k)
                    m_slots[(first + k) % m_slots.size()] = Made{std::move(made[k]), me};
                const bool wake = m_writerWaits;
                lock.unlock();
                if (wake)
                    m_filled.notify_one();
            }
        } catch (...) {
            std::lock_guard lock(m_mutex);
            if (!m_error)
                m_error = std::current_exception();
        }
        {
            std::lock_guard lock(m_mutex);
            --m_running;
        }
        m_filled.notify_all();
        m_freed.notify_all();
    }

    FileReading read(std::size_t i) const
    {
        const QByteArray& path = m_files[i]->path;
#ifdef Q_OS_UNIX
        // The walk's bytes are the name the system knows.
        FileReading reading = readLibraryFileNamed(path.toStdString());
#else
        FileReading reading = readLibraryFile(m_files[i]->text());
#endif
        const QString fileName = QString::fromUtf8(path.mid(path.lastIndexOf('/') + 1));
        for (FilePart& p : reading.parts)
            p.searchText = librarySearchText(p.name, {}, fileName);
        return reading;
    }

    const std::vector<const Found*>& m_files;
    const std::function<bool()> m_cancelled;
    std::mutex m_mutex;
    std::condition_variable m_filled; // the writer waits for its next file
    std::condition_variable m_freed;  // readers wait for room in the ring
    std::vector<std::optional<Made>> m_slots;
    std::vector<std::vector<FileReading>> m_spent; // per reader, to be freed by it
    std::size_t m_taken = 0;                       // files handed to a reader
    std::size_t m_next = 0; // the writer's next file not yet taken from the ring
    int m_running = 0;
    int m_readersWaiting = 0;
    bool m_writerWaits = false;
    bool m_stop = false;
    std::exception_ptr m_error;
    // The writer's own, outside the lock.
    std::vector<Made> m_ready;   // taken from the ring, in order
    std::size_t m_handedOut = 0; // of m_ready, handed out
    std::optional<Made> m_current;
    std::vector<std::vector<FileReading>> m_handedBack; // per reader, until the next lock
    std::vector<std::thread> m_threads;                 // last: they start once the rest is made
};

// A step of the index done when the scan ends, however it ends. One that
// fails then is done later: the checkpoint at a later commit, the indexes at
// the next opening.
class AtTheEnd
{
public:
    using Step = void (LibraryDatabase::*)();
    AtTheEnd() = default;
    ~AtTheEnd()
    {
        if (m_db) {
            try {
                (m_db->*m_step)();
            } catch (const LibraryError&) {
            }
        }
    }
    AtTheEnd(const AtTheEnd&) = delete;
    AtTheEnd& operator=(const AtTheEnd&) = delete;

    void arm(LibraryDatabase& db, Step step)
    {
        m_db = &db;
        m_step = step;
    }

private:
    LibraryDatabase* m_db = nullptr;
    Step m_step = nullptr;
};

// The committed log copied into the index on a thread of its own while the
// scan's connection remakes the indexes; joined before the final copy.
class LogCopy
{
public:
    LogCopy() = default;
    ~LogCopy()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    LogCopy(const LogCopy&) = delete;
    LogCopy& operator=(const LogCopy&) = delete;

    void start(const QString& file)
    {
        m_thread = std::thread([file] { LibraryDatabase::copyCommittedLog(file); });
    }

private:
    std::thread m_thread;
};

} // namespace

FileReading readLibraryFile(const QString& path)
{
    return readLibraryFileNamed(QFile::encodeName(path).toStdString());
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
        std::function<void(int)> counted;
        if (m_counting)
            counted = [this, total](int n) { m_counting(total + n); };
        walk(folder.path, files, report.directories, counted);
        total += int(files.size());
        found.emplace_back(&folder, std::move(files));
    }
    report.files = total;

    // What is to be read, against what the index knows; what it knows and
    // the walk did not find is gone.
    struct ToStore
    {
        qint64 folderId;
        std::optional<qint64> id;
    };
    std::vector<const Found*> toRead;
    std::vector<ToStore> toStore;
    std::vector<qint64> gone;
    int knownFiles = 0;
    for (const auto& [folder, files] : found) {
        auto states = m_db.fileStates(folder->id);
        knownFiles += int(states.size());
        for (const Found& f : files) {
            const auto known = states.constFind(f.path);
            if (known == states.constEnd()) {
                toRead.push_back(&f);
                toStore.push_back({folder->id, std::nullopt});
                continue;
            }
            if (known->size != f.size || known->modified != f.modified) {
                toRead.push_back(&f);
                toStore.push_back({folder->id, known->id});
            }
            states.erase(known);
        }
        for (const auto& state : std::as_const(states))
            gone.push_back(state.id);
    }

    int done = total - int(toRead.size());
    if (m_progress && total > 0)
        m_progress(done, total);
    // A long scan syncs and copies the log into the index once, at its end
    // (made first, this runs last); one that writes more files than are
    // indexed (a first scan, a big folder added) drops the indexes that only
    // speed up reading and makes them at its end.
    AtTheEnd checkpointAtTheEnd;
    LogCopy logCopy; // joined after the indexes are back, before the last copy
    AtTheEnd indexesBack;
    bool remakesIndexes = false;
    if (toRead.size() > std::size_t(m_batchSize)) {
        m_db.holdCheckpoints();
        checkpointAtTheEnd.arm(m_db, &LibraryDatabase::checkpoint);
        if (toRead.size() >= std::size_t(knownFiles)) {
            m_db.dropSecondaryIndexes();
            indexesBack.arm(m_db, &LibraryDatabase::restoreSecondaryIndexes);
            remakesIndexes = true;
        }
    }
    int inBatch = 0;
    std::optional<LibraryDatabase::Transaction> batch;
    if (!toRead.empty()) {
        ReadAhead reader(toRead, [this] { return cancelled(); });
        for (std::size_t i = 0; i < toRead.size(); ++i) {
            const FileReading* reading = nullptr;
            if (!cancelled())
                reading = reader.next();
            if (!reading) {
                report.cancelled = true;
                break;
            }
            const Found& f = *toRead[i];
            if (!batch)
                batch.emplace(m_db);
            m_db.storeFile(toStore[i].folderId, toStore[i].id, f.path, f.size, f.modified,
                           *reading);
            ++report.read;
            report.others += reading->kind == LibraryFileKind::Other;
            if (++inBatch == m_batchSize) {
                batch->commit();
                batch.reset();
                inBatch = 0;
            }
            if (m_progress)
                m_progress(++done, total);
        }
    }
    if (!report.cancelled && !gone.empty()) {
        if (!batch)
            batch.emplace(m_db);
        for (const qint64 id : gone)
            m_db.removeFile(id);
        report.removed = int(gone.size());
    }
    if (batch)
        batch->commit();
    if (remakesIndexes)
        logCopy.start(m_db.file());
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
    const auto known = states.constFind(absolute.toUtf8());
    std::optional<qint64> id;
    if (known != states.constEnd())
        id = known->id;
    LibraryDatabase::Transaction t(m_db);
    if (!info.exists()) {
        if (id)
            m_db.removeFile(*id);
    } else {
        const Stamp stamp = stampOf(info);
        m_db.storeFile(holder->id, id, absolute.toUtf8(), stamp.size, stamp.modified,
                       readLibraryFile(absolute));
    }
    t.commit();
    return true;
}

} // namespace dorvane
