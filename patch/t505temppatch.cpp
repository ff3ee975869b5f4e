// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/t505temppatch.h"

#include "patch/fileio.h"
#include "patch/imagecheck.h"
#include "patch/midifile.h"
#include "patch/modelconversion.h"

#include <algorithm>
#include <stdexcept>

namespace dorvane {

namespace {

// The second address byte of the five messages of a part file.
constexpr std::size_t PartNumberPositions[MessagesPerPart] = {7, 93, 234, 375, 516};

// The name is the first 12 data bytes of a part common, or the 12 data bytes of
// the rhythm common (which ReadByte's drum-note areas do not reach).
constexpr std::size_t NameLength = 12;
std::size_t namePosition(int part)
{
    return part == RhythmPart ? RhythmBlockOffset + MessageHeaderSize
                              : std::size_t(part) * PartBlockSize + MessageHeaderSize;
}

} // namespace

std::uint8_t t505temppatch::ReadByte(int part, int area, int offset) const
{
    const auto pos = bytePosition(part, area, offset);
    return pos && *pos < m_bytes.size() ? m_bytes[*pos] : 0;
}

void t505temppatch::WriteByte(int part, int area, int offset, int value)
{
    const auto pos = bytePosition(part, area, offset);
    if (pos && *pos < m_bytes.size())
        m_bytes[*pos] = std::uint8_t(value);
}

int t505temppatch::ReadWave(int part, int area) const
{
    const int id = ReadByte(part, area, 2);
    return (id != 1 ? 254 : 0) + 16 * ReadByte(part, area, 3) + ReadByte(part, area, 4);
}

void t505temppatch::WriteWave(int part, int area, int wave)
{
    // Group 2 starts after index 255 here, one later than in the one-parameter
    // message; both read back as the same index.
    const bool upper = wave > 255;
    const int number = upper ? wave - 254 : wave;
    WriteByte(part, area, 2, upper ? 2 : 1);
    WriteByte(part, area, 3, number / 16);
    WriteByte(part, area, 4, number % 16);
}

std::string t505temppatch::GetPatchName(int part) const
{
    std::string name;
    if (part < 0)
        return name;
    const std::size_t start = namePosition(part);
    for (std::size_t i = start; i < start + NameLength && i < m_bytes.size(); ++i)
        name.push_back(char(m_bytes[i]));
    auto blank = [](char c) { return std::uint8_t(c) <= 32; };
    const auto first = std::find_if_not(name.begin(), name.end(), blank);
    const auto last = std::find_if_not(name.rbegin(), name.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

void t505temppatch::SetPatchName(int part, std::string_view name)
{
    if (part < 0)
        return;
    std::string padded(name.substr(0, std::min(name.size(), NameLength)));
    padded.resize(NameLength, ' ');
    const std::size_t start = namePosition(part);
    for (std::size_t i = 0; i < NameLength && start + i < m_bytes.size(); ++i)
        m_bytes[start + i] = std::uint8_t(padded[i]);
}

void t505temppatch::storeChecksum(std::size_t messageStart, std::size_t dataSize, int addressSum)
{
    const std::size_t checksumAt = messageStart + MessageHeaderSize + dataSize;
    if (checksumAt >= m_bytes.size())
        return;
    unsigned sum = unsigned(addressSum);
    for (std::size_t i = messageStart + MessageHeaderSize; i < checksumAt; ++i)
        sum += m_bytes[i];
    m_bytes[checksumAt] = std::uint8_t((128 - sum % 128) % 128);
}

void t505temppatch::UpdateChecksums(int part)
{
    if (isNormalPart(part)) {
        const std::size_t block = partBlockOffset(part);
        storeChecksum(block, CommonDataSize, 2 + part);
        for (int t = 1; t <= ToneCount; ++t)
            storeChecksum(block + CommonMessageSize + std::size_t(t - 1) * ToneMessageSize,
                          ToneDataSize, 2 + part + ToneBase[std::size_t(t)]);
    } else if (part == RhythmPart) {
        storeChecksum(RhythmBlockOffset, RhythmCommonDataSize, 2 + RhythmPart);
        for (int i = 0; i < DrumNoteCount; ++i)
            storeChecksum(RhythmBlockOffset + RhythmCommonMessageSize +
                              std::size_t(i) * DrumNoteMessageSize,
                          DrumNoteDataSize, 2 + RhythmPart + FirstDrumKey + i);
    }
}

void t505temppatch::UpdateAllChecksums()
{
    for (int p = 0; p < NormalPartCount; ++p)
        UpdateChecksums(p);
    UpdateChecksums(RhythmPart);
}

ByteView t505temppatch::partView(int part) const
{
    const std::size_t start = partBlockOffset(part);
    if (part < 0 || start >= m_bytes.size())
        return {};
    return ByteView(m_bytes).subspan(start, std::min(partBlockSize(part), m_bytes.size() - start));
}

Bytes t505temppatch::PartBytes(int part)
{
    UpdateChecksums(part);
    const ByteView v = partView(part);
    return Bytes(v.begin(), v.end());
}

Bytes t505temppatch::AllBytes()
{
    UpdateAllChecksums();
    return m_bytes;
}

void t505temppatch::LoadFromFile(const std::string& fileName)
{
    m_bytes = readWholeFile(fileName);
}

void t505temppatch::LoadFromStream(const t505temppatch& other)
{
    if (&other != this)
        m_bytes = other.m_bytes;
}

void t505temppatch::LoadFromBytes(ByteView bytes)
{
    m_bytes.assign(bytes.begin(), bytes.end());
}

Bytes t505temppatch::refreshedBytes() const
{
    t505temppatch copy(*this);
    return copy.AllBytes();
}

Bytes t505temppatch::refreshedPartBytes(int part) const
{
    t505temppatch copy(*this);
    return copy.PartBytes(part);
}

void t505temppatch::SaveToFile(const std::string& fileName) const
{
    writeFileAtomically(fileName, refreshedBytes());
}

void t505temppatch::SavePartFile(const std::string& fileName, int part) const
{
    writeFileAtomically(fileName, refreshedPartBytes(part));
}

bool t505temppatch::LoadPartFile(const std::string& fileName, int part)
{
    if (!isPart(part))
        return false;
    const Bytes file = readWholeFile(fileName);
    const SysexFileCheck check = checkSysexFileAs(
        file, part == RhythmPart ? SysexFileKind::RhythmPartFile : SysexFileKind::PartFile);
    return check.ok() && LoadPartBlock(check.block(file), part);
}

bool t505temppatch::LoadPartBlock(ByteView block, int part)
{
    if (!isPart(part) || block.size() != partBlockSize(part))
        return false;
    const std::size_t start = partBlockOffset(part);
    if (m_bytes.size() < start + block.size())
        return false;
    std::copy(block.begin(), block.end(), m_bytes.begin() + std::ptrdiff_t(start));
    if (part != RhythmPart)
        for (std::size_t pos : PartNumberPositions)
            m_bytes[start + pos] = std::uint8_t(part);
    return true;
}

void t505temppatch::SetPartNumber(int part)
{
    for (std::size_t pos : PartNumberPositions)
        if (pos < m_bytes.size())
            m_bytes[pos] = std::uint8_t(part);
}

void t505temppatch::ConvertModel()
{
    ConversionResult result = convertModel(m_bytes);
    if (auto* error = std::get_if<ConversionError>(&result))
        throw std::invalid_argument(error->message);
    m_bytes = std::move(std::get<Bytes>(result));
}

void t505temppatch::SaveAsMidiFile(const std::string& fileName) const
{
    std::string name = fileName;
    const bool hasMid = name.size() >= 4 && name.compare(name.size() - 4, 4, ".mid") == 0;
    if (!hasMid)
        name += ".mid";
    const Bytes bytes = refreshedBytes();
    const BlockCheck check =
        checkBlock(bytes, BlockKind::Image, 0, MessageOrder::AsLaidOut, ChecksumRule::Required);
    if (!check.ok())
        throw std::invalid_argument("The image is not an 8 part image of the MC-505 (" +
                                    check.problem + "): no MIDI file was written");
    writeFileAtomically(name, midiFileBytes(bytes));
}

void t505temppatch::SavePartAsMidiFile(const std::string& fileName, int part) const
{
    const Bytes bytes = refreshedPartBytes(part);
    const BlockCheck check = checkBlock(bytes, blockKindOfPart(part), part, MessageOrder::AsLaidOut,
                                        ChecksumRule::Required);
    if (!isPart(part) || !check.ok())
        throw std::invalid_argument("The part is not a well-formed part of the MC-505 (" +
                                    (isPart(part) ? check.problem : std::string("no such part")) +
                                    "): no MIDI file was written");
    writeFileAtomically(fileName, midiFileBytes(bytes));
}

} // namespace dorvane
