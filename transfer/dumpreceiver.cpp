// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/dumpreceiver.h"

#include "midi/miditexts.h"
#include "midi/tmidiinput.h"
#include "patch/fileio.h"
#include "patch/imagecheck.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace dorvane {

namespace {

QString countText(std::size_t count)
{
    return QString("Received %1 bytes").arg(qulonglong(count));
}

QString wrongLengthText(std::size_t count, std::size_t expected)
{
    return countText(count) + QString(", expected %1: not loaded").arg(qulonglong(expected));
}

QString stalledText(std::size_t count, std::size_t expected, int stallMs)
{
    return countText(count) + QString(" of %1, then nothing for %2 s: the reception stopped, "
                                      "not loaded")
                                  .arg(qulonglong(expected))
                                  .arg(QString::number(stallMs / 1000.0));
}

QString refusedText(std::size_t count, const std::string& problem)
{
    return countText(count) + ", " + QString::fromStdString(problem) + ": not loaded";
}

// An empty reception still makes its file. An empty vector's data() may be
// null, which the C library's fwrite must not be given even for no bytes.
void writeReceived(const QString& fileName, const Bytes& bytes)
{
    static constexpr std::uint8_t Nothing = 0;
    writeFileAtomically(fileName.toStdString(),
                        bytes.empty() ? ByteView(&Nothing, 0) : ByteView(bytes));
}

BlockKind blockKindOf(ReceiveMode mode, int part)
{
    return mode == ReceiveMode::AllParts ? BlockKind::Image : blockKindOfPart(part);
}

} // namespace

bool DumpResult::loadInto(t505temppatch& image) const
{
    if (!block)
        return false;
    if (mode == ReceiveMode::AllParts) {
        image.LoadFromBytes(*block);
        return true;
    }
    const std::size_t offset = partBlockOffset(part);
    if (image.Size() < offset + block->size())
        return false;
    Bytes all = image.bytes();
    std::copy(block->begin(), block->end(), all.begin() + std::ptrdiff_t(offset));
    image.LoadFromBytes(all);
    return true;
}

DumpReceiver::DumpReceiver(TMidiInput* input, QObject* parent)
    : QObject(parent), m_input(input), m_tempFile(defaultTempFile()), m_stall(new QTimer(this))
{
    m_stall->setSingleShot(true);
    m_stall->setInterval(StallTimeoutMs);
    connect(m_stall, &QTimer::timeout, this, &DumpReceiver::stalledOut);
    if (input) {
        connect(input, &TMidiInput::OnMidiInput, this, &DumpReceiver::drain);
        connect(input, &TMidiInput::OnOverflow, this, &DumpReceiver::overflowed);
        connect(input, &TMidiInput::deviceLost, this, &DumpReceiver::inputGone);
    }
}

DumpReceiver::~DumpReceiver() = default;

QString DumpReceiver::defaultTempFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return QDir(folder.isEmpty() ? QDir::tempPath() : folder).filePath("temp");
}

std::size_t DumpReceiver::expectedCount(ReceiveMode mode, int part)
{
    switch (mode) {
    case ReceiveMode::CurrentPart:
        return partBlockSize(part);
    case ReceiveMode::AllParts:
        return ImageSize;
    case ReceiveMode::File:
        break;
    }
    return 0;
}

std::size_t DumpReceiver::ExpectedCount() const
{
    return expectedCount(m_mode, m_part);
}

void DumpReceiver::startPart(int part)
{
    start(ReceiveMode::CurrentPart, isPart(part) ? part : 0, {});
}

void DumpReceiver::startAll()
{
    start(ReceiveMode::AllParts, m_part, {});
}

void DumpReceiver::startFile(const QString& fileName)
{
    start(ReceiveMode::File, m_part, fileName);
}

void DumpReceiver::start(ReceiveMode mode, int part, const QString& fileName)
{
    m_mode = mode;
    m_part = part;
    m_fileName = fileName;
    if (!m_receiving) {
        // Whatever is left in the port from before (the tail behind a dump that
        // completed by itself) belongs to no reception.
        discardPending();
        m_received.clear();
        m_inMessage = false;
        m_malformed = false;
        m_lost = false;
        m_receiving = true;
        if (m_input) {
            m_overflowsBefore = m_input->OverflowCount();
            m_lostBytesBefore = m_input->LostByteCount();
            m_overflowsSeen = m_overflowsBefore;
            m_lostBytesSeen = m_lostBytesBefore;
            m_input->Start();
        }
    }
    emit progress(qint64(m_received.size()), qint64(ExpectedCount()));
    if (complete())
        end(true);
}

void DumpReceiver::discardPending()
{
    if (!m_input)
        return;
    while (m_input->PendingEventCount() > 0 && m_input->TakeEvent()) {
    }
}

void DumpReceiver::drain()
{
    if (!m_receiving || !m_input)
        return;
    const QPointer<DumpReceiver> self(this);
    while (m_receiving && m_input && m_input->PendingEventCount() > 0) {
        const auto event = m_input->TakeEvent();
        if (!event)
            break;
        if (event->StatusByte != SysexStart || event->SysexBytes.empty())
            continue;
        take(event->SysexBytes);
        // Once a dump is coming, a long silence means it stopped. A file
        // reception waits for the musician, who may start dumps at leisure.
        if (m_mode != ReceiveMode::File)
            m_stall->start();
        emit progress(qint64(m_received.size()), qint64(ExpectedCount()));
        if (!self)
            return;
        if (m_receiving && complete())
            end(true);
        if (!self)
            return;
    }
}

