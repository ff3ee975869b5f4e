// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the instrument over a real JACK server, among peers written on
// python-rtmidi (tests/support/jackinstrument.py): one that plays the
// instrument, one that sends back whatever it gets (a MIDI thru loop), one
// that never answers.
#include "midi/midideviceregistry.h"
#include "midi/rtmididriver.h"
#include "patch/identity.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"
#include "transfer/instrumentsearch.h"

#include "support/jackinstrumentpeer.h"
#include "support/jacksuite.h"
#include "support/knownimage.h"
#include "support/testutil.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace dorvane;
using namespace dorvane::test;

namespace {

// What the peer playing the instrument says of itself: a maker's ID and
// bytes of its own, which the search must show as they are.
constexpr char PeerIdentity[] = "41 12 34 56 78 00 01 02 03";

} // namespace

class JackFind : public JackSuite
{
protected:
    void SetUp() override
    {
        JackSuite::SetUp();
        writeFile(dir.file("peer.syx"), image);
    }

    std::unique_ptr<JackInstrumentPeer> peer(const QStringList& options)
    {
        auto p = std::make_unique<JackInstrumentPeer>(dir.file("peer.syx"), options);
        EXPECT_TRUE(p->ready());
        return p;
    }

    InstrumentSearchResult search()
    {
        MidiDeviceRegistry registry;
        registry.addSource(std::make_shared<RtMidiDriver>());
        InstrumentSearch s(registry);
        QSignalSpy finished(&s, &InstrumentSearch::finished);
        EXPECT_TRUE(s.start());
        EXPECT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 15000));
        return s.result();
    }

    static const SearchPair* pair(const InstrumentSearchResult& r, const std::string& out,
                                  const std::string& in)
    {
        for (const SearchPair& p : r.pairs)
            if (p.outputName.rfind(out, 0) == 0 && p.inputName.rfind(in, 0) == 0)
                return &p;
        return nullptr;
    }

    std::string partOneName() const
    {
        t505temppatch p;
        p.LoadFromBytes(image);
        std::string name = p.GetPatchName(0);
        name.resize(12, ' ');
        return name;
    }

    TempDir dir;
    Bytes image = knownImage(4);
};

TEST_F(JackFind, FindsTheInstrumentAmongThreeAndTakesNoEchoForIt)
{
    // The loop first, so that its echoes come in before any answer.
    auto loop = peer({"--name", "loop", "--echo"});
    auto inst = peer({"--name", "inst", "--identity", PeerIdentity, "--rate", "31250"});
    auto quiet = peer({"--name", "quiet", "--silent", "--identity", PeerIdentity});
    const InstrumentSearchResult r = search();

    EXPECT_TRUE(r.problems.empty()) << r.problems.front();
    EXPECT_EQ(r.pairs.size(), 9u) << "three outputs with three inputs";
    const SearchPair* found = r.instrument();
    ASSERT_TRUE(found);
    EXPECT_EQ(found, pair(r, "inst:in", "inst-out:out"));
    EXPECT_EQ(found->deviceId, std::optional<std::uint8_t>(0x10));
    EXPECT_EQ(found->patchName.value_or("none"), partOneName());
    ASSERT_EQ(found->identities.size(), 1u);
    EXPECT_EQ(identityText(found->identities[0]),
              "device ID 10, manufacturer 41, family 12 34, member 56 78, version 00 01 02 03");
    EXPECT_FALSE(found->builtIn());

    const SearchPair* echo = pair(r, "loop:in", "loop-out:out");
    ASSERT_TRUE(echo);
    EXPECT_EQ(echo->verdict, SearchPair::Loop);
    int instruments = 0, silent = 0;
    for (const SearchPair& p : r.pairs) {
        instruments += p.isInstrument();
        silent += p.verdict == SearchPair::Silent;
    }
    EXPECT_EQ(instruments, 1);
    EXPECT_EQ(silent, 7);

    // The instrument was asked who it is and for part 1's name, first of all.
    const auto got = inst->finish();
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(hex(got[0].bytes), hex(identityRequestMessage()));
    EXPECT_EQ(hex(got[1].bytes), hex(nameRequestMessage(0x10)));
}

TEST_F(JackFind, AnswersLostDamagedOrLateDecideWhatThePairIs)
{
    struct Case
    {
        QStringList options;
        SearchPair::Verdict verdict;
        std::size_t identities;
    };
    const Case cases[] = {
        {{"--drop", "identity"}, SearchPair::Instrument, 0},
        {{"--corrupt", "identity"}, SearchPair::Instrument, 0},
        {{"--delay-ms", "400"}, SearchPair::Instrument, 1},
        {{"--drop", "data"}, SearchPair::Answered, 1},
        {{"--corrupt", "data"}, SearchPair::Answered, 1},
        {{"--delay-ms", "1500"}, SearchPair::Silent, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        auto inst = peer(QStringList{"--name", "inst", "--identity", PeerIdentity} + c.options);
        const InstrumentSearchResult r = search();
        const SearchPair* p = pair(r, "inst:in", "inst-out:out");
        ASSERT_TRUE(p);
        EXPECT_EQ(p->verdict, c.verdict);
        EXPECT_EQ(p->identities.size(), c.identities);
    }
}

TEST_F(JackFind, AnInstrumentThatWentAndCameBackIsFoundAgain)
{
    auto inst = peer(
        {"--name", "inst", "--identity", PeerIdentity, "--vanish-ms", "0", "--return-ms", "3000"});
    ASSERT_EQ(inst->readLine(5000), "VANISHED");
    EXPECT_FALSE(search().instrument());
    ASSERT_EQ(inst->readLine(5000), "RETURNED");
    const InstrumentSearchResult r = search();
    ASSERT_TRUE(r.instrument());
    EXPECT_EQ(r.instrument(), pair(r, "inst:in", "inst-out:out"));
}
