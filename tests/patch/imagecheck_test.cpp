// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "patch/t505temppatch.h"

#include "support/knownimage.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace dorvane;
using namespace dorvane::test;

namespace {

Bytes partOf(const Bytes& image, int part)
{
    const auto start = image.begin() + std::ptrdiff_t(partBlockOffset(part));
    return Bytes(start, start + std::ptrdiff_t(partBlockSize(part)));
}

SysexFileCheck refusedFile(const Bytes& bytes)
{
    const SysexFileCheck c = checkSysexFile(bytes);
    EXPECT_FALSE(c.ok()) << kindText(c.kind);
    EXPECT_EQ(c.problem().rfind("byte ", 0), 0u) << c.problem();
    return c;
}

} // namespace

TEST(ImageCheck, KindsComeFromTheMessagesNotTheSize)
{
    const Bytes image = knownImage(2);
    EXPECT_EQ(checkSysexFile(image).kind, SysexFileKind::Image);
    Bytes lead(LeadingBlockSize, 0x00);
    lead.insert(lead.end(), image.begin(), image.end());
    const SysexFileCheck leading = checkSysexFile(lead);
    ASSERT_EQ(leading.kind, SysexFileKind::ImageWithLeadingBlock);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), leading.block(lead).begin(),
                           leading.block(lead).end()));
    const SysexFileCheck part3 = checkSysexFile(partOf(image, 2));
    EXPECT_EQ(part3.kind, SysexFileKind::PartFile);
    EXPECT_EQ(part3.check.part, 2) << "a part file says which part it was saved from";
    EXPECT_EQ(checkSysexFile(partOf(image, RhythmPart)).kind, SysexFileKind::RhythmPartFile);

    // The sizes alone are nothing.
    for (std::size_t size :
         {ImageSize, ImageWithLeadingBlockSize, PartBlockSize, RhythmBlockSize}) {
        EXPECT_EQ(classifySysexFile(randomBytes(size, 3)), SysexFileKind::Other) << size;
        EXPECT_EQ(classifySysexFile(Bytes(size, 0xF7)), SysexFileKind::Other) << size;
    }
    EXPECT_FALSE(checkSysexFile(Bytes{}).ok());
    EXPECT_EQ(kindText(SysexFileKind::RhythmPartFile), "part R");
}

