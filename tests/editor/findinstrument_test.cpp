// SPDX-License-Identifier: GPL-3.0-or-later
// "Find Instrument" in the running window: the built-in instrument among the
// loopback's devices, one of them wired back to itself (a thru loop); the
// offer at a first start, the choice and the device ID kept with its output;
// and the panel's list on pairs made by hand.
#include "windowrig.h"

#include "editor/findinstrumentpanel.h"
#include "editor/windowtexts.h"
#include "midi/builtininstrument.h"
#include "midi/tmidiinput.h"
#include "patch/identity.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::waitUntil;
using dorvane::test::WindowRig;

namespace {

constexpr char Inst[] = "MC-505 (built in)";
// The loopback's three devices come first: the instrument is the fourth.
constexpr int InstDevice = 3;

struct FinderRig : WindowRig
{
    std::shared_ptr<BuiltInInstrument> instrument;

    FinderRig()
    {
        instrument = std::make_shared<BuiltInInstrument>(file("perf.syx"));
        instrument->setFullSpeed(true);
        registry.addSource(instrument);
        // "Synth B" is wired back to itself: what it is sent comes back.
        driver->setEcho(Devices[1], true);
        store("autotrig", "0");
    }

    FindInstrumentPanel& panel() { return *window->finder().panel(); }
    QString cell(int row, int column)
    {
        const QTreeWidgetItem* item = panel().list()->topLevelItem(row);
        return item ? item->text(column) : QString("(no row %1)").arg(row);
    }
    int rowOf(const std::string& output, const std::string& input)
    {
        const auto& pairs = panel().pairs();
        for (std::size_t i = 0; i < pairs.size(); ++i)
            if (pairs[i].outputName == output && pairs[i].inputName == input)
                return int(i);
        return -1;
    }
    bool searched()
    {
        return waitUntil([&] { return !window->finder().searching() && !panel().running(); },
                         10000);
    }
};

} // namespace

