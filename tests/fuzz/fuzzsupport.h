// SPDX-License-Identifier: GPL-3.0-or-later
// What every fuzz target needs: a property check that stops the run with the
// property's text (libFuzzer keeps the input that broke it), and a reader of
// the MIDI files the export writes, strict about every event.
#pragma once

#include "patch/layout.h"
#include "patch/rolandmessage.h"

#include <cstdio>
#include <cstdlib>

#define FUZZ_REQUIRE(condition)                                                                    \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace dorvane::fuzz {

// Every byte belongs to a complete F0 ... F7 message with 7-bit bytes between.
inline bool isCompleteSysex(ByteView b)
{
    bool inside = false;
    for (std::uint8_t v : b) {
        if (!inside) {
            if (v != SysexStart)
                return false;
            inside = true;
        } else if (v == SysexEnd) {
            inside = false;
        } else if (v & 0x80) {
            return false;
        }
    }
    return !inside;
}

inline std::uint32_t readVariableLength(ByteView f, std::size_t& at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        FUZZ_REQUIRE(at < f.size());
        const std::uint8_t b = f[at++];
        value = (value << 7) | (b & 0x7F);
        if (!(b & 0x80))
            return value;
    }
    FUZZ_REQUIRE(!"a variable-length number of more than four bytes");
    return 0;
}

// The sysex messages a format-0 file of the export carries, F0 to F7, in
// order. Anything a sequencer would choke on stops the run: a wrong header or
// track length, an event after time 0, a sysex event that does not end in F7
// or carries a byte of 80 or more.
inline Bytes sysexOfMidiFile(ByteView f)
{
    static const std::uint8_t head[] = {'M', 'T', 'h', 'd', 0,    0,   0,   6,   0,
                                        0,   0,   1,   0,   0x78, 'M', 'T', 'r', 'k'};
    FUZZ_REQUIRE(f.size() >= sizeof head + 4);
    for (std::size_t i = 0; i < sizeof head; ++i)
        FUZZ_REQUIRE(f[i] == head[i]);
    const std::size_t length = std::size_t(f[18]) << 24 | std::size_t(f[19]) << 16 |
                               std::size_t(f[20]) << 8 | std::size_t(f[21]);
    FUZZ_REQUIRE(length == f.size() - 22);
    Bytes messages;
    std::size_t at = 22;
    bool ended = false;
    while (at < f.size()) {
        FUZZ_REQUIRE(!ended);
        FUZZ_REQUIRE(readVariableLength(f, at) == 0);
        FUZZ_REQUIRE(at < f.size());
        const std::uint8_t status = f[at++];
        if (status == 0xFF) {
            FUZZ_REQUIRE(at < f.size());
            const std::uint8_t type = f[at++];
            const std::uint32_t n = readVariableLength(f, at);
            FUZZ_REQUIRE(at + n <= f.size());
            at += n;
            ended = type == 0x2F;
            continue;
        }
        FUZZ_REQUIRE(status == SysexStart);
        const std::uint32_t n = readVariableLength(f, at);
        FUZZ_REQUIRE(n >= 1 && at + n <= f.size());
        messages.push_back(SysexStart);
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint8_t b = f[at + i];
            FUZZ_REQUIRE(i + 1 == n ? b == SysexEnd : (b & 0x80) == 0);
            messages.push_back(b);
        }
        at += n;
    }
    FUZZ_REQUIRE(ended);
    return messages;
}

} // namespace dorvane::fuzz
