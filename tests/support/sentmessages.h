// SPDX-License-Identifier: GPL-3.0-or-later
// Reading back exactly what a loopback device was sent since the last look.
// Once the sender has nothing left, a marker (Active Sensing) goes out behind
// the rest on the port and is waited for, so "nothing was sent" is seen as
// surely as "this was sent".
#pragma once

#include "midi/loopbackdriver.h"
#include "midi/midisender.h"
#include "midi/tmidioutput.h"
#include "support/testutil.h"

#include <QTest>

#include <string>
#include <vector>

namespace dorvane::test {

constexpr std::uint8_t SentMarker = 0xFE;

// The raw messages, or nothing when the marker never came.
inline std::optional<std::vector<Bytes>> takeSentRaw(LoopbackDriver& driver, TMidiOutput& output,
                                                     const std::string& device,
                                                     int timeoutMs = 5000)
{
    output.SendShortMessage(SentMarker, 0, 0);
    std::vector<Bytes> got;
    const bool came = QTest::qWaitFor(
        [&] {
            got = driver.sent(device);
            return !got.empty() && got.back() == Bytes{SentMarker};
        },
        timeoutMs);
    if (!came)
        return std::nullopt;
    driver.clearSent(device);
    got.pop_back();
    return got;
}

// Each message as hex, once the sender is idle; a line saying what went wrong otherwise.
inline std::vector<std::string> takeSent(LoopbackDriver& driver, TMidiOutput& output,
                                         MidiSender& sender, const std::string& device)
{
    if (!QTest::qWaitFor([&] { return sender.IsIdle(); }, 5000))
        return {"(the sender never finished)"};
    if (!output.IsOpen())
        return {};
    const auto got = takeSentRaw(driver, output, device);
    if (!got)
        return {"(the marker never came)"};
    std::vector<std::string> out;
    for (const Bytes& m : *got)
        out.push_back(hex(m));
    return out;
}

} // namespace dorvane::test
