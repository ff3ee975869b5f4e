// SPDX-License-Identifier: GPL-3.0-or-later
// The session's selection and its one entry point of change: what each kind
// of change writes, what it sends the instrument byte for byte, and the one
// step of history it leaves, with no window in sight.
#include "session/editsession.h"

#include "patch/imagediff.h"
#include "support/knownimage.h"
#include "support/testutil.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace dorvane;
using namespace dorvane::test;

namespace {

// What the session hands its output, in order, each marked with how it goes.
class RecordingOutput : public EditOutput
{
public:
    void sendNow(Bytes message) override { sent.push_back("now " + hex(message)); }
    void send(Bytes message) override { sent.push_back("queued " + hex(message)); }
    std::vector<std::string> sent;
};

struct EditRig
{
    EditRig()
    {
        session.image().LoadFromBytes(knownImage());
        session.history().reset(session.image().bytes());
        session.setOutput(&output);
    }
    EditSession session;
    RecordingOutput output;
};

// The selection as one line: part index, shown tone, ticked tones, drum note.
std::string selectionOf(const EditSession& s)
{
    std::string ticked;
    for (int t = 1; t <= ToneCount; ++t)
        ticked += s.toneSelected(t) ? char('0' + t) : '-';
    return "part " + std::to_string(s.partIndex()) + " show " + std::to_string(s.shownTone()) +
           " tones " + ticked + " note " + std::to_string(s.drumNote());
}

} // namespace

TEST(EditSessionSelection, EachChangeIsAnnouncedOnceAndNothingElse)
{
    struct Step
    {
        const char* what;
        std::function<bool(EditSession&)> change;
        bool changed;
        const char* heard; // p part, s shown tone, t ticked tones, d drum note
        const char* selection;
    };
    const std::vector<Step> steps = {
        {"part 3", [](EditSession& s) { return s.selectPart(2); }, true, "p",
         "part 2 show 1 tones 1--- note 1"},
        {"part 3 again", [](EditSession& s) { return s.selectPart(2); }, false, "",
         "part 2 show 1 tones 1--- note 1"},
        {"no part before the first", [](EditSession& s) { return s.selectPart(-1); }, false, "",
         "part 2 show 1 tones 1--- note 1"},
        {"no part after R", [](EditSession& s) { return s.selectPart(8); }, false, "",
         "part 2 show 1 tones 1--- note 1"},
        {"show tone 4", [](EditSession& s) { return s.selectShownTone(4); }, true, "s",
         "part 2 show 4 tones 1--- note 1"},
        {"show tone 0", [](EditSession& s) { return s.selectShownTone(0); }, false, "",
         "part 2 show 4 tones 1--- note 1"},
        {"show tone 5", [](EditSession& s) { return s.selectShownTone(5); }, false, "",
         "part 2 show 4 tones 1--- note 1"},
        {"tick tone 3", [](EditSession& s) { return s.setToneSelected(3, true); }, true, "t",
         "part 2 show 4 tones 1-3- note 1"},
        {"tick tone 3 again", [](EditSession& s) { return s.setToneSelected(3, true); }, false, "",
         "part 2 show 4 tones 1-3- note 1"},
        {"untick tone 1", [](EditSession& s) { return s.setToneSelected(1, false); }, true, "t",
         "part 2 show 4 tones --3- note 1"},
        {"no tone 5 to tick", [](EditSession& s) { return s.setToneSelected(5, true); }, false, "",
         "part 2 show 4 tones --3- note 1"},
        {"part R", [](EditSession& s) { return s.selectPart(7); }, true, "p",
         "part 7 show 4 tones --3- note 1"},
        {"the last drum note", [](EditSession& s) { return s.selectDrumNote(63); }, true, "d",
         "part 7 show 4 tones --3- note 63"},
        {"no drum note past the last", [](EditSession& s) { return s.selectDrumNote(64); }, false,
         "", "part 7 show 4 tones --3- note 63"},
        {"the first drum note", [](EditSession& s) { return s.selectDrumNote(0); }, true, "d",
         "part 7 show 4 tones --3- note 0"},
    };

    EditSession session;
    EXPECT_EQ(selectionOf(session), "part 0 show 1 tones 1--- note 1") << "as the window starts";
    std::string heard;
    QObject::connect(&session, &EditSession::partSelected, [&](int) { heard += 'p'; });
    QObject::connect(&session, &EditSession::shownToneSelected, [&](int) { heard += 's'; });
    QObject::connect(&session, &EditSession::tonesSelected, [&] { heard += 't'; });
    QObject::connect(&session, &EditSession::drumNoteSelected, [&](int) { heard += 'd'; });
    for (const Step& step : steps) {
        heard.clear();
        EXPECT_EQ(step.change(session), step.changed) << step.what;
        EXPECT_EQ(heard, step.heard) << step.what;
        EXPECT_EQ(selectionOf(session), step.selection) << step.what;
    }
    EXPECT_TRUE(session.isRhythmPart());
    EXPECT_EQ(session.partNumber(), RhythmPart);
}

