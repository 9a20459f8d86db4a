// Where an encoder puts the bytes it produces: the output's target stream, or a file of its
// own in the benchmark. Used on the worker thread of the output that owns the encoder.
#pragma once

#include <QtGlobal>

class TByteSink {
public:
    virtual ~TByteSink() = default;
    // Writes all `count` bytes or throws (an exception whose text names the file).
    virtual void Write(const void* data, qint64 count) = 0;
    // Moves the write position to `position` bytes from the start; false when the target
    // cannot seek.
    virtual bool Seek(qint64 position) = 0;
    // The current write position in bytes from the start; -1 when unknown.
    virtual qint64 Position() = 0;
    virtual bool CanSeek() = 0;
};
