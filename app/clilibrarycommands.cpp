// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clilibrarycommands.h"

#include "library/bankexport.h"
#include "library/library.h"
#include "library/librarydatabase.h"
#include "library/libraryscanner.h"
#include "library/soundlikeness.h"

#include "patch/fileio.h"
#include "patch/initialpatch.h"

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

int libraryExport(const QString& out, const QStringList& parts, const QString& base,
                  std::ostream& output, std::ostream& err)
{
    // FILE, FILE#PLACE, FILE=PART or FILE#PLACE=PART, read from the right so a
    // file name may hold either sign.
    std::vector<BankPart> chosen;
    std::vector<bool> chosenHere;
    QStringList files;
    for (const QString& asked : parts) {
        QString file = asked;
        std::optional<int> part;
        int place = 0;
        if (const auto eq = file.lastIndexOf('='); eq > 0) {
            part = partFromText(file.mid(eq + 1));
            if (!part) {
                err << "\"" << text(asked) << "\": the part after = is 1 to 7 or R\n";
                return 2;
            }
            file.truncate(eq);
        }
        if (const auto hash = file.lastIndexOf('#'); hash > 0) {
            const QString at = file.mid(hash + 1);
            bool ok = false;
            place = at.compare("R", Qt::CaseInsensitive) == 0 ? NormalPartCount : at.toInt(&ok) - 1;
            if (at.compare("R", Qt::CaseInsensitive) != 0 && (!ok || place < 0)) {
                err << "\"" << text(asked) << "\": the place after # counts from 1\n";
                return 2;
            }
            file.truncate(hash);
        }
        FilePartReading reading = bankPartFromFile(file, place);
        if (!reading.part) {
            err << text(reading.problem) << "; nothing was written\n";
            return 1;
        }
        reading.part->part = part.value_or(-1);
        chosenHere.push_back(part.has_value());
        chosen.push_back(std::move(*reading.part));
        files << QFileInfo(file).fileName();
    }
    // Parts not placed by hand go in the order given, on the numbers left.
    std::vector<bool> rhythm;
    for (std::size_t i = 0; i < chosen.size(); ++i)
        if (!chosenHere[i])
            rhythm.push_back(chosen[i].rhythm);
    const auto order = partsInOrder(rhythm);
    if (!order) {
        err << "more parts than a bank holds (7 normal parts and one kit); nothing was written\n";
        return 1;
    }
    std::size_t next = 0;
    std::vector<int> free;
    for (int p = 0; p < NormalPartCount; ++p)
        if (std::none_of(chosen.begin(), chosen.end(),
                         [&](const BankPart& b) { return b.part == p; }))
            free.push_back(p);
    std::size_t nextFree = 0;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        if (chosenHere[i])
            continue;
        if ((*order)[next++] == RhythmPart) {
            chosen[i].part = RhythmPart;
        } else if (nextFree < free.size()) {
            chosen[i].part = free[nextFree++];
        } else {
            err << "no part number is left for " << text(chosen[i].name)
                << "; nothing was written\n";
            return 1;
        }
    }
    Bytes baseImage = initialImage();
    if (!base.isEmpty()) {
        try {
            baseImage = readWholeFile(QFile::encodeName(base).toStdString());
        } catch (const FileError& e) {
            err << e.reason() << '\n';
            return 1;
        }
    }
    const Bank bank = makeBank(chosen, baseImage);
    if (!bank.image) {
        err << text(bank.problem) << "; nothing was written\n";
        return 1;
    }
    try {
        writeBank(out, *bank.image);
    } catch (const FileError& e) {
        err << e.reason() << '\n';
        return 1;
    }
    for (std::size_t i = 0; i < chosen.size(); ++i)
        output << "part " << text(partText(chosen[i].part)) << '\t' << text(chosen[i].name) << '\t'
               << text(files[qsizetype(i)]) << '\n';
    return 0;
}

int libraryLike(const QString& file, const QString& place, int count, std::ostream& out,
                std::ostream& err)
{
    bool ok = false;
    const int position =
        place.compare("R", Qt::CaseInsensitive) == 0 ? NormalPartCount : place.toInt(&ok) - 1;
    if (place.compare("R", Qt::CaseInsensitive) != 0 && (!ok || position < 0)) {
        err << "--part is the part's place in the file, from 1 (R for an image's kit), not \""
            << text(place) << "\"\n";
        return 2;
    }
    const FilePartReading reading = bankPartFromFile(file, position);
    if (!reading.part) {
        err << text(reading.problem) << '\n';
        return 1;
    }
    const QByteArray features = soundFeatures(reading.part->block, reading.part->rhythm);
    if (features.isEmpty()) {
        err << text(reading.part->name) << " is a part R kit: kits are not compared by sound\n";
        return 1;
    }
    return withIndex(err, [&](LibraryDatabase& db) {
        // The part itself, when the library holds its file, is no answer.
        const qint64 itself =
            db.partIdAt(QFileInfo(file).canonicalFilePath(), position).value_or(0);
        const auto near = db.soundTable().nearest(features, std::size_t(count), itself);
        std::vector<qint64> ids;
        for (const NearSound& n : near)
            ids.push_back(n.partId);
        const auto entries = db.entriesById(ids);
        for (std::size_t i = 0; i < near.size() && i < entries.size(); ++i) {
            const LibraryEntry& e = entries[i];
            out << distanceText(near[i].distance).toStdString() << '\t' << text(e.name) << '\t'
                << (e.rhythm() ? std::string("R") : std::to_string(e.part + 1)) << '\t'
                << text(QDir::toNativeSeparators(e.path)) << '\n';
        }
        return 0;
    });
}

} // namespace dorvane::cli
