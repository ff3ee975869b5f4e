// SPDX-License-Identifier: GPL-3.0-or-later
// dorvane-cli's MIDI commands, run as the real executable on a private JACK
// server, against a stand-in instrument written on python-rtmidi
// (tests/support/jackinstrument.py) and against the built-in instrument.
#include "patch/fileio.h"
#include "patch/layout.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

#include "support/jackinstrumentpeer.h"
#include "support/jacksuite.h"
#include "support/knownimage.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

using namespace dorvane;
using namespace dorvane::test;

namespace {

ProcessResult cli(const std::vector<std::string>& args)
{
    return runProcess(binDir() + "/dorvane-cli", args, 60000);
}

// dorvane-cli's exit status for a verify that read back something else.
constexpr int VerifyDiffersStatus = 2;

int lineCount(const std::string& s)
{
    return int(std::count(s.begin(), s.end(), '\n'));
}

// Bad input: status 1, one line on standard error naming the trouble, no file.
void expectRefused(const ProcessResult& r, const std::string& words,
                   const std::string& outFile = {})
{
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_EQ(lineCount(r.err), 1) << r.err;
    EXPECT_NE(r.err.find(words), std::string::npos) << r.err;
    if (!outFile.empty()) {
        EXPECT_FALSE(std::filesystem::exists(outFile)) << outFile;
    }
}

Bytes slice(const Bytes& bytes, std::size_t offset, std::size_t size)
{
    return Bytes(bytes.begin() + std::ptrdiff_t(offset),
                 bytes.begin() + std::ptrdiff_t(offset + size));
}

} // namespace

class CliTransfer : public JackSuite
{
protected:
    std::string imageFile(const Bytes& bytes, const std::string& name = "peer.syx")
    {
        writeFile(dir.file(name), bytes);
        return dir.file(name);
    }

    TempDir dir;
};

