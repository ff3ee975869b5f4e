// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/soundparameters.h"

#include <algorithm>

namespace dorvane {

bool isContinuous(ValueList list)
{
    if (valueList(list).size() <= 2)
        return false;
    switch (list) {
    case ValueList::NoteNames:
    case ValueList::AutoNoteNames:
    case ValueList::KeyfollowScale:
    case ValueList::SensitivityScale:
    case ValueList::VelocitySensitivity:
    case ValueList::RandomPitchDepth:
        return true;
    default:
        // The numeric lists come first in the enumeration.
        return int(list) <= int(ValueList::Tempo20To250);
    }
}

std::vector<SoundParameter> soundParameters(int part,
                                            const std::function<bool(const Binding&)>& flagged)
{
    const bool rhythm = part == RhythmPart;
    const auto panels = panelTable();
    std::vector<SoundParameter> parameters;
    for (const Binding& b : bindingTable()) {
        bool common = false;
        int offset = b.ctrlNo;
        ValueList values = b.values;
        if (rhythm) {
            if (!editsDrumNote(b))
                continue;
            offset = b.tag;
            values = drumNoteValues(b);
        } else if (b.handler == Handler::Common) {
            common = true;
        } else if (b.handler != Handler::Tone || b.panel == "mutegroupbox") {
            continue;
        }
        // A parameter with two controls is one parameter.
        const bool known = std::any_of(parameters.begin(), parameters.end(), [&](const auto& p) {
            return p.common == common && p.offset == offset;
        });
        if (known)
            continue;
        const auto panel = std::find_if(panels.begin(), panels.end(),
                                        [&](const PanelInfo& p) { return p.name == b.panel; });
        parameters.push_back({offset, int(valueList(values).size()), common, isContinuous(values),
                              int(panel - panels.begin()), flagged ? flagged(b) : b.tag3 == 1});
    }
    return parameters;
}

} // namespace dorvane
