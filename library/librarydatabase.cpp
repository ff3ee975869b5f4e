// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/librarydatabase.h"

#include "library/librarysearch.h"
#include "library/patchfileparts.h"
#include "library/soundlikeness.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

#include <atomic>
#include <deque>

namespace dorvane {

namespace {

// Each step brings the index from the version before it to its own. A new
// index runs them all; an older one the steps it lacks. Steps never change
// once released: a later change is a new step.
struct Migration
{
    int version;
    std::vector<const char*> statements;
    // Work SQL cannot say, after the statements (text folded as Qt folds it).
    void (*then)(LibraryDatabase&) = nullptr;
};

const std::vector<Migration>& migrations()
{
    static const std::vector<Migration> list = {
        {1,
         {"CREATE TABLE folders(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE)",
          "CREATE TABLE files(id INTEGER PRIMARY KEY,"
          " folder INTEGER NOT NULL REFERENCES folders(id) ON DELETE CASCADE,"
          " path TEXT NOT NULL UNIQUE, size INTEGER NOT NULL, modified INTEGER NOT NULL,"
          " kind INTEGER NOT NULL, reason TEXT NOT NULL DEFAULT '')",
          "CREATE INDEX files_folder ON files(folder)",
          "CREATE TABLE parts(id INTEGER PRIMARY KEY,"
          " file INTEGER NOT NULL REFERENCES files(id) ON DELETE CASCADE,"
          " position INTEGER NOT NULL, part INTEGER NOT NULL, name TEXT NOT NULL,"
          " sound BLOB NOT NULL, favourite INTEGER NOT NULL DEFAULT 0,"
          " UNIQUE(file, position))"}},
        {2,
         {"CREATE TABLE tags(part INTEGER NOT NULL REFERENCES parts(id) ON DELETE CASCADE,"
          " tag TEXT NOT NULL, PRIMARY KEY(part, tag)) WITHOUT ROWID"}},
        // What a search looks in, indexed by its runs of three characters, so
        // the command line finds parts without reading every part back; the
        // text is stored folded, so matching is exact and agrees with the
        // window's search. Duplicates are counted by sound.
        {3,
         {"CREATE INDEX parts_sound ON parts(sound)",
          "CREATE VIRTUAL TABLE part_text USING fts5(text,"
          " tokenize = 'trigram case_sensitive 1', detail = none)",
          "CREATE TRIGGER parts_text_gone AFTER DELETE ON parts BEGIN"
          " DELETE FROM part_text WHERE rowid = old.id; END"},
         [](LibraryDatabase& db) { db.rewriteSearchText(); }},
        // What "sounds like this" weighs of each part. Every file is read
        // again at the next scan (no file has that time), which fills it in.
        {4, {"ALTER TABLE parts ADD COLUMN features BLOB", "UPDATE files SET modified = -1"}},
        // The search's text moves into the part's own row, and the full-text
        // index over it keeps only its runs of three: no second copy of the
        // text, no sizes, half the work for every part written. The index is
        // made again from the rows when the index is next opened.
        {5,
         {"ALTER TABLE parts ADD COLUMN search TEXT NOT NULL DEFAULT ''",
          "UPDATE parts SET search ="
          " coalesce((SELECT c0 FROM part_text_content WHERE id = parts.id), '')",
          "DROP TRIGGER parts_text_gone", "DROP TABLE part_text"}},
    };
    return list;
}

// The page cache in KiB, and its size while the indexes are made again.
constexpr int CacheKiB = 16384;
constexpr int RemakingCacheKiB = 65536;

// Indexes that only speed up reading: a scan that writes more files than the
// index holds drops them and makes them again at its end, at once, rather
// than putting every row in its place as it comes. An index opened without
// them (a scan killed meanwhile) gets them back. The search's full-text index
// is one of them: made whole from the parts' rows in one pass, it costs a
// third of what it costs filled a batch at a time.
constexpr const char* TextIndex = "part_text";
constexpr const char* SecondaryIndexes[][3] = {
    {"index", "parts_sound", "CREATE INDEX IF NOT EXISTS parts_sound ON parts(sound)"},
    {"index", "files_folder", "CREATE INDEX IF NOT EXISTS files_folder ON files(folder)"},
    {"table", TextIndex,
     "CREATE VIRTUAL TABLE IF NOT EXISTS part_text USING fts5(search, content = 'parts',"
     " content_rowid = 'id', tokenize = 'trigram case_sensitive 1', detail = none,"
     " columnsize = 0)"},
};

// The full-text index keeps no copy of the text, so a part's old text is what
// takes it out of the index again: kept by these, per connection, until the
// transaction ends. A part written in the transaction under way is added at
// its commit, never deleted or changed before it.
constexpr const char* TextTables[] = {
    "PRAGMA temp_store = MEMORY",
    "CREATE TEMP TABLE IF NOT EXISTS pending_text(id INTEGER PRIMARY KEY)",
    "CREATE TEMP TABLE IF NOT EXISTS gone_text(id INTEGER PRIMARY KEY, search TEXT NOT NULL)",
};
// Made once the index is up to date: they name the text's column.
constexpr const char* TextTriggers[] = {
    "CREATE TEMP TRIGGER IF NOT EXISTS part_gone AFTER DELETE ON main.parts BEGIN"
    " INSERT OR IGNORE INTO gone_text VALUES(old.id, old.search); END",
    "CREATE TEMP TRIGGER IF NOT EXISTS part_renamed AFTER UPDATE OF search ON main.parts BEGIN"
    " INSERT OR IGNORE INTO gone_text VALUES(old.id, old.search); END",
};

QString connectionName()
{
    static std::atomic<int> next{0};
    return QString("dorvane-library-%1").arg(next++);
}

// The folder as the panel shows it: the home folder as "~".
QString shownFolder(const QString& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    QString folder = slash > 0 ? path.left(slash) : QString("/");
    static const QString home = QDir::homePath();
    if (!home.isEmpty() && home != "/" && (folder == home || folder.startsWith(home + '/')))
        folder.replace(0, home.size(), "~");
    return QDir::toNativeSeparators(folder);
}

// One prepared statement on SQLite's own interface. Qt's binding goes through
// a named placeholder and a QVariant per value, which at hundreds of thousands
// of parts cost as much as SQLite's own work.
class Statement
{
public:
    // Prepared at its first use: a migration writes before the later steps'
    // columns exist.
    Statement(sqlite3* db, QByteArray sql) : m_db(db), m_sql(std::move(sql)) {}
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool prepare()
    {
        return m_stmt ||
               sqlite3_prepare_v3(m_db, m_sql.constData(), int(m_sql.size()),
                                  SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr) == SQLITE_OK;
    }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }

