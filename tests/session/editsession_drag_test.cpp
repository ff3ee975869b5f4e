// SPDX-License-Identifier: GPL-3.0-or-later
// A drag through the session: each step written and offered as the newest
// value of its address, the release one step of history, and a preview put
// back leaving none.
#include "session/editsession.h"

#include "patch/imagediff.h"
#include "patch/parameteraddress.h"
#include "support/knownimage.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace dorvane;
using namespace dorvane::test;

namespace {

class OfferingOutput : public EditOutput
{
public:
    void sendNow(Bytes message) override { sent.emplace_back("now", std::move(message)); }
    void send(Bytes message) override { sent.emplace_back("queued", std::move(message)); }
    void offer(Bytes message) override { sent.emplace_back("offered", std::move(message)); }
    std::vector<std::pair<std::string, Bytes>> sent;
};

struct DragRig
{
    DragRig()
    {
        session.image().LoadFromBytes(knownImage());
        session.history().reset(session.image().bytes());
        session.setOutput(&output);
    }
    EditSession session;
    OfferingOutput output;
};

constexpr int Part = 2;
constexpr int Cutoff = 81;

std::pair<std::string, Bytes> offered(int tone, int value)
{
    return {"offered", parameterMessage(tsMC505, toneAddress(Part, tone, Cutoff), value)};
}

} // namespace

TEST(EditSessionDrag, StepsAreOfferedAndTheReleaseMakesTheDragOneStep)
{
    DragRig rig;
    const Bytes original = rig.session.image().bytes();
    const int start = rig.session.image().ReadByte(Part, 1, Cutoff);
    std::vector<std::pair<std::string, Bytes>> expected;
    for (int v : {start + 1, start + 2, start + 2, start + 3}) {
        const ParameterWrite writes[] = {{Part, 1, Cutoff, v}, {Part, 3, Cutoff, v}};
        rig.session.preview(writes);
        EXPECT_EQ(rig.session.image().ReadByte(Part, 3, Cutoff), v);
    }
    // The step that moved nothing offered nothing.
    for (int v : {start + 1, start + 2, start + 3}) {
        expected.push_back(offered(1, v));
        expected.push_back(offered(3, v));
    }
    EXPECT_EQ(rig.output.sent, expected);
    EXPECT_FALSE(rig.session.history().canUndo()) << "a drag's steps leave no step of their own";

    const ParameterWrite release[] = {{Part, 1, Cutoff, start + 4}, {Part, 3, Cutoff, start + 4}};
    rig.session.apply("Cutoff Frequency, part 3", release, EditSession::Handover::Latest);
    EXPECT_EQ(rig.output.sent.back(), offered(3, start + 4));
    EXPECT_EQ(rig.session.history().undoCount(), 1u);
    ASSERT_TRUE(rig.session.undo());
    EXPECT_EQ(rig.session.image().bytes(), original);
}

TEST(EditSessionDrag, AReleaseSaysAgainOnlyWhatTheLastStepsDidNotOffer)
{
    struct Case
    {
        const char* what;
        std::vector<int> steps; // tone 1's values, tone 3 following one lower
        int release;
        std::vector<std::pair<std::string, Bytes>> releaseOffers;
    };
    DragRig probe;
    const int start = probe.session.image().ReadByte(Part, 1, Cutoff);
    const int start3 = probe.session.image().ReadByte(Part, 3, Cutoff);
    const std::vector<Case> cases = {
        {"a click without a move still sends", {}, start, {offered(1, start), offered(3, start3)}},
        {"released on the last step's value", {start + 1, start + 2}, start + 2, {}},
        {"released back on an earlier step's value",
         {start + 1, start + 2},
         start + 1,
         {offered(1, start + 1), offered(3, start)}},
    };
    for (const Case& c : cases) {
        DragRig rig;
        for (int v : c.steps) {
            const ParameterWrite writes[] = {{Part, 1, Cutoff, v}, {Part, 3, Cutoff, v - 1}};
            rig.session.preview(writes);
        }
        const std::size_t before = rig.output.sent.size();
        const int release3 = c.steps.empty() ? start3 : c.release - 1;
        const ParameterWrite release[] = {{Part, 1, Cutoff, c.release},
                                          {Part, 3, Cutoff, release3}};
        rig.session.apply("Cutoff Frequency, part 3", release, EditSession::Handover::Latest);
        const std::vector<std::pair<std::string, Bytes>> releaseOffers(
            rig.output.sent.begin() + std::ptrdiff_t(before), rig.output.sent.end());
        EXPECT_EQ(releaseOffers, c.releaseOffers) << c.what;
        EXPECT_EQ(rig.session.history().undoCount(), c.release == start ? 0u : 1u) << c.what;

        // The next drag starts afresh: its release is sent even on the same value.
        const ParameterWrite again[] = {{Part, 1, Cutoff, c.release}};
        rig.session.apply("Cutoff Frequency, part 3", again, EditSession::Handover::Latest);
        EXPECT_EQ(rig.output.sent.back(), offered(1, c.release)) << c.what;
    }
}

TEST(EditSessionDrag, APreviewPutBackLeavesNoStepAndOffersTheChangedMessages)
{
    DragRig rig;
    const Bytes original = rig.session.image().bytes();
    rig.session.preview([](t505temppatch& image) {
        image.WriteByte(Part, 2, Cutoff, 3);
        image.WriteByte(Part, 0, 20, 9);
    });
    const std::vector<Bytes> changed = changedMessages(original, rig.session.image().bytes());
    ASSERT_EQ(changed.size(), 2u);
    ASSERT_EQ(rig.output.sent.size(), 2u);
    for (std::size_t i = 0; i < changed.size(); ++i)
        EXPECT_EQ(rig.output.sent[i], std::make_pair(std::string("offered"), changed[i]));

    rig.session.preview([&](t505temppatch& image) { image.LoadFromBytes(original); });
    EXPECT_EQ(rig.output.sent.size(), 4u);
    rig.session.record("Morph, part 3");
    EXPECT_FALSE(rig.session.history().canUndo());
    EXPECT_EQ(rig.session.image().bytes(), original);
}