TEST(EditSessionSelection, AViewThatWritesBackOnItsSignalStartsNothingAgain)
{
    // A selector that follows the session and reports its own new state back,
    // as a widget's change signal would, must not start the change over.
    EditSession session;
    int parts = 0;
    int tones = 0;
    QObject::connect(&session, &EditSession::partSelected, [&](int index) {
        ++parts;
        session.selectPart(index);
    });
    QObject::connect(&session, &EditSession::tonesSelected, [&] {
        ++tones;
        for (int t = 1; t <= ToneCount; ++t)
            session.setToneSelected(t, session.toneSelected(t));
    });
    session.selectPart(5);
    session.setToneSelected(2, true);
    EXPECT_EQ(parts, 1);
    EXPECT_EQ(tones, 1);
}

TEST(EditSessionEdits, EachKindOfChangeWritesSendsAndRecordsOneStep)
{
    struct Case
    {
        const char* what;
        std::function<void(EditSession&)> change;
        std::vector<std::string> sent;
        std::function<bool(const t505temppatch&)> written;
    };
    const std::vector<Case> cases = {
        {"Cutoff on tones 1 and 3 of part 3",
         [](EditSession& s) {
             const ParameterWrite writes[] = {{2, 1, 20, 100}, {2, 3, 20, 100}};
             s.apply("Cutoff", writes);
         },
         {"now F0 41 10 00 0B 12 02 02 10 14 64 74 F7",
          "now F0 41 10 00 0B 12 02 02 14 14 64 70 F7"},
         [](const t505temppatch& i) {
             return i.ReadByte(2, 1, 20) == 100 && i.ReadByte(2, 3, 20) == 100 &&
                    i.ReadByte(2, 2, 20) != 100;
         }},
        {"a value of part 1's common",
         [](EditSession& s) {
             const ParameterWrite write{0, 0, 48, 64};
             s.apply("Analog Feel", std::span(&write, 1));
         },
         {"now F0 41 10 00 0B 12 02 00 00 30 40 0E F7"},
         [](const t505temppatch& i) { return i.ReadByte(0, 0, 48) == 64; }},
        {"a drum note's level on part R",
         [](EditSession& s) {
             const ParameterWrite write{RhythmPart, 0, 27, 3};
             s.apply("Cutoff, part R B1", std::span(&write, 1));
         },
         {"now F0 41 10 00 0B 12 02 09 23 1B 03 34 F7"},
         [](const t505temppatch& i) { return i.ReadByte(RhythmPart, 0, 27) == 3; }},
        {"a fader over two drum notes hands both messages over together",
         [](EditSession& s) {
             const ParameterWrite writes[] = {{RhythmPart, 0, 27, 3}, {RhythmPart, 5, 27, 3}};
             s.apply("Drum mixer", writes, EditSession::Handover::Together);
         },
         {"now F0 41 10 00 0B 12 02 09 23 1B 03 34 F7 "
          "F0 41 10 00 0B 12 02 09 28 1B 03 2F F7"},
         [](const t505temppatch& i) {
             return i.ReadByte(RhythmPart, 0, 27) == 3 && i.ReadByte(RhythmPart, 5, 27) == 3;
         }},
        {"an upper wave on tone 1",
         [](EditSession& s) {
             const WaveWrite write{0, 1, 300};
             s.apply("Wave", std::span(&write, 1));
         },
         {"now F0 41 10 00 0B 12 02 00 10 01 00 02 02 0E 5B F7"},
         [](const t505temppatch& i) { return i.ReadWave(0, 1) == 300; }},
        {"the last lower wave on a drum note",
         [](EditSession& s) {
             const WaveWrite write{RhythmPart, 1, 254};
             s.apply("Wave, part R C2", std::span(&write, 1));
         },
         {"now F0 41 10 00 0B 12 02 09 24 01 00 01 0F 0E 32 F7"},
         [](const t505temppatch& i) { return i.ReadWave(RhythmPart, 1) == 254; }},
        {"a short name is padded with blanks",
         [](EditSession& s) { s.applyName("Patch Name, part R", RhythmPart, "Bass"); },
         {"now F0 41 10 00 0B 12 02 09 00 00 42 61 73 73 20 20 20 20 20 20 20 20 6C F7"},
         [](const t505temppatch& i) { return i.GetPatchName(RhythmPart).starts_with("Bass"); }},
        {"a copy the instrument hears later is written and recorded, not sent",
         [](EditSession& s) {
             s.apply(
                 "Copy",
                 [](t505temppatch& image) {
                     image.WriteByte(RhythmPart, 9, 27, image.ReadByte(RhythmPart, 8, 27) ^ 1);
                 },
                 EditSession::Sending::Nothing);
         },
         {},
         [](const t505temppatch& i) {
             return i.ReadByte(RhythmPart, 9, 27) == (i.ReadByte(RhythmPart, 8, 27) ^ 1);
         }},
        {"a change of two blocks sends those two blocks whole",
         [](EditSession& s) {
             s.apply("Drum Mixer", [](t505temppatch& image) {
                 image.WriteByte(1, 1, 30, image.ReadByte(1, 1, 30) ^ 1);
                 image.WriteByte(RhythmPart, 5, 30, image.ReadByte(RhythmPart, 5, 30) ^ 1);
             });
         },
         {}, // whole messages: compared with the image below
         nullptr},
    };

    for (const Case& c : cases) {
        EditRig rig;
        const Bytes before = rig.session.image().bytes();
        QSignalSpy recorded(&rig.session, &EditSession::changeRecorded);
        c.change(rig.session);
        SCOPED_TRACE(c.what);
        if (c.written) {
            EXPECT_EQ(rig.output.sent, c.sent);
            EXPECT_TRUE(c.written(rig.session.image()));
        } else {
            // The changed messages are those of the image after, checksums fresh.
            std::vector<std::string> expected;
            for (const Bytes& m : changedMessages(before, rig.session.image().bytes()))
                expected.push_back("queued " + hex(m));
            ASSERT_EQ(expected.size(), 2u);
            EXPECT_EQ(expected[0].substr(7 + 18, 11), "02 01 10 00");
            EXPECT_EQ(expected[1].substr(7 + 18, 11), "02 09 28 00");
            EXPECT_EQ(rig.output.sent, expected);
        }
        EXPECT_EQ(rig.session.history().undoCount(), 1u);
        ASSERT_EQ(recorded.count(), 1);
        EXPECT_TRUE(recorded.at(0).at(2).toBool());
        ASSERT_TRUE(rig.session.history().undo().has_value());
        const auto redone = rig.session.history().redo();
        ASSERT_TRUE(redone.has_value());
        EXPECT_TRUE(sameContent(*redone, rig.session.image().bytes()))
            << "the step ends where the image stands";
    }
}

