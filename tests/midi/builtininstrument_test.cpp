// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in instrument through the driver interface, as the ports use it.
#include "midi/builtininstrument.h"
#include "midi/mididrivererror.h"
#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace dorvane;

namespace {

// Collects deliveries; the test thread waits for them.
class Collector : public MidiInputSink
{
public:
    void midiData(ByteView m) noexcept override { add(m); }
    void midiLongData(ByteView m) noexcept override { add(m); }

    bool waitFor(std::size_t bytes, int timeoutMs = 10000)
    {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return m_bytes.size() >= bytes; });
    }
    Bytes bytes()
    {
        std::lock_guard lock(m_mutex);
        return m_bytes;
    }
    std::size_t deliveries()
    {
        std::lock_guard lock(m_mutex);
        return m_deliveries;
    }
    std::thread::id thread()
    {
        std::lock_guard lock(m_mutex);
        return m_thread;
    }

private:
    void add(ByteView m)
    {
        std::lock_guard lock(m_mutex);
        m_bytes.insert(m_bytes.end(), m.begin(), m.end());
        ++m_deliveries;
        m_thread = std::this_thread::get_id();
        m_cv.notify_all();
    }
    std::mutex m_mutex;
    std::condition_variable m_cv;
    Bytes m_bytes;
    std::size_t m_deliveries = 0;
    std::thread::id m_thread;
};

std::shared_ptr<BuiltInInstrument> instrumentWith(const Bytes& image, test::TempDir& dir)
{
    test::writeFile(dir.file("perf.syx"), image);
    return std::make_shared<BuiltInInstrument>(dir.file("perf.syx"));
}

} // namespace

TEST(BuiltInInstrument, ListedAsOneOutputAndOneInput)
{
    test::TempDir dir;
    auto inst = instrumentWith(initialImage(), dir);
    const auto names = inst->devices();
    ASSERT_EQ(names.outputs.size(), 1u);
    ASSERT_EQ(names.inputs.size(), 1u);
    EXPECT_EQ(names.outputs[0], "MC-505 (built in)");
    EXPECT_TRUE(names.virtualOutput.empty());
    EXPECT_THROW(inst->openOutput(1, "MC-505 (built in)"), MidiDriverError);
    EXPECT_THROW(inst->openOutput(0, "Something else"), MidiDriverError);
}

TEST(BuiltInInstrument, AppliesEditsAndAnswersRequestsOnItsOwnThread)
{
    test::TempDir dir;
    t505temppatch start;
    start.LoadFromBytes(initialImage());
    start.SetPatchName(2, "FROM DISK");
    auto inst = instrumentWith(start.AllBytes(), dir);
    inst->setFullSpeed(true);
    auto out = inst->openOutput(0, BuiltInInstrument::DeviceName);
    Collector sink;
    auto in = inst->openInput(0, BuiltInInstrument::DeviceName, sink);
    EXPECT_THROW(inst->openInput(0, BuiltInInstrument::DeviceName, sink), MidiDriverError)
        << "one listener at a time";

    out->transmit(parameterMessage(tsMC505, {0x02, 0x04, 0x14, 81}, 33));
    Bytes bad = parameterMessage(tsMC505, {0x02, 0x04, 0x14, 83}, 99);
    bad[11] ^= 1;
    out->transmit(bad);
    out->transmit(test::fromHex("94 3C 60"));
    start.WriteByte(4, 3, 81, 33);
    EXPECT_EQ(inst->image(), start.AllBytes()) << "loaded from perf.syx, then edited";
    const auto counts = inst->counts();
    EXPECT_EQ(counts.dataSetsApplied, 1);
    EXPECT_EQ(counts.dataSetsIgnored, 1);
    EXPECT_EQ(counts.notes, 1);

    out->transmit(requestAllMessage());
    ASSERT_TRUE(sink.waitFor(ImageSize));
    EXPECT_EQ(sink.bytes(), start.bytes());
    EXPECT_EQ(sink.deliveries(), 100u) << "a Data Set message at a time";
    EXPECT_NE(sink.thread(), std::this_thread::get_id());
}

TEST(BuiltInInstrument, WirePacingNeverRunsAheadOfTheWire)
{
    test::TempDir dir;
    auto inst = instrumentWith(initialImage(), dir);
    auto out = inst->openOutput(0, BuiltInInstrument::DeviceName);
    Collector sink;
    auto in = inst->openInput(0, BuiltInInstrument::DeviceName, sink);
    const auto start = std::chrono::steady_clock::now();
    out->transmit(requestPartMessage(1));
    ASSERT_TRUE(sink.waitFor(PartBlockSize));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // 650 bytes cannot cross a 3,125 bytes/s wire in less than 208 ms.
    EXPECT_GE(seconds, 650.0 / 3125.0 - 0.002);
}

TEST(BuiltInInstrument, ClosingTheInputStopsDeliveries)
{
    test::TempDir dir;
    auto inst = instrumentWith(Bytes{}, dir);
    EXPECT_EQ(inst->image(), initialImage()) << "an unusable start file gives the neutral area";
    auto out = inst->openOutput(0, BuiltInInstrument::DeviceName);
    Collector sink;
    {
        auto in = inst->openInput(0, BuiltInInstrument::DeviceName, sink);
        out->transmit(requestAllMessage()); // paced: most of it comes after the close
        ASSERT_TRUE(sink.waitFor(86));
    }
    const std::size_t got = sink.bytes().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(sink.bytes().size(), got);
    EXPECT_LT(got, ImageSize);
    // The instrument goes on and can be listened to again.
    inst->setFullSpeed(true);
    auto again = inst->openInput(0, BuiltInInstrument::DeviceName, sink);
    out->transmit(requestRhythmMessage());
    EXPECT_TRUE(sink.waitFor(got + RhythmBlockSize));
}
