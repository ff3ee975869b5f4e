// SPDX-License-Identifier: GPL-3.0-or-later
// SuperJV/XP <-> MC-505 conversion on any bytes. What converts is complete
// sysex, converts back, and comes back with every message but the patch
// common (which gains or loses the two bytes one model lacks) as it was.
#include "fuzzsupport.h"

#include "patch/modelconversion.h"

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
    FUZZ_REQUIRE(again.size() == input.size());
    const auto first = splitSysex(input);
    const auto second = splitSysex(again);
    FUZZ_REQUIRE(first.size() == second.size());
    for (std::size_t i = 1; i < first.size(); ++i)
        FUZZ_REQUIRE(
            std::equal(first[i].begin(), first[i].end(), second[i].begin(), second[i].end()));
    return 0;
}