TEST(EditSessionEdits, AChangeThatChangesNothingLeavesNoStep)
{
    EditRig rig;
    QSignalSpy recorded(&rig.session, &EditSession::changeRecorded);

    // No tone ticked: nothing written, nothing sent.
    rig.session.apply("Cutoff", std::span<const ParameterWrite>());
    EXPECT_TRUE(rig.output.sent.empty());

    // The value the image holds already: the instrument still hears it, as a
    // release always sent it, but the history has nothing to take back.
    const ParameterWrite same{0, 1, 20, rig.session.image().ReadByte(0, 1, 20)};
    rig.session.apply("Cutoff", std::span(&same, 1));
    EXPECT_EQ(rig.output.sent.size(), 1u);

    rig.session.apply("Shake", [](t505temppatch&) {});
    EXPECT_EQ(rig.output.sent.size(), 1u) << "no message differs";

    EXPECT_EQ(rig.session.history().undoCount(), 0u);
    ASSERT_EQ(recorded.count(), 3);
    for (const QList<QVariant>& r : recorded)
        EXPECT_FALSE(r.at(2).toBool());
}

TEST(EditSessionEdits, SettingsOutsideTheImageAreSentOnly)
{
    EditRig rig;
    QSignalSpy recorded(&rig.session, &EditSession::changeRecorded);
    const Bytes before = rig.session.image().bytes();
    rig.session.sendTempo(120);
    rig.session.sendParameter({0x01, 0x00, 0x00, 0x0E}, 127);
    // 128 or more goes as two bytes, value / 16 and value % 16.
    rig.session.sendParameter({0x01, 0x00, 0x10, 0x07}, 200);
    EXPECT_EQ(rig.output.sent, (std::vector<std::string>{
                                   "queued F0 41 10 00 0B 12 00 00 00 60 07 08 11 F7",
                                   "now F0 41 10 00 0B 12 01 00 00 0E 7F 72 F7",
                                   "now F0 41 10 00 0B 12 01 00 10 07 0C 08 54 F7",
                               }));
    EXPECT_EQ(rig.session.image().bytes(), before);
    EXPECT_EQ(recorded.count(), 0);
}

