// SPDX-License-Identifier: GPL-3.0-or-later
// The library's parts as rows of the panel's table: the search's result, one
// row per part, drawn from the library's entries without copying them. A row
// can be dragged onto a PART button; the drag carries the part's id.
#pragma once

#include <QAbstractTableModel>

#include <vector>

namespace dorvane {

class Library;
struct LibraryEntry;

class LibraryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        PlayColumn,
        StarColumn,
        NameColumn,
        PartColumn,
        CopiesColumn,
        TagsColumn,
        FileColumn,
        FolderColumn,
        DistanceColumn, // shown only while the rows are the nearest in sound
        ColumnCount
    };
    // The drag's format: the part's id in the index, as decimal text.
    static constexpr char MimeType[] = "application/x-dorvane-library-part";

    explicit LibraryModel(QObject* parent = nullptr);

    void setLibrary(Library* library);
    // The entries shown, as indices into the library's entries.
    void setRows(std::vector<int> rows);
    // Rows in the order given, each with its distance in sound (0..100).
    void setNearest(std::vector<int> rows, std::vector<double> distances);
    bool showsNearest() const { return !m_distances.empty(); }
    const std::vector<int>& rows() const { return m_rows; }
    // The entry a row shows; nothing for a row that is not there.
    const LibraryEntry* entry(int row) const;
    int entryIndex(int row) const;
    int rowOfPart(qint64 partId) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

private:
    Library* m_library = nullptr;
    std::vector<int> m_rows;
    std::vector<double> m_distances; // by row, while the nearest are shown
};

} // namespace dorvane
