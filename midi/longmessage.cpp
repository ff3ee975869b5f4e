// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/longmessage.h"

#include <string>

namespace dorvane {

std::vector<ByteView> messagePieces(ByteView bytes)
{
    std::vector<ByteView> pieces;
    forEachMessage(bytes, [&](ByteView piece) { pieces.push_back(piece); });
    return pieces;
}

std::vector<ByteView> groupIntoLongMessages(ByteView bytes, std::size_t limit)
{
    std::vector<ByteView> groups;
    std::size_t groupStart = 0;
    std::size_t groupSize = 0;
    for (ByteView piece : messagePieces(bytes)) {
        const std::size_t offset = std::size_t(piece.data() - bytes.data());
        if (piece.size() > limit)
            throw MessageTooLong("The message of " + std::to_string(piece.size()) +
                                 " bytes at byte " + std::to_string(offset) +
                                 " is too long to be sent: a message may hold at most " +
                                 std::to_string(limit) + " bytes. Nothing was sent.");
        if (groupSize + piece.size() > limit) {
            groups.push_back(bytes.subspan(groupStart, groupSize));
            groupStart = offset;
            groupSize = 0;
        }
        groupSize += piece.size();
    }
    if (groupSize)
        groups.push_back(bytes.subspan(groupStart, groupSize));
    return groups;
}

} // namespace dorvane
