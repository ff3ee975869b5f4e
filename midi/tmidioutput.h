// SPDX-License-Identifier: GPL-3.0-or-later
// One MIDI output device: chosen by number or by name, opened and closed, fed
// short messages and long (system-exclusive) messages. A long message is
// queued to the device and the call returns before the bytes have left;
// Onmidioutput follows on the main thread once the device has finished with
// it. Everything but the device's own sending runs on the main thread.
//
// Device numbers are those of a MidiDeviceRegistry; -1 is Dorvane's own
// virtual port where the platform has one (device 0 elsewhere). The port
// follows its device by name: an open port whose device goes away closes by
// itself and says so once; when a device of that name comes back it says so
// too, and Reopen opens it again.
#pragma once

#include "midi/mididrivererror.h"
#include "midi/tmymidievent.h"

#include <QObject>
#include <QString>

#include <deque>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

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
    // A device lost before is forgotten: nothing is said when it returns.
    bool Close();
    bool IsOpen() const { return bool(m_queue); }

    // The longest an open port takes to notice that its device went: the
    // device lists' own notices take far less (a source without notice is
    // read once a second).
    static constexpr int DeviceCheckMs = 2000;
    // Asks the device's source now (a failed send asks at once too). A device
    // that is gone, the instrument unplugged or its server ended, closes the
    // port and raises deviceLost once; false then.
    bool CheckDevice();

    // The name of the device lost while open, until the port opens again,
    // another device is chosen or Close is called; empty otherwise. Sends
    // meanwhile fail with the loss's text rather than "not open".
    QString LostDevice() const;
    // Opens the lost device again, found by its name (its number may have
    // moved; the registry's lists are read afresh when the name is not in
    // them). False when it is not there or does not open.
    bool Reopen();

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
    // Messages still on their way were announced failed (messageFailed, then
    // sendFailed once, with this text) and drained() came, just before.
    void deviceLost(const QString& text);
    // A device of the lost one's name is listed again; the port is still
    // closed. Once per return.
    void deviceReturned(const QString& name);
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
    void followDevices();
    void renumber();
    void lose();
    std::string selectedName() const;
    std::string notOpenText() const;

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
    // The name the open port's device was opened by.
    std::string m_openName;
    std::optional<std::string> m_lostName;
    // Whether the lost device was listed at the last notice.
    bool m_lostListed = false;
};

} // namespace dorvane
