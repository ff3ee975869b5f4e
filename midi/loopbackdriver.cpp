// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/loopbackdriver.h"

#include "midi/mididrivererror.h"
#include "midi/tmymidihdr.h"
#include "midi/wakeup.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace dorvane {

namespace {

class LoopbackInput;

struct Device
{
    bool busy = false;
    bool failing = false;
    bool removed = false;
    bool echo = true;
    std::vector<Bytes> sent;
    LoopbackInput* input = nullptr;
};

} // namespace

// Shared by the driver and every connection it made, so a connection may
// outlive the driver object.
struct LoopbackDriver::State
{
    mutable std::mutex mutex;
    mutable std::condition_variable sentChanged;
    std::vector<std::string> order;
    std::map<std::string, Device> devices;
    std::string virtualPort;
    std::size_t bytesPerSecond = 0;
    std::size_t maxMessageSize = MaxLongMessageSize;
    WakeUp* watcher = nullptr;

    // With the mutex held: the list changed.
    void tell()
    {
        if (watcher)
            watcher->post();
    }

    // The record of a device, listed or not (the virtual port need not be).
    Device& device(const std::string& name) { return devices[name]; }
};

namespace {

class LoopbackInput final : public MidiInputConnection
{
public:
    explicit LoopbackInput(MidiInputSink& sink) : m_sink(sink), m_thread([this] { run(); }) {}

    ~LoopbackInput() override
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

    // Called with the driver state locked, so the connection cannot go away.
    void deliver(bool isLong, Bytes bytes)
    {
        {
            std::lock_guard lock(m_mutex);
            m_queue.push_back({isLong, std::move(bytes)});
        }
        m_changed.notify_all();
    }

    bool waitIdle(int timeoutMs)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [this] { return m_queue.empty() && !m_busy; });
    }

private:
    struct Delivery
    {
        bool isLong;
        Bytes bytes;
    };

    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_stop || !m_queue.empty(); });
            if (m_stop)
                return;
            Delivery delivery = std::move(m_queue.front());
            m_queue.pop_front();
            m_busy = true;
            lock.unlock();
            if (delivery.isLong)
                m_sink.midiLongData(delivery.bytes);
            else
                m_sink.midiData(delivery.bytes);
            lock.lock();
            m_busy = false;
            m_changed.notify_all();
        }
    }

    MidiInputSink& m_sink;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Delivery> m_queue;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_thread;
};

class LoopbackOutput final : public MidiOutputConnection
{
public:
    LoopbackOutput(std::shared_ptr<LoopbackDriver::State> state, std::string name)
        : m_state(std::move(state)), m_name(std::move(name)),
          m_bytesPerSecond(m_state->bytesPerSecond), m_maxMessageSize(m_state->maxMessageSize)
    {
    }

    void transmit(ByteView message) override
    {
        std::lock_guard lock(m_state->mutex);
        Device& device = m_state->device(m_name);
        if (device.failing || device.removed)
            throw MidiDriverError(MidiResult::Failed,
                                  "The loopback device " + m_name + " refused the message");
        device.sent.emplace_back(message.begin(), message.end());
        if (device.echo && device.input) {
            const bool isLong = message[0] == 0xF0 || message[0] < 0x80;
            device.input->deliver(isLong, Bytes(message.begin(), message.end()));
        }
        m_state->sentChanged.notify_all();
    }

    std::size_t maxMessageSize() const override { return m_maxMessageSize; }
    std::size_t bytesPerSecond() const override { return m_bytesPerSecond; }

private:
    std::shared_ptr<LoopbackDriver::State> m_state;
    std::string m_name;
    std::size_t m_bytesPerSecond;
    std::size_t m_maxMessageSize;
};

// Unregisters the input from its device before the delivery thread stops.
class RegisteredInput final : public MidiInputConnection
{
public:
    RegisteredInput(std::shared_ptr<LoopbackDriver::State> state, std::string name,
                    MidiInputSink& sink)
        : m_state(std::move(state)), m_name(std::move(name)),
          m_input(std::make_unique<LoopbackInput>(sink))
    {
        m_state->device(m_name).input = m_input.get();
    }

    ~RegisteredInput() override
    {
        {
            std::lock_guard lock(m_state->mutex);
            m_state->device(m_name).input = nullptr;
        }
        m_input.reset();
    }

private:
    std::shared_ptr<LoopbackDriver::State> m_state;
    std::string m_name;
    std::unique_ptr<LoopbackInput> m_input;
};

} // namespace

LoopbackDriver::LoopbackDriver() : m_state(std::make_shared<State>()) {}

LoopbackDriver::~LoopbackDriver() = default;

void LoopbackDriver::addDevice(const std::string& name)
{
    std::lock_guard lock(m_state->mutex);
    m_state->device(name).removed = false;
    if (std::find(m_state->order.begin(), m_state->order.end(), name) == m_state->order.end())
        m_state->order.push_back(name);
    m_state->tell();
}

