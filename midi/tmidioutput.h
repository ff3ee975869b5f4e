// SPDX-License-Identifier: GPL-3.0-or-later
// One MIDI output device: chosen by number or by name, opened and closed, fed
// short messages and long (system-exclusive) messages. A long message is
// queued to the device and the call returns before the bytes have left;
// Onmidioutput follows on the main thread once the device has finished with
// it. Everything but the device's own sending runs on the main thread.
//
// Device numbers are those of a MidiDeviceRegistry; -1 is Dorvane's own
// virtual port where the platform has one (device 0 elsewhere).
#pragma once

#include "midi/mididrivererror.h"
#include "midi/tmymidievent.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <memory>
#include <stdexcept>

namespace dorvane {

class MidiDeviceRegistry;
class MidiOutputConnection;
class MidiOutputQueue;
class MidiTap;
struct MidiOutgoing;
class WakeUp;

// A failure of the output port; the text is for the musician.
class EmidioutputError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class TMidiOutput : public QObject
{
    Q_OBJECT

public:
    // On the program's devices.
    explicit TMidiOutput(QObject* parent = nullptr);
    TMidiOutput(MidiDeviceRegistry& devices, QObject* parent = nullptr);
    ~TMidiOutput() override;

    QString ProductName() const { return m_productName; }
    void SetProductName(const QString& name);
    int DeviceID() const { return m_deviceId; }
    void SetDeviceID(int id);
    int DeviceCount() const;
    // Result of the last driver call; 0 is success.
    std::uint16_t LastError() const { return std::uint16_t(m_lastError); }

    // False, quietly, when the device cannot be opened; LastError says why.
    bool Open();
    // True when the port was open. Messages still on their way leave first, for
    // at most the time their bytes need at the port's pace (MIDI's own pace
    // where the device sets it), announced by closing(); then the port closes.
    bool Close();
    bool IsOpen() const { return bool(m_queue); }

    // How often an open port asks its source whether the device is still there.
    static constexpr int DeviceCheckMs = 2000;
    // Asks now (a failed send asks at once too). A device that is gone, the
    // instrument unplugged or its server ended, closes the port and raises
    // deviceLost once; false then.
    bool CheckDevice();

    void SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    // At most 65,535 bytes; an empty message is not sent at all.
    void SendLongMessage(ByteView bytes);
    void SendEvent(const TMyMidiEvent& event);

    // Where every message sent is also shown (the MIDI monitor); none by default.
    void SetTap(MidiTap* tap) { m_tap = tap; }

    // Messages handed over and not yet finished by the device.
    std::size_t MessagesInFlight() const { return m_outgoing.size(); }

signals:
    // The device has finished with a long message (one signal per message).
    void Onmidioutput(dorvane::TMidiOutput* sender);
    // A message failed on its way out, after its send call had returned.
    void sendFailed(const QString& text);
    // The same, with the message that failed, announced just before sendFailed.
    void messageFailed(const QString& text, const dorvane::Bytes& message);
    // The device went away while the port was open; the port is closed now.
    void deviceLost(const QString& text);
    // Nothing is in flight any more: everything sent has left (or failed, or
    // was dropped by Close).
    void drained();
    // Close is waiting for this many bytes to leave, for at most ms.
    void closing(qint64 bytes, int ms);

private:
    [[noreturn]] void fail(MidiResult code, const std::string& text);
    void queueMessage(std::unique_ptr<MidiOutgoing> message);
    void handOver();
    void onWake();
    void letQueueDrain(bool announce);

    MidiDeviceRegistry& m_devices;
    QString m_productName;
    int m_deviceId = 0;
    MidiResult m_lastError = MidiResult::Ok;
    WakeUp* m_wake;
    std::unique_ptr<MidiOutputConnection> m_connection;
    MidiTap* m_tap = nullptr;
    std::unique_ptr<MidiOutputQueue> m_queue;
    // Messages in flight, oldest first; the first m_posted of them are in the
    // queue's ring, the rest wait for room there.
    std::deque<std::unique_ptr<MidiOutgoing>> m_outgoing;
    std::size_t m_posted = 0;
    std::uint64_t m_finishedSeen = 0;
    QTimer m_deviceCheck;
};

} // namespace dorvane
