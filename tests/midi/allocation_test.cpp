// SPDX-License-Identifier: GPL-3.0-or-later
// The driver's thread must not allocate: this executable's operator new counts
// the allocations made on a thread while that thread has counting switched on,
// and the input path is run with counting on around exactly what the port
// does in the driver's callback.
#include "midi/tmidiinput.h"

#include "loopbacksetup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

thread_local bool t_counting = false;
std::atomic<long> g_allocations{0};

void* allocate(std::size_t size)
{
    if (t_counting)
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t align)
{
    if (t_counting)
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t a = std::size_t(align);
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a))
        return p;
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size)
{
    return allocate(size);
}
void* operator new[](std::size_t size)
{
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}
void* operator new(std::size_t size, std::align_val_t align)
{
    return allocateAligned(size, align);
}
void* operator new[](std::size_t size, std::align_val_t align)
{
    return allocateAligned(size, align);
}
void* operator new(std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept
{
    try {
        return allocateAligned(size, align);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, std::align_val_t align, const std::nothrow_t& tag) noexcept
{
    return operator new(size, align, tag);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(p);
}

namespace dorvane::test {
namespace {

// Counting switched on around the port's side of each delivery.
class CountingSink final : public MidiInputSink
{
public:
    explicit CountingSink(MidiInputSink& inner) : m_inner(inner) {}
    void midiData(ByteView message) noexcept override
    {
        t_counting = true;
        m_inner.midiData(message);
        t_counting = false;
    }
    void midiLongData(ByteView bytes) noexcept override
    {
        t_counting = true;
        m_inner.midiLongData(bytes);
        t_counting = false;
    }

private:
    MidiInputSink& m_inner;
};

class CountingInput final : public MidiInputConnection
{
public:
    explicit CountingInput(MidiInputSink& inner) : sink(inner) {}
    CountingSink sink;
    std::unique_ptr<MidiInputConnection> connection;
};

// A source that passes everything to the loopback driver, wrapping input sinks.
class CountingSource final : public MidiDriver
{
public:
    explicit CountingSource(std::shared_ptr<LoopbackDriver> inner) : m_inner(std::move(inner)) {}
    MidiDeviceNames devices() override { return m_inner->devices(); }
    std::unique_ptr<MidiOutputConnection> openOutput(int index, const std::string& name) override
    {
        return m_inner->openOutput(index, name);
    }
    std::unique_ptr<MidiInputConnection> openInput(int index, const std::string& name,
                                                   MidiInputSink& sink) override
    {
        auto wrapped = std::make_unique<CountingInput>(sink);
        wrapped->connection = m_inner->openInput(index, name, wrapped->sink);
        return wrapped;
    }

private:
    std::shared_ptr<LoopbackDriver> m_inner;
};

} // namespace

TEST(DriverThread, TheCounterSeesAnAllocation)
{
    const long before = g_allocations.load();
    t_counting = true;
    void* p = ::operator new(16); // an explicit call: never elided
    t_counting = false;
    ::operator delete(p);
    EXPECT_EQ(g_allocations.load(), before + 1) << "otherwise the next test proves nothing";
}

TEST(DriverThread, TheInputCallbackNeitherAllocatesNorLosesAnything)
{
    auto loopback = std::make_shared<LoopbackDriver>();
    loopback->addDevice("Counted");
    MidiDeviceRegistry registry;
    registry.addSource(std::make_shared<CountingSource>(loopback));

    TMidiInput port(registry);
    port.SetCapacity(64);
    port.SetSysexBufferSize(100);
    port.SetSysexBufferCount(4);
    long overflows = 0;
    QObject::connect(&port, &TMidiInput::OnOverflow, &port, [&] { ++overflows; });
    port.Open();
    ASSERT_EQ(port.State(), misOpen);
    port.Start();

    const long before = g_allocations.load();
    // Every kind of delivery: filtered bytes, short messages, sysex of one and of
    // several buffers, an empty buffer, and enough to overflow both the ring and
    // the buffers while the main thread takes nothing.
    for (int i = 0; i < 200; ++i) {
        loopback->feedShort("Counted", {0xFE});
        loopback->feedShort("Counted", {0xF8});
        loopback->feedShort("Counted", {0x90, std::uint8_t(i & 0x7F), 100});
        loopback->feedLong("Counted", dataSet(141, i));
        loopback->feedLong("Counted", {});
    }
    port.SetSysexOnly(true);
    for (int i = 0; i < 50; ++i)
        loopback->feedShort("Counted", {0x80, 1, 1});
    ASSERT_TRUE(loopback->waitUntilDelivered("Counted", 10000));
    EXPECT_EQ(g_allocations.load(), before) << "allocations on the driver's thread";
    EXPECT_TRUE(waitFor([&] { return overflows > 0; }));
    EXPECT_GT(port.PendingEventCount(), 0);
}

} // namespace dorvane::test
