// SPDX-License-Identifier: GPL-3.0-or-later
// What the panels that list what they are given (the search for the
// instrument, the differences) are built from: a list of one line a row under
// its headers, whose rows find their entry again however the list is sorted,
// and the buttons and notes around it, each named so tests and pictures find
// it.
#pragma once

#include <QString>
#include <QVariant>

#include <span>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;
class QTreeWidget;

namespace dorvane {

// Where a row's first cell keeps the index of the entry it shows.
inline constexpr int EntryIndexRole = Qt::UserRole + 1;

// A list under the headers given: nothing edited in place, whole rows chosen,
// no wrapping, the last column taking the room left. The tree is flat.
QTreeWidget* makeListTree(const char* objectName, std::span<const char* const> headers);
QTableWidget* makeListTable(const char* objectName, std::span<const char* const> headers);

// The entry a row's kept index names, or nothing.
template <typename Entry>
const Entry* entryAt(const std::vector<Entry>& entries, const QVariant& keptIndex)
{
    const auto index = std::size_t(keptIndex.toULongLong());
    return index < entries.size() ? &entries[index] : nullptr;
}

QPushButton* makeButton(const QString& text, const QString& objectName);
// A note that wraps and whose text can be selected and copied.
QLabel* makeNote(const char* objectName);

inline QString qText(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace dorvane
