// SPDX-License-Identifier: GPL-3.0-or-later
// TMIDIappUtil: the MIDI utility component the main window holds. It plays the
// current part from the computer keyboard (single notes, chords, intervals),
// hands long messages to the sender (an edit's own messages are the edit
// session's), sweeps the controllers for panic, lists the MIDI devices, and asks
// the user questions through the dialog seam.
#pragma once

#include "patch/layout.h"
#include "patch/rolandmessage.h"
#include "player/playmodes.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class QKeyEvent;

namespace dorvane {

class Dialogs;
class MidiSender;
class TMidiInput;
class TMidiOutput;
enum class AskKind;

// Virtual-key codes of a US keyboard layout, the codes the key map is given in.
namespace vk {
constexpr int Space = 32;
constexpr int F3 = 114, F4 = 115, F7 = 118, F8 = 119;
constexpr int Numpad0 = 96; // .. Numpad9 = 105
} // namespace vk

class TMIDIappUtil : public QObject
{
    Q_OBJECT

public:
    explicit TMIDIappUtil(QObject* parent = nullptr);
    ~TMIDIappUtil() override;

    // Published properties, with the component's own defaults.
    QString Note() const; // ""
    int Channel() const;  // 0
    void SetChannel(int channel);
    int Octave() const; // 3
    void SetOctave(int octave);
    int Velocity() const; // 97
    void SetVelocity(int velocity);
    int VelRnd() const; // 10
    void SetVelRnd(int spread);
    TPlayMode Playmode() const; // pmNote
    void SetPlaymode(TPlayMode mode);
    TMidiOutput* OUTPUT() const;         // none
    void SetOUTPUT(TMidiOutput* output); // also the sender's output
    TMidiInput* INPUT() const;           // none
    void SetINPUT(TMidiInput* input);
    bool Pause() const; // false: 55 ms after each long message
    void SetPause(bool pause);
    QString Wavelist() const; // ""
    void SetWavelist(const QString& fileName);
    TSynth Synth() const; // tsJVXP
    void SetSynth(TSynth synth);

    int Transpose() const; // -12..+12, starts at 0

    // The seam for questions; Ask needs one.
    void SetDialogs(Dialogs* dialogs);
    // Randomness of the velocity spread; tests fix it. Default: a seeded generator.
    // The function returns an integer 0 .. n-1 for n > 0.
    void SetRandom(std::function<int(int n)> random);

    // Playing. Offsets 0..32 of the two-row keyboard.
    void PlayKey(int offset);
    void ReleaseKey(int offset);
    // Virtual-key codes (see KeyCodeOf) and the modifiers held.
    void KeyDown(int keyCode, Qt::KeyboardModifiers modifiers);
    void KeyUp(int keyCode);
    void OctaveUp();
    void OctaveDown();
    void TransposeUp();
    void TransposeDown();
    // The key map: the offset a virtual-key code plays, or -1.
    static int KeyOffset(int keyCode);
    // The US-layout virtual-key code of a Qt key event (the native one where the
    // platform gives it, else from the Qt key; keypad digits as 96..105), or 0.
    static int KeyCodeOf(const QKeyEvent& event);
    // A key event of the window, as it comes: its code, modifiers and repeats
    // dealt with. A press that the platform repeats is KeyDown again (a held
    // note is not struck again, octave and transpose keys step on); a repeated
    // release is not a release. True when the key is one of the player's.
    bool handleKeyPress(const QKeyEvent& event);
    void handleKeyRelease(const QKeyEvent& event);
    // Releases every held key and the sustain pedal, as if they had been let
    // go: for when the window loses the keyboard while keys are down.
    void releaseAllKeys();

    // "C4 " for 60: name, octave, one blank.
    static QString NoteName(int note);

    // Messages.
    void SendShort(int status, int data1, int data2);
    Bytes DataSetHeader() const;
    void SendLong(Bytes bytes);
    // False when the file could not be read or sent (the sender reports why).
    bool SendFile(const QString& fileName);
    MidiSender& Sender();

    // Panic sweeps over channels 0..15.
    void AllSoundOff();
    void ResetAllControllers();

    // Product names of every output (input) device, in device order.
    QStringList ListOutputs();
    QStringList ListInputs();
    // Close the output, set its device, open it again; what Open returned.
    bool SelectOutput(int device);

    static QString ProgramFolder();
    // Kind 1 (AskKind::Warning): Yes/No, true for Yes; otherwise an information box.
    bool Ask(const QString& text, AskKind kind);

signals:
    // A long message failed on its way out (the window shows it in a box).
    void sendFailed(const QString& text);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace dorvane