    void bind(int i, qint64 v) { m_ok = m_ok && sqlite3_bind_int64(m_stmt, i, v) == SQLITE_OK; }
    // Texts go in as UTF-8, the index's own encoding: Qt's conversion is
    // several times SQLite's, which goes character by character. What is
    // bound is held until the statement is done with, so SQLite copies
    // nothing.
    void bind(int i, const QString& v)
    {
        // A null text is the empty text, never SQL NULL.
        const QByteArray& text = m_held.emplace_back(v.toUtf8());
        m_ok = m_ok && sqlite3_bind_text(m_stmt, i, text.isNull() ? "" : text.constData(),
                                         int(text.size()), SQLITE_STATIC) == SQLITE_OK;
    }
    void bindText(int i, const QByteArray& utf8)
    {
        const QByteArray& text = m_held.emplace_back(utf8);
        m_ok = m_ok && sqlite3_bind_text(m_stmt, i, text.isNull() ? "" : text.constData(),
                                         int(text.size()), SQLITE_STATIC) == SQLITE_OK;
    }
    // An empty array is SQL NULL.
    void bind(int i, const QByteArray& v)
    {
        const QByteArray& held = m_held.emplace_back(v);
        m_ok = m_ok &&
               (held.isEmpty() ? sqlite3_bind_null(m_stmt, i)
                               : sqlite3_bind_blob(m_stmt, i, held.constData(), int(held.size()),
                                                   SQLITE_STATIC)) == SQLITE_OK;
    }

    // Runs the statement; true while it gives a row (read by column()). Any
    // fault leaves the statement reset and false.
    bool step()
    {
        const int rc = m_ok ? sqlite3_step(m_stmt) : SQLITE_MISUSE;
        if (rc == SQLITE_ROW)
            return true;
        m_failed = rc != SQLITE_DONE;
        return false;
    }
    qint64 column(int i) const { return sqlite3_column_int64(m_stmt, i); }
    QByteArray bytes(int i) const
    {
        return QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i)),
                          sqlite3_column_bytes(m_stmt, i));
    }
    QString text(int i) const
    {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i)),
                                 sqlite3_column_bytes(m_stmt, i));
    }
    // Ready for the next values; false with the error when the run failed.
    bool done(QString* why)
    {
        const bool ok = m_ok && !m_failed;
        if (!ok && why)
            *why = m_ok ? error() : QStringLiteral("a value could not be bound");
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        m_held.clear();
        m_ok = true;
        m_failed = false;
        return ok;
    }

private:
    sqlite3* m_db;
    QByteArray m_sql;
    sqlite3_stmt* m_stmt = nullptr;
    // Up to a statement's values; std::deque keeps each where it is.
    std::deque<QByteArray> m_held;
    bool m_ok = true;
    bool m_failed = false;
};

} // namespace

