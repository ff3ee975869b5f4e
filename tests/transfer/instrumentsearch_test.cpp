// SPDX-License-Identifier: GPL-3.0-or-later
// The search in process: the built-in instrument among loopback devices, one
// wired back to itself (echo on), one that hears nothing back.
#include "midi/builtininstrument.h"
#include "midi/loopbackdriver.h"
#include "midi/midideviceregistry.h"
#include "patch/rolandmessage.h"
#include "transfer/instrumentsearch.h"

#include "support/testutil.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace dorvane;
using namespace dorvane::test;

namespace {

struct Rig
{
    Rig()
    {
        loopback->addDevice("Thru");
        loopback->addDevice("Quiet");
        loopback->setEcho("Quiet", false);
        registry.addSource(loopback);
        registry.addSource(builtIn);
    }

    const SearchPair* pair(const std::string& out, const std::string& in) const
    {
        for (const SearchPair& p : search.result().pairs)
            if (p.outputName == out && p.inputName == in)
                return &p;
        return nullptr;
    }

    std::shared_ptr<LoopbackDriver> loopback = std::make_shared<LoopbackDriver>();
    std::shared_ptr<BuiltInInstrument> builtIn = std::make_shared<BuiltInInstrument>("");
    MidiDeviceRegistry registry;
    InstrumentSearch search{registry};
};

} // namespace

TEST(InstrumentSearch, FindsTheBuiltInInstrumentAndTakesNoEchoForAnAnswer)
{
    Rig rig;
    rig.builtIn->setFullSpeed(true);
    QSignalSpy finished(&rig.search, &InstrumentSearch::finished);
    QSignalSpy pairs(&rig.search, &InstrumentSearch::pairFinished);
    QSignalSpy progress(&rig.search, &InstrumentSearch::progress);
    ASSERT_TRUE(rig.search.start());
    EXPECT_FALSE(rig.search.start()) << "one search at a time";
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 5000));

    const InstrumentSearchResult& r = rig.search.result();
    EXPECT_FALSE(r.stopped);
    EXPECT_TRUE(r.problems.empty());
    ASSERT_EQ(r.pairs.size(), 9u) << "three outputs with three inputs";
    EXPECT_EQ(pairs.count(), 9);
    const std::string inst = BuiltInInstrument::DeviceName;
    const SearchPair* found = r.instrument();
    ASSERT_TRUE(found);
    EXPECT_EQ(found, rig.pair(inst, inst));
    EXPECT_EQ(found->deviceId, std::optional<std::uint8_t>(DeviceId));
    EXPECT_EQ(found->patchName.value_or(""), "INIT PATCH  ");
    ASSERT_EQ(found->identities.size(), 1u);
    EXPECT_TRUE(found->builtIn());
    EXPECT_EQ(rig.pair("Thru", "Thru")->verdict, SearchPair::Loop);
    for (const SearchPair& p : r.pairs)
        if (&p != found && &p != rig.pair("Thru", "Thru")) {
            EXPECT_EQ(p.verdict, SearchPair::Silent) << p.outputName << " -> " << p.inputName;
        }
    // The bar only goes forward, and ends full.
    int last = -1;
    for (const auto& step : progress) {
        EXPECT_GE(step.at(0).toInt(), last) << step.at(1).toString().toStdString();
        last = step.at(0).toInt();
    }
    EXPECT_EQ(last, 100);
    EXPECT_EQ(progress.front().at(1).toString(), "Listening on 3 inputs for an answer");
    EXPECT_GT(progress.count(), 3) << "steps while the first round listens";

    // What each device was sent: the requests, to every output, and the probe
    // of the one matching step that found the loop's output.
    const auto thru = rig.loopback->sent("Thru");
    ASSERT_GE(thru.size(), 2u);
    EXPECT_EQ(hex(thru[0]), hex(identityRequestMessage()));
    EXPECT_EQ(hex(thru[1]), hex(nameRequestMessage(DeviceId)));
    EXPECT_GE(rig.builtIn->counts().identityRequests, 1);
}

TEST(InstrumentSearch, StopsAtOnceLeavingThePairsNotTried)
{
    Rig rig;
    QSignalSpy finished(&rig.search, &InstrumentSearch::finished);
    rig.loopback->setEcho("Thru", false);
    ASSERT_TRUE(rig.search.start());
    QTest::qWait(50);
    rig.search.stop();
    ASSERT_EQ(finished.count(), 1) << "finished comes from stop itself";
    EXPECT_FALSE(rig.search.isRunning());
    const InstrumentSearchResult& r = rig.search.result();
    EXPECT_TRUE(r.stopped);
    ASSERT_EQ(r.pairs.size(), 9u);
    // The built-in instrument answers at the wire rate: not before the stop.
    for (const SearchPair& p : r.pairs)
        EXPECT_EQ(p.verdict, SearchPair::NotTried);
    EXPECT_FALSE(rig.loopback->isInputOpen("Quiet")) << "the ports are closed";
    rig.search.stop();
    EXPECT_EQ(finished.count(), 1) << "stop when not running does nothing";
}

TEST(InstrumentSearch, ReportsWhatCannotBeOpenedAndEndsWithNothingToSearch)
{
    auto loopback = std::make_shared<LoopbackDriver>();
    loopback->addDevice("Busy");
    loopback->setBusy("Busy", true);
    MidiDeviceRegistry registry;
    registry.addSource(loopback);
    InstrumentSearch search(registry);
    QSignalSpy finished(&search, &InstrumentSearch::finished);
    ASSERT_TRUE(search.start());
    EXPECT_EQ(finished.count(), 0) << "on a later turn";
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 1000));
    EXPECT_TRUE(search.result().pairs.empty());
    EXPECT_FALSE(search.result().instrument());
    ASSERT_EQ(search.result().problems.size(), 2u);
    EXPECT_NE(search.result().problems[0].find("input device 0 \"Busy\""), std::string::npos);
}
