// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/builtininstrument.h"

#include "midi/mididrivererror.h"
#include "patch/fileio.h"
#include "patch/rolandmessage.h"

#include <chrono>

namespace dorvane {

class BuiltInInstrument::Output : public MidiOutputConnection
{
public:
    explicit Output(std::shared_ptr<BuiltInInstrument> owner) : m_owner(std::move(owner)) {}
    void transmit(ByteView message) override { m_owner->post(message); }
    std::size_t maxMessageSize() const override { return 65535; }
    std::size_t bytesPerSecond() const override { return 0; }

private:
    std::shared_ptr<BuiltInInstrument> m_owner;
};

class BuiltInInstrument::Input : public MidiInputConnection
{
public:
    Input(std::shared_ptr<BuiltInInstrument> owner, MidiInputSink& sink) : m_owner(std::move(owner))
    {
        m_owner->setSink(&sink);
    }
    ~Input() override { m_owner->setSink(nullptr); }

private:
    std::shared_ptr<BuiltInInstrument> m_owner;
};

BuiltInInstrument::BuiltInInstrument(std::string imageFile)
    : m_imageFile(std::move(imageFile)), m_thread([this] { run(); })
{
}

BuiltInInstrument::~BuiltInInstrument()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

MidiDeviceNames BuiltInInstrument::devices()
{
    return {{DeviceName}, {DeviceName}, {}, {}};
}

std::unique_ptr<MidiOutputConnection> BuiltInInstrument::openOutput(int index,
                                                                    const std::string& name)
{
    if (index != 0 || name != DeviceName)
        throw MidiDriverError(MidiResult::BadDeviceId,
                              "The built-in instrument has no device " + name);
    std::lock_guard lock(m_mutex);
    ensureState();
    return std::make_unique<Output>(shared_from_this());
}

std::unique_ptr<MidiInputConnection>
BuiltInInstrument::openInput(int index, const std::string& name, MidiInputSink& sink)
{
    if (index != 0 || name != DeviceName)
        throw MidiDriverError(MidiResult::BadDeviceId,
                              "The built-in instrument has no device " + name);
    {
        std::lock_guard lock(m_mutex);
        ensureState();
        if (m_sink)
            throw MidiDriverError(MidiResult::Allocated,
                                  "The built-in instrument's output is in use");
    }
    return std::make_unique<Input>(shared_from_this(), sink);
}

void BuiltInInstrument::setFullSpeed(bool fullSpeed)
{
    std::lock_guard lock(m_mutex);
    m_fullSpeed = fullSpeed;
    m_wake.notify_all();
}

bool BuiltInInstrument::fullSpeed() const
{
    std::lock_guard lock(m_mutex);
    return m_fullSpeed;
}

void BuiltInInstrument::ensureState()
{
    if (m_state)
        return;
    Bytes image;
    try {
        image = readWholeFile(m_imageFile);
    } catch (const FileError&) {
        // No start image: the state falls back to the neutral area.
    }
    m_state = std::make_unique<InstrumentState>(std::move(image));
}

void BuiltInInstrument::post(ByteView message)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(
            {Bytes(message.begin(), message.end()), std::chrono::steady_clock::now()});
    }
    m_wake.notify_all();
}

void BuiltInInstrument::setSink(MidiInputSink* sink)
{
    // Taking the lock also waits for a delivery in progress, so no call reaches
    // a sink after its connection is gone.
    std::lock_guard lock(m_mutex);
    m_sink = sink;
}

bool BuiltInInstrument::waitIdle(std::unique_lock<std::mutex>& lock, int timeoutMs)
{
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return m_queue.empty() && !m_busy; });
}

Bytes BuiltInInstrument::image(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    waitIdle(lock, timeoutMs);
    ensureState();
    return m_state->image();
}

InstrumentCounts BuiltInInstrument::counts(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    waitIdle(lock, timeoutMs);
    ensureState();
    return m_state->counts();
}

void BuiltInInstrument::run()
{
    using Clock = std::chrono::steady_clock;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_stop)
            return;
        const Posted posted = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        const Bytes& message = posted.message;
        if (!m_fullSpeed) {
            // The wire in carries one message after another; it runs on while
            // the instrument answers, so a message sent meanwhile may already
            // be in.
            m_heard = std::max(m_heard, posted.at) +
                      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                          double(message.size()) / WireBytesPerSecond));
            const auto heard = m_heard;
            m_wake.wait_until(lock, heard, [this] { return m_stop || m_fullSpeed; });
            if (m_stop)
                return;
        }
        ensureState();
        const std::vector<Bytes> replies = m_state->receive(message);

        // The answer goes out as the hardware sends it: one message after
        // another, each arriving when its last byte would have crossed the wire.
        auto start = Clock::now();
        std::size_t sent = 0;
        bool fast = m_fullSpeed;
        for (const Bytes& reply : replies) {
            if (m_fullSpeed != fast) {
                // The pace changed midway: go on from here at the new one.
                fast = m_fullSpeed;
                start = Clock::now();
                sent = 0;
            }
            sent += reply.size();
            const double rate = fast ? FullSpeedBytesPerSecond : WireBytesPerSecond;
            const auto due = start + std::chrono::duration_cast<Clock::duration>(
                                         std::chrono::duration<double>(double(sent) / rate));
            const bool wasFast = fast;
            m_wake.wait_until(lock, due,
                              [this, wasFast] { return m_stop || m_fullSpeed != wasFast; });
            if (m_stop)
                return;
            if (m_sink)
                m_sink->midiLongData(reply);
        }
        m_busy = false;
        if (m_queue.empty())
            m_idle.notify_all();
    }
}

} // namespace dorvane