TEST(ImageCheck, ARefusalSaysWhatIsWrongAndWhere)
{
    const Bytes image = knownImage(1);
    struct Case
    {
        const char* what;
        Bytes bytes;
        std::string problem;
    };
    std::vector<Case> cases;
    cases.push_back({"truncated", Bytes(image.begin(), image.begin() + 9000),
                     "byte 9000: the Data Set message of part R note 98 is cut short after 6 of "
                     "its 58 data bytes"});
    Bytes oversized = image;
    oversized.insert(oversized.end(), 5, 0x00);
    cases.push_back({"oversized", oversized,
                     "byte 9054: 5 bytes more after the last message of the 8 part image, "
                     "starting with 00, which starts no message"});
    // Part 2, tone 1 ends at 650 + 86 + 141 - 1 = 876.
    Bytes lostF7 = image;
    lostF7.erase(lostF7.begin() + 876);
    cases.push_back({"lost F7", lostF7,
                     "byte 876: the Data Set message of part 2 tone 1 should end here (F7), "
                     "found F0"});
    Bytes joined = image;
    joined[876] = 0x00; // the same size, two messages run together
    cases.push_back({"joined", joined,
                     "byte 876: the Data Set message of part 2 tone 1 should end here (F7), "
                     "found 00"});
    Bytes highData = image;
    highData[2000] = 0x93; // part 4 common, data byte 40
    cases.push_back({"data byte of 80 or more", highData,
                     "byte 2000: the Data Set message of part 4 common holds 93, which is no "
                     "data byte"});
    Bytes otherModel = image;
    otherModel[RhythmBlockOffset + 4] = 0x0C;
    cases.push_back({"another model", otherModel,
                     "byte 4550: expected the Data Set message of part R common, found another "
                     "Roland message"});
    auto messages = messagesOf(image);
    std::swap(messages[1], messages[2]);
    cases.push_back({"wrong order", test::joined(messages),
                     "byte 86: expected the Data Set message of part 1 tone 1, found the one of "
                     "part 1 tone 2"});
    Bytes rhythm = partOf(image, RhythmPart);
    rhythm[24 + 2 * 70 + 8] = 38; // the note 37 message claims to be note 38's
    cases.push_back({"part R note in the wrong place", rhythm,
                     "byte 164: expected the Data Set message of part R note 37, found the one "
                     "of part R note 38"});
    Bytes mixedParts = partOf(image, 2);
    mixedParts[86 + 7] = 3; // tone 1 of part 4 inside a part 3 file
    cases.push_back({"a part file of two parts", mixedParts,
                     "byte 86: expected the Data Set message of part 3 tone 1, found the one of "
                     "part 4 tone 1"});
    Bytes shortMessage = partOf(image, 0);
    shortMessage.erase(shortMessage.begin() + 100, shortMessage.begin() + 110);
    cases.push_back({"a message ten bytes short", shortMessage,
                     "byte 216: the Data Set message of part 1 tone 1 ends after 120 of its 129 "
                     "data bytes"});

    for (const Case& c : cases)
        EXPECT_EQ(refusedFile(c.bytes).problem(), c.problem) << c.what;
    EXPECT_EQ(refusedFile(randomBytes(ImageSize, 8))
                  .problem()
                  .rfind("byte 0: expected the Data Set message of part 1 common, found ", 0),
              0u);
}

TEST(ImageCheck, WrongChecksumsAloneAreCountedNotRefused)
{
    Bytes image = knownImage(3);
    image[84] ^= 1;                      // part 1 common
    image[4 * PartBlockSize + 300] ^= 2; // a data byte of part 5: its checksum goes stale
    image[ImageSize - 2] ^= 0x40;        // part R note 98
    const SysexFileCheck c = checkSysexFile(image);
    ASSERT_EQ(c.kind, SysexFileKind::Image) << c.problem();
    EXPECT_EQ(c.wrongChecksums(), 3u);
    EXPECT_EQ(*c.check.bytes, image) << "accepted as it stands";

    // A dump's checksum was damaged on its way: the same function refuses it.
    const BlockCheck dump =
        checkBlock(image, BlockKind::Image, 0, MessageOrder::AnyOrder, ChecksumRule::Required);
    EXPECT_FALSE(dump.ok());
    EXPECT_EQ(dump.problem, "byte 84: wrong checksum in the Data Set message of part 1 common");
}