TEST(FindInstrument, FirstStartOffersTheSearchOnceAndChoosesTheInstrumentFound)
{
    FinderRig rig;
    rig.store("findoffered", "0");
    rig.dialogs.answers = {true, true}; // search now; use the ports found
    MainWindow& w = rig.open();
    ASSERT_TRUE(waitUntil([&] { return rig.dialogs.asked.size() == 2; }, 10000))
        << w.frame().statusText().toStdString();
    EXPECT_EQ(rig.dialogs.asked[0].text, texts::withLineBreaks(texts::FindOffer));
    EXPECT_EQ(rig.dialogs.asked[0].kind, AskKind::Warning);
    const QString use = rig.dialogs.asked[1].text;
    EXPECT_TRUE(use.contains("MIDI Out \"MC-505 (built in)\" and MIDI In \"MC-505 (built in)\"") &&
                use.contains("17 (10 hex)"))
        << use.toStdString();
    EXPECT_EQ(rig.stored("findoffered"), "1");

    // Chosen as the selectors would, the ID kept with the output.
    EXPECT_TRUE(w.sheets().pages()->isVisible()) << "back on the sheets";
    EXPECT_EQ(rig.control("midiout")->Caption(), Inst);
    EXPECT_EQ(rig.control("midiin")->Caption(), Inst);
    ASSERT_TRUE(w.midiOutput().IsOpen());
    EXPECT_EQ(w.midiOutput().DeviceID(), InstDevice);
    EXPECT_EQ(w.midiInput().State(), misOpen);
    EXPECT_EQ(w.midiInput().DeviceID(), InstDevice);
    EXPECT_EQ(w.util().Sender().InstrumentDeviceId(), 0x10);
    EXPECT_EQ(rig.stored("deviceid"), "0x10");
    EXPECT_EQ(rig.stored("deviceidout"), Inst);
    EXPECT_EQ(rig.stored("midioutname"), Inst);
    EXPECT_EQ(rig.stored("midiinname"), Inst);
    EXPECT_EQ(w.finder().deviceIdLabel()->text(), "17 (10 hex)");
    EXPECT_TRUE(w.frame().statusText().contains("MIDI Out \"MC-505 (built in)\""))
        << w.frame().statusText().toStdString();
    // A change of output, as the selector makes it.
    for (int i = 0; i < EditSession::PartCount; ++i) {
        EXPECT_EQ(w.session().partSync(i), PartSync::NotKnown) << i;
        EXPECT_EQ(w.session().partSyncReason(i), texts::OutputChangedNotKnown) << i;
    }

    // What the list said: the instrument first, named by its own identity
    // reply; the loop skipped; the rest silent.
    ASSERT_EQ(rig.panel().pairs().size(), 16u) << "four outputs with four inputs";
    EXPECT_EQ(rig.rowOf(Inst, Inst), 0);
    EXPECT_EQ(rig.cell(0, FindInstrumentPanel::VerdictColumn),
              "the instrument: part 1 is \"" +
                  QString::fromStdString(w.image().GetPatchName(0)).trimmed() + "\"");
    EXPECT_EQ(rig.cell(0, FindInstrumentPanel::IdentityColumn),
              "Dorvane's built-in instrument (" +
                  QString::fromStdString(identityText(builtInIdentity(0x10))) + ")");
    EXPECT_EQ(rig.cell(0, FindInstrumentPanel::DeviceIdColumn), "17 (10 hex)");
    const int loop = rig.rowOf("Synth B", "Synth B");
    EXPECT_EQ(rig.cell(loop, FindInstrumentPanel::VerdictColumn), "a MIDI thru loop, skipped");
    EXPECT_EQ(loop, 1) << "the loop right after the instrument";
    for (int row = 2; row < 16; ++row)
        EXPECT_EQ(rig.cell(row, FindInstrumentPanel::VerdictColumn), "no answer") << row;
    EXPECT_TRUE(rig.panel().summary()->text().contains("One MIDI thru loop skipped"))
        << rig.panel().summary()->text().toStdString();

    // The input is the instrument's: a Get comes back through it.
    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    ASSERT_TRUE(waitUntil([&] { return w.sheets().pages()->isVisible(); }, 10000))
        << w.frame().statusText().toStdString();
    EXPECT_EQ(w.session().partSync(0), PartSync::InStep);
    rig.closeWindow();

    // The next start opens what was chosen, and asks nothing.
    rig.open();
    EXPECT_EQ(rig.window->midiOutput().DeviceID(), InstDevice);
    EXPECT_TRUE(rig.window->midiOutput().IsOpen());
    QTest::qWait(20);
    EXPECT_EQ(rig.dialogs.asked.size(), 4u) << rig.dialogs.lastText().toStdString();
    rig.closeWindow();
}

TEST(FindInstrument, TheOfferAnsweredNoIsNotAskedAgain)
{
    FinderRig rig;
    rig.store("findoffered", "0");
    rig.dialogs.answers = {false};
    MainWindow& w = rig.open();
    ASSERT_TRUE(waitUntil([&] { return rig.dialogs.asked.size() == 1; }));
    QTest::qWait(20);
    EXPECT_FALSE(w.finder().searching());
    EXPECT_TRUE(w.sheets().pages()->isVisible());
    EXPECT_FALSE(w.midiOutput().IsOpen());
    EXPECT_EQ(w.frame().statusText(), texts::ChooseOutput);
    rig.closeWindow();
    rig.open();
    QTest::qWait(20);
    EXPECT_EQ(rig.dialogs.asked.size(), 2u) << "only the exit question more";
    rig.closeWindow();
}

TEST(FindInstrument, TheDeviceIdStaysWithTheOutputItWasFoundOn)
{
    struct Row
    {
        const char* deviceId;
        const char* output; // the output the ID was found on
        std::uint8_t sentWith;
    };
    const Row rows[] = {
        {"0x1F", "Synth A", 0x1F}, {"0x11", "Synth B", 0x10}, {"0x300", "Synth A", 0x10},
        {"junk", "Synth A", 0x10}, {"17", "Synth A", 0x11},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.deviceId) + " on " + row.output);
        WindowRig rig;
        rig.store("deviceid", row.deviceId);
        rig.store("deviceidout", row.output);
        rig.store("midioutname", "Synth A");
        MainWindow& w = rig.openPlaying();
        EXPECT_EQ(w.util().Sender().InstrumentDeviceId(), row.sentWith);
        EXPECT_EQ(w.finder().deviceIdLabel()->text(), deviceIdWords(row.sentWith));
        rig.release("cutoff", 40);
        const auto sent = rig.take();
        ASSERT_FALSE(sent.empty());
        for (const std::string& m : sent)
            EXPECT_EQ(m.substr(0, 8), "F0 41 " + test::hex({row.sentWith}))
                << "every message to the instrument carries its ID";

        // Another output chosen by hand ("Synth C") is spoken to by the
        // default, and the first by its own ID again.
        rig.release("midiout", 3);
        EXPECT_EQ(w.util().Sender().InstrumentDeviceId(), 0x10);
        EXPECT_EQ(w.finder().deviceIdLabel()->text(), "17 (10 hex)");
        rig.release("midiout", 1);
        EXPECT_EQ(w.util().Sender().InstrumentDeviceId(), row.sentWith);
        rig.closeWindow();
    }
}

