// SPDX-License-Identifier: GPL-3.0-or-later
// Brings the index up to date with the disk: every .syx and MIDI file under the
// library's folders is listed, and only files that are new or whose size or
// time changed are read again; files that are gone leave the index. A folder
// that is not there at all (a drive not plugged in) keeps its files, their
// favourites and tags, until it is back or removed.
//
// Files are read and judged on a thread beside the one that writes the index.
// The index is written in batches of whole files, each one transaction, so a
// scan stopped at any moment leaves an index that a later scan completes.
#pragma once

#include "library/librarydatabase.h"

#include <QStringList>

#include <atomic>
#include <functional>

namespace dorvane {

struct ScanReport
{
    int files = 0;   // .syx and MIDI files under the folders
    int read = 0;    // of those, read because they were new or had changed
    int others = 0;  // of those read, files that are no patch files
    int removed = 0; // files that left the index
    QStringList missingFolders;
    QStringList directories; // every folder walked, for watching
    bool cancelled = false;
};

class LibraryScanner
{
public:
    // Files read between two commits: a kill loses at most this many. Each
    // commit writes the pages a batch touched, so fewer, larger ones cost less.
    static constexpr int BatchSize = 2048;

    explicit LibraryScanner(LibraryDatabase& db) : m_db(db) {}

    // Checked between files; a set flag ends the scan, the files read so far kept.
    void setCancelFlag(const std::atomic<bool>* cancel) { m_cancel = cancel; }
    // Called while the folders are walked, with how many files were found.
    void setCounting(std::function<void(int found)> counting) { m_counting = std::move(counting); }
    // Called once the walk is over with the files that need no reading done,
    // then after each file read, with how many of how many are done.
    void setProgress(std::function<void(int done, int total)> progress)
    {
        m_progress = std::move(progress);
    }

    // For tests: commits after that many files.
    void setBatchSize(int files) { m_batchSize = files; }

    ScanReport scan();

    // Reads one file into the index at once (one just saved). False when no
    // folder of the library holds it.
    bool indexFile(const QString& path);

private:
    bool cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }

    LibraryDatabase& m_db;
    const std::atomic<bool>* m_cancel = nullptr;
    int m_batchSize = BatchSize;
    std::function<void(int)> m_counting;
    std::function<void(int, int)> m_progress;
};

// A file's bytes and what they are; a file that cannot be read is Other with
// the system's reason.
FileReading readLibraryFile(const QString& path);

} // namespace dorvane
