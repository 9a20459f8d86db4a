// A data file of a disc image read as it lies: a BIN of raw sectors (little-endian audio, or
// big-endian for a MOTOROLA file, swapped as it is read), or the data chunk of a PCM WAV file.
// One thread at a time.
#pragma once

#include "ImageSource.h"

class TRawFileSource : public TImageSource {
public:
    ~TRawFileSource() override;

    // Opens `path` for its bytes from `offset`, `size` of them (-1: to the end of the file).
    // False with ErrorText naming the file and the system's reason.
    bool Open(const QString& path, int64_t offset = 0, int64_t size = -1, bool bigEndian = false);

    int64_t Size() const override { return m_size; }
    bool Read(int64_t offset, int64_t count, uint8_t* out) override;

private:
    QString m_path;
    int m_fd = -1;
    int64_t m_offset = 0;
    int64_t m_size = 0;
    bool m_bigEndian = false;
};
