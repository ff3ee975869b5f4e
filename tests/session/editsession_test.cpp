// SPDX-License-Identifier: GPL-3.0-or-later
// What the instrument holds of each part, walked through the events that
// change it: opens, edits, sends, failed sends, device changes and Gets.
#include "session/editsession.h"

#include "patch/rolandmessage.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace dorvane;

namespace {

constexpr PartSync N = PartSync::NotKnown;
constexpr PartSync S = PartSync::InStep;
constexpr PartSync C = PartSync::ChangedHere;

using States = std::array<PartSync, EditSession::PartCount>;

States statesOf(const EditSession& session)
{
    States states{};
    for (int i = 0; i < EditSession::PartCount; ++i)
        states[std::size_t(i)] = session.partSync(i);
    return states;
}

std::string spelled(const States& states)
{
    std::string out;
    for (PartSync s : states)
        out += s == N ? 'N' : s == S ? 'S' : 'C';
    return out;
}

struct Step
{
    const char* what;
    std::function<void(EditSession&)> event;
    const char* expected; // one letter a part, 1..7 then R: N, S or C
    int part = -1;        // a part whose hint is checked, with
    const char* hint = nullptr;
};

// One parameter message at 02 <part> <area> <offset>, or elsewhere.
Bytes at(Address address)
{
    return parameterMessage(tsMC505, address, 64);
}

Bytes joined(const std::vector<Bytes>& messages)
{
    Bytes all;
    for (const Bytes& m : messages)
        all.insert(all.end(), m.begin(), m.end());
    return all;
}

} // namespace

TEST(EditSession, PartsWalkThroughTheirStates)
{
    const std::vector<Step> steps = {
        {"fresh start", [](EditSession&) {}, "NNNNNNNN", 0,
         "Part 1: nothing fetched or sent since start"},
        {"Get 8 Part", [](EditSession& s) { s.imageReceived(); }, "SSSSSSSS", 7,
         "Part R: as got from the instrument"},
        {"Cutoff on part 3, sent", [](EditSession& s) { s.partEdited(2, true, "x"); }, "SSSSSSSS"},
        {"a part file onto part 4",
         [](EditSession& s) { s.partChangedHere(3, "opened from bass.syx, not sent"); }, "SSSCSSSS",
         3, "Part 4: opened from bass.syx, not sent"},
        {"send part 4", [](EditSession& s) { s.partSent(3); }, "SSSSSSSS", 3,
         "Part 4: as sent to the instrument"},
        {"a failed Undo on part 5",
         [](EditSession& s) {
             s.messageFailed(at({0x02, 0x04, 0x10, 0x0A}), "failed");
         },
         "SSSSCSSS", 4, "Part 5: failed"},
        {"a failed drum-note edit on part R",
         [](EditSession& s) {
             s.messageFailed(at({0x02, 0x09, 0x30, 0x02}), "failed");
         },
         "SSSSCSSC"},
        {"a failed effects, system or SuperJV message names no part",
         [](EditSession& s) {
             s.messageFailed(at({0x01, 0x00, 0x00, 0x05}), "failed");
             s.messageFailed(at({0x00, 0x00, 0x00, 0x01}), "failed");
             s.messageFailed(at({0x02, 0x07, 0x00, 0x01}), "failed");
             s.messageFailed(parameterMessage(tsJVXP, {0x02, 0x00, 0x10, 0x0A}, 64), "failed");
         },
         "SSSSCSSC"},
        {"a file over parts 2, 7 and R",
         [](EditSession& s) {
             s.fileSent(joined({at({0x02, 0x01, 0x00, 0x00}), at({0x02, 0x06, 0x12, 0x00}),
                                at({0x02, 0x09, 0x00, 0x00})}),
                        "a sysex file was sent");
         },
         "SNSSCSNN", 1, "Part 2: a sysex file was sent"},
        {"a file of effects and system alone",
         [](EditSession& s) {
             s.fileSent(joined({at({0x01, 0x00, 0x00, 0x00}), at({0x00, 0x00, 0x00, 0x00})}),
                        "a sysex file was sent");
         },
         "SNSSCSNN"},
        {"no MIDI output chosen", [](EditSession& s) { s.outputChanged("no MIDI output"); },
         "NNNNNNNN"},
        {"edit part 1 with no output",
         [](EditSession& s) { s.partEdited(0, false, "not sent: no MIDI output is chosen"); },
         "CNNNNNNN", 0, "Part 1: not sent: no MIDI output is chosen"},
        {"the built-in instrument again",
         [](EditSession& s) { s.outputChanged("the MIDI output changed"); }, "NNNNNNNN"},
        {"Get part R", [](EditSession& s) { s.partsReceived(7); }, "NNNNNNNS"},
        {"an edit sent while not known", [](EditSession& s) { s.partEdited(1, true, "x"); },
         "NNNNNNNS"},
        {"a failed send of part 2", [](EditSession& s) { s.partEdited(1, false, "x"); },
         "NCNNNNNS"},
        {"send the image", [](EditSession& s) { s.imageSent(); }, "SSSSSSSS"},
        {"open an image file", [](EditSession& s) { s.imageChangedHere("opened"); }, "CCCCCCCC"},
        {"an edit sent on a part changed here", [](EditSession& s) { s.partEdited(4, true, "x"); },
         "CCCCCCCC"},
        {"Get part 5", [](EditSession& s) { s.partsReceived(4); }, "CCCCSCCC"},
        {"a part out of range changes nothing",
         [](EditSession& s) {
             s.partSent(-1);
             s.partSent(8);
         },
         "CCCCSCCC"},
    };
    EditSession session;
    for (const Step& step : steps) {
        step.event(session);
        EXPECT_EQ(spelled(statesOf(session)), step.expected) << step.what;
        if (step.hint) {
            EXPECT_EQ(session.partSyncHint(step.part), step.hint) << step.what;
        }
    }
    EXPECT_EQ(session.partSyncReason(8), QString()) << "no ninth part";
}

TEST(EditSession, SignalsOnlyWhatChanged)
{
    EditSession session;
    QSignalSpy spy(&session, &EditSession::partSyncChanged);
    session.partSent(2);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.takeFirst().at(0).toInt(), 2);
    session.partSent(2); // the same state and reason: nothing to redraw
    session.partEdited(2, true, "x");
    EXPECT_EQ(spy.count(), 0);
    session.partEdited(2, false, "the send failed");
    session.partEdited(2, false, "not sent: no MIDI output is chosen");
    EXPECT_EQ(spy.count(), 2); // a new reason is news
    session.outputChanged("the MIDI output changed");
    EXPECT_EQ(spy.count(), 2 + EditSession::PartCount);
}