struct LibraryDatabase::Writes
{
    explicit Writes(sqlite3* db)
        : updateFile(db, "UPDATE files SET folder = ?, size = ?, modified = ?,"
                         " kind = ?, reason = ? WHERE id = ?"),
          insertFile(db, "INSERT INTO files(folder, path, size, modified, kind,"
                         " reason) VALUES(?, ?, ?, ?, ?, ?)"),
          // A file read again keeps its parts' rows where they stay, with
          // their favourites and tags.
          storePart(db, "INSERT INTO parts(file, position, part, name, sound, features, search)"
                        " VALUES(?, ?, ?, ?, ?, ?, ?) ON CONFLICT(file, position) DO UPDATE SET"
                        " part = excluded.part, name = excluded.name, sound = excluded.sound,"
                        " features = excluded.features, search = excluded.search RETURNING id"),
          insertPart(db, "INSERT INTO parts(file, position, part, name, sound, features, search)"
                         " VALUES(?, ?, ?, ?, ?, ?, ?)"),
          dropParts(db, "DELETE FROM parts WHERE file = ? AND position >= ?"),
          removeFile(db, "DELETE FROM files WHERE id = ?"),
          setText(db, "UPDATE parts SET search = ? WHERE id = ?"),
          // The full-text index writes what it holds at the end of every
          // statement inside a transaction: a batch's parts wait in tables
          // of the connection's own and go in with one statement each.
          textIndexed(db, "SELECT count(*) FROM sqlite_schema WHERE name = 'part_text'"),
          addPending(db, "INSERT OR IGNORE INTO temp.pending_text(id) VALUES(?)"),
          removeGone(db, "INSERT INTO part_text(part_text, rowid, search)"
                         " SELECT 'delete', id, search FROM temp.gone_text"),
          movePending(db, "INSERT INTO part_text(rowid, search) SELECT id, search FROM parts"
                          " WHERE id IN (SELECT id FROM temp.pending_text)"),
          clearPending(db, "DELETE FROM temp.pending_text"),
          clearGone(db, "DELETE FROM temp.gone_text"),
          partTags(db, "SELECT tag FROM tags WHERE part = ? ORDER BY tag"), db(db)
    {
    }

    // The statement, prepared; the index's error when it cannot be.
    Statement& operator()(const LibraryDatabase& owner, Statement& s)
    {
        if (!s.prepare())
            owner.fail("could not be written", s.error());
        return s;
    }

    Statement updateFile;
    Statement insertFile;
    Statement storePart;
    Statement insertPart;
    Statement dropParts;
    Statement removeFile;
    Statement setText;
    Statement textIndexed;
    Statement addPending;
    Statement removeGone;
    Statement movePending;
    Statement clearPending;
    Statement clearGone;
    Statement partTags;
    sqlite3* db;
};

LibraryDatabase::LibraryDatabase(const QString& file)
    : m_file(QFileInfo(file).absoluteFilePath()), m_connection(connectionName())
{
    if (!QSqlDatabase::isDriverAvailable("QSQLITE"))
        throw LibraryError("The library needs Qt's SQLite driver, which is not installed "
                           "(on Debian: libqt6sql6-sqlite).");
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", m_connection);
        db.setDatabaseName(m_file);
        // The scanner and the window write from their own connections; one
        // waits for the other's transaction rather than failing.
        db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=10000");
        if (!db.open())
            fail("cannot be opened", db.lastError().text());
    }
    try {
        QSqlQuery q(database());
        if (!q.exec("PRAGMA user_version") || !q.next())
            fail("is no library index of Dorvane", q.lastError().text());
        const int version = q.value(0).toInt();
        q.finish();
        if (version > SchemaVersion)
            throw LibraryError(
                QString("The library index %1 was written by a later version of Dorvane "
                        "(schema %2; this version reads up to %3). It is left as it is: "
                        "use that version, or move the file away to start a new index.")
                    .arg(QDir::toNativeSeparators(m_file))
                    .arg(version)
                    .arg(SchemaVersion)
                    .toStdString());
        exec("PRAGMA foreign_keys = ON");
        // Readers go on while the scanner writes; a kill loses at most the
        // transaction under way.
        exec("PRAGMA journal_mode = WAL");
        exec("PRAGMA synchronous = NORMAL");
        // A scan's batch of thousands of files stays in memory until its commit
        // rather than spilling to the log half-written.
        exec(QString("PRAGMA cache_size = -%1").arg(CacheKiB));
        // A log grown by a long scan goes back to this size once copied.
        exec("PRAGMA journal_size_limit = 67108864");
        m_writes = std::make_unique<Writes>(connectionHandle());
        for (const char* sql : TextTables)
            exec(sql);
        if (version < SchemaVersion)
            migrate(version);
        for (const char* sql : TextTriggers)
            exec(sql);
        restoreSecondaryIndexes();
    } catch (...) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
        throw;
    }
}

