// SPDX-License-Identifier: GPL-3.0-or-later
// The MIDI monitor's words for any message: whatever comes in on the MIDI
// input is described without reading past its end.
#include "fuzzsupport.h"

#include "patch/messagedescription.h"

using namespace dorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ByteView bytes(data, size);
    const std::string whole = describeMidiMessage(bytes);
    FUZZ_REQUIRE(size == 0 || !whole.empty());
    for (ByteView m : splitSysex(bytes))
        FUZZ_REQUIRE(!describeMidiMessage(m).empty());
    // Short messages cut at every length, as a driver may hand over a stray status.
    for (std::size_t n = 1; n <= 3 && n <= size; ++n)
        FUZZ_REQUIRE(!describeMidiMessage(bytes.first(n)).empty());
    return 0;
}
