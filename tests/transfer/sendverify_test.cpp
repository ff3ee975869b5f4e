// SPDX-License-Identifier: GPL-3.0-or-later
// Send and Verify without ports: which area a send covers and how it is asked
// back, and the verdict over what came back.
#include "transfer/sendverify.h"

#include "midi/loopbackdriver.h"
#include "midi/midideviceregistry.h"
#include "midi/tmidiinput.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"
#include "support/knownimage.h"
#include "transfer/dumpinput.h"
#include "transfer/dumpreceiver.h"
#include "transfer/inputsettle.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

using namespace dorvane;
using dorvane::test::knownImage;

namespace {

Bytes slice(const Bytes& bytes, std::size_t offset, std::size_t size)
{
    return Bytes(bytes.begin() + std::ptrdiff_t(offset),
                 bytes.begin() + std::ptrdiff_t(offset + size));
}

t505temppatch imageOf(const Bytes& bytes)
{
    t505temppatch image;
    image.LoadFromBytes(bytes);
    return image;
}

} // namespace

TEST(VerifyArea, AsksForWhatItCoversWithTheReceiversOwnRequests)
{
    struct Row
    {
        VerifyArea area;
        Bytes request;
        std::vector<int> parts;
        std::size_t size;
        const char* name;
    };
    const std::vector<Row> rows = {
        {VerifyArea::wholeImage(),
         requestAllMessage(),
         {0, 1, 2, 3, 4, 5, 6, RhythmPart},
         ImageSize,
         "all 8 parts"},
        {VerifyArea::ofPart(0), requestPartMessage(0), {0}, PartBlockSize, "part 1"},
        {VerifyArea::ofPart(6), requestPartMessage(6), {6}, PartBlockSize, "part 7"},
        {VerifyArea::ofPart(RhythmPart),
         requestRhythmMessage(),
         {RhythmPart},
         RhythmBlockSize,
         "part R"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.area.request(), r.request);
        EXPECT_EQ(r.area.parts(), r.parts);
        EXPECT_EQ(r.area.blockSize(), r.size);
        EXPECT_EQ(r.area.name(), r.name);
        // The receiver started by the area expects exactly its block.
        DumpReceiver receiver(nullptr);
        receiver.SetTempFile({});
        r.area.startReception(receiver);
        EXPECT_EQ(receiver.ExpectedCount(), r.size);
        receiver.finish();
    }
    for (const int bad : {-1, 7, 8, 10})
        EXPECT_THROW(VerifyArea::ofPart(bad), std::invalid_argument) << bad;
}

