// SPDX-License-Identifier: GPL-3.0-or-later
// The MIDI devices of every source, numbered as the ports, the window and the
// command-line tool all number them: the outputs (and the inputs) of the first
// source from 0, then those of the next source, in the order the sources were
// added. Device -1 is the first source's own virtual port (where other
// programs connect to Dorvane), or device 0 when no source has one.
//
// The lists are a snapshot taken by refresh(), so the numbers stay put while a
// port or a window uses them; opening goes by the device's name, so a device
// list that moved underneath is noticed instead of opening another device.
// Main thread only.
#pragma once

#include "midi/mididriver.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dorvane {

class MidiDeviceRegistry
{
public:
    MidiDeviceRegistry() = default;
    MidiDeviceRegistry(const MidiDeviceRegistry&) = delete;
    MidiDeviceRegistry& operator=(const MidiDeviceRegistry&) = delete;

    // The program's devices: the operating system's MIDI on first use, plus
    // whatever sources the program adds.
    static MidiDeviceRegistry& application();

    // Adds a source after those already there and reads its devices; the
    // sources already there keep their snapshot (asking a system's MIDI for
    // its devices can take a while).
    void addSource(std::shared_ptr<MidiDriver> source);
    // Reads every source's devices afresh.
    void refresh();

    int outputCount() const { return int(m_outputs.size()); }
    int inputCount() const { return int(m_inputs.size()); }
    const std::vector<std::string>& outputNames() const { return m_outputNames; }
    const std::vector<std::string>& inputNames() const { return m_inputNames; }

    // Whether device -1 is a virtual port of its own (rather than device 0).
    bool hasVirtualOutput() const { return m_virtualOutput.has_value(); }
    bool hasVirtualInput() const { return m_virtualInput.has_value(); }

    // The name of device `id` (-1 included), or nothing for an unknown number.
    std::optional<std::string> outputName(int id) const;
    std::optional<std::string> inputName(int id) const;

    // Whether output `id` is still there: its source is asked afresh (which
    // may take a while) and must still list a device of that name. The
    // snapshot and its numbers stay as they are.
    bool outputPresent(int id) const;

    // Opens the device named `name`, expected at number `id`. Throws
    // MidiDriverError when it is not there or the source cannot open it.
    std::unique_ptr<MidiOutputConnection> openOutput(int id, const std::string& name);
    std::unique_ptr<MidiInputConnection> openInput(int id, const std::string& name,
                                                   MidiInputSink& sink);

private:
    struct Device
    {
        MidiDriver* source;
        int index; // in the source's own list, -1 for its virtual port
        std::string name;
    };

    static std::optional<Device> find(const std::vector<Device>& devices,
                                      const std::optional<Device>& virtualDevice, int id);
    static Device locate(const std::vector<Device>& devices,
                         const std::optional<Device>& virtualDevice, int id,
                         const std::string& name);

    void rebuild();

    std::vector<std::shared_ptr<MidiDriver>> m_sources;
    std::vector<MidiDeviceNames> m_sourceNames; // each source's last snapshot
    std::vector<Device> m_outputs;
    std::vector<Device> m_inputs;
    std::vector<std::string> m_outputNames;
    std::vector<std::string> m_inputNames;
    std::optional<Device> m_virtualOutput;
    std::optional<Device> m_virtualInput;
};

} // namespace dorvane
