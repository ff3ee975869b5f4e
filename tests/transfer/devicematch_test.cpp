// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/devicematch.h"

#include <gtest/gtest.h>

using namespace dorvane;

namespace {
const std::vector<std::string> Devices = {"Midi Through Port-0", "peer:in", "MC-505 (built in)",
                                          "UM-ONE MIDI 1", "UM-ONE MIDI 2"};
}

TEST(DeviceMatch, ByNumberOrByAnyPartOfTheNameInAnyCase)
{
    EXPECT_EQ(matchDevice(Devices, "0", "output").id, 0);
    EXPECT_EQ(matchDevice(Devices, "4", "output").id, 4);
    EXPECT_EQ(matchDevice(Devices, "built IN", "output").id, 2);
    EXPECT_EQ(matchDevice(Devices, "mc-505", "output").id, 2);
    EXPECT_EQ(matchDevice(Devices, "PEER", "output").id, 1);
    // An exact name wins over the longer names it is part of.
    EXPECT_EQ(matchDevice({"Synth", "Synth 2"}, "synth", "input").id, 0);
}

TEST(DeviceMatch, UnknownOrAmbiguousNamesAreRefusedWithAReason)
{
    auto m = matchDevice(Devices, "5", "output");
    EXPECT_FALSE(m.id);
    EXPECT_EQ(m.problem, "there is no output device 5 (there are 5; see dorvane-cli ports)");
    m = matchDevice(Devices, "99999999999999999999", "input");
    EXPECT_FALSE(m.id) << "a number too big for any list is a name nobody has";
    m = matchDevice(Devices, "juno", "input");
    EXPECT_EQ(m.problem, "no input device matches \"juno\" (see dorvane-cli ports)");
    m = matchDevice(Devices, "um-one", "output");
    EXPECT_FALSE(m.id);
    EXPECT_EQ(m.problem, "\"um-one\" matches several output devices: 3 \"UM-ONE MIDI 1\", 4 "
                         "\"UM-ONE MIDI 2\"");
    EXPECT_FALSE(matchDevice(Devices, "", "output").id);
    EXPECT_FALSE(matchDevice({}, "0", "output").id);
}
