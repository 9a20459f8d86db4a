#include "PcmRing.h"

#include <algorithm>
#include <cstring>

TPcmRing::TPcmRing(qsizetype capacity) : m_bytes(size_t(capacity)) {}

bool TPcmRing::WaitForRoom(qsizetype bytes) {
    std::unique_lock lock(m_mutex);
    m_room.wait(lock, [&] { return m_cancelled || qsizetype(m_bytes.size()) - m_size >= bytes; });
    return !m_cancelled;
}

void TPcmRing::Push(const char* data, qsizetype size) {
    std::lock_guard lock(m_mutex);
    const qsizetype capacity = qsizetype(m_bytes.size());
    size = std::min(size, capacity - m_size);
    qsizetype tail = (m_head + m_size) % capacity;
    qsizetype done = 0;
    while (done < size) {
        const qsizetype n = std::min(size - done, capacity - tail);
        std::memcpy(m_bytes.data() + tail, data + done, size_t(n));
        done += n;
        tail = (tail + n) % capacity;
    }
    m_size += size;
}

void TPcmRing::Finish(const QString& error) {
    std::lock_guard lock(m_mutex);
    m_finished = true;
    m_error = error;
}

qsizetype TPcmRing::Pop(char* out, qsizetype max) {
    qsizetype done = 0;
    {
        std::lock_guard lock(m_mutex);
        const qsizetype capacity = qsizetype(m_bytes.size());
        const qsizetype size = std::min(max, m_size);
        while (done < size) {
            const qsizetype n = std::min(size - done, capacity - m_head);
            std::memcpy(out + done, m_bytes.data() + m_head, size_t(n));
            done += n;
            m_head = (m_head + n) % capacity;
        }
        m_size -= done;
    }
    if (done > 0)
        m_room.notify_one();
    return done;
}

qsizetype TPcmRing::Size() const {
    std::lock_guard lock(m_mutex);
    return m_size;
}

bool TPcmRing::Finished(QString* error) const {
    std::lock_guard lock(m_mutex);
    if (error)
        *error = m_error;
    return m_finished;
}

void TPcmRing::Cancel() {
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_head = m_size = 0;
    }
    m_room.notify_all();
}
