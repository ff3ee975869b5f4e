// SPDX-License-Identifier: GPL-3.0-or-later
// The steps of change to the temp-patch image, for Undo and Redo. Each step
// keeps the image before and after it and says what it was ("Cutoff Frequency,
// part 3"); the oldest steps are dropped past the depth. A step is kept only
// when the image really changed (checksums aside), so a caller may report
// every change it makes without checking first.
#pragma once

#include "patch/layout.h"

#include <QString>

#include <cstddef>
#include <deque>
#include <optional>

namespace dorvane {

class ImageHistory
{
public:
    static constexpr std::size_t DefaultDepth = 100;

    explicit ImageHistory(std::size_t depth = DefaultDepth);

    // Starts over from this image: nothing to undo or redo.
    void reset(ByteView image);
    // After a change: keeps a step named `what` when the image differs from the
    // one last known, dropping what could be redone. Returns whether it did.
    bool record(ByteView image, const QString& what);

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }
    // What the next Undo or Redo would take back or do again.
    QString undoText() const;
    QString redoText() const;

    // The image to restore, or nullopt when there is nothing to undo or redo.
    std::optional<Bytes> undo();
    std::optional<Bytes> redo();

    std::size_t depth() const { return m_depth; }
    std::size_t undoCount() const { return m_done; }
    std::size_t redoCount() const { return m_steps.size() - m_done; }
    // The image as the history last knew it.
    const Bytes& current() const { return m_current; }

private:
    struct Step
    {
        QString what;
        Bytes before;
        Bytes after;
    };

    std::size_t m_depth;
    std::deque<Step> m_steps;
    std::size_t m_done = 0; // steps before this index are done, the rest undone
    Bytes m_current;
};

} // namespace dorvane
