// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/presetselect.h"

#include <cstdio>

namespace dorvane {

namespace {

constexpr std::uint8_t ControlChange = 0xB0;
constexpr std::uint8_t ProgramChange = 0xC0;
constexpr std::uint8_t BankSelectMsb = 0;
constexpr std::uint8_t BankSelectLsb = 32;
constexpr int RhythmChannel = 9;

} // namespace

int partChannel(int part)
{
    return part == RhythmPart ? RhythmChannel : (part & 0x0F);
}

std::array<Bytes, 3> presetMessages(int part, int bank, int preset)
{
    const auto channel = std::uint8_t(partChannel(part));
    return {
        Bytes{std::uint8_t(ControlChange | channel), BankSelectMsb, PresetBankSelect},
        Bytes{std::uint8_t(ControlChange | channel), BankSelectLsb, std::uint8_t(bank & 0x7F)},
        Bytes{std::uint8_t(ProgramChange | channel), std::uint8_t(preset & 0x7F)},
    };
}

std::string presetLabel(int bank, int preset)
{
    char text[16];
    std::snprintf(text, sizeof text, "%c%03d", char('A' + bank), preset + 1);
    return text;
}

std::vector<std::string> presetNames(std::span<const std::string> lines, int bank)
{
    std::vector<std::string> names;
    for (int n = 0; n < PresetsPerBank; ++n) {
        const std::size_t line = std::size_t(bank) * PresetsPerBank + std::size_t(n);
        names.push_back(line < lines.size() ? lines[line] : presetLabel(bank, n));
    }
    return names;
}

std::string presetListText()
{
    std::string text;
    for (int bank = 0; bank < PresetBankCount; ++bank)
        for (int n = 0; n < PresetsPerBank; ++n)
            text += presetLabel(bank, n) + "\n";
    return text;
}

} // namespace dorvane
