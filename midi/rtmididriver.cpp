// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/rtmididriver.h"

#include "midi/mididrivererror.h"
#if defined(DORVANE_HAVE_JACK)
#include "midi/jackwatch.h"
#endif
#include "midi/portwatcher.h"

#if defined(DORVANE_HAVE_JACK)
#include <jack/jack.h>
#endif

#include <QCoreApplication>
#include <QTimer>
#include <RtMidi.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

namespace dorvane {
namespace {

// RtMidi reports through a callback once one is set (it would print and throw
// otherwise). The catcher keeps the first failure of a call for the caller.
struct ErrorCatcher
{
    bool failed = false;
    std::string text;

    static void callback(RtMidiError::Type type, const std::string& message, void* data)
    {
        auto* self = static_cast<ErrorCatcher*>(data);
        if (type == RtMidiError::DEBUG_WARNING || self->failed)
            return;
        self->failed = true;
        self->text = message;
    }

    // Throws what was caught since the last check, and clears it.
    void check(MidiResult code)
    {
        if (!failed)
            return;
        failed = false;
        throw MidiDriverError(code, text.empty() ? std::string("MIDI driver failure") : text);
    }
};

// Where an idle listing client reports, between listings.
ErrorCatcher& idleErrors()
{
    static ErrorCatcher catcher;
    catcher.failed = false;
    return catcher;
}

std::string apiLabel(RtMidi::Api api)
{
    switch (api) {
    case RtMidi::LINUX_ALSA:
        return "ALSA";
    case RtMidi::UNIX_JACK:
        return "JACK";
    case RtMidi::MACOSX_CORE:
        return "CoreMIDI";
    case RtMidi::WINDOWS_MM:
        return "Windows MIDI";
    default:
        return RtMidi::getApiDisplayName(api);
    }
}

bool apiHasVirtualPorts(RtMidi::Api api)
{
    return api == RtMidi::LINUX_ALSA || api == RtMidi::UNIX_JACK || api == RtMidi::MACOSX_CORE;
}

// RtMidi's JACK output passes each message through a ring of 16384 bytes that
// also holds the message's length (an int); a longer message is dropped
// without a word, so it is refused before it is sent.
constexpr std::size_t JackLargestMessage = 16384 - 1 - sizeof(int);

// A JACK port takes a period's worth of events at most (32 KB a cycle); more is
// lost. Feeding at 100 times MIDI wire speed keeps every cycle well inside that
// for periods up to 4096 frames, and is still far faster than any instrument.
constexpr std::size_t JackBytesPerSecond = 312500;

#if defined(DORVANE_HAVE_JACK)
// Closing a JACK port whose server has ended crashes inside libjack: such a
// client is dead already, so it is kept (reachable, never closed) instead.
void keepDeadClient(RtMidi* port)
{
    static auto* const deadClients = new std::vector<RtMidi*>;
    deadClients->push_back(port);
}
#endif

} // namespace

// What a JACK connection needs to know at its close: whether its server is
// the one still running. Empty for the other APIs.
struct ServerTie
{
#if defined(DORVANE_HAVE_JACK)
    std::shared_ptr<JackWatch> watch;
    std::uint64_t generation = 0;

