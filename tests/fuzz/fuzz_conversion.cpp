// SPDX-License-Identifier: GPL-3.0-or-later
// SuperJV/XP <-> MC-505 conversion on any bytes. What converts is complete
// sysex, converts back, and comes back with every message as it was but the
// patch commons, which gain or lose the two bytes one model lacks and keep
// their address, device and the bytes both models share.
#include "fuzzsupport.h"

#include "patch/modelconversion.h"

#include <algorithm>
#include <variant>

using namespace dorvane;
using namespace dorvane::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ByteView input(data, size);
    const ConversionResult result = convertModel(input);
    if (const auto* error = std::get_if<ConversionError>(&result)) {
        FUZZ_REQUIRE(!error->message.empty());
        return 0;
    }
    const Bytes& out = std::get<Bytes>(result);
    FUZZ_REQUIRE(isCompleteSysex(out));
    FUZZ_REQUIRE(conversionDirection(out) != conversionDirection(input));
    const ConversionResult back = convertModel(out);
    FUZZ_REQUIRE(std::holds_alternative<Bytes>(back));
    const Bytes& again = std::get<Bytes>(back);
    const auto first = splitSysex(input);
    const auto second = splitSysex(again);
    FUZZ_REQUIRE(first.size() == second.size());
    // A message at a patch's first address may be a common, which one model
    // holds two bytes longer: it keeps its address, its device and the bytes
    // both models share. Every other message comes back as it was.
    constexpr std::size_t SharedCommonBytes = 72;
    for (std::size_t i = 0; i < first.size(); ++i) {
        const auto was = parseDataSet(first[i]);
        const auto is = parseDataSet(second[i]);
        FUZZ_REQUIRE(was && is);
        if (was->address[2] != 0 || was->address[3] != 0) {
            FUZZ_REQUIRE(
                std::equal(first[i].begin(), first[i].end(), second[i].begin(), second[i].end()));
            continue;
        }
        FUZZ_REQUIRE(was->address == is->address && was->device == is->device);
        const std::size_t shared = std::min({was->data.size(), is->data.size(), SharedCommonBytes});
        FUZZ_REQUIRE(was->data.size() <= SharedCommonBytes ? is->data.size() >= was->data.size()
                                                           : is->data.size() == was->data.size());
        FUZZ_REQUIRE(std::equal(was->data.begin(), was->data.begin() + shared, is->data.begin()));
    }
    return 0;
}
