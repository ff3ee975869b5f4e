// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/sendverify.h"

#include "patch/imagecheck.h"
#include "patch/rolandmessage.h"
#include "transfer/dumpreceiver.h"

#include <algorithm>
#include <stdexcept>

namespace dorvane {

namespace {

// Image order: parts 1..7, then R.
int orderOf(int part)
{
    return part == RhythmPart ? NormalPartCount : part;
}

void sortParts(std::vector<int>& parts)
{
    std::sort(parts.begin(), parts.end(), [](int a, int b) { return orderOf(a) < orderOf(b); });
    parts.erase(std::unique(parts.begin(), parts.end()), parts.end());
}

} // namespace

VerifyArea VerifyArea::wholeImage()
{
    return VerifyArea(true, 0);
}

VerifyArea VerifyArea::ofPart(int part)
{
    if (!isPart(part))
        throw std::invalid_argument("there is no part " + std::to_string(part) + " to verify");
    return VerifyArea(false, part);
}

std::vector<int> VerifyArea::parts() const
{
    if (!m_whole)
        return {m_part};
    std::vector<int> all;
    for (int p = 0; p < NormalPartCount; ++p)
        all.push_back(p);
    all.push_back(RhythmPart);
    return all;
}

std::size_t VerifyArea::blockSize() const
{
    return m_whole ? ImageSize : partBlockSize(m_part);
}

Bytes VerifyArea::request() const
{
    return m_whole ? requestAllMessage() : requestMessageForPart(m_part);
}

void VerifyArea::startReception(DumpReceiver& receiver) const
{
    if (m_whole)
        receiver.startAll();
    else
        receiver.startPart(m_part);
}

std::string VerifyArea::name() const
{
    return m_whole ? std::string("all 8 parts") : "part " + differencePartLabel(m_part);
}

FileArea verifyAreaOfFile(ByteView file)
{
    const SysexFileCheck check = checkSysexFile(file);
    FileArea out;
    out.blockOffset = check.blockOffset;
    switch (check.kind) {
    case SysexFileKind::Image:
    case SysexFileKind::ImageWithLeadingBlock:
        out.area = VerifyArea::wholeImage();
        break;
    case SysexFileKind::PartFile:
        // A part file writes the part its addresses name, whatever its name says.
        out.area = VerifyArea::ofPart(check.check.part);
        break;
    case SysexFileKind::RhythmPartFile:
        out.area = VerifyArea::ofPart(RhythmPart);
        break;
    case SysexFileKind::Other:
        out.problem = "it is not an image, a part or a part R file (" + check.problem() +
                      "), so there is nothing to read back and compare";
        break;
    }
    return out;
}

std::vector<int> VerifyVerdict::partsAlike(const VerifyArea& area) const
{
    if (outcome == Outcome::NotRead)
        return {};
    const std::vector<int> differing = partsDiffering();
    std::vector<int> alike;
    for (int part : area.parts())
        if (std::find(differing.begin(), differing.end(), part) == differing.end())
            alike.push_back(part);
    return alike;
}

std::vector<int> VerifyVerdict::partsDiffering() const
{
    return partsOf(differences);
}

VerifyVerdict verifyVerdict(const VerifyArea& area, ByteView sent,
                            const std::optional<Bytes>& readBack, const std::string& problem,
                            const ParameterWords* words)
{
    if (sent.size() != area.blockSize())
        throw std::invalid_argument(area.name() + " is " + std::to_string(area.blockSize()) +
                                    " bytes, not the " + std::to_string(sent.size()) +
                                    " given as sent");
    VerifyVerdict v;
    if (!readBack || readBack->size() != area.blockSize()) {
        v.problem = problem.empty() ? std::string("nothing came back") : problem;
        return v;
    }
    v.theirs = *readBack;
    v.differences = area.isWholeImage() ? imageDifferences(sent, v.theirs, words)
                                        : partDifferences(area.part(), sent, v.theirs, words);
    v.outcome =
        v.differences.empty() ? VerifyVerdict::Outcome::Clean : VerifyVerdict::Outcome::Differs;
    return v;
}

bool holdsRequest(ByteView received, const Bytes& request)
{
    // Whatever device ID it was stamped with on its way out.
    for (ByteView m : splitSysex(received))
        if (m.size() == request.size() && std::equal(m.begin(), m.begin() + 2, request.begin()) &&
            std::equal(m.begin() + 3, m.end(), request.begin() + 3))
            return true;
    return false;
}

VerifyVerdict verifyVerdict(const VerifyArea& area, ByteView sent, const DumpResult& readBack,
                            const ParameterWords* words)
{
    // A dump of another area (the receiver re-aimed by a Get in between) is
    // no answer to this request.
    const bool sameArea = area.isWholeImage() ? readBack.mode == ReceiveMode::AllParts
                                              : readBack.mode == ReceiveMode::CurrentPart &&
                                                    readBack.part == area.part();
    std::string problem = readBack.status.toStdString();
    if (!sameArea)
        problem = "the reception was for another area";
    else if (!readBack.loadable() && holdsRequest(readBack.received, area.request()))
        problem = LoopProblem;
    return verifyVerdict(area, sent, sameArea ? readBack.block : std::nullopt, problem, words);
}

std::string partListText(std::vector<int> parts)
{
    sortParts(parts);
    if (parts.empty())
        return "no part";
    std::string text = parts.size() == 1 ? "part " : "parts ";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            text += i + 1 == parts.size() ? " and " : ", ";
        text += differencePartLabel(parts[i]);
    }
    return text;
}

std::vector<int> partsOf(const std::vector<ImageDifference>& differences)
{
    std::vector<int> parts;
    for (const ImageDifference& d : differences)
        parts.push_back(d.part);
    sortParts(parts);
    return parts;
}

std::string differenceSummary(const std::vector<ImageDifference>& differences)
{
    const std::size_t n = differences.size();
    return std::to_string(n) + (n == 1 ? " parameter differs in " : " parameters differ in ") +
           partListText(partsOf(differences));
}

} // namespace dorvane
