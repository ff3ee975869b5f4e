// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/tmidioutput.h"

#include "midi/miditap.h"

#include "midi/longmessage.h"
#include "midi/midideviceregistry.h"
#include "midi/midioutputconnection.h"
#include "midi/midioutputqueue.h"
#include "midi/miditexts.h"
#include "midi/wakeup.h"

#include <QPointer>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace dorvane {
namespace {

// Bytes of a short message by its status byte; the rest of the three are not
// sent, as the platform's short-message call does not send them either.
std::size_t shortMessageLength(std::uint8_t status)
{
    switch (status & 0xF0) {
    case 0xC0: // program change
    case 0xD0: // channel pressure
        return 2;
    case 0xF0:
        switch (status) {
        case 0xF1: // time code quarter frame
        case 0xF3: // song select
            return 2;
        case 0xF2: // song position
            return 3;
        default:
            return 1;
        }
    default:
        return 3;
    }
}

// MIDI's own pace, 31,250 baud at ten bits a byte: the slowest any device
// that sets its own pace takes bytes.
constexpr double WireBytesPerSecond = 3125.0;
// Time beyond what the bytes need, for the device's own latency.
constexpr int DrainMarginMs = 200;

} // namespace

TMidiOutput::TMidiOutput(QObject* parent) : TMidiOutput(MidiDeviceRegistry::application(), parent)
{
}

TMidiOutput::TMidiOutput(MidiDeviceRegistry& devices, QObject* parent)
    : QObject(parent), m_devices(devices), m_wake(new WakeUp(this))
{
    connect(m_wake, &WakeUp::woken, this, &TMidiOutput::onWake);
    connect(&m_devices, &MidiDeviceRegistry::devicesRead, this, &TMidiOutput::followDevices);
    connect(&m_devices, &MidiDeviceRegistry::refreshed, this, &TMidiOutput::renumber);
}

TMidiOutput::~TMidiOutput()
{
    // Leaving the program in the middle of a send still delivers the rest.
    letQueueDrain(false);
    m_queue.reset();
    m_connection.reset();
}

void TMidiOutput::fail(MidiResult code, const std::string& text)
{
    m_lastError = code;
    throw EmidioutputError(text.empty() ? std::string(miditexts::NoErrorText) : text);
}

int TMidiOutput::DeviceCount() const
{
    return m_devices.outputCount();
}

void TMidiOutput::SetDeviceID(int id)
{
    if (IsOpen())
        fail(MidiResult::Allocated, miditexts::ChangeDeviceId);
    // Any other negative number is no device at all: refused here rather than
    // left for a later open to trip over.
    const auto name = m_devices.outputName(id);
    if (!name || id < -1)
        fail(MidiResult::BadDeviceId, miditexts::InvalidDeviceId);
    m_deviceId = id;
    m_productName = QString::fromStdString(*name);
    m_lastError = MidiResult::Ok;
    m_lostName.reset();
}

void TMidiOutput::SetProductName(const QString& name)
{
    if (IsOpen())
        fail(MidiResult::Allocated, miditexts::ChangeProductName);
    const std::string wanted = name.toStdString();
    // The virtual port first, then the devices in order: the first exact match.
    // Without a virtual port, -1 only stands for device 0 and is not tried.
    for (int id = m_devices.hasVirtualOutput() ? -1 : 0; id < m_devices.outputCount(); ++id) {
        if (m_devices.outputName(id) == wanted) {
            SetDeviceID(id);
            return;
        }
    }
    fail(MidiResult::BadDeviceId, miditexts::outputNotInstalled(wanted));
}

std::string TMidiOutput::selectedName() const
{
    // The name chosen decides: the numbers may have moved since.
    if (!m_productName.isEmpty())
        return m_productName.toStdString();
    return m_devices.outputName(m_deviceId).value_or(std::string());
}

bool TMidiOutput::Open()
{
    if (IsOpen())
        return true;
    const std::string name = selectedName();
    try {
        if (name.empty())
            throw MidiDriverError(MidiResult::BadDeviceId, miditexts::InvalidDeviceId);
        m_connection = m_devices.openOutput(m_deviceId, name);
        m_queue = std::make_unique<MidiOutputQueue>(*m_connection, *m_wake);
        m_finishedSeen = 0;
        m_posted = 0;
    } catch (const MidiDriverError& e) {
        m_lastError = e.code();
        m_connection.reset();
        return false;
    } catch (const std::exception&) {
        m_lastError = MidiResult::NoMemory;
        m_connection.reset();
        return false;
    }
    m_lastError = MidiResult::Ok;
    m_openName = name;
    m_lostName.reset();
    // From now on the port hears when its device goes.
    m_devices.watch();
    return true;
}

