// Equal buffers handed from thread to thread without copying the data in them: a producer
// takes a free buffer, fills it and passes it on; whoever is done with it gives it back. At
// most `count` buffers exist (made as they are first needed, kept until the pool goes), so a
// producer that runs ahead of its consumer waits in Take. Any thread; one mutex guards the
// free list.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class TBufferPool {
public:
    TBufferPool(size_t bytes, size_t count);
    TBufferPool(const TBufferPool&) = delete;
    TBufferPool& operator=(const TBufferPool&) = delete;

    size_t Bytes() const { return m_bytes; }
    // A buffer of Bytes() bytes, its contents undefined; waits while every buffer is taken.
    uint8_t* Take();
    // Returns a buffer Take gave.
    void Give(uint8_t* buffer);

private:
    const size_t m_bytes;
    const size_t m_count;
    std::mutex m_mutex;
    std::condition_variable m_returned;
    std::vector<std::unique_ptr<uint8_t[]>> m_made; // guarded by m_mutex
    std::vector<uint8_t*> m_free;                   // guarded by m_mutex
};
