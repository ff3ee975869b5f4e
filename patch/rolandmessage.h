// SPDX-License-Identifier: GPL-3.0-or-later
// Roland system-exclusive framing: the checksum, Data Set headers, the
// one-parameter builders and the Data Request messages, as pure functions that
// return the bytes. Sending them is the MIDI layer's business.
#pragma once

#include "patch/layout.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

enum TSynth
{
    tsJVXP = 0,
    tsMC505 = 1
};

constexpr std::uint8_t SysexStart = 0xF0;
constexpr std::uint8_t SysexEnd = 0xF7;
constexpr std::uint8_t RolandId = 0x41;
// The device ID the instrument answers to unless it was set to another.
constexpr std::uint8_t DeviceId = 0x10;
constexpr std::uint8_t DataSetCommand = 0x12;
constexpr std::uint8_t DataRequestCommand = 0x11;
// The first address byte of the temporary patch area; the second names the part.
constexpr std::uint8_t TempPatchArea = 0x02;

using Address = std::array<std::uint8_t, 4>;

// (128 - (sum mod 128)) mod 128 over the address and data bytes given.
std::uint8_t Checksum(ByteView body);

// F0 41 10 00 0B 12 for the MC-505, F0 41 10 6A 12 for the SuperJV/XP family.
Bytes DataSetHeader(TSynth synth);

// Header + address + data + checksum + F7.
Bytes dataSetMessage(TSynth synth, const Address& address, ByteView data);

// One parameter: a value below 128 is one data byte, 128 or more two (value / 16, value % 16).
Bytes parameterMessage(TSynth synth, const Address& address, int value);

// A wave choice at offset 1 of a tone or drum note: 00, group ID, number / 16, number % 16,
// with group ID 2 from index 255 on (the image switches one index later).
Bytes waveMessage(TSynth synth, std::uint8_t a1, std::uint8_t a2, std::uint8_t a3, int wave);

// A patch name at offset 0, padded with blanks to 12 characters and never cut.
Bytes nameMessage(TSynth synth, std::string_view name, std::uint8_t a1, std::uint8_t a2);

// Data Request (RQ1) messages for the whole temporary patch area, one normal part, part R.
Bytes requestAllMessage();
Bytes requestPartMessage(int part);
Bytes requestRhythmMessage();
// The request for a part number as the image counts them (0..6 or 9).
Bytes requestMessageForPart(int part);

// The sysex messages of a byte run: each starts at an F0 and runs to the next F7
// (inclusive). Bytes outside F0..F7 are skipped; an unterminated tail is returned
// as it stands, so callers can tell it apart (it does not end in F7).
std::vector<ByteView> splitSysex(ByteView bytes);

// A Data Set message of either model, taken apart.
struct DataSetView
{
    TSynth synth;
    std::uint8_t device;
    Address address;
    ByteView data;
    std::uint8_t checksum;
};
std::optional<DataSetView> parseDataSet(ByteView message);

// Recomputes the checksum of every Data Set message in the bytes from the
// message's own address and data; other bytes are left alone.
void refreshChecksums(std::span<std::uint8_t> bytes);

// Puts `device` into the header of every MC-505 message (Data Set or Data
// Request) in the bytes; other messages are left alone. The device ID is
// outside the checksum, which stays as it was.
void stampDeviceId(std::span<std::uint8_t> bytes, std::uint8_t device);

// The device IDs the Roland Data Set messages in the bytes carry, lowest first.
std::vector<std::uint8_t> deviceIds(ByteView bytes);

// The image's parts (0..6, RhythmPart) that the MC-505 Data Set messages in
// the bytes write to, each once, in the order first met: addresses 02 <part>
// of the temporary patch area. Effects, system and anything else name none.
std::vector<int> partsAddressed(ByteView bytes);

// "02 00 10 00": an address as it is written in the instrument's documentation.
std::string addressText(const Address& address);

// Bytes as hex pairs with one blank between: "F0 41 10".
std::string hexBytes(ByteView bytes);

} // namespace dorvane
