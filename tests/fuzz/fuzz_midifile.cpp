// SPDX-License-Identifier: GPL-3.0-or-later
// The Standard MIDI File export on any bytes: complete 7-bit sysex becomes a
// file whose events are exactly those messages; anything else is refused.
#include "fuzzsupport.h"

#include "patch/midifile.h"

#include <stdexcept>

using namespace dorvane;
using namespace dorvane::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ByteView bytes(data, size);
    Bytes file;
    try {
        file = midiFileBytes(bytes);
    } catch (const std::invalid_argument&) {
        FUZZ_REQUIRE(!isCompleteSysex(bytes));
        return 0;
    }
    FUZZ_REQUIRE(isCompleteSysex(bytes));
    FUZZ_REQUIRE(sysexOfMidiFile(file) == Bytes(bytes.begin(), bytes.end()));
    return 0;
}