    // Keeps the port unclosed when its server has gone; true then.
    template <typename Port> bool keepIfDead(std::unique_ptr<Port>& port)
    {
        if (!watch || !port || watch->stillUp(generation))
            return false;
        keepDeadClient(port.release());
        return true;
    }
#endif
};

namespace {

template <typename Port> int findPort(Port& port, ErrorCatcher& errors, const std::string& portName)
{
    const unsigned count = port.getPortCount();
    errors.check(MidiResult::Failed);
    for (unsigned i = 0; i < count; ++i)
        if (port.getPortName(i) == portName)
            return int(i);
    return -1;
}

// Closing a JACK port while the graph still changes around it races with
// libjack's own notification thread, whose latency pass walks the client's
// ports while the port is taken out of them. Right after a device went, its
// ports are still leaving the graph: a port of ours that went with it is
// closed a moment later, when things are quiet. Main thread.
constexpr int QuietCloseMs = 1000;

std::vector<std::shared_ptr<void>>& closingLater()
{
    static auto* const ports = new std::vector<std::shared_ptr<void>>;
    return *ports;
}

bool closeAllHooked = false;

void closeLater(std::shared_ptr<void> port)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return; // the last reference goes here: closed now
    closingLater().push_back(port);
    if (!closeAllHooked) {
        closeAllHooked = true;
        // Whatever still waits is closed with the application.
        qAddPostRoutine([] {
            closeAllHooked = false;
            closingLater().clear();
        });
    }
    QTimer::singleShot(QuietCloseMs, app, [raw = port.get()] {
        std::erase_if(closingLater(), [raw](const auto& p) { return p.get() == raw; });
    });
}

// The RtMidi port and what its callbacks reach, apart from the connection,
// so that closing it may wait (closeLater).
struct OutputPort
{
    // `port`: the driver's listing client to open the port on, or none for a new one.
    OutputPort(RtMidi::Api api, const std::string& clientName, std::unique_ptr<RtMidiOut> port,
               ServerTie tie)
        : api(api), tie(std::move(tie)),
          port(port ? std::move(port) : std::make_unique<RtMidiOut>(api, clientName))
    {
        this->port->setErrorCallback(&ErrorCatcher::callback, &errors);
    }

    ~OutputPort()
    {
#if defined(DORVANE_HAVE_JACK)
        tie.keepIfDead(port);
#endif
    }

    // False for a JACK client whose server has ended.
    bool alive()
    {
#if defined(DORVANE_HAVE_JACK)
        return !tie.watch || tie.watch->stillUp(tie.generation);
#else
        return true;
#endif
    }

    RtMidi::Api api;
    ServerTie tie;
    ErrorCatcher errors;
    std::unique_ptr<RtMidiOut> port;
};

struct InputPort
{
    InputPort(RtMidi::Api api, const std::string& clientName, MidiInputSink& sink,
              std::unique_ptr<RtMidiIn> port, ServerTie tie)
        : api(api), tie(std::move(tie)), sink(&sink),
          port(port ? std::move(port) : std::make_unique<RtMidiIn>(api, clientName))
    {
        this->port->setErrorCallback(&ErrorCatcher::callback, &errors);
        // Everything is let through: the input port filters by its own rules.
        this->port->ignoreTypes(false, false, false);
        this->port->setCallback(&InputPort::deliver, this);
    }

    ~InputPort()
    {
#if defined(DORVANE_HAVE_JACK)
        if (!alive())
            port->cancelCallback();
        tie.keepIfDead(port);
#endif
    }

    bool alive()
    {
#if defined(DORVANE_HAVE_JACK)
        return !tie.watch || tie.watch->stillUp(tie.generation);
#else
        return true;
#endif
    }

    // Nothing reaches the sink once this returns, though the port stays open.
    void detach()
    {
        sink.store(nullptr);
        while (delivering.load() != 0)
            std::this_thread::yield();
    }

    // RtMidi's thread. RtMidi hands over whole messages; a sysex message split
    // by the platform arrives as pieces, the later ones starting with data bytes.
    static void deliver(double, std::vector<unsigned char>* message, void* data)
    {
        if (!message || message->empty())
            return;
        auto* self = static_cast<InputPort*>(data);
        // Counted before the sink is read: detach() either sees the count or
        // this sees no sink.
        self->delivering.fetch_add(1);
        if (MidiInputSink* sink = self->sink.load()) {
            const ByteView bytes(message->data(), message->size());
            if (bytes[0] == 0xF0 || bytes[0] < 0x80)
                sink->midiLongData(bytes);
            else
                sink->midiData(bytes);
        }
        self->delivering.fetch_sub(1);
    }

    RtMidi::Api api;
    ServerTie tie;
    std::atomic<MidiInputSink*> sink;
    std::atomic<int> delivering{0};
    ErrorCatcher errors;
    std::unique_ptr<RtMidiIn> port;
};

template <typename Port>
void openPort(Port& port, ErrorCatcher& errors, int portIndexOrVirtual, const std::string& portName,
              const char* ownName)
{
    if (portIndexOrVirtual < 0) {
        port.openVirtualPort(ownName);
    } else {
        const int index = findPort(port, errors, portName);
        if (index < 0)
            throw MidiDriverError(MidiResult::BadDeviceId,
                                  "MIDI device " + portName + " is not there any more");
        port.openPort(unsigned(index), ownName);
    }
    errors.check(MidiResult::Allocated);
}

class RtMidiOutputConnection final : public MidiOutputConnection
{
public:
    RtMidiOutputConnection(RtMidi::Api api, const std::string& clientName, int portIndexOrVirtual,
                           const std::string& portName, std::unique_ptr<RtMidiOut> port,
                           ServerTie tie)
        : m_port(std::make_shared<OutputPort>(api, clientName, std::move(port), std::move(tie)))
    {
        openPort(*m_port->port, m_port->errors, portIndexOrVirtual, portName,
                 RtMidiDriver::OutputPortName);
    }