LibraryDatabase::~LibraryDatabase()
{
    // SQLite closes no connection that still has statements.
    m_writes.reset();
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

QSqlDatabase LibraryDatabase::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

void LibraryDatabase::fail(const QString& what, const QString& why) const
{
    throw LibraryError(QString("The library index %1 %2: %3")
                           .arg(QDir::toNativeSeparators(m_file), what, why)
                           .toStdString());
}

void LibraryDatabase::exec(const QString& sql) const
{
    QSqlQuery q(database());
    if (!q.exec(sql))
        fail("could not be written", q.lastError().text());
}

sqlite3* LibraryDatabase::connectionHandle() const
{
    // Qt's driver hands its connection out for this; it must be the SQLite
    // this program links, or the two would each keep state of their own.
    const QVariant handle = database().driver()->handle();
    sqlite3* db = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
                      ? *static_cast<sqlite3* const*>(handle.constData())
                      : nullptr;
    QSqlQuery q(database());
    const QString version =
        q.exec("SELECT sqlite_version()") && q.next() ? q.value(0).toString() : QString();
    if (!db || version != QLatin1String(sqlite3_libversion()))
        fail("cannot be opened",
             QString("Qt's SQLite driver (SQLite %1) is built over another SQLite than this "
                     "program (%2)")
                 .arg(version.isEmpty() ? QStringLiteral("unknown") : version,
                      QLatin1String(sqlite3_libversion())));
    return db;
}

void LibraryDatabase::dropSecondaryIndexes()
{
    Transaction t(*this);
    for (const auto& [type, name, create] : SecondaryIndexes)
        exec(QString("DROP %1 IF EXISTS %2").arg(QLatin1String(type), QLatin1String(name)));
    t.commit();
}

void LibraryDatabase::restoreSecondaryIndexes()
{
    QSqlQuery q(database());
    if (!q.exec("SELECT name FROM sqlite_schema WHERE name IN"
                " ('parts_sound', 'files_folder', 'part_text')"))
        fail("could not be read", q.lastError().text());
    QStringList present;
    while (q.next())
        present << q.value(0).toString();
    q.finish();
    if (present.size() == qsizetype(std::size(SecondaryIndexes)))
        return;
    // Each index is made from a whole pass over the parts, which a scan left
    // in the log: more of them stay in memory for the next pass rather than
    // being read from the log again. The cache goes back once they are made.
    exec(QString("PRAGMA cache_size = -%1").arg(RemakingCacheKiB));
    const struct CacheBack
    {
        const LibraryDatabase& db;
        ~CacheBack()
        {
            try {
                db.exec(QString("PRAGMA cache_size = -%1").arg(CacheKiB));
            } catch (const LibraryError&) {
            }
        }
    } cacheBack{*this};
    Transaction t(*this);
    for (const auto& [type, name, create] : SecondaryIndexes)
        exec(create);
    if (!present.contains(QLatin1String(TextIndex))) {
        // Made whole in one pass, the index has nothing to merge as it goes:
        // merging while it is made costs a fifth of making it, and a search
        // in it afterwards is no slower. Later writes merge as usual.
        exec("INSERT INTO part_text(part_text, rank) VALUES('automerge', 0)");
        exec("INSERT INTO part_text(part_text) VALUES('rebuild')");
        exec("INSERT INTO part_text(part_text, rank) VALUES('automerge', 4)");
    }
    t.commit();
}

void LibraryDatabase::holdCheckpoints()
{
    exec("PRAGMA wal_autocheckpoint = 0");
}

void LibraryDatabase::checkpoint()
{
    exec("PRAGMA wal_autocheckpoint = 1000");
    // Passive: a reader in the window is never made to wait; what it still
    // reads is copied at a later commit.
    QSqlQuery q(database());
    if (!q.exec("PRAGMA wal_checkpoint(PASSIVE)"))
        fail("could not be written", q.lastError().text());
}

void LibraryDatabase::copyCommittedLog(const QString& file)
{
    sqlite3* db = nullptr;
    // A connection finds the log only once it has read the index: until then
    // a checkpoint on it copies nothing and says it is no log at all. Passive:
    // it waits for no one, and the writer goes on meanwhile.
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
            SQLITE_OK &&
        sqlite3_exec(db, "PRAGMA schema_version", nullptr, nullptr, nullptr) == SQLITE_OK)
        sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    sqlite3_close(db);
}

