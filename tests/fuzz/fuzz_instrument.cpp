// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in instrument on any byte stream, cut into messages as a MIDI
// driver cuts them, and on any start image. Its area stays a whole image in
// address order with right checksums, and every answer is a complete Data Set
// message of it or its own identity reply.
#include "fuzzsupport.h"

#include "patch/identity.h"
#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "patch/instrumentstate.h"

using namespace dorvane;
using namespace dorvane::fuzz;

namespace {

// Data bytes after a status byte, as a MIDI parser counts them.
std::size_t dataBytesOf(std::uint8_t status)
{
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 1;
    case 0xF0:
        return status == 0xF2 ? 2 : (status == 0xF1 || status == 0xF3) ? 1 : 0;
    default:
        return 2;
    }
}

std::vector<ByteView> messagesOfStream(ByteView b)
{
    std::vector<ByteView> list;
    std::size_t i = 0;
    while (i < b.size()) {
        const std::uint8_t status = b[i];
        if (!(status & 0x80)) {
            ++i; // running status is not used by this program's peers
            continue;
        }
        if (status == SysexStart) {
            std::size_t end = i + 1;
            while (end < b.size() && b[end] != SysexEnd && !(b[end] & 0x80))
                ++end;
            // A status byte inside a sysex message ends it, cut short, as drivers do.
            const bool complete = end < b.size() && b[end] == SysexEnd;
            list.push_back(b.subspan(i, (complete ? end + 1 : end) - i));
            i = complete ? end + 1 : end;
            continue;
        }
        const std::size_t n = std::min(dataBytesOf(status), b.size() - i - 1);
        list.push_back(b.subspan(i, n + 1));
        i += n + 1;
    }
    return list;
}

void requireWholeArea(const InstrumentState& inst)
{
    FUZZ_REQUIRE(inst.image().size() == ImageSize);
    FUZZ_REQUIRE(checkBlock(inst.image(), BlockKind::Image, 0, MessageOrder::AsLaidOut,
                            ChecksumRule::Required)
                     .ok());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ByteView bytes(data, size);
    InstrumentState inst(initialImage());
    for (ByteView m : messagesOfStream(bytes)) {
        for (const Bytes& reply : inst.receive(m)) {
            if (const auto identity = parseIdentityReply(reply)) {
                FUZZ_REQUIRE(isBuiltInIdentity(*identity));
                continue;
            }
            const auto v = parseDataSet(reply);
            FUZZ_REQUIRE(v && v->synth == tsMC505);
            Bytes body(v->address.begin(), v->address.end());
            body.insert(body.end(), v->data.begin(), v->data.end());
            FUZZ_REQUIRE(Checksum(body) == v->checksum);
        }
    }
    requireWholeArea(inst);
    // A whole-area request is answered with exactly the area, a hundred messages.
    const auto all = inst.receive(requestAllMessage());
    FUZZ_REQUIRE(all.size() == MessagesInImage);
    Bytes joined;
    for (const Bytes& m : all)
        joined.insert(joined.end(), m.begin(), m.end());
    FUZZ_REQUIRE(joined == inst.image());

    // The same bytes as the image it starts from.
    InstrumentState fromFile{Bytes(bytes.begin(), bytes.end())};
    requireWholeArea(fromFile);
    return 0;
}
