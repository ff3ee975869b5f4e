// SPDX-License-Identifier: GPL-3.0-or-later
// A font whose characters all take one width, for the lists that line values up
// in columns. Font names promise nothing on an unknown desktop ("Courier New"
// may resolve to anything, and fontconfig does not always mark a monospaced
// face as such), so each candidate is judged by its metrics.
#pragma once

#include <QFont>
#include <QStringList>

namespace dorvane {

// True when the font as it resolves on this desktop gives every character the
// same advance.
bool hasFixedAdvance(const QFont& font);

// The first of `preferred`, then of the desktop's fixed font and the common
// monospaced families, that is installed and has a fixed advance; the size
// and weight stay those of `base`. Falls back to the desktop's fixed font.
QFont fixedPitchFont(const QFont& base, const QStringList& preferred = {});

} // namespace dorvane