void LoopbackDriver::setVirtualPort(const std::string& name)
{
    std::lock_guard lock(m_state->mutex);
    m_state->virtualPort = name;
    m_state->tell();
}

void LoopbackDriver::removeDevice(const std::string& name)
{
    std::lock_guard lock(m_state->mutex);
    m_state->device(name).removed = true;
    std::erase(m_state->order, name);
    m_state->tell();
}

void LoopbackDriver::setBusy(const std::string& name, bool busy)
{
    std::lock_guard lock(m_state->mutex);
    m_state->device(name).busy = busy;
}

void LoopbackDriver::setFailing(const std::string& name, bool failing)
{
    std::lock_guard lock(m_state->mutex);
    m_state->device(name).failing = failing;
}

void LoopbackDriver::setEcho(const std::string& name, bool echo)
{
    std::lock_guard lock(m_state->mutex);
    m_state->device(name).echo = echo;
}

void LoopbackDriver::setBytesPerSecond(std::size_t bytesPerSecond)
{
    std::lock_guard lock(m_state->mutex);
    m_state->bytesPerSecond = bytesPerSecond;
}

void LoopbackDriver::setMaxMessageSize(std::size_t bytes)
{
    std::lock_guard lock(m_state->mutex);
    m_state->maxMessageSize = bytes;
}

std::vector<Bytes> LoopbackDriver::sent(const std::string& name) const
{
    std::lock_guard lock(m_state->mutex);
    auto it = m_state->devices.find(name);
    return it == m_state->devices.end() ? std::vector<Bytes>() : it->second.sent;
}

Bytes LoopbackDriver::sentBytes(const std::string& name) const
{
    Bytes all;
    for (const Bytes& message : sent(name))
        all.insert(all.end(), message.begin(), message.end());
    return all;
}

void LoopbackDriver::clearSent(const std::string& name)
{
    std::lock_guard lock(m_state->mutex);
    m_state->device(name).sent.clear();
}

bool LoopbackDriver::waitForSent(const std::string& name, std::size_t count, int timeoutMs) const
{
    std::unique_lock lock(m_state->mutex);
    return m_state->sentChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        auto it = m_state->devices.find(name);
        return it != m_state->devices.end() && it->second.sent.size() >= count;
    });
}

bool LoopbackDriver::feedShort(const std::string& name, Bytes message)
{
    std::lock_guard lock(m_state->mutex);
    auto it = m_state->devices.find(name);
    if (it == m_state->devices.end() || !it->second.input)
        return false;
    it->second.input->deliver(false, std::move(message));
    return true;
}

bool LoopbackDriver::feedLong(const std::string& name, Bytes bytes)
{
    std::lock_guard lock(m_state->mutex);
    auto it = m_state->devices.find(name);
    if (it == m_state->devices.end() || !it->second.input)
        return false;
    it->second.input->deliver(true, std::move(bytes));
    return true;
}

bool LoopbackDriver::waitUntilDelivered(const std::string& name, int timeoutMs) const
{
    // The state stays locked while waiting, so the input cannot close meanwhile;
    // its delivery thread never takes the state's lock.
    std::lock_guard lock(m_state->mutex);
    auto it = m_state->devices.find(name);
    if (it == m_state->devices.end() || !it->second.input)
        return true;
    return it->second.input->waitIdle(timeoutMs);
}

bool LoopbackDriver::isInputOpen(const std::string& name) const
{
    std::lock_guard lock(m_state->mutex);
    auto it = m_state->devices.find(name);
    return it != m_state->devices.end() && it->second.input;
}

MidiDeviceNames LoopbackDriver::devices()
{
    std::lock_guard lock(m_state->mutex);
    MidiDeviceNames names;
    for (const std::string& name : m_state->order) {
        names.outputs.push_back(name);
        names.inputs.push_back(name);
    }
    names.virtualOutput = m_state->virtualPort;
    names.virtualInput = m_state->virtualPort;
    return names;
}

bool LoopbackDriver::watchDevices(WakeUp& changed)
{
    std::lock_guard lock(m_state->mutex);
    m_state->watcher = &changed;
    return true;
}

void LoopbackDriver::stopWatching()
{
    std::lock_guard lock(m_state->mutex);
    m_state->watcher = nullptr;
}

std::unique_ptr<MidiOutputConnection> LoopbackDriver::openOutput(int, const std::string& name)
{
    std::lock_guard lock(m_state->mutex);
    if (m_state->device(name).busy)
        throw MidiDriverError(MidiResult::Allocated, "The MIDI device " + name + " is in use");
    return std::make_unique<LoopbackOutput>(m_state, name);
}

std::unique_ptr<MidiInputConnection> LoopbackDriver::openInput(int, const std::string& name,
                                                               MidiInputSink& sink)
{
    std::lock_guard lock(m_state->mutex);
    Device& device = m_state->device(name);
    if (device.busy || device.input)
        throw MidiDriverError(MidiResult::Allocated, "The MIDI device " + name + " is in use");
    return std::make_unique<RegisteredInput>(m_state, name, sink);
}

} // namespace dorvane
