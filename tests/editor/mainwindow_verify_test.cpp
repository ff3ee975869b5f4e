// SPDX-License-Identifier: GPL-3.0-or-later
// Send and Verify and the Get that compares before it loads, in the running
// window on the loopback driver: the test plays the instrument, answering
// each Data Request with the block it chooses.
#include "windowrig.h"

#include "editor/differencespanel.h"
#include "editor/verifycommands.h"
#include "patch/rolandmessage.h"
#include "transfer/dumpreceiver.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace dorvane;
using dorvane::test::WindowRig;

namespace {

constexpr int Cutoff = 81; // a tone's Cutoff Frequency

struct VerifyRig : WindowRig
{
    MainWindow& openOnSynthA()
    {
        store("midiin", "0");
        return openPlaying();
    }

    // Waits for the Data Request and answers it with `block`, or with nothing.
    bool answer(const Bytes& request, const std::optional<Bytes>& block)
    {
        const bool asked = test::waitUntil([&] {
            for (const Bytes& m : driver->sent(Devices[0]))
                if (m == request)
                    return true;
            return false;
        });
        driver->clearSent(Devices[0]);
        if (asked && block)
            driver->feedLong(Devices[0], *block);
        return asked;
    }

    // The window's image with a change, as the instrument would hand it back.
    Bytes changed(const std::function<void(t505temppatch&)>& change) const
    {
        t505temppatch copy;
        copy.LoadFromBytes(window->image().bytes());
        change(copy);
        return copy.AllBytes();
    }

    bool verifyEnded()
    {
        return test::waitUntil([&] { return !window->verify().verifying(); }, 10000);
    }

    std::vector<std::string> rows()
    {
        std::vector<std::string> out;
        for (const ImageDifference& d : window->verify().differencesPanel()->differences())
            out.push_back(differenceSentence(d));
        return out;
    }
};

Bytes partOf(const Bytes& image, int part)
{
    return Bytes(image.begin() + std::ptrdiff_t(partBlockOffset(part)),
                 image.begin() + std::ptrdiff_t(partBlockOffset(part) + partBlockSize(part)));
}

} // namespace

