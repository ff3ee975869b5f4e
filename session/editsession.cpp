// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/editsession.h"

#include "patch/rolandmessage.h"

namespace dorvane {

namespace {

constexpr char NothingSinceStart[] = "nothing fetched or sent since start";
constexpr char GotFromInstrument[] = "as got from the instrument";
constexpr char SentToInstrument[] = "as sent to the instrument";

bool validPart(int index)
{
    return index >= 0 && index < EditSession::PartCount;
}

} // namespace

QString partSyncMark(PartSync sync)
{
    switch (sync) {
    case PartSync::InStep:
        return QString(QChar(0x2022));
    case PartSync::ChangedHere:
        return QString(QChar(0x2260));
    case PartSync::NotKnown:
        break;
    }
    return QString("?");
}

QString partSyncLabel(int index)
{
    return index == EditSession::PartCount - 1 ? QString("R") : QString::number(index + 1);
}

int partSyncIndex(int part)
{
    return part == RhythmPart ? EditSession::PartCount - 1 : part;
}

int partOfSyncIndex(int index)
{
    return index == EditSession::PartCount - 1 ? RhythmPart : index;
}

EditSession::EditSession(QObject* parent)
    : QObject(parent)
{
    for (PartState& part : m_parts)
        part.reason = NothingSinceStart;
}

PartSync EditSession::partSync(int index) const
{
    return validPart(index) ? m_parts[std::size_t(index)].sync : PartSync::NotKnown;
}

QString EditSession::partSyncReason(int index) const
{
    return validPart(index) ? m_parts[std::size_t(index)].reason : QString();
}

QString EditSession::partSyncHint(int index) const
{
    return QString("Part %1: %2").arg(partSyncLabel(index), partSyncReason(index));
}

void EditSession::partsReceived(int index)
{
    setPart(index, PartSync::InStep, GotFromInstrument);
}

void EditSession::imageReceived()
{
    for (int i = 0; i < PartCount; ++i)
        partsReceived(i);
}

void EditSession::partSent(int index)
{
    setPart(index, PartSync::InStep, SentToInstrument);
}

void EditSession::imageSent()
{
    for (int i = 0; i < PartCount; ++i)
        partSent(i);
}

void EditSession::partChangedHere(int index, const QString& reason)
{
    setPart(index, PartSync::ChangedHere, reason);
}

void EditSession::imageChangedHere(const QString& reason)
{
    for (int i = 0; i < PartCount; ++i)
        partChangedHere(i, reason);
}

void EditSession::partEdited(int index, bool sent, const QString& reasonNotSent)
{
    // An edit that went out changes both copies alike: whatever was known
    // of the part still holds, and what was not known stays so.
    if (!sent)
        partChangedHere(index, reasonNotSent);
}

void EditSession::imageEdited(ByteView before, bool sent, const QString& reasonNotSent)
{
    if (sent || before.size() != m_image.bytes().size())
        return;
    t505temppatch old;
    old.LoadFromBytes(before);
    for (int i = 0; i < PartCount; ++i) {
        const int part = partOfSyncIndex(i);
        if (old.refreshedPartBytes(part) != m_image.refreshedPartBytes(part))
            partEdited(i, sent, reasonNotSent);
    }
}

void EditSession::messageFailed(ByteView message, const QString& reasonNotSent)
{
    for (const int part : partsAddressed(message))
        partChangedHere(partSyncIndex(part), reasonNotSent);
}

void EditSession::fileSent(ByteView bytes, const QString& reason)
{
    for (const int part : partsAddressed(bytes))
        setPart(partSyncIndex(part), PartSync::NotKnown, reason);
}

void EditSession::outputChanged(const QString& reason)
{
    for (int i = 0; i < PartCount; ++i)
        setPart(i, PartSync::NotKnown, reason);
}

void EditSession::setPart(int index, PartSync sync, const QString& reason)
{
    if (!validPart(index))
        return;
    PartState& part = m_parts[std::size_t(index)];
    if (part.sync == sync && part.reason == reason)
        return;
    part = {sync, reason};
    emit partSyncChanged(index);
}

} // namespace dorvane
