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
        expectedStart = offset + m.size();
    }
    if (expectedStart != bytes.size())
        return "byte " + std::to_string(expectedStart) + " is outside any sysex message";
    return std::nullopt;
}

RefreshedImage refreshedImage(ByteView file)
{
    if (file.size() != ImageSize)
        return {std::nullopt, "the file has " + std::to_string(file.size()) +
                                  " bytes, not the 9054 of an 8 part file: nothing was sent"};
    // With fresh checksums the messages must be exactly the image's, in its order;
    // then the fixed-position refresh touches only checksum bytes.
    Bytes checked(file.begin(), file.end());
    refreshChecksums(checked);
    const ArrangeResult arranged = arrangeByAddress(checked, BlockKind::Image, 0);
    if (!arranged.bytes)
        return {std::nullopt, "the file is not an MC-505 8 part file (" + arranged.problem +
                                  "): nothing was sent"};
    if (*arranged.bytes != checked)
        return {std::nullopt,
                "the file's messages are not in the order of an 8 part file: nothing was sent"};
    t505temppatch image;
    image.LoadFromBytes(file);
    return {image.AllBytes(), {}};
}

} // namespace dorvane
