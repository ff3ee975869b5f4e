// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clilibrarycommands.h"

#include "library/library.h"
#include "library/librarydatabase.h"
#include "library/libraryscanner.h"

#include <QDir>
#include <QFileInfo>

#include <ostream>

namespace dorvane::cli {

namespace {

std::string text(const QString& s)
{
    return s.toStdString();
}

void report(const ScanReport& r, const LibraryDatabase& db, std::ostream& out, std::ostream& err)
{
    out << r.files << " files: " << r.read << " read, " << r.others << " of them no patch files, "
        << r.removed << " gone; " << db.partCount() << " parts in the library\n";
    for (const QString& folder : r.missingFolders)
        err << "not there (its files are kept): " << text(QDir::toNativeSeparators(folder)) << '\n';
}

// Every command opens the index itself; one that cannot be opened says why.
template <typename Work> int withIndex(std::ostream& err, Work work)
{
    try {
        LibraryDatabase db(Library::defaultDatabaseFile());
        return work(db);
    } catch (const std::exception& e) {
        err << e.what() << '\n';
        return 1;
    }
}

} // namespace

int libraryAdd(const QString& folder, std::ostream& out, std::ostream& err)
{
    const QFileInfo info(folder);
    if (!info.isDir()) {
        err << text(QDir::toNativeSeparators(folder)) << " is not a folder; nothing was added\n";
        return 1;
    }
    return withIndex(err, [&](LibraryDatabase& db) {
        const auto added = db.addFolder(info.canonicalFilePath());
        if (!added.added)
            out << text(QDir::toNativeSeparators(info.canonicalFilePath()))
                << " is in the library already (with "
                << text(QDir::toNativeSeparators(added.coveredBy)) << ")\n";
        LibraryScanner scanner(db);
        report(scanner.scan(), db, out, err);
        return 0;
    });
}

int libraryScan(std::ostream& out, std::ostream& err)
{
    return withIndex(err, [&](LibraryDatabase& db) {
        if (db.folders().empty()) {
            err << "the library has no folders yet: dorvane-cli library add DIR\n";
            return 1;
        }
        LibraryScanner scanner(db);
        report(scanner.scan(), db, out, err);
        return 0;
    });
}

int libraryFind(const LibraryQuery& query, std::ostream& out, std::ostream& err)
{
    return withIndex(err, [&](LibraryDatabase& db) {
        // Found through the index's text: a search reads only what it finds.
        for (const LibraryEntry& e : db.find(query)) {
            QStringList marks;
            if (e.favourite)
                marks << "favourite";
            if (e.duplicate())
                marks << QString("duplicate(%1)").arg(e.copies);
            out << text(e.name) << '\t'
                << (e.rhythm() ? std::string("R") : std::to_string(e.part + 1)) << '\t'
                << text(QDir::toNativeSeparators(e.path)) << '\t'
                << (marks.isEmpty() ? std::string("-") : text(marks.join(','))) << '\t'
                << (e.tags.isEmpty() ? std::string("-") : text(e.tags.join(','))) << '\n';
        }
        return 0;
    });
}

} // namespace dorvane::cli
