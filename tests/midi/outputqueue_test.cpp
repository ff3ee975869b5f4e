// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/midioutputqueue.h"

#include "midi/midioutputconnection.h"
#include "midi/wakeup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace dorvane;

namespace {

// Records the size of each message and the thread that handed it over; a
// message whose second byte is Hold waits in transmit() until released.
class RecordingDevice : public MidiOutputConnection
{
public:
    static constexpr std::uint8_t Hold = 0x55;
    struct Handed
    {
        std::size_t size;
        std::thread::id thread;
    };

    explicit RecordingDevice(std::size_t pace) : m_pace(pace) {}
    void transmit(ByteView m) override
    {
        std::unique_lock lock(m_mutex);
        m_handed.push_back({m.size(), std::this_thread::get_id()});
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m[1] != Hold || m_released; });
    }
    std::size_t maxMessageSize() const override { return 65535; }
    std::size_t bytesPerSecond() const override { return m_pace; }

    // What was handed over, once there are at least `count`.
    std::vector<Handed> handed(std::size_t count = 0)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_handed.size() >= count; });
        return m_handed;
    }
    void release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

private:
    const std::size_t m_pace;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Handed> m_handed;
    bool m_released = false;
};

struct Rig
{
    explicit Rig(std::size_t pace) : device(pace) {}
    // A held message is let go before the queue joins its thread, so that a
    // failed expectation ends the test instead of hanging it.
    ~Rig() { device.release(); }

    bool post(std::uint8_t second, std::size_t size)
    {
        auto m = std::make_unique<MidiOutgoing>(size);
        std::uint8_t* p = m->bytes.DataBlock();
        std::fill(p, p + size, 0x10);
        p[0] = 0xF0;
        p[1] = second;
        p[size - 1] = 0xF7;
        m->bytes.SetBytesRecorded(size);
        m->isLong = true;
        messages.push_back(std::move(m));
        return queue.post(messages.back().get());
    }
    void waitFinished(std::uint64_t count)
    {
        while (queue.finished() < count)
            std::this_thread::yield();
    }

    RecordingDevice device;
    WakeUp wake;
    MidiOutputQueue queue{device, wake};
    std::vector<std::unique_ptr<MidiOutgoing>> messages;
    const std::thread::id main = std::this_thread::get_id();
};

} // namespace

// An edit's message must not wait for the sending thread to wake, yet must
// never overtake a message already on its way.
TEST(MidiOutputQueue, AShortMessageToAnIdleQueueLeavesAtOnceButNeverOvertakes)
{
    Rig rig(0);
    ASSERT_TRUE(rig.post(0x01, 12));
    EXPECT_EQ(rig.queue.finished(), 1u) << "handed over before post returned";
    EXPECT_EQ(rig.device.handed(1)[0].thread, rig.main);

    // Longer than a burst: the thread takes it, and the device holds it.
    ASSERT_TRUE(rig.post(RecordingDevice::Hold, 600));
    rig.device.handed(2);
    ASSERT_TRUE(rig.post(0x02, 12));
    EXPECT_EQ(rig.device.handed().size(), 2u) << "a message went past one still being sent";
    rig.device.release();
    rig.waitFinished(3);
    const auto handed = rig.device.handed();
    ASSERT_EQ(handed.size(), 3u);
    EXPECT_EQ(handed[2].size, 12u);
    EXPECT_NE(handed[2].thread, rig.main) << "the waiting message is the thread's to send";
}

// Once the burst is spent, the main thread must not sleep for the pace: the
// message goes to the thread, which waits.
TEST(MidiOutputQueue, AMessageThePaceHoldsBackIsLeftToTheThread)
{
    Rig rig(1000);
    ASSERT_TRUE(rig.post(0x01, 500));
    ASSERT_TRUE(rig.post(0x02, 40));
    rig.waitFinished(2);
    const auto handed = rig.device.handed();
    ASSERT_EQ(handed.size(), 2u);
    EXPECT_EQ(handed[0].thread, rig.main);
    EXPECT_NE(handed[1].thread, rig.main);
}
