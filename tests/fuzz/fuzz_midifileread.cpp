// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the sysex of a Standard MIDI File from any bytes: never a read past
// the end, every message found lies inside the file and starts as sysex does;
// and a file the export wrote gives back exactly the messages it was given.
#include "fuzzsupport.h"

#include "patch/midifile.h"
#include "patch/midifileread.h"

using namespace dorvane;
using namespace dorvane::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ByteView bytes(data, size);
    const MidiFileSysex read = readMidiFileSysex(bytes);
    FUZZ_REQUIRE(read.ok() || read.messages.empty());
    for (const auto& m : read.messages) {
        FUZZ_REQUIRE(!m.bytes.empty() && m.bytes.front() == SysexStart);
        FUZZ_REQUIRE(m.offset < size && m.dataAt <= size);
        FUZZ_REQUIRE(!m.complete || m.bytes.back() == SysexEnd);
    }
    if (isCompleteSysex(bytes)) {
        const MidiFileSysex back = readMidiFileSysex(midiFileBytes(bytes));
        FUZZ_REQUIRE(back.ok());
        Bytes joined;
        for (const auto& m : back.messages) {
            FUZZ_REQUIRE(m.complete);
            joined.insert(joined.end(), m.bytes.begin(), m.bytes.end());
        }
        FUZZ_REQUIRE(joined == Bytes(bytes.begin(), bytes.end()));
    }
    return 0;
}
