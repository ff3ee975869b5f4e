// SPDX-License-Identifier: GPL-3.0-or-later
// A neutral temporary patch area built from known values: every part named
// "INIT PATCH", tone 1 on and tones 2-4 off, levels up, pans centred, tunings at
// their zero, filters open, each drum note playing its own key. The start-up
// image and the part template beside the program are made from it.
#pragma once

#include "patch/layout.h"

namespace dorvane {

Bytes initialImage();    // 9054 bytes, checksums correct
Bytes initialPartFile(); // 650 bytes: part 1 of initialImage()

} // namespace dorvane
