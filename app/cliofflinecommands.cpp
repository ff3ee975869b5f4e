// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cliofflinecommands.h"

#include "patch/fileio.h"
#include "patch/imagecheck.h"
#include "patch/midifile.h"
#include "patch/modelconversion.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"
#include "transfer/sendcheck.h"

#include <ostream>
#include <stdexcept>

namespace dorvane::cli {

namespace {

std::string partLabel(int part)
{
    return part == RhythmPart ? "R" : std::to_string(part + 1);
}

// Reads a file, or says on err why not.
std::optional<Bytes> readInput(const std::string& file, std::ostream& err)
{
    try {
        return readWholeFile(file);
    } catch (const FileError& e) {
        err << e.what() << '\n';
        return std::nullopt;
    }
}

bool writeOutput(const std::string& file, ByteView bytes, std::ostream& err)
{
    try {
        writeFileAtomically(file, bytes);
        return true;
    } catch (const FileError& e) {
        err << e.what() << '\n';
        return false;
    }
}

// The image in an image file (after its leading block, if any), or a line on
// err saying what is wrong with the file and where.
std::optional<t505temppatch> readImage(const std::string& file, std::ostream& err)
{
    const auto bytes = readInput(file, err);
    if (!bytes)
        return std::nullopt;
    const SysexFileCheck check = checkSysexFileAs(*bytes, SysexFileKind::Image);
    if (!check.ok()) {
        err << file << ": " << bytes->size()
            << " bytes, not an image of this instrument: " << check.problem() << '\n';
        return std::nullopt;
    }
    t505temppatch image;
    image.LoadFromBytes(check.block(*bytes));
    return image;
}

// A MIDI file, or a line on err: the export refuses what is not well formed.
std::optional<Bytes> midiFile(ByteView bytes, std::ostream& err)
{
    try {
        return midiFileBytes(bytes);
    } catch (const std::invalid_argument& e) {
        err << e.what() << '\n';
        return std::nullopt;
    }
}

bool isSysex(ByteView bytes)
{
    if (bytes.empty())
        return false;
    std::size_t covered = 0;
    const auto messages = splitSysex(bytes);
    for (ByteView m : messages)
        covered += m.size();
    return covered == bytes.size() && messages.back().back() == SysexEnd;
}

std::string hexText(std::uint8_t b)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    return {Hex[b >> 4], Hex[b & 0x0F]};
}

// The checksum lines of info: every wrong checksum by address, every broken
// message by position. "All right" only for messages that were judged.
void checksumReport(ByteView bytes, std::ostream& out)
{
    const auto messages = splitSysex(bytes);
    const auto problems = checksumProblems(bytes);
    std::size_t judged = 0;
    for (ByteView m : messages)
        judged += parseDataSet(m).has_value();
    if (problems.empty()) {
        out << "  checksums: all right (" << judged << " messages";
        if (judged != messages.size())
            out << "; " << messages.size() - judged << " of another kind not judged";
        out << ")\n";
        return;
    }
    out << "  checksums: " << problems.size() << " of " << messages.size() << " messages wrong\n";
    for (const auto& p : problems)
        out << "    "
            << (p.address ? addressText(*p.address) : "at byte " + std::to_string(p.offset)) << ": "
            << p.what << '\n';
}

// The device IDs the messages carry; one that is not what they are sent
// with is said, since the instrument ignores messages for another device.
void deviceReport(ByteView bytes, std::ostream& out)
{
    const std::vector<std::uint8_t> ids = deviceIds(bytes);
    if (ids.empty())
        return;
    out << (ids.size() == 1 ? "  device ID: " : "  device IDs: ");
    for (std::size_t i = 0; i < ids.size(); ++i)
        out << (i ? ", " : "") << hexText(ids[i]);
    if (ids != std::vector<std::uint8_t>{DeviceId})
        out << " (sent with device ID " << hexText(DeviceId) << ")";
    out << '\n';
}

// A name from a file is the file's, not ours: its bytes reach the terminal
// only as printable characters, the rest written as \xNN, so a name holding
// control bytes cannot steer the terminal.
std::string printable(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u == '\\' || u == '"') {
            out += '\\';
            out += c;
        } else if (u >= 0x20 && u < 0x7F) {
            out += c;
        } else {
            static constexpr char Hex[] = "0123456789ABCDEF";
            out += "\\x";
            out += Hex[u >> 4];
            out += Hex[u & 0x0F];
        }
    }
    return out;
}

} // namespace

std::optional<int> parsePart(const std::string& text, bool allowRhythm)
{
    if (allowRhythm && (text == "R" || text == "r"))
        return RhythmPart;
    if (text.size() == 1 && text[0] >= '1' && text[0] <= '7')
        return text[0] - '1';
    return std::nullopt;
}

