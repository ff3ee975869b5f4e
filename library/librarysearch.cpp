// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/librarysearch.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace dorvane {

namespace {

// Past this share of the entries, looking again at the last result costs
// more than one scan over all the text.
constexpr std::size_t NarrowWhenFewerThan = 8;

} // namespace

QString librarySearchText(const QString& name, const QStringList& tags, const QString& fileName)
{
    // A scan makes this for every part it reads: one allocation, and names
    // in plain ASCII (nearly all) folded without Qt's Unicode tables, where
    // folding is exactly making A to Z small.
    qsizetype size = name.size() + 1 + fileName.size();
    for (const QString& tag : tags)
        size += tag.size() + 1;
    QString text;
    text.reserve(size + 1);
    text += name;
    text += '\n';
    for (qsizetype i = 0; i < tags.size(); ++i) {
        if (i > 0)
            text += '\n';
        text += tags[i];
    }
    text += '\n';
    text += fileName;
    char16_t* c = reinterpret_cast<char16_t*>(text.data());
    char16_t* const end = c + text.size();
    if (std::all_of(c, end, [](char16_t u) { return u < 0x80; })) {
        for (; c != end; ++c)
            if (*c >= 'A' && *c <= 'Z')
                *c = char16_t(*c + ('a' - 'A'));
        return text;
    }
    return text.toCaseFolded();
}

QStringList librarySearchWords(const QString& text)
{
    return text.toCaseFolded().split(' ', Qt::SkipEmptyParts);
}

void LibrarySearch::setEntries(std::vector<LibraryEntry> entries)
{
    m_entries = std::move(entries);
    rebuildText();
}

void LibrarySearch::rebuildText()
{
    m_text.clear();
    m_starts.clear();
    m_starts.reserve(m_entries.size() + 1);
    for (const LibraryEntry& e : m_entries) {
        m_starts.push_back(std::uint32_t(m_text.size()));
        m_text += librarySearchText(e.name, e.tags, e.fileName).toStdString();
        m_text += '\0';
    }
    m_starts.push_back(std::uint32_t(m_text.size()));
    m_text.shrink_to_fit();
    m_lastValid = false;
}

std::string_view LibrarySearch::textOf(std::size_t index) const
{
    return std::string_view(m_text).substr(m_starts[index],
                                           m_starts[index + 1] - m_starts[index] - 1);
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
    // Tags change one at a time, by hand: building the text again is
    // cheaper than any structure that could be patched in place.
    rebuildText();
}

bool LibrarySearch::passesFilters(std::size_t index, const LibraryQuery& query) const
{
    const LibraryEntry& e = m_entries[index];
    return !((query.favourites && !e.favourite) || (query.kits && !e.rhythm()) ||
             (query.duplicates && !e.duplicate()));
}

bool LibrarySearch::holdsAll(std::size_t index, const std::vector<std::string>& words) const
{
    const std::string_view text = textOf(index);
    return std::all_of(words.begin(), words.end(), [&](const std::string& w) {
        return text.find(w) != std::string_view::npos;
    });
}

std::vector<int> LibrarySearch::find(const LibraryQuery& query)
{
    std::vector<std::string> words;
    for (const QString& w : librarySearchWords(query.text))
        words.push_back(w.toStdString());
    // Typing on narrows what the last search found: every word of the longer
    // text holds a word of the shorter one.
    const bool narrowing = m_lastValid && query.favourites == m_last.favourites &&
                           query.kits == m_last.kits && query.duplicates == m_last.duplicates &&
                           query.text.startsWith(m_last.text) &&
                           m_lastFound.size() < m_entries.size() / NarrowWhenFewerThan;
    std::vector<int> found;
    if (narrowing) {
        for (int i : m_lastFound)
            if (holdsAll(std::size_t(i), words))
                found.push_back(i);
    } else if (words.empty()) {
        found.reserve(m_entries.size());
        for (std::size_t i = 0; i < m_entries.size(); ++i)
            if (passesFilters(i, query))
                found.push_back(int(i));
    } else {
        // The longest word is likely the rarest: it is looked for in all the
        // text at once, and only the entries it turns up are weighed further.
        const auto longest = std::max_element(
            words.begin(), words.end(),
            [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
        const std::string_view all(m_text);
        const std::string& word = *longest;
        // A word of one or two letters is found fastest by the library's
        // own search for its first byte; a longer one skips ahead by its shape.
        const bool shortWord = word.size() <= 2;
        const std::boyer_moore_horspool_searcher searcher(word.begin(), word.end());
        std::size_t from = 0;
        std::size_t index = 0; // hits come in order: the entry only moves on
        while (true) {
            std::size_t at = std::string_view::npos;
            if (shortWord) {
                at = all.find(word, from);
            } else {
                const auto hit =
                    std::search(all.begin() + std::ptrdiff_t(from), all.end(), searcher);
                if (hit != all.end())
                    at = std::size_t(hit - all.begin());
            }
            if (at == std::string_view::npos)
                break;
            while (m_starts[index + 1] <= at)
                ++index;
            if (passesFilters(index, query) && (words.size() == 1 || holdsAll(index, words)))
                found.push_back(int(index));
            from = m_starts[index + 1];
        }
    }
    m_last = query;
    m_lastFound = found;
    m_lastValid = true;
    return found;
}

} // namespace dorvane
