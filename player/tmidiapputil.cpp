// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/tmidiapputil.h"

#include "patch/notename.h"

#include "midi/dialogs.h"
#include "midi/midisender.h"
#include "midi/miditexts.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"
#include "player/keymap.h"
#include "player/playmodes.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <utility>

namespace dorvane {
namespace {

constexpr int NoteOff = 0x80;
constexpr int NoteOn = 0x90;
constexpr int ControlChange = 0xB0;
constexpr int SustainController = 64;
constexpr int SustainDown = 64;
constexpr int AllSoundOffController = 120;
constexpr int ResetAllControllersController = 121;
constexpr int ChannelCount = 16;
constexpr int HighestChannel = ChannelCount - 1;
constexpr int HighestVelocity = 127;
constexpr int LowestSpreadVelocity = 1;
constexpr int HighestOctave = 10;
constexpr int TransposeRange = 12;
constexpr int SemitonesPerOctave = 12;

std::uint8_t byteOf(int value)
{
    return std::uint8_t(value);
}

} // namespace

struct TMIDIappUtil::Private
{
    QString note;
    int channel = 0;
    int octave = 3;
    int velocity = 97;
    int velRnd = 10;
    TPlayMode playmode = pmNote;
    QPointer<TMidiOutput> output;
    QPointer<TMidiInput> input;
    QString wavelist;
    TSynth synth = tsJVXP;
    int transpose = 0;
    std::array<bool, keymap::KeyOffsetCount> held{};
    bool sustainHeld = false;
    Dialogs* dialogs = nullptr;
    std::function<int(int)> random;
    MidiSender sender;

    int draw(int n) const { return n > 0 ? random(n) : 0; }

    // An even first draw spreads upward, an odd one downward; the downward
    // branch never reaches 0, which would be a note-off.
    int nextVelocity() const
    {
        const int direction = draw(velRnd);
        const int amount = draw(velRnd);
        const int v = direction % 2 == 0 ? std::min(velocity + amount, HighestVelocity)
                                         : std::max(velocity - amount, LowestSpreadVelocity);
        return std::clamp(v, 0, HighestVelocity);
    }