    ~RtMidiOutputConnection() override
    {
        // A client whose server has ended is kept now, not later.
        if (m_gone && m_port->api == RtMidi::UNIX_JACK && m_port->alive())
            closeLater(std::move(m_port));
    }

    void transmit(ByteView message) override
    {
        m_port->port->sendMessage(message.data(), message.size());
        m_port->errors.check(MidiResult::Failed);
    }

    std::size_t maxMessageSize() const override
    {
        return m_port->api == RtMidi::UNIX_JACK ? JackLargestMessage : 65535;
    }

    std::size_t bytesPerSecond() const override
    {
        return m_port->api == RtMidi::UNIX_JACK ? JackBytesPerSecond : 0;
    }

    void deviceGone() override { m_gone = true; }

private:
    std::shared_ptr<OutputPort> m_port;
    bool m_gone = false;
};

class RtMidiInputConnection final : public MidiInputConnection
{
public:
    RtMidiInputConnection(RtMidi::Api api, const std::string& clientName, int portIndexOrVirtual,
                          const std::string& portName, MidiInputSink& sink,
                          std::unique_ptr<RtMidiIn> port, ServerTie tie)
        : m_port(
              std::make_shared<InputPort>(api, clientName, sink, std::move(port), std::move(tie)))
    {
        openPort(*m_port->port, m_port->errors, portIndexOrVirtual, portName,
                 RtMidiDriver::InputPortName);
    }

    ~RtMidiInputConnection() override
    {
        // A client whose server has ended is kept now, not later.
        if (m_gone && m_port->api == RtMidi::UNIX_JACK && m_port->alive()) {
            m_port->detach();
            closeLater(std::move(m_port));
        }
    }

    void deviceGone() override { m_gone = true; }

private:
    std::shared_ptr<InputPort> m_port;
    bool m_gone = false;
};

} // namespace

RtMidiDriver::RtMidiDriver(std::string clientName) : m_clientName(std::move(clientName)) {}

bool RtMidiDriver::watchDevices(WakeUp& changed)
{
    m_watcher.reset();
    m_watcher = std::make_unique<PortWatcher>(m_clientName, changed);
    return true;
}

void RtMidiDriver::stopWatching()
{
    m_watcher.reset();
}

const PortWatcher* RtMidiDriver::watcher() const
{
    return m_watcher.get();
}

RtMidiDriver::Spare* RtMidiDriver::liveSpare(int api)
{
    for (Spare& spare : m_spares) {
        if (spare.api != api)
            continue;
#if defined(DORVANE_HAVE_JACK)
        if (api == RtMidi::UNIX_JACK && (!m_jackWatch || !m_jackWatch->stillUp(spare.generation))) {
            retireSpare(api);
            return nullptr;
        }
#endif
        return &spare;
    }
    return nullptr;
}

ServerTie RtMidiDriver::tie(int api)
{
    ServerTie tie;
#if defined(DORVANE_HAVE_JACK)
    if (api == RtMidi::UNIX_JACK && m_jackWatch) {
        tie.watch = m_jackWatch;
        tie.generation = m_jackWatch->generation();
    }
#endif
    return tie;
}

bool RtMidiDriver::isOwnPort(const std::string& portName) const
{
    // Every RtMidi object is a client of its own; JACK numbers clients of the
    // same name ("Dorvane-01"), ALSA lets them share it.
    if (portName.compare(0, m_clientName.size(), m_clientName) != 0)
        return false;
    std::size_t i = m_clientName.size();
    if (i < portName.size() && portName[i] == '-') {
        ++i;
        while (i < portName.size() && std::isdigit(static_cast<unsigned char>(portName[i])))
            ++i;
    }
    return i < portName.size() && portName[i] == ':';
}

