// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/midifileread.h"

#include "patch/rolandmessage.h"

#include <algorithm>
#include <optional>
#include <tuple>

namespace dorvane {

namespace {

constexpr std::uint8_t MetaEvent = 0xFF;
constexpr std::uint8_t EndOfTrack = 0x2F;
// A variable-length quantity holds at most 28 bits in four bytes.
constexpr int LongestQuantity = 4;

class Reader
{
public:
    Reader(ByteView bytes, std::size_t from, std::size_t end)
        : m_bytes(bytes), m_at(from), m_end(end)
    {
    }

    std::size_t at() const { return m_at; }
    bool atEnd() const { return m_at >= m_end; }
    std::size_t left() const { return m_end - m_at; }

    std::optional<std::uint8_t> byte()
    {
        if (atEnd())
            return std::nullopt;
        return m_bytes[m_at++];
    }
    std::optional<std::uint32_t> quantity()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < LongestQuantity; ++i) {
            const auto b = byte();
            if (!b)
                return std::nullopt;
            value = (value << 7) | (*b & 0x7F);
            if (!(*b & 0x80))
                return value;
        }
        return std::nullopt;
    }
    std::optional<ByteView> take(std::size_t count)
    {
        if (count > left())
            return std::nullopt;
        const ByteView out = m_bytes.subspan(m_at, count);
        m_at += count;
        return out;
    }

private:
    ByteView m_bytes;
    std::size_t m_at;
    std::size_t m_end;
};

std::uint32_t bigEndian(ByteView b)
{
    std::uint32_t v = 0;
    for (std::uint8_t x : b)
        v = (v << 8) | x;
    return v;
}

std::string at(std::size_t position, const std::string& what)
{
    return "byte " + std::to_string(position) + ": " + what;
}

struct Timed
{
    std::uint64_t time;
    std::size_t track;
    std::size_t order;
    MidiFileSysex::Message message;
};

// One track's sysex messages, or why the track cannot be read.
std::string readTrack(ByteView bytes, std::size_t from, std::size_t end, std::size_t track,
                      std::vector<Timed>& out)
{
    Reader r(bytes, from, end);
    std::uint64_t time = 0;
    std::optional<std::uint8_t> running;
    std::optional<Timed> pending; // a message continued by F7 packets
    auto finish = [&](Timed t) {
        t.order = out.size();
        out.push_back(std::move(t));
    };
    while (!r.atEnd()) {
        const std::size_t eventAt = r.at();
        const auto delta = r.quantity();
        if (!delta)
            return at(eventAt, "a delta time runs past its four bytes or the track");
        time += *delta;
        const std::size_t statusAt = r.at();
        auto status = r.byte();
        if (!status)
            return at(statusAt, "the track ends inside an event");
        if (*status < 0x80) {
            if (!running)
                return at(statusAt, "a data byte with no status before it");
            status = running;
            r = Reader(bytes, statusAt, end);
        }
        if (*status == MetaEvent) {
            running.reset();
            const auto type = r.byte();
            const auto length = r.quantity();
            if (!type || !length || !r.take(*length))
                return at(statusAt, "a meta event runs past the end of its track");
            if (*type == EndOfTrack)
                break;
        } else if (*status == SysexStart || *status == SysexEnd) {
            running.reset();
            const auto length = r.quantity();
            const std::size_t dataAt = r.at();
            const auto data = length ? r.take(*length) : std::nullopt;
            if (!data)
                return at(statusAt, "a system-exclusive event runs past the end of its track");
            if (*status == SysexStart) {
                if (pending)
                    finish(std::move(*pending)); // never ended: kept as it is, incomplete
                Timed t{time, track, 0, {{SysexStart}, statusAt, dataAt, false}};
                pending = std::move(t);
            } else if (pending) {
                pending->message.bytes.insert(pending->message.bytes.end(), data->begin(),
                                              data->end());
            } else if (!data->empty() && data->front() == SysexStart) {
                // A whole message sent "as is" in an escape: as good as an F0 event.
                Timed t{time, track, 0, {{}, statusAt, dataAt + 1, false}};
                t.message.bytes.assign(data->begin(), data->end());
                t.message.complete = t.message.bytes.back() == SysexEnd;
                finish(std::move(t));
                continue;
            } else {
                continue; // other bytes sent as they stand: no message of ours
            }
            if (*status == SysexStart)
                pending->message.bytes.insert(pending->message.bytes.end(), data->begin(),
                                              data->end());
            if (!pending->message.bytes.empty() && pending->message.bytes.back() == SysexEnd) {
                pending->message.complete = true;
                finish(std::move(*pending));
                pending.reset();
            }
        } else if (*status >= 0xF0) {
            return at(statusAt, "a system message that has no place in a MIDI file");
        } else {
            running = status;
            const int dataBytes = (*status & 0xF0) == 0xC0 || (*status & 0xF0) == 0xD0 ? 1 : 2;
            for (int i = 0; i < dataBytes; ++i) {
                const auto b = r.byte();
                if (!b)
                    return at(statusAt, "the track ends inside an event");
                if (*b >= 0x80)
                    return at(r.at() - 1, "a status byte inside a channel message");
            }
        }
    }
    if (pending)
        finish(std::move(*pending));
    return {};
}

} // namespace

