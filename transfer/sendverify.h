// SPDX-License-Identifier: GPL-3.0-or-later
// Send and Verify, the plain part: the area a send writes (the whole temporary
// patch area or one part), the Data Request that reads the same area back,
// and the verdict over what came back, compared parameter by parameter with
// what was sent. Checksums and the device ID never count: the instrument
// answers with checksums of its own and with the ID it was asked by.
//
// A verify is clean only when every covered part came back as sent; a part
// that differs is listed in words. When nothing usable came back (no answer,
// a dump cut short or damaged) nothing is compared and the verdict says why.
#pragma once

#include "patch/imagedifferences.h"
#include "patch/layout.h"

#include <optional>
#include <string>
#include <vector>

namespace dorvane {

class DumpReceiver;
struct DumpResult;

class VerifyArea
{
public:
    static VerifyArea wholeImage();
    // 0..6 or RhythmPart; throws std::invalid_argument for any other number.
    static VerifyArea ofPart(int part);

    bool isWholeImage() const { return m_whole; }
    // The part of a part's area (0..6, RhythmPart); meaningless for the whole image.
    int part() const { return m_part; }
    // The image's parts the area covers, in image order.
    std::vector<int> parts() const;
    // The bytes of its block: a whole image, a normal part or part R.
    std::size_t blockSize() const;
    // The Data Request that asks the instrument for the area.
    Bytes request() const;
    // Starts the receiver on the area's dump (before the request is sent).
    void startReception(DumpReceiver& receiver) const;
    // "part 3", "part R", "all 8 parts".
    std::string name() const;

    bool operator==(const VerifyArea&) const = default;

private:
    VerifyArea(bool whole, int part) : m_whole(whole), m_part(part) {}
    bool m_whole = true;
    int m_part = 0;
};

// The area a sysex file writes when it is sent as it stands, judged by what
// the file is: an image (with or without the leading block), a normal part
// file (the part its addresses name), a part R file. Anything else cannot be
// verified, and `problem` says what the file is instead.
struct FileArea
{
    std::optional<VerifyArea> area;
    std::size_t blockOffset = 0; // where the area's block starts in the file
    std::string problem;
};
FileArea verifyAreaOfFile(ByteView file);

struct VerifyVerdict
{
    enum class Outcome
    {
        Clean,   // every covered part came back as sent
        Differs, // at least one parameter came back otherwise
        NotRead, // nothing could be compared
    };
    Outcome outcome = Outcome::NotRead;
    // Sent ("here") against the instrument's, in image order; positions count
    // from the block's start.
    std::vector<ImageDifference> differences;
    // NotRead: why, as the reception said it.
    std::string problem;
    // The block that came back (Clean and Differs), in address order.
    Bytes theirs;

    bool clean() const { return outcome == Outcome::Clean; }
    // The covered parts that came back as sent, and those that did not, in
    // image order; both empty when nothing was read.
    std::vector<int> partsAlike(const VerifyArea& area) const;
    std::vector<int> partsDiffering() const;
};

// `sent` is the area's block as it went out (blockSize() bytes; its checksums
// need not be fresh). `readBack` is the block that came back, or nothing with
// the reason. Throws std::invalid_argument when `sent` is not the area's size.
VerifyVerdict verifyVerdict(const VerifyArea& area, ByteView sent,
                            const std::optional<Bytes>& readBack, const std::string& problem,
                            const ParameterWords* words = nullptr);
// The same over a reception's result: its block when it can be loaded, else
// its status, or LoopProblem when what came in holds the request itself.
VerifyVerdict verifyVerdict(const VerifyArea& area, ByteView sent, const DumpResult& readBack,
                            const ParameterWords* words = nullptr);

inline constexpr char LoopProblem[] =
    "the Data Request itself came back: the input hears what is sent (a MIDI thru or a loop), "
    "not the instrument";
// Whether the bytes hold the request as a message of its own, whatever its device ID.
bool holdsRequest(ByteView received, const Bytes& request);

// "part 3", "parts 1 and 3", "parts 1, 3 and R" (image part numbers, any order).
std::string partListText(std::vector<int> parts);
// "1 parameter differs in part 3", "12 parameters differ in parts 1 and 3".
std::string differenceSummary(const std::vector<ImageDifference>& differences);
// The image parts the differences lie in, each once, in image order.
std::vector<int> partsOf(const std::vector<ImageDifference>& differences);

} // namespace dorvane
