// SPDX-License-Identifier: GPL-3.0-or-later
// Work that the first sight of a window need not wait for (writing the
// settings, a question over the window, loading pictures) runs once, on the
// turn of the event loop after the window was first painted.
#pragma once

#include <functional>

class QWidget;

namespace dorvane {

// Runs `what` once, after `widget`'s first paint; never if the widget goes
// before it is painted.
void afterFirstPaint(QWidget& widget, std::function<void()> what);

} // namespace dorvane
