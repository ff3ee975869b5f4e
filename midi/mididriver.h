// SPDX-License-Identifier: GPL-3.0-or-later
// One source of MIDI devices: the operating system's MIDI through RtMidi, the
// in-process loopback of the tests, the built-in instrument. The device
// registry asks every source for its devices and numbers them all together.
#pragma once

#include "midi/midiinputconnection.h"
#include "midi/midiinputsink.h"
#include "midi/midioutputconnection.h"

#include <memory>
#include <string>
#include <vector>

namespace dorvane {

class WakeUp;

struct MidiDeviceNames
{
    std::vector<std::string> outputs;
    std::vector<std::string> inputs;
    // The source's own ports that other programs connect to, empty when the
    // source has none; the registry offers them as device -1.
    std::string virtualOutput;
    std::string virtualInput;

    bool operator==(const MidiDeviceNames&) const = default;
};

class MidiDriver
{
public:
    virtual ~MidiDriver() = default;

    // The devices as they stand now (this may ask the operating system).
    virtual MidiDeviceNames devices() = 0;

    // Opens output `index` of the last listing, or the virtual output for -1.
    // `name` is the name listed for it: a source whose devices come and go
    // finds the device by that name, so a shifted list never opens the wrong
    // one. Throws MidiDriverError.
    virtual std::unique_ptr<MidiOutputConnection> openOutput(int index,
                                                             const std::string& name) = 0;

    // As openOutput, for input; deliveries go to `sink` until the connection
    // is destroyed.
    virtual std::unique_ptr<MidiInputConnection> openInput(int index, const std::string& name,
                                                           MidiInputSink& sink) = 0;

    // Main thread. From now on the source posts `changed` (from any thread)
    // whenever its devices may have changed, until stopWatching() or its end;
    // a post may also come when nothing changed. False when the source cannot
    // tell: its devices are then read once a second instead. One watcher at
    // a time: a second call replaces the first.
    virtual bool watchDevices(WakeUp& changed)
    {
        (void)changed;
        return false;
    }
    // Main thread. No post reaches the watcher once this returns.
    virtual void stopWatching() {}
};

} // namespace dorvane
