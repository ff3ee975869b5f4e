// SPDX-License-Identifier: GPL-3.0-or-later
// A patch name as the instrument keeps it, and names drawn from a word list.
#pragma once

#include "patch/randomsource.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dorvane {

constexpr std::size_t PatchNameLength = 12;

// The twelve bytes a typed name becomes, both on the wire and in the image: its
// first twelve characters, padded with blanks, and every character outside
// printable ASCII as '?'. A byte of 0x80 or more inside a Data Set message
// would end the message on the wire, so the image never holds one either.
std::string patchNameText(std::u32string_view typed);

// True for the characters a name may hold as typed.
constexpr bool isNameCharacter(char32_t c)
{
    return c >= 0x20 && c <= 0x7E;
}

// Two words from the list, each with its first letter in upper case, one after
// the other and not yet cut to length. Each is drawn from all lines but the
// last, so a one-line list gives its word twice. Nothing when the list is
// empty.
std::optional<std::string> randomName(std::span<const std::string> words, RandomSource& random);

} // namespace dorvane
