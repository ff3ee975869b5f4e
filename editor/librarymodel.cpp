// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/librarymodel.h"

#include "library/library.h"
#include "library/soundlikeness.h"

#include <QApplication>
#include <QMimeData>
#include <QPalette>

namespace dorvane {

namespace {

const char* const Headers[LibraryModel::ColumnCount] = {
    "", "\u2605", "Name", "Part", "Copies", "Tags", "File", "Folder", "Distance"};
const char* const HeaderHints[LibraryModel::ColumnCount] = {
    "Click a row's \u25B6 to audition it",
    "Click a row's star to mark it as a favourite",
    "The patch name",
    "The part the file holds it for: 1-7, or R for a part R kit",
    "How often the library holds this sound (saved from any part)",
    "Tags",
    "The file",
    "The file's folder",
    "How far in sound from the part asked about: 0 the same sound, 100 as far as can be"};

} // namespace

LibraryModel::LibraryModel(QObject* parent) : QAbstractTableModel(parent) {}

void LibraryModel::setLibrary(Library* library)
{
    beginResetModel();
    m_library = library;
    m_rows.clear();
    m_distances.clear();
    endResetModel();
}

void LibraryModel::setNearest(std::vector<int> rows, std::vector<double> distances)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_distances = std::move(distances);
    m_distances.resize(m_rows.size(), 0);
    endResetModel();
}

void LibraryModel::setRows(std::vector<int> rows)
{
    if (!m_distances.empty()) {
        beginResetModel();
        m_distances.clear();
        m_rows = std::move(rows);
        endResetModel();
        return;
    }
    // The same rows with a mark changed: redrawn in place, the view keeps its
    // place and selection.
    if (rows == m_rows) {
        if (!m_rows.empty())
            emit dataChanged(index(0, 0), index(int(m_rows.size()) - 1, ColumnCount - 1));
        return;
    }
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

const LibraryEntry* LibraryModel::entry(int row) const
{
    const int index = entryIndex(row);
    return index >= 0 ? &m_library->entries()[std::size_t(index)] : nullptr;
}

int LibraryModel::entryIndex(int row) const
{
    if (!m_library || row < 0 || row >= int(m_rows.size()))
        return -1;
    const int index = m_rows[std::size_t(row)];
    return index >= 0 && std::size_t(index) < m_library->entries().size() ? index : -1;
}

int LibraryModel::rowOfPart(qint64 partId) const
{
    for (int row = 0; row < int(m_rows.size()); ++row)
        if (const LibraryEntry* e = entry(row); e && e->partId == partId)
            return row;
    return -1;
}

int LibraryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int LibraryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LibraryModel::data(const QModelIndex& index, int role) const
{
    const LibraryEntry* e = entry(index.row());
    if (!e)
        return {};
    const int column = index.column();
    if (role == Qt::DisplayRole) {
        switch (column) {
        case PlayColumn:
            return QString("\u25B6");
        case StarColumn:
            return QString(e->favourite ? "\u2605" : "\u2606");
        case NameColumn:
            return e->name;
        case PartColumn:
            return e->rhythm() ? QString("R") : QString::number(e->part + 1);
        case CopiesColumn:
            return e->duplicate() ? QString("\u00D7%1").arg(e->copies) : QString();
        case TagsColumn:
            return e->tags.join(", ");
        case FileColumn:
            return e->fileName;
        case FolderColumn:
            return e->folder;
        case DistanceColumn:
            return std::size_t(index.row()) < m_distances.size()
                       ? distanceText(m_distances[std::size_t(index.row())])
                       : QString();
        }
    } else if (role == Qt::ToolTipRole) {
        switch (column) {
        case PlayColumn:
            return QString("Audition %1").arg(e->name);
        case StarColumn:
            return QString(e->favourite ? "A favourite: click to remove the mark"
                                        : "Click to mark as a favourite");
        case CopiesColumn:
            return e->duplicate()
                       ? QString("The same sound is in the library %1 times").arg(e->copies)
                       : QString();
        default:
            return e->path;
        }
    } else if (role == Qt::TextAlignmentRole) {
        if (column == PlayColumn || column == StarColumn || column == PartColumn ||
            column == CopiesColumn || column == DistanceColumn)
            return int(Qt::AlignCenter);
    } else if (role == Qt::ForegroundRole) {
        if ((column == StarColumn && !e->favourite) || column == FolderColumn)
            return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    }
    return {};
}

QVariant LibraryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString(Headers[section]);
    if (role == Qt::ToolTipRole)
        return QString(HeaderHints[section]);
    return {};
}

Qt::ItemFlags LibraryModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList LibraryModel::mimeTypes() const
{
    return {MimeType};
}

QMimeData* LibraryModel::mimeData(const QModelIndexList& indexes) const
{
    if (indexes.isEmpty())
        return nullptr;
    const LibraryEntry* e = entry(indexes.front().row());
    if (!e)
        return nullptr;
    auto* data = new QMimeData;
    data->setData(MimeType, QByteArray::number(e->partId));
    return data;
}

} // namespace dorvane
