// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/midideviceregistry.h"

#include "midi/mididrivererror.h"
#include "midi/rtmididriver.h"
#include "midi/wakeup.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace dorvane {

struct MidiDeviceRegistry::Source
{
    std::shared_ptr<MidiDriver> driver;
    MidiDeviceNames snapshot;  // what the numbers are made from
    MidiDeviceNames live;      // as the source listed them last
    MidiDeviceNames announced; // as devicesChanged() last told of them
    bool read = false;         // the snapshot above has been taken
    WakeUp* wake = nullptr;    // while watching
    QTimer* poll = nullptr;    // while watching a source that cannot tell
};

namespace {

MidiDeviceRegistry* s_application = nullptr;

bool contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool lists(const MidiDeviceNames& names, bool output, const std::string& name)
{
    return output ? contains(names.outputs, name) || names.virtualOutput == name
                  : contains(names.inputs, name) || names.virtualInput == name;
}

} // namespace

MidiDeviceRegistry::MidiDeviceRegistry() = default;

MidiDeviceRegistry::~MidiDeviceRegistry()
{
    stopWatching();
    if (s_application == this)
        s_application = nullptr;
}

MidiDeviceRegistry& MidiDeviceRegistry::application()
{
    static MidiDeviceRegistry registry;
    [[maybe_unused]] static const bool filled = [] {
        s_application = &registry;
        registry.addSource(std::make_shared<RtMidiDriver>(), Reading::WhenWanted);
        return true;
    }();
    return registry;
}

void MidiDeviceRegistry::addSource(std::shared_ptr<MidiDriver> driver, Reading reading)
{
    auto source = std::make_unique<Source>();
    source->driver = std::move(driver);
    m_sources.push_back(std::move(source));
    if (reading == Reading::Now || m_watching)
        readNow(*m_sources.back());
    if (m_watching) {
        startWatching(*m_sources.back());
        // Its devices are new to whoever lists them.
        emit devicesChanged();
    }
}

void MidiDeviceRegistry::readNow(Source& source)
{
    source.read = true;
    source.snapshot = source.driver->devices();
    source.live = source.announced = source.snapshot;
    rebuild();
}

bool MidiDeviceRegistry::readingPending() const
{
    return std::any_of(m_sources.begin(), m_sources.end(), [](const auto& s) { return !s->read; });
}

const MidiDeviceRegistry& MidiDeviceRegistry::read() const
{
    // The snapshot the registry would have taken when the source was added:
    // nobody has seen the numbers since. A cache filled on first use, hence
    // the cast: the registry as seen from outside is the same.
    auto* self = const_cast<MidiDeviceRegistry*>(this);
    for (auto& source : self->m_sources)
        if (!source->read)
            self->readNow(*source);
    return *this;
}

void MidiDeviceRegistry::refresh()
{
    for (auto& source : m_sources) {
        source->read = true;
        source->snapshot = source->driver->devices();
        setLive(*source, source->snapshot);
    }
    rebuild();
    emit refreshed();
}

void MidiDeviceRegistry::watch()
{
    if (m_watching || !QCoreApplication::instance())
        return;
    // What the watch tells of is measured against what was read.
    read();
    m_watching = true;
    // The program's own registry lives on past the application; its
    // listeners (a JACK client among them) must not.
    if (this == s_application)
        qAddPostRoutine([] {
            if (s_application)
                s_application->stopWatching();
        });
    for (auto& source : m_sources)
        startWatching(*source);
}

void MidiDeviceRegistry::startWatching(Source& source)
{
    source.wake = new WakeUp(this);
    connect(source.wake, &WakeUp::woken, this, [this, &source] { sourceNoticed(source); });
    if (!source.driver->watchDevices(*source.wake)) {
        source.poll = new QTimer(this);
        source.poll->setInterval(PollMs);
        connect(source.poll, &QTimer::timeout, this, [this, &source] { sourceNoticed(source); });
        source.poll->start();
    }
    // What changed before the watch began is told as soon as it is seen.
    source.wake->post();
}

void MidiDeviceRegistry::stopWatching()
{
    if (!m_watching)
        return;
    m_watching = false;
    for (auto& source : m_sources) {
        source->driver->stopWatching();
        delete source->wake;
        source->wake = nullptr;
        delete source->poll;
        source->poll = nullptr;
    }
}

void MidiDeviceRegistry::sourceNoticed(Source& source)
{
    source.live = source.driver->devices();
    if (source.live != source.announced) {
        source.announced = source.live;
        const QPointer<MidiDeviceRegistry> self(this);
        emit devicesChanged();
        if (!self)
            return;
    }
    emit devicesRead();
}

