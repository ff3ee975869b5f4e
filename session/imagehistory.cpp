// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/imagehistory.h"

#include "patch/imagediff.h"

#include <algorithm>

namespace dorvane {

ImageHistory::ImageHistory(std::size_t depth) : m_depth(std::max<std::size_t>(depth, 1)) {}

void ImageHistory::reset(ByteView image)
{
    m_steps.clear();
    m_done = 0;
    m_current.assign(image.begin(), image.end());
}

bool ImageHistory::record(ByteView image, const QString& what)
{
    if (sameContent(image, m_current)) {
        // Checksums refreshed by a send are no step of the musician's, but the
        // next step starts from the image as it now stands.
        m_current.assign(image.begin(), image.end());
        return false;
    }
    m_steps.erase(m_steps.begin() + std::ptrdiff_t(m_done), m_steps.end());
    Bytes after(image.begin(), image.end());
    m_steps.push_back({what, std::move(m_current), after});
    m_current = std::move(after);
    while (m_steps.size() > m_depth)
        m_steps.pop_front();
    m_done = m_steps.size();
    return true;
}

QString ImageHistory::undoText() const
{
    return canUndo() ? m_steps[m_done - 1].what : QString();
}

QString ImageHistory::redoText() const
{
    return canRedo() ? m_steps[m_done].what : QString();
}

std::optional<Bytes> ImageHistory::undo()
{
    if (!canUndo())
        return std::nullopt;
    --m_done;
    m_current = m_steps[m_done].before;
    return m_current;
}

std::optional<Bytes> ImageHistory::redo()
{
    if (!canRedo())
        return std::nullopt;
    m_current = m_steps[m_done].after;
    ++m_done;
    return m_current;
}

} // namespace dorvane