bool TMidiOutput::CheckDevice()
{
    if (!IsOpen() || m_devices.outputPresent(m_openName))
        return true;
    lose();
    return false;
}

void TMidiOutput::followDevices()
{
    if (IsOpen()) {
        if (!m_devices.outputListed(m_openName))
            lose();
        return;
    }
    if (!m_lostName)
        return;
    const bool listed = m_devices.outputListed(*m_lostName);
    const bool back = listed && !m_lostListed;
    m_lostListed = listed;
    if (back)
        emit deviceReturned(QString::fromStdString(*m_lostName));
}

void TMidiOutput::renumber()
{
    const std::string name = IsOpen() ? m_openName : m_lostName.value_or(selectedName());
    if (auto id = m_devices.findOutput(name, m_deviceId))
        m_deviceId = *id;
}

void TMidiOutput::lose()
{
    // Nothing sent from now on can reach the device, and what is on its way
    // may or may not have arrived: it is not waited for, and counts as failed.
    const QString text = QString::fromStdString(miditexts::outputGone(m_openName));
    const std::uint64_t finished = m_queue->finished();
    m_queue.reset();
    std::vector<Bytes> failed;
    for (std::size_t i = 0; i < m_outgoing.size(); ++i) {
        const MidiOutgoing& message = *m_outgoing[i];
        if (m_finishedSeen + i < finished && !message.failed)
            continue; // it left before the device went
        const auto* data = message.bytes.DataBlock();
        failed.emplace_back(data, data + message.bytes.BytesRecorded());
    }
    const bool wasBusy = !m_outgoing.empty();
    m_connection->deviceGone();
    m_connection.reset();
    m_outgoing.clear();
    m_posted = 0;
    m_lastError = MidiResult::Ok;
    m_lostName = m_openName;
    m_lostListed = false;

    const QPointer<TMidiOutput> self(this);
    for (const Bytes& message : failed) {
        emit messageFailed(text, message);
        if (!self)
            return;
    }
    if (!failed.empty()) {
        emit sendFailed(text);
        if (!self)
            return;
    }
    if (wasBusy) {
        emit drained();
        if (!self)
            return;
    }
    emit deviceLost(text);
}

QString TMidiOutput::LostDevice() const
{
    return m_lostName ? QString::fromStdString(*m_lostName) : QString();
}

bool TMidiOutput::Reopen()
{
    if (IsOpen())
        return true;
    if (!m_lostName || !m_devices.outputListed(*m_lostName))
        return false;
    const std::string name = *m_lostName;
    auto id = m_devices.findOutput(name, m_deviceId);
    if (!id) {
        // Back after the lists were last read: they are read again, so that
        // the port's number is one the lists show.
        m_devices.refresh();
        id = m_devices.findOutput(name, m_deviceId);
    }
    if (!id)
        return false;
    m_deviceId = *id;
    m_productName = QString::fromStdString(name);
    return Open();
}

bool TMidiOutput::Close()
{
    if (!IsOpen()) {
        m_lostName.reset();
        return false;
    }
    const bool wasBusy = !m_outgoing.empty();
    const QPointer<TMidiOutput> self(this);
    letQueueDrain(true);
    if (!self || !IsOpen())
        return true; // a handler of closing() closed it already
    m_queue.reset();
    m_connection.reset();
    m_outgoing.clear();
    m_posted = 0;
    m_lastError = MidiResult::Ok;
    if (wasBusy)
        emit drained();
    return true;
}

std::string TMidiOutput::notOpenText() const
{
    // After a loss, why nothing can be sent is that the device went.
    return m_lostName ? miditexts::outputGone(*m_lostName) : std::string(miditexts::OutputNotOpen);
}

void TMidiOutput::SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    if (!IsOpen())
        fail(MidiResult::InvalidHandle, notOpenText());
    const std::uint8_t bytes[3] = {status, data1, data2};
    const std::size_t length = shortMessageLength(status);
    auto message = std::make_unique<MidiOutgoing>(length);
    std::memcpy(message->bytes.DataBlock(), bytes, length);
    message->bytes.SetBytesRecorded(length);
    queueMessage(std::move(message));
    if (m_tap)
        m_tap->sent(ByteView(bytes, length));
}

