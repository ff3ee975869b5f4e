// SPDX-License-Identifier: GPL-3.0-or-later
// Search as you type over the library's parts. Every word typed must appear,
// in any case, in the part's name, one of its tags or its file's name; the
// filters narrow further. The entries are held in memory with their text
// prepared, so a search over tens of thousands of parts takes a few
// milliseconds, and a search that only adds to the last one's text looks only
// at what that one found.
#pragma once

#include "library/libraryentry.h"

#include <vector>

namespace dorvane {

struct LibraryQuery
{
    QString text;
    bool favourites = false; // only parts marked as favourites
    bool kits = false;       // only part R kits
    bool duplicates = false; // only parts whose sound is in the library more than once

    bool operator==(const LibraryQuery&) const = default;
};

class LibrarySearch
{
public:
    void setEntries(std::vector<LibraryEntry> entries);
    const std::vector<LibraryEntry>& entries() const { return m_entries; }
    // Changes one entry's marks and keeps its searchable text in step.
    void setFavourite(std::size_t index, bool favourite);
    void setTags(std::size_t index, const QStringList& tags);

    // The indices of the entries that match, in the entries' order.
    std::vector<int> find(const LibraryQuery& query);

private:
    bool matches(std::size_t index, const QStringList& words, const LibraryQuery& query) const;
    void prepare(std::size_t index);

    std::vector<LibraryEntry> m_entries;
    std::vector<QString> m_text; // name, tags and file name, case-folded
    LibraryQuery m_last;
    std::vector<int> m_lastFound;
    bool m_lastValid = false;
};

} // namespace dorvane
