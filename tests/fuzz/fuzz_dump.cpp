// SPDX-License-Identifier: GPL-3.0-or-later
// A received dump put in place by address. The first byte says what was asked
// for (a normal part, part R or the whole area); the rest is what arrived.
// What is accepted is the whole block in the image's order, every message
// checksum-right and found in what arrived.
#include "fuzzsupport.h"

#include "patch/imagecheck.h"

#include <algorithm>

using namespace dorvane;
using namespace dorvane::fuzz;

namespace {

std::vector<Bytes> sortedMessages(ByteView bytes)
{
    std::vector<Bytes> list;
    for (ByteView m : splitSysex(bytes))
        list.emplace_back(m.begin(), m.end());
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int which = data[0] % 9;
    const BlockKind kind = which == 8   ? BlockKind::Image
                           : which == 7 ? BlockKind::Rhythm
                                        : BlockKind::Part;
    const int part = which == 7 ? RhythmPart : which == 8 ? 0 : which;
    const ByteView received(data + 1, size - 1);

    const BlockCheck r =
        checkBlock(received, kind, part, MessageOrder::AnyOrder, ChecksumRule::Required);
    const BlockCheck counted =
        checkBlock(received, kind, part, MessageOrder::AnyOrder, ChecksumRule::Counted);
    FUZZ_REQUIRE(!r.ok() || counted.ok());
    if (!r.ok()) {
        FUZZ_REQUIRE(r.problem.rfind("byte ", 0) == 0);
        FUZZ_REQUIRE(r.problemAt <= received.size());
        return 0;
    }
    FUZZ_REQUIRE(counted.wrongChecksums == 0 && counted.bytes == r.bytes);
    FUZZ_REQUIRE(r.bytes->size() == blockSize(kind));
    FUZZ_REQUIRE(received.size() == blockSize(kind));
    const BlockCheck laidOut =
        checkBlock(*r.bytes, kind, part, MessageOrder::AsLaidOut, ChecksumRule::Required);
    FUZZ_REQUIRE(laidOut.ok() && *laidOut.bytes == *r.bytes);
    FUZZ_REQUIRE(sortedMessages(*r.bytes) == sortedMessages(received));
    FUZZ_REQUIRE(isCompleteSysex(*r.bytes));
    return 0;
}
