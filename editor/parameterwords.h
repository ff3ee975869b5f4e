// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's way of naming a parameter and showing its value, from the
// binding table: the label beside the control and the entry of its value list
// (the drum note's parameter name and scale on part R). The MIDI monitor
// speaks in these words, so what it lists reads as the sheets do.
#pragma once

#include "editor/bindingtable.h"
#include "patch/messagedescription.h"

#include <map>
#include <utility>

namespace dorvane {

class BindingWords : public ParameterWords
{
public:
    BindingWords();

    std::optional<Words> describe(Area area, int offset, int value) const override;

    // The one instance, built once from the table.
    static const BindingWords& instance();

private:
    std::map<std::pair<Area, int>, const Binding*> m_rows;
};

} // namespace dorvane