TEST(FindInstrument, StopAndBackLeaveTheWindowAsItWas)
{
    FinderRig rig;
    rig.store("midiout", QString::number(InstDevice));
    rig.store("midiin", QString::number(InstDevice));
    MainWindow& w = rig.open();
    rig.dialogs.answers.push_back(true);
    w.frame().action("Get8Part")->trigger();
    ASSERT_TRUE(waitUntil([&] { return w.sheets().pages()->isVisible(); }, 20000));
    ASSERT_EQ(w.session().partSync(0), PartSync::InStep);

    w.sheets().showSheet(Sheet::Setup);
    QTest::mouseClick(w.finder().findButton(), Qt::LeftButton);
    ASSERT_TRUE(w.finder().searching());
    EXPECT_EQ(w.frame().shownInSheetArea(), rig.window->finder().panel());
    EXPECT_NE(w.midiInput().State(), misOpen) << "the input gives way to the search";
    EXPECT_FALSE(w.frame().action("Get8Part")->isEnabled());
    EXPECT_FALSE(w.frame().action("SendVerifyPart")->isEnabled()) << "it reads back on the input";
    EXPECT_FALSE(rig.panel().useButton()->isEnabled());
    QTest::mouseClick(rig.panel().stopButton(), Qt::LeftButton);
    EXPECT_FALSE(w.finder().searching());
    EXPECT_EQ(w.midiInput().State(), misOpen);
    EXPECT_EQ(w.midiInput().DeviceID(), InstDevice);
    EXPECT_TRUE(w.frame().action("Get8Part")->isEnabled());
    EXPECT_TRUE(w.frame().action("SendVerify8Part")->isEnabled());
    EXPECT_TRUE(rig.panel().summary()->text().startsWith("Stopped"))
        << rig.panel().summary()->text().toStdString();
    for (const SearchPair& p : rig.panel().pairs())
        EXPECT_EQ(p.verdict, SearchPair::NotTried);
    QTest::qWait(20);
    EXPECT_EQ(rig.dialogs.asked.size(), 1u) << "a stopped search offers nothing";

    // Searched again and found where the window speaks to it already:
    // nothing to ask; used from the list all the same, what the instrument
    // holds is still known.
    QTest::mouseClick(rig.panel().againButton(), Qt::LeftButton);
    ASSERT_TRUE(rig.searched());
    ASSERT_TRUE(waitUntil([&] { return !w.frame().statusText().isEmpty(); }));
    EXPECT_EQ(w.frame().statusText(), QString(texts::FoundInUse).arg("17 (10 hex)"));
    EXPECT_EQ(rig.dialogs.asked.size(), 1u);
    EXPECT_EQ(w.frame().shownInSheetArea(), rig.window->finder().panel());
    ASSERT_TRUE(rig.panel().useButton()->isEnabled());
    QTest::mouseClick(rig.panel().useButton(), Qt::LeftButton);
    EXPECT_TRUE(w.sheets().pages()->isVisible());
    EXPECT_EQ(w.midiOutput().DeviceID(), InstDevice);
    EXPECT_EQ(w.session().partSync(0), PartSync::InStep) << "the same instrument chosen again";

    // Elsewhere (the output chosen by hand is another), the pair found is
    // offered; No leaves the list as it was, Esc goes back.
    rig.release("midiout", 1);
    ASSERT_EQ(w.midiOutput().DeviceID(), 0);
    rig.dialogs.answers.push_back(false);
    QTest::mouseClick(w.finder().findButton(), Qt::LeftButton);
    ASSERT_TRUE(rig.searched());
    ASSERT_TRUE(waitUntil([&] { return rig.dialogs.asked.size() == 2; }));
    EXPECT_EQ(w.frame().shownInSheetArea(), rig.window->finder().panel()) << "No: still the list";
    EXPECT_EQ(w.midiOutput().DeviceID(), 0);
    QTest::keyClick(rig.panel().list(), Qt::Key_Escape);
    EXPECT_TRUE(w.sheets().pages()->isVisible());

    // Back while it runs stops it and gives the sheets back.
    QTest::mouseClick(w.finder().findButton(), Qt::LeftButton);
    ASSERT_TRUE(w.finder().searching());
    QTest::mouseClick(rig.panel().backButton(), Qt::LeftButton);
    EXPECT_FALSE(w.finder().searching());
    EXPECT_TRUE(w.sheets().pages()->isVisible());
    EXPECT_EQ(w.midiInput().State(), misOpen);
    rig.closeWindow();
}

