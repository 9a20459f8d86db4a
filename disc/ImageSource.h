// One data file of a disc image seen as the bytes of its sectors: a raw BIN, the samples of a
// WAV file, or the decoded samples of a compressed file. Used by one thread at a time (the
// image's handle lock serialises the reads).
#pragma once

#include <QString>
#include <cstdint>

class TImageSource {
public:
    virtual ~TImageSource() = default;
    // Bytes of sector data the file held when it was opened.
    virtual int64_t Size() const = 0;
    // Reads `count` bytes from byte `offset` of the sector data into `out`, as little-endian
    // 16-bit samples for audio. False when the file cannot give them all (cut short since it
    // was opened, unreadable); ErrorText says why.
    virtual bool Read(int64_t offset, int64_t count, uint8_t* out) = 0;
    const QString& ErrorText() const { return m_error; }

protected:
    QString m_error;
};
