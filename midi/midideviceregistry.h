// SPDX-License-Identifier: GPL-3.0-or-later
// The MIDI devices of every source, numbered as the ports, the window and the
// command-line tool all number them: the outputs (and the inputs) of the first
// source from 0, then those of the next source, in the order the sources were
// added. Device -1 is the first source's own virtual port (where other
// programs connect to Dorvane), or device 0 when no source has one.
//
// The numbered lists are a snapshot taken by refresh(), so the numbers stay
// put while a port or a window uses them; opening goes by the device's name,
// so a device list that moved underneath is noticed instead of opening
// another device. Once watching, the registry also follows what the sources
// list now (the ports of other programs come and go) and says so with
// devicesChanged(); the snapshot changes only with refresh(). Main thread
// only.
#pragma once

#include "midi/mididriver.h"

#include <QObject>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTimer;

namespace dorvane {

class MidiDeviceRegistry : public QObject
{
    Q_OBJECT

public:
    // A source that cannot tell when its devices change is read this often
    // while the registry watches.
    static constexpr int PollMs = 1000;

    MidiDeviceRegistry();
    ~MidiDeviceRegistry() override;
    MidiDeviceRegistry(const MidiDeviceRegistry&) = delete;
    MidiDeviceRegistry& operator=(const MidiDeviceRegistry&) = delete;

    // The program's devices: the operating system's MIDI, plus whatever
    // sources the program adds. The system's MIDI is read when its devices
    // are first wanted, not when the registry is made: a window can be drawn
    // before it has asked ALSA and a JACK server.
    static MidiDeviceRegistry& application();

    enum class Reading
    {
        Now,        // the source's devices are read at once
        WhenWanted, // at the first question about devices, or the watch
    };

    // Adds a source after those already there and reads its devices (now, or
    // when they are first wanted); the sources already there keep their
    // snapshot (asking a system's MIDI for its devices can take a while).
    // While watching, devicesChanged() follows.
    void addSource(std::shared_ptr<MidiDriver> source, Reading reading = Reading::Now);
    // Reads every source's devices afresh into the snapshot; refreshed()
    // follows, and devicesChanged() on a later turn when the devices differ
    // from those last announced.
    void refresh();

    // Starts following every source's devices: devicesChanged() from now on.
    // Opening a port starts it; a window that lists devices starts it too.
    // Needs the Qt application; nothing happens before there is one. Ends
    // with the application or the registry.
    void watch();
    void stopWatching();
    bool watching() const { return m_watching; }

    int outputCount() const { return int(read().m_outputs.size()); }
    int inputCount() const { return int(read().m_inputs.size()); }
    const std::vector<std::string>& outputNames() const { return read().m_outputNames; }
    const std::vector<std::string>& inputNames() const { return read().m_inputNames; }

    // Whether device -1 is a virtual port of its own (rather than device 0).
    bool hasVirtualOutput() const { return read().m_virtualOutput.has_value(); }
    bool hasVirtualInput() const { return read().m_virtualInput.has_value(); }
    // Whether a source added to be read when wanted has not been read yet.
    bool readingPending() const;

    // The name of device `id` (-1 included), or nothing for an unknown number.
    std::optional<std::string> outputName(int id) const;
    std::optional<std::string> inputName(int id) const;

    // The number of the device named `name` in the snapshot: `preferred` when
    // that device has the name, else the first of that name (the virtual port
    // first), or nothing.
    std::optional<int> findOutput(const std::string& name, int preferred) const;
    std::optional<int> findInput(const std::string& name, int preferred) const;

    // Whether a source lists a device of that name now, as far as the
    // sources' last notice tells; no source is asked.
    bool outputListed(const std::string& name) const;
    bool inputListed(const std::string& name) const;

    // Whether an output of that name is still there: the source that listed
    // it is asked afresh (which may take a while). A change found this way is
    // announced on a later turn, as if the source had told of it.
    bool outputPresent(const std::string& name);

    // Opens the device named `name`, expected at number `id`; a device listed
    // now but not in the snapshot opens too. Throws MidiDriverError when it is
    // not there or the source cannot open it.
    std::unique_ptr<MidiOutputConnection> openOutput(int id, const std::string& name);
    std::unique_ptr<MidiInputConnection> openInput(int id, const std::string& name,
                                                   MidiInputSink& sink);

signals:
    // The devices some source lists differ from those announced before (a
    // port came or went, a server started or ended). The snapshot and its
    // numbers are as they were: refresh() to list the devices anew.
    void devicesChanged();
    // A source's devices were read on its notice, changed or not; after
    // devicesChanged when they changed. The ports check their own devices
    // here: one opened between two notices that cancel out must still hear
    // that its device is not there.
    void devicesRead();
    // The snapshot was read afresh: numbers may have moved.
    void refreshed();

private:
    struct Device
    {
        MidiDriver* source;
        int index; // in the source's own list, -1 for its virtual port
        std::string name;
    };
    struct Source;

    static std::optional<Device> find(const std::vector<Device>& devices,
                                      const std::optional<Device>& virtualDevice, int id);
    std::optional<Device> locate(bool output, int id, const std::string& name) const;
    std::optional<int> findIn(bool output, const std::string& name, int preferred) const;
    bool listed(bool output, const std::string& name) const;
    bool present(bool output, const std::string& name);
    void startWatching(Source& source);
    void sourceNoticed(Source& source);
    void setLive(Source& source, MidiDeviceNames names);

    void rebuild();
    void readNow(Source& source);
    // The registry with every source read: a source left for later is read
    // at the first question, whichever it is, so the numbers it answers with
    // are those of all the sources, in the order they were added.
    const MidiDeviceRegistry& read() const;

    std::vector<std::unique_ptr<Source>> m_sources;
    std::vector<Device> m_outputs;
    std::vector<Device> m_inputs;
    std::vector<std::string> m_outputNames;
    std::vector<std::string> m_inputNames;
    std::optional<Device> m_virtualOutput;
    std::optional<Device> m_virtualInput;
    bool m_watching = false;
};

} // namespace dorvane