void LibraryDatabase::migrate(int from)
{
    Transaction t(*this);
    for (const Migration& m : migrations()) {
        if (m.version <= from)
            continue;
        for (const char* statement : m.statements)
            exec(statement);
        if (m.then)
            m.then(*this);
    }
    exec(QString("PRAGMA user_version = %1").arg(SchemaVersion));
    t.commit();
}

LibraryDatabase::Transaction::Transaction(LibraryDatabase& db) : m_db(db)
{
    if (!m_db.database().transaction())
        m_db.fail("could not be written", m_db.database().lastError().text());
}

LibraryDatabase::Transaction::~Transaction()
{
    if (m_open) {
        m_db.m_pendingText.clear();
        m_db.database().rollback();
    }
}

void LibraryDatabase::Transaction::commit()
{
    m_open = false;
    try {
        m_db.writePendingText();
    } catch (...) {
        m_db.m_pendingText.clear();
        m_db.database().rollback();
        throw;
    }
    if (!m_db.database().commit()) {
        const QString why = m_db.database().lastError().text();
        m_db.database().rollback();
        m_db.fail("could not be written", why);
    }
}

std::vector<LibraryDatabase::Folder> LibraryDatabase::folders() const
{
    std::vector<Folder> list;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.exec("SELECT id, path FROM folders ORDER BY path"))
        fail("could not be read", q.lastError().text());
    while (q.next())
        list.push_back({q.value(0).toLongLong(), q.value(1).toString()});
    return list;
}

LibraryDatabase::FolderAdded LibraryDatabase::addFolder(const QString& canonicalPath)
{
    const QString path = QDir::cleanPath(canonicalPath);
    std::vector<qint64> inside;
    for (const Folder& f : folders()) {
        if (path == f.path || path.startsWith(f.path.endsWith('/') ? f.path : f.path + '/'))
            return {false, f.path};
        if (f.path.startsWith(path.endsWith('/') ? path : path + '/'))
            inside.push_back(f.id);
    }
    Transaction t(*this);
    QSqlQuery q(database());
    q.prepare("INSERT INTO folders(path) VALUES(?)");
    q.addBindValue(path);
    if (!q.exec())
        fail("could not be written", q.lastError().text());
    const qint64 id = q.lastInsertId().toLongLong();
    for (qint64 child : inside) {
        exec(QString("UPDATE files SET folder = %1 WHERE folder = %2").arg(id).arg(child));
        exec(QString("DELETE FROM folders WHERE id = %1").arg(child));
    }
    t.commit();
    return {true, {}};
}

void LibraryDatabase::removeFolder(const QString& path)
{
    Transaction t(*this);
    QSqlQuery q(database());
    q.prepare("DELETE FROM folders WHERE path = ?");
    q.addBindValue(QDir::cleanPath(path));
    if (!q.exec())
        fail("could not be written", q.lastError().text());
    t.commit();
}

QHash<QByteArray, LibraryDatabase::FileState> LibraryDatabase::fileStates(qint64 folderId) const
{
    // A rescan with nothing changed is the walk and this: SQLite's own
    // interface, without a QVariant or a text per value.
    QHash<QByteArray, FileState> states;
    Statement count(m_writes->db, "SELECT count(*) FROM files WHERE folder = ?");
    Statement q(m_writes->db, "SELECT id, path, size, modified FROM files WHERE folder = ?");
    if (!count.prepare() || !q.prepare())
        fail("could not be read", count.error());
    count.bind(1, folderId);
    if (count.step())
        states.reserve(count.column(0));
    QString why;
    if (!count.done(&why))
        fail("could not be read", why);
    q.bind(1, folderId);
    while (q.step())
        states.insert(q.bytes(1), {q.column(0), q.column(2), q.column(3)});
    if (!q.done(&why))
        fail("could not be read", why);
    return states;
}