void MidiDeviceRegistry::setLive(Source& source, MidiDeviceNames names)
{
    source.live = std::move(names);
    if (source.live == source.announced)
        return;
    if (source.wake)
        source.wake->post(); // the announcement follows on the next turn
    else
        source.announced = source.live; // nobody follows the changes yet
}

void MidiDeviceRegistry::rebuild()
{
    m_outputs.clear();
    m_inputs.clear();
    m_outputNames.clear();
    m_inputNames.clear();
    m_virtualOutput.reset();
    m_virtualInput.reset();
    for (const auto& s : m_sources) {
        MidiDriver* const source = s->driver.get();
        const MidiDeviceNames& names = s->snapshot;
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
    read();
    if (auto device = find(m_outputs, m_virtualOutput, id))
        return device->name;
    return std::nullopt;
}

std::optional<std::string> MidiDeviceRegistry::inputName(int id) const
{
    read();
    if (auto device = find(m_inputs, m_virtualInput, id))
        return device->name;
    return std::nullopt;
}

std::optional<int> MidiDeviceRegistry::findIn(bool output, const std::string& name,
                                              int preferred) const
{
    read();
    const std::vector<Device>& devices = output ? m_outputs : m_inputs;
    const std::optional<Device>& virtualDevice = output ? m_virtualOutput : m_virtualInput;
    if (auto device = find(devices, virtualDevice, preferred); device && device->name == name)
        return preferred;
    if (virtualDevice && virtualDevice->name == name)
        return -1;
    for (std::size_t i = 0; i < devices.size(); ++i)
        if (devices[i].name == name)
            return int(i);
    return std::nullopt;
}

std::optional<int> MidiDeviceRegistry::findOutput(const std::string& name, int preferred) const
{
    return findIn(true, name, preferred);
}

std::optional<int> MidiDeviceRegistry::findInput(const std::string& name, int preferred) const
{
    return findIn(false, name, preferred);
}

bool MidiDeviceRegistry::listed(bool output, const std::string& name) const
{
    read();
    return std::any_of(m_sources.begin(), m_sources.end(),
                       [&](const auto& source) { return lists(source->live, output, name); });
}

bool MidiDeviceRegistry::outputListed(const std::string& name) const
{
    return listed(true, name);
}

bool MidiDeviceRegistry::inputListed(const std::string& name) const
{
    return listed(false, name);
}

bool MidiDeviceRegistry::present(bool output, const std::string& name)
{
    read();
    // Only the source that listed it is asked, when one did: asking the
    // system's MIDI means clients of its own.
    std::vector<Source*> asked;
    for (auto& source : m_sources)
        if (lists(source->live, output, name))
            asked.push_back(source.get());
    if (asked.empty())
        for (auto& source : m_sources)
            asked.push_back(source.get());
    for (Source* source : asked) {
        setLive(*source, source->driver->devices());
        if (lists(source->live, output, name))
            return true;
    }
    return false;
}

bool MidiDeviceRegistry::outputPresent(const std::string& name)
{
    return present(true, name);
}

std::optional<MidiDeviceRegistry::Device> MidiDeviceRegistry::locate(bool output, int id,
                                                                     const std::string& name) const
{
    read();
    const std::vector<Device>& devices = output ? m_outputs : m_inputs;
    const std::optional<Device>& virtualDevice = output ? m_virtualOutput : m_virtualInput;
    if (auto device = find(devices, virtualDevice, id); device && device->name == name)
        return device;
    // The lists were refreshed since the port chose its device: go by the name.
    if (virtualDevice && virtualDevice->name == name)
        return virtualDevice;
    for (const Device& device : devices)
        if (device.name == name)
            return device;
    // A device that came back after the snapshot was taken.
    for (const auto& source : m_sources) {
        const MidiDeviceNames& live = source->live;
        const std::vector<std::string>& names = output ? live.outputs : live.inputs;
        if (auto it = std::find(names.begin(), names.end(), name); it != names.end())
            return Device{source->driver.get(), int(it - names.begin()), name};
        if ((output ? live.virtualOutput : live.virtualInput) == name)
            return Device{source->driver.get(), -1, name};
    }
    return std::nullopt;
}

std::unique_ptr<MidiOutputConnection> MidiDeviceRegistry::openOutput(int id,
                                                                     const std::string& name)
{
    const auto device = locate(true, id, name);
    if (!device)
        throw MidiDriverError(MidiResult::BadDeviceId, "MIDI device " + name + " is not there");
    return device->source->openOutput(device->index, device->name);
}

std::unique_ptr<MidiInputConnection> MidiDeviceRegistry::openInput(int id, const std::string& name,
                                                                   MidiInputSink& sink)
{
    const auto device = locate(false, id, name);
    if (!device)
        throw MidiDriverError(MidiResult::BadDeviceId, "MIDI device " + name + " is not there");
    return device->source->openInput(device->index, device->name, sink);
}

} // namespace dorvane