void TMidiOutput::SendLongMessage(ByteView bytes)
{
    if (bytes.empty())
        return;
    if (!IsOpen())
        fail(MidiResult::InvalidHandle, notOpenText());
    if (bytes.size() > MaxLongMessageSize)
        fail(MidiResult::InvalidParameter,
             "A long MIDI message may hold at most 65535 bytes; this one has " +
                 std::to_string(bytes.size()) + ". Nothing was sent.");
    const std::size_t largest = m_connection->maxMessageSize();
    forEachMessage(bytes, [&](ByteView piece) {
        if (piece.size() > largest)
            fail(MidiResult::InvalidParameter, "This MIDI device takes messages of at most " +
                                                   std::to_string(largest) + " bytes; one of " +
                                                   std::to_string(piece.size()) +
                                                   " bytes cannot be sent. Nothing was sent.");
    });
    auto message = std::make_unique<MidiOutgoing>(bytes.size());
    std::memcpy(message->bytes.DataBlock(), bytes.data(), bytes.size());
    message->bytes.SetBytesRecorded(bytes.size());
    message->isLong = true;
    queueMessage(std::move(message));
    if (m_tap)
        forEachMessage(bytes, [this](ByteView piece) { m_tap->sent(piece); });
}

void TMidiOutput::SendEvent(const TMyMidiEvent& event)
{
    if (!IsOpen())
        fail(MidiResult::InvalidHandle, notOpenText());
    if (!event.SysexBytes.empty()) {
        const std::size_t count =
            std::min<std::size_t>(event.SysexByteCount, event.SysexBytes.size());
        SendLongMessage(ByteView(event.SysexBytes).first(count));
    } else {
        SendShortMessage(event.StatusByte, event.DataByte1, event.DataByte2);
    }
}

void TMidiOutput::queueMessage(std::unique_ptr<MidiOutgoing> message)
{
    m_outgoing.push_back(std::move(message));
    handOver();
    m_lastError = MidiResult::Ok;
}

void TMidiOutput::handOver()
{
    while (m_queue && m_posted < m_outgoing.size() && m_queue->post(m_outgoing[m_posted].get()))
        ++m_posted;
}

void TMidiOutput::onWake()
{
    QPointer<TMidiOutput> self(this);
    bool finishedAny = false;
    bool failedAny = false;
    // Re-checked after every signal: a handler may close the port or send more.
    while (self && m_queue && m_finishedSeen < m_queue->finished() && !m_outgoing.empty()) {
        std::unique_ptr<MidiOutgoing> done = std::move(m_outgoing.front());
        m_outgoing.pop_front();
        --m_posted;
        ++m_finishedSeen;
        finishedAny = true;
        handOver();
        if (done->failed) {
            m_lastError = MidiResult::Failed;
            failedAny = true;
            const QString text = QString::fromUtf8(done->error.data());
            const auto* data = done->bytes.DataBlock();
            emit messageFailed(text, Bytes(data, data + done->bytes.BytesRecorded()));
            if (!self)
                return;
            emit sendFailed(text);
            if (!self)
                return;
        }
        if (done->isLong)
            emit Onmidioutput(this);
    }
    // A handler that closed the port has had its drained() from Close.
    if (self && finishedAny && m_queue && m_outgoing.empty())
        emit drained();
    // A device that refuses messages may be one that is no longer there.
    if (self && failedAny)
        CheckDevice();
}

void TMidiOutput::letQueueDrain(bool announce)
{
    if (!m_queue || m_outgoing.empty())
        return;
    // Messages the sending thread has finished have left; the rest still has to.
    const std::size_t gone = std::size_t(m_queue->finished() - m_finishedSeen);
    std::size_t bytes = 0;
    for (std::size_t i = gone; i < m_outgoing.size(); ++i)
        bytes += m_outgoing[i]->bytes.BytesRecorded();
    const std::size_t pace = m_connection->bytesPerSecond();
    const double rate = pace ? double(pace) : WireBytesPerSecond;
    const int limitMs = int(1000.0 * double(bytes) / rate) + DrainMarginMs;
    if (announce) {
        const QPointer<TMidiOutput> self(this);
        emit closing(qint64(bytes), limitMs);
        if (!self || !m_queue)
            return;
    }
    // The main thread waits here on purpose: the port is going away, and the
    // messages must not go with it. No signal is raised meanwhile, so nothing
    // can send more or close the port under the wait.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        while (m_finishedSeen < m_queue->finished() && !m_outgoing.empty()) {
            m_outgoing.pop_front();
            --m_posted;
            ++m_finishedSeen;
        }
        if (m_outgoing.empty() || Clock::now() >= deadline)
            return;
        handOver();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace dorvane
