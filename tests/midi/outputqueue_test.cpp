// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/midioutputqueue.h"

#include "midi/midioutputconnection.h"
#include "midi/wakeup.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace dorvane;

namespace {

// Records which thread handed each message over; a message whose first byte
// is `holdFirstByte` waits in transmit() until released.
class RecordingDevice : public MidiOutputConnection
{
public:
    explicit RecordingDevice(std::size_t bytesPerSecond) : m_pace(bytesPerSecond) {}

    struct Handed
    {
        std::uint8_t first;
        std::size_t size;
        std::thread::id thread;
    };

    void transmit(ByteView message) override
    {
        std::unique_lock lock(m_mutex);
        handed.push_back({message[0], message.size(), std::this_thread::get_id()});
        m_changed.notify_all();
        if (message[1] == holdByte)
            m_changed.wait(lock, [this] { return m_released; });
    }
    std::size_t maxMessageSize() const override { return 65535; }
    std::size_t bytesPerSecond() const override { return m_pace; }

    void waitFor(std::size_t count)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return handed.size() >= count; });
    }
    std::vector<Handed> copy()
    {
        std::lock_guard lock(m_mutex);
        return handed;
    }
    void release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

    static constexpr std::uint8_t holdByte = 0x55;

private:
    std::vector<Handed> handed;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_released = false;
    const std::size_t m_pace;
};

std::unique_ptr<MidiOutgoing> sysex(std::uint8_t second, std::size_t size)
{
    auto m = std::make_unique<MidiOutgoing>(size);
    std::uint8_t* p = m->bytes.DataBlock();
    p[0] = 0xF0;
    for (std::size_t i = 1; i + 1 < size; ++i)
        p[i] = i == 1 ? second : 0x10;
    p[size - 1] = 0xF7;
    m->bytes.SetBytesRecorded(size);
    m->isLong = true;
    return m;
}

void waitFinished(const MidiOutputQueue& queue, std::uint64_t count)
{
    while (queue.finished() < count)
        std::this_thread::yield();
}

struct Rig
{
    explicit Rig(std::size_t bytesPerSecond) : device(bytesPerSecond) {}
    // Lets a held message go before the queue joins its thread, so that a
    // failed expectation ends the test instead of hanging it.
    ~Rig() { device.release(); }

    RecordingDevice device;
    WakeUp wake;
    MidiOutputQueue queue{device, wake};
    const std::thread::id main = std::this_thread::get_id();
};

} // namespace

// An edit's message must not wait for the sending thread to wake, yet must
// never overtake a message already on its way.
TEST(MidiOutputQueue, AShortMessageToAnIdleQueueLeavesAtOnceButNeverOvertakes)
{
    Rig rig(0);
    auto& [device, wake, queue, main] = rig;

    auto first = sysex(0x01, 12);
    ASSERT_TRUE(queue.post(first.get()));
    EXPECT_EQ(queue.finished(), 1u) << "an idle queue hands a short message over before post returns";
    ASSERT_EQ(device.copy().size(), 1u);
    EXPECT_EQ(device.copy()[0].thread, main);

    // Longer than a burst: the thread takes it, and holds it in the device.
    auto held = sysex(RecordingDevice::holdByte, 600);
    auto behind = sysex(0x02, 12);
    ASSERT_TRUE(queue.post(held.get()));
    device.waitFor(2);
    ASSERT_TRUE(queue.post(behind.get()));
    EXPECT_EQ(device.copy().size(), 2u) << "a message went past one still being sent";
    EXPECT_EQ(queue.finished(), 1u);
    device.release();
    waitFinished(queue, 3);

    const auto handed = device.copy();
    ASSERT_EQ(handed.size(), 3u);
    EXPECT_EQ(handed[1].size, 600u);
    EXPECT_NE(handed[1].thread, main);
    EXPECT_EQ(handed[2].size, 12u);
    EXPECT_NE(handed[2].thread, main) << "the waiting message is the thread's to send";
}

// A paced device: once the burst is spent, the main thread must not sleep for
// the pace; the message goes to the thread, which waits.
TEST(MidiOutputQueue, AMessageThePaceHoldsBackIsLeftToTheThread)
{
    Rig rig(1000);
    auto& [device, wake, queue, main] = rig;

    auto burst = sysex(0x01, 500);
    auto next = sysex(0x02, 40);
    ASSERT_TRUE(queue.post(burst.get()));
    ASSERT_TRUE(queue.post(next.get()));
    waitFinished(queue, 2);
    const auto handed = device.copy();
    ASSERT_EQ(handed.size(), 2u);
    EXPECT_EQ(handed[0].thread, main);
    EXPECT_NE(handed[1].thread, main);
}
