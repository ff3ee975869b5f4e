// SPDX-License-Identifier: GPL-3.0-or-later
// Sends long messages to the output port one at a time, in the order they were
// given, from the main thread's event loop: SendLong returns at once and the
// message leaves on a later turn (SendLongNow, for edits, hands it over at
// once when nothing waits before it and nothing pauses). With Pause set, 55 ms
// pass after each long message; with a message pause, that many milliseconds pass after each sysex
// message, also between the messages inside one long message (for slow
// devices). Pauses run on timers and start when the device has finished with
// the message, so they are real gaps on the wire; nothing ever sleeps.
//
// A message that fails is reported through sendFailed and the ones after it
// still go. queueEmpty says everything given has left.
//
// Bytes are counted as they are given and as the device finishes with them
// (sent, failed or dropped), both from the start of the sender's life, so a
// caller can follow a transfer of its own: its bytes are done once the
// finished count reaches the given count that followed its last message.
#pragma once

#include "patch/layout.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>
#include <deque>
#include <optional>

namespace dorvane {

class TMidiOutput;

class MidiSender : public QObject
{
    Q_OBJECT

public:
    static constexpr int PauseMs = 55;

    explicit MidiSender(QObject* parent = nullptr);

    TMidiOutput* Output() const { return m_output; }
    void SetOutput(TMidiOutput* output);

    bool Pause() const { return m_pause; }
    void SetPause(bool on) { m_pause = on; }
    // Milliseconds after each sysex message; 0 for none.
    int MessagePause() const { return m_messagePause; }
    void SetMessagePause(int ms) { m_messagePause = ms < 0 ? 0 : ms; }

    // The device ID every MC-505 message leaves with, whatever the bytes
    // given carry: an image saved from an instrument set to another ID would
    // otherwise be ignored, message by message, in silence.
    std::uint8_t InstrumentDeviceId() const { return m_deviceId; }
    void SetInstrumentDeviceId(std::uint8_t id) { m_deviceId = id & 0x7F; }

    // Queues one long message (at most 65,535 bytes, or the port refuses it).
    void SendLong(Bytes bytes);
    // As SendLong, but a message that nothing waits before and no pause holds
    // back goes to the port now: an edit is heard without waiting for the
    // window to paint what it changed. Its failure is reported on a later
    // turn all the same, never inside the caller.
    void SendLongNow(Bytes bytes);
    // The newest value for its address, for a drag: while a message offered
    // this way for the same address (and of the same length) still waits, the
    // new one takes its place in the queue, so each address has at most one
    // message waiting and the order of first offers holds. These messages
    // leave one at a time once the port has finished with what went before
    // (a port that paces its device holds them so), and no faster than
    // LatestPace, counting every byte handed over before them, so what waits is always the newest
    // and the last value offered leaves within the wire's time for what is ahead of it. A long
    // message of several sysex messages is offered one message at a time.
    void SendLatest(Bytes bytes);
    // The bytes a MIDI cable takes in a second (31,250 baud, ten bits a byte).
    static constexpr double WireBytesPerSecond = 3125.0;
    // How fast a drag's values may leave, in bytes a second. The cable's rate
    // by default: a port that takes bytes faster than the cable carries them
    // (a driver's buffer, an interface) would otherwise fill with values the
    // hand has already left behind. 0: as fast as the port takes them.
    double LatestPace() const { return m_latestPace; }
    void SetLatestPace(double bytesPerSecond)
    {
        m_latestPace = bytesPerSecond > 0 ? bytesPerSecond : 0;
    }

    // Sends a whole file. One long message when it fits; a longer file goes as
    // several, cut only after a message's F7. False (and sendFailed) when the
    // file cannot be read or holds a single message too long to send; then
    // nothing is sent.
    bool SendFile(const QString& fileName);

    // Nothing waiting and nothing on its way.
    bool IsIdle() const;
    // Every byte ever given to SendLong, and every byte the device has since
    // finished with, sent or not. Messages leave in order, so the second
    // catches up with any value of the first.
    std::uint64_t BytesGiven() const { return m_bytesGiven; }
    std::uint64_t BytesFinished() const { return m_bytesFinished; }
    std::size_t QueuedCount() const { return m_queue.size(); }

signals:
    void sendFailed(const QString& text);
    // The same failure with the message that failed, where there was one (a
    // file that cannot be read has none), announced just before sendFailed.
    void messageFailed(const QString& text, const dorvane::Bytes& message);
    void queueEmpty();
    // BytesFinished grew.
    void bytesFinished(quint64 total);

protected:
    bool event(QEvent* event) override;

private:
    enum class Step
    {
        Idle,
        Scheduled,
        AwaitingDevice,
        Pausing
    };

    void schedule();
    void sendNext();
    // To the port; the failure's text when the port refuses the message.
    std::optional<QString> handOver(ByteView message);
    bool sendOne(ByteView message);
    void onDrained();
    void afterMessage(int pauseMs);
    void startPause();
    void finished(std::size_t bytes);
    void deviceFinishedOne();
    void forgetHandedOver();
    void offerLatest(Bytes message);
    // How long the wire is still busy with what was handed over, less the
    // moment's slack a device's buffer absorbs; zero or less when it is free.
    std::chrono::nanoseconds wireBusyFor() const;

    QPointer<TMidiOutput> m_output;
    bool m_pause = false;
    int m_messagePause = 0;
    std::uint8_t m_deviceId;
    struct Waiting
    {
        Bytes bytes;
        bool latest = false; // offered by SendLatest: replaceable, held to the wire's pace
    };
    // Long messages waiting; with a message pause the front one is sent a
    // sysex message at a time and m_frontSent says how much of it has gone.
    std::deque<Waiting> m_queue;
    std::size_t m_frontSent = 0;
    Step m_step = Step::Idle;
    int m_pendingPause = 0;
    QTimer m_timer; // the pauses
    bool m_turnPosted = false;
    // When the bytes handed over will have crossed a MIDI cable.
    std::chrono::steady_clock::time_point m_wireFreeAt{};
    double m_latestPace = WireBytesPerSecond;
    std::uint64_t m_bytesGiven = 0;
    std::uint64_t m_bytesFinished = 0;
    // Sizes of the messages the port has and has not yet finished, oldest first.
    std::deque<std::size_t> m_handedOver;
    // Failures of messages handed over at once, reported on the next turn.
    std::deque<std::pair<QString, Bytes>> m_failures;
};

} // namespace dorvane