void DumpReceiver::take(ByteView bytes)
{
    m_received.insert(m_received.end(), bytes.begin(), bytes.end());
    for (std::uint8_t b : bytes) {
        if (b == SysexStart) {
            m_malformed |= m_inMessage; // the one before never ended
            m_inMessage = true;
        } else if (b == SysexEnd) {
            m_malformed |= !m_inMessage;
            m_inMessage = false;
        } else if (!m_inMessage) {
            m_malformed = true;
        }
    }
}

bool DumpReceiver::complete() const
{
    const std::size_t expected = ExpectedCount();
    return expected > 0 && m_received.size() == expected && !m_inMessage && !m_malformed;
}

std::optional<DumpResult> DumpReceiver::finish()
{
    if (!m_receiving)
        return std::nullopt;
    return end(false);
}

void DumpReceiver::overflowed()
{
    if (!m_receiving || !m_input || m_input->OverflowCount() == m_overflowsBefore)
        return;
    m_lost = true;
    m_overflowsSeen = m_input->OverflowCount();
    m_lostBytesSeen = m_input->LostByteCount();
    // A dump with a hole in it can never complete: waiting for the stall
    // would only make the musician wait for a failure.
    if (m_mode != ReceiveMode::File)
        end(false);
}

void DumpReceiver::inputGone(const QString& text)
{
    // Nothing more can come: waiting for the stall, or for a musician who
    // may not be looking, would only delay the failure.
    if (m_receiving)
        end(false, false, text);
}

void DumpReceiver::stalledOut()
{
    if (m_receiving && m_mode != ReceiveMode::File && !m_received.empty())
        end(false, true);
}

DumpResult DumpReceiver::end(bool automatically, bool stalled, const QString& gone)
{
    m_stall->stop();
    // A port that closed itself has handed out everything and counts nothing.
    const bool portOpen = m_input && m_input->State() == misOpen;
    if (portOpen) {
        m_input->Stop();
        // What arrived before the stop belongs to this reception; after an
        // automatic end the rest is not part of the dump and stays behind.
        if (!automatically) {
            while (m_input->PendingEventCount() > 0) {
                const auto event = m_input->TakeEvent();
                if (!event)
                    break;
                if (event->StatusByte == SysexStart)
                    take(event->SysexBytes);
            }
        }
    }
    m_receiving = false;
    // A loss not yet reported when the musician ends the reception counts all
    // the same; after a complete dump it hit only what came behind it.
    if (portOpen) {
        m_overflowsSeen = m_input->OverflowCount();
        m_lostBytesSeen = m_input->LostByteCount();
    }
    if (portOpen && !automatically && m_overflowsSeen != m_overflowsBefore)
        m_lost = true;

    DumpResult result;
    result.mode = m_mode;
    result.part = m_part;
    result.received = std::move(m_received);
    m_received.clear();
    result.completedAutomatically = automatically;
    result.stalled = stalled;
    result.dataLost = m_lost;
    result.inputLost = !gone.isEmpty();
    const QString lostText =
        m_input ? QString::fromStdString(miditexts::inputOverflow(
                      m_overflowsSeen - m_overflowsBefore, m_lostBytesSeen - m_lostBytesBefore))
                : QString();
    // After a comma, in the middle of the line.
    const QString goneText = gone.isEmpty() ? gone : gone.front().toLower() + gone.mid(1);

    if (!m_tempFile.isEmpty()) {
        try {
            QDir().mkpath(QFileInfo(m_tempFile).absolutePath());
            writeReceived(m_tempFile, result.received);
        } catch (const FileError& e) {
            result.tempFileError = QString::fromStdString(e.what());
        }
    }

    const std::size_t count = result.received.size();
    if (m_mode == ReceiveMode::File) {
        try {
            writeReceived(m_fileName, result.received);
            result.fileWritten = true;
            result.status = countText(count) + ": written to " + m_fileName;
        } catch (const FileError& e) {
            result.status = countText(count) + ", not written: " + QString::fromStdString(e.what());
        }
    } else if (result.inputLost) {
        result.status = refusedText(count, goneText.toStdString());
    } else if (result.dataLost) {
        result.status = refusedText(count, lostText.toStdString());
    } else if (const std::size_t expected = ExpectedCount(); count != expected) {
        result.status = stalled ? stalledText(count, expected, m_stall->interval())
                                : wrongLengthText(count, expected);
    } else {
        // A dump may come in any order; a wrong checksum means a message was
        // damaged on its way, so it is not loaded.
        BlockCheck check = checkBlock(result.received, blockKindOf(m_mode, m_part), m_part,
                                      MessageOrder::AnyOrder, ChecksumRule::Required);
        if (check.ok()) {
            result.block = std::move(check.bytes);
            result.status = countText(count) + ": loaded";
        } else {
            result.status = refusedText(count, check.problem);
        }
    }
    if (result.dataLost && m_mode == ReceiveMode::File)
        result.status += " (" + lostText + ")";
    if (result.inputLost && m_mode == ReceiveMode::File)
        result.status += " (" + goneText + ")";
    emit finished(result);
    return result;
}

} // namespace dorvane
