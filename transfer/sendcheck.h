// SPDX-License-Identifier: GPL-3.0-or-later
// What may be sent to the instrument from a file, checked before anything
// leaves: a file sent as it stands must be nothing but complete sysex
// messages, and a file sent with its checksums refreshed must be an 8-part
// image in the instrument's own layout, because the refresh writes at fixed
// positions and would corrupt anything else.
#pragma once

#include "patch/layout.h"

#include <optional>
#include <string>

namespace dorvane {

// Why the bytes are not a sysex file, or nothing when every byte belongs to a
// complete F0..F7 message.
std::optional<std::string> sysexFileProblem(ByteView bytes);

struct RefreshedImage
{
    std::optional<Bytes> bytes; // the image with every checksum refreshed
    std::string problem;        // when there are no bytes: why nothing is sent
};

// For "Send general sysex file ...": the file's bytes with fresh checksums,
// when the file is an 8 part image, every message where the image keeps it
// (checksums may be wrong; that is what the refresh is for).
RefreshedImage refreshedImage(ByteView file);

} // namespace dorvane
