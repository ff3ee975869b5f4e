// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's copy of the instrument's temporary patch area: 9054 bytes of
// MC-505 Data Set messages, read and written byte by byte at computed positions.
// Nothing is decoded into fields; parts move as the raw message bytes.
//
// The image never reads or writes outside its own bytes, whatever it holds: a
// read outside gives 0 and a write outside changes nothing, so a short or empty
// image is harmless. Checksums in the image are refreshed only by
// UpdateChecksums, UpdateAllChecksums, PartBytes and AllBytes; whatever leaves
// for a file goes with fresh checksums, since an edit leaves them stale and
// the instrument drops a message whose checksum is wrong.
#pragma once

#include "patch/layout.h"

#include <string>
#include <string_view>

namespace dorvane {

class t505temppatch
{
public:
    t505temppatch() = default;

    std::uint8_t ReadByte(int part, int area, int offset) const;
    void WriteByte(int part, int area, int offset, int value);

    // One wave index from Wave Group ID and the two wave-number nibbles.
    int ReadWave(int part, int area) const;
    void WriteWave(int part, int area, int wave);

    std::string GetPatchName(int part) const;
    void SetPatchName(int part, std::string_view name);

    void UpdateChecksums(int part);
    void UpdateAllChecksums();

    // Checksums refreshed, then the block (650 or 4504 bytes) or the whole image.
    Bytes PartBytes(int part);
    Bytes AllBytes();

    // Replace the whole image with whatever the file holds; callers that load
    // a musician's file check it first (checkSysexFileAs).
    void LoadFromFile(const std::string& fileName);
    void LoadFromStream(const t505temppatch& other);
    void LoadFromBytes(ByteView bytes);

    // The whole image, or one part's block, with every checksum refreshed;
    // the image itself is left as it is.
    Bytes refreshedBytes() const;
    Bytes refreshedPartBytes(int part) const;

    // Writes refreshedBytes(), atomically.
    void SaveToFile(const std::string& fileName) const;

    std::size_t Size() const { return m_bytes.size(); }
    const Bytes& bytes() const { return m_bytes; }

    // The part's block with fresh checksums, atomically written.
    void SavePartFile(const std::string& fileName, int part) const;
    // Loads a part file (a normal part's five messages, or part R's 65) into
    // the part's block and returns true. A file that is not that part's kind of
    // file, a part that has no block of its own, or an image too short to hold
    // the block leaves the image unchanged and returns false.
    bool LoadPartFile(const std::string& fileName, int part);
    // The same for a block already checked (a part file's bytes): a normal
    // part's block is renumbered to the part it lands on.
    bool LoadPartBlock(ByteView block, int part);
    // On an image holding one part file: the part number in its five messages.
    void SetPartNumber(int part);

    // Converts the image between MC-505 and SuperJV/XP framing; throws
    // std::invalid_argument (image unchanged) for data the conversion does not fit.
    void ConvertModel();

    // Standard MIDI File of the whole image (".mid" appended unless the name ends
    // in exactly ".mid") or of one part (name kept as given), checksums
    // refreshed. Throws std::invalid_argument, writing nothing, when the image
    // or part is not well formed: a sequencer would send it as it stands.
    void SaveAsMidiFile(const std::string& fileName) const;
    void SavePartAsMidiFile(const std::string& fileName, int part) const;

    // The part's block as stored, clipped to what the image holds.
    ByteView partView(int part) const;

private:
    void storeChecksum(std::size_t messageStart, std::size_t dataSize, int addressSum);

    Bytes m_bytes;
};

} // namespace dorvane