    int noteOf(int offset, int interval) const
    {
        return offset + SemitonesPerOctave * octave + transpose + interval;
    }
};

TMIDIappUtil::TMIDIappUtil(QObject* parent) : QObject(parent), d(std::make_unique<Private>())
{
    auto engine = std::make_shared<std::mt19937>(std::random_device{}());
    d->random = [engine](int n) { return std::uniform_int_distribution<int>(0, n - 1)(*engine); };
    connect(&d->sender, &MidiSender::sendFailed, this, &TMIDIappUtil::sendFailed);
}

TMIDIappUtil::~TMIDIappUtil() = default;

QString TMIDIappUtil::Note() const
{
    return d->note;
}

int TMIDIappUtil::Channel() const
{
    return d->channel;
}

// A channel, velocity or octave out of range would put a status byte where a
// data byte belongs, so the setters keep them within the MIDI ranges.
void TMIDIappUtil::SetChannel(int channel)
{
    d->channel = std::clamp(channel, 0, HighestChannel);
}

int TMIDIappUtil::Octave() const
{
    return d->octave;
}

void TMIDIappUtil::SetOctave(int octave)
{
    d->octave = std::clamp(octave, 0, HighestOctave);
}

int TMIDIappUtil::Velocity() const
{
    return d->velocity;
}

void TMIDIappUtil::SetVelocity(int velocity)
{
    d->velocity = std::clamp(velocity, 0, HighestVelocity);
}

int TMIDIappUtil::VelRnd() const
{
    return d->velRnd;
}

void TMIDIappUtil::SetVelRnd(int spread)
{
    d->velRnd = std::max(spread, 0);
}

TPlayMode TMIDIappUtil::Playmode() const
{
    return d->playmode;
}

void TMIDIappUtil::SetPlaymode(TPlayMode mode)
{
    d->playmode = int(mode) >= 0 && int(mode) < PlayModeCount ? mode : pmNote;
}

TMidiOutput* TMIDIappUtil::OUTPUT() const
{
    return d->output;
}

void TMIDIappUtil::SetOUTPUT(TMidiOutput* output)
{
    d->output = output;
    d->sender.SetOutput(output);
}

TMidiInput* TMIDIappUtil::INPUT() const
{
    return d->input;
}

void TMIDIappUtil::SetINPUT(TMidiInput* input)
{
    d->input = input;
}

bool TMIDIappUtil::Pause() const
{
    return d->sender.Pause();
}

void TMIDIappUtil::SetPause(bool pause)
{
    d->sender.SetPause(pause);
}

QString TMIDIappUtil::Wavelist() const
{
    return d->wavelist;
}

void TMIDIappUtil::SetWavelist(const QString& fileName)
{
    d->wavelist = fileName;
}

TSynth TMIDIappUtil::Synth() const
{
    return d->synth;
}

void TMIDIappUtil::SetSynth(TSynth synth)
{
    d->synth = synth;
}

int TMIDIappUtil::Transpose() const
{
    return d->transpose;
}

void TMIDIappUtil::SetDialogs(Dialogs* dialogs)
{
    d->dialogs = dialogs;
}

void TMIDIappUtil::SetRandom(std::function<int(int n)> random)
{
    if (random)
        d->random = std::move(random);
}

void TMIDIappUtil::PlayKey(int offset)
{
    const auto intervals = playModeIntervals(d->playmode);
    std::array<int, 5> notes{};
    std::size_t count = 0;
    int rootVelocity = 0;
    for (int interval : intervals) {
        const int note = d->noteOf(offset, interval);
        notes[count++] = note;
        // Beyond 0..127 the note number would not fit a data byte; sending its
        // low bits would either sound a wrong note or, from 128 on, put a status
        // byte on the wire. Such notes are not played.
        if (!isMidiNote(note))
            continue;
        const int velocity = d->nextVelocity();
        if (count == 1)
            rootVelocity = velocity;
        SendShort(NoteOn + d->channel, note, velocity);
    }
    d->note = playedNoteText(d->playmode, std::span<const int>(notes.data(), count), rootVelocity);
}

void TMIDIappUtil::ReleaseKey(int offset)
{
    for (int interval : playModeIntervals(d->playmode)) {
        const int note = d->noteOf(offset, interval);
        if (isMidiNote(note)) // never struck, see PlayKey
            SendShort(NoteOff + d->channel, note, 0);
    }
}

void TMIDIappUtil::KeyDown(int keyCode, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    // Ctrl or Alt alone belong to the menus' shortcuts.
    if (held == Qt::AltModifier || held == Qt::ControlModifier)
        return;
    const int offset = KeyOffset(keyCode);
    if (offset >= 0) {
        if (!d->held[std::size_t(offset)]) { // a repeat of a held key plays nothing
            d->held[std::size_t(offset)] = true;
            PlayKey(offset);
        }
        return;
    }
    switch (keyCode) {
    case vk::Space:
        if (!d->sustainHeld) {
            d->sustainHeld = true;
            SendShort(ControlChange + d->channel, SustainController, SustainDown);
        }
        break;
    case vk::F3:
        OctaveDown();
        break;
    case vk::F4:
        OctaveUp();
        break;
    case vk::F7:
        TransposeDown();
        break;
    case vk::F8:
        TransposeUp();
        break;
    default:
        break;
    }
}

void TMIDIappUtil::KeyUp(int keyCode)
{
    const int offset = KeyOffset(keyCode);
    if (offset >= 0) {
        if (d->held[std::size_t(offset)]) {
            d->held[std::size_t(offset)] = false;
            ReleaseKey(offset);
        }
        return;
    }
    if (keyCode == vk::Space && d->sustainHeld) {
        d->sustainHeld = false;
        SendShort(ControlChange + d->channel, SustainController, 0);
    }
}

void TMIDIappUtil::OctaveUp()
{
    if (d->octave < HighestOctave)
        ++d->octave;
}

void TMIDIappUtil::OctaveDown()
{
    if (d->octave > 0)
        --d->octave;
}

void TMIDIappUtil::TransposeUp()
{
    if (d->transpose < TransposeRange)
        ++d->transpose;
}

void TMIDIappUtil::TransposeDown()
{
    if (d->transpose > -TransposeRange)
        --d->transpose;
}

int TMIDIappUtil::KeyOffset(int keyCode)
{
    return keymap::offsetOf(keyCode);
}

int TMIDIappUtil::KeyCodeOf(const QKeyEvent& event)
{
    keymap::KeyFacts facts;
    facts.qtKey = event.key();
    facts.modifiers = event.modifiers();
    facts.nativeScanCode = event.nativeScanCode();
    facts.nativeVirtualKey = event.nativeVirtualKey();
    return keymap::virtualKeyOf(keymap::nativeKeysOf(QGuiApplication::platformName()), facts);
}

bool TMIDIappUtil::handleKeyPress(const QKeyEvent& event)
{
    const int code = KeyCodeOf(event);
    KeyDown(code, event.modifiers());
    return KeyOffset(code) >= 0 || code == vk::Space || code == vk::F3 || code == vk::F4 ||
           code == vk::F7 || code == vk::F8;
}

void TMIDIappUtil::handleKeyRelease(const QKeyEvent& event)
{
    // X11 reports a held key as release-press pairs; only the last release counts.
    if (event.isAutoRepeat())
        return;
    KeyUp(KeyCodeOf(event));
}

void TMIDIappUtil::releaseAllKeys()
{
    std::array<bool, keymap::KeyOffsetCount> wasHeld{};
    std::swap(wasHeld, d->held);
    const bool sustain = std::exchange(d->sustainHeld, false);
    for (int offset = 0; offset < keymap::KeyOffsetCount; ++offset) {
        if (wasHeld[std::size_t(offset)])
            ReleaseKey(offset);
    }
    if (sustain)
        SendShort(ControlChange + d->channel, SustainController, 0);
}

QString TMIDIappUtil::NoteName(int note)
{
    return QString::fromStdString(noteName(note));
}

void TMIDIappUtil::SendShort(int status, int data1, int data2)
{
    if (!d->output)
        throw EmidioutputError(miditexts::OutputNotOpen);
    d->output->SendShortMessage(byteOf(status), byteOf(data1), byteOf(data2));
}

Bytes TMIDIappUtil::DataSetHeader() const
{
    return dorvane::DataSetHeader(d->synth);
}

void TMIDIappUtil::SendLong(Bytes bytes)
{
    d->sender.SendLong(std::move(bytes));
}

bool TMIDIappUtil::SendFile(const QString& fileName)
{
    return d->sender.SendFile(fileName);
}

MidiSender& TMIDIappUtil::Sender()
{
    return d->sender;
}

void TMIDIappUtil::AllSoundOff()
{
    for (int channel = 0; channel < ChannelCount; ++channel)
        SendShort(ControlChange + channel, AllSoundOffController, 0);
}

void TMIDIappUtil::ResetAllControllers()
{
    for (int channel = 0; channel < ChannelCount; ++channel)
        SendShort(ControlChange + channel, ResetAllControllersController, 0);
}

QStringList TMIDIappUtil::ListOutputs()
{
    QStringList names;
    if (!d->output)
        return names;
    // Naming goes through the port, as choosing a device is what reads its
    // name; the port is left on the last device.
    for (int id = 0; id < d->output->DeviceCount(); ++id) {
        d->output->SetDeviceID(id);
        names << d->output->ProductName();
    }
    return names;
}

QStringList TMIDIappUtil::ListInputs()
{
    QStringList names;
    if (!d->input)
        return names;
    for (int id = 0; id < d->input->DeviceCount(); ++id) {
        d->input->SetDeviceID(id);
        names << d->input->ProductName();
    }
    return names;
}

bool TMIDIappUtil::SelectOutput(int device)
{
    if (!d->output)
        return false;
    d->output->Close();
    d->output->SetDeviceID(device);
    return d->output->Open();
}

QString TMIDIappUtil::ProgramFolder()
{
    return QCoreApplication::applicationDirPath();
}

bool TMIDIappUtil::Ask(const QString& text, AskKind kind)
{
    if (!d->dialogs) {
        // Nobody to ask: a question counts as No, so nothing is replaced or sent.
        qWarning("%s", qUtf8Printable(text));
        return false;
    }
    return d->dialogs->ask(text,
                           kind == AskKind::Warning ? AskKind::Warning : AskKind::Information);
}

} // namespace dorvane