namespace {

SearchPair pairOf(const char* out, const char* in, SearchPair::Verdict verdict, int output = 0)
{
    SearchPair p;
    p.output = output;
    p.outputName = out;
    p.input = output;
    p.inputName = in;
    p.verdict = verdict;
    return p;
}

IdentityReply rolandLike()
{
    return {0x11, {0x41}, {0x0B, 0x02}, {0x00, 0x00}, {0x00, 0x03, 0x00, 0x00}};
}

} // namespace

TEST(FindInstrumentPanel, ListsTheInstrumentsFirstAndOffersOnlyWhatCanBeUsed)
{
    SearchPair inst = pairOf("Inst out", "Inst in", SearchPair::Instrument, 2);
    inst.deviceId = 0x11;
    inst.patchName = "BASS LINE   ";
    inst.identities = {rolandLike()};
    SearchPair orphan = pairOf("", "Orphan in", SearchPair::Instrument, SearchPair::UnknownOutput);
    SearchPair other = pairOf("Other out", "Other in", SearchPair::Answered, 3);
    other.identities = {builtInIdentity(0x10), rolandLike()};
    InstrumentSearchResult result;
    result.pairs = {pairOf("Quiet", "Quiet", SearchPair::Silent),
                    pairOf("Thru", "Thru", SearchPair::Loop, 1), other, inst, orphan};
    result.problems = {"cannot open input device 4 \"Busy\" (error 4)"};

    FindInstrumentPanel panel;
    QSignalSpy used(&panel, &FindInstrumentPanel::useRequested);
    panel.searchStarted();
    EXPECT_TRUE(panel.stopButton()->isEnabled());
    for (const SearchPair& p : result.pairs)
        panel.addPair(p);
    EXPECT_EQ(panel.pairs().front().inputName, "Inst in") << "in place as they come";
    EXPECT_FALSE(panel.useButton()->isEnabled()) << "nothing is used while it runs";
    panel.searchEnded(result);

    // Every cell, row by row; the identity replies as received, named after nothing.
    const QString builtInThenOther = QString::fromStdString("Dorvane's built-in instrument (" +
                                                            identityText(builtInIdentity(0x10)) +
                                                            "); " + identityText(rolandLike()));
    const std::vector<QStringList> rows = {
        {"Inst out", "Inst in", "the instrument: part 1 is \"BASS LINE\"", "18 (11 hex)",
         "device ID 11, manufacturer 41, family 0B 02, member 00 00, version 00 03 00 00"},
        {"not found", "Orphan in", "the instrument", "", ""},
        {"Other out", "Other in", "answered, but not as an MC-505", "", builtInThenOther},
        {"Thru", "Thru", "a MIDI thru loop, skipped", "", ""},
        {"Quiet", "Quiet", "no answer", "", ""},
    };
    ASSERT_EQ(panel.list()->topLevelItemCount(), int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row)
        for (int column = 0; column < FindInstrumentPanel::ColumnCount; ++column)
            EXPECT_EQ(panel.list()->topLevelItem(row)->text(column), rows[std::size_t(row)][column])
                << row << ", " << column;
    EXPECT_TRUE(panel.problems()->isVisibleTo(&panel));
    EXPECT_TRUE(panel.problems()->text().contains("\"Busy\""));
    EXPECT_EQ(panel.summary()->text().toStdString(),
              "The MC-505 answers on MIDI Out \"Inst out\" and MIDI In \"Inst in\", device ID 18 "
              "(11 hex). One MIDI thru loop skipped: a port that sends back what it gets is not "
              "the instrument.");

    // The instrument is offered; an input whose output is not known is not.
    ASSERT_EQ(panel.choosablePairs().size(), 1u);
    EXPECT_EQ(panel.currentPair()->inputName, "Inst in");
    ASSERT_TRUE(panel.useButton()->isEnabled());
    QTest::mouseClick(panel.useButton(), Qt::LeftButton);
    ASSERT_EQ(used.count(), 1);
    EXPECT_EQ(used.at(0).at(0).value<SearchPair>().output, 2);
    panel.list()->setCurrentItem(panel.list()->topLevelItem(1));
    EXPECT_FALSE(panel.useButton()->isEnabled());
    QTest::mouseClick(panel.useButton(), Qt::LeftButton);
    EXPECT_EQ(used.count(), 1);
}

