// SPDX-License-Identifier: GPL-3.0-or-later
// The library's index: an SQLite database of the folders the musician added,
// every .syx file under them (path, size, time, kind) and every part those
// files hold (name, part, sound hash), with favourites and tags.
//
// Each connection belongs to the thread that opened it. The schema carries its
// version; an older index is brought up to date in one transaction, and an
// index from a later version is refused untouched. Every write is a
// transaction, so a program killed in the middle leaves the index as the last
// finished transaction left it.
#pragma once

#include "library/libraryentry.h"

#include <QHash>
#include <QSqlDatabase>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

struct sqlite3;

namespace dorvane {

struct FileReading;
struct LibraryQuery;
class SoundTable;

// The index cannot be opened or written; the text says why, for the musician.
class LibraryError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class LibraryDatabase
{
public:
    static constexpr int SchemaVersion = 5;

    // Opens the index in that file, creating it and its folder when missing.
    // Throws LibraryError, changing nothing, for a file that is no index or
    // one written by a later version of the program.
    explicit LibraryDatabase(const QString& file);
    ~LibraryDatabase();
    LibraryDatabase(const LibraryDatabase&) = delete;
    LibraryDatabase& operator=(const LibraryDatabase&) = delete;

    QString file() const { return m_file; }

    struct Folder
    {
        qint64 id = 0;
        QString path;
    };
    std::vector<Folder> folders() const;

    // The folder's place in the index: added, or already covered by a folder
    // that holds it (whose path is then given). Folders inside the new one
    // become part of it, their files, favourites and tags kept.
    struct FolderAdded
    {
        bool added = false;
        QString coveredBy;
    };
    FolderAdded addFolder(const QString& canonicalPath);
    // The folder and everything indexed under it leave the index.
    void removeFolder(const QString& path);

    // One transaction around many writes: committed by commit(), rolled back
    // when dropped without it.
    class Transaction
    {
    public:
        explicit Transaction(LibraryDatabase& db);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void commit();

    private:
        LibraryDatabase& m_db;
        bool m_open = true;
    };

    // What the index knows of each file under a folder, by path in UTF-8.
    struct FileState
    {
        qint64 id = 0;
        qint64 size = 0;
        qint64 modified = 0; // ms since the epoch
    };
    QHash<QByteArray, FileState> fileStates(qint64 folderId) const;

    // Writes a file and its parts. A part keeps its favourite and tags when
    // the file is read again, as long as it stays at its place in the file.
    // The path is in UTF-8, as the walk holds it and the index stores it.
    void storeFile(qint64 folderId, std::optional<qint64> fileId, const QByteArray& path,
                   qint64 size, qint64 modified, const FileReading& reading);
    void removeFile(qint64 fileId);

    // Every part, ordered by name, then file, then place in the file; tags
    // and duplicate marks filled in.
    std::vector<LibraryEntry> entries() const;
    std::vector<LibraryOther> others() const;
    int fileCount() const;
    int partCount() const;

    // The parts a search finds, as entries() lists them (tags and duplicate
    // counts filled in), found through the index without reading every part.
    std::vector<LibraryEntry> find(const LibraryQuery& query) const;

    // What "sounds like this" weighs, of every part that has it (normal
    // parts), and of one part; the entries of parts by their ids, in that
    // order (duplicate counts filled in, tags not).
    SoundTable soundTable() const;
    QByteArray features(qint64 partId) const;
    // The part at that place of that file (an absolute path), when indexed.
    std::optional<qint64> partIdAt(const QString& path, int position) const;
    std::vector<LibraryEntry> entriesById(const std::vector<qint64>& ids) const;

    void setFavourite(qint64 partId, bool favourite);
    void setTags(qint64 partId, const QStringList& tags);

    // The search's text of every part written again from the parts and tags,
    // as the migration that made the full-text index left it.
    void rewriteSearchText();

    // The indexes that only speed up reading, dropped before a scan that
    // writes more than the index holds and made again after it (and at the
    // next opening, when a scan was killed between the two).
    void dropSecondaryIndexes();
    void restoreSecondaryIndexes();

    // A scan commits every few thousand files, and each time the log passes
    // a thousand pages it would be synced and copied into the index: held,
    // that happens once, at checkpoint(), which lets it happen as usual again.
    // A kill in between loses nothing committed: the log is the index's.
    void holdCheckpoints();
    void checkpoint();
    // The log of the index in `file` copied into it as far as it is committed,
    // on a connection of its own opened and closed on the calling thread: a
    // scan runs it beside the remaking of the indexes, which leaves a core
    // idle, so that checkpoint() then copies only what that remaking wrote.
    // A copy that cannot be made now is left to checkpoint().
    static void copyCommittedLog(const QString& file);

private:
    QSqlDatabase database() const;
    sqlite3* connectionHandle() const;
    QStringList tagsOf(qint64 partId);
    void setSearchText(qint64 partId, const QString& text);
    void writePendingText();
    void exec(const QString& sql) const;
    void migrate(int from);
    [[noreturn]] void fail(const QString& what, const QString& why) const;

    QString m_file;
    QString m_connection;
    // The statements a scan runs for every file and part, prepared once and
    // run through SQLite's own interface on the connection Qt opened.
    struct Writes;
    std::unique_ptr<Writes> m_writes;
    // The parts whose search text was written in the transaction under way.
    std::vector<qint64> m_pendingText;
};

} // namespace dorvane
