// SPDX-License-Identifier: GPL-3.0-or-later
// Search as you type over the library's parts. Every word typed must appear,
// in any case, in the part's name, one of its tags or its file's name; the
// filters narrow further. The searchable text of every entry is held, case
// folded, in one run of bytes, so a word is looked for in all of them at once
// at the speed of a memory scan; a search that only adds to the last one's
// text looks only at what that one found, when that was few.
#pragma once

#include "library/libraryentry.h"

#include <cstdint>
#include <string>
#include <string_view>
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

// What is searched of an entry, case folded: name, tags and file name apart
// by a separator no typed word holds, so a word never matches across fields.
// The index on disk stores the same text, so both find the same parts.
QString librarySearchText(const QString& name, const QStringList& tags, const QString& fileName);
// The words of a search's text, case folded as the searched text is.
QStringList librarySearchWords(const QString& text);

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
    std::string_view textOf(std::size_t index) const;
    bool passesFilters(std::size_t index, const LibraryQuery& query) const;
    bool holdsAll(std::size_t index, const std::vector<std::string>& words) const;
    void rebuildText();

    std::vector<LibraryEntry> m_entries;
    // Every entry's searchable text in UTF-8, each ended by a NUL; a word's
    // bytes found in UTF-8 are its characters found in the text.
    std::string m_text;
    std::vector<std::uint32_t> m_starts; // where each entry's text begins, and the end
    LibraryQuery m_last;
    std::vector<int> m_lastFound;
    bool m_lastValid = false;
};

} // namespace dorvane
