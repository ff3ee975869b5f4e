// SPDX-License-Identifier: GPL-3.0-or-later
// A drag's messages through the sender: only the newest value for an address
// waits, first offers keep their order, and the release's value is the last.
#include "midi/midisender.h"

#include "loopbacksetup.h"
#include "midi/tmidioutput.h"
#include "patch/parameteraddress.h"
#include "patch/rolandmessage.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace dorvane;
using namespace dorvane::test;

namespace {

struct DragSetup
{
    // `portPace`: the device takes bytes no faster, and the sender leaves the
    // pace to it.
    explicit DragSetup(std::size_t portPace = 0)
    {
        if (portPace) {
            loop.driver->setBytesPerSecond(portPace);
            sender.SetLatestPace(0);
        }
        sender.SetOutput(&port);
        EXPECT_TRUE(port.Open());
    }
    std::vector<Bytes> sent() const { return loop.driver->sent("Loop A"); }
    bool allLeft()
    {
        return waitFor([&] { return sender.IsIdle(); });
    }

    LoopbackSetup loop;
    TMidiOutput port{loop.registry};
    MidiSender sender;
};

// Cutoff of tone `tone` at `value`.
Bytes cutoff(int tone, int value)
{
    return parameterMessage(tsMC505, toneAddress(0, tone, 81), value);
}

} // namespace

TEST(MidiSenderLatest, ABurstForOneAddressLeavesOnlyTheNewestWaiting)
{
    // Held to the cable's pace by the sender, or by a port that paces its device.
    for (const std::size_t portPace : {std::size_t(0), std::size_t(3125)}) {
        SCOPED_TRACE(portPace);
        DragSetup s(portPace);
        s.sender.SendLatest(cutoff(1, 0)); // the wire is free: it goes at once
        for (int v = 1; v <= 30; ++v)
            s.sender.SendLatest(cutoff(1, v));
        EXPECT_EQ(s.sender.QueuedCount(), 1u);
        ASSERT_TRUE(s.allLeft());
        EXPECT_EQ(s.sent(), (std::vector<Bytes>{cutoff(1, 0), cutoff(1, 30)}));
        // The values that never left count as done with, so a transfer that
        // follows the counts still sees its end.
        EXPECT_EQ(s.sender.BytesFinished(), s.sender.BytesGiven());
    }
}

TEST(MidiSenderLatest, AddressesKeepTheOrderOfTheirFirstOfferAndTheReleaseComesLast)
{
    struct Case
    {
        const char* name;
        // tone, value; tone 0: a message elsewhere, -1: tone 1's value sent
        // the ordinary way
        std::vector<std::pair<int, int>> offers;
        std::vector<std::pair<int, int>> wire;
    };
    const Case cases[] = {
        {"two tones", {{1, 0}, {2, 1}, {1, 1}, {2, 2}, {1, 2}, {2, 3}}, {{1, 0}, {2, 3}, {1, 2}}},
        {"release replaces the waiting value",
         {{1, 0}, {2, 1}, {1, 1}, {2, 2}, {1, 2}, {1, 99}},
         {{1, 0}, {2, 2}, {1, 99}}},
        {"an ordinary message keeps its place behind",
         {{1, 0}, {2, 1}, {0, 0}, {2, 5}, {1, 7}},
         {{1, 0}, {2, 5}, {0, 0}, {1, 7}}},
        {"a newer value never goes before an older one for the same bytes",
         {{1, 0}, {1, 1}, {2, 1}, {-1, 50}, {1, 2}, {2, 2}},
         {{1, 0}, {2, 2}, {-1, 50}, {1, 2}}},
    };
    const Bytes bulk = parameterMessage(tsMC505, toneAddress(3, 1, 10), 64);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DragSetup s;
        for (auto [tone, value] : c.offers) {
            if (tone == 0)
                s.sender.SendLongNow(bulk);
            else if (tone < 0)
                s.sender.SendLongNow(cutoff(1, value));
            else
                s.sender.SendLatest(cutoff(tone, value));
        }
        ASSERT_TRUE(s.allLeft());
        std::vector<Bytes> expected;
        for (auto [tone, value] : c.wire)
            expected.push_back(tone == 0 ? bulk : cutoff(std::abs(tone), value));
        EXPECT_EQ(s.sent(), expected);
    }
}

TEST(MidiSenderLatest, SeveralMessagesInOneAreOfferedEachForItself)
{
    DragSetup s;
    s.sender.SendLatest(cutoff(4, 1));
    Bytes both = cutoff(1, 10);
    const Bytes second = cutoff(2, 20);
    both.insert(both.end(), second.begin(), second.end());
    s.sender.SendLatest(both);
    s.sender.SendLatest(cutoff(2, 21));
    ASSERT_TRUE(s.allLeft());
    EXPECT_EQ(s.sent(), (std::vector<Bytes>{cutoff(4, 1), cutoff(1, 10), cutoff(2, 21)}));
}
