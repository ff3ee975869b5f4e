// SPDX-License-Identifier: GPL-3.0-or-later
// The parameters of a part's sound as the morph and the breed take them,
// made from the binding table: every tone (or drum-note) and common control
// once, its range from its value list, the panel it sits in as its group.
#pragma once

#include "editor/bindingtable.h"
#include "tools/soundparameter.h"

#include <functional>
#include <vector>

namespace dorvane {

// Whether a control's values lie on one scale (a number, a note, a level)
// and so may stand between two of them; a switch or a list of names may not.
bool isContinuous(ValueList list);

// The parameters of part `part` (0..6, or RhythmPart). `flagged` says which
// the shake's flags vary (by default, the controls shaken unless a musician
// chose otherwise).
std::vector<SoundParameter>
soundParameters(int part, const std::function<bool(const Binding&)>& flagged = {});

} // namespace dorvane
