// SPDX-License-Identifier: GPL-3.0-or-later
// Conversion of patch sysex files between the SuperJV/XP family (model 6A) and
// the MC-505 (model 00 0B). Only the headers and the patch-common message change.
#pragma once

#include "patch/layout.h"

#include <string>
#include <variant>

namespace dorvane {

enum class ConversionDirection
{
    ToMC505,
    ToJVXP
};

struct ConversionError
{
    std::string message;
};

using ConversionResult = std::variant<Bytes, ConversionError>;

// The direction a file would be converted in: byte 3 of 00 means MC-505.
ConversionDirection conversionDirection(ByteView input);

// Converts, or refuses input that does not start with a Data Set patch-common
// message of the expected length (83 bytes for SuperJV/XP, 86 for MC-505):
// converting foreign data at fixed positions would corrupt it. Every patch
// common of the file (a patch's first message, of that length) is converted,
// so a file of several patches, or a whole image, converts whole; a message
// holding part of a common that reaches past the bytes both models share
// is refused.
ConversionResult convertModel(ByteView input);

} // namespace dorvane