void LibraryDatabase::storeFile(qint64 folderId, std::optional<qint64> fileId,
                                const QByteArray& path, qint64 size, qint64 modified,
                                const FileReading& reading)
{
    Writes& w = *m_writes;
    QString why;
    qint64 id = 0;
    if (fileId) {
        Statement& q = w(*this, w.updateFile);
        q.bind(1, folderId);
        q.bind(2, size);
        q.bind(3, modified);
        q.bind(4, qint64(reading.kind));
        q.bind(5, reading.reason);
        q.bind(6, *fileId);
        q.step();
        if (!q.done(&why))
            fail("could not be written", why);
        id = *fileId;
    } else {
        Statement& q = w(*this, w.insertFile);
        q.bind(1, folderId);
        q.bindText(2, path);
        q.bind(3, size);
        q.bind(4, modified);
        q.bind(5, qint64(reading.kind));
        q.bind(6, reading.reason);
        q.step();
        if (!q.done(&why))
            fail("could not be written", why);
        id = sqlite3_last_insert_rowid(w.db);
    }
    Statement& part = fileId ? w(*this, w.storePart) : w(*this, w.insertPart);
    // Made only when a part's text is made here: the scan's readers make it.
    std::optional<QString> name;
    auto fileName = [&]() -> const QString& {
        if (!name)
            name = QString::fromUtf8(path.mid(path.lastIndexOf('/') + 1));
        return *name;
    };
    for (const FilePart& p : reading.parts) {
        part.bind(1, id);
        part.bind(2, qint64(p.position));
        part.bind(3, qint64(p.part));
        part.bind(4, p.name);
        part.bind(5, p.sound);
        part.bind(6, p.features);
        part.bind(7,
                  p.searchText.isNull() ? librarySearchText(p.name, {}, fileName()) : p.searchText);
        const bool row = part.step();
        const qint64 partId = fileId ? (row ? part.column(0) : 0) : sqlite3_last_insert_rowid(w.db);
        if (fileId && row)
            part.step(); // past the one row RETURNING gives
        if (!part.done(&why) || (fileId && !row))
            fail("could not be written", why);
        // A part read again keeps its tags, and its text keeps them too.
        if (fileId) {
            if (const QStringList tags = tagsOf(partId); !tags.isEmpty())
                setSearchText(partId, librarySearchText(p.name, tags, fileName()));
        }
        m_pendingText.push_back(partId);
    }
    if (fileId) {
        // A file that now holds fewer parts (an image saved over as a part file).
        Statement& drop = w(*this, w.dropParts);
        drop.bind(1, id);
        drop.bind(2, qint64(reading.parts.size()));
        drop.step();
        if (!drop.done(&why))
            fail("could not be written", why);
    }
}

QStringList LibraryDatabase::tagsOf(qint64 partId)
{
    Statement& q = (*m_writes)(*this, m_writes->partTags);
    q.bind(1, partId);
    QStringList tags;
    while (q.step())
        tags << q.text(0);
    QString why;
    if (!q.done(&why))
        fail("could not be read", why);
    return tags;
}

void LibraryDatabase::setSearchText(qint64 partId, const QString& text)
{
    Statement& q = (*m_writes)(*this, m_writes->setText);
    q.bind(1, text);
    q.bind(2, partId);
    q.step();
    QString why;
    if (!q.done(&why))
        fail("could not be written", why);
    m_pendingText.push_back(partId);
}

void LibraryDatabase::writePendingText()
{
    Writes& w = *m_writes;
    QString why;
    auto run = [&](Statement& q) {
        q.step();
        if (!q.done(&why))
            fail("could not be written", why);
    };
    // Asked at every commit: another connection (a scan, the command line)
    // may have dropped or made the index meanwhile. Without it, what waits is
    // dropped: making it reads every part's text.
    Statement& indexed = w(*this, w.textIndexed);
    const bool present = indexed.step() && indexed.column(0) > 0;
    if (!indexed.done(&why))
        fail("could not be read", why);
    if (present) {
        run(w(*this, w.removeGone));
        if (!m_pendingText.empty()) {
            Statement& add = w(*this, w.addPending);
            for (const qint64 partId : m_pendingText) {
                add.bind(1, partId);
                run(add);
            }
            run(w(*this, w.movePending));
            run(w(*this, w.clearPending));
        }
    }
    run(w(*this, w.clearGone));
    m_pendingText.clear();
}

void LibraryDatabase::rewriteSearchText()
{
    // The layout of the step that made the full-text index (its own copy of
    // the text, in a column named text); later steps move it.
    exec("DELETE FROM part_text");
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.exec("SELECT p.id, p.name, f.path,"
                " (SELECT group_concat(tag, char(10)) FROM tags WHERE part = p.id)"
                " FROM parts p JOIN files f ON f.id = p.file"))
        fail("could not be read", q.lastError().text());
    QSqlQuery insert(database());
    if (!insert.prepare("INSERT INTO part_text(rowid, text) VALUES(?, ?)"))
        fail("could not be written", insert.lastError().text());
    while (q.next()) {
        const QString path = q.value(2).toString();
        const QString tags = q.value(3).toString();
        insert.addBindValue(q.value(0).toLongLong());
        insert.addBindValue(librarySearchText(q.value(1).toString(),
                                              tags.isEmpty() ? QStringList() : tags.split('\n'),
                                              path.mid(path.lastIndexOf('/') + 1)));
        if (!insert.exec())
            fail("could not be written", insert.lastError().text());
    }
}

