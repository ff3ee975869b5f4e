// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/midisender.h"

#include "midi/longmessage.h"
#include "midi/miditexts.h"
#include "midi/tmidioutput.h"
#include "midi/tmymidihdr.h"
#include "patch/fileio.h"
#include "patch/rolandmessage.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>

namespace dorvane {

MidiSender::MidiSender(QObject* parent) : QObject(parent), m_deviceId(DeviceId)
{
    m_timer.setSingleShot(true);
    // The wire's pace is counted in single milliseconds.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_step == Step::Pausing || m_step == Step::Scheduled)
            sendNext();
    });
}

void MidiSender::SetOutput(TMidiOutput* output)
{
    if (m_output)
        disconnect(m_output, nullptr, this, nullptr);
    // The old port's messages finish out of sight now.
    forgetHandedOver();
    m_output = output;
    if (output) {
        connect(output, &TMidiOutput::Onmidioutput, this, &MidiSender::deviceFinishedOne);
        connect(output, &TMidiOutput::drained, this, &MidiSender::onDrained);
        connect(output, &TMidiOutput::messageFailed, this, &MidiSender::messageFailed);
        connect(output, &TMidiOutput::sendFailed, this, &MidiSender::sendFailed);
        // Gone with the port: whatever waited for it goes on.
        connect(output, &QObject::destroyed, this, &MidiSender::onDrained);
    }
    onDrained(); // a wait on the previous port ends here
}

void MidiSender::SendLong(Bytes bytes)
{
    if (bytes.empty())
        return;
    stampDeviceId(bytes, m_deviceId);
    m_bytesGiven += bytes.size();
    m_queue.push_back({std::move(bytes), false});
    if (m_step == Step::Idle)
        schedule();
}

void MidiSender::SendLongNow(Bytes bytes)
{
    if (bytes.empty())
        return;
    stampDeviceId(bytes, m_deviceId);
    const bool waiting = !m_queue.empty() || m_step == Step::Pausing ||
                         (m_step == Step::AwaitingDevice && m_pendingPause > 0);
    if (waiting || m_pause || m_messagePause > 0 || !m_output || !m_output->IsOpen()) {
        SendLong(std::move(bytes));
        return;
    }
    m_bytesGiven += bytes.size();
    if (std::optional<QString> failure = handOver(bytes))
        m_failures.emplace_back(std::move(*failure), std::move(bytes));
    // The turn reports a failure and says queueEmpty once the device is done.
    schedule();
}

void MidiSender::SendLatest(Bytes bytes)
{
    if (bytes.empty())
        return;
    const std::vector<ByteView> pieces = messagePieces(bytes);
    if (pieces.size() <= 1) {
        offerLatest(std::move(bytes));
        return;
    }
    for (ByteView piece : pieces)
        offerLatest(Bytes(piece.begin(), piece.end()));
}

namespace {

// Two messages for one address: the same header up to the end of the
// address (device ID aside, it is stamped alike) and the same length.
bool sameAddress(ByteView a, ByteView b)
{
    constexpr std::size_t AddressEnd = MessageHeaderSize;
    if (a.size() != b.size() || a.size() < AddressEnd)
        return false;
    return std::equal(a.begin(), a.begin() + AddressEnd, b.begin());
}

// The bytes of the instrument's memory a message writes, as addresses counted
// in base 128 (a data byte past 127 carries into the next address byte);
// nothing for bytes that are no single Data Set message of the instrument.
std::optional<std::pair<std::uint32_t, std::uint32_t>> writtenRange(ByteView m)
{
    if (m.size() < MessageOverhead || m[0] != 0xF0 || m[1] != 0x41 || m[5] != 0x12 ||
        m.back() != 0xF7)
        return std::nullopt;
    std::uint32_t address = 0;
    for (std::size_t i = 6; i < MessageHeaderSize; ++i)
        address = address * 128 + m[i];
    return std::pair{address, address + std::uint32_t(m.size() - MessageOverhead)};
}

// Whether the two may write to the same bytes; anything not known to stay
// apart is taken to overlap.
bool mayOverlap(ByteView a, ByteView b)
{
    for (ByteView pa : messagePieces(a))
        for (ByteView pb : messagePieces(b)) {
            const auto ra = writtenRange(pa);
            const auto rb = writtenRange(pb);
            if (!ra || !rb || (ra->first < rb->second && rb->first < ra->second))
                return true;
        }
    return false;
}

// A device takes a message this much before the wire's clock says it is
// free: its own buffer absorbs it, and the sender's timer is no finer.
constexpr std::chrono::milliseconds WireSlack{1};

} // namespace