TEST(VerifyArea, OfAFileIsWhatItsMessagesWrite)
{
    const Bytes image = knownImage(2);
    Bytes leading(LeadingBlockSize, 0x00);
    leading.insert(leading.end(), image.begin(), image.end());
    // A part file saved from part 5 writes part 5 wherever its file name points.
    const Bytes part5 = slice(image, 4 * PartBlockSize, PartBlockSize);
    const Bytes partR = slice(image, RhythmBlockOffset, RhythmBlockSize);
    Bytes notAPart = slice(image, 0, PartBlockSize - 1);

    struct Row
    {
        const char* what;
        Bytes file;
        std::optional<VerifyArea> area;
        std::size_t offset;
    };
    const std::vector<Row> rows = {
        {"image", image, VerifyArea::wholeImage(), 0},
        {"image after a leading block", leading, VerifyArea::wholeImage(), LeadingBlockSize},
        {"part file of part 5", part5, VerifyArea::ofPart(4), 0},
        {"part R file", partR, VerifyArea::ofPart(RhythmPart), 0},
        {"a part cut short", notAPart, std::nullopt, 0},
        {"a single parameter", parameterMessage(tsMC505, {2, 0, 0x10, 0x51}, 3), std::nullopt, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const FileArea a = verifyAreaOfFile(r.file);
        EXPECT_EQ(a.area, r.area);
        if (r.area) {
            EXPECT_EQ(a.blockOffset, r.offset);
            EXPECT_TRUE(a.problem.empty()) << a.problem;
        } else {
            EXPECT_NE(a.problem.find("nothing to read back"), std::string::npos) << a.problem;
        }
    }
}

TEST(VerifyVerdict, NamesExactlyWhatCameBackOtherwise)
{
    const Bytes sent = knownImage(3);
    const std::size_t part3Tone2 = 2 * PartBlockSize + CommonMessageSize + ToneMessageSize;
    struct Row
    {
        const char* what;
        VerifyArea area;
        std::function<std::optional<Bytes>(Bytes)> answer; // from the sent block
        VerifyVerdict::Outcome outcome;
        std::vector<std::string> sentences;
    };
    auto image = [](std::function<void(t505temppatch&)> change) {
        return [change](Bytes block) {
            t505temppatch i = imageOf(block);
            change(i);
            return std::optional<Bytes>(i.AllBytes());
        };
    };
    const std::vector<Row> rows = {
        {"alike",
         VerifyArea::wholeImage(),
         [](Bytes b) { return std::optional<Bytes>(b); },
         VerifyVerdict::Outcome::Clean,
         {}},
        {"alike but for checksums and the device ID",
         VerifyArea::wholeImage(),
         [&](Bytes b) {
             b[part3Tone2 + MessageOverhead + ToneDataSize - 2] ^= 0x01; // a checksum
             stampDeviceId(b, 0x1F);
             return std::optional<Bytes>(b);
         },
         VerifyVerdict::Outcome::Clean,
         {}},
        {"one parameter",
         VerifyArea::wholeImage(),
         image([](t505temppatch& i) { i.WriteByte(2, 2, 81, 64); }),
         VerifyVerdict::Outcome::Differs,
         {"Part 3, Tone 2, Cutoff Frequency: " + std::to_string(imageOf(sent).ReadByte(2, 2, 81)) +
          " here, 64 on the instrument"}},
        {"a name and a drum note",
         VerifyArea::wholeImage(),
         image([](t505temppatch& i) {
             i.SetPatchName(RhythmPart, "OTHER KIT");
             i.WriteByte(RhythmPart, 1, 9, 3);
         }),
         VerifyVerdict::Outcome::Differs,
         {"Part R, Common, Patch Name: \"S3 RHYTHM\" here, \"OTHER KIT\" on the instrument",
          "Part R, C2, Volume Ctrl Switch: " +
              std::to_string(imageOf(sent).ReadByte(RhythmPart, 1, 9)) +
              " here, 3 on the instrument"}},
        {"nothing came",
         VerifyArea::wholeImage(),
         [](Bytes) { return std::nullopt; },
         VerifyVerdict::Outcome::NotRead,
         {}},
        {"a part's worth for the image",
         VerifyArea::wholeImage(),
         [](Bytes b) { return std::optional<Bytes>(slice(b, 0, PartBlockSize)); },
         VerifyVerdict::Outcome::NotRead,
         {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const VerifyVerdict v = verifyVerdict(r.area, sent, r.answer(sent), "no answer");
        EXPECT_EQ(v.outcome, r.outcome);
        std::vector<std::string> sentences;
        for (const ImageDifference& d : v.differences)
            sentences.push_back(differenceSentence(d));
        EXPECT_EQ(sentences, r.sentences);
        if (r.outcome == VerifyVerdict::Outcome::NotRead) {
            EXPECT_EQ(v.problem, "no answer");
            EXPECT_TRUE(v.partsAlike(r.area).empty());
        } else {
            EXPECT_EQ(v.partsDiffering().size() + v.partsAlike(r.area).size(), 8u);
        }
    }
}

TEST(VerifyVerdict, APartIsComparedAsTheBlockItIs)
{
    const Bytes image = knownImage(4);
    t505temppatch mine = imageOf(image);
    const Bytes sent = mine.PartBytes(RhythmPart);
    t505temppatch theirs = imageOf(image);
    theirs.WriteByte(RhythmPart, 63, 9, 1);
    const Bytes back = theirs.PartBytes(RhythmPart);

    const VerifyArea r = VerifyArea::ofPart(RhythmPart);
    const VerifyVerdict v = verifyVerdict(r, sent, back, "");
    ASSERT_EQ(v.outcome, VerifyVerdict::Outcome::Differs);
    ASSERT_EQ(v.differences.size(), 1u);
    EXPECT_EQ(v.differences[0].part, RhythmPart);
    EXPECT_EQ(v.differences[0].position,
              RhythmCommonMessageSize + 63 * DrumNoteMessageSize + MessageHeaderSize + 9)
        << "positions count from the block";
    EXPECT_EQ(v.partsDiffering(), std::vector<int>{RhythmPart});
    EXPECT_TRUE(v.partsAlike(r).empty());
    EXPECT_EQ(v.theirs, back);
    EXPECT_TRUE(verifyVerdict(r, sent, sent, "").clean());
    // What was sent must be the area's block: a part's bytes are no image.
    EXPECT_THROW(verifyVerdict(VerifyArea::wholeImage(), sent, sent, ""), std::invalid_argument);
}

TEST(VerifyVerdict, OnlyADumpOfTheSameAreaAnswers)
{
    const Bytes image = knownImage(5);
    const Bytes part2 = slice(image, PartBlockSize, PartBlockSize);
    auto result = [&](ReceiveMode mode, int part, std::optional<Bytes> block) {
        DumpResult r;
        r.mode = mode;
        r.part = part;
        r.block = std::move(block);
        r.status = "Received 12 bytes, expected 650: not loaded";
        return r;
    };
    const VerifyArea area = VerifyArea::ofPart(1);
    EXPECT_TRUE(verifyVerdict(area, part2, result(ReceiveMode::CurrentPart, 1, part2)).clean());
    const VerifyVerdict wrongPart =
        verifyVerdict(area, part2, result(ReceiveMode::CurrentPart, 2, part2));
    EXPECT_EQ(wrongPart.outcome, VerifyVerdict::Outcome::NotRead);
    EXPECT_EQ(wrongPart.problem, "the reception was for another area");
    EXPECT_EQ(verifyVerdict(area, part2, result(ReceiveMode::AllParts, 1, image)).outcome,
              VerifyVerdict::Outcome::NotRead);
    const VerifyVerdict refused =
        verifyVerdict(area, part2, result(ReceiveMode::CurrentPart, 1, std::nullopt));
    EXPECT_EQ(refused.problem, "Received 12 bytes, expected 650: not loaded");

    // The request handed back, whatever device ID it went with, is a loop.
    DumpResult looped = result(ReceiveMode::CurrentPart, 1, std::nullopt);
    looped.received = part2;
    Bytes request = requestPartMessage(1);
    stampDeviceId(request, 0x11);
    looped.received.insert(looped.received.begin() + 86, request.begin(), request.end());
    EXPECT_EQ(verifyVerdict(area, part2, looped).problem, LoopProblem);
    EXPECT_FALSE(holdsRequest(part2, requestPartMessage(1)));
    EXPECT_FALSE(holdsRequest(requestPartMessage(2), requestPartMessage(1)));
}

TEST(InputSettle, ThrowsAwayWhatArrivesUntilTheInputFallsQuiet)
{
    auto driver = std::make_shared<LoopbackDriver>();
    driver->addDevice("Loop");
    driver->setEcho("Loop", false);
    MidiDeviceRegistry registry;
    registry.addSource(driver);
    TMidiInput input(registry);
    prepareForDumps(input);
    input.SetProductName("Loop");
    input.Open();
    ASSERT_EQ(input.State(), misOpen);

    InputSettle settle(&input);
    QSignalSpy settled(&settle, &InputSettle::settled);
    // A long quiet spell, so the echoes below surely fall inside it.
    settle.start(2000);
    const Bytes echo = knownImage(1);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(driver->feedLong("Loop", Bytes(echo.begin(), echo.begin() + 86)));
        ASSERT_TRUE(driver->waitUntilDelivered("Loop", 5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return settle.discarded() == i + 1; }, 5000));
        EXPECT_EQ(settled.count(), 0) << "an input still talking is not quiet";
    }
    settle.cancel();
    EXPECT_FALSE(settle.isRunning());
    EXPECT_EQ(settled.count(), 0);

    // Once quiet, it says so once, and a reception after it starts empty.
    settle.start(10);
    ASSERT_TRUE(settled.wait(5000));
    EXPECT_EQ(settled.count(), 1);
    DumpReceiver receiver(&input);
    receiver.SetTempFile({});
    receiver.startPart(0);
    EXPECT_TRUE(receiver.Received().empty());
    ASSERT_TRUE(driver->feedLong("Loop", Bytes(echo.begin(), echo.begin() + PartBlockSize)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !receiver.IsReceiving(); }, 5000));
    EXPECT_EQ(settle.discarded(), 0) << "what the reception takes is not the settle's";
    input.Close();
}

TEST(DifferenceSummary, CountsParametersAndNamesTheParts)
{
    auto at = [](int part) {
        ImageDifference d;
        d.part = part;
        return d;
    };
    struct Row
    {
        std::vector<int> parts; // one difference each
        const char* summary;
    };
    const std::vector<Row> rows = {
        {{2}, "1 parameter differs in part 3"},
        {{RhythmPart, 2, 2}, "3 parameters differ in parts 3 and R"},
        {{0, 0, 2, 0, 2, 0, 2, 0, 0, 0, 2, 0}, "12 parameters differ in parts 1 and 3"},
        {{6, RhythmPart, 0, 3}, "4 parameters differ in parts 1, 4, 7 and R"},
    };
    for (const Row& r : rows) {
        std::vector<ImageDifference> list;
        for (int p : r.parts)
            list.push_back(at(p));
        EXPECT_EQ(differenceSummary(list), r.summary);
    }
    EXPECT_EQ(partListText({}), "no part");
    EXPECT_EQ(partListText({RhythmPart, 0, 0}), "parts 1 and R");
}
