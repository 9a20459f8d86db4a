// The bounded buffer between the CD player's reader thread (which fills it) and the thread
// that owns the player (which empties it into the sink). Its fixed size keeps memory small and
// lets a slow drive fall behind without the owner ever waiting. Every member is guarded by one
// mutex, so both threads may call anything.
#pragma once

#include <QString>
#include <condition_variable>
#include <mutex>
#include <vector>

class TPcmRing {
public:
    explicit TPcmRing(qsizetype capacity); // bytes

    // Reader: waits until `bytes` fit or Cancel was called; false when cancelled.
    bool WaitForRoom(qsizetype bytes);
    // Reader: appends `size` bytes (as WaitForRoom made room for).
    void Push(const char* data, qsizetype size);
    // Reader: no more bytes will come; `error` empty when the end was reached, else why not.
    void Finish(const QString& error);

    // Owner: takes up to `max` bytes; never waits.
    qsizetype Pop(char* out, qsizetype max);
    qsizetype Size() const;
    // Owner: the reader has finished and `error` tells how (empty: reached the end).
    bool Finished(QString* error = nullptr) const;
    // Owner: empties the buffer and makes the reader's waits return false.
    void Cancel();

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_room;
    std::vector<char> m_bytes;
    qsizetype m_head = 0; // next byte to pop
    qsizetype m_size = 0;
    bool m_finished = false;
    bool m_cancelled = false;
    QString m_error;
};