void MidiSender::offerLatest(Bytes message)
{
    stampDeviceId(message, m_deviceId);
    m_bytesGiven += message.size();
    for (std::size_t i = 0; i < m_queue.size(); ++i) {
        Waiting& w = m_queue[i];
        // The front's first pieces may be on their way already.
        if (!w.latest || (i == 0 && m_frontSent > 0) || !sameAddress(w.bytes, message))
            continue;
        // The value it carried will never be heard: its bytes are done with.
        const std::size_t dropped = w.bytes.size();
        finished(dropped);
        // In its place, unless a message waiting behind it writes any of the
        // same bytes: the newest value must still be the last one there.
        const bool overtaken =
            std::any_of(m_queue.begin() + std::ptrdiff_t(i) + 1, m_queue.end(),
                        [&](const Waiting& later) { return mayOverlap(later.bytes, message); });
        if (!overtaken) {
            w.bytes = std::move(message);
            return;
        }
        m_queue.erase(m_queue.begin() + std::ptrdiff_t(i));
        break;
    }
    const bool nothingBefore = m_queue.empty() && m_step == Step::Idle;
    if (nothingBefore && !m_pause && m_messagePause == 0 && m_output && m_output->IsOpen() &&
        m_output->MessagesInFlight() == 0 && wireBusyFor() <= std::chrono::nanoseconds::zero()) {
        // A drag's step reaches the instrument before the window repaints.
        if (std::optional<QString> failure = handOver(message))
            m_failures.emplace_back(std::move(*failure), std::move(message));
        schedule();
        return;
    }
    m_queue.push_back({std::move(message), true});
    if (m_step == Step::Idle)
        schedule();
}

std::chrono::nanoseconds MidiSender::wireBusyFor() const
{
    if (m_latestPace <= 0)
        return std::chrono::nanoseconds::zero();
    return m_wireFreeAt - std::chrono::steady_clock::now() - WireSlack;
}

bool MidiSender::SendFile(const QString& fileName)
{
    Bytes bytes;
    try {
        bytes = readWholeFile(fileName.toStdString());
    } catch (const std::exception& e) {
        emit sendFailed(QString::fromStdString(e.what()));
        return false;
    }
    if (bytes.size() <= MaxLongMessageSize) {
        SendLong(std::move(bytes));
        return true;
    }
    std::vector<ByteView> groups;
    try {
        groups = groupIntoLongMessages(bytes, MaxLongMessageSize);
    } catch (const MessageTooLong& e) {
        emit sendFailed(QString::fromStdString(e.what()));
        return false;
    }
    for (ByteView group : groups)
        SendLong(Bytes(group.begin(), group.end()));
    return true;
}

bool MidiSender::IsIdle() const
{
    return m_queue.empty() && m_step == Step::Idle &&
           (!m_output || m_output->MessagesInFlight() == 0);
}

namespace {

// The sender's turn on the event loop.
const QEvent::Type TurnEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

} // namespace

void MidiSender::schedule()
{
    m_step = Step::Scheduled;
    if (m_turnPosted)
        return;
    m_turnPosted = true;
    // Posted ahead of what is already waiting: an edit changes labels and
    // knobs before it sends, and the layouts and paints that posts are no
    // reason for the instrument to hear the change later. The turn still
    // never runs inside the caller, so SendLong stays a queueing call.
    QCoreApplication::postEvent(this, new QEvent(TurnEvent), Qt::HighEventPriority);
}

bool MidiSender::event(QEvent* event)
{
    if (event->type() != TurnEvent)
        return QObject::event(event);
    m_turnPosted = false;
    QPointer<MidiSender> self(this);
    while (!m_failures.empty()) {
        const auto [text, message] = std::move(m_failures.front());
        m_failures.pop_front();
        emit messageFailed(text, message);
        if (!self)
            return true;
        emit sendFailed(text);
        if (!self)
            return true;
    }
    if (m_step == Step::Scheduled)
        sendNext();
    return true;
}