MidiDeviceNames RtMidiDriver::devices()
{
    m_live.clear();
    m_outputs.clear();
    m_inputs.clear();

    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    for (RtMidi::Api api : apis) {
        if (api == RtMidi::RTMIDI_DUMMY)
            continue;
#if defined(__linux__)
        // Without the sequencer device ALSA cannot start; asking it anyway only
        // fills the terminal with its complaints at every listing.
        if (api == RtMidi::LINUX_ALSA && !std::filesystem::exists("/dev/snd/seq"))
            continue;
#endif
#if defined(DORVANE_HAVE_JACK)
        // The same for JACK without a server: RtMidi and libjack would each
        // print their complaints, which a script reading our one line of error
        // text does not want. The watch asks silently first.
        if (api == RtMidi::UNIX_JACK) {
            if (!m_jackWatch)
                m_jackWatch = JackWatch::shared();
            if (!m_jackWatch->running()) {
                retireSpare(int(api));
                continue;
            }
            // While watching, the watch's client reads the same names RtMidi
            // would, with no client of RtMidi's at every change.
            if (auto jack = m_watcher ? m_jackWatch->ports() : std::nullopt) {
                ApiPorts ports{int(api), apiLabel(api), apiHasVirtualPorts(api), {}, {}};
                ports.outputs = std::move(jack->inputs);
                ports.inputs = std::move(jack->outputs);
                m_live.push_back(std::move(ports));
                continue;
            }
        }
#endif
        // The listing's two clients stay, for the first output and input
        // opened to take over: each client costs the server rounds of its own.
        Spare& spare = spareFor(int(api));
        ApiPorts ports{int(api), apiLabel(api), apiHasVirtualPorts(api), {}, {}};
        try {
            ErrorCatcher errors;
            if (!spare.out)
                spare.out = std::make_unique<RtMidiOut>(api, m_clientName);
            RtMidiOut& out = *spare.out;
            out.setErrorCallback(&ErrorCatcher::callback, &errors);
            const unsigned outCount = out.getPortCount();
            errors.check(MidiResult::Failed);
            for (unsigned i = 0; i < outCount; ++i)
                ports.outputs.push_back(out.getPortName(i));
            out.setErrorCallback(&ErrorCatcher::callback, &idleErrors());
            if (!spare.in)
                spare.in = std::make_unique<RtMidiIn>(api, m_clientName);
            RtMidiIn& in = *spare.in;
            in.setErrorCallback(&ErrorCatcher::callback, &errors);
            const unsigned inCount = in.getPortCount();
            errors.check(MidiResult::Failed);
            for (unsigned i = 0; i < inCount; ++i)
                ports.inputs.push_back(in.getPortName(i));
            errors.check(MidiResult::Failed);
            in.setErrorCallback(&ErrorCatcher::callback, &idleErrors());
        } catch (const RtMidiError&) {
            retireSpare(int(api));
            continue; // this API does not start here
        } catch (const MidiDriverError&) {
            retireSpare(int(api));
            continue;
        }
        m_live.push_back(std::move(ports));
    }

    const bool prefixed = m_live.size() > 1;
    auto shown = [prefixed](const ApiPorts& api, const std::string& name) {
        return prefixed ? api.label + ": " + name : name;
    };

    MidiDeviceNames names;
    for (std::size_t a = 0; a < m_live.size(); ++a) {
        for (const std::string& port : m_live[a].outputs) {
            if (isOwnPort(port))
                continue;
            names.outputs.push_back(shown(m_live[a], port));
            m_outputs.push_back({a, port, names.outputs.back()});
        }
        for (const std::string& port : m_live[a].inputs) {
            if (isOwnPort(port))
                continue;
            names.inputs.push_back(shown(m_live[a], port));
            m_inputs.push_back({a, port, names.inputs.back()});
        }
    }
    if (const ApiPorts* api = virtualApi()) {
        names.virtualOutput = shown(*api, VirtualPortName);
        names.virtualInput = names.virtualOutput;
    }
    return names;
}

const RtMidiDriver::ApiPorts* RtMidiDriver::virtualApi() const
{
    for (const ApiPorts& api : m_live)
        if (api.hasVirtualPorts)
            return &api;
    return nullptr;
}

