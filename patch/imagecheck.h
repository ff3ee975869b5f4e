// SPDX-License-Identifier: GPL-3.0-or-later
// What a run of sysex bytes is, and whether it is what it claims to be: the
// kinds of patch file by size, the checksums of every Data Set message, and the
// placing of received messages by their addresses.
#pragma once

#include "patch/layout.h"
#include "patch/rolandmessage.h"

#include <optional>
#include <string>
#include <vector>

namespace dorvane {

enum class SysexFileKind
{
    Image,
    ImageWithLeadingBlock,
    PartFile,
    RhythmPartFile,
    Other
};

SysexFileKind classifySysexFile(ByteView bytes);
std::string kindText(SysexFileKind kind);

// The block a dump or a file is meant to fill: the whole area, one normal part, or part R.
enum class BlockKind
{
    Image,
    Part,
    Rhythm
};
std::size_t blockSize(BlockKind kind);
BlockKind blockKindOfPart(int part);

struct MessageProblem
{
    std::size_t offset = 0;         // where the message starts in the bytes checked
    std::optional<Address> address; // when the message has one
    std::string what;
};

// Every Data Set message whose checksum is wrong, and anything that is not a
// complete sysex message.
std::vector<MessageProblem> checksumProblems(ByteView bytes);

// The address the i-th message of a block must carry (part only matters for
// BlockKind::Part), and the size of its data.
struct ExpectedMessage
{
    Address address;
    std::size_t dataSize;
};
std::vector<ExpectedMessage> expectedMessages(BlockKind kind, int part);

// Puts MC-505 Data Set messages into the layout of the block by their
// addresses, whatever order they came in. Succeeds only when every message of
// the block is there exactly once, with the right length and checksum, and
// nothing else is; otherwise says what is wrong and returns nothing.
struct ArrangeResult
{
    std::optional<Bytes> bytes;
    std::string problem;
};
ArrangeResult arrangeByAddress(ByteView received, BlockKind kind, int part);

} // namespace dorvane