TEST(EditSessionEdits, NamesAndHeadersStayInsideSevenBits)
{
    EditRig rig;
    rig.session.applyName("Patch Name, part 1", 0, "Ba\xDFline \xE9");
    ASSERT_EQ(rig.output.sent.size(), 1u);
    const Bytes message = fromHex(rig.output.sent[0].substr(4));
    for (std::size_t i = 1; i + 1 < message.size(); ++i)
        EXPECT_LT(message[i], 0x80) << "byte " << i;
    EXPECT_EQ(rig.output.sent[0].substr(4 + 30, 29), "42 61 3F 6C 69 6E 65 20 3F 20");

    rig.output.sent.clear();
    rig.session.setSynth(tsJVXP);
    const ParameterWrite write{3, 2, 20, 100};
    rig.session.apply("Cutoff", std::span(&write, 1));
    EXPECT_EQ(rig.output.sent, std::vector<std::string>{"now F0 41 10 6A 12 02 03 12 14 64 71 F7"});
}

TEST(EditSessionEdits, UndoAndRedoPutTheImageBackAndSendOnlyWhatDiffers)
{
    EditRig rig;
    const Bytes start = rig.session.image().bytes();
    const ParameterWrite writes[] = {{1, 2, 81, 9}, {RhythmPart, 3, 27, 9}};
    rig.session.apply("Cutoff", std::span(writes, 1));
    rig.session.apply("Cutoff, part R", std::span(writes + 1, 1));
    const Bytes edited = rig.session.image().bytes();
    rig.output.sent.clear();

    struct Step
    {
        const char* what;
        std::function<std::optional<Bytes>(EditSession&)> step;
        bool done;
        const char* address; // of the one message that goes, or nothing
    };
    const std::vector<Step> steps = {
        {"undo part R", [](EditSession& s) { return s.undo(); }, true, "02 09 26 00"},
        {"undo part 2", [](EditSession& s) { return s.undo(); }, true, "02 01 12 00"},
        {"nothing left to undo", [](EditSession& s) { return s.undo(); }, false, nullptr},
        {"redo part 2", [](EditSession& s) { return s.redo(); }, true, "02 01 12 00"},
        {"redo part R", [](EditSession& s) { return s.redo(); }, true, "02 09 26 00"},
        {"nothing left to redo", [](EditSession& s) { return s.redo(); }, false, nullptr},
    };
    for (const Step& step : steps) {
        rig.output.sent.clear();
        const Bytes before = rig.session.image().bytes();
        const auto stood = step.step(rig.session);
        EXPECT_EQ(stood.has_value(), step.done) << step.what;
        if (!step.address) {
            EXPECT_TRUE(rig.output.sent.empty()) << step.what;
            continue;
        }
        ASSERT_TRUE(stood.has_value()) << step.what;
        EXPECT_EQ(*stood, before) << step.what;
        ASSERT_EQ(rig.output.sent.size(), 1u) << step.what;
        EXPECT_EQ(rig.output.sent[0].substr(7 + 18, 11), step.address) << step.what;
    }
    EXPECT_EQ(rig.session.image().bytes(), edited);
    rig.session.undo();
    rig.session.undo();
    EXPECT_TRUE(sameContent(rig.session.image().bytes(), start));
}

TEST(EditSessionEdits, WithNoOutputTheChangeIsStillWrittenAndRecorded)
{
    EditSession session;
    session.image().LoadFromBytes(knownImage());
    session.history().reset(session.image().bytes());
    const ParameterWrite write{4, 2, 81, 5};
    session.apply("Cutoff", std::span(&write, 1));
    session.sendTempo(100);
    EXPECT_EQ(session.image().ReadByte(4, 2, 81), 5);
    EXPECT_EQ(session.history().undoText(), "Cutoff");
}
