// SPDX-License-Identifier: GPL-3.0-or-later
// The component's data-set header, sender, panic sweeps, device lists and
// questions, against the loopback driver.
#include "playerrig.h"

#include "midi/midisender.h"
#include "midi/miditexts.h"
#include "support/scripteddialogs.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace dorvane;
using namespace dorvane::test;

TEST(UtilMessages, TheDataSetHeaderFollowsTheSynth)
{
    PlayerRig rig;
    rig.util.SetSynth(tsMC505);
    EXPECT_EQ(hex(rig.util.DataSetHeader()), "F0 41 10 00 0B 12");
    rig.util.SetSynth(tsJVXP);
    EXPECT_EQ(hex(rig.util.DataSetHeader()), "F0 41 10 6A 12");
}

TEST(UtilMessages, LongMessagesLeaveInOrderWithTheOptionalPause)
{
    PlayerRig rig;
    rig.util.SetSynth(tsMC505);
    rig.util.SetPause(true);
    EXPECT_TRUE(rig.util.Pause());
    EXPECT_TRUE(rig.util.Sender().Pause()) << "the flag is the sender's";
    for (int value = 0; value < 5; ++value)
        rig.util.Sender().SendLongNow(parameterMessage(tsMC505, {0x02, 0x00, 0x00, 0x01}, value));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.util.Sender().IsIdle(); }, 5000));
    const Messages got = rig.take();
    ASSERT_EQ(got.size(), 5u);
    for (int value = 0; value < 5; ++value)
        EXPECT_EQ(got[std::size_t(value)].substr(30, 2), hex(Bytes{std::uint8_t(value)}));
}

TEST(UtilMessages, SendFileSendsEveryByteAndReportsAFileItCannotRead)
{
    PlayerRig rig;
    TempDir dir;
    const Bytes file = fromHex("F0 41 10 00 0B 12 02 00 00 01 05 78 F7 "
                               "F0 41 10 00 0B 12 02 00 00 02 06 76 F7");
    writeFile(dir.file("two.syx"), file);
    EXPECT_TRUE(rig.util.SendFile(QString::fromStdString(dir.file("two.syx"))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.util.Sender().IsIdle(); }, 5000));
    Bytes sent;
    for (const std::string& m : rig.take()) {
        const Bytes b = fromHex(m);
        sent.insert(sent.end(), b.begin(), b.end());
    }
    EXPECT_EQ(sent, file);

    QSignalSpy failed(&rig.util, &TMIDIappUtil::sendFailed);
    EXPECT_FALSE(rig.util.SendFile(QString::fromStdString(dir.file("missing.syx"))));
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(rig.take(), Messages{});
}

TEST(UtilMessages, AFailedLongMessageIsReportedThroughTheComponent)
{
    PlayerRig rig;
    QSignalSpy failed(&rig.util, &TMIDIappUtil::sendFailed);
    rig.output.Close();
    rig.util.Sender().SendLongNow(parameterMessage(tsMC505, {0x02, 0x00, 0x00, 0x01}, 1));
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(failed.at(0).at(0).toString(), miditexts::OutputNotOpen);
}

TEST(UtilMessages, PanicSweepsAllSixteenChannelsSoundOffFirst)
{
    PlayerRig rig;
    rig.util.AllSoundOff();
    rig.util.ResetAllControllers();
    Messages expected;
    for (int controller : {0x78, 0x79}) {
        for (int channel = 0; channel < 16; ++channel)
            expected.push_back(
                hex(Bytes{std::uint8_t(0xB0 + channel), std::uint8_t(controller), 0}));
    }
    EXPECT_EQ(rig.take(), expected);
}

TEST(UtilMessages, PanicOnAClosedPortRaisesAtTheFirstMessage)
{
    PlayerRig rig;
    rig.output.Close();
    try {
        rig.util.AllSoundOff();
        FAIL() << "nothing raised";
    } catch (const EmidioutputError& e) {
        EXPECT_STREQ(e.what(), miditexts::OutputNotOpen);
    }
    ASSERT_TRUE(rig.output.Open());
    EXPECT_EQ(rig.take(), Messages{});
}

TEST(UtilMessages, SendShortPassesThreeBytesStraightToThePort)
{
    PlayerRig rig;
    rig.util.SendShort(0xC3, 5, 0);
    rig.util.SendShort(0xB1, 7, 100);
    EXPECT_EQ(rig.take(), (Messages{"C3 05", "B1 07 64"}));
}

TEST(UtilDevices, ListsNamesInDeviceOrderAndLeavesThePortOnTheLast)
{
    PlayerRig rig;
    rig.output.Close();
    EXPECT_EQ(rig.util.ListOutputs(), (QStringList{"Loop A", "Loop B"}));
    EXPECT_EQ(rig.output.DeviceID(), 1);
    EXPECT_EQ(rig.util.ListInputs(), (QStringList{"Loop A", "Loop B"}));
    EXPECT_EQ(rig.input.DeviceID(), 1);

    TMIDIappUtil unwired;
    EXPECT_TRUE(unwired.ListOutputs().isEmpty());
    EXPECT_TRUE(unwired.ListInputs().isEmpty());
    EXPECT_FALSE(unwired.SelectOutput(0));
}

TEST(UtilDevices, SelectOutputReopensThePortOnTheChosenDevice)
{
    PlayerRig rig;
    EXPECT_TRUE(rig.util.SelectOutput(1));
    EXPECT_EQ(rig.output.ProductName(), "Loop B");
    rig.util.KeyDown('Z', Qt::NoModifier);
    EXPECT_EQ(rig.take(PlayerRig::DeviceB), (Messages{"90 24 61"}));
    EXPECT_EQ(rig.driver->sent(PlayerRig::DeviceA), std::vector<Bytes>{});

    rig.driver->setBusy(PlayerRig::DeviceA, true);
    EXPECT_FALSE(rig.util.SelectOutput(0)) << "a busy device fails quietly";
    EXPECT_FALSE(rig.output.IsOpen());
    EXPECT_EQ(rig.output.DeviceID(), 0);

    EXPECT_THROW(rig.util.SelectOutput(7), EmidioutputError);
}

TEST(UtilQuestions, AskGoesThroughTheDialogSeam)
{
    TMIDIappUtil util;
    ScriptedDialogs dialogs;
    dialogs.answers = {false, true};
    util.SetDialogs(&dialogs);
    EXPECT_FALSE(util.Ask("Send it?", AskKind::Warning));
    EXPECT_TRUE(util.Ask("Done.", AskKind::Information));
    EXPECT_TRUE(util.Ask("Odd kind.", AskKind(7)));
    ASSERT_EQ(dialogs.asked.size(), 3u);
    EXPECT_EQ(dialogs.asked[0].text, "Send it?");
    EXPECT_EQ(dialogs.asked[0].kind, AskKind::Warning);
    EXPECT_EQ(dialogs.asked[1].kind, AskKind::Information);
    EXPECT_EQ(dialogs.asked[2].kind, AskKind::Information) << "any other kind is information";

    TMIDIappUtil nobody;
    EXPECT_FALSE(nobody.Ask("Replace?", AskKind::Warning)) << "unanswered means No";
}

TEST(UtilQuestions, ProgramFolderHasNoTrailingSeparator)
{
    const QString folder = TMIDIappUtil::ProgramFolder();
    EXPECT_EQ(folder, QCoreApplication::applicationDirPath());
    EXPECT_FALSE(folder.endsWith('/'));
    EXPECT_FALSE(folder.isEmpty());
}
