// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a run of bytes is what it claims to be, judged by its structure and
// never by its size alone. One check serves every file loader and every
// received dump: the bytes must be exactly the Data Set messages of a block of
// this instrument (the whole area, one normal part, or part R), each with the
// MC-505 header, the address that belongs to it, the length of its data,
// 7-bit data and F7, and nothing else.
//
// Files must hold their messages in the order the image lays them out; a dump
// may arrive in any order and is put in place by address. A wrong checksum
// refuses a dump (the message was damaged on the way) but only counts against
// a file: everything else about it is right, and the checksums are refreshed
// whenever the bytes leave again.
//
// A refusal names the first fault and where it is, as a byte position in the
// bytes given: "byte 2720: expected the Data Set message of part R note 37".
#pragma once

#include "patch/layout.h"
#include "patch/rolandmessage.h"

#include <optional>
#include <string>
#include <vector>

namespace dorvane {

// The block a dump or a file is meant to fill: the whole area, one normal part, or part R.
enum class BlockKind
{
    Image,
    Part,
    Rhythm
};
std::size_t blockSize(BlockKind kind);
BlockKind blockKindOfPart(int part);

// For BlockKind::Part: a part file may come from any normal part. Its first
// message says which, and the others must agree.
constexpr int AnyNormalPart = -1;

enum class MessageOrder
{
    AsLaidOut, // files: message after message where the image keeps them
    AnyOrder   // dumps: put in place by their addresses
};

enum class ChecksumRule
{
    Counted, // a wrong checksum is counted, the bytes are still accepted
    Required // a wrong checksum refuses the bytes
};

struct BlockCheck
{
    // The block in the image's order, when the bytes are well formed.
    std::optional<Bytes> bytes;
    // Otherwise the first fault, with its byte position in the bytes checked.
    std::string problem;
    std::size_t problemAt = 0;
    // Messages whose only fault is their checksum (ChecksumRule::Counted).
    std::size_t wrongChecksums = 0;
    // The part the messages address: for a normal part file, the part it was saved from.
    int part = -1;

    bool ok() const { return bytes.has_value(); }
};

BlockCheck checkBlock(ByteView bytes, BlockKind kind, int part, MessageOrder order,
                      ChecksumRule checksums);

// What a .syx file is. The 753-byte leading block some librarians keep in
// front of an image is skipped unexamined; everything after it is checked.
enum class SysexFileKind
{
    Image,
    ImageWithLeadingBlock,
    PartFile,
    RhythmPartFile,
    Other
};
std::string kindText(SysexFileKind kind);

struct SysexFileCheck
{
    // Other when the file is none of the four.
    SysexFileKind kind = SysexFileKind::Other;
    // Where the image or part starts in the file (753 after a leading block).
    std::size_t blockOffset = 0;
    // The check of that block; for a refused file, the check of the kind the
    // file comes closest to, whose problem says what is wrong and where.
    BlockCheck check;

    bool ok() const { return kind != SysexFileKind::Other; }
    const std::string& problem() const { return check.problem; }
    std::size_t wrongChecksums() const { return check.wrongChecksums; }
    // The image or part inside the file; empty for a refused file.
    ByteView block(ByteView file) const;
};

// Which of the four kinds the file is, messages as laid out, checksums counted.
SysexFileCheck checkSysexFile(ByteView bytes);
SysexFileKind classifySysexFile(ByteView bytes);

// The file as the one kind the caller needs: an image (with or without the
// leading block), a normal part file (from any part) or a part R file. A file
// of another kind is refused with a reason that says which kind it is.
SysexFileCheck checkSysexFileAs(ByteView bytes, SysexFileKind wanted);

// The sysex messages of a block in words: "part 3 tone 2", "part R note 37".
std::string messageName(const Address& address);

struct MessageProblem
{
    std::size_t offset = 0;         // where the message starts in the bytes checked
    std::optional<Address> address; // when the message has one
    std::string what;
    // A message that cannot be taken apart: no checksum refresh can mend it.
    bool broken = false;
};

// Every Data Set message whose checksum is wrong, every message that cannot be
// taken apart (a byte of 80 or more between F0 and F7, a lost F7 that merges
// two messages, a Roland header too short to hold an address), and anything
// that is not a complete sysex message. Messages of other makers are not
// judged.
std::vector<MessageProblem> checksumProblems(ByteView bytes);

// The address the i-th message of a block must carry (part only matters for
// BlockKind::Part), and the size of its data.
struct ExpectedMessage
{
    Address address;
    std::size_t dataSize;
};
std::vector<ExpectedMessage> expectedMessages(BlockKind kind, int part);

} // namespace dorvane
