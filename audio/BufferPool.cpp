#include "BufferPool.h"

#include <algorithm>

TBufferPool::TBufferPool(size_t bytes, size_t count)
    : m_bytes(bytes), m_count(std::max<size_t>(count, 1)) {}

uint8_t* TBufferPool::Take() {
    std::unique_lock lock(m_mutex);
    if (m_free.empty() && m_made.size() < m_count) {
        // Not zeroed: the producer fills it.
        m_made.push_back(std::unique_ptr<uint8_t[]>(new uint8_t[m_bytes]));
        return m_made.back().get();
    }
    m_returned.wait(lock, [this] { return !m_free.empty(); });
    uint8_t* buffer = m_free.back();
    m_free.pop_back();
    return buffer;
}

void TBufferPool::Give(uint8_t* buffer) {
    {
        std::lock_guard lock(m_mutex);
        m_free.push_back(buffer);
    }
    m_returned.notify_one();
}
