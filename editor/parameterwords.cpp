// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/parameterwords.h"

#include "editor/valuelists.h"
#include "patch/catalogue.h"

namespace dorvane {

namespace {

std::optional<ParameterWords::Area> areaOf(const Binding& row)
{
    using Area = ParameterWords::Area;
    switch (row.handler) {
    case Handler::Tone:
        // The drum-note box edits nothing on parts 1..7.
        if (row.panel == "mutegroupbox")
            return std::nullopt;
        return Area::Tone;
    case Handler::Common:
        return Area::PartCommon;
    case Handler::Effects:
        return Area::Effects;
    case Handler::Part:
        return Area::PartSetting;
    case Handler::System:
    case Handler::Tempo:
        return Area::System;
    default:
        return std::nullopt;
    }
}

std::string text(const QString& s)
{
    return s.toStdString();
}

} // namespace

BindingWords::BindingWords()
{
    for (const Binding& row : bindingTable()) {
        // The first control of an address names it; later ones with the same
        // address (two views of one parameter) show the same thing.
        if (const auto area = areaOf(row))
            m_rows.emplace(std::pair{*area, row.ctrlNo}, &row);
        if (editsDrumNote(row))
            m_rows.emplace(std::pair{Area::RhythmNote, row.tag}, &row);
    }
}

BindingWords::BindingWords(const QStringList& waveNames) : BindingWords()
{
    m_waveNames.reserve(std::size_t(waveNames.size()));
    // The list's entries carry blanks in front for the drop-down's sake.
    for (const QString& name : waveNames)
        m_waveNames.push_back(text(name.trimmed()));
}

std::optional<std::string> BindingWords::waveName(int wave) const
{
    if (wave < 0 || std::size_t(wave) >= m_waveNames.size())
        return std::nullopt;
    return m_waveNames[std::size_t(wave)];
}

const BindingWords& BindingWords::instance()
{
    static const BindingWords words;
    return words;
}

std::optional<ParameterWords::Words> BindingWords::describe(Area area, int offset, int value) const
{
    const auto it = m_rows.find({area, offset});
    if (it == m_rows.end())
        return std::nullopt;
    const Binding& row = *it->second;
    Words words;
    if (area == Area::RhythmNote) {
        // The label beside the control on part R is the drum note's parameter.
        const auto name = parameterName(ParameterTable::RhythmNote, offset);
        words.name =
            name ? text(QString::fromLatin1(name->data(), qsizetype(name->size())).trimmed())
                 : std::string(row.label);
    } else {
        words.name = std::string(row.label);
    }
    if (row.handler == Handler::Tempo) {
        // The tempo travels as the number itself, not as a place in a list.
        words.value = std::to_string(value);
        return words;
    }
    const QStringList& labels =
        valueList(area == Area::RhythmNote ? drumNoteValues(row) : row.values);
    if (value < 0 || value >= labels.size())
        return std::nullopt;
    words.value = text(labels[value].trimmed());
    return words;
}

} // namespace dorvane
