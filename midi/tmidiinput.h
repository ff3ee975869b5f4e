// SPDX-License-Identifier: GPL-3.0-or-later
// One MIDI input device. Deliveries arrive on the driver's thread, go into a
// fixed-size event ring (sysex bytes into buffers prepared at open and used
// again and again), and the main thread is told: OnMidiInput says events are
// waiting, TakeEvent hands them out one by one in arrival order. A full ring,
// or no free sysex buffer, drops the delivery, counts it and its bytes, and
// raises OnOverflow (and tells the tap); nothing on the driver's side ever
// blocks or grows.
//
// Device numbers are those of a MidiDeviceRegistry; -1 is Dorvane's own
// virtual port where the platform has one, so that other programs can play
// into Dorvane. The port follows its device by name: an open port whose
// device goes away hands out what had arrived, closes by itself and says so
// once; when a device of that name comes back it says so too, and Reopen
// opens it again.
#pragma once

#include "midi/mididrivererror.h"
#include "midi/tmymidievent.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace dorvane {

class MidiDeviceRegistry;
class MidiInputConnection;
class MidiInputContext;
class MidiTap;
class WakeUp;

enum MidiInputState
{
    misOpen = 0,
    misClosed = 1,
    misCreating = 2,
    misDestroying = 3
};

// A failure of the input port; the text is for the musician.
class EMidiInputError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class TMidiInput : public QObject
{
    Q_OBJECT

public:
    // On the program's devices. The port starts closed, on device 0.
    explicit TMidiInput(QObject* parent = nullptr);
    TMidiInput(MidiDeviceRegistry& devices, QObject* parent = nullptr);
    ~TMidiInput() override;

    QString ProductName() const;
    void SetProductName(const QString& name);
    MidiInputState State() const { return m_state; }
    int DeviceID() const { return m_deviceId; }
    void SetDeviceID(int id);
    int DeviceCount() const;
    // Slots of the event ring; takes effect at the next Open.
    std::uint16_t Capacity() const { return m_capacity; }
    void SetCapacity(std::uint16_t capacity) { m_capacity = capacity; }
    // Result of the last driver call; 0 is success.
    std::uint16_t Error() const { return std::uint16_t(m_error); }
    std::uint16_t SysexBufferSize() const { return m_sysexBufferSize; }
    void SetSysexBufferSize(std::uint16_t size);
    std::uint16_t SysexBufferCount() const { return m_sysexBufferCount; }
    void SetSysexBufferCount(std::uint16_t count);
    bool SysexOnly() const { return m_sysexOnly; }
    void SetSysexOnly(bool on);

    // Quiet: a device that cannot be opened leaves the port closed and Error set.
    // Data flows only after Start.
    void Open();
    // Allowed without Stop; nothing is handed out afterwards. A device lost
    // before is forgotten: nothing is said when it returns.
    void Close();
    void Start();
    void Stop();

    // Where every event handed out is also shown (the MIDI monitor); none by default.
    void SetTap(MidiTap* tap) { m_tap = tap; }

    std::uint16_t PendingEventCount() const;
    // Deliveries dropped in whole or in part since the port was opened, and the
    // bytes they lost; 0 while closed. Counted at once on the driver's thread,
    // so they may run ahead of the OnOverflow that reports them.
    std::uint32_t OverflowCount() const;
    std::uint32_t LostByteCount() const;
    // The oldest waiting event, or nothing (always nothing unless open).
    std::optional<TMyMidiEvent> TakeEvent();

    // The name of the device lost while open, until the port opens again,
    // another device is chosen or Close is called; empty otherwise.
    QString LostDevice() const;
    // Opens the lost device again, found by its name (the registry's lists are
    // read afresh when the name is not in them); data flows after Start, as
    // after Open. False when it is not there or does not open.
    bool Reopen();

signals:
    // Events are waiting. One signal may cover many events, and a handler may
    // find them already taken: take until PendingEventCount is 0.
    void OnMidiInput(dorvane::TMidiInput* sender);
    // Deliveries did not fit (ring full, or no free sysex buffer) and were
    // dropped: once for each wake-up that finds OverflowCount grown.
    void OnOverflow(dorvane::TMidiInput* sender);
    // Just before OnOverflow: the deliveries and bytes dropped since the last time.
    void overflowed(quint32 deliveries, quint32 bytes);
    // The device went away while the port was open. What had arrived was
    // handed out first (OnMidiInput); the port is closed now.
    void deviceLost(const QString& text);
    // A device of the lost one's name is listed again; the port is still
    // closed. Once per return.
    void deviceReturned(const QString& name);

private:
    [[noreturn]] void fail(MidiResult code, const std::string& text);
    void onWake();
    void followDevices();
    void renumber();
    void lose();
    std::string selectedName() const;

    MidiDeviceRegistry& m_devices;
    QString m_productName;
    MidiInputState m_state = misCreating;
    int m_deviceId = 0;
    std::uint16_t m_capacity = 1024;
    MidiResult m_error = MidiResult::Ok;
    std::uint16_t m_sysexBufferSize = 4096;
    std::uint16_t m_sysexBufferCount = 16;
    bool m_sysexOnly = false;
    WakeUp* m_wake;
    std::unique_ptr<MidiInputContext> m_context;
    std::unique_ptr<MidiInputConnection> m_connection;
    MidiTap* m_tap = nullptr;
    // What OnOverflow and the tap have been told of so far.
    std::uint32_t m_overflowsReported = 0;
    std::uint32_t m_lostBytesReported = 0;
    std::string m_openName;
    std::optional<std::string> m_lostName;
    // Whether the lost device was listed at the last notice.
    bool m_lostListed = false;
};

} // namespace dorvane
