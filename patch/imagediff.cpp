// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/imagediff.h"

#include "patch/rolandmessage.h"

#include <algorithm>
#include <array>

namespace dorvane {

namespace {

constexpr std::array<ImageMessage, MessagesInImage> layoutMessages()
{
    std::array<ImageMessage, MessagesInImage> list{};
    std::size_t i = 0;
    std::size_t at = 0;
    for (int p = 0; p < NormalPartCount; ++p) {
        list[i++] = {at, CommonMessageSize};
        at += CommonMessageSize;
        for (int t = 0; t < ToneCount; ++t) {
            list[i++] = {at, ToneMessageSize};
            at += ToneMessageSize;
        }
    }
    list[i++] = {at, RhythmCommonMessageSize};
    at += RhythmCommonMessageSize;
    for (int k = 0; k < DrumNoteCount; ++k) {
        list[i++] = {at, DrumNoteMessageSize};
        at += DrumNoteMessageSize;
    }
    return list;
}

constexpr auto Messages = layoutMessages();
static_assert(Messages.back().offset + Messages.back().size == ImageSize);

// Equal but for the checksum, the second-last byte of the message.
bool sameMessage(ByteView a, ByteView b, const ImageMessage& m)
{
    const std::size_t checksum = m.offset + m.size - 2;
    return std::equal(a.begin() + std::ptrdiff_t(m.offset), a.begin() + std::ptrdiff_t(checksum),
                      b.begin() + std::ptrdiff_t(m.offset)) &&
           a[checksum + 1] == b[checksum + 1];
}

} // namespace

std::span<const ImageMessage> imageMessages()
{
    return Messages;
}

bool sameContent(ByteView a, ByteView b)
{
    if (a.size() != ImageSize || b.size() != ImageSize)
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    return std::all_of(Messages.begin(), Messages.end(),
                       [&](const ImageMessage& m) { return sameMessage(a, b, m); });
}

std::vector<Bytes> changedMessages(ByteView before, ByteView after)
{
    std::vector<Bytes> changed;
    if (after.size() != ImageSize)
        return changed;
    const bool whole = before.size() == ImageSize;
    for (const ImageMessage& m : Messages) {
        if (whole && sameMessage(before, after, m))
            continue;
        const ByteView message = after.subspan(m.offset, m.size);
        Bytes bytes(message.begin(), message.end());
        // Over the message's own address and data, as the instrument checks it.
        constexpr std::size_t AddressAt = MessageHeaderSize - 4;
        bytes[m.size - 2] = Checksum(ByteView(bytes).subspan(AddressAt, m.size - 2 - AddressAt));
        changed.push_back(std::move(bytes));
    }
    return changed;
}

} // namespace dorvane
