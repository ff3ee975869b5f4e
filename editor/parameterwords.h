// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's way of naming a parameter and showing its value, from the
// binding table: the label beside the control and the entry of its value list
// (the drum note's parameter name and scale on part R). The MIDI monitor
// speaks in these words, so what it lists reads as the sheets do; given the
// window's wave list, so do waves.
#pragma once

#include "editor/bindingtable.h"
#include "patch/messagedescription.h"

#include <QStringList>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace dorvane {

class BindingWords : public ParameterWords
{
public:
    BindingWords();
    // `waveNames` is the window's wave list, as loaded.
    explicit BindingWords(const QStringList& waveNames);

    std::optional<Words> describe(Area area, int offset, int value) const override;
    std::optional<std::string> waveName(int wave) const override;

    // The one instance, built once from the table, without a wave list.
    static const BindingWords& instance();

private:
    std::map<std::pair<Area, int>, const Binding*> m_rows;
    std::vector<std::string> m_waveNames;
};

} // namespace dorvane
