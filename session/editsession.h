// SPDX-License-Identifier: GPL-3.0-or-later
// The edit session under the windows: the image being edited, its history,
// and what the instrument holds of each part as far as the program can tell.
// The windows feed it what happened (a file opened, a send finished, a Get,
// another output device) and observe its signals; it knows no widget.
#pragma once

#include "patch/t505temppatch.h"
#include "session/imagehistory.h"

#include <QObject>
#include <QString>

#include <array>

namespace dorvane {

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

signals:
    // A part's state or its reason changed.
    void partSyncChanged(int index);

private:
    struct PartState
    {
        PartSync sync = PartSync::NotKnown;
        QString reason;
    };
    void setPart(int index, PartSync sync, const QString& reason);

    t505temppatch m_image;
    ImageHistory m_history;
    std::array<PartState, PartCount> m_parts;
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
