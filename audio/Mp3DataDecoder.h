// Decodes the MPEG Layer-3 data of a WAV file's data chunk piece by piece with FFmpeg's
// fixed-point MP3 decoder, so the memory it takes does not grow with the file's length.
// Used by one thread at a time: the thread that opens or reads the WAV input.
#pragma once

#include <QIODevice>
#include <QString>

#include <cstdint>
#include <memory>

class TMp3DataDecoder {
public:
    // Bytes read from the file at a time.
    static constexpr int ChunkBytes = 65536;

    // What a scan of the data found: the frames' format and the samples (per channel) they
    // decode to.
    struct TScan {
        int Channels = 0;
        int SampleRate = 0;
        int64_t Samples = 0;
    };

    TMp3DataDecoder();
    ~TMp3DataDecoder();
    TMp3DataDecoder(const TMp3DataDecoder&) = delete;
    TMp3DataDecoder& operator=(const TMp3DataDecoder&) = delete;

    // Runs the frame parser, without decoding, over bytes [begin, end) of `source`. False with
    // `error` set when the file cannot be read, no frame is found or the format changes
    // midway (such a stream cannot become one PCM file).
    static bool Scan(QIODevice& source, qint64 begin, qint64 end, TScan& scan, QString& error);

    // Starts decoding bytes [begin, end) of `source` from their beginning, for frames of the
    // format `format` (a Scan's result). `source` stays the caller's and must outlive the
    // decoding. False when the decoder cannot be opened.
    bool Start(QIODevice* source, qint64 begin, qint64 end, const TScan& format);
    // Copies up to `maxBytes` bytes (whole sample frames) of interleaved signed 16-bit PCM to
    // `out`: 0 at the end of the data, -1 when the file cannot be read. Every frame the scan
    // counted gives its samples; one the decoder refuses (damaged) gives as much silence.
    int Read(char* out, int maxBytes);
    // Decodes and drops up to `samples` samples per channel; returns how many were dropped,
    // -1 when the file cannot be read.
    int64_t Skip(int64_t samples);

private:
    struct TState;
    std::unique_ptr<TState> m;
};