std::vector<std::string> RtMidiDriver::liveApis() const
{
    std::vector<std::string> labels;
    for (const ApiPorts& api : m_live)
        labels.push_back(api.label);
    return labels;
}

RtMidiDriver::Spare& RtMidiDriver::spareFor(int api)
{
    for (Spare& spare : m_spares)
        if (spare.api == api) {
#if defined(DORVANE_HAVE_JACK)
            // Clients of a server that has ended since are dead: never used again.
            if (api == RtMidi::UNIX_JACK && spare.generation != m_jackWatch->generation())
                retireSpare(api);
            spare.generation =
                m_jackWatch && api == RtMidi::UNIX_JACK ? m_jackWatch->generation() : 0;
#endif
            return spare;
        }
    m_spares.push_back({api, nullptr, nullptr, 0});
#if defined(DORVANE_HAVE_JACK)
    if (api == RtMidi::UNIX_JACK)
        m_spares.back().generation = m_jackWatch->generation();
#endif
    return m_spares.back();
}

void RtMidiDriver::retireSpare(int api)
{
    for (Spare& spare : m_spares) {
        if (spare.api != api)
            continue;
#if defined(DORVANE_HAVE_JACK)
        if (api == RtMidi::UNIX_JACK && (!m_jackWatch || !m_jackWatch->stillUp(spare.generation))) {
            if (spare.out)
                keepDeadClient(spare.out.release());
            if (spare.in)
                keepDeadClient(spare.in.release());
        }
#endif
        spare.out.reset();
        spare.in.reset();
    }
}

RtMidiDriver::~RtMidiDriver()
{
    for (const Spare& spare : m_spares)
        retireSpare(spare.api);
}

const RtMidiDriver::Listed* RtMidiDriver::listed(const std::vector<Listed>& devices, int index,
                                                 const std::string& name)
{
    // The index is of the listing the caller had; the lists may have been
    // read again since, so the name decides.
    if (index >= 0 && std::size_t(index) < devices.size() &&
        (name.empty() || devices[std::size_t(index)].shown == name))
        return &devices[std::size_t(index)];
    for (const Listed& device : devices)
        if (device.shown == name)
            return &device;
    return nullptr;
}

std::unique_ptr<MidiOutputConnection> RtMidiDriver::openOutput(int index, const std::string& name)
{
    try {
        const ApiPorts* api = nullptr;
        std::string portName;
        if (index < 0) {
            api = virtualApi();
            if (!api)
                throw MidiDriverError(MidiResult::BadDeviceId, "no virtual MIDI port here");
        } else {
            const Listed* device = listed(m_outputs, index, name);
            if (!device)
                throw MidiDriverError(MidiResult::BadDeviceId, "no such MIDI output device");
            api = &m_live[device->api];
            portName = device->portName;
        }
        std::unique_ptr<RtMidiOut> port;
        if (Spare* spare = liveSpare(api->api))
            port = std::move(spare->out);
        return std::make_unique<RtMidiOutputConnection>(RtMidi::Api(api->api), m_clientName, index,
                                                        portName, std::move(port), tie(api->api));
    } catch (const RtMidiError& e) {
        throw MidiDriverError(MidiResult::Allocated, e.getMessage());
    }
}

std::unique_ptr<MidiInputConnection> RtMidiDriver::openInput(int index, const std::string& name,
                                                             MidiInputSink& sink)
{
    try {
        const ApiPorts* api = nullptr;
        std::string portName;
        if (index < 0) {
            api = virtualApi();
            if (!api)
                throw MidiDriverError(MidiResult::BadDeviceId, "no virtual MIDI port here");
        } else {
            const Listed* device = listed(m_inputs, index, name);
            if (!device)
                throw MidiDriverError(MidiResult::BadDeviceId, "no such MIDI input device");
            api = &m_live[device->api];
            portName = device->portName;
        }
        std::unique_ptr<RtMidiIn> port;
        if (Spare* spare = liveSpare(api->api))
            port = std::move(spare->in);
        return std::make_unique<RtMidiInputConnection>(RtMidi::Api(api->api), m_clientName, index,
                                                       portName, sink, std::move(port),
                                                       tie(api->api));
    } catch (const RtMidiError& e) {
        throw MidiDriverError(MidiResult::Allocated, e.getMessage());
    }
}

} // namespace dorvane
