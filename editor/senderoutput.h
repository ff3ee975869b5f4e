// SPDX-License-Identifier: GPL-3.0-or-later
// The edit session's messages leave through the window's sender: an edit at
// once, so the instrument hears it before the window redraws; the rest queued.
#pragma once

#include "midi/midisender.h"
#include "session/editoutput.h"

#include <utility>

namespace dorvane {

class SenderEditOutput final : public EditOutput
{
public:
    explicit SenderEditOutput(MidiSender& sender) : m_sender(sender) {}

    void sendNow(Bytes message) override { m_sender.SendLongNow(std::move(message)); }
    void send(Bytes message) override { m_sender.SendLong(std::move(message)); }
    void offer(Bytes message) override { m_sender.SendLatest(std::move(message)); }

private:
    MidiSender& m_sender;
};

} // namespace dorvane