bool looksLikeMidiFile(ByteView bytes)
{
    static constexpr std::uint8_t Header[] = {'M', 'T', 'h', 'd'};
    return bytes.size() >= 4 && std::equal(bytes.begin(), bytes.begin() + 4, Header);
}

MidiFileSysex readMidiFileSysex(ByteView bytes)
{
    MidiFileSysex result;
    constexpr std::size_t ChunkHeader = 8;
    constexpr std::size_t HeaderData = 6;
    if (!looksLikeMidiFile(bytes) || bytes.size() < ChunkHeader + HeaderData) {
        result.problem = at(0, "no MIDI file header (MThd with its six bytes)");
        return result;
    }
    const std::uint32_t headerLength = bigEndian(bytes.subspan(4, 4));
    if (headerLength < HeaderData || headerLength > bytes.size() - ChunkHeader) {
        result.problem =
            at(4, "the MIDI file header claims " + std::to_string(headerLength) + " bytes");
        return result;
    }
    const std::uint32_t format = bigEndian(bytes.subspan(8, 2));
    if (format > 1) {
        result.problem = at(8, "a MIDI file of format " + std::to_string(format) +
                                   " (only formats 0 and 1 are read)");
        return result;
    }
    const std::uint32_t tracks = bigEndian(bytes.subspan(10, 2));
    std::vector<Timed> found;
    std::size_t pos = ChunkHeader + headerLength;
    std::size_t tracksRead = 0;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < ChunkHeader) {
            result.problem = at(pos, "the file is cut short inside a chunk header");
            return result;
        }
        const ByteView id = bytes.subspan(pos, 4);
        const std::uint32_t length = bigEndian(bytes.subspan(pos + 4, 4));
        const std::size_t start = pos + ChunkHeader;
        if (length > bytes.size() - start) {
            result.problem = at(pos, "a chunk claims " + std::to_string(length) + " bytes, " +
                                         std::to_string(bytes.size() - start) + " follow");
            return result;
        }
        if (std::equal(id.begin(), id.end(), "MTrk")) {
            const std::string problem = readTrack(bytes, start, start + length, tracksRead, found);
            if (!problem.empty()) {
                result.problem = problem;
                return result;
            }
            ++tracksRead;
        }
        pos = start + length;
    }
    if (tracksRead != tracks) {
        result.problem = at(10, "the header names " + std::to_string(tracks) +
                                    " tracks, the file holds " + std::to_string(tracksRead));
        return result;
    }
    std::stable_sort(found.begin(), found.end(), [](const Timed& a, const Timed& b) {
        return std::tie(a.time, a.track, a.order) < std::tie(b.time, b.track, b.order);
    });
    for (Timed& t : found)
        result.messages.push_back(std::move(t.message));
    return result;
}

} // namespace dorvane
