// SPDX-License-Identifier: GPL-3.0-or-later
// dorvane-cli's file commands, run as the real executable.
#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "patch/midifile.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

#include "support/malformedfiles.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace dorvane;
using dorvane::test::TempDir;

namespace {

test::ProcessResult cli(const std::vector<std::string>& args)
{
    return test::runProcess(test::binDir() + "/dorvane-cli", args);
}

int lineCount(const std::string& s)
{
    int n = 0;
    for (char c : s)
        n += c == '\n';
    return n;
}

// A bad-input run: status 1, one line on standard error, nothing on disk.
void expectRefused(const test::ProcessResult& r, const std::string& outFile,
                   const std::string& word)
{
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_EQ(lineCount(r.err), 1) << r.err;
    EXPECT_NE(r.err.find(word), std::string::npos) << r.err;
    if (!outFile.empty()) {
        EXPECT_FALSE(std::filesystem::exists(outFile)) << outFile;
    }
}

Bytes namedImage()
{
    t505temppatch p;
    p.LoadFromBytes(initialImage());
    const char* names[] = {"BASS ONE", "PAD", "LEAD", "ARP", "STRINGS", "KEYS", "FX", "KIT 909"};
    for (int i = 0; i < 7; ++i)
        p.SetPatchName(i, names[i]);
    p.SetPatchName(9, names[7]);
    return p.AllBytes();
}

} // namespace

