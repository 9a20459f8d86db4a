// A data file of a disc image that FFmpeg decodes (FLAC, APE, WavPack, MP3, ...), taken when it
// holds 44100 Hz stereo audio; samples of other formats (floating-point, 24-bit) are rounded to
// 16 bits and clipped at full scale. Reads continue the
// decoding where the last one stopped and seek to the exact sample otherwise. One thread at a
// time.
#pragma once

#include "ImageSource.h"
#include "codecs/FfmpegReader.h"

class TDecodedFileSource : public TImageSource {
public:
    // Opens and examines `path`. False with ErrorText naming the file and what is wrong: not
    // decodable, not 44100 Hz stereo (its rate and channels named), or of unknown length.
    bool Open(const QString& path);

    int64_t Size() const override { return m_samples * 4; }
    bool Read(int64_t offset, int64_t count, uint8_t* out) override;

private:
    QString m_path;
    TFfmpegReader m_reader;
    int64_t m_samples = 0; // sample frames of 4 bytes
    int64_t m_next = 0;    // the sample frame the next decoded byte belongs to
};
