// SPDX-License-Identifier: GPL-3.0-or-later
// One run of tests/support/jackinstrument.py: a stand-in MC-505 on the JACK
// server the test started, written on python-rtmidi. It answers Data Requests
// with the messages of an image file and keeps what it was sent.
#pragma once

#include <QProcess>
#include <QStringList>

#include <cstdint>
#include <string>
#include <vector>

namespace dorvane::test {

class JackInstrumentPeer
{
public:
    // Extra arguments as the script takes them (--shuffle, --silent, --rate N, --name N,
    // --identity HEX, --device-id HEX, --drop/--corrupt KIND, --delay-ms N, --echo,
    // --vanish-ms N, --return-ms N, --vanish-after N, --vanish-after-received N, --away-ms N,
    // --corrupt-received N:OFFSET:VALUE or
    // @ADDRESS:OFFSET:VALUE, --drop-received N). It keeps the Data Sets it is sent, as the
    // instrument does.
    JackInstrumentPeer(const std::string& imageFile, const QStringList& extra = {});
    ~JackInstrumentPeer();
    JackInstrumentPeer(const JackInstrumentPeer&) = delete;
    JackInstrumentPeer& operator=(const JackInstrumentPeer&) = delete;

    // The ports are open and the peer listens.
    bool ready() const { return m_ready; }
    // The next line the peer prints ("ANSWERED 100"), or empty after the time.
    std::string readLine(int timeoutMs);

    struct Message
    {
        std::vector<std::uint8_t> bytes;
        double at; // seconds after the first message
    };
    // Ends the peer and gives every message it received.
    std::vector<Message> finish(int timeoutMs = 10000);

private:
    QProcess m_process;
    bool m_ready = false;
};

} // namespace dorvane::test