TEST(CliFiles, VersionAndHelp)
{
    auto r = cli({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.rfind("dorvane-cli ", 0), 0u);
    for (const char* command : {"info", "fix-checksums", "export-mid", "convert", "extract-part"}) {
        r = cli({command, "--help"});
        EXPECT_EQ(r.exitCode, 0) << command;
        EXPECT_EQ(r.out.rfind(std::string("Usage: dorvane-cli ") + command, 0), 0u) << r.out;
    }
    expectRefused(cli({"frobnicate"}), "", "unknown command");
    expectRefused(cli({"info", "--bogus", "x"}), "", "bogus");
    EXPECT_EQ(cli({}).exitCode, 1);
}

TEST(CliFiles, Info)
{
    TempDir dir;
    Bytes image = namedImage();
    image[366] ^= 3; // part 1, tone 2 checksum
    test::writeFile(dir.file("img.syx"), image);
    Bytes lead(753, 0x00);
    lead.insert(lead.end(), image.begin(), image.end());
    test::writeFile(dir.file("lead.syx"), lead);
    test::writeFile(dir.file("r.syx"), Bytes(image.begin() + 4550, image.end()));
    test::writeFile(dir.file("junk.bin"), test::randomBytes(70000, 9));

    auto r = cli({"info", dir.file("img.syx"), dir.file("lead.syx"), dir.file("r.syx"),
                  dir.file("junk.bin")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("img.syx: 9054 bytes, 8-part image\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("lead.syx: 9807 bytes, 8-part image with leading block\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("r.syx: 4504 bytes, part R\n  \"KIT 909\"\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("junk.bin: 70000 bytes, not an image of this instrument: byte 0: "
                         "expected the Data Set message of part 1 common, found "),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("part 1: \"BASS ONE\""), std::string::npos);
    EXPECT_NE(r.out.find("part R: \"KIT 909\""), std::string::npos);
    EXPECT_NE(r.out.find("checksums: 1 of 100 messages wrong\n    02 00 12 00: checksum"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("checksums: all right (65 messages)"), std::string::npos);

    EXPECT_NE(r.out.find("(65 messages)\n  device ID: 10\n"), std::string::npos) << r.out;

    // Saved from an instrument set to another device ID: said, since it is
    // not what the messages leave with.
    Bytes eleven = namedImage();
    for (ByteView m : splitSysex(eleven))
        eleven[std::size_t(m.data() - eleven.data()) + 2] = 0x11;
    eleven[2] = 0x12;
    test::writeFile(dir.file("eleven.syx"), eleven);
    r = cli({"info", dir.file("eleven.syx")});
    EXPECT_NE(r.out.find("  device IDs: 11, 12 (sent with device ID 10)\n"), std::string::npos)
        << r.out;

    expectRefused(cli({"info", dir.file("missing.syx")}), "", "missing.syx");

    // A name is the file's own: control bytes reach the terminal escaped.
    Bytes odd = namedImage();
    // (Seven-bit only: a byte above 7F would make the file no image at all.)
    const char name[] = "A\x1B[2J\"\\\x7F\x01z";
    std::copy(std::begin(name), std::end(name) - 1, odd.begin() + 10); // part 1's name
    test::writeFile(dir.file("odd.syx"), odd);
    r = cli({"info", dir.file("odd.syx")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("part 1: \"A\\x1B[2J\\\"\\\\\\x7F\\x01z\""), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\x1B'), std::string::npos);
}

TEST(CliFiles, FixChecksums)
{
    TempDir dir;
    Bytes image = namedImage();
    const Bytes good = image;
    image[84] ^= 1;
    image[9052] ^= 0x40;
    test::writeFile(dir.file("bad.syx"), image);
    auto r = cli({"fix-checksums", dir.file("bad.syx"), dir.file("good.syx")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(test::readFile(dir.file("good.syx")), good);

    // What is wrong and where, in the words send uses for the same file.
    const std::pair<Bytes, std::string> notSysex[] = {
        {test::fromHex("F0 41 10 00 0B 12 02 00"), "the message at byte 0 has no end (F7)"},
        {{}, "the file is empty"},
        {test::fromHex("F0 41 10 00 0B 12 02 00 00 00 01 7D F7 33"),
         "byte 13 is outside any sysex message"},
    };
    for (const auto& [bytes, why] : notSysex) {
        test::writeFile(dir.file("notsysex.syx"), bytes);
        const std::string line = dir.file("notsysex.syx") + " is not a sysex file: " + why + "\n";
        const auto fix = cli({"fix-checksums", dir.file("notsysex.syx"), dir.file("o.syx")});
        expectRefused(fix, dir.file("o.syx"), line);
        EXPECT_EQ(cli({"send", dir.file("notsysex.syx"), "--out", "0"}).err, fix.err);
    }
    expectRefused(cli({"fix-checksums", dir.file("bad.syx"), dir.file("no/folder/o.syx")}), "",
                  "o.syx");
}

TEST(CliFiles, ExportMid)
{
    TempDir dir;
    const Bytes image = namedImage();
    test::writeFile(dir.file("img.syx"), image);
    ASSERT_EQ(cli({"export-mid", dir.file("img.syx"), dir.file("all.mid")}).exitCode, 0);
    EXPECT_EQ(test::readFile(dir.file("all.mid")), midiFileBytes(image));
    ASSERT_EQ(cli({"export-mid", dir.file("img.syx"), dir.file("r.mid"), "--part", "R"}).exitCode,
              0);
    EXPECT_EQ(test::readFile(dir.file("r.mid")).size(), 4669u);
    ASSERT_EQ(cli({"export-mid", dir.file("img.syx"), dir.file("p3.mid"), "--part", "3"}).exitCode,
              0);
    EXPECT_EQ(test::readFile(dir.file("p3.mid")),
              midiFileBytes(ByteView(image).subspan(2 * 650, 650)));

    test::writeFile(dir.file("short.syx"), Bytes(image.begin(), image.end() - 1));
    expectRefused(cli({"export-mid", dir.file("short.syx"), dir.file("o.mid")}), dir.file("o.mid"),
                  "9053 bytes");
    expectRefused(cli({"export-mid", dir.file("img.syx"), dir.file("o.mid"), "--part", "8"}),
                  dir.file("o.mid"), "--part");
}

TEST(CliFiles, Convert)
{
    TempDir dir;
    // The two common bytes the SuperJV/XP lacks come back as 01 00.
    t505temppatch p;
    p.LoadFromBytes(initialPartFile());
    p.WriteByte(0, 0, 72, 1);
    const Bytes part = p.PartBytes(0);
    test::writeFile(dir.file("mc.syx"), part);
    auto r = cli({"convert", dir.file("mc.syx"), dir.file("jv.syx")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("MC-505 -> SuperJV/XP"), std::string::npos);
    EXPECT_EQ(test::readFile(dir.file("jv.syx")).size(), 650u - 7);
    ASSERT_EQ(cli({"convert", dir.file("jv.syx"), dir.file("back.syx")}).exitCode, 0);
    EXPECT_EQ(test::readFile(dir.file("back.syx")), part);

    test::writeFile(dir.file("random.syx"), test::randomBytes(9054, 4));
    expectRefused(cli({"convert", dir.file("random.syx"), dir.file("o.syx")}), dir.file("o.syx"),
                  "random.syx");
}

TEST(CliFiles, ExtractPart)
{
    TempDir dir;
    const Bytes image = namedImage();
    test::writeFile(dir.file("img.syx"), image);
    ASSERT_EQ(
        cli({"extract-part", dir.file("img.syx"), dir.file("p2.syx"), "--part", "2"}).exitCode, 0);
    EXPECT_EQ(test::readFile(dir.file("p2.syx")), Bytes(image.begin() + 650, image.begin() + 1300));

    ASSERT_EQ(cli({"extract-part", dir.file("img.syx"), dir.file("p2as5.syx"), "--part", "2",
                   "--as", "5"})
                  .exitCode,
              0);
    const Bytes moved = test::readFile(dir.file("p2as5.syx"));
    ASSERT_EQ(moved.size(), 650u);
    for (std::size_t at : {7u, 93u, 234u, 375u, 516u})
        EXPECT_EQ(moved[at], 4);
    EXPECT_TRUE(checksumProblems(moved).empty()) << "renumbered messages carry fresh checksums";
    EXPECT_TRUE(
        checkBlock(moved, BlockKind::Part, 4, MessageOrder::AsLaidOut, ChecksumRule::Required)
            .ok());

    ASSERT_EQ(cli({"extract-part", dir.file("img.syx"), dir.file("r.syx"), "--part", "R"}).exitCode,
              0);
    EXPECT_EQ(test::readFile(dir.file("r.syx")), Bytes(image.begin() + 4550, image.end()));

    expectRefused(cli({"extract-part", dir.file("img.syx"), dir.file("o.syx")}), dir.file("o.syx"),
                  "--part");
    expectRefused(
        cli({"extract-part", dir.file("img.syx"), dir.file("o.syx"), "--part", "R", "--as", "2"}),
        dir.file("o.syx"), "--as");
    expectRefused(
        cli({"extract-part", dir.file("img.syx"), dir.file("o.syx"), "--part", "1", "--as", "R"}),
        dir.file("o.syx"), "--as");
    test::writeFile(dir.file("part.syx"), initialPartFile());
    expectRefused(cli({"extract-part", dir.file("part.syx"), dir.file("o.syx"), "--part", "1"}),
                  dir.file("o.syx"), "650 bytes");
}

TEST(CliFiles, EveryCommandRefusesMalformedFilesWithTheReason)
{
    TempDir dir;
    for (const auto& bad : test::malformedImages()) {
        test::writeFile(dir.file("bad.syx"), bad.bytes);
        const std::string head = "bad.syx: " + std::to_string(bad.bytes.size()) +
                                 " bytes, not an image of this instrument: ";
        const auto r = cli({"info", dir.file("bad.syx")});
        EXPECT_EQ(r.exitCode, 1) << bad.what << ": no file of the list is well formed";
        EXPECT_NE(r.out.find(head + bad.problem + "\n"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find('"'), std::string::npos) << "no names read from garbage: " << r.out;
        if (bad.what == "a lost F7" || bad.what == "a status byte among the data") {
            EXPECT_NE(r.out.find("broken message"), std::string::npos) << r.out;
            EXPECT_EQ(r.out.find("all right"), std::string::npos) << r.out;
        }
        expectRefused(cli({"export-mid", dir.file("bad.syx"), dir.file("o.mid")}),
                      dir.file("o.mid"), bad.problem);
        expectRefused(cli({"extract-part", dir.file("bad.syx"), dir.file("o.syx"), "--part", "2"}),
                      dir.file("o.syx"), bad.problem);
    }
    for (const auto& bad : test::malformedPartFiles()) {
        test::writeFile(dir.file("bad.syx"), bad.bytes);
        const auto r = cli({"info", dir.file("bad.syx")});
        EXPECT_EQ(r.exitCode, 1) << bad.what;
        EXPECT_NE(r.out.find("not an image of this instrument: " + bad.problem + "\n"),
                  std::string::npos)
            << r.out;
    }
    // One good file in the list is enough for success.
    test::writeFile(dir.file("good.syx"), test::knownImage(1));
    EXPECT_EQ(cli({"info", dir.file("bad.syx"), dir.file("good.syx")}).exitCode, 0);
}

TEST(CliFiles, FixChecksumsRefusesMessagesItCannotMakeRight)
{
    TempDir dir;
    const Bytes image = test::knownImage(2);
    Bytes joinedTwo = image; // a lost F7 joins part 1's common to its tone 1
    joinedTwo[85] = 0x00;
    Bytes high = image;
    high[300] = 0x90;
    const std::pair<Bytes, std::string> cases[] = {
        {joinedTwo, "the message at byte 0 cannot be made right (broken message: byte 86 is F0 "
                    "(an F7 before it is lost))"},
        {high, "the message at byte 227 cannot be made right (broken message: byte 300 is 90, "
               "which is no data byte)"},
        {test::fromHex("F0 41 10 00 0B 12 02 00 F7"),
         "the message at byte 0 cannot be made right (broken message: too short for a Data Set "
         "message)"},
    };
    for (const auto& [bytes, why] : cases) {
        test::writeFile(dir.file("in.syx"), bytes);
        expectRefused(cli({"fix-checksums", dir.file("in.syx"), dir.file("o.syx")}),
                      dir.file("o.syx"), why);
        const auto r = cli({"info", dir.file("in.syx")});
        EXPECT_EQ(r.out.find("all right"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(why.substr(why.find("(broken") + 1, 20)), std::string::npos) << r.out;
    }
}
