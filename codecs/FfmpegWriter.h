// Writes one WMA file: an ASF container with one audio stream from an FFmpeg WMA encoder, fed
// with interleaved integer PCM of any rate and channel count (resampled to the chosen format).
// Stands where the platform's media writer stood for the WMA output. Not thread-safe: one
// thread (the output's worker) makes every call from Create to EndWriting.
#pragma once

#include "codecs/WmaFormat.h"

#include <QString>
#include <cstdint>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVStream;
struct SwrContext;
struct AVAudioFifo;
struct AVFrame;
struct AVPacket;

class TFfmpegWriter {
public:
    TFfmpegWriter() = default;
    ~TFfmpegWriter(); // closes a file still open, without finishing it
    TFfmpegWriter(const TFfmpegWriter&) = delete;
    TFfmpegWriter& operator=(const TFfmpegWriter&) = delete;

    // Creates (or truncates) the file. False when it cannot be created.
    bool Create(const QString& fileName);
    bool Created() const { return m_created; }

    // The stream: encoder ("wmav2", "wmav1") and format. False, with ErrorText(), when the
    // encoder refuses it; the file then gets no stream and BeginWriting fails.
    bool SetProfile(const QString& encoderName, const TWmaFormat& format);
    bool HasProfile() const { return m_codec != nullptr; }

    // The PCM the caller will hand in: interleaved, 8-bit unsigned or 16/24/32-bit signed
    // little-endian. False when it cannot be converted to the stream's format.
    bool SetInput(int channels, int sampleRate, int bitsPerSample);
    // Bytes per second of the input PCM; 0 before SetInput succeeded.
    int64_t InputBytesPerSecond() const { return m_inBytesPerSecond; }

    // A text attribute stored under `name` in the file's header, as given. Before BeginWriting.
    void SetAttribute(const QString& name, const QString& value);

    bool BeginWriting();
    // Encodes `bytes` of input PCM (whole frames). `endTime` is the end of this block in
    // 100-nanosecond units from the start; it is kept (SampleTime) while the stream's own
    // timestamps count samples, which is exact.
    bool WriteSample(const void* data, int64_t bytes, int64_t endTime);
    // Flushes the encoder and completes the file (index, duration), then leaves each attribute
    // in the header once (see AsfAttributes.h). Safe without BeginWriting.
    bool EndWriting();
    // Closes the file as it is, incomplete (after a failure).
    void Abort() { FreeAll(); }

    int64_t SampleTime() const { return m_sampleTime; }
    // The encoder's packet size in bytes (block align); 0 without a profile.
    int BlockAlign() const;
    // The last failure; a failure of the file itself names it ("Cannot write file <path>:
    // <reason>").
    const QString& ErrorText() const { return m_error; }

private:
    bool Fail(const QString& what, int err);
    bool EncodeFrames(bool flush);
    bool SendFrame(AVFrame* frame);
    bool AddSilence(int samples);
    void FreeAll();

    AVFormatContext* m_fmt = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVStream* m_stream = nullptr;
    SwrContext* m_swr = nullptr;
    AVAudioFifo* m_fifo = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    bool m_created = false;
    bool m_writing = false;
    int m_inChannels = 0;
    int m_inRate = 0;
    int m_inBits = 0;
    int64_t m_inBytesPerSecond = 0;
    int64_t m_nextPts = 0; // samples at the stream's rate handed to the encoder so far
    int64_t m_sampleTime = 0;
    std::vector<int32_t> m_widened; // 24-bit input widened to 32 bits
    QString m_fileName;             // the file Create opened, for messages
    QString m_error;
};