void LibraryDatabase::removeFile(qint64 fileId)
{
    Statement& q = (*m_writes)(*this, m_writes->removeFile);
    q.bind(1, fileId);
    q.step();
    QString why;
    if (!q.done(&why))
        fail("could not be written", why);
}

namespace {

// The columns entries() and find() read, in this order.
constexpr char EntryColumns[] =
    "SELECT p.id, f.id, f.path, f.kind, p.position, p.part, p.name, p.sound, p.favourite";
constexpr char EntryOrder[] = " ORDER BY p.name COLLATE NOCASE, f.path, p.position";

// Parts of one file share its path, name and folder: an image's eight parts
// hold them once.
class EntryReader
{
public:
    LibraryEntry read(const QSqlQuery& q)
    {
        LibraryEntry e;
        e.partId = q.value(0).toLongLong();
        e.fileId = q.value(1).toLongLong();
        auto names = m_shown.find(e.fileId);
        if (names == m_shown.end()) {
            const QString path = q.value(2).toString();
            names = m_shown.insert(e.fileId,
                                   {path, path.mid(path.lastIndexOf('/') + 1), shownFolder(path)});
        }
        e.path = names->path;
        e.fileName = names->fileName;
        e.folder = names->folder;
        e.fileKind = LibraryFileKind(q.value(3).toInt());
        e.position = q.value(4).toInt();
        e.part = q.value(5).toInt();
        e.name = q.value(6).toString();
        e.sound = q.value(7).toByteArray();
        e.favourite = q.value(8).toInt() != 0;
        return e;
    }

private:
    struct Shown
    {
        QString path;
        QString fileName;
        QString folder;
    };
    QHash<qint64, Shown> m_shown;
};

} // namespace

std::vector<LibraryEntry> LibraryDatabase::entries() const
{
    QHash<qint64, QStringList> tags;
    {
        QSqlQuery q(database());
        q.setForwardOnly(true);
        if (!q.exec("SELECT part, tag FROM tags ORDER BY part, tag"))
            fail("could not be read", q.lastError().text());
        while (q.next())
            tags[q.value(0).toLongLong()].append(q.value(1).toString());
    }
    std::vector<LibraryEntry> list;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.exec(QString(EntryColumns) + " FROM parts p JOIN files f ON f.id = p.file" + EntryOrder))
        fail("could not be read", q.lastError().text());
    QHash<QByteArray, int> sounds;
    EntryReader reader;
    while (q.next()) {
        LibraryEntry e = reader.read(q);
        if (const auto t = tags.constFind(e.partId); t != tags.constEnd())
            e.tags = *t;
        auto count = sounds.find(e.sound);
        if (count == sounds.end())
            count = sounds.insert(e.sound, 0);
        else
            e.sound = count.key(); // one copy of each sound's bytes
        ++*count;
        list.push_back(std::move(e));
    }
    for (LibraryEntry& e : list)
        e.copies = sounds.value(e.sound);
    return list;
}

std::vector<LibraryEntry> LibraryDatabase::find(const LibraryQuery& query) const
{
    QString sql = QString(EntryColumns) +
                  ", (SELECT count(*) FROM parts d WHERE d.sound = p.sound),"
                  " (SELECT group_concat(tag, char(10)) FROM"
                  " (SELECT tag FROM tags WHERE part = p.id ORDER BY tag))"
                  " FROM parts p JOIN files f ON f.id = p.file WHERE 1";
    const QStringList words = librarySearchWords(query.text);
    // While a scan has the full-text index dropped, the parts' text is read
    // whole: slower, never wrong.
    Statement& indexed = (*m_writes)(*this, m_writes->textIndexed);
    const bool useIndex = indexed.step() && indexed.column(0) > 0;
    QString why;
    if (!indexed.done(&why))
        fail("could not be read", why);
    for (qsizetype i = 0; i < words.size(); ++i)
        sql += useIndex ? " AND p.id IN (SELECT rowid FROM part_text WHERE search GLOB ?)"
                        : " AND p.search GLOB ?";
    if (query.favourites)
        sql += " AND p.favourite";
    if (query.kits)
        sql += QString(" AND p.part = %1").arg(RhythmPart);
    if (query.duplicates)
        sql += " AND EXISTS (SELECT 1 FROM parts d WHERE d.sound = p.sound AND d.id <> p.id)";
    sql += EntryOrder;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        fail("could not be read", q.lastError().text());
    for (const QString& w : words) {
        // The word as it stands: GLOB's own signs taken literally.
        QString literal;
        for (const QChar c : w)
            literal += c == '*' || c == '?' || c == '[' ? QString("[%1]").arg(c) : QString(c);
        q.addBindValue("*" + literal + "*");
    }
    if (!q.exec())
        fail("could not be read", q.lastError().text());
    std::vector<LibraryEntry> list;
    EntryReader reader;
    while (q.next()) {
        LibraryEntry e = reader.read(q);
        e.copies = q.value(9).toInt();
        const QString tags = q.value(10).toString();
        if (!tags.isEmpty())
            e.tags = tags.split('\n');
        list.push_back(std::move(e));
    }
    return list;
}

