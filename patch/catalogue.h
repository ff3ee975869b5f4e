// SPDX-License-Identifier: GPL-3.0-or-later
// Parameter names of every data byte of a tone, a part common, a rhythm note, and
// the instrument-wide settings, in the instrument's own (sometimes odd) spelling.
#pragma once

#include <optional>
#include <string_view>

namespace dorvane {

enum class ParameterTable
{
    Tone,
    PartCommon,
    RhythmNote,
    System
};

// Number of named entries of a table (129, 73, 58, 18).
int parameterCount(ParameterTable table);

// The name at an offset, or nothing for an offset the table does not name.
std::optional<std::string_view> parameterName(ParameterTable table, int offset);

} // namespace dorvane
