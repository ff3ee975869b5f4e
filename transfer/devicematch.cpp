// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/devicematch.h"

#include <algorithm>
#include <cctype>

namespace dorvane {

namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool isNumber(const std::string& text)
{
    return !text.empty() && text.size() <= 6 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

} // namespace

DeviceMatch matchDevice(const std::vector<std::string>& names, const std::string& wanted,
                        const std::string& kind)
{
    if (wanted.empty())
        return {std::nullopt, "no " + kind + " device given"};
    if (isNumber(wanted)) {
        const int id = std::stoi(wanted);
        if (std::size_t(id) < names.size())
            return {id, {}};
        return {std::nullopt, "there is no " + kind + " device " + wanted + " (there are " +
                                  std::to_string(names.size()) + "; see dorvane-cli ports)"};
    }
    const std::string key = lower(wanted);
    std::vector<int> fits;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name = lower(names[i]);
        if (name == key)
            return {int(i), {}};
        if (name.find(key) != std::string::npos)
            fits.push_back(int(i));
    }
    if (fits.size() == 1)
        return {fits.front(), {}};
    if (fits.empty())
        return {std::nullopt,
                "no " + kind + " device matches \"" + wanted + "\" (see dorvane-cli ports)"};
    std::string list;
    for (int i : fits)
        list +=
            (list.empty() ? "" : ", ") + std::to_string(i) + " \"" + names[std::size_t(i)] + "\"";
    return {std::nullopt, "\"" + wanted + "\" matches several " + kind + " devices: " + list};
}

} // namespace dorvane
