// SPDX-License-Identifier: GPL-3.0-or-later
// The road of one edit: the release on a value control writes the image where
// the parameter lives and sends the one-parameter Data Set message at once;
// the status bar shows the four tones' values; a test note may follow.
#include "editor/devicesetup.h"
#include "editor/filecommands.h"
#include "editor/shakecommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"

#include "editor/settingsstore.h"
#include "editor/tdragtweak.h"
#include "editor/trevscrb.h"
#include "editor/valueaccessible.h"
#include "editor/windowtexts.h"
#include "midi/midisender.h"
#include "midi/tmidioutput.h"
#include "patch/catalogue.h"
#include "patch/parameteraddress.h"
#include "patch/patchname.h"
#include "patch/tonemorph.h"
#include "player/tmidiapputil.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

#include <array>
#include <memory>
#include <span>

namespace dorvane {

namespace {

// The note the test note sounds lasts this long.
constexpr int TestNoteMs = 300;

} // namespace

void ValueSheets::sendInstrumentParameter(const Address& address, int value)
{
    m_session.sendParameter(address, value);
}

void ValueSheets::controlReleased(TDragTweak* c, Qt::MouseButton button, Qt::KeyboardModifiers)
{
    const Binding* row = bindingOf(c);
    if (!row || c->Position() < 0)
        return;
    const int value = c->Position();
    if (isSentOnly(row->handler)) {
        rememberSent(c, *row);
        // Said in words, as the hint standing there spoke of a value not known.
        const QString label = QString::fromUtf8(row->label.data(), qsizetype(row->label.size()));
        if (!m_output->IsOpen())
            m_frame.setStatusText(
                QString("%1 = %2, %3")
                    .arg(label, c->Caption(), m_parts.deviceSetup->notSentReason()));
        else
            m_frame.setStatusText(
                row->handler == Handler::Part
                    ? QString(texts::SentToPart).arg(label, c->Caption(), m_session.partLabel())
                    : QString(texts::SentToInstrument).arg(label, c->Caption()));
    }
    switch (row->handler) {
    case Handler::Tone:
        toneReleased(c, *row, button);
        break;
    case Handler::Common:
        commonReleased(c, *row, button);
        break;
    case Handler::Effects:
        sendInstrumentParameter(effectsAddress(row->ctrlNo), value);
        testNote();
        break;
    case Handler::Part:
        sendInstrumentParameter(partSetupAddress(m_session.partNumber(), row->ctrlNo), value);
        testNote();
        break;
    case Handler::System:
        sendInstrumentParameter(systemAddress(row->ctrlNo), value);
        testNote();
        break;
    case Handler::Tempo:
        tempoReleased(c);
        break;
    case Handler::Device:
        if (row->name == "midiout")
            m_parts.deviceSetup->outputReleased();
        else
            m_parts.deviceSetup->inputReleased();
        break;
    case Handler::Player:
        playerReleased(c, *row);
        break;
    case Handler::Setup:
        break;
    }
}

void ValueSheets::rememberSent(const TDragTweak* c, const Binding& row)
{
    const int part = row.handler == Handler::Part ? m_session.partNumber() : -1;
    m_sentValues[{&row, part}] = c->Position();
}

void ValueSheets::showSentValues()
{
    // The part box follows the part; the effects, system and tempo are the
    // instrument's own, one for all parts.
    for (const auto& [name, c] : m_controls) {
        const Binding* row = bindingOf(c);
        if (!row || !isSentOnly(row->handler))
            continue;
        const int part = row->handler == Handler::Part ? m_session.partNumber() : -1;
        const auto it = m_sentValues.find({row, part});
        if (it != m_sentValues.end()) {
            c->SetPosition(it->second);
        } else {
            // Where a drag will start from, as the control always has.
            c->SetPosition(row->positionDefault);
            c->SetUnknown(true);
        }
    }
}

EditSession::Handover ValueSheets::releaseHandover() const
{
    // After steps sent as they went, the release takes the place of one still
    // waiting, so it is the value heard last.
    return m_session.sendWhileDragging() ? EditSession::Handover::Latest
                                         : EditSession::Handover::EachAtOnce;
}

void ValueSheets::controlDragged(TDragTweak* c)
{
    const Binding* row = bindingOf(c);
    if (!row || c->Position() < 0)
        return;
    const int value = c->Position();
    if (m_session.isRhythmPart()) {
        if (row->handler != Handler::Tone)
            return;
        const ParameterWrite write{RhythmPart, m_session.drumNote(), row->tag, value};
        m_session.preview(std::span(&write, 1));
        return;
    }
    std::array<ParameterWrite, ToneCount> writes{};
    std::size_t count = 0;
    const int part = m_session.partNumber();
    if (row->handler == Handler::Common) {
        writes[count++] = {part, 0, row->ctrlNo, value};
    } else {
        for (int t = 1; t <= ToneCount; ++t)
            if (m_session.toneSelected(t))
                writes[count++] = {part, t, row->ctrlNo, value};
    }
    m_session.preview(std::span(writes.data(), count));
}

void ValueSheets::toneReleased(TDragTweak* c, const Binding& row, Qt::MouseButton button)
{
    const int value = c->Position();
    if (m_session.isRhythmPart()) {
        const ParameterWrite write{RhythmPart, m_session.drumNote(), row.tag, value};
        m_session.apply(editText(c, row), std::span(&write, 1), releaseHandover());
        testNote();
        return;
    }
    // The right button opens the shake menu instead of editing.
    if (button != Qt::LeftButton)
        return;
    const int part = m_session.partNumber();
    // On the stack: a release is the edit a drag ends with, and must stay quick.
    std::array<ParameterWrite, ToneCount> writes{};
    std::size_t count = 0;
    for (int t = 1; t <= ToneCount; ++t) {
        if (m_session.toneSelected(t))
            writes[count++] = {part, t, row.ctrlNo, value};
    }
    m_session.apply(editText(c, row), std::span(writes.data(), count), releaseHandover());
    m_frame.setStatusText(toneValuesText(c));
    testNote();
}

void ValueSheets::commonReleased(TDragTweak* c, const Binding& row, Qt::MouseButton button)
{
    if (!m_session.isRhythmPart() && button == Qt::LeftButton) {
        const ParameterWrite write{m_session.partNumber(), 0, row.ctrlNo, c->Position()};
        m_session.apply(editText(c, row), std::span(&write, 1), releaseHandover());
    }
    testNote();
}

void ValueSheets::tempoReleased(TDragTweak* c)
{
    // The tempo is the number shown, not the position, and always two bytes.
    const int tempo = c->Caption().trimmed().toInt();
    m_session.sendTempo(tempo);
    testNote();
}

void ValueSheets::playerReleased(TDragTweak* c, const Binding& row)
{
    const int value = c->Position();
    if (row.name == "playmode")
        m_util->SetPlaymode(TPlayMode(value));
    else if (row.name == "velocity")
        m_util->SetVelocity(value);
    else if (row.name == "velrnd")
        m_util->SetVelRnd(value);
    else if (row.name == "octave")
        m_util->SetOctave(value);
}

QString ValueSheets::toneValuesText(const TDragTweak* c) const
{
    QString text;
    for (int t = 1; t <= ToneCount; ++t)
        text += "     " + c->Items().value(
                              m_session.image().ReadByte(m_session.partNumber(), t, c->CtrlNo()));
    return text;
}

QString ValueSheets::editText(const TDragTweak* c, const Binding& row) const
{
    // Named as the label beside the control reads, which on part R follows the
    // drum note's parameter.
    if (m_session.isRhythmPart()) {
        const auto name = parameterName(ParameterTable::RhythmNote, row.tag);
        const QString what =
            name ? QString::fromLatin1(name->data(), qsizetype(name->size())).trimmed()
                 : c->objectName();
        return m_session.onDrumNote(what);
    }
    return m_session.onPart(QString::fromUtf8(row.label.data(), qsizetype(row.label.size())));
}

QString ValueSheets::accessibleControlName(const TDragTweak* c, const Binding& row) const
{
    const QString label = QString::fromUtf8(row.label.data(), qsizetype(row.label.size()));
    switch (row.handler) {
    case Handler::Tone:
        // The Tone sheet shows one tone (one drum note on part R) of the part.
        return m_session.isRhythmPart()
                   ? editText(c, row)
                   : m_session.onPart(label) + QString(" tone %1").arg(m_session.shownTone());
    case Handler::Common:
    case Handler::Part:
        return m_session.onPart(label);
    default:
        // The effects, the system, the tempo and the program's own settings
        // are one for all parts.
        return label;
    }
}

void ValueSheets::nameControls()
{
    // A control's name is made whenever it is asked for (makeControl): only
    // a listening reader needs them given, and told, at every selection.
    if (!QAccessible::isActive())
        return;
    for (const auto& [name, c] : m_controls)
        if (const Binding* row = bindingOf(c))
            nameValueControl(c, accessibleControlName(c, *row), c->CopyKnob());
}

void ValueSheets::showToneValues(TDragTweak* c)
{
    const QString values = m_session.isRhythmPart() ? QString() : toneValuesText(c);
    m_frame.setStatusText(values + (m_parts.shake->willShake(c) ? texts::Shake : texts::WontShake));
}

void ValueSheets::toneBoxReleased(int tone, Qt::KeyboardModifiers modifiers)
{
    if (modifiers == Qt::ShiftModifier) {
        for (int t = 1; t <= ToneCount; ++t)
            m_session.setToneSelected(t, t == tone);
        selectShownTone(tone);
    } else if (modifiers == Qt::AltModifier) {
        for (int t = 1; t <= ToneCount; ++t)
            m_session.setToneSelected(t, t != tone);
    } else if (modifiers == Qt::ControlModifier) {
        for (int t = 1; t <= ToneCount; ++t)
            m_session.setToneSelected(t, !m_session.toneSelected(t));
    }
}

void ValueSheets::selectWave(int wave)
{
    if (wave < 0)
        return;
    if (m_wave->count() > wave)
        m_wave->setCurrentIndex(wave);
    std::array<WaveWrite, ToneCount> writes{};
    std::size_t count = 0;
    if (m_session.isRhythmPart()) {
        writes[count++] = {RhythmPart, m_session.drumNote(), wave};
    } else {
        for (int t = 1; t <= ToneCount; ++t) {
            if (m_session.toneSelected(t))
                writes[count++] = {m_session.partNumber(), t, wave};
        }
    }
    m_session.apply(m_session.isRhythmPart() ? m_session.onDrumNote("Wave")
                                             : m_session.onPart("Wave"),
                    std::span(writes.data(), count));
    refreshCaption();
    testNote();
}

void ValueSheets::selectCategory(int index)
{
    const auto categories = waveCategories();
    if (index >= 0 && index < m_category->count())
        m_category->setCurrentIndex(index);
    // Past the table, the last group.
    const int wave = index >= 0 && std::size_t(index) < categories.size()
                         ? categories[std::size_t(index)].firstWave
                         : categories.back().firstWave;
    selectWave(wave);
}

void ValueSheets::nameEntered()
{
    // What is sent and what is stored are the same twelve 7-bit bytes.
    const std::string name = patchNameText(m_name->text().toStdU32String());
    const int part = m_session.partNumber();
    // A name shown for another part is no name for this one.
    if (m_namePart != part) {
        showName(part);
        return;
    }
    m_session.applyName(m_session.onPart("Patch Name"), part, name);
    showName(part);
    // The next part save offers the patch's name.
    m_parts.files->saveFileName() = m_parts.files->besideLastSave(QString::fromLatin1(name));
    refreshCaption();
}

void ValueSheets::testNote()
{
    // With no output there is nobody to hear it, and no box should say so at every edit.
    if (!m_autoTrig->isChecked() || !m_output->IsOpen())
        return;
    // The note the selector names (the drum note itself on part R), whatever the
    // octave and transpose the keyboard stands at: the player adds them, so
    // they are taken off the key first.
    TDragTweak* autoNote = control("autonote");
    const int note = m_session.isRhythmPart() ? FirstDrumKey + m_session.drumNote()
                                              : (autoNote ? autoNote->Position() : 48);
    const int key = note - 12 * m_util->Octave() - m_util->Transpose();
    auto play = [this, key] {
        m_util->PlayKey(key);
        // The window keeps painting while the note sounds; the note-off follows.
        QTimer::singleShot(TestNoteMs, m_util,
                           [this, key] { m_frame.runCommand([&] { m_util->ReleaseKey(key); }); });
    };
    // The note is to let the user hear the edit, so it waits until the edit's
    // message has left; notes would otherwise overtake the queued long message.
    MidiSender& sender = m_util->Sender();
    if (sender.IsIdle()) {
        play();
        return;
    }
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = connect(&sender, &MidiSender::queueEmpty, this, [this, once, play] {
        disconnect(*once);
        m_frame.runCommand(play);
    });
}

void ValueSheets::morphReleased(int bar)
{
    // The bars morph between tones; part R has drum notes where tones would be.
    if (m_session.isRhythmPart())
        return;
    const int part = m_session.partNumber();
    const int offset = morphOffset(MorphBar(bar));
    const auto morph = toneMorph(m_morphBars[std::size_t(bar)]->Position(), m_session.shownTone());
    std::array<ParameterWrite, std::tuple_size_v<decltype(morph)>> writes{};
    for (std::size_t i = 0; i < morph.size(); ++i)
        writes[i] = {part, morph[i].tone, offset, morph[i].value};
    m_session.apply(m_session.onPart("Tone Morph"), writes);
}

} // namespace dorvane
