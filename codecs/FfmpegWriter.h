// Writes one audio file with an FFmpeg encoder: a WMA file (an ASF container, where it stands
// for the platform's media writer) or an .m4a file (an MP4 container for AAC or ALAC), with one
// audio stream fed with interleaved integer PCM of any rate and channel count (converted to
// what the stream takes). Not thread-safe: one thread (the output's worker) makes every call
// from Create to EndWriting.
#pragma once

#include "audio/CoverArt.h"
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

enum class TFfmpegContainer {
    Asf, // WMA: a frame of silence leads the audio and the end is padded to whole frames
    Mp4, // .m4a (brand "M4A "): the encoder's delay and the end are trimmed by an edit list
};

class TFfmpegWriter {
public:
    TFfmpegWriter() = default;
    ~TFfmpegWriter(); // closes a file still open, without finishing it
    TFfmpegWriter(const TFfmpegWriter&) = delete;
    TFfmpegWriter& operator=(const TFfmpegWriter&) = delete;

    // Creates (or truncates) the file. False when it cannot be created.
    bool Create(const QString& fileName, TFfmpegContainer container = TFfmpegContainer::Asf);
    bool Created() const { return m_created; }

    // The stream: encoder ("wmav2", "wmav1") and format. False, with ErrorText(), when the
    // encoder refuses it; the file then gets no stream and BeginWriting fails.
    bool SetProfile(const QString& encoderName, const TWmaFormat& format);
    // The same for any encoder ("aac", "alac"): its sample rate (Hz) and channels, the bit rate
    // (bit/s; 0 for a lossless encoder) and the bits per sample the stream keeps where the
    // encoder has integer sample formats (ALAC: 16 or 24).
    bool SetStream(const QString& encoderName, int sampleRate, int channels, int64_t bitrate,
                   int bitsPerSample);
    bool HasProfile() const { return m_codec != nullptr; }

    // The PCM the caller will hand in: interleaved, 8-bit unsigned or 16/24/32-bit signed
    // little-endian. False when it cannot be converted to the stream's format.
    bool SetInput(int channels, int sampleRate, int bitsPerSample);
    // Bytes per second of the input PCM; 0 before SetInput succeeded.
    int64_t InputBytesPerSecond() const { return m_inBytesPerSecond; }

    // A text attribute stored under `name` in the file's header, as given: the ASF attribute
    // name, or FFmpeg's key of an MP4 tag ("title", "artist", "album_artist", "album", "date",
    // "genre", "track" as "3/12", "disc" as "1/2", "comment", "compilation" as "1"). Before
    // BeginWriting.
    void SetAttribute(const QString& name, const QString& value);
    // The front cover, stored in an MP4 file's "covr" item (an ASF file goes without). Before
    // BeginWriting.
    void SetCover(const TCoverArt& cover);

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
    // The system's error number of the last failure where FFmpeg gave one (ENOSPC), else 0.
    int SystemError() const { return m_systemError; }

private:
    bool OpenStream(const QString& encoderName, int sampleRate, int channels, int64_t bitrate,
                    int bitsPerSample, const QString& description);
    bool Fail(const QString& what, int err);
    bool EncodeFrames(bool flush);
    bool SendFrame(AVFrame* frame);
    bool AddSilence(int samples);
    bool AddCoverStream();
    bool WriteCover();
    void FreeAll();

    AVFormatContext* m_fmt = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVStream* m_stream = nullptr;
    AVStream* m_coverStream = nullptr;
    TFfmpegContainer m_container = TFfmpegContainer::Asf;
    TCoverArt m_cover;
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
    int m_systemError = 0;
};