std::optional<QString> MidiSender::handOver(ByteView message)
{
    try {
        if (!m_output)
            throw EmidioutputError(miditexts::OutputNotOpen);
        m_output->SendLongMessage(message);
        m_handedOver.push_back(message.size());
        if (m_latestPace > 0) {
            const auto now = std::chrono::steady_clock::now();
            m_wireFreeAt =
                std::max(now, m_wireFreeAt) +
                std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                    std::chrono::duration<double>(double(message.size()) / m_latestPace));
        }
        return std::nullopt;
    } catch (const EmidioutputError& e) {
        finished(message.size());
        return QString::fromStdString(e.what());
    }
}

bool MidiSender::sendOne(ByteView message)
{
    const std::optional<QString> failure = handOver(message);
    if (failure) {
        QPointer<MidiSender> self(this);
        emit messageFailed(*failure, Bytes(message.begin(), message.end()));
        if (self)
            emit sendFailed(*failure);
    }
    return !failure;
}

void MidiSender::sendNext()
{
    if (m_queue.empty()) {
        m_pendingPause = 0;
        if (m_output && m_output->MessagesInFlight() > 0) {
            m_step = Step::AwaitingDevice; // queueEmpty once the device has finished
            return;
        }
        m_step = Step::Idle;
        emit queueEmpty();
        return;
    }

    if (m_messagePause == 0 && !m_pause) {
        // Nothing to wait for between messages: all of them go to the port's
        // queue now, which keeps their order and feeds the device at its pace.
        while (!m_queue.empty()) {
            if (m_queue.front().latest) {
                // Held until the port and the wire are free, so a newer value
                // may still take its place; what follows keeps its turn.
                if (m_output && m_output->MessagesInFlight() > 0) {
                    m_step = Step::AwaitingDevice;
                    return;
                }
                const auto busy = wireBusyFor();
                if (busy > std::chrono::nanoseconds::zero()) {
                    m_step = Step::Pausing;
                    m_timer.start(
                        int(std::chrono::duration_cast<std::chrono::milliseconds>(busy).count()));
                    return;
                }
            }
            const Bytes message = std::move(m_queue.front().bytes);
            m_queue.pop_front();
            sendOne(message);
        }
        afterMessage(0);
        return;
    }

    Bytes& front = m_queue.front().bytes;
    ByteView message(front);
    bool last = true;
    if (m_messagePause > 0) {
        // The next sysex message of the front long message only.
        const ByteView rest = message.subspan(m_frontSent);
        message = messagePieces(rest).front();
        m_frontSent += message.size();
        last = m_frontSent >= front.size();
    }

    const bool sent = sendOne(message);
    int pause = m_messagePause;
    if (last) {
        m_queue.pop_front();
        m_frontSent = 0;
        if (m_pause)
            pause += PauseMs;
    }
    afterMessage(sent ? pause : 0);
}

void MidiSender::afterMessage(int pauseMs)
{
    if (pauseMs <= 0) {
        schedule();
        return;
    }
    m_pendingPause = pauseMs;
    if (m_output && m_output->MessagesInFlight() > 0)
        m_step = Step::AwaitingDevice; // the pause starts when the bytes have left
    else
        startPause();
}

void MidiSender::startPause()
{
    m_step = Step::Pausing;
    m_timer.start(m_pendingPause);
}

void MidiSender::finished(std::size_t bytes)
{
    m_bytesFinished += bytes;
    emit bytesFinished(m_bytesFinished);
}

void MidiSender::deviceFinishedOne()
{
    // Only the sender gives the port long messages, so they finish in the
    // order they were handed over.
    if (m_handedOver.empty())
        return;
    const std::size_t bytes = m_handedOver.front();
    m_handedOver.pop_front();
    finished(bytes);
}

void MidiSender::forgetHandedOver()
{
    std::size_t bytes = 0;
    for (std::size_t b : m_handedOver)
        bytes += b;
    m_handedOver.clear();
    if (bytes)
        finished(bytes);
}

void MidiSender::onDrained()
{
    // Nothing is in flight any more: what the port did not report finished
    // was dropped by a close, and will never be.
    forgetHandedOver();
    if (m_step != Step::AwaitingDevice)
        return;
    if (m_pendingPause > 0)
        startPause();
    else
        sendNext();
}

} // namespace dorvane
