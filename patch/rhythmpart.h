// SPDX-License-Identifier: GPL-3.0-or-later
// Part R as a whole: its drum notes as the list names them, and its block put
// into an image from another.
#pragma once

#include "patch/layout.h"

#include <string>

namespace dorvane {

// The drum-note list's entry for note 0..63: a blank, the key's note name and
// the instrument tags its key carries, such as " B1 (BD) ".
std::string drumNoteEntry(int note);

// Puts part R's block of `source` into `image`, byte for byte, checksums as
// they stand. Both must be whole images; otherwise nothing changes and the
// answer is false.
bool replaceRhythmBlock(std::span<std::uint8_t> image, ByteView source);

} // namespace dorvane
