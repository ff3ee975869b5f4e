// SPDX-License-Identifier: GPL-3.0-or-later
// What the instrument itself does with the messages it receives, as plain
// state: it keeps its own temporary patch area, applies every Data Set message
// addressed to it (checksum and framing checked; anything else is ignored, as
// the hardware does), answers the three Data Requests with the Data Set
// messages of the requested block in image order, a request for bytes inside
// one message (part 1's name, say) with one Data Set of those bytes, and the
// universal Identity Request with the built-in instrument's identity; it
// counts the rest.
// A start image whose messages come in another order is put in place first,
// so that every later Data Set lands inside the message it addresses.
#pragma once

#include "patch/layout.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace dorvane {

struct InstrumentCounts
{
    int dataSetsApplied = 0;
    int dataSetsIgnored = 0; // wrong checksum, foreign model or an address outside the area
    int requestsAnswered = 0;
    int requestsUnknown = 0; // Data Requests for nothing the area holds in one piece
    int identityRequests = 0;
    int notes = 0;       // note-ons and note-offs
    int controllers = 0; // control changes
    int programChanges = 0;
    int otherMessages = 0;
};

class InstrumentState
{
public:
    explicit InstrumentState(Bytes image);

    // One complete MIDI message (short or sysex). Returns the messages the
    // instrument sends back, each a complete Data Set message or its identity
    // reply.
    std::vector<Bytes> receive(ByteView message);

    // The area as the instrument holds it, with its checksums up to date.
    const Bytes& image() const { return m_image; }
    const InstrumentCounts& counts() const { return m_counts; }

private:
    bool applyDataSet(ByteView message);
    std::vector<Bytes> answerRequest(ByteView message);
    // The Data Set of the bytes a request names, when they lie in one message.
    std::optional<Bytes> answerPiece(ByteView message) const;

    Bytes m_image;
    InstrumentCounts m_counts;
};

} // namespace dorvane