int info(const std::vector<std::string>& files, std::ostream& out, std::ostream& err)
{
    int status = 0;
    bool anyWellFormed = false;
    for (const auto& file : files) {
        const auto bytes = readInput(file, err);
        if (!bytes) {
            status = 1;
            continue;
        }
        const SysexFileCheck check = checkSysexFile(*bytes);
        out << file << ": " << bytes->size() << " bytes, ";
        if (!check.ok()) {
            // Nothing read from a file that is not one of ours: names would be made up.
            out << "not an image of this instrument: " << check.problem() << '\n';
            if (isSysex(*bytes)) {
                checksumReport(*bytes, out);
                deviceReport(*bytes, out);
            } else
                out << "  not a sysex file: "
                    << sysexFileProblem(*bytes).value_or("it must be complete F0 ... F7 messages")
                    << '\n';
            continue;
        }
        anyWellFormed = true;
        out << kindText(check.kind) << '\n';

        const ByteView view = check.block(*bytes);
        t505temppatch image;
        std::vector<int> parts;
        switch (check.kind) {
        case SysexFileKind::Image:
        case SysexFileKind::ImageWithLeadingBlock:
            image.LoadFromBytes(view);
            parts = {0, 1, 2, 3, 4, 5, 6, RhythmPart};
            break;
        case SysexFileKind::PartFile:
            image.LoadFromBytes(view);
            parts = {0};
            break;
        case SysexFileKind::RhythmPartFile: {
            // A part R file sits at the rhythm block's place in an image.
            Bytes padded(RhythmBlockOffset, 0);
            padded.insert(padded.end(), view.begin(), view.end());
            image.LoadFromBytes(padded);
            parts = {RhythmPart};
            break;
        }
        case SysexFileKind::Other:
            break;
        }
        for (int p : parts) {
            out << "  ";
            if (parts.size() > 1)
                out << "part " << partLabel(p) << ": ";
            out << '"' << printable(image.GetPatchName(p)) << "\"\n";
        }
        checksumReport(view, out);
        deviceReport(view, out);
    }
    return anyWellFormed ? status : 1;
}

int fixChecksums(const std::string& in, const std::string& outFile, std::ostream& err)
{
    const auto bytes = readInput(in, err);
    if (!bytes)
        return 1;
    if (!isSysex(*bytes)) {
        // The same words, and the same byte named, as send gives for this file.
        err << in << " is not a sysex file: "
            << sysexFileProblem(*bytes).value_or("it must be complete F0 ... F7 messages") << '\n';
        return 1;
    }
    // A broken message has no checksum a refresh could mend: writing the file
    // anyway would pass it off as right.
    for (const auto& p : checksumProblems(*bytes))
        if (p.broken) {
            err << in << ": the message at byte " << p.offset << " cannot be made right (" << p.what
                << ")\n";
            return 1;
        }
    Bytes fixed = *bytes;
    refreshChecksums(fixed);
    if (const auto left = checksumProblems(fixed); !left.empty()) {
        err << in << ": the message at byte " << left.front().offset << " cannot be made right ("
            << left.front().what << ")\n";
        return 1;
    }
    return writeOutput(outFile, fixed, err) ? 0 : 1;
}

int exportMid(const std::string& in, const std::string& outFile, std::optional<int> part,
              std::ostream& err)
{
    const auto image = readImage(in, err);
    if (!image)
        return 1;
    // Checksums refreshed: a sequencer sends the file as it stands.
    const Bytes bytes = part ? image->refreshedPartBytes(*part) : image->refreshedBytes();
    const auto midi = midiFile(bytes, err);
    return midi && writeOutput(outFile, *midi, err) ? 0 : 1;
}

int convert(const std::string& in, const std::string& outFile, std::ostream& out, std::ostream& err)
{
    const auto bytes = readInput(in, err);
    if (!bytes)
        return 1;
    ConversionResult result = convertModel(*bytes);
    if (const auto* e = std::get_if<ConversionError>(&result)) {
        err << in << ": " << e->message << '\n';
        return 1;
    }
    if (!writeOutput(outFile, std::get<Bytes>(result), err))
        return 1;
    out << (conversionDirection(*bytes) == ConversionDirection::ToMC505 ? "SuperJV/XP -> MC-505"
                                                                        : "MC-505 -> SuperJV/XP")
        << ": waveforms are not mapped; choose them again on the instrument\n";
    return 0;
}

int extractPart(const std::string& in, const std::string& outFile, int part,
                std::optional<int> asPart, std::ostream& err)
{
    if (asPart && part == RhythmPart) {
        err << "--as applies to parts 1..7 only\n";
        return 1;
    }
    const auto image = readImage(in, err);
    if (!image)
        return 1;
    t505temppatch file;
    file.LoadFromBytes(image->refreshedPartBytes(part));
    Bytes bytes = file.bytes();
    if (asPart) {
        file.SetPartNumber(*asPart);
        bytes = file.bytes();
        // The part number is inside every checksum: a renumbered file with the
        // old checksums would be refused by the instrument.
        refreshChecksums(bytes);
    }
    return writeOutput(outFile, bytes, err) ? 0 : 1;
}

} // namespace dorvane::cli
