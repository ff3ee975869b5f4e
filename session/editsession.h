// SPDX-License-Identifier: GPL-3.0-or-later
// The edit session under the windows: the image being edited, its history,
// and what the instrument holds of each part as far as the program can tell.
// The windows feed it what happened (a file opened, a send finished, a Get,
// another output device) and observe its signals; it knows no widget.
#pragma once

#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"
#include "session/editoutput.h"
#include "session/imagehistory.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dorvane {

// One byte of the image an edit sets: `area` 0 is a part's common, 1..4 its
// tones, and on part R the drum note 0..63.
struct ParameterWrite
{
    int part;
    int area;
    int offset;
    int value;
};

// A wave chosen for a tone or, on part R, a drum note (`area` as above).
struct WaveWrite
{
    int part;
    int area;
    int wave;
};

// What the instrument holds of one part, compared with the window's.
enum class PartSync
{
    NotKnown,    // nothing fetched or sent since start, or the output device changed
    InStep,      // known equal: got from it, or every change since was sent and taken
    ChangedHere, // the window's part differs from what was last sent
};

class EditSession : public QObject
{
    Q_OBJECT

public:
    // The parts as the PART selector counts them: 1..7 and R last.
    static constexpr int PartCount = 8;
    static constexpr int RhythmIndex = PartCount - 1; // part R on the PART selector

    explicit EditSession(QObject* parent = nullptr);

    t505temppatch& image() { return m_image; }
    const t505temppatch& image() const { return m_image; }
    ImageHistory& history() { return m_history; }
    const ImageHistory& history() const { return m_history; }

    PartSync partSync(int index) const;
    // Why the part is in that state, in words ("opened from bass.syx, not sent").
    QString partSyncReason(int index) const;
    // "Part 4: opened from bass.syx, not sent", for a hint.
    QString partSyncHint(int index) const;

    // What happened to the instrument's copy. `index` counts as partSync does.
    void partsReceived(int index); // a Get of one part came in whole
    void imageReceived();          // a Get of all parts came in whole
    void partSent(int index);      // a part's send finished and the port took it
    void imageSent();
    void partVerified(int index); // sent, read back and found alike
    // The window's part changed with nothing sent: a file, a library load.
    void partChangedHere(int index, const QString& reason);
    void imageChangedHere(const QString& reason);
    // An edit or an Undo on the part went out (or failed to): one that went
    // out keeps the state, one that did not leaves the part changed here.
    void partEdited(int index, bool sent, const QString& reasonNotSent);
    // The same for every part an edit of the image from `before` touched
    // (checksums aside), for edits that may reach more than one part.
    void imageEdited(ByteView before, bool sent, const QString& reasonNotSent);
    // A message that failed on its way out leaves changed here every part its
    // addresses write to, whichever part the window shows; a message for the
    // effects or the system names none.
    void messageFailed(ByteView message, const QString& reasonNotSent);
    // A file from outside went to the instrument: the parts its Data Set
    // messages write to now hold what the window does not know.
    void fileSent(ByteView bytes, const QString& reason);
    // Another output device, or none: nothing is known of what it holds.
    void outputChanged(const QString& reason);

    // The selection: the part shown (its PART selector index 0..7, R last),
    // the tone shown, the tones an edit goes to, and part R's drum note.
    // A change that changes nothing announces nothing; a value out of range
    // is refused. Each select returns whether the selection changed.
    int partIndex() const { return m_partIndex; }
    int partNumber() const; // 0..6, or RhythmPart
    bool isRhythmPart() const { return m_partIndex == RhythmIndex; }
    int shownTone() const { return m_shownTone; } // 1..4
    bool toneSelected(int tone) const;
    int drumNote() const { return m_drumNote; } // 0..63
    bool selectPart(int index);
    bool selectShownTone(int tone);
    bool setToneSelected(int tone, bool selected);
    bool selectDrumNote(int note);
    // The part as the PART selector names it ("1".."7", "R"), and a change's
    // name with where it happened: "Cutoff Frequency, part 3", "Tone Level, part
    // R drum note D2" (the word the sheet's list has, so the key reads as a key).
    QString partLabel() const;
    QString onPart(const QString& what) const;
    QString onDrumNote(const QString& what) const;

