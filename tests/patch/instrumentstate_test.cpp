// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "patch/instrumentstate.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace dorvane;

namespace {

// The editor's view of the same edits, for comparison.
t505temppatch editorImage()
{
    t505temppatch p;
    p.LoadFromBytes(initialImage());
    return p;
}

Bytes joined(const std::vector<Bytes>& messages)
{
    Bytes out;
    for (const auto& m : messages)
        out.insert(out.end(), m.begin(), m.end());
    return out;
}

} // namespace

TEST(InstrumentState, AppliesDataSetMessagesWhereTheEditorWritesThem)
{
    InstrumentState inst(initialImage());
    t505temppatch ed = editorImage();

    inst.receive(parameterMessage(tsMC505, {0x02, 0x03, 0x12, 81}, 40));
    ed.WriteByte(3, 2, 81, 40);
    inst.receive(parameterMessage(tsMC505, {0x02, 0x09, 35 + 20, 41}, 99));
    ed.WriteByte(9, 20, 41, 99);
    inst.receive(parameterMessage(tsMC505, {0x02, 0x05, 0x00, 48}, 7));
    ed.WriteByte(5, 0, 48, 7);
    inst.receive(waveMessage(tsMC505, 0x02, 0x01, 0x16, 300));
    ed.WriteByte(1, 4, 1, 0);
    ed.WriteWave(1, 4, 300);
    inst.receive(nameMessage(tsMC505, "WARM PAD", 0x02, 0x06));
    ed.SetPatchName(6, "WARM PAD");
    inst.receive(nameMessage(tsMC505, "KIT", 0x02, 0x09));
    ed.SetPatchName(9, "KIT");
    // Offset 128 of a tone lies one step on in the 7-bit address count.
    inst.receive(parameterMessage(tsMC505, {0x02, 0x00, 0x11, 0x00}, 55));
    ed.WriteByte(0, 1, 128, 55);

    EXPECT_EQ(inst.counts().dataSetsApplied, 7);
    EXPECT_EQ(inst.image(), ed.AllBytes());
    EXPECT_TRUE(checksumProblems(inst.image()).empty());
}

TEST(InstrumentState, IgnoresWhatItDoesNotUnderstand)
{
    InstrumentState inst(initialImage());
    const Bytes before = inst.image();
    Bytes badSum = parameterMessage(tsMC505, {0x02, 0x00, 0x10, 81}, 3);
    badSum[11] ^= 1;
    Bytes otherDevice = parameterMessage(tsMC505, {0x02, 0x00, 0x10, 81}, 3);
    otherDevice[2] = 0x11;
    otherDevice[11] = Checksum(test::fromHex("02 00 10 51 03"));
    for (const Bytes& m : {badSum, otherDevice, parameterMessage(tsJVXP, {0x02, 0, 0x10, 81}, 3),
                           parameterMessage(tsMC505, {0x00, 0x00, 0x00, 0x60}, 120),
                           parameterMessage(tsMC505, {0x02, 0x07, 0x00, 0x10}, 1),
                           parameterMessage(tsMC505, {0x02, 0x00, 0x02, 0x00}, 1),
                           test::fromHex("F0 7E 7F 09 01 F7"), test::fromHex("F0 41 10")})
        inst.receive(m);
    EXPECT_EQ(inst.counts().dataSetsIgnored, 8);
    EXPECT_EQ(inst.image(), before);

    inst.receive(test::fromHex("90 3C 60"));
    inst.receive(test::fromHex("80 3C 00"));
    inst.receive(test::fromHex("B0 78 00"));
    inst.receive(test::fromHex("C9 05"));
    inst.receive(test::fromHex("E0 00 40"));
    EXPECT_EQ(inst.counts().notes, 2);
    EXPECT_EQ(inst.counts().controllers, 1);
    EXPECT_EQ(inst.counts().programChanges, 1);
    EXPECT_EQ(inst.counts().otherMessages, 1);
}

TEST(InstrumentState, AnswersTheThreeRequestsInImageOrder)
{
    t505temppatch ed = editorImage();
    ed.SetPatchName(3, "FOUR");
    ed.WriteByte(9, 63, 57, 12);
    InstrumentState inst(ed.AllBytes());

    const auto all = inst.receive(requestAllMessage());
    EXPECT_EQ(all.size(), 100u);
    EXPECT_EQ(joined(all), ed.bytes());
    const auto part = inst.receive(requestPartMessage(3));
    EXPECT_EQ(part.size(), 5u);
    EXPECT_EQ(joined(part), ed.PartBytes(3));
    const auto rhythm = inst.receive(requestRhythmMessage());
    EXPECT_EQ(rhythm.size(), 65u);
    EXPECT_EQ(joined(rhythm), ed.PartBytes(9));
    EXPECT_EQ(inst.counts().requestsAnswered, 3);

    Bytes badRequest = requestPartMessage(2);
    badRequest[14] ^= 1;
    EXPECT_TRUE(inst.receive(badRequest).empty());
    EXPECT_TRUE(inst.receive(requestPartMessage(8)).empty());
    EXPECT_TRUE(inst.receive(test::fromHex("F0 41 10 00 0B 11 02 F7")).empty());
    EXPECT_EQ(inst.counts().requestsAnswered, 3);
    EXPECT_EQ(inst.counts().requestsUnknown, 3) << "requests it does not know are counted";
    EXPECT_EQ(inst.counts().dataSetsIgnored, 0);

    // A whole dump sent back is taken as it is.
    t505temppatch other = editorImage();
    other.SetPatchName(0, "SENT");
    const Bytes sent = other.AllBytes();
    for (ByteView m : splitSysex(sent))
        inst.receive(m);
    EXPECT_EQ(inst.image(), other.bytes());
}

TEST(InstrumentState, StartsNeutralWithoutAUsableImage)
{
    for (const Bytes& b : {Bytes{}, Bytes(9053, 0), test::randomBytes(9054, 2)}) {
        InstrumentState inst(b);
        EXPECT_EQ(inst.image(), initialImage());
    }
}

TEST(InstrumentState, AStartImageInAnotherOrderIsKeptInAddressOrder)
{
    // Every later Data Set and checksum refresh writes at the layout's
    // positions: the start image must be in that layout, not as given.
    const Bytes image = initialImage();
    std::vector<Bytes> messages;
    for (ByteView m : splitSysex(image))
        messages.emplace_back(m.begin(), m.end());
    for (auto [a, b] : {std::pair{1, 2}, std::pair{0, 1}}) {
        std::vector<Bytes> swapped = messages;
        std::swap(swapped[std::size_t(a)], swapped[std::size_t(b)]);
        InstrumentState inst(joined(swapped));
        EXPECT_EQ(inst.image(), image);

        inst.receive(parameterMessage(tsMC505, {0x02, 0x00, 0x10, 0x05}, 77));
        t505temppatch ed = editorImage();
        ed.WriteByte(0, 1, 5, 77);
        const auto all = inst.receive(requestAllMessage());
        EXPECT_EQ(all.size(), 100u);
        EXPECT_EQ(joined(all), ed.AllBytes());
        EXPECT_TRUE(checksumProblems(joined(all)).empty());
    }
}
