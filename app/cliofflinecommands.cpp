// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cliofflinecommands.h"

#include "patch/fileio.h"
#include "patch/imagecheck.h"
#include "patch/midifile.h"
#include "patch/modelconversion.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

#include <ostream>

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

// The 9054 bytes of an image file, skipping the leading block of a 9807-byte one.
std::optional<t505temppatch> readImage(const std::string& file, std::ostream& err)
{
    const auto bytes = readInput(file, err);
    if (!bytes)
        return std::nullopt;
    ByteView view(*bytes);
    const auto kind = classifySysexFile(view);
    if (kind == SysexFileKind::ImageWithLeadingBlock)
        view = view.subspan(LeadingBlockSize);
    else if (kind != SysexFileKind::Image) {
        err << file << ": " << bytes->size()
            << " bytes, not an 8-part image (9054 or 9807 bytes)\n";
        return std::nullopt;
    }
    t505temppatch image;
    image.LoadFromBytes(view);
    return image;
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
    for (const auto& file : files) {
        const auto bytes = readInput(file, err);
        if (!bytes) {
            status = 1;
            continue;
        }
        const SysexFileKind kind = classifySysexFile(*bytes);
        out << file << ": " << bytes->size() << " bytes, " << kindText(kind) << '\n';

        ByteView view(*bytes);
        if (kind == SysexFileKind::ImageWithLeadingBlock)
            view = view.subspan(LeadingBlockSize);
        t505temppatch image;
        std::vector<int> parts;
        switch (kind) {
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
            out << '"' << image.GetPatchName(p) << "\"\n";
        }

        if (!isSysex(view)) {
            out << "  not a sysex file\n";
            continue;
        }
        const auto problems = checksumProblems(view);
        const std::size_t count = splitSysex(view).size();
        if (problems.empty()) {
            out << "  checksums: all right (" << count << " messages)\n";
            continue;
        }
        out << "  checksums: " << problems.size() << " of " << count << " messages wrong\n";
        for (const auto& p : problems)
            out << "    "
                << (p.address ? addressText(*p.address) : "at byte " + std::to_string(p.offset))
                << ": " << p.what << '\n';
    }
    return status;
}

int fixChecksums(const std::string& in, const std::string& outFile, std::ostream& err)
{
    const auto bytes = readInput(in, err);
    if (!bytes)
        return 1;
    if (!isSysex(*bytes)) {
        err << in << ": not a sysex file (it must be complete F0 ... F7 messages)\n";
        return 1;
    }
    Bytes fixed = *bytes;
    refreshChecksums(fixed);
    return writeOutput(outFile, fixed, err) ? 0 : 1;
}

int exportMid(const std::string& in, const std::string& outFile, std::optional<int> part,
              std::ostream& err)
{
    const auto image = readImage(in, err);
    if (!image)
        return 1;
    const ByteView bytes = part ? image->partView(*part) : ByteView(image->bytes());
    return writeOutput(outFile, midiFileBytes(bytes), err) ? 0 : 1;
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
    file.LoadFromBytes(image->partView(part));
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
