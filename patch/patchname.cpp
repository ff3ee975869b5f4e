// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/patchname.h"

namespace dorvane {

std::string patchNameText(std::u32string_view typed)
{
    std::string name;
    for (std::size_t i = 0; i < PatchNameLength; ++i) {
        if (i >= typed.size())
            name.push_back(' ');
        else
            name.push_back(isNameCharacter(typed[i]) ? char(typed[i]) : '?');
    }
    return name;
}

std::optional<std::string> randomName(std::span<const std::string> words, RandomSource& random)
{
    if (words.empty())
        return std::nullopt;
    const int drawn = int(words.size()) - 1;
    std::string name;
    for (int n = 0; n < 2; ++n) {
        std::string word = words[std::size_t(random.Random(drawn))];
        if (!word.empty() && word.front() >= 'a' && word.front() <= 'z')
            word.front() = char(word.front() - 'a' + 'A');
        name += word;
    }
    return name;
}

} // namespace dorvane
