// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "patch/modelconversion.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace dorvane;

namespace {

// A SuperJV/XP patch: one 72-byte common and four 127-byte tones at the JV
// temporary patch addresses, on device 11 to see the device byte carried over.
Bytes jvPatch()
{
    Bytes file;
    auto add = [&file](Address a, std::size_t n, std::uint8_t seed) {
        Bytes data(n);
        for (std::size_t i = 0; i < n; ++i)
            data[i] = std::uint8_t((seed + i * 3) & 0x7F);
        Bytes m = dataSetMessage(tsJVXP, a, data);
        m[2] = 0x11;
        file.insert(file.end(), m.begin(), m.end());
    };
    add({0x03, 0x00, 0x00, 0x00}, 72, 1);
    for (std::uint8_t t = 0; t < 4; ++t)
        add({0x03, 0x00, std::uint8_t(0x10 + t * 2), 0x00}, 127, std::uint8_t(10 + t));
    return file;
}

} // namespace

TEST(Conversion, SuperJVToMC505AndBack)
{
    const Bytes jv = jvPatch();
    ASSERT_EQ(conversionDirection(jv), ConversionDirection::ToMC505);
    const auto result = convertModel(jv);
    ASSERT_TRUE(std::holds_alternative<Bytes>(result));
    const Bytes& mc = std::get<Bytes>(result);
    EXPECT_EQ(mc.size(), jv.size() + 5 + 2) << "one byte a message, two in the common";
    EXPECT_EQ(test::hex(Bytes(mc.begin(), mc.begin() + 6)), "F0 41 11 00 0B 12");
    EXPECT_EQ(mc[82], 0x01);
    EXPECT_EQ(mc[83], 0x00);
    EXPECT_EQ(mc[85], 0xF7);
    EXPECT_TRUE(checksumProblems(mc).empty());
    const auto parts = splitSysex(mc);
    ASSERT_EQ(parts.size(), 5u);
    for (std::size_t i = 1; i < 5; ++i)
        EXPECT_EQ(parts[i].size(), 127u + 12u) << "tones keep their data, one byte longer header";

    ASSERT_EQ(conversionDirection(mc), ConversionDirection::ToJVXP);
    const auto back = convertModel(mc);
    ASSERT_TRUE(std::holds_alternative<Bytes>(back));
    EXPECT_EQ(std::get<Bytes>(back), jv);
}

TEST(Conversion, MC505PartToSuperJV)
{
    const Bytes part = initialPartFile();
    const auto result = convertModel(part);
    ASSERT_TRUE(std::holds_alternative<Bytes>(result));
    const Bytes& jv = std::get<Bytes>(result);
    EXPECT_EQ(jv.size(), part.size() - 5 - 2);
    EXPECT_EQ(jv[82], 0xF7);
    EXPECT_TRUE(checksumProblems(jv).empty());

    t505temppatch image;
    image.LoadFromBytes(part);
    image.ConvertModel();
    EXPECT_EQ(image.bytes(), jv);
}

TEST(Conversion, RefusesWhatItDoesNotFit)
{
    const Bytes jv = jvPatch();
    Bytes shortCommon = jv;
    shortCommon.erase(shortCommon.begin() + 20); // the common is now 82 bytes
    Bytes foreign = test::fromHex("F0 43 10 4C 00 00 7E 00 01 02 03 04 F7");
    Bytes stray = jv;
    stray.push_back(0x33);
    Bytes mixed = jv;
    const Bytes mcTone = dataSetMessage(tsMC505, {2, 0, 0x10, 0}, Bytes(129, 1));
    mixed.insert(mixed.end(), mcTone.begin(), mcTone.end());

    for (const Bytes& bad : {Bytes{}, Bytes(9053, 0), test::randomBytes(70000, 5), shortCommon,
                             foreign, stray, mixed, test::fromHex("F0 41 10 6A 12 03 00")}) {
        const auto r = convertModel(bad);
        ASSERT_TRUE(std::holds_alternative<ConversionError>(r)) << test::hex(bad).substr(0, 40);
        EXPECT_FALSE(std::get<ConversionError>(r).message.empty());
    }

    t505temppatch image;
    image.LoadFromBytes(shortCommon);
    EXPECT_THROW(image.ConvertModel(), std::invalid_argument);
    EXPECT_EQ(image.bytes(), shortCommon);
}

TEST(Conversion, EveryPatchCommonOfTheFileIsConverted)
{
    // Two patches one after the other: the second common must change as the
    // first does, or the instrument gets a common of the other model's length.
    Bytes twoPatches = jvPatch();
    Bytes second = jvPatch();
    for (ByteView m : splitSysex(second)) // the second patch at 03 01 ..
        second[std::size_t(m.data() - second.data()) + 6] = 0x01;
    refreshChecksums(second);
    twoPatches.insert(twoPatches.end(), second.begin(), second.end());
    const auto toMC = convertModel(twoPatches);
    ASSERT_TRUE(std::holds_alternative<Bytes>(toMC));
    const Bytes& mc = std::get<Bytes>(toMC);
    const auto mcMessages = splitSysex(mc);
    ASSERT_EQ(mcMessages.size(), 10u);
    EXPECT_EQ(mcMessages[0].size(), CommonMessageSize);
    EXPECT_EQ(mcMessages[5].size(), CommonMessageSize) << "the second patch's common";
    EXPECT_TRUE(checksumProblems(mc).empty());
    const auto back = convertModel(mc);
    ASSERT_TRUE(std::holds_alternative<Bytes>(back));
    EXPECT_EQ(std::get<Bytes>(back), twoPatches);

    // A whole image: seven part commons, and part R's messages, which have no
    // common of a patch's length, keep theirs.
    const Bytes image = initialImage();
    const auto toJV = convertModel(image);
    ASSERT_TRUE(std::holds_alternative<Bytes>(toJV));
    const Bytes& jv = std::get<Bytes>(toJV);
    EXPECT_EQ(jv.size(), image.size() - MessagesInImage - NormalPartCount * 2);
    for (ByteView m : splitSysex(jv)) {
        const auto v = parseDataSet(m);
        ASSERT_TRUE(v);
        EXPECT_NE(v->data.size(), CommonDataSize) << addressText(v->address);
    }
    EXPECT_TRUE(checksumProblems(jv).empty());

    // Part of a common that reaches the two bytes the SuperJV/XP has no room
    // for cannot be converted: refused, not passed on as it stands.
    Bytes reaching = initialPartFile();
    const Bytes piece = dataSetMessage(tsMC505, {0x02, 0x00, 0x00, 0x40}, Bytes(12, 0));
    reaching.insert(reaching.end(), piece.begin(), piece.end());
    const auto refused = convertModel(reaching);
    ASSERT_TRUE(std::holds_alternative<ConversionError>(refused));
    EXPECT_EQ(std::get<ConversionError>(refused).message,
              "Message 6 (02 00 00 40) holds part of a patch common that cannot be converted");
}