std::vector<LibraryOther> LibraryDatabase::others() const
{
    std::vector<LibraryOther> list;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare("SELECT path, reason FROM files WHERE kind = ? ORDER BY path");
    q.addBindValue(int(LibraryFileKind::Other));
    if (!q.exec())
        fail("could not be read", q.lastError().text());
    while (q.next())
        list.push_back({q.value(0).toString(), q.value(1).toString()});
    return list;
}

SoundTable LibraryDatabase::soundTable() const
{
    SoundTable table;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.exec("SELECT id, features FROM parts WHERE features IS NOT NULL"))
        fail("could not be read", q.lastError().text());
    while (q.next())
        table.add(q.value(0).toLongLong(), q.value(1).toByteArray());
    return table;
}

std::optional<qint64> LibraryDatabase::partIdAt(const QString& path, int position) const
{
    QSqlQuery q(database());
    q.prepare("SELECT p.id FROM parts p JOIN files f ON f.id = p.file"
              " WHERE f.path = ? AND p.position = ?");
    q.addBindValue(path);
    q.addBindValue(position);
    if (!q.exec())
        fail("could not be read", q.lastError().text());
    return q.next() ? std::optional(q.value(0).toLongLong()) : std::nullopt;
}

QByteArray LibraryDatabase::features(qint64 partId) const
{
    QSqlQuery q(database());
    q.prepare("SELECT features FROM parts WHERE id = ?");
    q.addBindValue(partId);
    if (!q.exec())
        fail("could not be read", q.lastError().text());
    return q.next() ? q.value(0).toByteArray() : QByteArray();
}

std::vector<LibraryEntry> LibraryDatabase::entriesById(const std::vector<qint64>& ids) const
{
    std::vector<LibraryEntry> list;
    QSqlQuery q(database());
    if (!q.prepare(QString(EntryColumns) +
                   ", (SELECT count(*) FROM parts d WHERE d.sound = p.sound)"
                   " FROM parts p JOIN files f ON f.id = p.file WHERE p.id = ?"))
        fail("could not be read", q.lastError().text());
    EntryReader reader;
    for (const qint64 id : ids) {
        q.addBindValue(id);
        if (!q.exec())
            fail("could not be read", q.lastError().text());
        if (q.next()) {
            LibraryEntry e = reader.read(q);
            e.copies = q.value(9).toInt();
            list.push_back(std::move(e));
        }
    }
    return list;
}

int LibraryDatabase::partCount() const
{
    QSqlQuery q(database());
    if (!q.exec("SELECT count(*) FROM parts") || !q.next())
        fail("could not be read", q.lastError().text());
    return q.value(0).toInt();
}

int LibraryDatabase::fileCount() const
{
    QSqlQuery q(database());
    if (!q.exec("SELECT count(*) FROM files") || !q.next())
        fail("could not be read", q.lastError().text());
    return q.value(0).toInt();
}

void LibraryDatabase::setFavourite(qint64 partId, bool favourite)
{
    QSqlQuery q(database());
    q.prepare("UPDATE parts SET favourite = ? WHERE id = ?");
    q.addBindValue(favourite ? 1 : 0);
    q.addBindValue(partId);
    if (!q.exec())
        fail("could not be written", q.lastError().text());
}

void LibraryDatabase::setTags(qint64 partId, const QStringList& tags)
{
    Transaction t(*this);
    QSqlQuery q(database());
    q.prepare("DELETE FROM tags WHERE part = ?");
    q.addBindValue(partId);
    if (!q.exec())
        fail("could not be written", q.lastError().text());
    q.prepare("INSERT OR IGNORE INTO tags(part, tag) VALUES(?, ?)");
    for (const QString& tag : tags) {
        q.addBindValue(partId);
        q.addBindValue(tag);
        if (!q.exec())
            fail("could not be written", q.lastError().text());
    }
    q.prepare("SELECT p.name, f.path FROM parts p JOIN files f ON f.id = p.file WHERE p.id = ?");
    q.addBindValue(partId);
    if (!q.exec())
        fail("could not be read", q.lastError().text());
    if (q.next()) {
        const QString path = q.value(1).toString();
        setSearchText(partId, librarySearchText(q.value(0).toString(), tagsOf(partId),
                                                path.mid(path.lastIndexOf('/') + 1)));
    }
    t.commit();
}

} // namespace dorvane