TEST_F(CliTransfer, PortsListsEveryDeviceNumberedAndTheNumbersWork)
{
    JackInstrumentPeer peer(imageFile(knownImage(3)));
    ASSERT_TRUE(peer.ready());
    const ProcessResult r = cli({"ports"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::size_t inputs = r.out.find("Input devices:\n");
    ASSERT_EQ(r.out.rfind("Output devices:\n", 0), 0u) << r.out;
    ASSERT_NE(inputs, std::string::npos) << r.out;
    const std::string outputList = r.out.substr(0, inputs);
    const std::string inputList = r.out.substr(inputs);
    const std::regex builtIn(R"(\n  (\d+)  MC-505 \(built in\)\n)");
    std::smatch out, in;
    ASSERT_TRUE(std::regex_search(outputList, out, builtIn)) << r.out;
    ASSERT_TRUE(std::regex_search(inputList, in, builtIn)) << r.out;
    EXPECT_NE(outputList.find("inst:in\n"), std::string::npos) << r.out;
    EXPECT_NE(inputList.find("inst-out:out\n"), std::string::npos) << r.out;

    // The numbers shown are the numbers the other commands take.
    const ProcessResult got =
        cli({"get", "R", "--out", out[1], "--in", in[1], "-o", dir.file("r.syx")});
    ASSERT_EQ(got.exitCode, 0) << got.err;
    const Bytes perf = readFile(binDir() + "/perf.syx");
    EXPECT_EQ(readFile(dir.file("r.syx")), slice(perf, RhythmBlockOffset, RhythmBlockSize));
}

TEST_F(CliTransfer, GetFromTheBuiltInInstrument)
{
    const ProcessResult r =
        cli({"get", "all", "--out", "built in", "--in", "MC-505", "-o", dir.file("all.syx")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Received 9054 bytes from \"MC-505 (built in)\", written to " +
                         dir.file("all.syx") + "\n");
    EXPECT_EQ(readFile(dir.file("all.syx")), readFile(binDir() + "/perf.syx"));
}

TEST_F(CliTransfer, GetOverJackFromAPeerWritesThePeersImage)
{
    const Bytes image = knownImage(5);
    JackInstrumentPeer peer(imageFile(image), {"--shuffle", "--rate", "31250"});
    ASSERT_TRUE(peer.ready());
    ProcessResult r = cli({"get", "all", "--out", "inst", "--in", "INST", "-o", dir.file("a.syx")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readFile(dir.file("a.syx")), image) << "in address order, whatever order it came in";

    r = cli({"get", "4", "--out", "inst", "--in", "inst", "-o", dir.file("p4.syx")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readFile(dir.file("p4.syx")), slice(image, 3 * PartBlockSize, PartBlockSize));

    const auto sent = peer.finish();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].bytes, requestAllMessage());
    EXPECT_EQ(sent[1].bytes, requestPartMessage(3));
}

TEST_F(CliTransfer, GetFailsOnTimeOutSayingHowManyBytesArrived)
{
    // A peer that knows one part only: 650 bytes come, 9054 were asked for.
    const Bytes image = knownImage(5);
    JackInstrumentPeer partial(imageFile(slice(image, 0, PartBlockSize)), {"--rate", "31250"});
    ASSERT_TRUE(partial.ready());
    const std::string file = dir.file("a.syx");
    expectRefused(
        cli({"get", "all", "--out", "inst", "--in", "inst", "-o", file, "--timeout", "1.5"}),
        "timed out after 1.5 s: received 650 bytes, expected 9054", file);
}

TEST_F(CliTransfer, GetRefusesBadInputAndBadDumps)
{
    Bytes image = knownImage(5);
    image[PartBlockSize - 2] ^= 0x01; // the checksum of part 1's tone 4
    JackInstrumentPeer peer(imageFile(image), {"--rate", "31250"});
    ASSERT_TRUE(peer.ready());
    const std::string file = dir.file("a.syx");
    expectRefused(cli({"get", "all", "--out", "inst", "--in", "inst", "-o", file}),
                  "Received 9054 bytes, byte 648: wrong checksum in the Data Set message of part "
                  "1 tone 4: not loaded",
                  file);
    expectRefused(cli({"get", "all", "--out", "nothing like it", "--in", "inst", "-o", file}),
                  "no output device matches \"nothing like it\"", file);
    expectRefused(cli({"get", "all", "--out", "inst", "--in", "77", "-o", file}),
                  "there is no input device 77", file);
    expectRefused(cli({"get", "8", "--out", "inst", "--in", "inst", "-o", file}),
                  "get takes all, 1..7 or R, not \"8\"", file);
    expectRefused(cli({"get", "all", "--out", "inst", "--in", "inst"}), "-o is required");
    expectRefused(
        cli({"get", "all", "--out", "inst", "--in", "inst", "-o", file, "--timeout", "0"}),
        "--timeout must be above 0", file);
    // Nothing to say from a device that says nothing: the built-in instrument
    // answers on its own input, not on the peer's.
    expectRefused(
        cli({"get", "1", "--out", "built in", "--in", "inst", "-o", file, "--timeout", "1"}),
        "timed out after 1 s: received 0 bytes, expected 650", file);
}

TEST_F(CliTransfer, SendOverJackArrivesMessageForMessageWithThePause)
{
    const Bytes image = knownImage(4);
    JackInstrumentPeer peer(imageFile(image), {"--silent"});
    ASSERT_TRUE(peer.ready());
    const ProcessResult r = cli({"send", dir.file("peer.syx"), "--out", "inst", "--pause", "5"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Sent 9054 bytes (100 messages) to \"inst:in\"\n");
    const auto got = peer.finish();
    ASSERT_EQ(got.size(), MessagesInImage);
    std::vector<Bytes> bytes;
    for (const auto& m : got)
        bytes.push_back(m.bytes);
    EXPECT_EQ(bytes, messagesOf(image)) << "byte for byte, checksums untouched";
    // 99 pauses of 5 ms at least lie between the first message and the last.
    EXPECT_GE(got.back().at, 99 * 0.005 * 0.9);
}

TEST_F(CliTransfer, SendToTheBuiltInInstrument)
{
    const Bytes image = knownImage(4);
    const ProcessResult r =
        cli({"send", imageFile(slice(image, 0, PartBlockSize)), "--out", "mc-505"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Sent 650 bytes (5 messages) to \"MC-505 (built in)\"\n");
}

TEST_F(CliTransfer, DeviceMinusOneIsTheProgramsOwnVirtualPort)
{
    // JACK offers virtual ports: -1 is listed first and taken by --out.
    const ProcessResult ports = cli({"ports"});
    ASSERT_EQ(ports.exitCode, 0) << ports.err;
    const std::regex virtualPort(R"(Output devices:\n  -1  ([^\n]*Dorvane[^\n]*)\n)");
    std::smatch name;
    ASSERT_TRUE(std::regex_search(ports.out, name, virtualPort)) << ports.out;
    const ProcessResult r =
        cli({"send", imageFile(slice(knownImage(4), 0, PartBlockSize)), "--out", "-1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Sent 650 bytes (5 messages) to \"" + name[1].str() + "\"\n");
}

TEST_F(CliTransfer, SendRefusesBadInput)
{
    Bytes truncated = knownImage(4);
    truncated.pop_back();
    expectRefused(cli({"send", imageFile(truncated), "--out", "built in"}),
                  "is not a sysex file: the message at byte 8984 has no end (F7)");
    expectRefused(cli({"send", imageFile(randomBytes(300, 1)), "--out", "built in"}),
                  "is not a sysex file");
    expectRefused(cli({"send", dir.file("missing.syx"), "--out", "built in"}), "Cannot open");
    expectRefused(cli({"send", imageFile(knownImage(4)), "--out", "nowhere"}),
                  "no output device matches \"nowhere\"");
    expectRefused(cli({"send", imageFile(knownImage(4)), "--out", "built in", "--pause", "-3"}),
                  "--pause must be 0..10000 milliseconds");
    expectRefused(cli({"send", imageFile(knownImage(4))}), "--out is required");
}

TEST_F(CliTransfer, FindNamesTheInstrumentAndGetUsesTheDeviceIdItAnswersTo)
{
    const Bytes image = knownImage(5);
    JackInstrumentPeer loop(imageFile(image), {"--name", "loop", "--echo"});
    JackInstrumentPeer inst(imageFile(image),
                            {"--name", "inst", "--device-id", "1f", "--rate", "312500",
                             "--identity", "41 12 34 56 78 00 01 02 03"});
    ASSERT_TRUE(loop.ready() && inst.ready());
    const ProcessResult found = cli({"find"});
    EXPECT_EQ(found.exitCode, 0) << found.out << found.err;
    // The built-in instrument is among the devices too.
    const std::regex instrument(
        "Instrument: output \\d+ \"inst:in\" and input \\d+ \"inst-out:out\", device ID 1F, "
        "part 1 \"[^\"]{12}\"\n  identity reply: device ID 1F, manufacturer 41, family 12 34, "
        "member 56 78, version 00 01 02 03\n");
    EXPECT_TRUE(std::regex_search(found.out, instrument)) << found.out;
    EXPECT_NE(found.out.find("(Dorvane's built-in instrument)"), std::string::npos) << found.out;
    EXPECT_TRUE(std::regex_search(found.out, std::regex("Loop \\(only echoes of what was sent "
                                                        "came back\\): output \\d+ \"loop:in\" and "
                                                        "input \\d+ \"loop-out:out\"\n")))
        << found.out;

    const std::string out = dir.file("got.syx");
    const ProcessResult asked10 =
        cli({"get", "1", "--out", "inst:in", "--in", "inst-out", "-o", out, "--timeout", "1"});
    EXPECT_EQ(asked10.exitCode, 1) << "set to 1F, it ignores device ID 10";
    const ProcessResult got =
        cli({"get", "1", "--out", "inst:in", "--in", "inst-out", "-o", out, "--device-id", "1F"});
    ASSERT_EQ(got.exitCode, 0) << got.out << got.err;
    Bytes expected = slice(image, 0, PartBlockSize);
    stampDeviceId(expected, 0x1F);
    EXPECT_EQ(readFile(out), expected) << "as the instrument sent it";
    expectRefused(
        cli({"get", "1", "--out", "inst:in", "--in", "inst-out", "-o", out, "--device-id", "80"}),
        "--device-id must be 00..7F");
}

TEST_F(CliTransfer, SendVerifyNamesExactlyTheParameterThePeerSpoilt)
{
    // The peer holds another image; the file is part 3 with its own cutoff.
    t505temppatch mine;
    mine.LoadFromBytes(knownImage(6));
    mine.WriteByte(2, 2, 81, 107);
    const std::string part3 = imageFile(mine.PartBytes(2), "part3.syx");
    struct Row
    {
        const char* what;
        QStringList peer;
        int exitCode;
        std::string out; // after the "Sent" line
        std::string err; // as it begins
    };
    const std::vector<Row> rows = {
        {"kept as sent", {}, 0, "Verified: part 3 read back from \"inst-out:out\" as sent\n", ""},
        // Common, tone 1, then tone 2: its Cutoff Frequency taken as 64.
        {"the third message spoilt",
         {"--corrupt-received", "3:81:64"},
         VerifyDiffersStatus,
         "Part 3, Tone 2, Cutoff Frequency: 107 here, 64 on the instrument\n",
         "verify failed: 1 parameter differs in part 3 read back from \"inst-out:out\"\n"},
        {"silent", {"--silent"}, 1, "", "timed out after 1.5 s: received 0 bytes, expected 650\n"},
        // A MIDI thru loop hands back what it is sent: that must never pass
        // for the instrument's copy.
        {"a MIDI loop",
         {"--echo"},
         1,
         "",
         "timed out after 1.5 s: the Data Request itself came back"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        JackInstrumentPeer peer(imageFile(knownImage(7)),
                                QStringList{"--rate", "31250"} + row.peer);
        ASSERT_TRUE(peer.ready());
        const ProcessResult r =
            cli({"send", part3, "--out", "inst", "--verify", "--in", "inst", "--timeout", "1.5"});
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err;
        EXPECT_EQ(r.out, "Sent 650 bytes (5 messages) to \"inst:in\"\n" + row.out);
        EXPECT_EQ(r.err.substr(0, row.err.size()), row.err);
        EXPECT_EQ(lineCount(r.err), row.err.empty() ? 0 : 1) << r.err;
        const auto got = peer.finish();
        ASSERT_EQ(got.size(), MessagesPerPart + 1) << "the part, then one request";
        EXPECT_EQ(got.back().bytes, requestPartMessage(2));
    }
}

TEST_F(CliTransfer, SendVerifyOfAWholeImageListsEveryPartThatCameBackOtherwise)
{
    const Bytes image = knownImage(8);
    // The first message (part 1's common) never arrives: the peer keeps its
    // own name for part 1; part R's kit name is taken wrong.
    JackInstrumentPeer peer(imageFile(knownImage(9)), {"--rate", "312500", "--drop-received", "1",
                                                       "--corrupt-received", "@02090000:0:90"});
    ASSERT_TRUE(peer.ready());
    const ProcessResult r =
        cli({"send", imageFile(image, "all.syx"), "--out", "inst", "--verify", "--in", "inst"});
    EXPECT_EQ(r.exitCode, VerifyDiffersStatus) << r.err;
    EXPECT_NE(r.out.find("Part 1, Common, Patch Name: \"S8 PART 1\" here, \"S9 PART 1\" on the "
                         "instrument\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Part R, Common, Patch Name: \"S8 RHYTHM\" here, \"Z8 RHYTHM\" on the "
                         "instrument\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("Part 2,"), std::string::npos) << "parts 2..7 came back as sent";
    EXPECT_NE(r.err.find("differ in parts 1 and R"), std::string::npos) << r.err;
}

TEST_F(CliTransfer, SendVerifyRefusesWhatItCannotVerifyBeforeSendingAnything)
{
    JackInstrumentPeer peer(imageFile(knownImage(3)), {"--rate", "312500"});
    ASSERT_TRUE(peer.ready());
    const std::string part = imageFile(slice(knownImage(3), 0, PartBlockSize), "p1.syx");
    const std::string single =
        imageFile(parameterMessage(tsMC505, {2, 0, 0x10, 0x51}, 3), "one.syx");
    expectRefused(cli({"send", part, "--out", "inst", "--verify"}), "--verify needs --in");
    expectRefused(cli({"send", part, "--out", "inst", "--in", "inst"}),
                  "--in and --timeout belong to --verify");
    expectRefused(
        cli({"send", part, "--out", "inst", "--verify", "--in", "inst", "--timeout", "-1"}),
        "--timeout must be above 0");
    expectRefused(cli({"send", single, "--out", "inst", "--verify", "--in", "inst"}),
                  "cannot be verified: it is not an image, a part or a part R file");
    expectRefused(cli({"send", part, "--out", "inst", "--verify", "--in", "nowhere"}),
                  "no input device matches \"nowhere\"");
    EXPECT_TRUE(peer.finish().empty()) << "nothing was sent";
}
