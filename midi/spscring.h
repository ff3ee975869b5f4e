// SPDX-License-Identifier: GPL-3.0-or-later
// A fixed-size ring shared by exactly one producing and one consuming thread,
// on atomics only: a push never blocks and never allocates, entries leave in
// the order they came, and a full ring refuses the new entry. Storage is
// allocated once, by the constructor, so the producer may run where nothing
// may allocate (a MIDI driver's callback).
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <new>

namespace dorvane {

template <typename T> class SpscRing
{
public:
    explicit SpscRing(std::size_t capacity)
        : m_capacity(capacity), m_slots(capacity ? std::make_unique<T[]>(capacity) : nullptr)
    {
    }

    SpscRing(const SpscRing&) = delete;
    SpscRing& operator=(const SpscRing&) = delete;

    std::size_t capacity() const noexcept { return m_capacity; }

    // Producer thread only. False, and nothing changed, when the ring is full.
    bool push(const T& value) noexcept
    {
        const std::size_t write = m_write.load(std::memory_order_relaxed);
        if (write - m_readCache >= m_capacity) {
            m_readCache = m_read.load(std::memory_order_acquire);
            if (write - m_readCache >= m_capacity)
                return false;
        }
        m_slots[write % m_capacity] = value;
        m_write.store(write + 1, std::memory_order_release);
        return true;
    }

    // Consumer thread only: the oldest entry, or nullptr when the ring is empty.
    // The entry stays in place (and valid) until drop().
    const T* peek() noexcept
    {
        const std::size_t read = m_read.load(std::memory_order_relaxed);
        if (read == m_writeCache) {
            m_writeCache = m_write.load(std::memory_order_acquire);
            if (read == m_writeCache)
                return nullptr;
        }
        return &m_slots[read % m_capacity];
    }

    // Consumer thread only: forgets the oldest entry; nothing when empty.
    void drop() noexcept
    {
        const std::size_t read = m_read.load(std::memory_order_relaxed);
        // Through the cache, so that it never falls behind the read index.
        if (read == m_writeCache) {
            m_writeCache = m_write.load(std::memory_order_acquire);
            if (read == m_writeCache)
                return;
        }
        m_read.store(read + 1, std::memory_order_release);
    }

    // Entries waiting; exact on the consumer thread, a snapshot elsewhere.
    std::size_t size() const noexcept
    {
        const std::size_t read = m_read.load(std::memory_order_acquire);
        return m_write.load(std::memory_order_acquire) - read;
    }

private:
    // Producer and consumer indices live on separate cache lines so the two
    // threads do not invalidate each other's line on every step.
    static constexpr std::size_t LineSize = 64;

    const std::size_t m_capacity;
    const std::unique_ptr<T[]> m_slots;
    alignas(LineSize) std::atomic<std::size_t> m_write{0};
    std::size_t m_readCache = 0; // producer's last view of m_read
    alignas(LineSize) std::atomic<std::size_t> m_read{0};
    std::size_t m_writeCache = 0; // consumer's last view of m_write
};

} // namespace dorvane
