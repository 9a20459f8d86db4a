#include "MeterThread.h"

#include <chrono>

TMeterThread::TMeterThread(std::shared_ptr<TBufferPool> pool, std::shared_ptr<TMeterThread> after,
                           unsigned channels, unsigned long sampleRate)
    : m_pool(std::move(pool)), m_after(std::move(after)), m_frameBytes(2 * size_t(channels)),
      m_meter(std::make_shared<TLoudnessMeter>(channels, sampleRate)), m_thread([this] { run(); }) {
}

TMeterThread::~TMeterThread() {
    Cancel();
    m_thread.join();
}

void TMeterThread::Add(uint8_t* buffer, size_t offset, size_t bytes) {
    {
        std::lock_guard lock(m_mutex);
        if (!m_cancelled) {
            m_queue.push_back(TBatch{buffer, offset, bytes});
            buffer = nullptr;
        }
    }
    if (buffer)
        m_pool->Give(buffer); // the meter thread may have ended
    else
        m_wake.notify_all();
}

void TMeterThread::Finish(std::function<void()> onDone) {
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_onDone = std::move(onDone);
    }
    m_wake.notify_all();
}

void TMeterThread::Cancel() {
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_onDone = nullptr;
    }
    m_wake.notify_all();
}

void TMeterThread::waitEnded(const std::atomic<bool>& stop) {
    // `stop` is another meter's flag, which this meter's condition does not hear of.
    std::unique_lock lock(m_mutex);
    while (!m_ended && !stop)
        m_wake.wait_for(lock, std::chrono::milliseconds(10));
}

void TMeterThread::run() {
    // The meter before has been finished or cancelled by its owner: it ends soon.
    if (m_after)
        m_after->waitEnded(m_cancelled);
    m_after.reset();
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return !m_queue.empty() || m_finished || m_cancelled; });
        if (m_queue.empty()) {
            // Finished and all measured, or cancelled (the callback is gone then).
            if (m_onDone)
                m_onDone();
            m_onDone = nullptr;
            m_ended = true;
            m_wake.notify_all();
            return;
        }
        const TBatch batch = m_queue.front();
        m_queue.pop_front();
        lock.unlock();
        if (!m_cancelled)
            m_meter->AddPcm16(batch.Buffer + batch.Offset, batch.Bytes / m_frameBytes);
        m_pool->Give(batch.Buffer);
        lock.lock();
    }
}
