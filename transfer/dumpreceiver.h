// SPDX-License-Identifier: GPL-3.0-or-later
// Collects a dump from the input port: the current part, all parts, or any
// sysex into a file. It starts the port, takes every delivered sysex buffer
// whole, reports the count against what is expected, and ends when told or by
// itself once exactly the expected number of bytes of complete messages has
// arrived. The end stops the port, writes the raw bytes to the "temp" file and
// says whether the dump can be loaded: only a dump of the right length whose
// every message is this instrument's Data Set message for the requested block,
// with a right checksum, put in place by its address.
//
// A dump that stops coming in the middle (the instrument switched off, the
// MIDI system gone, a cable pulled) ends by itself once nothing has arrived
// for StallTimeout, and says so; it is not loaded. A dump of which the input
// port had to drop something ends at once and says how much was lost; it is
// not loaded either. A file reception only notes the loss: its end is the
// musician's. An input device that goes away ends any reception at once,
// with what had arrived and a word on the loss; nothing of it is loaded (a
// file reception still writes what came).
//
// Sending the Data Request is the caller's business, after the start. Main
// thread only.
#pragma once

#include "patch/layout.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <optional>

namespace dorvane {

class TMidiInput;
class t505temppatch;

// What a reception is for; the numbers are those the window keeps in the Tag
// of its sysexBtn.
enum class ReceiveMode
{
    CurrentPart = 1,
    AllParts = 2,
    File = 3
};

struct DumpResult
{
    ReceiveMode mode = ReceiveMode::AllParts;
    int part = 0;   // the part asked for in CurrentPart mode (0..6, or 9 for R)
    Bytes received; // every sysex byte, in arrival order, as written to "temp"
    // CurrentPart and AllParts: the block in address order, when it can be loaded.
    std::optional<Bytes> block;
    bool completedAutomatically = false;
    // The dump stopped coming before it was complete.
    bool stalled = false;
    // One line for the status bar: what arrived and what became of it.
    QString status;
    // Set when the "temp" file could not be written; loading does not depend on it.
    QString tempFileError;
    // File mode: whether the chosen file was written.
    bool fileWritten = false;
    // The input port had to drop data during the reception.
    bool dataLost = false;
    // The input device went away during the reception.
    bool inputLost = false;

    bool loadable() const { return block.has_value(); }
    // Puts the block into the image: the whole image in AllParts mode, the
    // part's own block in CurrentPart mode. False, image unchanged, when there
    // is nothing to load or the image has no room for the block.
    bool loadInto(t505temppatch& image) const;
};

class DumpReceiver : public QObject
{
    Q_OBJECT

public:
    // The instrument sends its dump without gaps this long; a real one takes
    // milliseconds between messages.
    static constexpr int StallTimeoutMs = 2000;

    explicit DumpReceiver(TMidiInput* input, QObject* parent = nullptr);
    ~DumpReceiver() override;

    // How long a dump may pause before it counts as stopped.
    int StallTimeout() const { return m_stall->interval(); }
    void SetStallTimeout(int ms) { m_stall->setInterval(ms); }

    // Where each reception's raw bytes are written; empty for nowhere.
    QString TempFile() const { return m_tempFile; }
    void SetTempFile(const QString& fileName) { m_tempFile = fileName; }
    // "temp" in the user's cache folder: the program's own folder may be read-only.
    static QString defaultTempFile();

    // Starts a reception, or re-aims the one running: the bytes collected so
    // far stay, as they do when a Get command is given during a reception.
    void startPart(int part);
    void startAll();
    void startFile(const QString& fileName);

    // Ends the reception as the window's button does. Nothing when none runs.
    std::optional<DumpResult> finish();

    bool IsReceiving() const { return m_receiving; }
    // The last mode asked for; it keeps its value after the end.
    ReceiveMode Mode() const { return m_mode; }
    int Part() const { return m_part; }
    const Bytes& Received() const { return m_received; }
    // Bytes a complete dump has in this mode; 0 in File mode, where any length goes.
    std::size_t ExpectedCount() const;
    static std::size_t expectedCount(ReceiveMode mode, int part);

signals:
    // After every delivered buffer taken in, and once at the start.
    void progress(qint64 received, qint64 expected);
    // The reception has ended, by the button or by itself.
    void finished(const dorvane::DumpResult& result);

private:
    void start(ReceiveMode mode, int part, const QString& fileName);
    void drain();
    void take(ByteView bytes);
    bool complete() const;
    // `gone`: the input device's loss, when that ended it.
    DumpResult end(bool automatically, bool stalled = false, const QString& gone = {});
    void stalledOut();
    void overflowed();
    void inputGone(const QString& text);
    void discardPending();

    QPointer<TMidiInput> m_input;
    QString m_tempFile;
    bool m_receiving = false;
    ReceiveMode m_mode = ReceiveMode::AllParts;
    int m_part = 0;
    QString m_fileName;
    Bytes m_received;
    // Framing of what has arrived so far, followed byte by byte so that the
    // check for a complete dump costs nothing per buffer.
    bool m_inMessage = false;
    bool m_malformed = false;
    bool m_lost = false;
    // The port's counts at the start, so that only this reception's losses count.
    std::uint32_t m_overflowsBefore = 0;
    std::uint32_t m_lostBytesBefore = 0;
    // The drops last seen, for when the port has closed by the end.
    std::uint32_t m_overflowsSeen = 0;
    std::uint32_t m_lostBytesSeen = 0;
    QTimer* m_stall;
};

} // namespace dorvane
