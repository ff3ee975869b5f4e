// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/midideviceregistry.h"

#include "midi/mididrivererror.h"
#include "midi/rtmididriver.h"

#include <algorithm>

namespace dorvane {

MidiDeviceRegistry& MidiDeviceRegistry::application()
{
    static MidiDeviceRegistry registry;
    [[maybe_unused]] static const bool filled = [] {
        registry.addSource(std::make_shared<RtMidiDriver>());
        return true;
    }();
    return registry;
}

void MidiDeviceRegistry::addSource(std::shared_ptr<MidiDriver> source)
{
    m_sourceNames.push_back(source->devices());
    m_sources.push_back(std::move(source));
    rebuild();
}

void MidiDeviceRegistry::refresh()
{
    for (std::size_t i = 0; i < m_sources.size(); ++i)
        m_sourceNames[i] = m_sources[i]->devices();
    rebuild();
}

void MidiDeviceRegistry::rebuild()
{
    m_outputs.clear();
    m_inputs.clear();
    m_outputNames.clear();
    m_inputNames.clear();
    m_virtualOutput.reset();
    m_virtualInput.reset();
    for (std::size_t s = 0; s < m_sources.size(); ++s) {
        MidiDriver* const source = m_sources[s].get();
        const MidiDeviceNames& names = m_sourceNames[s];
        for (std::size_t i = 0; i < names.outputs.size(); ++i) {
            m_outputs.push_back({source, int(i), names.outputs[i]});
            m_outputNames.push_back(names.outputs[i]);
        }
        for (std::size_t i = 0; i < names.inputs.size(); ++i) {
            m_inputs.push_back({source, int(i), names.inputs[i]});
            m_inputNames.push_back(names.inputs[i]);
        }
        if (!m_virtualOutput && !names.virtualOutput.empty())
            m_virtualOutput = Device{source, -1, names.virtualOutput};
        if (!m_virtualInput && !names.virtualInput.empty())
            m_virtualInput = Device{source, -1, names.virtualInput};
    }
}

std::optional<MidiDeviceRegistry::Device>
MidiDeviceRegistry::find(const std::vector<Device>& devices,
                         const std::optional<Device>& virtualDevice, int id)
{
    if (id == -1) {
        if (virtualDevice)
            return virtualDevice;
        id = 0;
    }
    if (id < 0 || std::size_t(id) >= devices.size())
        return std::nullopt;
    return devices[std::size_t(id)];
}

std::optional<std::string> MidiDeviceRegistry::outputName(int id) const
{
    if (auto device = find(m_outputs, m_virtualOutput, id))
        return device->name;
    return std::nullopt;
}

bool MidiDeviceRegistry::outputPresent(int id) const
{
    const auto device = find(m_outputs, m_virtualOutput, id);
    if (!device)
        return false;
    const MidiDeviceNames now = device->source->devices();
    if (device->index < 0)
        return now.virtualOutput == device->name;
    return std::find(now.outputs.begin(), now.outputs.end(), device->name) != now.outputs.end();
}

std::optional<std::string> MidiDeviceRegistry::inputName(int id) const
{
    if (auto device = find(m_inputs, m_virtualInput, id))
        return device->name;
    return std::nullopt;
}

MidiDeviceRegistry::Device MidiDeviceRegistry::locate(const std::vector<Device>& devices,
                                                      const std::optional<Device>& virtualDevice,
                                                      int id, const std::string& name)
{
    if (auto device = find(devices, virtualDevice, id); device && device->name == name)
        return *device;
    // The lists were refreshed since the port chose its device: go by the name.
    if (virtualDevice && virtualDevice->name == name)
        return *virtualDevice;
    for (const Device& device : devices)
        if (device.name == name)
            return device;
    throw MidiDriverError(MidiResult::BadDeviceId, "MIDI device " + name + " is not there");
}

std::unique_ptr<MidiOutputConnection> MidiDeviceRegistry::openOutput(int id,
                                                                     const std::string& name)
{
    const Device device = locate(m_outputs, m_virtualOutput, id, name);
    return device.source->openOutput(device.index, device.name);
}

std::unique_ptr<MidiInputConnection> MidiDeviceRegistry::openInput(int id, const std::string& name,
                                                                   MidiInputSink& sink)
{
    const Device device = locate(m_inputs, m_virtualInput, id, name);
    return device.source->openInput(device.index, device.name, sink);
}

} // namespace dorvane
