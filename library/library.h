// SPDX-License-Identifier: GPL-3.0-or-later
// The library as the window and the command line use it: the index, its
// parts in memory for searching, scans on a thread of their own, and a watch
// on the folders while the program runs. Lives on the main thread; the scan
// thread has its own connection to the index and reports back through queued
// calls.
#pragma once

#include "library/librarydatabase.h"
#include "library/libraryscanner.h"
#include "library/librarysearch.h"
#include "library/soundlikeness.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

class QFileSystemWatcher;

namespace dorvane {

class Library : public QObject
{
    Q_OBJECT

public:
    // How the parts come into memory: at once, or (`Later`) by the first
    // scan's thread, so a window is not held up by a collector's index.
    enum class ReadEntries
    {
        Now,
        Later
    };
    // Opens the index in that file; throws LibraryError (see LibraryDatabase).
    explicit Library(const QString& databaseFile, QObject* parent = nullptr,
                     ReadEntries read = ReadEntries::Now);
    ~Library() override;

    // Where the index lives unless told otherwise: the program's data folder.
    static QString defaultDatabaseFile();

    QString databaseFile() const { return m_db->file(); }
    QStringList folders() const { return m_folders; }
    const std::vector<LibraryEntry>& entries() const { return m_search.entries(); }
    std::vector<int> find(const LibraryQuery& query) { return m_search.find(query); }
    std::vector<LibraryOther> others() const { return m_db->others(); }
    int fileCount() const { return m_fileCount; }

    // Adds a folder and scans it; the text says what happened, for the status bar.
    QString addFolder(const QString& path);
    void removeFolder(const QString& path);

    // Scans every folder on the scan thread, unless a scan is under way (then
    // one more follows it).
    void rescan();
    bool scanning() const { return m_scanning; }
    // Another scan follows the running one (something changed while it ran).
    bool rescanPending() const { return m_rescanPending; }
    const ScanReport& lastScan() const { return m_lastScan; }
    // Waits until no scan runs; for the command line and tests.
    void waitForScan();

    // Reads one file into the index at once (a file just saved).
    void indexFile(const QString& path);

    // The entries nearest in sound to entry `index`, nearest first, with their
    // distance (0..100), the entry itself left out; nothing for a kit. The
    // parts' features are read from the index the first time after a change.
    std::vector<std::pair<int, double>> soundsLike(std::size_t index, std::size_t count);

    void setFavourite(std::size_t index, bool favourite);
    void setTags(std::size_t index, const QStringList& tags);

    // Writes a part file named after the patch into a folder, never over a
    // file already there ("BASS 1.syx", then "BASS 1 (2).syx" …), and
    // indexes it. Returns the file's path; throws FileError when it cannot.
    QString savePartFile(const QString& folder, const QString& patchName, ByteView block);

signals:
    void entriesChanged();
    void scanStarted();
    // While the folders are walked: how many files were found so far.
    void scanCounting(int found);
    // Once they are counted: how many of them are done, to the last.
    void scanProgress(int done, int total);
    void scanFinished();
    // A scan ended in an error (the index could not be written).
    void scanFailed(const QString& why);

private:
    void reload();
    void readFolders();
    // The index as the scan thread read it back after a scan that changed it.
    struct Snapshot
    {
        std::vector<LibraryEntry> entries;
        int fileCount = 0;
    };
    void scanEnded(const ScanReport& report, const QString& error,
                   const std::shared_ptr<Snapshot>& snapshot);
    void watch(const QStringList& directories);

    std::unique_ptr<LibraryDatabase> m_db;
    LibrarySearch m_search;
    std::optional<SoundTable> m_sounds; // read when first asked after a change
    // Read with the entries: the panel shows them at every key typed.
    QStringList m_folders;
    int m_fileCount = 0;
    ScanReport m_lastScan;
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    bool m_scanning = false;
    bool m_rescanPending = false;
    int m_marksChanged = 0;     // favourites and tags set, counted
    int m_marksAtScanStart = 0; // that count when the running scan began
    bool m_entriesRead = false; // the parts are in memory (else the next scan reads them)
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer m_settle; // changes on disk come in bursts: one scan after the last
};

// A file name for this patch name: the name with characters no file system
// takes replaced by "_" (a "/" in "AC/DC" is no folder), and ".syx".
QString patchFileName(const QString& patchName);

// The name a new file in `folder` gets for this patch name: patchFileName(),
// with a number when a file of that name is there already.
QString freeFileName(const QString& folder, const QString& patchName);

} // namespace dorvane
