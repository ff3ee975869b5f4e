// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/midifile.h"

#include "patch/rolandmessage.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace dorvane {

namespace {

void appendBigEndian32(Bytes& out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v >> 24));
    out.push_back(std::uint8_t(v >> 16));
    out.push_back(std::uint8_t(v >> 8));
    out.push_back(std::uint8_t(v));
}

[[noreturn]] void refuse(std::size_t at, std::uint8_t byte, const char* what)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02X", byte);
    throw std::invalid_argument("byte " + std::to_string(at) + " (" + buf + ") " + what +
                                ": no MIDI file was made");
}

void requireCompleteMessages(ByteView bytes)
{
    bool inside = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t b = bytes[i];
        if (!inside) {
            if (b != SysexStart)
                refuse(i, b, "is outside any sysex message");
            inside = true;
        } else if (b == SysexEnd) {
            inside = false;
        } else if (b & 0x80) {
            refuse(i, b, "is no data byte, inside a sysex message");
        }
    }
    if (inside)
        throw std::invalid_argument(
            "the last sysex message has no end (F7): no MIDI file was made");
}

} // namespace

void appendVariableLength(Bytes& out, std::uint32_t value)
{
    std::uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = std::uint8_t(value & 0x7F);
        value >>= 7;
    } while (value);
    while (n > 1)
        out.push_back(std::uint8_t(groups[--n] | 0x80));
    out.push_back(groups[0]);
}

Bytes midiFileBytes(ByteView messages)
{
    requireCompleteMessages(messages);
    Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0x78, 'M', 'T', 'r', 'k'};
    const std::size_t lengthAt = out.size();
    out.insert(out.end(), 4, 0);
    const std::size_t trackStart = out.size();
    // An empty track name and the port prefix for port 0, as sequencers expect
    // ahead of the data.
    out.insert(out.end(), {0x00, 0xFF, 0x03, 0x00});
    out.insert(out.end(), {0x00, 0xFF, 0x21, 0x01, 0x00});
    out.reserve(out.size() + messages.size() + messages.size() / 16 + 8);
    for (ByteView m : splitSysex(messages)) {
        out.push_back(0x00);
        out.push_back(SysexStart);
        appendVariableLength(out, std::uint32_t(m.size() - 1));
        out.insert(out.end(), m.begin() + 1, m.end());
    }
    out.insert(out.end(), {0x00, 0xFF, 0x2F, 0x00});
    Bytes length;
    appendBigEndian32(length, std::uint32_t(out.size() - trackStart));
    std::copy(length.begin(), length.end(), out.begin() + std::ptrdiff_t(lengthAt));
    return out;
}

} // namespace dorvane
