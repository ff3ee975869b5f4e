// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/editsession.h"

#include "patch/imagediff.h"
#include "patch/notename.h"
#include "patch/parameteraddress.h"
#include "patch/rolandmessage.h"

#include <algorithm>
#include <utility>

namespace dorvane {

namespace {

constexpr char NothingSinceStart[] = "nothing fetched or sent since start";
constexpr char GotFromInstrument[] = "as got from the instrument";
constexpr char SentToInstrument[] = "as sent to the instrument";
constexpr char VerifiedOnInstrument[] = "sent and read back alike";

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
    return index == EditSession::RhythmIndex ? QString("R") : QString::number(index + 1);
}

int partSyncIndex(int part)
{
    return part == RhythmPart ? EditSession::RhythmIndex : part;
}

int partOfSyncIndex(int index)
{
    return index == EditSession::RhythmIndex ? RhythmPart : index;
}

EditSession::EditSession(QObject* parent) : QObject(parent)
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

void EditSession::partVerified(int index)
{
    setPart(index, PartSync::InStep, VerifiedOnInstrument);
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

int EditSession::partNumber() const
{
    return partOfSyncIndex(m_partIndex);
}

QString EditSession::partLabel() const
{
    return isRhythmPart() ? QString("R") : QString::number(m_partIndex + 1);
}

QString EditSession::onPart(const QString& what) const
{
    return what + ", part " + partLabel();
}

QString EditSession::onDrumNote(const QString& what) const
{
    return onPart(what) + " drum note " +
           QString::fromStdString(noteName(FirstDrumKey + m_drumNote)).trimmed();
}

bool EditSession::toneSelected(int tone) const
{
    return tone >= 1 && tone <= ToneCount && m_tones[std::size_t(tone - 1)];
}

bool EditSession::selectPart(int index)
{
    if (!validPart(index) || index == m_partIndex)
        return false;
    m_partIndex = index;
    emit partSelected(index);
    return true;
}

bool EditSession::selectShownTone(int tone)
{
    if (tone < 1 || tone > ToneCount || tone == m_shownTone)
        return false;
    m_shownTone = tone;
    emit shownToneSelected(tone);
    return true;
}

bool EditSession::setToneSelected(int tone, bool selected)
{
    if (tone < 1 || tone > ToneCount || m_tones[std::size_t(tone - 1)] == selected)
        return false;
    m_tones[std::size_t(tone - 1)] = selected;
    emit tonesSelected();
    return true;
}

bool EditSession::selectDrumNote(int note)
{
    if (note < 0 || note >= DrumNoteCount || note == m_drumNote)
        return false;
    m_drumNote = note;
    emit drumNoteSelected(note);
    return true;
}

void EditSession::sendNow(Bytes message)
{
    if (m_output)
        m_output->sendNow(std::move(message));
}

void EditSession::sendQueued(Bytes message)
{
    if (m_output)
        m_output->send(std::move(message));
}

void EditSession::offer(Bytes message)
{
    if (m_output)
        m_output->offer(std::move(message));
}

void EditSession::setSendWhileDragging(bool on)
{
    if (on == m_sendWhileDragging)
        return;
    m_sendWhileDragging = on;
    emit sendWhileDraggingChanged(on);
}

void EditSession::sendParameter(const Address& address, int value)
{
    sendNow(parameterMessage(m_synth, address, value));
}

void EditSession::sendTempo(int tempo)
{
    sendQueued(dataSetMessage(m_synth, TempoAddress, tempoData(tempo)));
}

namespace {

Address writeAddress(const ParameterWrite& w)
{
    return w.part == RhythmPart ? drumNoteAddress(w.area, w.offset)
           : w.area == 0        ? partCommonAddress(w.part, w.offset)
                                : toneAddress(w.part, w.area, w.offset);
}

} // namespace

void EditSession::apply(const QString& what, std::span<const ParameterWrite> writes,
                        Handover handover)
{
    Bytes together;
    for (const ParameterWrite& w : writes) {
        Bytes message = parameterMessage(m_synth, writeAddress(w), w.value);
        if (handover == Handover::Together)
            together.insert(together.end(), message.begin(), message.end());
        else if (handover == Handover::Latest) {
            // The drag's last step offered this very value: it is on its way or
            // waits as the newest, and sending it again would only put a
            // message the instrument already has behind the other tones'.
            if (std::ranges::find(m_previewed, message) == m_previewed.end())
                offer(std::move(message));
        } else
            sendNow(std::move(message));
        m_image.WriteByte(w.part, w.area, w.offset, w.value);
    }
    if (!together.empty())
        sendNow(std::move(together));
    record(what);
}

void EditSession::preview(std::span<const ParameterWrite> writes)
{
    for (const ParameterWrite& w : writes) {
        // A step that changes nothing has nothing to say to the instrument.
        if (m_image.ReadByte(w.part, w.area, w.offset) == std::uint8_t(w.value))
            continue;
        Bytes message = parameterMessage(m_synth, writeAddress(w), w.value);
        rememberPreviewed(message);
        offer(std::move(message));
        m_image.WriteByte(w.part, w.area, w.offset, w.value);
    }
}

void EditSession::rememberPreviewed(const Bytes& message)
{
    // One entry per address: a newer step's value takes the older one's place.
    std::erase_if(m_previewed, [&](const Bytes& earlier) {
        return earlier.size() == message.size() &&
               std::equal(message.begin(), message.begin() + MessageHeaderSize, earlier.begin());
    });
    m_previewed.push_back(message);
}

void EditSession::preview(const std::function<void(t505temppatch&)>& change)
{
    // Whole blocks go out below, which may carry other values than a step's.
    m_previewed.clear();
    const Bytes before = m_image.bytes();
    change(m_image);
    for (Bytes& message : changedMessages(before, m_image.bytes()))
        offer(std::move(message));
}

void EditSession::apply(const QString& what, std::span<const WaveWrite> writes)
{
    for (const WaveWrite& w : writes) {
        // A drum note's block sits at its key, a tone's at its base.
        const int block =
            w.part == RhythmPart ? FirstDrumKey + w.area : ToneBase[std::size_t(w.area)];
        sendNow(waveMessage(m_synth, 0x02, std::uint8_t(w.part), std::uint8_t(block), w.wave));
        m_image.WriteWave(w.part, w.area, w.wave);
    }
    record(what);
}

void EditSession::applyName(const QString& what, int part, const std::string& name)
{
    // A byte of 128 or more would end the message on the wire.
    std::string sent = name;
    for (char& c : sent) {
        if (static_cast<unsigned char>(c) >= 0x80)
            c = '?';
    }
    sendNow(nameMessage(m_synth, sent, 0x02, std::uint8_t(part)));
    m_image.SetPatchName(part, name);
    record(what);
}

void EditSession::apply(const QString& what, const std::function<void(t505temppatch&)>& change,
                        Sending sending)
{
    if (sending == Sending::Nothing) {
        change(m_image);
        record(what);
        return;
    }
    const Bytes before = m_image.bytes();
    change(m_image);
    for (Bytes& message : changedMessages(before, m_image.bytes()))
        sendQueued(std::move(message));
    record(what);
}

std::optional<Bytes> EditSession::undo()
{
    return restore(m_history.undo());
}

std::optional<Bytes> EditSession::redo()
{
    return restore(m_history.redo());
}

std::optional<Bytes> EditSession::restore(std::optional<Bytes> image)
{
    if (!image)
        return std::nullopt;
    // Compared with the session's own image, which the instrument is taken to
    // hold, so nothing it already has goes over again.
    Bytes before = m_image.bytes();
    std::vector<Bytes> changed = changedMessages(before, *image);
    m_image.LoadFromBytes(*image);
    m_previewed.clear();
    for (Bytes& message : changed)
        sendQueued(std::move(message));
    return before;
}

void EditSession::record(const QString& what)
{
    const Bytes before = m_history.current();
    // A drag ends here; what its steps offered says nothing about the next one.
    m_previewed.clear();
    const bool stepped = m_history.record(m_image.bytes(), what);
    emit changeRecorded(what, before, stepped);
}

} // namespace dorvane