    // Where the edits leave for the instrument; none sends nothing. The
    // session does not own it.
    void setOutput(EditOutput* output) { m_output = output; }
    TSynth synth() const { return m_synth; }
    void setSynth(TSynth synth) { m_synth = synth; }
    // A setting the instrument keeps outside the image (effects, a part's
    // settings, the system): sent at once, nothing written, no step.
    void sendParameter(const Address& address, int value);
    // The tempo, queued behind what is on its way.
    void sendTempo(int tempo);

    // The one way the image changes: the change is written, the instrument
    // is sent what it changed, and the history keeps one step named `what`
    // (none when nothing changed). One-parameter edits, waves and names send
    // their own message for each write at once, in the order given; any other
    // change queues the Data Set messages whose content differs afterwards,
    // as bulk data goes.
    // Together: the writes' messages go to the port in one hand-over (a fader
    // over 64 drum notes), each still its own Data Set message on the wire.
    // Latest: each message offered as the newest value for its address, so it
    // takes the place of a drag's step not yet sent and is heard last.
    enum class Handover
    {
        EachAtOnce,
        Together,
        Latest,
    };
    void apply(const QString& what, std::span<const ParameterWrite> writes,
               Handover handover = Handover::EachAtOnce);
    void apply(const QString& what, std::span<const WaveWrite> writes);
    void applyName(const QString& what, int part, const std::string& name);
    // What a change given as a function sends: the messages that differ, or
    // nothing, for a change the instrument is told of in the caller's own way
    // (a part sent whole) or not at all (a file opened, not sent).
    enum class Sending
    {
        ChangedMessages,
        Nothing,
    };
    void apply(const QString& what, const std::function<void(t505temppatch&)>& change,
               Sending sending = Sending::ChangedMessages);
    // A step of a drag, a morph's slider or a tile tried: written and offered
    // to the output as the newest value of each address it changes, with no
    // history step. What ends the drag goes through apply (with
    // Handover::Latest) or record, so the whole drag is one step; an image
    // put back as it was leaves none.
    void preview(std::span<const ParameterWrite> writes);
    void preview(const std::function<void(t505temppatch&)>& change);

    // Whether a drag sends its steps as it goes, or only its release. A
    // musician's choice, kept by the window in its settings.
    bool sendWhileDragging() const { return m_sendWhileDragging; }
    void setSendWhileDragging(bool on);

    // For a change already written into the image and sent by its caller:
    // only the history step.
    void record(const QString& what);
    // Undo and Redo: the image before (after) the history's step comes back,
    // and the messages that differ from the image as it stood are queued.
    // Returns the image as it stood, or nothing when there was no step.
    std::optional<Bytes> undo();
    std::optional<Bytes> redo();

signals:
    // A part's state or its reason changed.
    void partSyncChanged(int index);

    void partSelected(int index);
    void shownToneSelected(int tone);
    void tonesSelected();
    void drumNoteSelected(int note);
    void sendWhileDraggingChanged(bool on);

    // A change went through the entry point. `before` is the image the history
    // knew before it; `stepped` says whether a step was kept.
    void changeRecorded(const QString& what, const Bytes& before, bool stepped);

private:
    struct PartState
    {
        PartSync sync = PartSync::NotKnown;
        QString reason;
    };
    void setPart(int index, PartSync sync, const QString& reason);

    void sendNow(Bytes message);
    void sendQueued(Bytes message);
    void offer(Bytes message);
    void rememberPreviewed(const Bytes& message);
    std::optional<Bytes> restore(std::optional<Bytes> image);

    t505temppatch m_image;
    ImageHistory m_history;
    std::array<PartState, PartCount> m_parts;

    int m_partIndex = 0;
    int m_shownTone = 1;
    std::array<bool, ToneCount> m_tones = {true, false, false, false};
    int m_drumNote = 1; // the list starts on its second entry, C2 (BD)

    EditOutput* m_output = nullptr;
    TSynth m_synth = tsMC505;
    bool m_sendWhileDragging = false;
    // The message each address was last offered by a drag's step, until the
    // drag ends: its release need not say the same again.
    std::vector<Bytes> m_previewed;
};

// The mark beside a part's number that tells its state without colour:
// a dot in step, an unequal sign changed here, a question mark not known.
QString partSyncMark(PartSync sync);
// The part's label as the PART selector shows it: "1".."7", "R".
QString partSyncLabel(int index);
// The PART selector's index of an image part (0..6, or RhythmPart), and back.
int partSyncIndex(int part);
int partOfSyncIndex(int index);

} // namespace dorvane
