// SPDX-License-Identifier: GPL-3.0-or-later
// Comparing two temp-patch images message by message. A change to the image
// reaches the instrument as the few Data Set messages it touched, rather than
// as a whole image: undoing one edit sends one message, undoing a shake the
// part's five. Checksums stand aside in the comparison: the image refreshes
// them only when it hands data out, so two images that say the same thing can
// carry different checksums.
#pragma once

#include "patch/layout.h"

#include <span>
#include <vector>

namespace dorvane {

// Where one Data Set message sits in a whole image.
struct ImageMessage
{
    std::size_t offset; // of its F0
    std::size_t size;   // F0 through F7
};

// The messages of a whole image, in image order (the common and four tones
// of parts 1..7, then part R's common and its 64 drum notes).
std::span<const ImageMessage> imageMessages();

// Whether two images hold the same bytes apart from their checksums. Byte
// runs that are not whole images compare byte for byte.
bool sameContent(ByteView a, ByteView b);

// The messages of `after` whose bytes other than the checksum differ from
// `before`, in image order, each with a checksum of its own. When `before` is
// no whole image, every message of `after` counts as changed; when `after` is
// none, there is nothing that could be sent.
std::vector<Bytes> changedMessages(ByteView before, ByteView after);

} // namespace dorvane