TEST(ImageCheck, EveryByteOfAMessageIsJudgedWhereItStands)
{
    // Part 1's tone 1 message in a part file: bytes 86 to 226, its data from
    // 96, its checksum at 225, its F7 at 226. Each byte of 80 or more inside
    // it is refused at that byte, for what it is; a 7-bit one only makes the
    // checksum wrong.
    const Bytes part = partOf(knownImage(5), 0);
    constexpr std::size_t Start = 86, Data = Start + MessageHeaderSize, Checksum = 225, End = 226;
    ASSERT_EQ(part[End], SysexEnd);
    struct Case
    {
        std::uint8_t value;
        const char* inData;     // the reason for a data byte, after "byte N: "
        const char* inChecksum; // and for the checksum's byte
    };
    const Case cases[] = {
        {0x80, "the Data Set message of part 1 tone 1 holds 80, which is no data byte",
         "the Data Set message of part 1 tone 1 holds 80, which is no data byte"},
        {0xF0, "a message starts inside the Data Set message of part 1 tone 1, whose F7 is missing",
         "a message starts inside the Data Set message of part 1 tone 1, whose F7 is missing"},
        {0xF7, "the Data Set message of part 1 tone 1 ends after", // N of its 129 data bytes
         "the Data Set message of part 1 tone 1 ends without its checksum"},
    };
    for (const Case& c : cases) {
        for (std::size_t at = Data; at <= Checksum; ++at) {
            Bytes bad = part;
            bad[at] = c.value;
            const SysexFileCheck check = checkSysexFile(bad);
            ASSERT_FALSE(check.ok()) << at;
            const std::string expected =
                "byte " + std::to_string(at) + ": " + (at == Checksum ? c.inChecksum : c.inData);
            EXPECT_EQ(check.problem().substr(0, expected.size()), expected) << at;
        }
    }
    for (std::size_t at = Data; at <= Checksum; ++at) {
        Bytes changed = part;
        changed[at] = std::uint8_t(changed[at] ^ 0x01);
        const SysexFileCheck check = checkSysexFile(changed);
        ASSERT_EQ(check.kind, SysexFileKind::PartFile) << at << ": " << check.problem();
        EXPECT_EQ(check.wrongChecksums(), 1u) << at;
    }
    Bytes noEnd = part;
    noEnd[End] = 0x00;
    EXPECT_EQ(checkSysexFile(noEnd).problem(),
              "byte 226: the Data Set message of part 1 tone 1 should end here (F7), found 00");
}

TEST(ImageCheck, AskingForOneKindNamesTheKindFound)
{
    const Bytes image = knownImage(4);
    const SysexFileCheck r = checkSysexFileAs(partOf(image, RhythmPart), SysexFileKind::PartFile);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.problem(), "this is a part R file, not a part file of parts 1-7");
    EXPECT_EQ(checkSysexFileAs(image, SysexFileKind::RhythmPartFile).problem(),
              "this is an 8 part image, not a part R file");
    // A bad file is judged as the kind asked for.
    const Bytes cut(image.begin(), image.begin() + 600);
    EXPECT_EQ(checkSysexFileAs(cut, SysexFileKind::Image).problem(),
              "byte 600: the Data Set message of part 1 tone 4 is cut short after 81 of its 129 "
              "data bytes");
    EXPECT_EQ(checkSysexFileAs(cut, SysexFileKind::RhythmPartFile).problem(),
              "byte 0: expected the Data Set message of part R common, found the one of part 1 "
              "common");
    Bytes lead(LeadingBlockSize, 0x00);
    lead.insert(lead.end(), image.begin(), image.end() - 1);
    EXPECT_EQ(checkSysexFileAs(lead, SysexFileKind::Image).problem(),
              "byte 9806: the Data Set message of part R note 98 has no F7, found the end");
}

TEST(ImageCheck, DumpsArePutInPlaceByAddress)
{
    const Bytes image = initialImage();
    auto messages = messagesOf(image);
    std::reverse(messages.begin(), messages.end());
    const Bytes reversed = joined(messages);
    const BlockCheck r =
        checkBlock(reversed, BlockKind::Image, 0, MessageOrder::AnyOrder, ChecksumRule::Required);
    ASSERT_TRUE(r.ok()) << r.problem;
    EXPECT_EQ(*r.bytes, image);
    EXPECT_EQ(
        checkBlock(reversed, BlockKind::Image, 0, MessageOrder::AsLaidOut, ChecksumRule::Counted)
            .problem,
        "byte 0: expected the Data Set message of part 1 common, found the one of part R "
        "note 98");

    const Bytes part3 = partOf(image, 3);
    auto dump = [](const Bytes& b, BlockKind kind, int part) {
        return checkBlock(b, kind, part, MessageOrder::AnyOrder, ChecksumRule::Required);
    };
    EXPECT_TRUE(dump(part3, BlockKind::Part, 3).ok());
    EXPECT_EQ(dump(part3, BlockKind::Part, 2).problem,
              "byte 0: the Data Set message of part 4 common does not belong to part 3");
    EXPECT_TRUE(dump(partOf(image, RhythmPart), BlockKind::Rhythm, RhythmPart).ok());

    Bytes twice = part3;
    std::copy(part3.begin() + 86, part3.begin() + 227, twice.begin() + 227);
    EXPECT_EQ(dump(twice, BlockKind::Part, 3).problem,
              "byte 227: the Data Set message of part 4 tone 1 came twice");
    const Bytes missing(part3.begin(), part3.end() - 141);
    EXPECT_EQ(dump(missing, BlockKind::Part, 3).problem,
              "byte 509: the Data Set message of part 4 tone 4 is missing");
    for (const Bytes& bad : {Bytes{}, randomBytes(650, 1), Bytes(9054, 0xF7)})
        EXPECT_FALSE(dump(bad, BlockKind::Image, 0).ok());
}

