// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/sendcheck.h"

#include "patch/imagecheck.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

namespace dorvane {

std::optional<std::string> sysexFileProblem(ByteView bytes)
{
    if (bytes.empty())
        return "the file is empty";
    std::size_t expectedStart = 0;
    for (ByteView m : splitSysex(bytes)) {
        const std::size_t offset = std::size_t(m.data() - bytes.data());
        if (offset != expectedStart)
            return "byte " + std::to_string(expectedStart) + " is outside any sysex message";
        if (m.back() != SysexEnd)
            return "the message at byte " + std::to_string(offset) + " has no end (F7)";
        // A status byte inside a message would reach the instrument as a loose
        // note, program change or start of another message.
        for (std::size_t i = 1; i + 1 < m.size(); ++i)
            if (m[i] & 0x80)
                return "byte " + std::to_string(offset + i) + " inside the message at byte " +
                       std::to_string(offset) + " is no data byte";
        expectedStart = offset + m.size();
    }
    if (expectedStart != bytes.size())
        return "byte " + std::to_string(expectedStart) + " is outside any sysex message";
    return std::nullopt;
}

RefreshedImage refreshedImage(ByteView file)
{
    // The refresh writes at the image's fixed positions: only an image in the
    // instrument's own layout, message for message, may go through it.
    const BlockCheck check =
        checkBlock(file, BlockKind::Image, 0, MessageOrder::AsLaidOut, ChecksumRule::Counted);
    if (!check.ok())
        return {std::nullopt,
                "the file is not an MC-505 8 part file (" + check.problem + "): nothing was sent"};
    t505temppatch image;
    image.LoadFromBytes(file);
    return {image.AllBytes(), {}};
}

} // namespace dorvane
