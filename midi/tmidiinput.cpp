// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/tmidiinput.h"

#include "midi/miditap.h"

#include "midi/midideviceregistry.h"
#include "midi/midiinputcontext.h"
#include "midi/miditexts.h"
#include "midi/wakeup.h"

#include <QPointer>

namespace dorvane {

TMidiInput::TMidiInput(QObject* parent) : TMidiInput(MidiDeviceRegistry::application(), parent) {}

TMidiInput::TMidiInput(MidiDeviceRegistry& devices, QObject* parent)
    : QObject(parent), m_devices(devices), m_wake(new WakeUp(this))
{
    connect(m_wake, &WakeUp::woken, this, &TMidiInput::onWake);
    connect(&m_devices, &MidiDeviceRegistry::devicesRead, this, &TMidiInput::followDevices);
    connect(&m_devices, &MidiDeviceRegistry::refreshed, this, &TMidiInput::renumber);
    // Device 0 is selected; its name is read when asked for, not here: the
    // registry may not have listed the system's MIDI yet, and a window made
    // with this port need not wait for it. A machine without any input device
    // must still be able to create the port, so then the name stays empty.
    m_state = misClosed;
}

QString TMidiInput::ProductName() const
{
    return m_productName.isEmpty() ? QString::fromStdString(selectedName()) : m_productName;
}

TMidiInput::~TMidiInput()
{
    m_connection.reset();
    m_context.reset();
}

void TMidiInput::fail(MidiResult code, const std::string& text)
{
    m_error = code;
    throw EMidiInputError(text.empty() ? std::string(miditexts::NoErrorText) : text);
}

int TMidiInput::DeviceCount() const
{
    return m_devices.inputCount();
}

void TMidiInput::SetDeviceID(int id)
{
    if (m_state == misOpen)
        fail(MidiResult::Allocated, miditexts::ChangeDeviceId);
    const auto name = m_devices.inputName(id);
    if (!name || id < -1)
        fail(MidiResult::BadDeviceId, miditexts::InvalidDeviceId);
    m_deviceId = id;
    m_productName = QString::fromStdString(*name);
    m_error = MidiResult::Ok;
    m_lostName.reset();
}

void TMidiInput::SetProductName(const QString& name)
{
    if (m_state == misOpen)
        fail(MidiResult::Allocated, miditexts::ChangeProductName);
    const std::string wanted = name.toStdString();
    // The devices in order, then the virtual port: the first exact match.
    for (int id = 0; id < m_devices.inputCount(); ++id) {
        if (m_devices.inputName(id) == wanted) {
            SetDeviceID(id);
            return;
        }
    }
    if (m_devices.hasVirtualInput() && m_devices.inputName(-1) == wanted) {
        SetDeviceID(-1);
        return;
    }
    fail(MidiResult::BadDeviceId, miditexts::inputNotInstalled(wanted));
}

void TMidiInput::SetSysexBufferSize(std::uint16_t size)
{
    if (m_state == misOpen)
        fail(MidiResult::Allocated, miditexts::ChangeSysexBufferSize);
    m_sysexBufferSize = size;
}

void TMidiInput::SetSysexBufferCount(std::uint16_t count)
{
    if (m_state == misOpen)
        fail(MidiResult::Allocated, miditexts::ChangeSysexBufferCount);
    m_sysexBufferCount = count;
}

void TMidiInput::SetSysexOnly(bool on)
{
    m_sysexOnly = on;
    if (m_context)
        m_context->setSysexOnly(on);
}

std::string TMidiInput::selectedName() const
{
    // The name chosen decides: the numbers may have moved since.
    if (!m_productName.isEmpty())
        return m_productName.toStdString();
    return m_devices.inputName(m_deviceId).value_or(std::string());
}

void TMidiInput::Open()
{
    if (m_state == misOpen)
        return;
    const std::string name = selectedName();
    try {
        if (name.empty())
            throw MidiDriverError(MidiResult::BadDeviceId, miditexts::InvalidDeviceId);
        m_context = std::make_unique<MidiInputContext>(m_capacity, m_sysexBufferCount,
                                                       m_sysexBufferSize, *m_wake);
        m_context->setSysexOnly(m_sysexOnly);
        m_connection = m_devices.openInput(m_deviceId, name, *m_context);
    } catch (const MidiDriverError& e) {
        m_error = e.code();
        m_connection.reset();
        m_context.reset();
        return;
    } catch (const std::exception&) {
        m_error = MidiResult::NoMemory;
        m_connection.reset();
        m_context.reset();
        return;
    }
    m_error = MidiResult::Ok;
    m_overflowsReported = 0;
    m_lostBytesReported = 0;
    m_state = misOpen;
    m_openName = name;
    m_lostName.reset();
    // From now on the port hears when its device goes.
    m_devices.watch();
}

void TMidiInput::Close()
{
    if (m_state != misOpen) {
        m_lostName.reset();
        return;
    }
    // Closed first, so that nothing more is handed out while the device stops.
    m_state = misClosed;
    m_connection.reset();
    m_context.reset();
    m_error = MidiResult::Ok;
}

void TMidiInput::Start()
{
    if (m_state == misOpen)
        m_context->start();
}

void TMidiInput::Stop()
{
    if (m_state == misOpen)
        m_context->stop();
}

std::uint16_t TMidiInput::PendingEventCount() const
{
    if (m_state != misOpen)
        return 0;
    return std::uint16_t(m_context->pending());
}

std::uint32_t TMidiInput::OverflowCount() const
{
    return m_state == misOpen ? m_context->overflowCount() : 0;
}

std::uint32_t TMidiInput::LostByteCount() const
{
    return m_state == misOpen ? m_context->lostByteCount() : 0;
}

std::optional<TMyMidiEvent> TMidiInput::TakeEvent()
{
    if (m_state != misOpen)
        return std::nullopt;
    std::optional<TMyMidiEvent> event = m_context->take();
    if (m_tap && event) {
        if (event->StatusByte == 0xF0) {
            m_tap->received(event->SysexBytes);
        } else {
            const std::uint8_t bytes[3] = {event->StatusByte, event->DataByte1, event->DataByte2};
            m_tap->received(ByteView(bytes, 3));
        }
    }
    return event;
}

void TMidiInput::followDevices()
{
    if (m_state == misOpen) {
        if (!m_devices.inputListed(m_openName))
            lose();
        return;
    }
    if (!m_lostName)
        return;
    const bool listed = m_devices.inputListed(*m_lostName);
    const bool back = listed && !m_lostListed;
    m_lostListed = listed;
    if (back)
        emit deviceReturned(QString::fromStdString(*m_lostName));
}

void TMidiInput::renumber()
{
    const std::string name = m_state == misOpen ? m_openName : m_lostName.value_or(selectedName());
    if (auto id = m_devices.findInput(name, m_deviceId))
        m_deviceId = *id;
}

void TMidiInput::lose()
{
    // Nothing more can come. What came before the device went is handed out
    // first: a reception counts it before it hears of the loss.
    m_connection->deviceGone();
    m_connection.reset();
    const QPointer<TMidiInput> self(this);
    onWake();
    if (!self || m_state != misOpen)
        return; // a handler closed the port
    const QString text = QString::fromStdString(miditexts::inputGone(m_openName));
    m_state = misClosed;
    m_context.reset();
    m_error = MidiResult::Ok;
    m_lostName = m_openName;
    m_lostListed = false;
    emit deviceLost(text);
}

QString TMidiInput::LostDevice() const
{
    return m_lostName ? QString::fromStdString(*m_lostName) : QString();
}

bool TMidiInput::Reopen()
{
    if (m_state == misOpen)
        return true;
    if (!m_lostName || !m_devices.inputListed(*m_lostName))
        return false;
    const std::string name = *m_lostName;
    auto id = m_devices.findInput(name, m_deviceId);
    if (!id) {
        // Back after the lists were last read: they are read again, so that
        // the port's number is one the lists show.
        m_devices.refresh();
        id = m_devices.findInput(name, m_deviceId);
    }
    if (!id)
        return false;
    m_deviceId = *id;
    m_productName = QString::fromStdString(name);
    Open();
    return m_state == misOpen;
}

void TMidiInput::onWake()
{
    if (m_state != misOpen)
        return;
    QPointer<TMidiInput> self(this);
    if (m_context->pending() > 0) {
        emit OnMidiInput(this);
        if (!self || m_state != misOpen)
            return;
    }
    // The count before the bytes: the context adds a loss's bytes first, so
    // these bytes cover at least the deliveries counted.
    const std::uint32_t overflows = m_context->overflowCount();
    if (overflows == m_overflowsReported)
        return;
    const std::uint32_t lostBytes = m_context->lostByteCount();
    const std::uint32_t newOverflows = overflows - m_overflowsReported;
    const std::uint32_t newLostBytes = lostBytes - m_lostBytesReported;
    m_overflowsReported = overflows;
    m_lostBytesReported = lostBytes;
    if (m_tap)
        m_tap->overflowed(newOverflows, newLostBytes);
    emit overflowed(newOverflows, newLostBytes);
    if (!self || m_state != misOpen)
        return;
    emit OnOverflow(this);
}

} // namespace dorvane