TEST(ImageCheck, ChecksumProblemsNameBrokenMessagesByPosition)
{
    Bytes image = initialImage();
    image[366] ^= 1; // part 1, tone 2
    auto problems = checksumProblems(image);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].offset, 227u);
    ASSERT_TRUE(problems[0].address);
    EXPECT_EQ(addressText(*problems[0].address), "02 00 12 00");
    EXPECT_FALSE(problems[0].broken);

    // A lost F7 joins two messages; a status byte sits among the data.
    Bytes joinedTwo = initialImage();
    joinedTwo[85] = 0x00;
    joinedTwo[300] = 0x90;
    problems = checksumProblems(joinedTwo);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_TRUE(problems[0].broken && problems[1].broken);
    EXPECT_EQ(problems[0].offset, 0u);
    EXPECT_EQ(problems[0].what, "broken message: byte 86 is F0 (an F7 before it is lost)");
    EXPECT_EQ(problems[1].what, "broken message: byte 300 is 90, which is no data byte");

    EXPECT_TRUE(checksumProblems(test::fromHex("F0 41 10 00 0B 12 02 F7"))[0].broken);
    EXPECT_TRUE(checksumProblems(test::fromHex("F0 7E 7F 06 01 F7")).empty())
        << "another maker's message is not judged";
    EXPECT_EQ(checksumProblems(test::fromHex("F0 41 10")).size(), 1u);
    EXPECT_EQ(checksumProblems(test::fromHex("33 F0 7E F7 44")).size(), 2u);
}

TEST(ImageCheck, DamagedImagesAreRefusedOrAcceptedWhole)
{
    // Random damage of the kinds files suffer: whatever is accepted is a
    // whole image whose refreshed bytes pass again, checksums and all.
    const Bytes image = knownImage(5);
    std::mt19937 random(17);
    int accepted = 0;
    for (int i = 0; i < 400; ++i) {
        Bytes b = image;
        const std::size_t at = random() % b.size();
        switch (i % 4) {
        case 0:
            b.resize(at);
            break;
        case 1:
            b[at] = std::uint8_t(random());
            break;
        case 2:
            b.insert(b.begin() + std::ptrdiff_t(at), std::uint8_t(random()));
            break;
        default:
            b.erase(b.begin() + std::ptrdiff_t(at));
        }
        const SysexFileCheck c = checkSysexFile(b);
        if (!c.ok()) {
            EXPECT_EQ(c.problem().rfind("byte ", 0), 0u) << c.problem();
            EXPECT_LE(c.check.problemAt, b.size());
            continue;
        }
        ++accepted;
        ASSERT_EQ(c.kind, SysexFileKind::Image);
        t505temppatch p;
        p.LoadFromBytes(c.block(b));
        const Bytes out = p.refreshedBytes();
        const SysexFileCheck again = checkSysexFile(out);
        EXPECT_EQ(again.kind, SysexFileKind::Image);
        EXPECT_EQ(again.wrongChecksums(), 0u);
    }
    EXPECT_GT(accepted, 20) << "a changed data byte (below 80) keeps the file whole";
}
