// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/librarysearch.h"

namespace dorvane {

namespace {

QStringList wordsOf(const QString& text)
{
    return text.toCaseFolded().split(' ', Qt::SkipEmptyParts);
}

} // namespace

void LibrarySearch::setEntries(std::vector<LibraryEntry> entries)
{
    m_entries = std::move(entries);
    m_text.assign(m_entries.size(), QString());
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        prepare(i);
    m_lastValid = false;
}

void LibrarySearch::prepare(std::size_t index)
{
    const LibraryEntry& e = m_entries[index];
    // A separator no typed word holds keeps a word from matching across fields.
    m_text[index] = (e.name + '\n' + e.tags.join('\n') + '\n' + e.fileName).toCaseFolded();
}

void LibrarySearch::setFavourite(std::size_t index, bool favourite)
{
    if (index >= m_entries.size())
        return;
    m_entries[index].favourite = favourite;
    m_lastValid = false;
}

void LibrarySearch::setTags(std::size_t index, const QStringList& tags)
{
    if (index >= m_entries.size())
        return;
    m_entries[index].tags = tags;
    prepare(index);
    m_lastValid = false;
}

bool LibrarySearch::matches(std::size_t index, const QStringList& words,
                            const LibraryQuery& query) const
{
    const LibraryEntry& e = m_entries[index];
    if ((query.favourites && !e.favourite) || (query.kits && !e.rhythm()) ||
        (query.duplicates && !e.duplicate()))
        return false;
    for (const QString& w : words)
        if (!m_text[index].contains(w))
            return false;
    return true;
}

std::vector<int> LibrarySearch::find(const LibraryQuery& query)
{
    const QStringList words = wordsOf(query.text);
    // Typing on narrows what the last search found: every word of the longer
    // text holds a word of the shorter one.
    const bool narrowing = m_lastValid && query.favourites == m_last.favourites &&
                           query.kits == m_last.kits && query.duplicates == m_last.duplicates &&
                           query.text.startsWith(m_last.text);
    std::vector<int> found;
    if (narrowing) {
        for (int i : m_lastFound)
            if (matches(std::size_t(i), words, query))
                found.push_back(i);
    } else {
        found.reserve(m_entries.size());
        for (std::size_t i = 0; i < m_entries.size(); ++i)
            if (matches(i, words, query))
                found.push_back(int(i));
    }
    m_last = query;
    m_lastFound = found;
    m_lastValid = true;
    return found;
}

} // namespace dorvane