TEST(FindInstrumentPanel, SaysWhatTheSearchCameTo)
{
    SearchPair a = pairOf("A", "A", SearchPair::Instrument, 0);
    SearchPair b = pairOf("B", "B", SearchPair::Instrument, 1);
    const SearchPair loop = pairOf("L", "L", SearchPair::Loop, 2);
    const SearchPair orphan = pairOf("", "O", SearchPair::Instrument, SearchPair::UnknownOutput);
    SearchPair builtIn =
        pairOf("MC-505 (built in)", "MC-505 (built in)", SearchPair::Instrument, 4);
    builtIn.identities = {builtInIdentity(0x10)};
    struct Row
    {
        std::vector<SearchPair> pairs;
        bool stopped;
        const char* says;
        const char* offered; // the input of the pair offered at once
    };
    const Row rows[] = {
        {{a, b}, false, "2 instruments answered: choose one", nullptr},
        {{a, b, builtIn}, false, "3 instruments answered: choose one", nullptr},
        {{builtIn, a},
         false,
         "answers on MIDI Out \"A\" and MIDI In \"A\", device ID 17 (10 hex). "
         "Dorvane's built-in instrument answered too.",
         "A"},
        {{builtIn}, false, "answers on MIDI Out \"MC-505 (built in)\"", "MC-505 (built in)"},
        {{loop, loop}, false, "No MC-505 answered.", nullptr},
        {{loop, loop}, false, "2 MIDI thru loops skipped", nullptr},
        {{pairOf("Q", "Q", SearchPair::NotTried)},
         true,
         "Stopped before every pair was tried; no",
         nullptr},
        {{a},
         true,
         "Stopped before every pair was tried. The MC-505 answers on MIDI Out \"A\"",
         "A"},
        {{orphan}, false, "An MC-505 answered on MIDI In \"O\", but no output reached it", nullptr},
    };
    for (const Row& row : rows) {
        InstrumentSearchResult r;
        r.pairs = row.pairs;
        r.stopped = row.stopped;
        FindInstrumentPanel panel;
        panel.searchEnded(r);
        EXPECT_TRUE(panel.summary()->text().contains(row.says))
            << panel.summary()->text().toStdString();
        EXPECT_FALSE(panel.problems()->isVisibleTo(&panel));
        const SearchPair* offered = panel.offeredPair();
        EXPECT_EQ(offered ? offered->inputName : "none", row.offered ? row.offered : "none")
            << panel.summary()->text().toStdString();
        // The built-in instrument after any other.
        const bool other = std::any_of(row.pairs.begin(), row.pairs.end(), [](const SearchPair& p) {
            return p.isInstrument() && !p.builtIn();
        });
        if (other) {
            EXPECT_FALSE(panel.pairs().front().builtIn());
        }
    }
    EXPECT_EQ(deviceIdWords(0x00), "1 (00 hex)");
    EXPECT_EQ(deviceIdWords(0x1F), "32 (1F hex)");
}