TEST(MainWindowVerify, SendAndVerifyOfAPartEndsAsTheInstrumentAnswers)
{
    struct Row
    {
        const char* what;
        // The instrument's answer from the part as sent; nothing for none.
        std::function<std::optional<Bytes>(VerifyRig&)> answer;
        PartSync state;
        const char* reason;
        std::string status; // the status line starts so
        std::vector<std::string> rows;
        bool loop = false; // the output wired straight back to the input
    };
    const std::vector<Row> rows = {
        {"answered alike",
         [](VerifyRig& r) { return partOf(r.window->image().AllBytes(), 2); },
         PartSync::InStep,
         "sent and read back alike",
         "Verified: the MC-505 holds part 3 as sent",
         {}},
        {"one parameter came back otherwise",
         [](VerifyRig& r) {
             return partOf(r.changed([](t505temppatch& i) { i.WriteByte(2, 2, Cutoff, 64); }), 2);
         },
         PartSync::ChangedHere,
         "sent, but 1 parameter came back otherwise",
         "Verify: 1 parameter differs in part 3 on the MC-505",
         {"Part 3, Tone 2, Cutoff Frequency: 107 here, 64 on the instrument"}},
        {"a damaged answer",
         [](VerifyRig& r) {
             Bytes b = partOf(r.window->image().AllBytes(), 2);
             b[CommonMessageSize - 2] ^= 0x01;
             return b;
         },
         PartSync::InStep,
         "as sent to the instrument",
         "Sent part 3, but it could not be read back: Received 650 bytes, byte 84: wrong "
         "checksum",
         {}},
        {"no answer; the button ends the reading back",
         [](VerifyRig&) { return std::nullopt; },
         PartSync::InStep,
         "as sent to the instrument",
         "Sent part 3, but it could not be read back: Received 0 bytes, expected 650",
         {}},
        {"a MIDI loop, which never passes for the instrument",
         [](VerifyRig&) { return std::nullopt; },
         PartSync::InStep,
         "as sent to the instrument",
         "Sent part 3, but it could not be read back: " + std::string(LoopProblem),
         {},
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        VerifyRig rig;
        rig.driver->setEcho(WindowRig::Devices[0], row.loop);
        MainWindow& w = rig.openOnSynthA();
        if (row.loop)
            w.transfers().receiver().SetStallTimeout(300);
        w.sheets().selectPart(2);
        w.image().WriteByte(2, 2, Cutoff, 107);
        rig.take();

        w.frame().action("SendVerifyPart")->trigger();
        EXPECT_EQ(rig.dialogs.lastText(), "Send Part 3 Data to MC-505 now?");
        EXPECT_EQ(w.frame().shownInSheetArea(), w.transfers().receptionPanel())
            << "nothing is edited while the part is checked";
        const std::optional<Bytes> answer = row.answer(rig);
        ASSERT_TRUE(rig.answer(requestPartMessage(2), answer));
        if (!answer && !row.loop) {
            ASSERT_TRUE(test::waitUntil([&] { return w.verify().readingBack(); }));
            w.transfers().sysexButton()->click();
        }
        ASSERT_TRUE(rig.verifyEnded());
        EXPECT_EQ(w.session().partSync(2), row.state);
        EXPECT_EQ(w.session().partSyncReason(2), row.reason);
        EXPECT_TRUE(w.frame().statusText().startsWith(QString::fromStdString(row.status)))
            << w.frame().statusText().toStdString();
        EXPECT_EQ(rig.rows(), row.rows);
        EXPECT_EQ(w.frame().shownInSheetArea() == w.verify().differencesPage(), !row.rows.empty());
        EXPECT_EQ(w.sheets().pages()->isVisible(), row.rows.empty());
        EXPECT_EQ(w.image().ReadByte(2, 2, Cutoff), 107) << "the window's part stays";
        rig.closeWindow();
    }
}

TEST(MainWindowVerify, TakeTheirsLoadsTheInstrumentsPartAsOneStepAndSendsNothing)
{
    VerifyRig rig;
    MainWindow& w = rig.openOnSynthA();
    w.sheets().selectPart(2);
    w.session().apply("edits", [](t505temppatch& i) {
        i.WriteByte(2, 2, Cutoff, 107);
        i.SetPatchName(2, "MINE");
    });
    const Bytes theirs = rig.changed([](t505temppatch& i) { i.WriteByte(2, 2, Cutoff, 64); });
    const Bytes before = w.image().bytes();
    w.frame().action("SendVerifyPart")->trigger();
    ASSERT_TRUE(rig.answer(requestPartMessage(2), partOf(theirs, 2)));
    ASSERT_TRUE(rig.verifyEnded());
    ASSERT_EQ(w.verify().partsShown(), std::vector<int>{2});
    EXPECT_TRUE(w.verify().differencesTitle()->text().startsWith("1 parameter differs in part 3"));
    rig.take();

    QPushButton* take = w.verify().differencesPanel()->takeTheirsButton(2);
    ASSERT_TRUE(take);
    take->click();
    EXPECT_EQ(w.image().ReadByte(2, 2, Cutoff), 64);
    EXPECT_EQ(w.image().GetPatchName(2), "MINE") << "what came back alike stays";
    EXPECT_EQ(partOf(w.image().bytes(), 1), partOf(before, 1));
    EXPECT_EQ(w.session().partSync(2), PartSync::InStep);
    EXPECT_EQ(w.session().partSyncReason(2), "as got from the instrument");
    EXPECT_EQ(w.frame().action("Undo")->text(), "Undo Take theirs, part 3");
    EXPECT_TRUE(w.sheets().pages()->isVisible()) << "nothing left to choose";
    EXPECT_EQ(rig.take(), test::Messages{}) << "the instrument holds it already";

    w.frame().action("Undo")->trigger();
    EXPECT_EQ(w.image().ReadByte(2, 2, Cutoff), 107);
    rig.closeWindow();
}

TEST(MainWindowVerify, KeepMineSendsThePartAgainAndVerifiesIt)
{
    VerifyRig rig;
    MainWindow& w = rig.openOnSynthA();
    w.sheets().selectPart(7);
    w.image().WriteByte(RhythmPart, 5, 9, 99);
    const Bytes spoilt = rig.changed([](t505temppatch& i) { i.WriteByte(RhythmPart, 5, 9, 98); });
    w.frame().action("SendVerifyPart")->trigger();
    ASSERT_TRUE(rig.answer(requestRhythmMessage(), partOf(spoilt, RhythmPart)));
    ASSERT_TRUE(rig.verifyEnded());
    ASSERT_EQ(rig.rows().size(), 1u);
    EXPECT_EQ(w.session().partSync(EditSession::RhythmIndex), PartSync::ChangedHere);
    const std::size_t asked = rig.dialogs.asked.size();

    // Mine goes again, with no second question, and this time arrives.
    w.verify().differencesPanel()->keepMineButton(RhythmPart)->click();
    EXPECT_EQ(rig.dialogs.asked.size(), asked);
    ASSERT_TRUE(test::waitUntil([&] { return w.verify().readingBack(); }));
    std::vector<Bytes> resent = rig.driver->sent(WindowRig::Devices[0]);
    std::erase_if(resent, [](const Bytes& m) { return m.size() < 12 || m[5] != DataSetCommand; });
    EXPECT_EQ(resent.size(), MessagesInRhythm) << "part R sent whole again";
    ASSERT_TRUE(rig.answer(requestRhythmMessage(), partOf(w.image().AllBytes(), RhythmPart)));
    ASSERT_TRUE(rig.verifyEnded());
    EXPECT_EQ(w.session().partSync(EditSession::RhythmIndex), PartSync::InStep);
    EXPECT_EQ(w.session().partSyncReason(EditSession::RhythmIndex), "sent and read back alike");
    EXPECT_TRUE(w.sheets().pages()->isVisible());
    EXPECT_EQ(w.image().ReadByte(RhythmPart, 5, 9), 99);
    rig.closeWindow();
}

TEST(MainWindowVerify, AWholeImageVerifyListsEveryPartThatCameBackOtherwise)
{
    VerifyRig rig;
    MainWindow& w = rig.openOnSynthA();
    const Bytes theirs = rig.changed([](t505temppatch& i) {
        i.WriteByte(0, 1, Cutoff, (i.ReadByte(0, 1, Cutoff) + 1) % 128);
        i.SetPatchName(RhythmPart, "NOT MY KIT");
    });
    w.frame().action("SendVerify8Part")->trigger();
    EXPECT_EQ(rig.dialogs.lastText(), "Send Current 8 Part data to MC-505 Now?");
    ASSERT_TRUE(rig.answer(requestAllMessage(), theirs));
    ASSERT_TRUE(rig.verifyEnded());
    EXPECT_EQ(w.verify().partsShown(), (std::vector<int>{0, RhythmPart}));
    std::string states;
    for (int i = 0; i < EditSession::PartCount; ++i)
        states += w.session().partSync(i) == PartSync::InStep ? 'S' : 'C';
    EXPECT_EQ(states, "CSSSSSSC");

    // Sorted by a column, the rows stay those of the list; closed, they stay as they are.
    w.verify().differencesPanel()->table()->sortByColumn(DifferencesPanel::PartColumn,
                                                         Qt::DescendingOrder);
    EXPECT_EQ(w.verify().differencesPanel()->differenceAtRow(0)->part, RhythmPart);
    w.verify().differencesCloseButton()->click();
    EXPECT_TRUE(w.sheets().pages()->isVisible());
    EXPECT_EQ(w.session().partSync(0), PartSync::ChangedHere);
    rig.closeWindow();
}

TEST(MainWindowVerify, AGetComparesWithChangesNotSavedBeforeItLoads)
{
    struct Row
    {
        const char* what;
        int choice; // Load, Show the differences, Don't load
        std::function<void(VerifyRig&)> onPage;
        int part1Cutoff; // afterwards
        int part3Cutoff;
        const char* states; // parts 1..7, R: S in step, C changed here
        const char* status;
    };
    const std::vector<Row> rows = {
        {"Load", 0, {}, 10, 20, "SSSSSSSS", "Received 9054 bytes: loaded"},
        {"Don't load",
         2,
         {},
         111,
         113,
         "CSCSSSSS",
         "Received 9054 bytes: not loaded, the window's changes kept"},
        {"shown, part 1 taken and part 3 kept", 1,
         [](VerifyRig& r) {
             VerifyCommands& v = r.window->verify();
             EXPECT_EQ(v.partsShown(), (std::vector<int>{0, 2}));
             EXPECT_EQ(r.rows().size(), 2u);
             v.differencesPanel()->takeTheirsButton(0)->click();
             v.differencesPanel()->keepMineButton(2)->click();
             EXPECT_EQ(r.dialogs.choiceButtons.size(), 1u) << "keep mine sends nothing here";
         },
         10, 113, "SSCSSSSS", "Part 1 taken from the MC-505"},
        {"shown and closed", 1,
         [](VerifyRig& r) { r.window->verify().differencesCloseButton()->click(); }, 111, 113,
         "CSCSSSSS", "Received 9054 bytes: nothing loaded yet"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        VerifyRig rig;
        MainWindow& w = rig.openOnSynthA();
        w.image().WriteByte(0, 1, Cutoff, 10);
        w.image().WriteByte(2, 1, Cutoff, 20);
        const Bytes instrument = w.image().AllBytes();
        // Edits of parts 1 and 3 the instrument never heard of, not saved.
        w.session().apply(
            "edits",
            [](t505temppatch& i) {
                i.WriteByte(0, 1, Cutoff, 111);
                i.WriteByte(2, 1, Cutoff, 113);
            },
            EditSession::Sending::Nothing);
        ASSERT_TRUE(w.files().hasUnsavedChanges(0));

        rig.dialogs.answers.push_back(true);
        rig.dialogs.choices.push_back(row.choice);
        w.frame().action("Get8Part")->trigger();
        EXPECT_EQ(rig.dialogs.asked.back().text.left(26), "Get Patch on Current 8 par")
            << "the system's own question first, as it stands";
        ASSERT_TRUE(rig.answer(requestAllMessage(), instrument));
        ASSERT_TRUE(test::waitUntil([&] { return !w.transfers().receiving(); }, 10000));
        ASSERT_EQ(rig.dialogs.choiceButtons.size(), 1u);
        EXPECT_EQ(rig.dialogs.lastText(),
                  "2 parameters differ in parts 1 and 3, where the window holds changes not "
                  "saved to a file.\r\nLoad the dump and replace them?");
        EXPECT_EQ(rig.dialogs.choiceButtons[0],
                  (QStringList{"Load", "Show the differences", "Don't load"}));
        EXPECT_EQ(w.frame().shownInSheetArea() == w.verify().differencesPage(), row.choice == 1);
        if (row.onPage)
            row.onPage(rig);
        EXPECT_EQ(w.image().ReadByte(0, 1, Cutoff), row.part1Cutoff);
        EXPECT_EQ(w.image().ReadByte(2, 1, Cutoff), row.part3Cutoff);
        std::string states;
        for (int i = 0; i < EditSession::PartCount; ++i)
            states += w.session().partSync(i) == PartSync::InStep ? 'S' : 'C';
        EXPECT_EQ(states, row.states);
        EXPECT_TRUE(w.frame().statusText().startsWith(row.status))
            << w.frame().statusText().toStdString();
        rig.closeWindow();
    }
}

TEST(MainWindowVerify, AGetAsksNothingMoreWhenNoUnsavedChangeIsAtStake)
{
    VerifyRig rig;
    MainWindow& w = rig.openOnSynthA();
    w.sheets().selectPart(3);
    // Part 1 holds changes not saved; a Get of part 4 does not touch them.
    w.session().apply(
        "edit", [](t505temppatch& i) { i.WriteByte(0, 1, Cutoff, 1); },
        EditSession::Sending::Nothing);
    const Bytes instrument = rig.changed([](t505temppatch& i) { i.WriteByte(3, 4, Cutoff, 77); });
    rig.dialogs.answers.push_back(true);
    w.frame().action("GetPart")->trigger();
    ASSERT_TRUE(rig.answer(requestPartMessage(3), partOf(instrument, 3)));
    ASSERT_TRUE(test::waitUntil([&] { return !w.transfers().receiving(); }, 10000));
    EXPECT_TRUE(rig.dialogs.choiceButtons.empty());
    EXPECT_EQ(w.image().ReadByte(3, 4, Cutoff), 77);
    EXPECT_EQ(w.image().ReadByte(0, 1, Cutoff), 1);
    rig.closeWindow();
}

TEST(MainWindowVerify, TheButtonDuringTheSendStopsBeforeTheReadingBack)
{
    VerifyRig rig;
    rig.driver->setBytesPerSecond(3000); // 1.5 s for part R
    MainWindow& w = rig.openOnSynthA();
    w.sheets().selectPart(7);
    w.frame().action("SendVerifyPart")->trigger();
    ASSERT_TRUE(w.verify().verifying());
    // A Get meanwhile would take the receiver from the reading back.
    w.frame().action("Get8Part")->trigger();
    EXPECT_EQ(w.frame().statusText(), "A transfer is under way: wait for it to end");
    w.transfers().sysexButton()->click();
    EXPECT_TRUE(w.sheets().pages()->isVisible());
    ASSERT_TRUE(rig.verifyEnded());
    EXPECT_EQ(w.frame().statusText(), "Sent part R without verifying it");
    EXPECT_EQ(w.session().partSyncReason(EditSession::RhythmIndex), "as sent to the instrument");
    for (const Bytes& m : rig.driver->sent(WindowRig::Devices[0]))
        EXPECT_NE(m, requestRhythmMessage()) << "nothing is asked back";
    rig.closeWindow();
}
