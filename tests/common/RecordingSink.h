// A sink for the player tests: keeps every byte it is given, takes at most `ChunkBytes` per
// call of Room (so a play lasts many timer ticks), and counts writes that arrive while it is
// suspended or stopped, which a player must never make. Optionally passes the bytes on to
// another sink (the sound device) so its own timing rules. Owner thread only, like the player.
#pragma once

#include "player/PcmSink.h"

#include <QByteArray>
#include <memory>

class TRecordingSink : public TPcmSink {
public:
    explicit TRecordingSink(qint64 chunkBytes = 1 << 30, std::unique_ptr<TPcmSink> next = nullptr)
        : ChunkBytes(chunkBytes), m_next(std::move(next)) {}

    bool Start(QString& error) override {
        if (!StartError.isEmpty()) {
            error = StartError;
            return false;
        }
        if (m_next && !m_next->Start(error))
            return false;
        Recorded.clear();
        m_started = true;
        m_suspended = false;
        return true;
    }
    qint64 Room() override {
        const qint64 room = m_next ? m_next->Room() : ChunkBytes;
        return qMin(room, ChunkBytes);
    }
    qint64 Write(const char* data, qint64 size) override {
        if (m_suspended || !m_started)
            ++WritesOutOfPlay;
        const qint64 n = m_next ? m_next->Write(data, size) : size;
        Recorded.append(data, n);
        return n;
    }
    qint64 Pending() override { return m_next ? m_next->Pending() : 0; }
    void Suspend() override {
        m_suspended = true;
        if (m_next)
            m_next->Suspend();
    }
    void Resume() override {
        m_suspended = false;
        if (m_next)
            m_next->Resume();
    }
    void Stop() override {
        m_started = false;
        if (m_next)
            m_next->Stop();
    }
    QString Error() override { return m_next ? m_next->Error() : QString(); }

    qint64 ChunkBytes;
    QString StartError; // Start fails with it when set
    QByteArray Recorded;
    int WritesOutOfPlay = 0;

private:
    std::unique_ptr<TPcmSink> m_next;
    bool m_started = false;
    bool m_suspended = false;
};
