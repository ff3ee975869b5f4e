// SPDX-License-Identifier: GPL-3.0-or-later
// A long message as the instrument sees it: sysex messages back to back. These
// functions cut a byte run into its messages without losing a byte: each piece
// runs to the next F7 (inclusive), or stops short of an F0 that starts a new
// message, or runs to the end. Joined again, the pieces are the input.
#pragma once

#include "patch/layout.h"

#include <cstddef>
#include <stdexcept>
#include <vector>

namespace dorvane {

constexpr std::uint8_t MessageStart = 0xF0;
constexpr std::uint8_t MessageEnd = 0xF7;

// Calls f(ByteView) for each piece, in order, without allocating.
template <typename F> void forEachMessage(ByteView bytes, F&& f)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == MessageStart && i > start) {
            f(bytes.subspan(start, i - start));
            start = i;
        }
        if (bytes[i] == MessageEnd) {
            f(bytes.subspan(start, i + 1 - start));
            start = i + 1;
        }
    }
    if (start < bytes.size())
        f(bytes.subspan(start));
}

std::vector<ByteView> messagePieces(ByteView bytes);

// A message longer than one long message may carry.
class MessageTooLong : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Groups the pieces of `bytes` into as few long messages of at most `limit`
// bytes as keep every message whole. Throws MessageTooLong, naming the
// message's size and place, when one message alone is longer than `limit`.
std::vector<ByteView> groupIntoLongMessages(ByteView bytes, std::size_t limit);

} // namespace dorvane
