// SPDX-License-Identifier: GPL-3.0-or-later
// What the drag-to-change controls (the value control and the knob) share: the
// pointer hidden while a drag lasts and put back where the press was, so it
// does not wander off across the window with every drag; and the step a move
// makes with the modifiers held.
#pragma once

#include <QCursor>
#include <QPoint>
#include <QTimer>

#include <functional>
#include <optional>

class QWidget;

namespace dorvane {

class DragPointer
{
public:
    // The press that starts a drag: where it was, and the pointer hidden.
    void grab(QWidget& widget, const QPoint& screenPos);
    // The pointer back at the press, where the platform allows it.
    void putBack() const;
    // The pointer shown again (also when a menu or a hide takes the release away).
    void show(QWidget& widget);
    bool hidden() const { return m_hidden; }

    // Puts the pointer at a screen position where the platform allows it
    // (Wayland does not; the offscreen platform only pretends).
    static void moveTo(const QPoint& globalPos);

private:
    QPoint m_press;
    bool m_hidden = false;
    QCursor m_shown; // the window may have chosen another than the hand
};

// The step of one move event: `plain` with no modifier, `shifted` with Shift
// alone, nothing with any other modifier held.
std::optional<int> dragStep(Qt::KeyboardModifiers modifiers, int plain, int shifted);

// The keys that move the focused value as a drag does (the arrows, Page Up and
// Down, Home, End); letting go of them ends the edit as a release does.
bool isValueKey(int key);

// Where a value key takes a value at `position` between `min` and `max`: the
// arrows step by `plain` (by `shifted` with Shift), Page Up and Down by
// `shifted`, Home and End to the ends, and every key stops at the ends, even
// where a drag wraps. Nothing for any other key, or with Ctrl or Alt held:
// those belong to the window's shortcuts.
std::optional<int> valueKeyTarget(int key, Qt::KeyboardModifiers modifiers, int position, int min,
                                  int max, int plain, int shifted);

// The end of a run of editing keys. X11 repeats a held key as release and
// press pairs, and Qt marks such a release as a repeat only when the press
// is already queued behind it, which on a busy machine it may not be yet:
// there a release ends the run only when no press follows within a moment,
// or a held key would become several edits, each heard and undone alone.
class KeyRunEnd
{
public:
    explicit KeyRunEnd(std::function<void()> end);
    // A release Qt did not mark as a repeat.
    void released();
    // A press: an end still pending was a repeat's release after all.
    void pressed() { m_timer.stop(); }
    // Focus gone: nothing follows, the run ends now.
    void now();

private:
    std::function<void()> m_end;
    QTimer m_timer;
};

} // namespace dorvane
